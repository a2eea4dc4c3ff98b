// The fake SQL Server Browser.
#include "tests/tdsserver/FakeBrowser.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <strings.h>

namespace tdstest {

FakeBrowser::FakeBrowser(std::vector<FakeInstance> instances, std::string serverName)
    : instances_(std::move(instances)), serverName_(std::move(serverName)) {
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) throw std::runtime_error("socket failed");
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) throw std::runtime_error("bind failed");
    socklen_t len = sizeof a;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { loop(); });
}

FakeBrowser::~FakeBrowser() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    ::close(fd_);
}

std::string FakeBrowser::describe(const FakeInstance& i) const {
    std::string s = "ServerName;" + serverName_ + ";InstanceName;" + i.name + ";IsClustered;No;Version;8.00.194;";
    if (i.tcpPort) s += "tcp;" + std::to_string(i.tcpPort) + ";";
    else s += "np;\\\\" + serverName_ + "\\pipe\\sql\\query;";
    return s + ";";
}

void FakeBrowser::loop() {
    while (!stop_) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char buf[1024];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        ssize_t n = ::recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n < 1) continue;
        std::string text;
        if (buf[0] == 0x03) {
            for (const auto& i : instances_) text += describe(i);
        } else if (buf[0] == 0x04 && n > 1) {
            std::string wanted(buf + 1, static_cast<std::size_t>(n - 1));
            if (!wanted.empty() && wanted.back() == '\0') wanted.pop_back();
            for (const auto& i : instances_)
                if (strcasecmp(i.name.c_str(), wanted.c_str()) == 0) text = describe(i);
            if (text.empty()) continue;  // a browser stays silent about instances it has not
        } else {
            continue;
        }
        std::string reply(3, '\0');
        reply[0] = 0x05;
        reply[1] = static_cast<char>(text.size() & 0xFF);
        reply[2] = static_cast<char>(text.size() >> 8);
        reply += text;
        ::sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), len);
    }
}

}  // namespace tdstest
