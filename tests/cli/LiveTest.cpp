// tavilc against a live server: the TDS test server on 127.0.0.1 serves a fixture; logins with
// the password on standard input or in the command file, listings, a snapshot of the live
// server, and the runs of a command file that names it.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "app/model/TCmdFile.h"
#include "app/support/QMApplication.h"
#include "tests/catalogue/CatalogueFixture.h"
#include "tests/cli/RunTavilc.h"
#include "tests/tdsserver/TestServer.h"

namespace {

using clitest::Result;

cattest::TempConfig gConfig;

QString q(const std::string& s) { return QString::fromStdString(s); }

Result tavilc(const QStringList& arguments, const QByteArray& input = {})
{
    return clitest::tavilc(q(gConfig.path()), arguments, QString(), input);
}

class Live : public ::testing::Test {
protected:
    void SetUp() override
    {
        cattest::ServerSpec spec;
        spec.tables = {{"Customers"}, {"Orders", {"Customers"}}};
        auto data = std::make_shared<tdstest::FixtureData>(cattest::buildServer(spec));
        data->setRows("Shop", "dbo", "Customers", {{sqldmo::Value::ofInteger(sqldmo::SqlType::Int, 7)}});
        data->setRows("Shop", "dbo", "Orders", {{sqldmo::Value::ofInteger(sqldmo::SqlType::Int, 70)}});
        tdstest::ServerOptions o;
        o.data = data;
        o.lifetime = std::chrono::seconds(240);
        server_ = std::make_unique<tdstest::TestServer>(o);
        server_->start();
    }
    QString address() const { return q(server_->address()); }
    QString path(const char* name) const { return q(dir_.file(name)); }
    std::unique_ptr<tdstest::TestServer> server_;
    cattest::TempDir dir_;
};

TEST_F(Live, ListReadsThePasswordFromStandardInput)
{
    const Result r = tavilc({"list", "--server", address(), "--user", "sa", "-d", "Shop"}, "secret\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "Customers\tdbo\nOrders\tdbo\n");
    const auto logins = server_->observed().logins;
    ASSERT_FALSE(logins.empty());
    EXPECT_EQ(logins.back().userName, "sa");
    EXPECT_EQ(logins.back().password, "secret");
    EXPECT_EQ(q(logins.back().appName), tavil::QMApp().FullName);

    const Result wrong = tavilc({"list", "--server", address(), "--user", "sa"}, "guess\n");
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_TRUE(wrong.err.contains("Unable to open '" + address() + "' SQL Server.")) << wrong.err.toStdString();
    EXPECT_TRUE(wrong.err.contains("Login failed")) << wrong.err.toStdString();
}

TEST_F(Live, ASnapshotOfTheLiveServerServesTheSameRows)
{
    const QString copy = path("live.snapshot");
    const Result r = tavilc({"snapshot", "-S", address(), "-U", "sa", "-d", "Shop", "-o", copy}, "secret\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();

    tavil::TCmdFile c;
    c.Connection.ServerName = "file:live.snapshot";
    c.Connection.DatabaseName = "Shop";
    c.Connection.WindowsAuthentication = true;
    c.Tables.Add(new tavil::TDBObject("dbo", "Orders"));
    c.TableOptions.ScriptData = true;
    c.FormatOptions.ScriptDependantObjects = true;
    c.SaveAs(path("copy.qvx"));
    const Result script = tavilc({"generate", path("copy.qvx")});
    ASSERT_EQ(script.exitCode, 0) << script.err.toStdString();
    EXPECT_TRUE(script.out.contains("VALUES (7)")) << script.out.toStdString();
    EXPECT_TRUE(script.out.contains("VALUES (70)")) << script.out.toStdString();
}

TEST_F(Live, TheRunsLogInWithTheCommandFilesLogin)
{
    struct Case {
        const char* password;
        int verifyExit;
        int generateExit;
    };
    const Case cases[] = {{"secret", 0, 0}, {"guess", 2, 1}};
    for (const Case& k : cases) {
        tavil::TCmdFile c;
        c.Connection.ServerName = address();
        c.Connection.DatabaseName = "Shop";
        c.Connection.WindowsAuthentication = false;
        c.Connection.Username = "sa";
        c.Connection.Password = QString::fromUtf8(k.password);
        c.Tables.Add(new tavil::TDBObject("dbo", "Orders"));
        c.TableOptions.ScriptSchema = true;
        c.TableOptions.ScriptData = true;
        c.FormatOptions.GenerateCreateCommand = true;
        c.SaveAs(path("live.qvx"));

        server_->clearObserved();
        const Result verify = tavilc({"verify", path("live.qvx")});
        EXPECT_EQ(verify.exitCode, k.verifyExit) << k.password << verify.out.toStdString() << verify.err.toStdString();
        const Result generate = tavilc({"generate", path("live.qvx")});
        EXPECT_EQ(generate.exitCode, k.generateExit) << k.password << generate.err.toStdString();
        if (k.generateExit == 0) {
            EXPECT_TRUE(generate.out.contains("CREATE TABLE [dbo].[Orders]")) << generate.out.toStdString();
            EXPECT_TRUE(generate.out.contains("VALUES (70)")) << generate.out.toStdString();
        } else {
            EXPECT_TRUE(generate.err.contains("Login failed")) << generate.err.toStdString();
        }
        for (const auto& login : server_->observed().logins) {
            EXPECT_EQ(login.userName, "sa");
            EXPECT_EQ(login.password, k.password);
        }
    }
}

}  // namespace
