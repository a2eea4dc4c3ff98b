// Schema scripting of large synthetic databases with every switch on: time, script size and
// peak memory per size, so that the growth shows (it should be linear).
//   script_bench [TABLES...]     (default: 1000 10000 50000; views and procedures are a fifth
//                                 of the tables each, as in the 10,000-table reference case)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench/common/SyntheticCatalog.h"
#include "sqldmo/script/Scripter.h"

namespace {

namespace f = sqldmo::script::flags;
namespace f2 = sqldmo::script::flags2;

long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long peakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help")) {
            std::puts("usage: script_bench [TABLES...]\nScripts synthetic databases of the given numbers of tables "
                      "(default 1000 10000 50000) with every switch on and prints time, size and peak memory.");
            return 0;
        }
        sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) sizes = {1000, 10000, 50000};

    std::printf("%8s %8s %8s %10s %12s %10s %10s %12s\n", "tables", "views", "procs", "seconds", "script MB",
                "model MB", "peak MB", "us/table");
    for (int tables : sizes) {
        bench::SynthOptions o;
        o.tables = tables;
        o.views = tables / 5;
        o.procedures = tables / 5;
        auto server = bench::makeSyntheticServer(o);
        const auto& db = *server.databases.front();

        sqldmo::script::TransferSettings s;
        s.copySchema = true;
        s.scriptType = f::PrimaryObject | f::Drops | f::IncludeHeaders | f::ObjectPermissions | f::Indexes | f::Triggers |
                       f::DRI_AllConstraints | f::DRIWithNoCheck | f::OwnerQualify | f::Bindings;
        s.script2Type = f2::ExtendedProperty | f2::FullTextIndex;
        s.includeDependencies = s.includeUsers = s.includeLogins = true;
        for (const auto& t : db.tables) s.objects.push_back({t.name, sqldmo::model::ObjectType::UserTable, t.owner});
        for (const auto& v : db.views) s.objects.push_back({v.name, sqldmo::model::ObjectType::View, v.owner});
        for (const auto& p : db.procedures) s.objects.push_back({p.name, sqldmo::model::ObjectType::StoredProcedure, p.owner});
        sqldmo::script::ScriptOptions options;
        options.scriptDate = "3/5/2002";
        options.scriptTime = "2:07:09 PM";

        const long before = residentKiB();
        const auto start = std::chrono::steady_clock::now();
        std::string script = sqldmo::script::scriptTransfer(server, db, s, options, nullptr);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%8d %8d %8d %10.3f %12.1f %10.1f %10.1f %12.1f\n", tables, o.views, o.procedures, seconds,
                    script.size() / 1e6, before / 1024.0, peakKiB() / 1024.0, seconds * 1e6 / tables);
        std::fflush(stdout);
    }
    return 0;
}
