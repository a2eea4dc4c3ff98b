// What a connection tells the server, and how many queries a catalogue read costs.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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

namespace tdstest {
namespace {

TEST(Connection, SeveralConnectionsWorkAtOnce) {
    Running run(richFixture());
    // Logins and reads from several threads: db-lib is shared by the whole process.
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    std::vector<std::string> problems(4);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            try {
                auto backend = run.open();
                for (int i = 0; i < 5; ++i) {
                    auto db = backend->database("Sample");
                    auto rs = backend->query("Sample", "SELECT * FROM dbo.Customers");
                    int rows = 0;
                    while (rs->next()) ++rows;
                    if (rows != 3 || db->tables.size() != 3) throw std::runtime_error("wrong result");
                }
                ++good;
            } catch (const std::exception& e) {
                problems[static_cast<std::size_t>(t)] = e.what();
            }
        });
    for (auto& th : threads) th.join();
    for (const auto& p : problems) EXPECT_EQ(p, "");
    EXPECT_EQ(good.load(), 4);

    // Two row sets open on one backend: the second gets a connection of its own.
    auto backend = run.open();
    auto a = backend->query("Sample", "SELECT * FROM dbo.Orders");
    ASSERT_TRUE(a->next());
    auto b = backend->query("Sample", "SELECT * FROM dbo.Customers");
    int rows = 0;
    while (b->next()) ++rows;
    EXPECT_EQ(rows, 3);
    rows = 1;
    while (a->next()) ++rows;
    EXPECT_EQ(rows, 4);
}

}  // namespace
}  // namespace tdstest
