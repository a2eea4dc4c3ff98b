// Loading a large catalogue from its snapshot: time and peak memory at several sizes, so that
// growth shows. Each load runs in a fresh process (this program started again with --load), so
// its peak memory is its own.
//
//   snapshot_load_bench [--sizes 1000,10000,50000] [--keep DIR]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/common/SyntheticCatalog.h"
#include "sqldmo/Backend.h"
#include "sqldmo/snapshot/Snapshot.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Child: open the snapshot, load the database three times (best time), then time what the
// scripting component does per table: open the file as a server and read one table's rows.
int load(const std::string& path) {
    sqldmo::LoginOptions login;
    login.integrated = true;
    double best = 1e9, bestCpu = 1e9;
    std::size_t tables = 0, columns = 0;
    for (int run = 0; run < 3; ++run) {
        const auto start = Clock::now();
        const double cpu = cpuSeconds();
        auto backend = sqldmo::openServerBackend("file:" + path, login);
        auto db = backend->database("Synth");
        best = std::min(best, seconds(Clock::now() - start));
        bestCpu = std::min(bestCpu, cpuSeconds() - cpu);
        tables = db->tables.size();
        columns = 0;
        for (const auto& t : db->tables) columns += t.columns.size();
    }
    const int opens = 200;
    const auto start = Clock::now();
    for (int i = 0; i < opens; ++i) {
        auto backend = sqldmo::openServerBackend("file:" + path, login);
        auto rows = backend->query("Synth", "SELECT [Id], [Col00003] FROM [dbo].[Table00001]");
        while (rows->next()) {
        }
    }
    const double perOpen = seconds(Clock::now() - start) / opens;
    std::printf("%zu %zu %.4f %.4f %ld %.6f\n", tables, columns, best, bestCpu, peakKiB(), perOpen);
    return 0;
}

std::vector<int> parseSizes(const char* text) {
    std::vector<int> sizes;
    for (const char* p = text; *p;) {
        sizes.push_back(std::atoi(p));
        const char* comma = std::strchr(p, ',');
        if (!comma) break;
        p = comma + 1;
    }
    return sizes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--load") == 0) return load(argv[2]);
    std::vector<int> sizes = {1000, 10000, 50000};
    std::string keep;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: %s [--sizes N,N,...] [--keep DIR]\n"
                        "Writes synthetic snapshots (N tables of 20 columns with a primary key, 2 foreign keys,\n"
                        "2 indexes and a trigger each, N/5 views, N/5 procedures) and times loading them.\n",
                        argv[0]);
            return 0;
        }
        if (std::strcmp(argv[i], "--sizes") == 0 && i + 1 < argc) sizes = parseSizes(argv[++i]);
        else if (std::strcmp(argv[i], "--keep") == 0 && i + 1 < argc) keep = argv[++i];
    }
    const auto dir = keep.empty() ? std::filesystem::temp_directory_path() / ("snapshot-bench-" + std::to_string(getpid()))
                                  : std::filesystem::path(keep);
    std::filesystem::create_directories(dir);

    // load: best of three, wall clock and CPU; open+query: what the scripting component does per
    // table (open the file as a server, read one table's rows).
    std::printf("%8s %9s %10s %9s %10s %10s %10s %14s\n", "tables", "columns", "file MiB", "write s", "load s",
                "load cpu s", "peak MiB", "open+query ms");
    for (const int n : sizes) {
        bench::SynthOptions options;
        options.tables = n;
        options.views = n / 5;
        options.procedures = n / 5;
        const auto path = (dir / ("synth-" + std::to_string(n) + ".snapshot")).string();
        const auto start = Clock::now();
        sqldmo::snapshot::writeSnapshot(path, bench::makeSyntheticServer(options));
        const double write = seconds(Clock::now() - start);

        const std::string command = "'" + std::filesystem::read_symlink("/proc/self/exe").string() + "' --load '" + path + "'";
        FILE* child = popen(command.c_str(), "r");
        char line[256] = {};
        const bool got = child && std::fgets(line, sizeof line, child);
        if (child) pclose(child);
        std::size_t tables = 0, columns = 0;
        double loadTime = 0, loadCpu = 0, perOpen = 0;
        long peak = 0;
        if (!got ||
            std::sscanf(line, "%zu %zu %lf %lf %ld %lf", &tables, &columns, &loadTime, &loadCpu, &peak, &perOpen) != 6) {
            std::fprintf(stderr, "loading %s failed\n", path.c_str());
            return 1;
        }
        std::printf("%8zu %9zu %10.1f %9.2f %10.3f %10.3f %10.1f %14.3f\n", tables, columns,
                    static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0), write, loadTime, loadCpu,
                    static_cast<double>(peak) / 1024.0, perOpen * 1000.0);
        std::fflush(stdout);
        if (keep.empty()) std::filesystem::remove(path);
    }
    if (keep.empty()) std::filesystem::remove_all(dir);
    return 0;
}
