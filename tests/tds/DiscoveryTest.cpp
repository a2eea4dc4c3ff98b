// Server names, the SQL Server Browser and freetds.conf.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "sqldmo/Error.h"
#include "sqldmo/tds/Browser.h"
#include "sqldmo/tds/Discovery.h"
#include "sqldmo/tds/ServerName.h"
#include "tests/tds/Harness.h"
#include "tests/tdsserver/FakeBrowser.h"

namespace tdstest {
namespace {

using namespace std::chrono_literals;
using sqldmo::tds::resolveServerName;

TEST(ServerNames, BecomeWhatDbLibConnectsTo) {
    const std::pair<const char*, const char*> cases[] = {
        {"(local)", "127.0.0.1:1433"},     {" (LOCAL) ", "127.0.0.1:1433"}, {".", "127.0.0.1:1433"},
        {"(local),1500", "127.0.0.1:1500"}, {"db1,1500", "db1:1500"},        {"db1:1500", "db1:1500"},
        {"[::1],1433", "[::1]:1433"},      {"db1", "db1"},                   {"db1\\SALES,1600", "db1:1600"},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(resolveServerName(name, 100ms).dbopenName, expected) << name;
    EXPECT_THROW(resolveServerName("  ", 100ms), sqldmo::Error);
    EXPECT_THROW(resolveServerName("db1\\", 100ms), sqldmo::Error);
}

TEST(Browser, RepliesAreParsed) {
    auto list = sqldmo::tds::parseBrowserReply(
        "ServerName;HOST;InstanceName;MSSQLSERVER;IsClustered;No;Version;8.00.194;tcp;1433;;"
        "ServerName;HOST;InstanceName;SALES;IsClustered;No;Version;9.00.1399.06;np;\\\\HOST\\pipe\\x;;");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].instanceName, "MSSQLSERVER");
    EXPECT_EQ(list[0].tcpPort, 1433);
    EXPECT_EQ(list[1].instanceName, "SALES");
    EXPECT_EQ(list[1].version, "9.00.1399.06");
    EXPECT_EQ(list[1].tcpPort, 0);
    EXPECT_TRUE(sqldmo::tds::parseBrowserReply("").empty());
}

TEST(Browser, InstancesResolveThroughTheBrowser) {
    Running run(richFixture());
    FakeBrowser browser({{"MSSQLSERVER", 1433}, {"SQLEXPRESS", run.server->port()}, {"PIPES", 0}});
    auto all = sqldmo::tds::askBrowser("127.0.0.1", browser.port(), 2s);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].serverName, "TESTHOST");

    auto target = resolveServerName("(local)\\sqlexpress", 2s, browser.port());
    EXPECT_EQ(target.dbopenName, "127.0.0.1:" + std::to_string(run.server->port()));
    EXPECT_EQ(target.displayName, "(local)\\sqlexpress");
    // The resolved name connects.
    auto backend = sqldmo::openTdsBackend(target.dbopenName, run.login());
    EXPECT_EQ(backend->serverInfo().versionMajor, 8);

    auto fails = [&](const char* name, const char* words) {
        try {
            resolveServerName(name, 300ms, browser.port());
            ADD_FAILURE() << name << " resolved";
        } catch (const sqldmo::Error& e) {
            EXPECT_EQ(e.number(), sqldmo::errors::ConnectionFailed);
            EXPECT_NE(e.description().find(words), std::string::npos) << e.description();
        }
    };
    fails("127.0.0.1\\PIPES", "does not accept TCP/IP");
    fails("127.0.0.1\\NOSUCH", "did not answer for it");
}

TEST(Browser, LocalInstancesAreNamedAsUsersWriteThem) {
    struct Case {
        const char* host;
        std::vector<FakeInstance> instances;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"TESTHOST", {{"MSSQLSERVER", 1433}, {"SQLEXPRESS", 1500}}, {"TESTHOST", "TESTHOST\\SQLEXPRESS"}},
        {"", {{"SALES", 1500}, {"mssqlserver", 1433}}, {"(local)\\SALES", "(local)"}},
    };
    for (const Case& k : cases) {
        FakeBrowser browser(k.instances, k.host);
        EXPECT_EQ(sqldmo::listLocalInstances(browser.port()), k.names) << k.host;
    }
}

struct ScopedEnv {
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_) ::setenv(name_, old_.c_str(), 1); else ::unsetenv(name_);
    }
    const char* name_;
    std::string old_;
    bool had_ = false;
};

TEST(FreeTdsConf, ServersOfTheUserAndSystemFilesAreListedOnceAndConnect) {
    Running run(richFixture());
    auto dir = std::filesystem::temp_directory_path() / ("tavil-conf-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream f(dir / "freetds.conf");
        f << "[global]\n  tds version = auto\n; [commented]\n[Alpha]\n  host = 127.0.0.1\n  port = " << run.server->port()
          << "\n[beta]\n  host = nowhere.invalid\n";
        std::ofstream g(dir / ".freetds.conf");
        g << "[BETA]\n  host = elsewhere.invalid\n [ gamma ]\n  host = 127.0.0.1\n";
    }
    ScopedEnv conf("FREETDSCONF", (dir / "freetds.conf").string());
    ScopedEnv home("HOME", dir.string());
    auto servers = sqldmo::listConfiguredServers();
    ASSERT_GE(servers.size(), 3u);
    EXPECT_EQ(servers[0], "Alpha");
    EXPECT_EQ(servers[1], "beta");
    EXPECT_EQ(servers[2], "gamma");
    for (const auto& s : servers) EXPECT_NE(s, "global");

    // A configured name goes to db-lib as it is, and FreeTDS finds its host and port.
    EXPECT_EQ(resolveServerName("alpha", 100ms).dbopenName, "alpha");
    auto backend = sqldmo::openTdsBackend("Alpha", run.login());
    EXPECT_EQ(backend->databaseNames().size(), 2u);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tdstest
