// The verification report over snapshot servers: every check's line, the errors it counts, the
// abort rule and the summary.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "app/runs/TVerification.h"
#include "tests/runs/RunFixture.h"

namespace {

using cattest::ServerSpec;
using cattest::Snapshot;
using runtest::RecordingSink;
using tavil::TCmdFile;

cattest::TempConfig gConfig;

QString q(const std::string& s) { return QString::fromStdString(s); }

ServerSpec shop()
{
    ServerSpec spec;
    spec.tables = {{"Customers"}, {"Orders", {"Customers"}}, {"Lines"}, {"Items"}, {"Stock"}, {"Sales.2003"}};
    spec.views = {{"dbo", "Totals"}};
    spec.procedures = {{"dbo", "Refill"}};
    spec.defaults = {{"dbo", "Zero"}};
    spec.rules = {{"dbo", "Positive"}};
    spec.types = {{"dbo", "Money2"}};
    spec.functions = {{"dbo", "Tax"}};
    return spec;
}

class Verification : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        shop_ = new Snapshot(shop());
        ServerSpec old = shop();
        old.versionMajor = 7;
        seven_ = new Snapshot(old);
    }
    static void TearDownTestSuite()
    {
        delete shop_;
        delete seven_;
    }
    static std::unique_ptr<TCmdFile> file(std::initializer_list<std::pair<int, const char*>> objects,
                                          const Snapshot* on = nullptr, const char* database = "Shop")
    {
        auto c = runtest::commandFile(q((on ? on : shop_)->serverName()), database, objects);
        c->TableOptions.ScriptSchema = true;
        c->TableOptions.ScriptData = true;
        c->FormatOptions.GenerateCreateCommand = true;
        return c;
    }
    static Snapshot* shop_;
    static Snapshot* seven_;
};
Snapshot* Verification::shop_ = nullptr;
Snapshot* Verification::seven_ = nullptr;

const QStringList kHead{"Verifying Server connection...  OK.", "Verifying Server version...  OK.",
                        "Verifying Database...  OK."};

TEST_F(Verification, EveryKindListedAndFoundPasses)
{
    const auto c = file({{TCmdFile::KindTables, "dbo.Orders"},
                         {TCmdFile::KindTables, "dbo.Sales.2003"},
                         {TCmdFile::KindViews, "dbo.Totals"},
                         {TCmdFile::KindStoredProcs, "dbo.Refill"},
                         {TCmdFile::KindDefaults, "dbo.Zero"},
                         {TCmdFile::KindRules, "dbo.Positive"},
                         {TCmdFile::KindTypes, "dbo.Money2"},
                         {TCmdFile::KindFunctions, "dbo.Tax"}});
    RecordingSink out;
    const auto result = tavil::Verify(*c, out);
    EXPECT_EQ(result.ErrorCount, 0);
    EXPECT_FALSE(result.Aborted);
    EXPECT_EQ(out.lines, (kHead + QStringList{"Verifying Tables...  OK.",
                                             "Verifying Table options...  OK.",
                                             "Verifying Views...  OK.",
                                             "Verifying Stored Procedures...  OK.",
                                             "Verifying Defaults...  OK.",
                                             "Verifying Rule...  OK.",
                                             "Verifying User Defined Datatypes...  OK.",
                                             "Verifying User Defined Functions...  OK.",
                                             "Verifying Formatting options...  OK.",
                                             "Verifying Script result...  OK.",
                                             "",
                                             "No errors found in command file."}));
    EXPECT_EQ(out.progress, (std::vector<int>{10, 20, 25, 35, 45, 55, 65, 75, 85, 95, 100}));
    EXPECT_EQ(out.descriptions, (QStringList{"Verifying script. Please wait...", "Script verification succeeded."}));
    EXPECT_EQ(out.errorMarks, 0);
}

