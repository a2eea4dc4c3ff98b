// The runs against a live server (the TDS test server on 127.0.0.1): the preferences' timeouts
// and packet size and the command file's login reach every connection the runs open.
#include <gtest/gtest.h>

#include <QFile>
#include <QString>

#include "app/runs/TGeneration.h"
#include "app/runs/TVerification.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"
#include "tests/runs/RunFixture.h"
#include "tests/tdsserver/TestServer.h"

namespace {

using tavil::TCmdFile;

cattest::TempConfig gConfig;

class LiveRuns : public ::testing::Test {
protected:
    void SetUp() override
    {
        cattest::ServerSpec spec;
        spec.tables = {{"Customers"}, {"Orders", {"Customers"}}};
        auto data = std::make_shared<tdstest::FixtureData>(cattest::buildServer(spec));
        data->setRows("Shop", "dbo", "Orders", {{sqldmo::Value::ofInteger(sqldmo::SqlType::Int, 70)}});
        tdstest::ServerOptions o;
        o.data = data;
        o.lifetime = std::chrono::seconds(240);
        server_ = std::make_unique<tdstest::TestServer>(o);
        server_->start();
        saved_ = tavil::VELKOptions();
        tavil::VELKOptions().BlockingTimeout = 30;
        tavil::VELKOptions().NetPacketSize = 8192;
        tavil::VELKOptions().LoginTimeout = 5;
    }
    void TearDown() override { tavil::VELKOptions() = saved_; }

    std::unique_ptr<TCmdFile> file(const char* password) const
    {
        auto c = runtest::commandFile(QString::fromStdString(server_->address()), "Shop",
                                      {{TCmdFile::KindTables, "dbo.Orders"}});
        c->Connection.WindowsAuthentication = false;
        c->Connection.Username = "sa";
        c->Connection.Password = QString::fromUtf8(password);
        c->TableOptions.ScriptSchema = true;
        c->TableOptions.ScriptData = true;
        c->FormatOptions.GenerateCreateCommand = true;
        c->FormatOptions.ScriptDependantObjects = true;
        return c;
    }
    void expectEveryConnectionConfigured(const char* what) const
    {
        const tdstest::Observed seen = server_->observed();
        ASSERT_FALSE(seen.logins.empty()) << what;
        for (const auto& login : seen.logins) {
            EXPECT_EQ(login.userName, "sa") << what;
            EXPECT_EQ(login.password, "secret") << what;
            EXPECT_EQ(login.packetSize, 8192u) << what;
        }
        ASSERT_FALSE(seen.lockTimeouts.empty()) << what;
        for (const auto ms : seen.lockTimeouts) EXPECT_EQ(ms, 30000) << what;
    }

    std::unique_ptr<tdstest::TestServer> server_;
    tavil::TVELKOptions saved_;
};

TEST_F(LiveRuns, VerificationConnectsWithThePreferencesAndTheLogin)
{
    runtest::RecordingSink out;
    const auto result = tavil::Verify(*file("secret"), out);
    EXPECT_EQ(result.ErrorCount, 0) << out.lines.join('\n').toStdString();
    expectEveryConnectionConfigured("verification");
    EXPECT_EQ(QString::fromStdString(server_->observed().logins.front().appName), tavil::QMApp().FullName);
}

TEST_F(LiveRuns, GenerationConnectsWithThePreferencesAndTheLogin)
{
    QFile script(tavil::Generate(*file("secret")));
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    const QByteArray text = script.readAll();
    EXPECT_TRUE(text.contains("CREATE TABLE [dbo].[Orders]")) << text.constData();
    EXPECT_TRUE(text.contains("70")) << text.constData();
    expectEveryConnectionConfigured("generation");
}

TEST_F(LiveRuns, AWrongPasswordEndsBothRunsWithTheServersWords)
{
    runtest::RecordingSink out;
    const auto result = tavil::Verify(*file("guess"), out);
    EXPECT_TRUE(result.Aborted);
    EXPECT_EQ(out.lines.value(1), "Error: Unable to open '" + QString::fromStdString(server_->address()) + "' SQL Server.");
    EXPECT_TRUE(result.AbortDetails.contains("Login failed")) << result.AbortDetails.toStdString();
    try {
        tavil::Generate(*file("guess"));
        FAIL() << "generated with a wrong password";
    } catch (const tavil::EQMException& e) {
        EXPECT_TRUE(e.Message.contains("Login failed")) << e.Message.toStdString();
    }
}

}  // namespace
