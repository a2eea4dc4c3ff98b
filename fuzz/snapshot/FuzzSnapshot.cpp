// Feeds arbitrary bytes to the snapshot reader as a file on disk. The whole snapshot is read
// (readSnapshot), then opened as a server whose every database is read and every table queried
// to its last row, once with "*" and once with its columns named. Each step either succeeds or
// throws sqldmo::Error; an error of the file names the file (the server-style errors a query may
// raise for a name it cannot find are the exception). Anything else (a crash, another exception,
// undefined behaviour, a leak) is a finding.
// Half of the mutations are made through SQLite rather than on the bytes: a cell of a random
// table set to a value of another type or an extreme, a row deleted, a cell copied from another
// row. Files stay readable that way, and the reader's own checks get the damage.
//   fuzz_snapshot -dict=fuzz/snapshot/snapshot.dict -rss_limit_mb=1024 CORPUS build/.../seeds
#include <fcntl.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "sqldmo/Backend.h"
#include "sqldmo/Error.h"
#include "sqldmo/model/Names.h"
#include "sqldmo/snapshot/Snapshot.h"

namespace {

std::string gFolder;
std::string gPath;
std::string gMutatePath;
bool gVerbose = false;  // FUZZ_SNAPSHOT_VERBOSE=1: every error on stderr, to see how far an input gets

void report(const char* during, const sqldmo::Error& e) {
    if (gVerbose) std::fprintf(stderr, "  %s: %s\n", during, e.what());
}

void removeFiles() {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) ::unlink((gPath + suffix).c_str());
}

void removeFolder() {
    removeFiles();
    ::unlink(gMutatePath.c_str());
    ::rmdir(gFolder.c_str());
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

void expectNamesFile(const sqldmo::Error& e, const char* during) {
    report(during, e);
    if (std::string_view(e.what()).find(gPath) == std::string_view::npos)
        fail(std::string(during) + ": the error does not name the file: " + e.what());
}

void expectQueryError(const sqldmo::Error& e, const std::string& sql) {
    if (dynamic_cast<const sqldmo::ServerError*>(&e)) {
        report("query", e);
        // A catalogue name that no longer finds its table (or database, or column).
        if (e.number() != 207 && e.number() != 208 && e.number() != 911)
            fail("query " + sql + ": unexpected server error " + std::to_string(e.number()) + ": " + e.what());
        return;
    }
    expectNamesFile(e, "query");
}

bool writeFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < size) {
        const auto n = ::write(fd, data + done, size - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return done == size;
}

bool writeInput(const std::uint8_t* data, std::size_t size) {
    removeFiles();
    return writeFile(gPath, data, size);
}

// ---- Mutations through SQLite ----

std::string quoted(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

std::vector<std::string> column0(sqlite3* db, const std::string& sql) {
    std::vector<std::string> out;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK)
        while (sqlite3_step(s) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
            out.emplace_back(text ? text : "");
        }
    sqlite3_finalize(s);
    return out;
}

// Values that break the reader's expectations: other storage classes, extremes, the words the
// reader looks for, malformed type tags and dates.
void bindInteresting(sqlite3_stmt* s, int index, std::minstd_rand& rng) {
    static const std::int64_t kIntegers[] = {0, 1, -1, 2, 7, 8, 16, 256, 4096, 99, 2147483647, -2147483647 - 1,
                                             std::numeric_limits<std::int64_t>::max(),
                                             std::numeric_limits<std::int64_t>::min()};
    static const char* const kTexts[] = {"", "x", "dbo", "K", "I", "C", "R", "D", "O", "F", "H", "Q", "GRANT", "DENY",
                                         "int", "bit", "sql_variant", "decimal(10,2)", "nvarchar(40)", "int(1,2,3,4)",
                                         "decimal(", "#text", "#exact", "#datetime", "#guid", "#binary", "#nothing",
                                         "2002-03-05 14:07:09.123", "9999-99-99 99:99:99.999", "12.50", "tavilor-snapshot",
                                         "Customer", "Shop", "master", "\xff\xfe"};
    switch (rng() % 6) {
        case 0: sqlite3_bind_null(s, index); break;
        case 1: case 2: sqlite3_bind_int64(s, index, kIntegers[rng() % std::size(kIntegers)]); break;
        case 3: {
            static const double kReals[] = {1.5, -0.0, 1e308, -1e-308, 3.4028235e38};
            sqlite3_bind_double(s, index, kReals[rng() % std::size(kReals)]);
            break;
        }
        case 4: sqlite3_bind_text(s, index, kTexts[rng() % std::size(kTexts)], -1, SQLITE_STATIC); break;
        default: {
            static const char kBytes[] = "\x00\x01\xff\x80";
            sqlite3_bind_blob(s, index, kBytes, static_cast<int>(rng() % 5), SQLITE_STATIC);
            break;
        }
    }
}

// One change to the database in `path`; false when the file cannot take it.
bool mutateThroughSqlite(const std::string& path, std::minstd_rand& rng) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool changed = false;
    sqlite3_exec(db, "PRAGMA journal_mode=OFF", nullptr, nullptr, nullptr);
    const auto tables = column0(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND sql LIKE 'CREATE TABLE %'");
    if (!tables.empty()) {
        const std::string table = tables[rng() % tables.size()];
        const auto columns = column0(db, "SELECT name FROM pragma_table_info(" + quoted(table) + ")");
        auto keys = column0(db, "SELECT name FROM pragma_table_info(" + quoted(table) + ") WHERE pk > 0 ORDER BY pk");
        const auto counts = column0(db, "SELECT count(*) FROM " + quoted(table));
        const long rows = counts.empty() ? 0 : std::atol(counts[0].c_str());
        if (!columns.empty() && rows > 0) {
            std::string key;  // the key columns of a row, or its rowid
            if (keys.empty()) keys.push_back("rowid");
            for (const auto& k : keys) key += (key.empty() ? "" : ", ") + (k == "rowid" ? k : quoted(k));
            const std::string row =
                "(" + key + ") IN (SELECT " + key + " FROM " + quoted(table) + " LIMIT 1 OFFSET " +
                std::to_string(rng() % static_cast<unsigned long>(rows)) + ")";
            const std::string column = quoted(columns[rng() % columns.size()]);
            std::string sql;
            const auto kind = rng() % 8;
            if (kind == 0)
                sql = "DELETE FROM " + quoted(table) + " WHERE " + row;
            else if (kind == 1)
                sql = "UPDATE OR IGNORE " + quoted(table) + " SET " + column + " = (SELECT " + column + " FROM " +
                      quoted(table) + " LIMIT 1 OFFSET " + std::to_string(rng() % static_cast<unsigned long>(rows)) +
                      ") WHERE " + row;
            else
                sql = "UPDATE OR IGNORE " + quoted(table) + " SET " + column + " = ?1 WHERE " + row;
            sqlite3_stmt* s = nullptr;
            if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK) {
                if (kind >= 2) bindInteresting(s, 1, rng);
                changed = sqlite3_step(s) == SQLITE_DONE && sqlite3_changes(db) > 0;
            }
            sqlite3_finalize(s);
        }
    }
    sqlite3_close(db);
    return changed;
}

