// Feeds arbitrary bytes to the snapshot reader as a file on disk. The whole snapshot is read
// (readSnapshot), then opened as a server whose every database is read and every table queried
// to its last row, once with "*" and once with its columns named. Each step either succeeds or
// throws sqldmo::Error; an error of the file names the file (the server-style errors a query may
// raise for a name it cannot find are the exception). Anything else (a crash, another exception,
// undefined behaviour, a leak) is a finding.
//   fuzz_snapshot -dict=fuzz/snapshot/snapshot.dict -rss_limit_mb=1024 CORPUS build/.../seeds
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sqldmo/Backend.h"
#include "sqldmo/Error.h"
#include "sqldmo/model/Names.h"
#include "sqldmo/snapshot/Snapshot.h"

namespace {

std::string gFolder;
std::string gPath;
bool gVerbose = false;  // FUZZ_SNAPSHOT_VERBOSE=1: every error on stderr, to see how far an input gets

void report(const char* during, const sqldmo::Error& e) {
    if (gVerbose) std::fprintf(stderr, "  %s: %s\n", during, e.what());
}

void removeFiles() {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) ::unlink((gPath + suffix).c_str());
}

void removeFolder() {
    removeFiles();
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

bool writeInput(const std::uint8_t* data, std::size_t size) {
    removeFiles();
    const int fd = ::open(gPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
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
