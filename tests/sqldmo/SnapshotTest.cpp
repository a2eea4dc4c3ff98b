// Snapshot files: catalogue and rows survive a write and a read unchanged; broken files are
// refused with the file's name; a failed write leaves the old file in place.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "Fixtures.h"
#include "sqldmo/Backend.h"
#include "sqldmo/Error.h"
#include "sqldmo/snapshot/Snapshot.h"

using namespace sqldmo;
using fixtures::TempDir;

namespace {

// The stored row count is what was written, so the expectation carries it.
model::Server withRowCounts(model::Server s, std::int64_t rows) {
    for (auto& db : s.databases)
        for (auto& t : db->tables) t.rowCount = rows;
    return s;
}

void expectSameServer(const model::Server& expected, const model::Server& actual) {
    EXPECT_EQ(expected.name, actual.name);
    EXPECT_EQ(expected.logins, actual.logins);
    ASSERT_EQ(expected.databases.size(), actual.databases.size());
    for (std::size_t d = 0; d < expected.databases.size(); ++d) {
        const auto& e = *expected.databases[d];
        const auto& a = *actual.databases[d];
        ASSERT_EQ(e.tables.size(), a.tables.size());
        for (std::size_t i = 0; i < e.tables.size(); ++i) {
            EXPECT_EQ(e.tables[i].columns, a.tables[i].columns) << e.tables[i].name;
            EXPECT_EQ(e.tables[i], a.tables[i]) << e.tables[i].name;
        }
        EXPECT_EQ(e.views, a.views);
        EXPECT_EQ(e.procedures, a.procedures);
        EXPECT_EQ(e.functions, a.functions);
        EXPECT_EQ(e.types, a.types);
        EXPECT_EQ(e.users, a.users);
        EXPECT_EQ(e.roles, a.roles);
        EXPECT_EQ(e, a);
    }
    EXPECT_TRUE(expected == actual);
}

std::string errorOf(const std::function<void()>& f, std::int32_t* number = nullptr) {
    try {
        f();
    } catch (const Error& e) {
        if (number) *number = e.number();
        return e.description();
    }
    return "(no error)";
}

}  // namespace

TEST(Snapshot, CatalogueRoundTripKeepsEveryField) {
    TempDir dir;
    const auto path = dir.file("ledger.snapshot");
    const auto server = fixtures::everyField();
    snapshot::writeSnapshot(path, server);
    expectSameServer(withRowCounts(server, 0), snapshot::readSnapshot(path));
}

TEST(Snapshot, RowsOfEveryTypeComeBackExactly) {
    TempDir dir;
    const auto path = dir.file("types.snapshot");
    const auto rows = fixtures::allTypesRows();
    snapshot::writeSnapshot(path, fixtures::allTypes(), fixtures::rowsFor("AllTypes", rows));

    EXPECT_EQ(snapshot::readSnapshot(path).databases[0]->tables[0].rowCount, static_cast<std::int64_t>(rows.size()));

    auto backend = openServerBackend("file:" + path, {});
    auto set = backend->query("Types", "SELECT * FROM dbo.AllTypes");
    ASSERT_EQ(set->columns().size(), rows[0].size());
    EXPECT_EQ(set->columns()[24].type, SqlType::SqlVariant);
    EXPECT_EQ(set->columns()[3].typeName, "int");
    std::size_t r = 0;
    while (set->next()) {
        ASSERT_LT(r, rows.size());
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            EXPECT_EQ(set->value(c), rows[r][c]) << "row " << r << ", column " << set->columns()[c].name;
        ++r;
    }
    EXPECT_EQ(r, rows.size());
    EXPECT_FALSE(set->next());
}

TEST(Snapshot, WrittenFromAnOpenBackendCatalogueAndRowsArrive) {
    TempDir dir;
    // The source holds two databases: the catalogue of everything and the table of all types.
    auto source = fixtures::everyField();
    source.databases.push_back(fixtures::allTypes().databases[0]);
    const auto rows = fixtures::allTypesRows();
    const auto first = dir.file("first.snapshot");
    snapshot::writeSnapshot(first, source, fixtures::rowsFor("AllTypes", rows));

    LoginOptions login;
    login.integrated = true;
    auto backend = openServerBackend("file:" + first, login);
    const auto copy = dir.file("copy.snapshot");
    std::vector<int> percents;
    snapshot::writeSnapshot(copy, *backend, {}, [&](const std::string&, int p) { percents.push_back(p); });
    expectSameServer(snapshot::readSnapshot(first), snapshot::readSnapshot(copy));
    ASSERT_FALSE(percents.empty());
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100);

    auto copied = openServerBackend("file:" + copy, login);
    auto set = copied->query("Types", "SELECT * FROM [dbo].[AllTypes]");
    for (const auto& expected : rows) {
        ASSERT_TRUE(set->next());
        for (std::size_t c = 0; c < expected.size(); ++c) EXPECT_EQ(set->value(c), expected[c]) << c;
    }
    EXPECT_FALSE(set->next());

    // Chosen databases only, named in any letter case; a name the server lacks writes nothing.
    const auto some = dir.file("some.snapshot");
    snapshot::writeSnapshot(some, *backend, {"TYPES", "types"});
    const auto only = snapshot::readSnapshot(some);
    ASSERT_EQ(only.databases.size(), 1u);
    EXPECT_EQ(only.databases[0]->name, "Types");
    std::int32_t number = 0;
    EXPECT_EQ(errorOf([&] { snapshot::writeSnapshot(dir.file("none.snapshot"), *backend, {"Nowhere"}); }, &number),
              "[SQL-DMO]Database 'Nowhere' not found");
    EXPECT_EQ(number, errors::NotFound);
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.snapshot")));
}

