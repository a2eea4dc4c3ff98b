// FreeTDS's own tools talk to the test server: it speaks TDS as a real peer expects.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "tests/tds/Harness.h"

namespace tdstest {
namespace {

namespace fs = std::filesystem;

bool haveTool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct TempDir {
    TempDir() : path(fs::temp_directory_path() / ("tavil-peer-" + std::to_string(::getpid()))) { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
    fs::path path;
};

TEST(PeerTools, TsqlRunsQueries) {
    if (!haveTool("tsql")) GTEST_SKIP() << "tsql (freetds-bin) is not installed";
    Running run(richFixture());
    TempDir tmp;
    {
        std::ofstream in(tmp.path / "in.sql");
        in << "SELECT @@VERSION\ngo\nSELECT Name, Balance, RowGuid FROM Sample.dbo.Customers\ngo\nexit\n";
    }
    const std::string cmd = "timeout 30 tsql -H 127.0.0.1 -p " + std::to_string(run.server->port()) +
                            " -U sa -P secret < " + (tmp.path / "in.sql").string() + " > " + (tmp.path / "out.txt").string() +
                            " 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    const std::string out = slurp(tmp.path / "out.txt");
    EXPECT_NE(out.find("8.00.2039"), std::string::npos) << out;
    EXPECT_NE(out.find("Ada Lovelace\t1234.5678\t6F9619FF-8B86-D011-B42D-00C04FC964FF"), std::string::npos) << out;
    EXPECT_NE(out.find("(3 rows affected)"), std::string::npos) << out;
}

TEST(PeerTools, FreebcpCopiesAQueryOut) {
    if (!haveTool("freebcp")) GTEST_SKIP() << "freebcp (freetds-bin) is not installed";
    auto data = richFixture();
    addBenchTable(*data, 1000);
    Running run(data);
    TempDir tmp;
    const std::string file = (tmp.path / "rows.txt").string();
    const std::string cmd = "timeout 30 freebcp \"SELECT ID, Name, Amount FROM Bench.dbo.Rows\" queryout " + file +
                            " -c -S 127.0.0.1:" + std::to_string(run.server->port()) + " -U sa -P secret > " +
                            (tmp.path / "log.txt").string() + " 2>&1";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << slurp(tmp.path / "log.txt");
    std::ifstream in(file);
    std::string line, first;
    int lines = 0;
    while (std::getline(in, line)) {
        if (!lines) first = line;
        ++lines;
    }
    EXPECT_EQ(lines, 1000);
    EXPECT_EQ(first, "1\tCustomer 0 ação\t0.0000");
    // freebcp asks for the shape of the result first (SET FMTONLY ON ...), then the rows.
    bool fmtOnly = false;
    for (const auto& b : run.server->observed().batches) fmtOnly = fmtOnly || b.find("FMTONLY ON") != std::string::npos;
    EXPECT_TRUE(fmtOnly);
}

}  // namespace
}  // namespace tdstest
