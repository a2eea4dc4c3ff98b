// tavilc as a user runs it: exit codes, what goes to stdout and stderr, output files replaced
// only on success, over snapshot fixtures and command files written in a temporary folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include "app/model/TCmdFile.h"
#include "tests/catalogue/CatalogueFixture.h"
#include "tests/cli/RunTavilc.h"

namespace {

using cattest::ServerSpec;
using cattest::Snapshot;

using clitest::Result;

cattest::TempConfig gConfig;

QString q(const std::string& s) { return QString::fromStdString(s); }

Result tavilc(const QStringList& arguments, const QString& folder = QString(), const QByteArray& input = {})
{
    return clitest::tavilc(q(gConfig.path()), arguments, folder, input);
}

ServerSpec shop()
{
    ServerSpec spec;
    const auto id = [](int n) { return std::vector<sqldmo::Value>{sqldmo::Value::ofInteger(sqldmo::SqlType::Int, n)}; };
    spec.tables = {{"Customers", {}, "dbo", false, {id(7)}}, {"Orders", {"Customers"}, "dbo", false, {id(70)}}};
    spec.views = {{"dbo", "Totals"}, {"sales", "Totals"}};
    spec.moreDatabases = {"Archive"};
    return spec;
}

class Tavilc : public ::testing::Test {
protected:
    static void SetUpTestSuite() { shop_ = new Snapshot(shop()); }
    static void TearDownTestSuite() { delete shop_; }

    QString folder() const { return q(shop_->dir().path()); }
    QString path(const QString& name) const { return folder() + QLatin1Char('/') + name; }

    // A command file beside the snapshot that names it relatively.
    QString commandFile(const QString& name, std::initializer_list<const char*> tables, const char* database = "Shop",
                        const QString& server = QStringLiteral("file:shop.snapshot"))
    {
        tavil::TCmdFile c;
        c.Connection.ServerName = server;
        c.Connection.DatabaseName = QString::fromUtf8(database);
        c.Connection.WindowsAuthentication = true;
        for (const char* t : tables) {
            auto* o = new tavil::TDBObject;
            o->SetFullName(QString::fromUtf8(t));
            c.Tables.Add(o);
        }
        c.TableOptions.ScriptSchema = true;
        c.TableOptions.ScriptData = true;
        c.FormatOptions.GenerateCreateCommand = true;
        c.FormatOptions.ScriptDependantObjects = true;
        c.FormatOptions.IncludeHeaders = false;  // no time stamps: two runs give the same text
        c.SaveAs(path(name));
        return path(name);
    }
    static QByteArray read(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static Snapshot* shop_;
};
Snapshot* Tavilc::shop_ = nullptr;

TEST_F(Tavilc, GenerateWritesTheScriptToStdoutOrAFile)
{
    const QString file = commandFile("orders.qvx", {"dbo.Orders"});
    // Run from another folder: the snapshot is found beside the command file.
    const Result r = tavilc({"generate", file}, QDir::rootPath());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("CREATE TABLE [dbo].[Orders]")) << r.out.toStdString();
    EXPECT_LT(r.out.indexOf("INSERT INTO [dbo].[Customers]"), r.out.indexOf("INSERT INTO [dbo].[Orders]"));

