// Data scripting of one large table from a snapshot, side by side with `sqlite3 FILE ".dump TABLE"`
// over the same file: both times, their ratio, rows per second and peak memory.
//
//   korva_data_bench [--rows N] [--snapshot PATH] [--keep]
//
// The table: int identity, nvarchar with non-ASCII text, datetime, decimal, float, varbinary;
// one value in ten of the nullable columns is NULL. The component is loaded with dlopen and
// driven as the program drives it; it runs in a child process of its own so that its peak
// memory is measured alone (VmHWM, reset just before GenerateScript).
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "component/KorvaInterface.h"
#include "sqldmo/model/Catalog.h"
#include "sqldmo/snapshot/Snapshot.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using sqldmo::SqlType;
using sqldmo::Value;

struct Options {
    long rows = 1000000;
    std::string snapshot;
    bool keep = false;
};

void usage() {
    std::puts(
        "Usage: korva_data_bench [--rows N] [--snapshot PATH] [--keep]\n"
        "Scripts the rows of a generated table through libkorva.so and compares with\n"
        "sqlite3 FILE \".dump TABLE\" over the same snapshot file.\n"
        "  --rows N         rows of the table (default 1000000)\n"
        "  --snapshot PATH  where the snapshot is written (default: a temporary file)\n"
        "  --keep           keep the snapshot file afterwards");
}

std::string executableFolder() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string s(path, static_cast<std::size_t>(n));
    return s.substr(0, s.rfind('/'));
}

long statusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::size_t len = std::strlen(field);
    while (std::getline(in, line))
        if (line.compare(0, len, field) == 0) return std::atol(line.c_str() + len + 1);
    return -1;
}

// ---- the fixture ------------------------------------------------------------------------------

sqldmo::model::Column column(const char* name, const char* type, int length = 0, int precision = 0, int scale = 0) {
    sqldmo::model::Column c;
    c.name = name;
    c.dataType = c.baseType = type;
    c.length = length;
    c.precision = precision;
    c.scale = scale;
    return c;
}

void writeFixture(const std::string& path, long rows) {
    auto db = std::make_shared<sqldmo::model::Database>();
    db->name = "Bench";
    db->owner = "sa";
    sqldmo::model::Table t;
    t.id = 1;
    t.owner = "dbo";
    t.name = "Big";
    sqldmo::model::Column id = column("id", "int");
    id.identity = true;
    id.nullable = false;
    t.columns = {id,
                 column("name", "nvarchar", 50),
                 column("created", "datetime"),
                 column("amount", "decimal", 0, 12, 2),
                 column("ratio", "float"),
                 column("blob", "varbinary", 16)};
    db->tables.push_back(t);
    sqldmo::model::Server server;
    server.name = "bench";
    server.login = "sa";
    server.databases.push_back(db);

    sqldmo::snapshot::writeSnapshot(path, server, [rows](const sqldmo::model::Database&, const sqldmo::model::Table&,
                                                         sqldmo::snapshot::RowWriter& writer) {
        static const char* names[] = {"Jos\xC3\xA9 Mar\xC3\xADn", "\xC3\x85" "sa \xC3\x96" "berg", "O'Brien",
                                      "\xE6\x9D\xB1\xE4\xBA\xAC \xE5\xA4\xAA\xE9\x83\x8E", "Plain Name"};
        std::vector<Value> row(6);
        std::uint64_t seed = 12345;
        auto next = [&seed] {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
            return seed >> 33;
        };
        for (long i = 1; i <= rows; ++i) {
            const bool nulls = i % 10 == 0;  // one row in ten: every nullable column NULL
            row[0] = Value::ofInteger(SqlType::Int, i);
            if (nulls) {
                for (int k = 1; k < 6; ++k) row[static_cast<std::size_t>(k)] = Value::null();
            } else {
                row[1] = Value::ofText(SqlType::NVarChar, std::string(names[i % 5]) + " " + std::to_string(i));
                sqldmo::DateTimeValue dt;
                dt.year = 1990 + static_cast<int>(next() % 30);
                dt.month = 1 + static_cast<int>(next() % 12);
                dt.day = 1 + static_cast<int>(next() % 28);
                dt.hour = static_cast<int>(next() % 24);
                dt.minute = static_cast<int>(next() % 60);
                dt.second = static_cast<int>(next() % 60);
                dt.millisecond = static_cast<int>(next() % 1000 / 10 * 10 + 3) % 1000;
                row[2] = Value::ofDateTime(SqlType::DateTime, dt);
                const long cents = static_cast<long>(next() % 100000000) - 50000000;
                char amount[32];
                std::snprintf(amount, sizeof amount, "%s%ld.%02ld", cents < 0 ? "-" : "", std::labs(cents) / 100,
                              std::labs(cents) % 100);
                row[3] = Value::ofExact(SqlType::Decimal, amount);
                row[4] = Value::ofFloat(SqlType::Float, static_cast<double>(next()) / 7919.0);
                std::string bytes;
                for (int k = 0; k < 8; ++k) bytes += static_cast<char>(next() & 0xFF);
                row[5] = Value::ofBinary(SqlType::VarBinary, bytes);
            }
            writer.add(row);
        }
    });
}

