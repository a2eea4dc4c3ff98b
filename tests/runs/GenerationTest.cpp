// The generation run end to end: the component loaded from beside the test, snapshot servers
// built in code, the result file and its line ends, and the failure paths.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include "app/runs/TGeneration.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/support/EQMException.h"
#include "app/support/QMTools.h"
#include "tests/runs/RunFixture.h"

namespace {

using cattest::ServerSpec;
using cattest::Snapshot;
using tavil::EQMException;
using tavil::TCmdFile;

cattest::TempConfig gConfig;

QString q(const std::string& s) { return QString::fromStdString(s); }

sqldmo::Value id(int n) { return sqldmo::Value::ofInteger(sqldmo::SqlType::Int, n); }

ServerSpec shop()
{
    ServerSpec spec;
    spec.tables = {{"Empty"},
                   {"Zones", {}, "dbo", false, {{id(1)}}},
                   {"Customers", {"Zones"}, "dbo", false, {{id(7)}}},
                   {"Orders", {"Customers"}, "dbo", false, {{id(70)}, {id(71)}}}};
    spec.views = {{"dbo", "Totals"}};
    return spec;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class Generation : public ::testing::Test {
protected:
    static void SetUpTestSuite() { shop_ = new Snapshot(shop()); }
    static void TearDownTestSuite() { delete shop_; }
    static std::unique_ptr<TCmdFile> file(std::initializer_list<std::pair<int, const char*>> objects)
    {
        auto c = runtest::commandFile(q(shop_->serverName()), "Shop", objects);
        c->TableOptions.ScriptSchema = true;
        c->TableOptions.ScriptData = true;
        c->FormatOptions.GenerateCreateCommand = true;
        c->FormatOptions.ScriptDependantObjects = false;
        return c;
    }
    // Runs and records the component's messages about table rows, in order.
    static QString run(const TCmdFile& c, QStringList* dataMessages = nullptr, std::vector<int>* percents = nullptr)
    {
        return tavil::Generate(
            c, [percents](int p) { if (percents) percents->push_back(p); },
            [dataMessages](const QString& m) {
                if (dataMessages && m.startsWith("Scripting [")) dataMessages->append(m);
            });
    }
    static Snapshot* shop_;
};
Snapshot* Generation::shop_ = nullptr;

TEST_F(Generation, ScriptsTheTablesRowsInDependencyOrder)
{
    struct Case {
        bool dependants;
        QStringList expected;
    };
    const Case cases[] = {
        {false, {"Scripting [dbo].[Customers] data...", "Scripting [dbo].[Orders] data..."}},
        {true,
         {"Scripting [dbo].[Zones] data...", "Scripting [dbo].[Customers] data...", "Scripting [dbo].[Orders] data..."}},
    };
    for (const Case& k : cases) {
        auto c = file({{TCmdFile::KindTables, "dbo.Orders"}, {TCmdFile::KindTables, "dbo.Customers"}});
        c->FormatOptions.ScriptDependantObjects = k.dependants;
        QStringList messages;
        std::vector<int> percents;
        const QString path = run(*c, &messages, &percents);
        EXPECT_EQ(messages, k.expected);
        ASSERT_FALSE(percents.empty());
        EXPECT_EQ(percents.back(), 100);
        const QByteArray script = readAll(path);
        EXPECT_TRUE(script.contains("CREATE TABLE [dbo].[Orders]")) << script.constData();
        EXPECT_TRUE(script.contains("71")) << script.constData();
    }
}

TEST_F(Generation, TheResultFileIsPrivateToTheProcessAndEndsEveryLineWithCrLf)
{
    const auto c = file({{TCmdFile::KindViews, "dbo.Totals"}});
    const QString path = run(*c);
    EXPECT_EQ(path, tavil::ResultFilePath());
    EXPECT_TRUE(path.endsWith("/ScriptResult.tmp"));
    EXPECT_TRUE(path.startsWith(tavil::TempFolder()));
    EXPECT_NE(QFileInfo(path).absolutePath() + "/", tavil::TempFolder());
    EXPECT_EQ(QFileInfo(QFileInfo(path).absolutePath()).permissions() & (QFile::ReadOther | QFile::WriteOther), 0);

    const QByteArray bytes = readAll(path);
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n"));
    EXPECT_EQ(bytes.count("\r"), bytes.count("\r\n"));
    EXPECT_TRUE(bytes.contains("CREATE VIEW [dbo].[Totals]")) << bytes.constData();

    // A second run replaces the file.
    const auto tables = file({{TCmdFile::KindTables, "dbo.Zones"}});
    EXPECT_EQ(run(*tables), path);
    EXPECT_FALSE(readAll(path).contains("Totals"));
}

TEST_F(Generation, ASnapshotNamedRelativelyIsFoundBesideTheCommandFile)
{
    auto c = file({{TCmdFile::KindViews, "dbo.Totals"}});
    c->Connection.ServerName = "file:shop.snapshot";
    c->FileName = q(shop_->dir().file("views.qvx"));
    EXPECT_TRUE(readAll(run(*c)).contains("CREATE VIEW [dbo].[Totals]"));
}

TEST(ResultFile, LinesAreSplitAtEveryBreakAndWrittenWithCrLf)
{
    struct Case {
        const char* text;
        const char* stored;
    };
    const Case cases[] = {
        {"a\nb\nc", "a\r\nb\r\nc\r\n"},
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\rb", "a\r\nb\r\n"},
        {"a\n\rb", "a\r\n\r\nb\r\n"},
        {"a\r\n\r\nb", "a\r\n\r\nb\r\n"},
        {"\n", "\r\n"},
        {"", ""},
        {"\xc3\x85rsplan", "\xc3\x85rsplan\r\n"},
    };
    cattest::TempDir dir;
    const QString path = q(dir.file("out.sql"));
    for (const Case& c : cases) {
        tavil::WriteLinesCrLf(path, tavil::SplitLines(QString::fromUtf8(c.text)));
        EXPECT_EQ(readAll(path), QByteArray(c.stored)) << c.text;
    }
    EXPECT_EQ(QDir(q(dir.path())).entryList(QDir::Files), QStringList{"out.sql"});
}

TEST(ResultFile, BlankScriptsAreNothingButBlanksAndControlCharacters)
{
    EXPECT_TRUE(tavil::IsBlankScript(""));
    EXPECT_TRUE(tavil::IsBlankScript(" \r\n\t\x01\r\n  "));
    EXPECT_FALSE(tavil::IsBlankScript(" \r\nGO\r\n"));
}

TEST(ResultFile, AFailedWriteLeavesTheOldFile)
{
    cattest::TempDir dir;
    const QString path = q(dir.file("keep.sql"));
    tavil::WriteLinesCrLf(path, {"old"});
    // A folder in the way: the new file cannot replace it.
    const QString blocked = q(dir.file("blocked"));
    QDir().mkpath(blocked + "/inside");
    try {
        tavil::WriteLinesCrLf(blocked, {"new"});
        FAIL() << "wrote over a folder";
    } catch (const EQMException& e) {
        EXPECT_TRUE(e.Message.startsWith("Unable to write file '" + blocked + "'")) << e.Message.toStdString();
    }
    EXPECT_EQ(readAll(path), QByteArray("old\r\n"));
    EXPECT_EQ(QDir(q(dir.path())).entryList(QDir::Files), QStringList{"keep.sql"});
}

TEST_F(Generation, FailuresEndTheRunWithTheirMessageAndKeepTheLastResult)
{
    const QString path = run(*file({{TCmdFile::KindViews, "dbo.Totals"}}));
    const QByteArray before = readAll(path);
    ASSERT_FALSE(before.isEmpty());

    struct Case {
        const char* what;
        std::function<void(TCmdFile&)> change;
        QString message;  // the start of the message
    };
    const QString missing = q("file:" + shop_->dir().file("missing.snapshot"));
    const Case cases[] = {
        {"a script of blanks",
         [](TCmdFile& c) {
             // The rows of a table without rows, without its schema: nothing to write.
             c.TableOptions.ScriptSchema = false;
             c.FormatOptions.IncludeHeaders = false;
             c.Tables.Add(new tavil::TDBObject("dbo", "Empty"));
         },
         "Empty result script."},
        {"nothing selected", [](TCmdFile&) {}, ""},
        {"unknown server", [&](TCmdFile& c) { c.Connection.ServerName = missing; }, ""},
        {"unknown table with dependants",
         [](TCmdFile& c) {
             c.FormatOptions.ScriptDependantObjects = true;
             c.Tables.Add(new tavil::TDBObject("dbo", "Ghost"));
         },
         "Unable to list dependencies from the selected tables in 'Shop'."},
        {"unknown database",
         [](TCmdFile& c) {
             c.Connection.DatabaseName = "Gone";
             c.Tables.Add(new tavil::TDBObject("dbo", "Zones"));
         },
         ""},
    };
    for (const Case& k : cases) {
        auto c = file({});
        k.change(*c);
        try {
            run(*c);
            ADD_FAILURE() << k.what << ": the run succeeded";
        } catch (const EQMException& e) {
            EXPECT_FALSE(e.Message.isEmpty()) << k.what;
            EXPECT_TRUE(e.Message.startsWith(k.message)) << k.what << ": " << e.Message.toStdString();
        }
        EXPECT_EQ(readAll(path), before) << k.what;
    }
}

TEST_F(Generation, TheOptionsReachTheComponent)
{
    // The component refuses a blocking timeout it cannot express in milliseconds.
    const int saved = tavil::VELKOptions().BlockingTimeout;
    tavil::VELKOptions().BlockingTimeout = 3000000;
    EXPECT_THROW(run(*file({{TCmdFile::KindViews, "dbo.Totals"}})), EQMException);
    tavil::VELKOptions().BlockingTimeout = saved;
    EXPECT_NO_THROW(run(*file({{TCmdFile::KindViews, "dbo.Totals"}})));
}

TEST_F(Generation, AResultFolderThatCannotBeWrittenFailsTheRunWithoutAFile)
{
    const QString path = tavil::ResultFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    // Something else takes the folder's place while the process runs.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    {
        QFile block(folder);
        ASSERT_TRUE(block.open(QIODevice::WriteOnly));
    }
    try {
        run(*file({{TCmdFile::KindViews, "dbo.Totals"}}));
        ADD_FAILURE() << "wrote into a file";
    } catch (const EQMException& e) {
        EXPECT_TRUE(e.Message.contains("ScriptResult.tmp")) << e.Message.toStdString();
    }
    ASSERT_TRUE(QFile::remove(folder));
    // The next run makes the folder again.
    EXPECT_EQ(run(*file({{TCmdFile::KindViews, "dbo.Totals"}})), path);
    EXPECT_TRUE(QFileInfo(path).isFile());
}

}  // namespace
