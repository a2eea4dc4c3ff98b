// Reading large files the program reads at start-up or on opening: a command file of many object
// keys (and one of the same size whose header is wrong), a settings file of many values and keys
// each deleted again further down, and a settings file of nothing but bad lines. Each file is
// read in a fresh process (this program started again with --read), so that its peak memory is
// its own; each case runs at half and at full size, so that the growth shows (it should be
// linear in time, and memory a small multiple of the file).
//
//   cmdfile_bench [--keys N] [--values N]     (defaults: 1000000 keys, 100000 values)
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <QString>

#include "app/model/TCmdFile.h"
#include "app/support/EQMException.h"
#include "platform/RegFormat.h"

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const char* const kCmdHeader = "[Header]\r\nApplication=Quillomere Tavilor\r\nVersion=0.3.0 Build 52\r\n\r\n";

std::string commandFile(long keys, bool validHeader)
{
    std::string out = validHeader ? kCmdHeader : "[Header]\r\nApplication=Some Other Tool\r\nVersion=1\r\n\r\n";
    out += "[Connection]\r\nServerName=(local)\r\nWindowsAuthentication=1\r\n\r\n[Tables]\r\n";
    for (long i = 0; i < keys; ++i) out += "Table" + std::to_string(i) + "=dbo.t" + std::to_string(i) + "\r\n";
    out += "ScriptSchema=1\r\nScriptData=0\r\n\r\n";
    return out;
}

// n values in one key, n subkeys of it, then the deletions of all but every hundredth of both.
std::string settingsWithDeletions(long n)
{
    std::string out = "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\Bench]\n";
    for (long i = 0; i < n; ++i) out += "\"Value" + std::to_string(i) + "\"=\"some text\"\n";
    for (long i = 0; i < n; ++i) out += "[HKEY_CLASSES_ROOT\\Bench\\Key" + std::to_string(i) + "]\n";
    for (long i = 0; i < n; ++i)
        if (i % 100 != 0) out += "[-HKEY_CLASSES_ROOT\\Bench\\Key" + std::to_string(i) + "]\n";
    out += "[HKEY_CLASSES_ROOT\\Bench]\n";
    for (long i = 0; i < n; ++i)
        if (i % 100 != 0) out += "\"Value" + std::to_string(i) + "\"=-\n";
    return out;
}

// As many short bad lines as n values take.
std::string damagedSettings(long n)
{
    std::string out = "Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\Bench]\n";
    const std::size_t size = static_cast<std::size_t>(n) * 80;
    while (out.size() < size) out += "x\n";
    return out;
}

// Child: read one file, print "seconds cpu-seconds peak-KiB items".
int read(const std::string& kind, const std::string& path)
{
    const auto start = Clock::now();
    const double cpu = cpuSeconds();
    long items = 0;
    if (kind == "cmd") {
        tavil::TCmdFile file;
        try {
            file.LoadFromFile(QString::fromStdString(path));
            items = file.Tables.Count();
        } catch (const tavil::EQMException&) {
            items = -1;  // turned down, as a file of another program should be
        }
    } else {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        tavil::platform::SettingsKey root;
        const auto result = tavil::platform::parseRegText(text.str(), "HKEY_CLASSES_ROOT", root);
        if (const auto* key = root.find({"Bench"}))
            items = static_cast<long>(key->values().size() + key->children().size());
        if (result.damaged()) items = -static_cast<long>(result.issueCount);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%.4f %.4f %ld %ld\n", seconds, cpuSeconds() - cpu, peakKiB(), items);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    long keys = 1000000, values = 100000;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--read") && i + 2 < argc) return read(argv[i + 1], argv[i + 2]);
        if (!std::strcmp(argv[i], "--keys") && i + 1 < argc) keys = std::atol(argv[++i]);
        else if (!std::strcmp(argv[i], "--values") && i + 1 < argc) values = std::atol(argv[++i]);
        else {
            std::puts("usage: cmdfile_bench [--keys N] [--values N]\nReads a command file of N object keys (default "
                      "1000000), one of the same size with a wrong header, a settings file of N values and N keys "
                      "(default 100000) mostly deleted again, and a damaged settings file; each at half and full "
                      "size, printing time and peak memory.");
            return 0;
        }
    }
    const auto dir = std::filesystem::temp_directory_path() / ("cmdfile-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();

    // items: objects read, values and keys left, or minus the issues of a damaged file; -1 for a
    // command file turned down.
    std::printf("%-34s %9s %9s %9s %9s %9s %10s\n", "file", "size MiB", "seconds", "cpu s", "peak MiB", "peak/size",
                "items");
    struct Case {
        const char* name;
        const char* kind;
        std::string (*make)(long);
        long full;
    };
    const Case cases[] = {
        {"command file, keys", "cmd", [](long n) { return commandFile(n, true); }, keys},
        {"command file, wrong header", "cmd", [](long n) { return commandFile(n, false); }, keys},
        {"settings, deletions", "reg", settingsWithDeletions, values},
        {"settings, damaged", "reg", damagedSettings, values},
    };
    int failed = 0;
    for (const Case& c : cases) {
        for (const long n : {c.full / 2, c.full}) {
            const auto path = (dir / "file").string();
            std::uintmax_t size = 0;
            {
                const std::string text = c.make(n);
                std::ofstream(path, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
                size = text.size();
            }
            const std::string command = "'" + self + "' --read " + c.kind + " '" + path + "'";
            FILE* child = popen(command.c_str(), "r");
            char line[128] = {};
            const bool got = child && std::fgets(line, sizeof line, child);
            if (child) pclose(child);
            double seconds = 0, cpu = 0;
            long peak = 0, items = 0;
            if (!got || std::sscanf(line, "%lf %lf %ld %ld", &seconds, &cpu, &peak, &items) != 4) {
                std::fprintf(stderr, "reading %s (%ld) failed\n", c.name, n);
                ++failed;
                continue;
            }
            const double mib = static_cast<double>(size) / (1024.0 * 1024.0);
            const std::string label = std::string(c.name) + " " + std::to_string(n);
            std::printf("%-34s %9.1f %9.3f %9.3f %9.1f %9.1f %10ld\n", label.c_str(), mib, seconds, cpu, peak / 1024.0,
                        peak / 1024.0 / mib, items);
            std::fflush(stdout);
        }
    }
    std::filesystem::remove_all(dir);
    return failed ? 1 : 0;
}
