// The management-object surface over a backend: connection, cached catalogues, collections,
// dependency enumeration and the transfer's script.
#include "sqldmo/objects/Sqldmo.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "sqldmo/Backend.h"
#include "sqldmo/model/Names.h"
#include "sqldmo/objects/DependencyGraph.h"
#include "sqldmo/tds/Discovery.h"

namespace sqldmo {
namespace {

// The seven collections of a database, in the layer's kind order.
struct KindInfo {
    model::ObjectType type;
    const char* collection;
};
constexpr KindInfo kKinds[] = {
    {model::ObjectType::UserTable, "Tables"},
    {model::ObjectType::View, "Views"},
    {model::ObjectType::StoredProcedure, "StoredProcedures"},
    {model::ObjectType::Default, "Defaults"},
    {model::ObjectType::Rule, "Rules"},
    {model::ObjectType::UserDefinedDatatype, "UserDefinedDatatypes"},
    {model::ObjectType::UserDefinedFunction, "UserDefinedFunctions"},
};

std::size_t kindSlot(model::ObjectType type) {
    for (std::size_t i = 0; i < std::size(kKinds); ++i)
        if (kKinds[i].type == type) return i;
    throw Error(errors::InvalidArgument, "[SQL-DMO]Object type " + std::to_string(static_cast<int>(type)) +
                                             " has no collection.");
}

std::size_t kindSize(const model::Database& db, model::ObjectType type) {
    switch (type) {
        case model::ObjectType::UserTable: return db.tables.size();
        case model::ObjectType::View: return db.views.size();
        case model::ObjectType::StoredProcedure: return db.procedures.size();
        case model::ObjectType::Default: return db.defaults.size();
        case model::ObjectType::Rule: return db.rules.size();
        case model::ObjectType::UserDefinedDatatype: return db.types.size();
        case model::ObjectType::UserDefinedFunction: return db.functions.size();
        default: return 0;
    }
}

const model::SchemaObject& kindItem(const model::Database& db, model::ObjectType type, std::size_t i) {
    switch (type) {
        case model::ObjectType::UserTable: return db.tables[i];
        case model::ObjectType::View: return db.views[i];
        case model::ObjectType::StoredProcedure: return db.procedures[i];
        case model::ObjectType::Default: return db.defaults[i];
        case model::ObjectType::Rule: return db.rules[i];
        case model::ObjectType::UserDefinedDatatype: return db.types[i];
        default: return db.functions[i];
    }
}

[[noreturn]] void notFound(const std::string& name, const char* collection) {
    throw Error(errors::NotFound, "[SQL-DMO]The name '" + name + "' was not found in the " + collection +
                                      " collection. If the name is a qualified name, use [] to separate various "
                                      "parts of the name, and try again.");
}

[[noreturn]] void outOfRange(std::int32_t index, std::size_t count, const char* collection) {
    throw Error(errors::OutOfRange, "[SQL-DMO]Item " + std::to_string(index) + " is out of range: the " + collection +
                                        " collection holds " + std::to_string(count) + " item" +
                                        (count == 1 ? "" : "s") + ".");
}

std::size_t checkIndex(std::int32_t index, std::size_t count, const char* collection) {
    if (index < 1 || static_cast<std::size_t>(index) > count) outOfRange(index, count, collection);
    return static_cast<std::size_t>(index - 1);
}

[[noreturn]] void notConnected() {
    throw Error(errors::NotConnected, "[SQL-DMO]This operation requires a connection to SQL Server. Connect first.");
}

// ODBCPrefix: errors the server raised carry the prefix of the layer they came through, unless
// they already name their source.
[[noreturn]] void rethrowServerError(const ServerError& e, bool prefix) {
    if (!prefix || e.description().rfind('[', 0) == 0) throw e;
    throw ServerError(e.number(), "[SQL Server]" + e.description(), e.severity(), e.state(), e.procedure(), e.line());
}

// A name given alone or in brackets, for the collections whose items have no owner.
std::string plainName(const std::string& text) {
    auto parts = model::splitMultipartName(text);
    if (parts && parts->size() == 1) return parts->front();
    return text;
}

// Writes `text` to `path` through a temporary file renamed over it.
void writeFileAtomically(const std::string& path, const std::string& text) {
    const std::string temp = path + ".partial-" + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    bool ok = fd >= 0;
    std::size_t done = 0;
    while (ok && done < text.size()) {
        const auto n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    const int saved = errno;
    if (fd >= 0) ::close(fd);
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return;
    const int reason = ok ? errno : saved;
    std::remove(temp.c_str());
    throw Error(errors::FileWriteFailed, "[SQL-DMO]The script file '" + path + "' cannot be written: " +
                                             std::strerror(reason) + ".");
}

}  // namespace

// ---- script stamp ------------------------------------------------------------------------------

namespace {

// The C locale under any of its names ("C", "POSIX", "C.UTF-8"...). Its short date has a
// two-digit year in one country's order ("12/10/26"), which no reader can be sure of.
bool isCLocale(const char* name) {
    if (!name) return true;
    const std::string_view n(name);
    return n == "C" || n == "POSIX" || n.rfind("C.", 0) == 0;
}

}  // namespace

ScriptStamp scriptStamp(std::time_t when) {
    static std::once_flag once;
    std::call_once(once, [] { std::setlocale(LC_TIME, ""); });
    std::tm tm{};
    localtime_r(&when, &tm);
    const bool iso = isCLocale(std::setlocale(LC_TIME, nullptr));
    char date[128], time[128];
    if (std::strftime(date, sizeof date, iso ? "%Y-%m-%d" : "%x", &tm) == 0) date[0] = '\0';
    if (std::strftime(time, sizeof time, iso ? "%H:%M:%S" : "%X", &tm) == 0) time[0] = '\0';
    return {date, time};
}

ScriptStamp scriptStampNow() { return scriptStamp(std::time(nullptr)); }

// ---- lists and results ---------------------------------------------------------------------------

const std::string& NameList::item(std::int32_t index) const { return names_[checkIndex(index, names_.size(), "name list")]; }

const Value& QueryResults::at(std::int32_t row, std::int32_t column) const {
    if (row < 1 || static_cast<std::size_t>(row) > rows_.size())
        throw Error(errors::OutOfRange, "[SQL-DMO]Row " + std::to_string(row) + " is out of range: the results hold " +
                                            std::to_string(rows_.size()) + " rows.");
    if (column < 1 || static_cast<std::size_t>(column) > columnNames_.size())
        throw Error(errors::OutOfRange, "[SQL-DMO]Column " + std::to_string(column) +
                                            " is out of range: the results hold " +
                                            std::to_string(columnNames_.size()) + " columns.");
    return rows_[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
}

std::int32_t QueryResults::getColumnLong(std::int32_t row, std::int32_t column) const {
    const Value& v = at(row, column);
    switch (v.kind) {
        case Value::Kind::Null: return 0;
        case Value::Kind::Integer: return static_cast<std::int32_t>(v.integer);
        case Value::Kind::Float: return static_cast<std::int32_t>(v.real);
        default: {
            char* end = nullptr;
            const long n = std::strtol(v.text.c_str(), &end, 10);
            if (v.text.empty() || *end != '\0')
                throw Error(errors::InvalidArgument, "[SQL-DMO]Column " + std::to_string(column) + " of row " +
                                                         std::to_string(row) + " does not hold a number.");
            return static_cast<std::int32_t>(n);
        }
    }
}

std::string QueryResults::getColumnString(std::int32_t row, std::int32_t column) const {
    const Value& v = at(row, column);
    switch (v.kind) {
        case Value::Kind::Null: return {};
        case Value::Kind::Integer: return std::to_string(v.integer);
        case Value::Kind::Float: {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%.17g", v.real);
            return buffer;
        }
        default: return v.text;
    }
}

// ---- columns and objects -------------------------------------------------------------------------

std::int32_t Columns::count() const noexcept { return static_cast<std::int32_t>(table_->columns.size()); }

Column Columns::item(std::int32_t index) const {
    return Column(table_->columns[checkIndex(index, table_->columns.size(), "Columns")]);
}

Column Columns::item(const std::string& name) const {
    const std::string wanted = plainName(name);
    for (const auto& c : table_->columns)
        if (model::sameName(c.name, wanted)) return Column(c);
    notFound(name, "Columns");
}

struct Database::Lookup {
    explicit Lookup(const model::Database& db) : graph(db) {
        for (std::size_t k = 0; k < std::size(kKinds); ++k) {
            const auto n = kindSize(db, kKinds[k].type);
            auto& map = byName[k];
            map.reserve(n);
            for (std::size_t i = 0; i < n; ++i) map[model::foldName(kindItem(db, kKinds[k].type, i).name)].push_back(i);
        }
    }
    // Per collection: folded name → positions, in collection order.
    std::unordered_map<std::string, std::vector<std::size_t>> byName[std::size(kKinds)];
    DependencyGraph graph;
};

const Database::Lookup& Database::lookup() const {
    if (!lookup_) lookup_ = std::make_shared<const Lookup>(*model_);
    return *lookup_;
}

QueryResults Table::enumDependencies(std::int32_t type) const {
    if (type != 0)
        throw Error(errors::NotSupported, "[SQL-DMO]EnumDependencies supports only type 0 (the objects " +
                                              name() + " depends on).");
    std::vector<std::vector<Value>> rows;
    for (const auto& d : database_->lookup().graph.enumerate(table())) {
        rows.push_back({Value::ofInteger(SqlType::Int, static_cast<std::int32_t>(d.type)),
                        Value::ofText(SqlType::NVarChar, d.name), Value::ofText(SqlType::NVarChar, d.owner),
                        Value::ofInteger(SqlType::Int, d.sequence)});
    }
    return QueryResults({"oType", "oObjName", "oOwner", "oSequence"}, std::move(rows));
}

template <class Item>
std::int32_t ObjectCollection<Item>::count() const {
    return static_cast<std::int32_t>(kindSize(database_->model(), type_));
}

template <class Item>
Item ObjectCollection<Item>::item(std::int32_t index) const {
    const auto& db = database_->model();
    const auto i = checkIndex(index, kindSize(db, type_), kKinds[kindSlot(type_)].collection);
    if constexpr (std::is_same_v<Item, Table>) {
        return Table(*database_, db.tables[i]);
    } else {
        return DBObject(*database_, kindItem(db, type_, i), type_);
    }
}

template <class Item>
Item ObjectCollection<Item>::item(const std::string& name) const {
    const auto& db = database_->model();
    const auto slot = kindSlot(type_);
    const auto& map = database_->lookup().byName[slot];
    // The object of the given owner; without one, dbo's, else the first of that name.
    const auto find = [&](const std::string& owner, const std::string& object) -> const model::SchemaObject* {
        const auto it = map.find(model::foldName(object));
        if (it == map.end()) return nullptr;
        const model::SchemaObject* first = nullptr;
        for (const auto i : it->second) {
            const auto& o = kindItem(db, type_, i);
            if (owner.empty() ? model::sameName(o.owner, "dbo") : model::sameName(o.owner, owner)) return &o;
            if (!first) first = &o;
        }
        return owner.empty() ? first : nullptr;
    };
    const model::SchemaObject* found = nullptr;
    if (const auto q = model::parseQualifiedName(name)) found = find(q->owner, q->name);
    // A plain name with a dot in it may be the whole name of an object ("Sales.2003").
    if (!found && name.find_first_of("[\"") == std::string::npos) found = find({}, name);
    if (!found) notFound(name, kKinds[slot].collection);
    if constexpr (std::is_same_v<Item, Table>) {
        return Table(*database_, static_cast<const model::Table&>(*found));
    } else {
        return DBObject(*database_, *found, type_);
    }
}

template class ObjectCollection<Table>;
template class ObjectCollection<DBObject>;

// ---- database and transfer -----------------------------------------------------------------------

namespace {

// Relays the scripter's progress to every advised sink, in advise order.
class EventRelay final : public script::ScriptProgress {
public:
    explicit EventRelay(const Transfer& transfer) : transfer_(transfer) {}
    void statusMessage(std::string_view message) override {
        const std::string text(message);
        const auto sinks = transfer_.sinks();  // a sink may unadvise while it is called
        for (auto* sink : sinks) sink->statusMessage(text);
    }
    void percentComplete(std::string_view message, std::int32_t percent) override {
        const std::string text(message);
        const auto sinks = transfer_.sinks();
        for (auto* sink : sinks) sink->scriptTransferPercentComplete(text, percent);
    }

private:
    const Transfer& transfer_;
};

}  // namespace

std::string Database::scriptTransfer(Transfer& transfer, std::int32_t mode, const std::string& path) const {
    // Mode 1 and 2 both give the whole script as one text; per-object files are not offered.
    if (mode != 1 && mode != 2)
        throw Error(errors::NotSupported, "[SQL-DMO]Script file mode " + std::to_string(mode) +
                                              " is not supported; use 1 (one script).");
    if (!server_->isConnected()) notConnected();
    const auto stamp = scriptStampNow();
    script::ScriptOptions options;
    options.scriptDate = stamp.date;
    options.scriptTime = stamp.time;
    EventRelay relay(transfer);
    std::string text = script::scriptTransfer(server_->scriptingModel(), *model_, transfer.settings(), options, &relay);
    if (!path.empty()) writeFileAtomically(path, text);
    return text;
}

void Transfer::addObjectByName(const std::string& name, std::int32_t type, const std::string& owner) {
    switch (type) {
        case 1: case 4: case 8: case 16: case 64: case 128: case 4096: break;
        default:
            throw Error(errors::InvalidArgument, "[SQL-DMO]Object type " + std::to_string(type) + " of '" + name +
                                                     "' is not one AddObjectByName takes (1, 4, 8, 16, 64, 128, 4096).");
    }
    settings_.objects.push_back({name, static_cast<model::ObjectType>(type), owner});
}

void Transfer::advise(TransferEvents* sink) {
    if (sink && std::find(sinks_.begin(), sinks_.end(), sink) == sinks_.end()) sinks_.push_back(sink);
}

void Transfer::unadvise(TransferEvents* sink) { sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), sink), sinks_.end()); }