    const QString out = path("orders.sql");
    const Result toFile = tavilc({"generate", file, "-o", out});
    ASSERT_EQ(toFile.exitCode, 0) << toFile.err.toStdString();
    EXPECT_TRUE(toFile.out.isEmpty());
    EXPECT_EQ(QString::fromUtf8(read(out)), r.out);
    EXPECT_TRUE(read(out).endsWith("\r\n"));
}

TEST_F(Tavilc, AFailedGenerationSaysWhyAndLeavesTheOutputAlone)
{
    const QString out = path("kept.sql");
    cattest::writeFile(out.toStdString(), "old script");
    cattest::writeFile(path("garbage.qvx").toStdString(), "not a command file\n");
    struct Case {
        QString file;
        const char* message;
    };
    const Case cases[] = {
        {path("none.qvx"), "not found"},
        {path("garbage.qvx"), "is not a valid command file"},
        {commandFile("ghost.qvx", {"dbo.Ghost"}), "Unable to list dependencies from the selected tables in 'Shop'."},
        {commandFile("elsewhere.qvx", {"dbo.Orders"}, "Shop", "file:elsewhere.snapshot"), "elsewhere.snapshot"},
    };
    for (const Case& c : cases) {
        const Result r = tavilc({"generate", c.file, "-o", out});
        EXPECT_EQ(r.exitCode, 1) << c.file.toStdString();
        EXPECT_TRUE(r.err.startsWith("tavilc: generate: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
        EXPECT_EQ(read(out), QByteArray("old script"));
    }

    // An output path that cannot be written: no file appears, and nothing is left beside it.
    cattest::writeFile(path("plain").toStdString(), "");
    const Result r = tavilc({"generate", commandFile("ok.qvx", {"dbo.Orders"}), "-o", path("plain/out.sql")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("plain/out.sql")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("plain/out.sql")));
}

TEST_F(Tavilc, VerifyPrintsTheReportAndTellsTheOutcomeByItsExitCode)
{
    const Result ok = tavilc({"verify", commandFile("good.qvx", {"dbo.Orders", "dbo.Customers"})});
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_TRUE(ok.out.startsWith("Verifying Server connection...  OK.\n")) << ok.out.toStdString();
    EXPECT_TRUE(ok.out.endsWith("\nNo errors found in command file.\n")) << ok.out.toStdString();

    const Result errors = tavilc({"verify", commandFile("bad.qvx", {"dbo.Orders", "dbo.Ghost"})});
    EXPECT_EQ(errors.exitCode, 1);
    EXPECT_TRUE(errors.out.contains("\nVerifying Tables... \nError: ")) << errors.out.toStdString();
    EXPECT_TRUE(errors.out.endsWith("\n1 error(s) found in command file.\n")) << errors.out.toStdString();

    const Result unreachable =
        tavilc({"verify", commandFile("away.qvx", {"dbo.Orders"}, "Shop", "file:nowhere.snapshot")});
    EXPECT_EQ(unreachable.exitCode, 2);
    EXPECT_TRUE(unreachable.out.startsWith("Verifying Server connection... \nError: Unable to open 'file:"))
        << unreachable.out.toStdString();
    EXPECT_TRUE(unreachable.err.contains("nowhere.snapshot")) << unreachable.err.toStdString();

    const Result missing = tavilc({"verify", path("none.qvx")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(missing.err.contains("not found")) << missing.err.toStdString();
}

TEST_F(Tavilc, ListShowsDatabasesAndObjects)
{
    // A relative snapshot name is taken from the current folder.
    const Result databases = tavilc({"list", "--server", "file:shop.snapshot"}, folder());
    EXPECT_EQ(databases.exitCode, 0) << databases.err.toStdString();
    EXPECT_EQ(databases.out, "Shop\nArchive\n");

    const QString server = q(shop_->serverName());
    const Result views = tavilc({"list", "-S", server, "--database", "(default)", "--kind", "views", "--user", "sa"},
                                QString(), "any password\n");
    EXPECT_EQ(views.exitCode, 0) << views.err.toStdString();
    EXPECT_EQ(views.out, "Totals\tdbo\nTotals\tsales\n");

    const Result tables = tavilc({"list", "-S", server, "-d", "Shop"});
    EXPECT_EQ(tables.out, "Customers\tdbo\nOrders\tdbo\n");

    const Result wrongLogin = tavilc({"list", "-S", server, "--user", "nobody"}, QString(), "pw\n");
    EXPECT_EQ(wrongLogin.exitCode, 1);
    EXPECT_TRUE(wrongLogin.err.contains("Unable to open")) << wrongLogin.err.toStdString();
    EXPECT_TRUE(wrongLogin.err.contains("nobody")) << wrongLogin.err.toStdString();

    const Result noDatabase = tavilc({"list", "-S", server, "-d", "Gone", "-k", "rules"});
    EXPECT_EQ(noDatabase.exitCode, 1);
    EXPECT_TRUE(noDatabase.err.contains("Unable to list available rules in database 'Gone'")) << noDatabase.err.toStdString();
}

TEST_F(Tavilc, SnapshotCopiesAServer)
{
    const QString copy = path("copy.snapshot");
    const Result r = tavilc({"snapshot", "--server", q(shop_->serverName()), "--database", "Shop", "-o", copy});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const Result listed = tavilc({"list", "-S", "file:" + copy});
    EXPECT_EQ(listed.out, "Shop\n");
    const Result rows = tavilc({"generate", commandFile("copy.qvx", {"dbo.Orders"}, "Shop", "file:copy.snapshot")});
    EXPECT_EQ(rows.exitCode, 0) << rows.err.toStdString();
    EXPECT_TRUE(rows.out.contains("70")) << rows.out.toStdString();

    const Result missing = tavilc({"snapshot", "-S", q(shop_->serverName()), "-d", "Gone", "-o", path("gone.snapshot")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("Gone")) << missing.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("gone.snapshot")));
}

TEST(TavilcUsage, EveryCommandHasHelpAndWrongUsageExitsWithTwo)
{
    for (const char* command : {"generate", "verify", "list", "snapshot"}) {
        const Result help = tavilc({command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: tavilc %1").arg(command))) << help.out.toStdString();

        const Result wrong = tavilc({command, "--no-such-option"});
        EXPECT_EQ(wrong.exitCode, 2) << command;
        EXPECT_TRUE(wrong.err.contains("--help")) << wrong.err.toStdString();
    }
    const QList<QStringList> wrongUsages = {
        {"generate"},
        {"generate", "a.qvx", "b.qvx"},
        {"verify"},
        {"list"},
        {"list", "-S", "file:x", "--kind", "tables"},
        {"list", "-S", "file:x", "-d", "Shop", "--kind", "tablez"},
        {"snapshot", "-S", "file:x", "-o", "y"},
        {"snapshot", "-S", "file:x", "-d", "Shop"},
        {"frobnicate"},
    };
    for (const QStringList& args : wrongUsages) EXPECT_EQ(tavilc(args).exitCode, 2) << args.join(' ').toStdString();

    const Result version = tavilc({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_FALSE(version.out.trimmed().isEmpty());
}

}  // namespace
