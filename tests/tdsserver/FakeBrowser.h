// A SQL Server Browser stand-in for tests: answers SSRP requests on 127.0.0.1 (an ephemeral UDP
// port) with a fixed list of instances, until it is destroyed.
#pragma once

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace tdstest {

struct FakeInstance {
    std::string name;  // "MSSQLSERVER" for the default instance
    int tcpPort = 0;   // 0: no TCP/IP
};

class FakeBrowser {
public:
    explicit FakeBrowser(std::vector<FakeInstance> instances, std::string serverName = "TESTHOST");
    ~FakeBrowser();
    int port() const { return port_; }

private:
    void loop();
    std::string describe(const FakeInstance& i) const;
    std::vector<FakeInstance> instances_;
    std::string serverName_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tdstest