TEST_F(Verification, NothingSelectedFailsOnlyTheLastCheck)
{
    const auto c = file({});
    RecordingSink out;
    EXPECT_EQ(tavil::Verify(*c, out).ErrorCount, 1);
    EXPECT_EQ(out.lines, (kHead + QStringList{"Verifying Formatting options...  OK.",
                                             "Verifying Script result... ",
                                             "Error: No objects selected to script.",
                                             "",
                                             "1 error(s) found in command file."}));
    EXPECT_EQ(out.progress, (std::vector<int>{10, 20, 25, 35, 45, 55, 65, 75, 85, 95, 100}));
    EXPECT_EQ(out.descriptions.last(), "Script verification failed.");
    EXPECT_EQ(out.errorMarks, 1);
}

TEST_F(Verification, AnUnreachableServerAbortsAfterTheConnectionLine)
{
    auto c = file({{TCmdFile::KindTables, "dbo.Orders"}});
    const QString server = q("file:" + shop_->dir().file("nowhere.snapshot"));
    c->Connection.ServerName = server;
    RecordingSink out;
    const auto result = tavil::Verify(*c, out);
    EXPECT_TRUE(result.Aborted);
    EXPECT_EQ(result.ErrorCount, 1);
    EXPECT_TRUE(result.AbortDetails.contains("nowhere.snapshot")) << result.AbortDetails.toStdString();
    EXPECT_EQ(out.lines, (QStringList{"Verifying Server connection... ",
                                      "Error: Unable to open '" + server + "' SQL Server.", "",
                                      "1 error(s) found in command file."}));
    EXPECT_EQ(out.progress, std::vector<int>{100});
    EXPECT_EQ(out.descriptions.last(), "Script verification failed.");
    EXPECT_EQ(out.errorMarks, 1);
}

TEST_F(Verification, ASnapshotNamedRelativelyIsFoundBesideTheCommandFile)
{
    auto c = file({{TCmdFile::KindViews, "dbo.Totals"}});
    c->Connection.ServerName = "file:shop.snapshot";
    c->FileName = q(shop_->dir().file("views.qvx"));
    RecordingSink out;
    EXPECT_EQ(tavil::Verify(*c, out).ErrorCount, 0) << out.lines.join('\n').toStdString();
}

TEST_F(Verification, AMissingDatabaseAbortsWithTheLookupError)
{
    const auto c = file({{TCmdFile::KindTables, "dbo.Orders"}}, nullptr, "Gone");
    RecordingSink out;
    const auto result = tavil::Verify(*c, out);
    EXPECT_TRUE(result.Aborted);
    ASSERT_EQ(out.lines.size(), 6);
    EXPECT_EQ(out.lines.mid(0, 3), (QStringList{kHead[0], kHead[1], "Verifying Database... "}));
    EXPECT_TRUE(out.lines[3].startsWith("Error: ")) << out.lines[3].toStdString();
    EXPECT_TRUE(out.lines[3].contains("Gone")) << out.lines[3].toStdString();
    EXPECT_EQ(out.lines.mid(4), (QStringList{"", "1 error(s) found in command file."}));
    EXPECT_EQ(out.progress, (std::vector<int>{10, 100}));
}

TEST_F(Verification, AnOldServerVersionIsReportedAndTheChecksGoOn)
{
    const auto c = file({{TCmdFile::KindViews, "dbo.Totals"}}, seven_);
    RecordingSink out;
    EXPECT_EQ(tavil::Verify(*c, out).ErrorCount, 1);
    EXPECT_EQ(out.lines, (QStringList{"Verifying Server connection...  OK.", "Verifying Server version... ",
                                      "Error: Wrong SQL Server version. Version 7 is not supported. This may result "
                                      "in script generation errors.",
                                      "Verifying Database...  OK.", "Verifying Views...  OK.",
                                      "Verifying Formatting options...  OK.", "Verifying Script result...  OK.", "",
                                      "1 error(s) found in command file."}));
}