TEST(Snapshot, RowsThatDoNotFitTheTableAreRefusedAndNothingIsWritten) {
    TempDir dir;
    const auto path = dir.file("bad.snapshot");
    {
        std::ofstream old(path);
        old << "the old file";
    }
    const auto server = fixtures::allTypes();
    auto row = fixtures::allTypesRows()[0];
    row[3] = Value::ofText(SqlType::VarChar, "not a number");
    std::int32_t number = 0;
    const auto message = errorOf([&] { snapshot::writeSnapshot(path, server, fixtures::rowsFor("AllTypes", {row})); }, &number);
    EXPECT_EQ(number, errors::InvalidArgument);
    EXPECT_NE(message.find("[dbo].[AllTypes]"), std::string::npos) << message;
    EXPECT_NE(message.find("[c_int]"), std::string::npos) << message;

    row.pop_back();
    EXPECT_NE(errorOf([&] { snapshot::writeSnapshot(path, server, fixtures::rowsFor("AllTypes", {row})); }).find("24 values"),
              std::string::npos);

    EXPECT_EQ(fixtures::readFile(path), "the old file");
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        EXPECT_EQ(entry.path().filename(), "bad.snapshot") << "left behind: " << entry.path();
}

TEST(Snapshot, BrokenFilesAreRefusedNamingTheFile) {
    TempDir dir;
    const auto good = dir.file("good.snapshot");
    snapshot::writeSnapshot(good, fixtures::everyField());
    const auto size = std::filesystem::file_size(good);

    const auto writeBytes = [&](const std::string& name, const std::string& bytes) {
        const auto path = dir.file(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    };
    const std::string goodBytes = fixtures::readFile(good);
    ASSERT_EQ(goodBytes.size(), size);
    // Every page after the first overwritten: the header stays readable, the catalogue not.
    std::string scrambled = goodBytes.substr(0, 8192);
    for (std::size_t i = 8192; i < goodBytes.size(); ++i) scrambled += static_cast<char>(i * 7 + 3);
    // Made with the writer, then its version raised past what this build reads.
    const auto newer = writeBytes("newer.snapshot", [&] {
        std::string b = goodBytes;
        b[60] = 0;
        b[61] = 0;
        b[62] = 0;
        b[63] = 99;  // PRAGMA user_version lives at offset 60, big-endian
        return b;
    }());
    const auto foreignBytes = [&] {
        std::string b = goodBytes;
        b[68] = b[69] = b[70] = b[71] = 0;  // application_id at offset 68
        return b;
    }();

    struct Case {
        std::string path;
        std::string expected;
    } cases[] = {
        {dir.file("missing.snapshot"), "not found"},
        {dir.path(), "not a file"},
        {writeBytes("text.snapshot", "[Header]\r\nApplication=nothing\r\n"), "is not a snapshot file"},
        {writeBytes("empty.snapshot", ""), "is not a snapshot file"},
        {writeBytes("foreign.snapshot", foreignBytes), "is not a snapshot file"},  // a SQLite file of another kind
        {writeBytes("truncated.snapshot", goodBytes.substr(0, goodBytes.size() / 2)), "damaged"},
        {writeBytes("scrambled.snapshot", scrambled), "damaged"},
        {newer, "format version 99"},
    };
    for (const auto& c : cases) {
        std::int32_t number = 0;
        const auto message = errorOf(
            [&] {
                // Opening alone must find the fault, or reading the catalogue must.
                auto b = openServerBackend("file:" + c.path, {});
                for (const auto& name : b->databaseNames()) b->database(name);
            },
            &number);
        EXPECT_EQ(number, errors::SnapshotInvalid) << c.path << ": " << message;
        EXPECT_NE(message.find(c.path), std::string::npos) << message;
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
        EXPECT_EQ(errorOf([&] { snapshot::readSnapshot(c.path); }), message);
    }
}

namespace {

// A copy of a good snapshot changed with SQL, as someone editing the file by hand would.
std::string editedCopy(const TempDir& dir, const std::string& good, const std::string& name, const std::string& sql) {
    const auto path = dir.file(name);
    std::filesystem::copy_file(good, path, std::filesystem::copy_options::overwrite_existing);
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
    return path;
}

}  // namespace

// The row range of a table comes from the file: an edited range, or a row taken out of it, is
// reported (not read as fewer rows, and with no arithmetic overflow on extreme rowids).
TEST(Snapshot, RowsOutOfTheirPlaceAreReportedNamingTheFile) {
    TempDir dir;
    const auto good = dir.file("good.snapshot");
    const auto rows = fixtures::allTypesRows();
    snapshot::writeSnapshot(good, fixtures::allTypes(), fixtures::rowsFor("AllTypes", rows));
    const std::string setRange = "UPDATE objects SET first_row = ";
    const struct {
        std::string name;
        std::string sql;
        std::string expected;
    } cases[] = {
        {"full-range.snapshot", setRange + "-9223372036854775808, last_row = 9223372036854775807", "out of place"},
        // Backwards, and one wrapped subtraction away from looking like four rows.
        {"wrapped.snapshot", setRange + "9223372036854775807, last_row = -9223372036854775806", "out of place"},
        {"negative-count.snapshot", "UPDATE objects SET row_count = -4", "out of place"},
        {"deleted-row.snapshot", "DELETE FROM rows WHERE rowid = (SELECT max(rowid) FROM rows)", "rows of a table missing"},
        {"past-the-end.snapshot", setRange + "first_row + 1, last_row = last_row + 1", "rows of a table missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = editedCopy(dir, good, c.name, c.sql);
        std::int32_t number = 0;
        const auto message = errorOf(
            [&] {
                auto set = openServerBackend("file:" + path, {})->query("Types", "SELECT [c_int] FROM dbo.AllTypes");
                while (set->next()) {
                }
            },
            &number);
        EXPECT_EQ(number, errors::SnapshotInvalid) << message;
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    }
}

// A view, a trigger or a generated column computes while the file is read, without bound in time
// or memory (a recursive view never ends): files that hold one are refused before any is read.
TEST(Snapshot, FilesThatComputeWhileReadAreRefused) {
    TempDir dir;
    const auto good = dir.file("good.snapshot");
    snapshot::writeSnapshot(good, fixtures::everyField());
    const struct {
        std::string name;
        std::string sql;
    } cases[] = {
        {"view.snapshot",
         "DROP TABLE logins; CREATE VIEW logins AS SELECT 1 AS position, 'sa' AS name, '' AS default_database, "
         "'' AS default_language, 0 AS windows_login, 0 AS windows_group, 0 AS deny_login"},
        {"generated.snapshot",
         "DROP TABLE meta; CREATE TABLE meta(key TEXT PRIMARY KEY, v TEXT, value TEXT AS (v)) WITHOUT ROWID; "
         "INSERT INTO meta(key, v) VALUES ('format', 'tavilor-snapshot')"},
        {"trigger.snapshot", "CREATE TRIGGER t AFTER INSERT ON logins BEGIN DELETE FROM logins; END"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = editedCopy(dir, good, c.name, c.sql);
        std::int32_t number = 0;
        const auto message = errorOf([&] { snapshot::readSnapshot(path); }, &number);
        EXPECT_EQ(number, errors::SnapshotInvalid) << message;
        EXPECT_NE(message.find(path), std::string::npos) << message;
        EXPECT_NE(message.find("views, triggers or computed columns"), std::string::npos) << message;
        EXPECT_EQ(errorOf([&] { openServerBackend("file:" + path, {}); }), message);
    }
}

// Numbers of the catalogue rows come from the file too: the extremes are damage like any other
// wrong number (no arithmetic overflow on the way).
TEST(Snapshot, ExtremeNumbersInTheCatalogueAreDamage) {
    TempDir dir;
    const auto good = dir.file("good.snapshot");
    snapshot::writeSnapshot(good, fixtures::everyField());
    const std::string min = "-9223372036854775808";
    const std::string edits[] = {
        "UPDATE key_constraints SET ordinal = " + min + " WHERE ordinal = 1",
        "UPDATE index_columns SET ordinal = " + min + " WHERE owner_kind = 'K' AND ordinal = 1",
        "UPDATE properties SET ordinal = " + min + " WHERE target = 'K'",
        "UPDATE columns SET oid = -1 WHERE oid = (SELECT min(oid) FROM columns)",
    };
    int n = 0;
    for (const auto& sql : edits) {
        SCOPED_TRACE(sql);
        const auto path = editedCopy(dir, good, "edited" + std::to_string(++n) + ".snapshot", sql);
        std::int32_t number = 0;
        const auto message = errorOf([&] { snapshot::readSnapshot(path); }, &number);
        EXPECT_EQ(number, errors::SnapshotInvalid) << message;
        EXPECT_NE(message.find("Snapshot file '" + path + "' is damaged"), std::string::npos) << message;
    }
}