// The SQLite table that holds the rows: the table's own where the file has one per table, else
// the shared "rows" (the fixture has a single user table, so both hold exactly its rows).
std::string rowTableName(const std::string& path) {
    sqlite3* db = nullptr;
    std::string name = "rows";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT row_table FROM objects WHERE name = 'Big'", -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
            name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return name;
}

// ---- the two runs -----------------------------------------------------------------------------

struct Result {
    bool ok = false;
    double seconds = 0;
    long peakKiB = 0;     // component: growth over the baseline; sqlite3: its maximum resident size
    long baseKiB = 0;
    double scriptBytes = 0;
    char error[512] = {};
};

bool check(korva::HResult hr, korva::GetErrorInfoFn errorInfo, Result& r, const char* what) {
    if (korva::succeeded(hr)) return true;
    korva::ErrorInfo info;
    std::string text = what;
    if (errorInfo(&info) == korva::status::Ok) {
        text += ": ";
        for (char16_t c : info.Description) text += c < 0x80 ? static_cast<char>(c) : '?';
    }
    std::snprintf(r.error, sizeof r.error, "%s", text.c_str());
    return false;
}

// Runs in the child: loads the component and scripts the table's data.
Result runComponent(const std::string& snapshot) {
    Result r;
    const std::string library = executableFolder() + "/" + korva::kLibraryName;
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::snprintf(r.error, sizeof r.error, "dlopen %s: %s", library.c_str(), dlerror());
        return r;
    }
    auto create = reinterpret_cast<korva::CreateObjectFn>(dlsym(handle, korva::kCreateObject));
    auto errorInfo = reinterpret_cast<korva::GetErrorInfoFn>(dlsym(handle, korva::kGetErrorInfo));
    void* object = nullptr;
    if (!check(create(&korva::ids::CLSID_Scripter, &korva::ids::IID_Scripter, &object), errorInfo, r, "create"))
        return r;
    auto* s = static_cast<korva::IScripter*>(object);
    korva::IConnection* connection = nullptr;
    korva::ITableOptions* table = nullptr;
    korva::IDependencies* dependencies = nullptr;
    korva::ISettings* settings = nullptr;
    s->get_Connection(&connection);
    s->get_TableOptions(&table);
    s->get_Dependencies(&dependencies);
    s->get_Settings(&settings);
    settings->put_LoginTimeout(-1);
    settings->put_BlockingTimeout(-1);
    settings->put_NetPacketSize(4096);
    const std::string server = "file:" + snapshot;
    connection->put_ServerName(std::u16string(server.begin(), server.end()));
    connection->put_DatabaseName(u"Bench");
    connection->put_Username(u"sa");
    table->put_ScriptData(korva::True);
    s->AddTable(u"dbo", u"Big");
    dependencies->Add(u"[dbo].[Big]");
    if (!check(s->EstablishConnection(), errorInfo, r, "EstablishConnection")) return r;

    std::u16string script;
    {
        std::ofstream reset("/proc/self/clear_refs");
        reset << "5";  // resets VmHWM to the current resident size
    }
    r.baseKiB = statusKiB("VmRSS:");
    const auto start = Clock::now();
    if (!check(s->GenerateScript(&script), errorInfo, r, "GenerateScript")) return r;
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.peakKiB = statusKiB("VmHWM:") - r.baseKiB;
    r.scriptBytes = static_cast<double>(script.size() * sizeof(char16_t));
    s->CloseConnection();
    s->Release();
    r.ok = true;
    return r;
}