TEST_F(Verification, MissingObjectsAreCountedUnderTheirTitle)
{
    const auto c = file({{TCmdFile::KindTables, "dbo.Orders"},
                         {TCmdFile::KindTables, "dbo.Ghost"},
                         {TCmdFile::KindTables, "dbo.Lines"},
                         {TCmdFile::KindTables, "sales.Orders"},
                         {TCmdFile::KindTables, "dbo.Stock"},
                         {TCmdFile::KindFunctions, "dbo.Nope"}});
    RecordingSink out;
    EXPECT_EQ(tavil::Verify(*c, out).ErrorCount, 3);
    ASSERT_EQ(out.lines.size(), 13);
    EXPECT_EQ(out.lines[3], "Verifying Tables... ");
    EXPECT_TRUE(out.lines[4].startsWith("Error: ") && out.lines[4].contains("dbo.Ghost")) << out.lines[4].toStdString();
    EXPECT_TRUE(out.lines[5].startsWith("Error: ") && out.lines[5].contains("sales.Orders")) << out.lines[5].toStdString();
    EXPECT_EQ(out.lines[6], "Verifying Table options...  OK.");
    EXPECT_EQ(out.lines[7], "Verifying User Defined Functions... ");
    EXPECT_TRUE(out.lines[8].contains("dbo.Nope")) << out.lines[8].toStdString();
    EXPECT_EQ(out.lines.last(), "3 error(s) found in command file.");
}

TEST_F(Verification, SwitchChecks)
{
    struct Case {
        bool withTable;
        bool schema, data, create, drop;
        QStringList errors;
    };
    const QString tableOptions = "Error: Invalid table options. Must script schema and/or data.";
    const QString formatting =
        "Error: Table schema scripting enabled but CREATE or DROP command generation disabled.";
    const Case cases[] = {
        {true, false, false, true, false, {tableOptions}},
        {true, true, false, false, false, {formatting}},
        {true, true, false, false, true, {}},
        {true, false, true, false, false, {}},
        {false, true, false, false, false, {}},  // no table: the formatting check passes
    };
    for (const Case& k : cases) {
        auto c = k.withTable ? file({{TCmdFile::KindTables, "dbo.Orders"}}) : file({{TCmdFile::KindViews, "dbo.Totals"}});
        c->TableOptions.ScriptSchema = k.schema;
        c->TableOptions.ScriptData = k.data;
        c->FormatOptions.GenerateCreateCommand = k.create;
        c->FormatOptions.GenerateDropCommand = k.drop;
        RecordingSink out;
        EXPECT_EQ(tavil::Verify(*c, out).ErrorCount, k.errors.size());
        QStringList errors;
        for (const QString& line : out.lines)
            if (line.startsWith("Error: ")) errors << line;
        EXPECT_EQ(errors, k.errors) << k.schema << k.data << k.create << k.drop;
    }
}

TEST_F(Verification, ASecondRunGivesTheSameReport)
{
    const auto c = file({{TCmdFile::KindTables, "dbo.Ghost"}, {TCmdFile::KindViews, "dbo.Totals"}});
    RecordingSink first, second;
    tavil::Verify(*c, first);
    tavil::Verify(*c, second);
    EXPECT_EQ(first.lines, second.lines);
    EXPECT_EQ(first.progress, second.progress);
}

TEST(VerificationNames, PlainUnlessAPartWouldBeMisread)
{
    EXPECT_EQ(tavil::VerificationLookupName("dbo", "Orders"), "dbo.Orders");
    EXPECT_EQ(tavil::VerificationLookupName("dbo", "Order Lines"), "dbo.Order Lines");
    EXPECT_EQ(tavil::VerificationLookupName("dbo", "Sales.2003"), "[dbo].[Sales.2003]");
    EXPECT_EQ(tavil::VerificationLookupName("dbo", "a]b"), "[dbo].[a]]b]");
    EXPECT_EQ(tavil::VerificationLookupName("dbo", " padded"), "[dbo].[ padded]");
}

}  // namespace