NameList Application::listAvailableSQLServers() const { return NameList(listConfiguredServers()); }

// ---- server --------------------------------------------------------------------------------------

struct Server::Cache {
    LoginOptions options;
    model::Server info;
    bool namesLoaded = false;
    std::vector<std::string> names;
    bool loginsLoaded = false;
    std::unordered_map<std::string, std::unique_ptr<Database>> databases;  // folded name
    // Databases of earlier connections: handles a caller still holds stay valid until the
    // server object goes.
    std::vector<std::unique_ptr<Database>> retired;
};

Server::Server() : cache_(std::make_unique<Cache>()) {}
Server::~Server() = default;

LoginOptions Server::loginOptions(const std::string& login, const std::string& password) const {
    LoginOptions o;
    o.applicationName = applicationName_;
    o.integrated = loginSecure_;
    if (!loginSecure_) {
        o.login = login;
        o.password = password;
    }
    o.loginTimeout = loginTimeout_;
    o.queryTimeout = queryTimeout_;
    o.lockTimeoutMs = blockingTimeout_;
    o.packetSize = netPacketSize_;
    return o;
}

void Server::open(const std::string& serverName, const LoginOptions& options) {
    if (backend_) throw Error(errors::AlreadyConnected, "[SQL-DMO]The server object is already connected to '" +
                                                            serverName_ + "'. Disconnect first.");
    std::unique_ptr<ServerBackend> backend;
    try {
        backend = openServerBackend(serverName, options);
    } catch (const ServerError& e) {
        rethrowServerError(e, odbcPrefix_);
    }
    model::Server info = backend->serverInfo();
    for (auto& [name, db] : cache_->databases) cache_->retired.push_back(std::move(db));
    cache_->databases.clear();
    cache_->names.clear();
    cache_->namesLoaded = false;
    cache_->info = std::move(info);
    cache_->info.logins.clear();
    cache_->info.databases.clear();
    cache_->loginsLoaded = false;
    cache_->options = options;
    backend_ = std::move(backend);
    serverName_ = serverName;
}

