// tdsserver: the TDS test server as a program, for trying FreeTDS tools against it by hand and
// for tests that want it in a child process. Prints "port N" once it listens; stops when its
// standard input closes, on SIGINT or SIGTERM, or when its lifetime ends.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <string>
#include <unistd.h>

#include "sqldmo/Backend.h"
#include "tests/tdsserver/Fixtures.h"
#include "tests/tdsserver/TestServer.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

void usage() {
    std::cout <<
        "Usage: tdsserver [options]\n"
        "Serves a catalogue and table rows over TDS on 127.0.0.1 for tests.\n\n"
        "  --fixture rich|synthetic:N   data to serve (default rich)\n"
        "  --snapshot FILE              serve a snapshot file instead\n"
        "  --bench-rows N               add database Bench with table dbo.Rows of N rows\n"
        "  --version TEXT               server version string (default 8.00.2039)\n"
        "  --tds 7.1|7.2|7.3|7.4        highest TDS version to accept (default 7.4)\n"
        "  --user NAME --password TEXT  the login the server accepts (default sa/secret)\n"
        "  --lifetime SECONDS           stop after this long (default 600)\n"
        "  --no-answer                  accept connections and never answer\n"
        "  --slow TEXT:MS               answer batches containing TEXT after MS milliseconds\n"
        "  --fail TEXT                  fail batches containing TEXT with a server error\n"
        "  --drop TABLE:N               close the connection after N rows of TABLE\n"
        "  --help                       this text\n";
}

}  // namespace

int main(int argc, char** argv) {
    std::string fixture = "rich", snapshot, version = "8.00.2039";
    long long benchRows = 0;
    tdstest::ServerOptions opt;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "tdsserver: " << a << " needs a value\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") { usage(); return 0; }
        else if (a == "--fixture") fixture = next();
        else if (a == "--snapshot") snapshot = next();
        else if (a == "--bench-rows") benchRows = std::stoll(next());
        else if (a == "--version") version = next();
        else if (a == "--user") opt.user = next();
        else if (a == "--password") opt.password = next();
        else if (a == "--lifetime") opt.lifetime = std::chrono::seconds(std::stoll(next()));
        else if (a == "--no-answer") opt.faults.noAnswer = true;
        else if (a == "--fail") opt.faults.errorMatch = next();
        else if (a == "--slow" || a == "--drop") {
            std::string v = next();
            auto colon = v.rfind(':');
            if (colon == std::string::npos) {
                std::cerr << "tdsserver: " << a << " wants TEXT:NUMBER\n";
                return 2;
            }
            if (a == "--slow") {
                opt.faults.slowMatch = v.substr(0, colon);
                opt.faults.slowDelay = std::chrono::milliseconds(std::stoll(v.substr(colon + 1)));
            } else {
                opt.faults.dropTable = v.substr(0, colon);
                opt.faults.dropAfterRows = std::stoll(v.substr(colon + 1));
            }
        }
        else if (a == "--tds") {
            std::string v = next();
            opt.maxVersion = v == "7.1" ? tdstest::TdsVersion::V71 : v == "7.2" ? tdstest::TdsVersion::V72
                             : v == "7.3" ? tdstest::TdsVersion::V73 : tdstest::TdsVersion::V74;
        } else {
            std::cerr << "tdsserver: unknown option " << a << " (see --help)\n";
            return 2;
        }
    }
    try {
        std::shared_ptr<tdstest::FixtureData> data;
        if (!snapshot.empty()) {
            sqldmo::LoginOptions login;
            login.login = opt.user;
            std::shared_ptr<sqldmo::ServerBackend> b = sqldmo::openServerBackend("file:" + snapshot, login);
            opt.data = std::make_shared<tdstest::BackendData>(b);
        } else {
            if (fixture.rfind("synthetic:", 0) == 0)
                data = tdstest::syntheticFixture(std::stoi(fixture.substr(10)), version);
            else
                data = tdstest::richFixture(version);
            if (benchRows > 0) tdstest::addBenchTable(*data, benchRows);
            opt.data = data;
        }
        tdstest::TestServer server(opt);
        server.start();
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        std::cout << "port " << server.port() << std::endl;
        while (!g_stop && !server.stopping()) {
            pollfd p{0, POLLIN, 0};
            if (::poll(&p, 1, 500) > 0) {
                char buf[256];
                if (::read(0, buf, sizeof buf) <= 0) break;
            }
        }
        server.stop();
    } catch (const std::exception& e) {
        std::cerr << "tdsserver: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
