// What a connection tells the server, and how many queries a catalogue read costs.
#include <gtest/gtest.h>

#include "sqldmo/Error.h"
#include "tests/tds/Harness.h"

namespace tdstest {
namespace {

TEST(Connection, PropertiesReachTheServer) {
    Running run(richFixture());
    struct Case {
        std::int32_t lockTimeoutMs;
        std::int32_t packetSize;
        std::vector<std::int32_t> lockTimeoutsSent;
        std::uint32_t packetSizeSent;  // in the login record
    };
    const Case cases[] = {
        {30000, 8192, {30000}, 8192},
        {0, 32767, {0}, 32767},
        // The server's lock timeout and the library's packet size (FreeTDS sends no packet size
        // below its default 4096).
        {-1, 0, {}, 4096},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lockTimeoutMs);
        run.server->clearObserved();
        auto login = run.login();
        login.applicationName = "Quillomere Korvane";
        login.lockTimeoutMs = c.lockTimeoutMs;
        login.packetSize = c.packetSize;
        login.initialDatabase = "Sample";
        auto backend = run.open(login);
        auto rs = backend->query("Sample", "SELECT * FROM dbo.Orders");
        while (rs->next()) {
        }
        auto seen = run.server->observed();
        ASSERT_EQ(seen.logins.size(), 1u);
        const auto& l = seen.logins.front();
        EXPECT_EQ(l.appName, "Quillomere Korvane");
        EXPECT_EQ(l.userName, "sa");
        EXPECT_EQ(l.database, "Sample");
        EXPECT_EQ(l.packetSize, c.packetSizeSent);
        EXPECT_EQ(l.tdsVersion, 0x74000004u) << "the TDS version is pinned, never left to \"auto\"";
        EXPECT_EQ(seen.lockTimeouts, c.lockTimeoutsSent);
    }
}

TEST(Connection, CatalogueReadCostsTheSameQueriesForTenAndAThousandTables) {
    auto count = [](int tables) {
        Running run(syntheticFixture(tables));
        auto backend = run.open();
        backend->databaseNames();
        const std::int64_t before = backend->queriesSent();
        const std::int64_t received = run.server->batchCount();
        auto db = backend->database("Synth");
        EXPECT_EQ(static_cast<int>(db->tables.size()), tables);
        EXPECT_EQ(static_cast<int>(db->tables.back().foreignKeys.size()), 1);
        const std::int64_t sent = backend->queriesSent() - before;
        EXPECT_EQ(sent, run.server->batchCount() - received);
        return sent;
    };
    const std::int64_t ten = count(10);
    EXPECT_EQ(ten, count(1000));
    EXPECT_LE(ten, 20);
}

TEST(Connection, QueriesSentCountsWhatTheServerReceived) {
    Running run(richFixture());
    auto backend = run.open();
    backend->database("Sample");
    auto rs = backend->query("Sample", "SELECT * FROM dbo.Customers");
    while (rs->next()) {
    }
    EXPECT_EQ(backend->queriesSent(), run.server->batchCount());
}

}  // namespace
}  // namespace tdstest
