// tavilc snapshot: an offline copy of databases of a server (catalogue and rows) in one file,
// which then serves as the server "file:FILE".
#include "app/catalogue/TDMOServer.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/support/QMApplication.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "sqldmo/Backend.h"
#include "sqldmo/snapshot/Snapshot.h"

#include <QDir>
#include <algorithm>
#include <limits>

namespace tavil::cli {

namespace {

const char kHelp[] =
    "Usage: tavilc snapshot --server S --database D [--database D2 ...] -o FILE [--user U]\n"
    "\n"
    "Writes the server's logins and, for every database named, its catalogue and the rows of\n"
    "its tables into the snapshot FILE, which any command or command file can then name as\n"
    "the server \"file:FILE\". FILE is replaced only when the whole snapshot is written.\n"
    "S may itself be a snapshot (\"file:PATH\", a relative PATH taken from the current folder).\n"
    "\n"
    "Without --user the login is integrated (Kerberos); with it, the password is read from\n"
    "standard input: prompted for without echo on a terminal, else its first line.\n"
    "\n"
    "Options:\n"
    "  -S, --server S      the server to copy\n"
    "  -d, --database D    a database to copy (repeat for more)\n"
    "  -o, --output FILE   the snapshot file to write\n"
    "  -U, --user U        log in as the SQL Server login U\n"
    "  -h, --help          show this text\n"
    "\n"
    "Exit status: 0 when the snapshot was written, 1 when it could not be, 2 for wrong usage.\n";

int RunSnapshot(const QStringList& arguments)
{
    const Arguments args = parseArguments(arguments, {{"server", 'S', true},
                                                      {"database", 'd', true, true},
                                                      {"output", 'o', true},
                                                      {"user", 'U', true},
                                                      {"help", 'h', false}});
    if (!args.error.isEmpty()) return usageError("snapshot", args.error);
    if (args.has(QStringLiteral("help"))) {
        print(stdout, QString::fromLatin1(kHelp));
        return kExitOk;
    }
    if (!args.positional.isEmpty())
        return usageError("snapshot", QStringLiteral("unexpected argument \"%1\"").arg(args.positional.first()));
    if (!args.has(QStringLiteral("server"))) return usageError("snapshot", QStringLiteral("--server is required"));
    if (!args.has(QStringLiteral("database"))) return usageError("snapshot", QStringLiteral("name at least one --database"));
    const QString output = args.value(QStringLiteral("output"));
    if (output.isEmpty() || output == QLatin1String("-"))
        return usageError("snapshot", QStringLiteral("--output names the snapshot file"));

    const QString server = resolveServerName(args.value(QStringLiteral("server")), QDir::currentPath());
    std::vector<std::string> databases;
    for (const QString& d : args.values.value(QStringLiteral("database"))) databases.push_back(d.toStdString());

    try {
        loadOptions();
        const TVELKOptions& o = VELKOptions();
        sqldmo::LoginOptions login;
        login.applicationName = QMApp().FullName.toStdString();
        login.integrated = !args.has(QStringLiteral("user"));
        if (!login.integrated) {
            login.login = args.value(QStringLiteral("user")).toStdString();
            login.password = readPassword(args.value(QStringLiteral("user"))).toStdString();
        }
        login.loginTimeout = o.LoginTimeout;
        login.queryTimeout = o.QueryTimeout;
        if (o.BlockingTimeout == -1) {
            login.lockTimeoutMs = -1;
        } else {
            const std::int64_t ms = std::int64_t(o.BlockingTimeout) * 1000;
            login.lockTimeoutMs = static_cast<std::int32_t>(
                std::clamp<std::int64_t>(ms, 0, std::numeric_limits<std::int32_t>::max()));
        }
        login.packetSize = o.NetPacketSize;

        std::unique_ptr<sqldmo::ServerBackend> backend;
        try {
            backend = sqldmo::openServerBackend(server.toStdString(), login);
        } catch (const std::exception& e) {
            throw EQMException(QStringLiteral("Unable to open '%1' SQL Server.").arg(server), EQMException::Warning,
                               ErrorText(e));
        }
        TerminalProgress progress;
        sqldmo::snapshot::writeSnapshot(QDir::cleanPath(QDir::current().absoluteFilePath(output)).toStdString(),
                                        *backend, databases, [&progress](const std::string& message, int percent) {
                                            progress.percent(percent);
                                            progress.message(QString::fromStdString(message));
                                        });
        return kExitOk;
    } catch (const std::exception& e) {
        printError("snapshot", e);
    } catch (...) {
        printError("snapshot", QStringLiteral("Unexpected error."));
    }
    return kExitFailed;
}

}  // namespace

TAVILC_COMMAND(snapshot, "Write a snapshot of databases of a server", RunSnapshot)

}  // namespace tavil::cli
