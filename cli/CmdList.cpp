// tavilc list: a server's databases, or the objects of one kind in a database.
#include "app/catalogue/TDMOServer.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"

#include <QDir>

namespace tavil::cli {

namespace {

const char kHelp[] =
    "Usage: tavilc list --server S [--database D [--kind KIND]] [--user U]\n"
    "\n"
    "Lists the databases of the server S, one per line, or with --database the objects of\n"
    "one kind in database D, one per line as name, a tab, and owner. \"(default)\" stands for\n"
    "the login's default database. S may be \"file:PATH\", a snapshot (a relative PATH is\n"
    "taken from the current folder).\n"
    "\n"
    "Without --user the login is integrated (Kerberos); with it, the password is read from\n"
    "standard input: prompted for without echo on a terminal, else its first line.\n"
    "\n"
    "Options:\n"
    "  -S, --server S      the server\n"
    "  -d, --database D    list the objects of this database\n"
    "  -k, --kind KIND     tables (the default), views, procedures, defaults, rules, types or\n"
    "                      functions\n"
    "  -U, --user U        log in as the SQL Server login U\n"
    "  -h, --help          show this text\n"
    "\n"
    "Exit status: 0 on success, 1 when the server, database or list cannot be read, 2 for\n"
    "wrong usage.\n";

// Kind names as typed, each with its singular, in the program's kind order.
const char* const kKindNames[TDMOServer::KindCount][2] = {
    {"tables", "table"},   {"views", "view"}, {"procedures", "procedure"}, {"defaults", "default"},
    {"rules", "rule"},     {"types", "type"}, {"functions", "function"},
};

int kindOf(const QString& text)
{
    for (int k = 0; k < TDMOServer::KindCount; ++k)
        if (text.compare(QLatin1String(kKindNames[k][0]), Qt::CaseInsensitive) == 0
            || text.compare(QLatin1String(kKindNames[k][1]), Qt::CaseInsensitive) == 0)
            return k;
    return -1;
}

int RunList(const QStringList& arguments)
{
    const Arguments args = parseArguments(
        arguments, {{"server", 'S', true}, {"database", 'd', true}, {"kind", 'k', true}, {"user", 'U', true}, {"help", 'h', false}});
    if (!args.error.isEmpty()) return usageError("list", args.error);
    if (args.has(QStringLiteral("help"))) {
        print(stdout, QString::fromLatin1(kHelp));
        return kExitOk;
    }
    if (!args.positional.isEmpty()) return usageError("list", QStringLiteral("unexpected argument \"%1\"").arg(args.positional.first()));
    if (!args.has(QStringLiteral("server"))) return usageError("list", QStringLiteral("--server is required"));
    int kind = TDMOServer::KindTables;
    if (args.has(QStringLiteral("kind"))) {
        if (!args.has(QStringLiteral("database"))) return usageError("list", QStringLiteral("--kind needs --database"));
        kind = kindOf(args.value(QStringLiteral("kind")));
        if (kind < 0) return usageError("list", QStringLiteral("unknown kind \"%1\"").arg(args.value(QStringLiteral("kind"))));
    }
    const QString server = resolveServerName(args.value(QStringLiteral("server")), QDir::currentPath());
    const bool integrated = !args.has(QStringLiteral("user"));
    const QString user = args.value(QStringLiteral("user"));

    try {
        loadOptions();
        const QString password = integrated ? QString() : readPassword(user);
        const TDMOServer catalogue(server, integrated, user, password);
        QString text;
        if (!args.has(QStringLiteral("database"))) {
            QStringList databases;
            catalogue.ListDatabases(databases);
            for (const QString& d : databases) text += d + QLatin1Char('\n');
        } else {
            QString database = args.value(QStringLiteral("database"));
            if (database == QLatin1String("(default)")) database = catalogue.DefaultDatabase();
            for (const auto& [name, owner] : catalogue.ObjectOwners(kind, database))
                text += name + QLatin1Char('\t') + owner + QLatin1Char('\n');
        }
        if (!print(stdout, text)) {
            printError("list", QStringLiteral("Unable to write to standard output."));
            return kExitFailed;
        }
        return kExitOk;
    } catch (const std::exception& e) {
        printError("list", e);
    } catch (...) {
        printError("list", QStringLiteral("Unexpected error."));
    }
    return kExitFailed;
}

}  // namespace

TAVILC_COMMAND(list, "List a server's databases or a database's objects", RunList)

}  // namespace tavil::cli
