// Faults of the server or the network end in clear errors in the server's words, and nothing
// waits past its timeouts. Timeouts here are 1-2 seconds; the server delays by more.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "sqldmo/Error.h"
#include "tests/tds/Harness.h"

namespace tdstest {
namespace {

using sqldmo::Error;
using sqldmo::ServerError;
namespace errors = sqldmo::errors;

std::shared_ptr<FixtureData> dataWithRows(std::int64_t rows) {
    auto d = richFixture();
    addBenchTable(*d, rows);
    return d;
}

// Runs f and returns the sqldmo::Error it throws (fails the test when it throws none).
template <class F>
Error errorOf(F f) {
    try {
        f();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error was raised";
    return Error(0, "");
}

TEST(Faults, WrongPasswordIsTheServersLoginError) {
    Running run(richFixture());
    auto login = run.login();
    login.password = "wrong";
    try {
        run.open(login);
        FAIL() << "the login was accepted";
    } catch (const ServerError& e) {
        EXPECT_EQ(e.number(), errors::LoginFailed);
        EXPECT_EQ(e.description(), "Login failed for user 'sa'.");
        EXPECT_EQ(e.severity(), 14);
    }
}

TEST(Faults, ServerThatNeverAnswersTheLoginTimesOut) {
    Running run(richFixture());
    Faults f;
    f.noAnswer = true;
    run.server->setFaults(f);
    auto login = run.login();
    login.loginTimeout = 1;
    Error e = errorOf([&] { run.open(login); });
    EXPECT_EQ(e.number(), errors::Timeout);
    EXPECT_NE(e.description().find(run.server->address()), std::string::npos) << e.description();
    EXPECT_NE(e.description().find("did not answer the login"), std::string::npos) << e.description();
}

TEST(Faults, SlowQueryTimesOutAndTheConnectionStaysUsable) {
    Running run(richFixture());
    auto login = run.login();
    login.queryTimeout = 1;
    auto backend = run.open(login);
    Faults f;
    f.slowMatch = "/* slow */";
    f.slowDelay = std::chrono::seconds(30);
    run.server->setFaults(f);
    Error e = errorOf([&] { backend->query("Sample", "SELECT * FROM dbo.Orders /* slow */"); });
    EXPECT_EQ(e.number(), errors::Timeout);
    EXPECT_NE(e.description().find("timed out after 1 second"), std::string::npos) << e.description();
    // The server acknowledged the cancel: the same connection answers the next query.
    auto rs = backend->query("Sample", "SELECT * FROM dbo.Orders");
    int rows = 0;
    while (rs->next()) ++rows;
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(run.server->observed().connections, 1);
    EXPECT_GE(run.server->observed().attentions, 1);
}

TEST(Faults, ConnectionDroppedInTheMiddleOfRowsIsReportedAndTheNextQueryReconnects) {
    Running run(dataWithRows(5000));
    auto backend = run.open();
    Faults f;
    f.dropTable = "Rows";
    f.dropAfterRows = 3000;
    run.server->setFaults(f);
    auto rs = backend->query("Bench", "SELECT * FROM dbo.Rows");
    std::int64_t rows = 0;
    Error e = errorOf([&] {
        while (rs->next()) ++rows;
    });
    EXPECT_EQ(e.number(), errors::ConnectionBroken);
    EXPECT_NE(e.description().find("was broken"), std::string::npos) << e.description();
    EXPECT_LT(rows, 3000);
    rs.reset();

    run.server->setFaults({});
    auto again = backend->query("Bench", "SELECT * FROM dbo.Rows");
    rows = 0;
    while (again->next()) ++rows;
    EXPECT_EQ(rows, 5000);
}

TEST(Faults, ServerErrorsCarryTheServersNumberAndWords) {
    Running run(richFixture());
    auto backend = run.open();
    Faults f;
    f.errorMatch = "FROM dbo.Orders";
    f.errorNumber = 547;
    f.errorSeverity = 16;
    f.errorState = 0;
    f.errorText = "The SELECT statement conflicted with something.";
    run.server->setFaults(f);
    try {
        backend->query("Sample", "SELECT * FROM dbo.Orders");
        FAIL() << "no error";
    } catch (const ServerError& e) {
        EXPECT_EQ(e.number(), 547);
        EXPECT_EQ(e.description(), f.errorText);
        EXPECT_EQ(e.severity(), 16);
    }

    // The server's own errors, and a catalogue query that fails.
    run.server->setFaults({});
    try {
        backend->query("Sample", "SELECT * FROM dbo.Missing");
        FAIL() << "no error";
    } catch (const ServerError& e) {
        EXPECT_EQ(e.number(), 208);
        EXPECT_EQ(e.description(), "Invalid object name 'dbo.Missing'.");
    }
    EXPECT_EQ(errorOf([&] { backend->database("Nowhere"); }).number(), errors::NotFound);
    f.errorMatch = "tavil:indexes";
    f.errorNumber = 229;
    f.errorText = "SELECT permission denied on object 'sysindexes'.";
    run.server->setFaults(f);
    Error e = errorOf([&] { backend->database("Sample"); });
    EXPECT_EQ(e.number(), 229);
    EXPECT_EQ(e.description(), f.errorText);
}

// A result's columns asked for alone (SET FMTONLY ON) never leave the pooled connection in
// that mode. The test server keeps FMTONLY for the session and ends a batch at a missing
// object, as a real server does: a connection left in it returns columns and no rows.
TEST(Faults, AColumnProbeNeverLeavesItsConnectionWithoutRows) {
    struct Case {
        const char* what;
        const char* sql;         // no catalogue hints, so its columns are asked for first
        const char* failMatch;   // batches that fail with the server's 50000, or ""
        std::int32_t error;      // what the query raises, 0 for nothing
        int rows;                // rows the query itself returns
        int newConnections;      // logins after the backend opened
    };
    const Case cases[] = {
        {"a trailing comment", "SELECT 7 AS n -- the last line", "", 0, 1, 0},
        {"an error that ends the batch", "SELECT * FROM dbo.Missing", "", 208, 0, 0},
        {"the closing batch fails", "SELECT 7 AS n", "FMTONLY OFF", 50000, 0, 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        Running run(richFixture());
        auto backend = run.open();
        Faults f;
        f.errorMatch = k.failMatch;
        run.server->setFaults(f);
        run.server->clearObserved();
        int rows = 0;
        std::int32_t error = 0;
        try {
            auto rs = backend->query("Sample", k.sql);
            while (rs->next()) ++rows;
        } catch (const Error& e) {
            error = e.number();
        }
        EXPECT_EQ(error, k.error);
        EXPECT_EQ(rows, k.rows);
        const auto batches = run.server->observed().batches;
        std::size_t probe = 0;
        while (probe < batches.size() && batches[probe].find("FMTONLY ON") == std::string::npos) ++probe;
        ASSERT_LT(probe + 1, batches.size());
        EXPECT_EQ(batches[probe + 1], "SET FMTONLY OFF");

        // The next query on the backend gets its rows, on the same connection unless the
        // closing batch failed.
        run.server->setFaults({});
        auto rs = backend->query("Sample", "SELECT * FROM dbo.Orders");
        int orders = 0;
        while (rs->next()) ++orders;
        EXPECT_EQ(orders, 4);
        EXPECT_EQ(run.server->observed().connections, k.newConnections);
    }
}

TEST(Faults, AHugeResultStreamsAndCanBeLeftEarly) {
    Running run(dataWithRows(5'000'000));
    auto backend = run.open();
    {
        auto rs = backend->query("Bench", "SELECT * FROM dbo.Rows");
        for (int i = 0; i < 10; ++i) ASSERT_TRUE(rs->next());
        EXPECT_EQ(rs->value(0).integer, 10);
    }  // leaving the rows cancels the rest
    EXPECT_GE(run.server->observed().attentions, 1);
    auto rs = backend->query("Sample", "SELECT * FROM dbo.Orders");
    int rows = 0;
    while (rs->next()) ++rows;
    EXPECT_EQ(rows, 4);
}

TEST(Faults, NothingListeningIsAConnectionFailure) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);  // the port is free and nothing listens there
    std::string name = "127.0.0.1," + std::to_string(ntohs(a.sin_port));
    ServerOptions o;
    sqldmo::LoginOptions login = loginFor(o);
    login.loginTimeout = 2;
    Error e = errorOf([&] { sqldmo::openTdsBackend(name, login); });
    EXPECT_EQ(e.number(), errors::ConnectionFailed);
    EXPECT_NE(e.description().find("Unable to connect to server '" + name + "'"), std::string::npos) << e.description();
}

// Sets an environment variable (nullptr unsets it) for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value) ::setenv(name, value, 1); else ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (had_) ::setenv(name_.c_str(), old_.c_str(), 1); else ::unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_, old_;
    bool had_ = false;
};

// Integrated login is refused before any login is sent only when the ticket cache is a file
// that is not there. A cache of another kind may hold a valid ticket: the login is tried.
TEST(Faults, IntegratedLoginIsRefusedOnlyWhenNoTicketCanBeThere) {
    struct Case {
        const char* what;
        const char* ccname;        // KRB5CCNAME, nullptr for unset
        const char* defaultCache;  // default_ccache_name of krb5.conf, nullptr for none
        bool refused;
    };
    const Case cases[] = {
        {"a missing file cache", "FILE:/nonexistent/tavil-no-ticket", nullptr, true},
        {"a missing file cache by path", "/nonexistent/tavil-no-ticket", nullptr, true},
        {"krb5.conf names a missing file cache", nullptr, "FILE:/nonexistent/tavil-no-ticket", true},
        {"krb5.conf names a KCM cache", nullptr, "KCM:", false},
        {"krb5.conf names a keyring", nullptr, "KEYRING:persistent:%{uid}", false},
        {"a keyring", "KEYRING:persistent:4242", nullptr, false},
        {"a cache folder", "DIR:/nonexistent/tavil-tickets", nullptr, false},
    };
    char folder[] = "/tmp/tavil-krb5-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string conf = std::string(folder) + "/krb5.conf";
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        {
            std::FILE* out = std::fopen(conf.c_str(), "w");
            ASSERT_NE(out, nullptr);
            std::fprintf(out, "[libdefaults]\n");
            if (k.defaultCache) std::fprintf(out, "    default_ccache_name = %s\n", k.defaultCache);
            std::fclose(out);
        }
        ScopedEnv config("KRB5_CONFIG", conf.c_str());
        ScopedEnv cache("KRB5CCNAME", k.ccname);
        Running run(richFixture());
        auto login = run.login();
        login.integrated = true;
        Error e = errorOf([&] { run.open(login); });
        const bool unavailable = e.description().find("Integrated login is not available here") != std::string::npos;
        EXPECT_EQ(unavailable, k.refused) << e.description();
        EXPECT_EQ(e.number() == errors::NotSupported, k.refused) << e.description();
        if (k.refused) {
            EXPECT_TRUE(run.server->observed().logins.empty());
        } else {
            EXPECT_NE(e.description().find("Integrated login to '" + run.server->address() + "' failed"), std::string::npos)
                << e.description();
            EXPECT_NE(e.description().find("klist"), std::string::npos) << e.description();
        }
    }
    std::remove(conf.c_str());
    ::rmdir(folder);
}

}  // namespace
}  // namespace tdstest