Result inChild(const std::string& snapshot) {
    int fds[2];
    Result r;
    if (pipe(fds) != 0) return r;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        Result child = runComponent(snapshot);
        ssize_t written = write(fds[1], &child, sizeof child);
        _exit(written == static_cast<ssize_t>(sizeof child) ? 0 : 1);
    }
    close(fds[1]);
    ssize_t got = read(fds[0], &r, sizeof r);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (got != static_cast<ssize_t>(sizeof r)) {
        r = Result{};
        std::snprintf(r.error, sizeof r.error, "the component's process ended without a result");
    }
    return r;
}

Result runSqlite(const std::string& snapshot, const std::string& table) {
    Result r;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const std::string dump = ".dump " + table;
    std::vector<char*> argv = {const_cast<char*>("sqlite3"), const_cast<char*>(snapshot.c_str()),
                               const_cast<char*>(dump.c_str()), nullptr};
    pid_t pid = 0;
    const auto start = Clock::now();
    if (posix_spawnp(&pid, "sqlite3", &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        std::snprintf(r.error, sizeof r.error, "sqlite3 cannot be started (is it installed?)");
        return r;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.peakKiB = usage.ru_maxrss;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!r.ok) std::snprintf(r.error, sizeof r.error, "sqlite3 failed (status %d)", status);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else if (a == "--rows" && i + 1 < argc) {
            o.rows = std::atol(argv[++i]);
        } else if (a == "--snapshot" && i + 1 < argc) {
            o.snapshot = argv[++i];
        } else if (a == "--keep") {
            o.keep = true;
        } else {
            std::fprintf(stderr, "korva_data_bench: unknown argument '%s'\n", a.c_str());
            usage();
            return 2;
        }
    }
    if (o.rows < 1) {
        std::fprintf(stderr, "korva_data_bench: --rows must be at least 1\n");
        return 2;
    }
    std::string folder;
    if (o.snapshot.empty()) {
        std::string pattern = (std::filesystem::temp_directory_path() / "korva-bench-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        o.snapshot = folder + "/bench.qvsnap";
    }

    std::printf("Writing %ld rows to %s ...\n", o.rows, o.snapshot.c_str());
    std::fflush(stdout);
    const auto writeStart = Clock::now();
    try {
        writeFixture(o.snapshot, o.rows);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korva_data_bench: the snapshot cannot be written: %s\n", e.what());
        return 1;
    }
    std::printf("  written in %.2f s\n", std::chrono::duration<double>(Clock::now() - writeStart).count());
    const std::string table = rowTableName(o.snapshot);

    const Result component = inChild(o.snapshot);
    const Result peer = runSqlite(o.snapshot, table);
    if (!o.keep) {
        std::filesystem::remove(o.snapshot);
        if (!folder.empty()) std::filesystem::remove_all(folder);
    }

    const double mib = 1024.0 * 1024.0;
    std::printf("\n%-24s %10s %14s %14s\n", "", "seconds", "rows/s", "peak MiB");
    if (component.ok) {
        std::printf("%-24s %10.3f %14.0f %14.1f  (over %.1f MiB before; script %.1f MiB as UTF-16, peak/script %.2f)\n",
                    "korva data scripting", component.seconds, static_cast<double>(o.rows) / component.seconds,
                    component.peakKiB / 1024.0, component.baseKiB / 1024.0, component.scriptBytes / mib,
                    component.peakKiB * 1024.0 / component.scriptBytes);
    } else {
        std::printf("%-24s failed: %s\n", "korva data scripting", component.error);
    }
    if (peer.ok) {
        std::printf("%-24s %10.3f %14.0f %14.1f\n", ("sqlite3 .dump " + table).c_str(), peer.seconds,
                    static_cast<double>(o.rows) / peer.seconds, peer.peakKiB / 1024.0);
    } else {
        std::printf("%-24s failed: %s\n", "sqlite3 .dump", peer.error);
    }
    if (component.ok && peer.ok)
        std::printf("\nratio korva / sqlite3: %.2f (goal <= 1.0)\n", component.seconds / peer.seconds);
    return component.ok && peer.ok ? 0 : 1;
}