void Server::connect(const std::string& serverName) { open(serverName, loginOptions({}, {})); }

void Server::connect(const std::string& serverName, const std::string& login, const std::string& password) {
    open(serverName, loginOptions(login, password));
}

void Server::disconnect() {
    if (!backend_) notConnected();
    backend_.reset();
    for (auto& [name, db] : cache_->databases) cache_->retired.push_back(std::move(db));
    cache_->databases.clear();
    cache_->names.clear();
    cache_->namesLoaded = false;
}

bool Server::isConnected() const noexcept { return backend_ != nullptr; }

std::string Server::login() const {
    if (!backend_) notConnected();
    return cache_->info.login;
}

std::int32_t Server::versionMajor() const {
    if (!backend_) notConnected();
    return cache_->info.versionMajor;
}

NameList Server::listInstalledInstances() const { return NameList(listLocalInstances()); }

ServerBackend& Server::backend() const {
    if (!backend_) notConnected();
    return *backend_;
}

void Server::withBackend(const std::function<void(ServerBackend&)>& f) {
    if (!backend_) notConnected();
    try {
        try {
            f(*backend_);
        } catch (const Error& e) {
            if (!autoReconnect_ || e.number() != errors::ConnectionBroken) throw;
            backend_ = openServerBackend(serverName_, cache_->options);
            f(*backend_);
        }
    } catch (const ServerError& e) {
        rethrowServerError(e, odbcPrefix_);
    }
}

