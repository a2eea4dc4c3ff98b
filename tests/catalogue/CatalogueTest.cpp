// Catalogue browsing over snapshot servers: opening with the options, listings and their
// messages, existence checks that never raise.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QDir>
#include <climits>

#include "app/catalogue/TDMOServer.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/support/QMApplication.h"
#include "sqldmo/objects/Sqldmo.h"
#include "tests/catalogue/CatalogueFixture.h"

namespace {

using cattest::ServerSpec;
using cattest::Snapshot;
using tavil::EQMException;
using tavil::TDMOServer;

cattest::TempConfig gConfig;

QString q(const std::string& s) { return QString::fromStdString(s); }

ServerSpec shop()
{
    ServerSpec spec;
    spec.tables = {{"Orders"}, {"Customers"}, {"Orders", {}, "sales"}, {"sysobjects", {}, "dbo", true}, {"ORDERS", {}, "audit"}};
    spec.views = {{"dbo", "Totals"}, {"dbo", "sysviews", true}};
    spec.procedures = {{"dbo", "Refill"}, {"dbo", "sp_help", true}};
    spec.defaults = {{"dbo", "Zero"}, {"dbo", "SysDefault", true}};
    spec.rules = {{"dbo", "Positive"}, {"dbo", "SysRule", true}};
    spec.types = {{"dbo", "Money2"}, {"dbo", "sysname2", true}};
    spec.functions = {{"dbo", "Tax"}, {"dbo", "fn_sys", true}};
    spec.moreDatabases = {"Archive", "master"};
    return spec;
}

class Catalogue : public ::testing::Test {
protected:
    static void SetUpTestSuite() { snapshot_ = new Snapshot(shop()); }
    static void TearDownTestSuite()
    {
        delete snapshot_;
        snapshot_ = nullptr;
    }
    static QString server() { return q(snapshot_->serverName()); }
    static std::unique_ptr<TDMOServer> open() { return std::make_unique<TDMOServer>(server(), false, "sa", "pw"); }
    static Snapshot* snapshot_;
};
Snapshot* Catalogue::snapshot_ = nullptr;

TEST_F(Catalogue, OpensWithTheOptionsOfThePreferences)
{
    struct Case {
        int blockingSeconds;
        std::int32_t blockingMs;
    };
    const Case cases[] = {{30, 30000}, {-1, -1}, {0, 0}, {5000000, INT_MAX}};
    tavil::TVELKOptions saved = tavil::VELKOptions();
    for (const Case& c : cases) {
        tavil::VELKOptions().LoginTimeout = 12;
        tavil::VELKOptions().QueryTimeout = 34;
        tavil::VELKOptions().NetPacketSize = 8192;
        tavil::VELKOptions().BlockingTimeout = c.blockingSeconds;
        const auto s = open();
        const sqldmo::Server& dmo = *s->DMOServer;
        EXPECT_EQ(dmo.blockingTimeout(), c.blockingMs) << c.blockingSeconds;
        EXPECT_EQ(dmo.loginTimeout(), 12);
        EXPECT_EQ(dmo.queryTimeout(), 34);
        EXPECT_EQ(dmo.netPacketSize(), 8192);
        EXPECT_EQ(q(dmo.applicationName()), tavil::QMApp().FullName);
        EXPECT_FALSE(dmo.odbcPrefix());
        EXPECT_FALSE(dmo.autoReconnect());
        EXPECT_TRUE(dmo.isConnected());
    }
    tavil::VELKOptions() = saved;
}

TEST_F(Catalogue, WindowsAuthenticationKeepsNoLogin)
{
    TDMOServer trusted(server(), true, "bob", "secret");
    EXPECT_TRUE(trusted.WindowsAuthentication);
    EXPECT_TRUE(trusted.DMOServer->loginSecure());
    EXPECT_TRUE(trusted.Username.isEmpty());
    EXPECT_TRUE(trusted.Password.isEmpty());

    TDMOServer login(server(), false, "sa", "secret");
    EXPECT_FALSE(login.DMOServer->loginSecure());
    EXPECT_EQ(login.Username, "sa");
    EXPECT_EQ(login.Password, "secret");
    EXPECT_EQ(login.ServerName, server());
}

TEST_F(Catalogue, AServerThatCannotBeOpenedIsNamed)
{
    struct Case {
        QString server;
        const char* login;
        const char* details;
    };
    const Case cases[] = {
        {q("file:" + snapshot_->dir().file("missing.snapshot")), "sa", "missing.snapshot"},
        {server(), "bob", "Login failed for user 'bob'"},
    };
    for (const Case& c : cases) {
        try {
            TDMOServer s(c.server, false, c.login, "pw");
            ADD_FAILURE() << "opened " << c.server.toStdString() << " as " << c.login;
        } catch (const EQMException& e) {
            EXPECT_EQ(e.Message, QStringLiteral("Unable to open '%1' SQL Server.").arg(c.server));
            EXPECT_EQ(e.Severity, EQMException::Warning);
            EXPECT_TRUE(e.Details.contains(c.details)) << e.Details.toStdString();
        }
    }
}

TEST_F(Catalogue, ListsDatabasesInTheServersOrder)
{
    QStringList list{"stale"};
    open()->ListDatabases(list);
    EXPECT_EQ(list, (QStringList{"Shop", "Archive", "master"}));
}

TEST_F(Catalogue, ObjectListsKeepOneEntryPerNameWithTheLastOwner)
{
    QStringList list{"stale"};
    open()->ListTables("Shop", list);
    // sales.Orders and audit.ORDERS replace the owner of the first Orders in its place; the
    // system table is left out.
    EXPECT_EQ(list, (QStringList{"Orders=audit", "Customers=dbo"}));
}

TEST_F(Catalogue, SystemObjectsAreLeftOutOfTablesViewsAndProceduresOnly)
{
    const auto s = open();
    const QStringList expected[TDMOServer::KindCount] = {
        {"Orders=audit", "Customers=dbo"},
        {"Totals=dbo"},
        {"Refill=dbo"},
        {"Zero=dbo", "SysDefault=dbo"},
        {"Positive=dbo", "SysRule=dbo"},
        {"Money2=dbo", "sysname2=dbo"},
        {"Tax=dbo", "fn_sys=dbo"},
    };
    for (int kind = 0; kind < TDMOServer::KindCount; ++kind) {
        QStringList list;
        s->ListObjects(kind, "Shop", list);
        EXPECT_EQ(list, expected[kind]) << "kind " << kind;
    }
    QStringList named;
    s->ListUserDefinedFunctions("Shop", named);
    EXPECT_EQ(named, expected[TDMOServer::KindFunctions]);

    const auto owners = s->ObjectOwners(TDMOServer::KindTables, "Shop");
    ASSERT_EQ(owners.size(), 4);
    EXPECT_EQ(owners[2], (QPair<QString, QString>{"Orders", "sales"}));
}

TEST_F(Catalogue, ListingAMissingDatabaseNamesDatabaseAndServer)
{
    const auto s = open();
    const char* messages[TDMOServer::KindCount] = {
        "Unable to list available tables in database '%1' - server '%2'.",
        "Unable to list available views in database '%1' - server '%2'.",
        "Unable to list available stored procedures in database '%1' - server '%2'.",
        "Unable to list available defaults in database '%1' - server '%2'.",
        "Unable to list available rules in database '%1' - server '%2'.",
        "Unable to list available types in database '%1' - server '%2'.",
        "Unable to list available functions in database '%1' - server '%2'.",
    };
    for (int kind = 0; kind < TDMOServer::KindCount; ++kind) {
        QStringList list;
        try {
            s->ListObjects(kind, "Nowhere", list);
            ADD_FAILURE() << "kind " << kind << " listed a missing database";
        } catch (const EQMException& e) {
            EXPECT_EQ(e.Message, QString::fromLatin1(messages[kind]).arg("Nowhere", server()));
            EXPECT_TRUE(e.Details.contains("Nowhere")) << e.Details.toStdString();
        }
    }
}

TEST_F(Catalogue, DefaultDatabaseAndVersion)
{
    const auto s = open();
    EXPECT_EQ(s->DefaultDatabase(), "Shop");
    EXPECT_EQ(s->GetVersionMajor(), 8);

    ServerSpec old = shop();
    old.versionMajor = 7;
    Snapshot seven(old);
    EXPECT_EQ(TDMOServer(q(seven.serverName()), true, {}, {}).GetVersionMajor(), 7);
}

TEST_F(Catalogue, ExistenceChecksAnswerWithoutRaising)
{
    const auto s = open();
    struct Case {
        int kind;
        const char* database;
        const char* name;
        const char* error;  // what the error text names; nullptr when the object exists
    };
    const Case cases[] = {
        {TDMOServer::KindTables, "Shop", "dbo.Customers", nullptr},
        {TDMOServer::KindTables, "Shop", "sales.Orders", nullptr},
        {TDMOServer::KindTables, "Shop", "[sales].[Orders]", nullptr},
        {TDMOServer::KindTables, "shop", "DBO.customers", nullptr},
        {TDMOServer::KindTables, "Shop", "sales.Customers", "sales.Customers"},
        {TDMOServer::KindTables, "Nowhere", "dbo.Customers", "Nowhere"},
        {TDMOServer::KindViews, "Shop", "dbo.Totals", nullptr},
        {TDMOServer::KindViews, "Shop", "dbo.Customers", "dbo.Customers"},
        {TDMOServer::KindStoredProcs, "Shop", "dbo.Refill", nullptr},
        {TDMOServer::KindDefaults, "Shop", "dbo.Zero", nullptr},
        {TDMOServer::KindRules, "Shop", "dbo.Positive", nullptr},
        {TDMOServer::KindTypes, "Shop", "dbo.Money2", nullptr},
        {TDMOServer::KindFunctions, "Shop", "dbo.Tax", nullptr},
        {TDMOServer::KindFunctions, "Shop", "dbo.Missing", "dbo.Missing"},
    };
    for (const Case& c : cases) {
        QString error = "stale";
        EXPECT_EQ(s->ObjectExists(c.kind, c.database, c.name, error), c.error == nullptr) << c.name;
        if (c.error)
            EXPECT_TRUE(error.contains(c.error)) << c.name << ": " << error.toStdString();
        else
            EXPECT_TRUE(error.isEmpty()) << c.name << ": " << error.toStdString();
    }
    QString error;
    EXPECT_TRUE(s->TableExists("Shop", "dbo.Orders", error));
    EXPECT_FALSE(s->TableExists("Shop", "dbo.Gone", error));
    EXPECT_TRUE(error.contains("dbo.Gone"));
    EXPECT_TRUE(s->DatabaseExists("Archive", error));
    EXPECT_FALSE(s->DatabaseExists("Gone", error));
    EXPECT_TRUE(error.contains("Gone"));
    EXPECT_FALSE(s->ObjectExists(42, "Shop", "dbo.Orders", error));
}

TEST(ServerNames, RelativeSnapshotPathsAreTakenFromTheirFolder)
{
    struct Case {
        const char* name;
        const char* folder;
        QString resolved;
    };
    const Case cases[] = {
        {"file:shop.snapshot", "/data/qvx", "file:/data/qvx/shop.snapshot"},
        {"FILE:../snaps/shop.snapshot", "/data/qvx", "FILE:/data/snaps/shop.snapshot"},
        {"file:/abs/shop.snapshot", "/data/qvx", "file:/abs/shop.snapshot"},
        {"file:~/shop.snapshot", "/data/qvx", "file:" + QDir::homePath() + "/shop.snapshot"},
        {"(local)", "/data/qvx", "(local)"},
        {"host\\inst", "/data/qvx", "host\\inst"},
        {"file:", "/data/qvx", "file:"},
    };
    for (const Case& c : cases) EXPECT_EQ(tavil::ResolveServerName(c.name, c.folder), c.resolved) << c.name;
    EXPECT_EQ(tavil::CommandFileServerName("file:shop.snapshot", "/data/qvx/a.qvx"), "file:/data/qvx/shop.snapshot");
    EXPECT_EQ(tavil::CommandFileServerName("file:shop.snapshot", "Untitled"), "file:shop.snapshot");
}

TEST(CatalogueInterface, IsAvailableAndListsServersWithoutRaising)
{
    tavil::TDMOInterface dmo;
    EXPECT_TRUE(dmo.Available);
    QStringList list{"stale"};
    EXPECT_NO_THROW(dmo.ListServers(list));
    EXPECT_FALSE(list.contains("stale"));
}

}  // namespace
