// tds_bench: the live backend over the TDS test server, beside FreeTDS's freebcp in the same run.
//   1. Reading and formatting 1,000,000 rows (values turned into T-SQL literals), against
//      freebcp "SELECT ..." queryout FILE -c from the same server: rows per second and ratio.
//   2. Reading the catalogue of a database of 10,000 tables: time and queries sent.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "sqldmo/Backend.h"
#include "tests/tdsserver/Fixtures.h"
#include "tests/tdsserver/TestServer.h"

namespace {

using Clock = std::chrono::steady_clock;
using sqldmo::SqlType;
using sqldmo::Value;

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// CPU time of the calling thread: the client's share, apart from the server's threads and
// whatever else the machine runs.
double threadCpu() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// A T-SQL literal of a value, as a script would carry it.
void literal(const Value& v, std::string& out) {
    char buf[64];
    switch (v.kind) {
    case Value::Kind::Null: out += "NULL"; break;
    case Value::Kind::Integer: {
        auto r = std::to_chars(buf, buf + sizeof buf, v.integer);
        out.append(buf, r.ptr);
        break;
    }
    case Value::Kind::Float: {
        auto r = std::to_chars(buf, buf + sizeof buf, v.real);
        out.append(buf, r.ptr);
        break;
    }
    case Value::Kind::Exact: out += v.text; break;
    case Value::Kind::Text:
        if (v.type == SqlType::NChar || v.type == SqlType::NVarChar || v.type == SqlType::NText) out += 'N';
        out += '\'';
        for (char c : v.text) {
            out += c;
            if (c == '\'') out += '\'';
        }
        out += '\'';
        break;
    case Value::Kind::DateTime: {
        const auto& d = v.dateTime;
        int n = std::snprintf(buf, sizeof buf, "'%04d-%02d-%02dT%02d:%02d:%02d.%03d'", d.year, d.month, d.day, d.hour,
                              d.minute, d.second, d.millisecond);
        out.append(buf, static_cast<std::size_t>(n));
        break;
    }
    case Value::Kind::Binary: {
        static const char* hex = "0123456789ABCDEF";
        out += "0x";
        for (unsigned char c : v.text) {
            out += hex[c >> 4];
            out += hex[c & 15];
        }
        break;
    }
    case Value::Kind::Guid: out += '\'' + v.text + '\''; break;
    }
}

// CPU time of the whole process (client and test server).
double processCpu() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

long peakMemoryKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    long long rows = 1'000'000;
    int tables = 10'000;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::printf("Usage: tds_bench [--rows N] [--tables N]\n"
                        "Reads N rows over TDS from an in-process test server and formats them, beside freebcp\n"
                        "queryout from the same server; then reads the catalogue of a database of N tables.\n");
            return 0;
        }
        if (a == "--rows" && i + 1 < argc) rows = std::atoll(argv[++i]);
        else if (a == "--tables" && i + 1 < argc) tables = std::atoi(argv[++i]);
        else {
            std::fprintf(stderr, "tds_bench: unknown option %s (see --help)\n", a.c_str());
            return 2;
        }
    }

    // 1. Rows.
    auto data = tdstest::richFixture();
    tdstest::addBenchTable(*data, rows);
    tdstest::ServerOptions opt;
    opt.data = data;
    opt.lifetime = std::chrono::seconds(1800);
    tdstest::TestServer server(opt);
    server.start();
    sqldmo::LoginOptions login;
    login.applicationName = "tds_bench";
    login.login = opt.user;
    login.password = opt.password;
    login.loginTimeout = 10;
    login.packetSize = 32767;
    const std::string sql = "SELECT ID, Name, Amount, Created, Ratio, Code, Flag, Price FROM dbo.Rows";

    auto backend = sqldmo::openTdsBackend(server.address(), login);
    auto t0 = Clock::now();
    const double c0 = threadCpu();
    long long read = 0;
    std::size_t bytes = 0;
    {
        auto rs = backend->query("Bench", sql);
        std::string line;
        const std::size_t n = rs->columns().size();
        while (rs->next()) {
            line.clear();
            for (std::size_t i = 0; i < n; ++i) {
                if (i) line += ", ";
                literal(rs->value(i), line);
            }
            bytes += line.size();
            ++read;
        }
    }
    auto t1 = Clock::now();
    const double ours = seconds(t0, t1);
    const double oursCpu = threadCpu() - c0;

    const auto dir = std::filesystem::temp_directory_path() / ("tavil-tds-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string out = (dir / "rows.bcp").string();
    const std::string cmd = "freebcp \"SELECT ID, Name, Amount, Created, Ratio, Code, Flag, Price FROM Bench.dbo.Rows\" queryout " +
                            out + " -c -A 32767 -S 127.0.0.1:" + std::to_string(server.port()) + " -U " + opt.user + " -P " +
                            opt.password + " > " + (dir / "freebcp.log").string() + " 2>&1";
    auto t2 = Clock::now();
    int rc = std::system(cmd.c_str());
    auto t3 = Clock::now();
    const double peer = seconds(t2, t3);
    long long peerRows = 0;
    {
        std::ifstream in(out);
        std::string l;
        while (std::getline(in, l)) ++peerRows;
    }
    std::filesystem::remove_all(dir);

    std::printf("Row reading over TDS, %lld rows of 8 columns (int, nvarchar, money, datetime, float, varchar, bit, decimal)\n",
                rows);
    std::printf("  live backend + literals : %8.3f s  %10.0f rows/s  (%lld rows, %zu bytes of literals; client CPU %.3f s)\n",
                ours, static_cast<double>(read) / ours, read, bytes, oursCpu);
    if (rc == 0 && peerRows == rows) {
        std::printf("  freebcp queryout -c     : %8.3f s  %10.0f rows/s\n", peer, static_cast<double>(peerRows) / peer);
        std::printf("  ratio (ours / freebcp)  : %8.2fx  (goal >= 0.5x)\n",
                    (static_cast<double>(read) / ours) / (static_cast<double>(peerRows) / peer));
    } else {
        std::printf("  freebcp did not run (exit %d, %lld rows): no comparison\n", rc, peerRows);
    }
    server.stop();

    // 2. Catalogue.
    tdstest::ServerOptions copt;
    copt.data = tdstest::syntheticFixture(tables);
    copt.lifetime = std::chrono::seconds(1800);
    tdstest::TestServer cserver(copt);
    cserver.start();
    auto t4 = Clock::now();
    auto cat = sqldmo::openTdsBackend(cserver.address(), login);
    auto names = cat->databaseNames();
    auto t5 = Clock::now();
    const long long before = cat->queriesSent();
    const double c5 = threadCpu();
    const double p5 = processCpu();
    auto db = cat->database("Synth");
    auto t6 = Clock::now();
    const double catalogueCpu = threadCpu() - c5;
    const double catalogueProcessCpu = processCpu() - p5;
    const long long forCatalogue = cat->queriesSent() - before;
    std::size_t columns = 0;
    for (const auto& t : db->tables) columns += t.columns.size();
    std::printf("Catalogue read over TDS, %d tables (%zu columns, %zu views, %zu procedures)\n", tables, columns,
                db->views.size(), db->procedures.size());
    std::printf("  connect + database list : %8.3f s\n", seconds(t4, t5));
    std::printf("  database catalogue      : %8.3f s  (goal <= 2 s; CPU: client %.3f s, client and server %.3f s)\n",
                seconds(t5, t6), catalogueCpu, catalogueProcessCpu);
    std::printf("  queries sent            : %lld for the catalogue, %lld in all since the login  (goal <= 30)\n",
                forCatalogue, static_cast<long long>(cat->queriesSent()));
    std::printf("  peak memory             : %ld MB\n", peakMemoryKb() / 1024);
    (void)names;
    return 0;
}
