// Catalogue browsing over the management-object layer.
#include "app/catalogue/TDMOServer.h"

#include "app/shell/core/TVELKOptions.h"
#include "app/support/QMApplication.h"
#include "sqldmo/objects/Sqldmo.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <cstdint>
#include <limits>

namespace tavil {

namespace {

std::string utf8(const QString& text) { return text.toStdString(); }
QString qs(const std::string& text) { return QString::fromStdString(text); }

struct KindInfo {
    const char* listError;   // database, server
    bool skipSystemObjects;
};

const KindInfo kKinds[TDMOServer::KindCount] = {
    {"Unable to list available tables in database '%1' - server '%2'.", true},
    {"Unable to list available views in database '%1' - server '%2'.", true},
    {"Unable to list available stored procedures in database '%1' - server '%2'.", true},
    {"Unable to list available defaults in database '%1' - server '%2'.", false},
    {"Unable to list available rules in database '%1' - server '%2'.", false},
    {"Unable to list available types in database '%1' - server '%2'.", false},
    {"Unable to list available functions in database '%1' - server '%2'.", false},
};

void checkKind(int kind)
{
    if (kind < 0 || kind >= TDMOServer::KindCount)
        throw EQMException(QStringLiteral("Object kind %1 does not exist.").arg(kind), EQMException::Warning);
}

// The collection of a kind; the table collection is reached through its own type.
template <class F>
void withCollection(sqldmo::Database& db, int kind, F&& f)
{
    switch (kind) {
        case TDMOServer::KindTables: f(db.tables()); break;
        case TDMOServer::KindViews: f(db.views()); break;
        case TDMOServer::KindStoredProcs: f(db.storedProcedures()); break;
        case TDMOServer::KindDefaults: f(db.defaults()); break;
        case TDMOServer::KindRules: f(db.rules()); break;
        case TDMOServer::KindTypes: f(db.userDefinedDatatypes()); break;
        default: f(db.userDefinedFunctions()); break;
    }
}

// The blocking timeout in milliseconds as the server object takes it: -1 stays the layer's
// default, other values are seconds. Values stored outside the dialog's range are taken as they
// are, so the product is kept inside 32 bits.
std::int32_t blockingMilliseconds(int seconds)
{
    if (seconds == -1) return -1;
    const std::int64_t ms = static_cast<std::int64_t>(seconds) * 1000;
    if (ms > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (ms < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(ms);
}

}  // namespace

QString ResolveServerName(const QString& serverName, const QString& folder)
{
    if (!serverName.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) return serverName;
    QString path = serverName.mid(5);
    if (path.startsWith(QLatin1String("~/"))) path = QDir::homePath() + path.mid(1);
    if (path.isEmpty() || QDir::isAbsolutePath(path)) return serverName.left(5) + path;
    return serverName.left(5) + QDir::cleanPath(QDir(folder).absoluteFilePath(path));
}

QString CommandFileServerName(const QString& serverName, const QString& commandFileName)
{
    if (commandFileName.isEmpty() || commandFileName == QLatin1String("Untitled")) return serverName;
    return ResolveServerName(serverName, QFileInfo(commandFileName).absolutePath());
}

QString ErrorText(const std::exception& e)
{
    if (const auto* q = dynamic_cast<const EQMException*>(&e)) return q->Message;
    if (const auto* s = dynamic_cast<const sqldmo::Error*>(&e)) return qs(s->description());
    return QString::fromUtf8(e.what());
}

// ---- TDMOInterface -----------------------------------------------------------------------------

TDMOInterface::TDMOInterface()
{
    try {
        auto probe = std::make_unique<sqldmo::Server>();
        probe.reset();
        Available = true;
    } catch (...) {
        Available = false;
    }
}

void TDMOInterface::ListServers(QStringList& L) const
{
    L.clear();
    try {
        sqldmo::Server server;
        const sqldmo::NameList available = server.application().listAvailableSQLServers();
        for (std::int32_t i = 1; i <= available.count(); ++i) L.append(qs(available.item(i)));
        if (L.isEmpty()) {
            const sqldmo::NameList installed = server.listInstalledInstances();
            if (installed.count() > 0) L.append(qs(installed.item(1)));
        }
    } catch (const std::exception& e) {
        throw EQMException(QStringLiteral("Unable to list available SQL Servers."), EQMException::Warning, ErrorText(e));
    }
}

// ---- TDMOServer --------------------------------------------------------------------------------

TDMOServer::TDMOServer(const QString& serverName, bool windowsAuthentication, const QString& username,
                       const QString& password)
    : ServerName(serverName), WindowsAuthentication(windowsAuthentication)
{
    try {
        auto server = std::make_unique<sqldmo::Server>();
        const TVELKOptions& options = VELKOptions();
        server->setApplicationName(utf8(QMApp().FullName));
        server->setOdbcPrefix(false);
        server->setLoginTimeout(options.LoginTimeout);
        server->setQueryTimeout(options.QueryTimeout);
        server->setBlockingTimeout(blockingMilliseconds(options.BlockingTimeout));
        server->setNetPacketSize(options.NetPacketSize);
        server->setAutoReconnect(false);
        if (windowsAuthentication) {
            server->setLoginSecure(true);
            server->connect(utf8(serverName));
        } else {
            server->setLoginSecure(false);
            server->connect(utf8(serverName), utf8(username), utf8(password));
            Username = username;
            Password = password;
        }
        DMOServer = std::move(server);
    } catch (const std::exception& e) {
        throw EQMException(QStringLiteral("Unable to open '%1' SQL Server.").arg(serverName), EQMException::Warning,
                           ErrorText(e));
    }
}

// Releasing the server object ends its connection.
TDMOServer::~TDMOServer() = default;

void TDMOServer::ListDatabases(QStringList& L) const
{
    L.clear();
    try {
        // The names alone: looking up each database would read its whole catalogue.
        for (const std::string& name : DMOServer->databaseNames()) L.append(qs(name));
    } catch (const std::exception& e) {
        throw EQMException(QStringLiteral("Unable to list available databases in '%1' SQL Server.").arg(ServerName),
                           EQMException::Warning, ErrorText(e));
    }
}

template <class Visit>
void TDMOServer::walk(int kind, const QString& Database, Visit&& visit) const
{
    checkKind(kind);
    try {
        sqldmo::Database& db = DMOServer->databases().item(utf8(Database));
        withCollection(db, kind, [&](const auto& collection) {
            const std::int32_t n = collection.count();
            for (std::int32_t i = 1; i <= n; ++i) {
                const auto object = collection.item(i);
                if (kKinds[kind].skipSystemObjects && object.systemObject()) continue;
                visit(qs(object.name()), qs(object.owner()));
            }
        });
    } catch (const std::exception& e) {
        throw EQMException(QString::fromLatin1(kKinds[kind].listError).arg(Database, ServerName),
                           EQMException::Warning, ErrorText(e));
    }
}

void TDMOServer::ListObjects(int kind, const QString& Database, QStringList& L) const
{
    L.clear();
    // Case-folded name → position of its entry and length of the name in it (names may hold "=").
    QHash<QString, QPair<qsizetype, qsizetype>> position;
    walk(kind, Database, [&](const QString& name, const QString& owner) {
        const QString key = name.toCaseFolded();
        const auto it = position.constFind(key);
        if (it == position.constEnd()) {
            position.insert(key, {L.size(), name.size()});
            L.append(name + QLatin1Char('=') + owner);
        } else {
            // The entry keeps its place and the name as first listed; only the owner changes.
            QString& entry = L[it->first];
            entry = entry.left(it->second) + QLatin1Char('=') + owner;
        }
    });
}

void TDMOServer::ListTables(const QString& D, QStringList& L) const { ListObjects(KindTables, D, L); }
void TDMOServer::ListViews(const QString& D, QStringList& L) const { ListObjects(KindViews, D, L); }
void TDMOServer::ListStoredProcedures(const QString& D, QStringList& L) const { ListObjects(KindStoredProcs, D, L); }
void TDMOServer::ListDefaults(const QString& D, QStringList& L) const { ListObjects(KindDefaults, D, L); }
void TDMOServer::ListRules(const QString& D, QStringList& L) const { ListObjects(KindRules, D, L); }
void TDMOServer::ListUserDefinedDatatypes(const QString& D, QStringList& L) const { ListObjects(KindTypes, D, L); }
void TDMOServer::ListUserDefinedFunctions(const QString& D, QStringList& L) const { ListObjects(KindFunctions, D, L); }

QList<QPair<QString, QString>> TDMOServer::ObjectOwners(int kind, const QString& Database) const
{
    QList<QPair<QString, QString>> objects;
    walk(kind, Database, [&](const QString& name, const QString& owner) { objects.append({name, owner}); });
    return objects;
}

QString TDMOServer::DefaultDatabase() const
{
    const std::string login = DMOServer->login();
    return qs(DMOServer->logins().item(login).database());
}

int TDMOServer::GetVersionMajor() const { return DMOServer->versionMajor(); }

bool TDMOServer::DatabaseExists(const QString& Database, QString& errorText) const
{
    try {
        DMOServer->databases().item(utf8(Database));
        errorText.clear();
        return true;
    } catch (const std::exception& e) {
        errorText = ErrorText(e);
    } catch (...) {
        errorText = QStringLiteral("Unknown error.");
    }
    return false;
}

bool TDMOServer::ObjectExists(int kind, const QString& Database, const QString& Name, QString& errorText) const
{
    try {
        checkKind(kind);
        sqldmo::Database& db = DMOServer->databases().item(utf8(Database));
        withCollection(db, kind, [&](const auto& collection) { collection.item(utf8(Name)); });
        errorText.clear();
        return true;
    } catch (const std::exception& e) {
        errorText = ErrorText(e);
    } catch (...) {
        errorText = QStringLiteral("Unknown error.");
    }
    return false;
}

bool TDMOServer::TableExists(const QString& D, const QString& N, QString& E) const { return ObjectExists(KindTables, D, N, E); }
bool TDMOServer::ViewExists(const QString& D, const QString& N, QString& E) const { return ObjectExists(KindViews, D, N, E); }
bool TDMOServer::StoredProcedureExists(const QString& D, const QString& N, QString& E) const
{
    return ObjectExists(KindStoredProcs, D, N, E);
}
bool TDMOServer::DefaultExists(const QString& D, const QString& N, QString& E) const { return ObjectExists(KindDefaults, D, N, E); }
bool TDMOServer::RuleExists(const QString& D, const QString& N, QString& E) const { return ObjectExists(KindRules, D, N, E); }
bool TDMOServer::UserDefinedDatatypeExists(const QString& D, const QString& N, QString& E) const
{
    return ObjectExists(KindTypes, D, N, E);
}
bool TDMOServer::UserDefinedFunctionExists(const QString& D, const QString& N, QString& E) const
{
    return ObjectExists(KindFunctions, D, N, E);
}

}  // namespace tavil