void drain(sqldmo::ServerBackend& backend, const std::string& database, const std::string& sql) {
    try {
        auto rows = backend.query(database, sql);
        const auto width = rows->columns().size();
        std::size_t count = 0;
        for (; rows->next(); ++count)
            for (std::size_t i = 0; i < width; ++i) (void)rows->value(i).kind;
        if (gVerbose) std::fprintf(stderr, "  %zu rows: %s\n", count, sql.c_str());
    } catch (const sqldmo::Error& e) {
        expectQueryError(e, sql);
    }
}

void readAsServer() {
    sqldmo::LoginOptions options;
    options.integrated = true;
    std::unique_ptr<sqldmo::ServerBackend> backend;
    try {
        backend = sqldmo::openSnapshotBackend(gPath, options);
    } catch (const sqldmo::Error& e) {
        expectNamesFile(e, "openSnapshotBackend");
        return;
    }
    (void)backend->serverInfo();
    (void)backend->logins();
    for (const auto& name : backend->databaseNames()) {
        std::shared_ptr<const sqldmo::model::Database> db;
        try {
            db = backend->database(name);
        } catch (const sqldmo::Error& e) {
            expectNamesFile(e, "database");
            continue;
        }
        using sqldmo::model::quoteName;
        for (const auto& t : db->tables) {
            drain(*backend, name, "SELECT * FROM " + quoteName(t.owner) + "." + quoteName(t.name));
            std::string list;
            for (const auto& c : t.columns) list += (list.empty() ? "" : ", ") + quoteName(c.name);
            if (!list.empty())
                drain(*backend, "",
                      "SELECT " + list + " FROM " + quoteName(name) + "." + quoteName(t.owner) + "." + quoteName(t.name));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = std::getenv("TMPDIR");
    std::string folder = std::string(base && *base ? base : "/tmp") + "/fuzz-snapshot-XXXXXX";
    if (!::mkdtemp(folder.data())) fail("cannot make a temporary folder under " + folder);
    gFolder = folder;
    gPath = gFolder + "/input.snapshot";
    gMutatePath = gFolder + "/mutate.snapshot";
    const char* verbose = std::getenv("FUZZ_SNAPSHOT_VERBOSE");
    gVerbose = verbose && *verbose && *verbose != '0';
    std::atexit(removeFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!writeInput(data, size)) fail("cannot write " + gPath);
    try {
        (void)sqldmo::snapshot::readSnapshot(gPath);
    } catch (const sqldmo::Error& e) {
        expectNamesFile(e, "readSnapshot");
    }
    readAsServer();
    return 0;
}

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
    std::minstd_rand rng(seed);
    if (rng() % 2 == 0 && size > 0 && writeFile(gMutatePath, data, size) && mutateThroughSqlite(gMutatePath, rng)) {
        const int fd = ::open(gMutatePath.c_str(), O_RDONLY);
        if (fd >= 0) {
            std::vector<std::uint8_t> bytes(maxSize + 1);
            std::size_t got = 0;
            for (ssize_t n; got < bytes.size() && (n = ::read(fd, bytes.data() + got, bytes.size() - got)) > 0;)
                got += static_cast<std::size_t>(n);
            ::close(fd);
            if (got > 0 && got <= maxSize) {
                std::memcpy(data, bytes.data(), got);
                return got;
            }
        }
    }
    return LLVMFuzzerMutate(data, size, maxSize);
}