const std::vector<std::string>& Server::databaseNames() {
    if (!cache_->namesLoaded) {
        withBackend([this](ServerBackend& b) { cache_->names = b.databaseNames(); });
        cache_->namesLoaded = true;
    }
    return cache_->names;
}

Database& Server::database(const std::string& name) {
    const std::string wanted = plainName(name);
    const std::string* canonical = nullptr;
    for (const auto& n : databaseNames())
        if (model::sameName(n, wanted)) {
            canonical = &n;
            break;
        }
    if (!canonical) throw Error(errors::NotFound, "[SQL-DMO]Database '" + name + "' not found");
    const std::string key = model::foldName(*canonical);
    if (auto it = cache_->databases.find(key); it != cache_->databases.end()) return *it->second;
    std::shared_ptr<const model::Database> model;
    const std::string dbName = *canonical;
    withBackend([&](ServerBackend& b) { model = b.database(dbName); });
    auto db = std::make_unique<Database>(*this, std::move(model));
    auto& ref = *db;
    cache_->databases.emplace(key, std::move(db));
    return ref;
}

const model::Server& Server::scriptingModel() {
    if (!cache_->loginsLoaded && backend_) {
        withBackend([this](ServerBackend& b) { cache_->info.logins = b.logins(); });
        cache_->loginsLoaded = true;
    }
    return cache_->info;
}

std::int32_t Databases::count() const { return static_cast<std::int32_t>(server_->databaseNames().size()); }

Database& Databases::item(std::int32_t index) const {
    const auto& names = server_->databaseNames();
    return server_->database(names[checkIndex(index, names.size(), "Databases")]);
}

Database& Databases::item(const std::string& name) const { return server_->database(name); }

std::int32_t Logins::count() const {
    if (!server_->isConnected()) notConnected();
    return static_cast<std::int32_t>(server_->scriptingModel().logins.size());
}

LoginObject Logins::item(const std::string& name) const {
    if (!server_->isConnected()) notConnected();
    const std::string wanted = plainName(name);
    for (const auto& l : server_->scriptingModel().logins)
        if (model::sameName(l.name, wanted)) return LoginObject(l);
    notFound(name, "Logins");
}

LoginObject Logins::item(std::int32_t index) const {
    if (!server_->isConnected()) notConnected();
    const auto& logins = server_->scriptingModel().logins;
    return LoginObject(logins[checkIndex(index, logins.size(), "Logins")]);
}

}  // namespace sqldmo
