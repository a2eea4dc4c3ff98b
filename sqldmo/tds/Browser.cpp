// SQL Server Browser client.
#include "sqldmo/tds/Browser.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace sqldmo::tds {

std::vector<BrowserInstance> parseBrowserReply(std::string_view text) {
    // Key;value pairs; an empty key (";;") ends one instance.
    std::vector<BrowserInstance> out;
    BrowserInstance cur;
    bool any = false;
    std::size_t at = 0;
    auto nextField = [&](std::string_view& field) {
        if (at > text.size()) return false;
        std::size_t semi = text.find(';', at);
        if (semi == std::string_view::npos) semi = text.size();
        field = text.substr(at, semi - at);
        at = semi + 1;
        return true;
    };
    std::string_view key, value;
    while (nextField(key)) {
        if (key.empty()) {
            if (any) out.push_back(cur);
            cur = BrowserInstance{};
            any = false;
            continue;
        }
        if (!nextField(value)) break;
        auto is = [&](const char* k) { return key.size() == std::strlen(k) && strncasecmp(key.data(), k, key.size()) == 0; };
        if (is("ServerName")) cur.serverName = value;
        else if (is("InstanceName")) cur.instanceName = value;
        else if (is("Version")) cur.version = value;
        else if (is("tcp")) cur.tcpPort = std::atoi(std::string(value).c_str());
        any = true;
    }
    if (any) out.push_back(cur);
    return out;
}

std::vector<BrowserInstance> askBrowser(const std::string& host, int port, std::chrono::milliseconds wait,
                                        const std::string& instance) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* res = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &res) != 0 || !res) return {};
    std::vector<BrowserInstance> found;
    int fd = ::socket(res->ai_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd >= 0) {
        std::string request;
        if (instance.empty()) {
            request.push_back('\x03');  // CLNT_UCAST_EX
        } else {
            request.push_back('\x04');  // CLNT_UCAST_INST
            request += instance;
            request.push_back('\0');
        }
        if (::sendto(fd, request.data(), request.size(), 0, res->ai_addr, res->ai_addrlen) ==
            static_cast<ssize_t>(request.size())) {
            auto deadline = std::chrono::steady_clock::now() + wait;
            for (;;) {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0) break;
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
                char buf[65536];
                ssize_t n = ::recv(fd, buf, sizeof buf, 0);
                // SVR_RESP: 0x05, a two-byte length, then the text.
                if (n >= 3 && static_cast<unsigned char>(buf[0]) == 0x05) {
                    std::size_t len = static_cast<unsigned char>(buf[1]) | (static_cast<unsigned char>(buf[2]) << 8);
                    if (len > static_cast<std::size_t>(n) - 3) len = static_cast<std::size_t>(n) - 3;
                    found = parseBrowserReply(std::string_view(buf + 3, len));
                    break;
                }
            }
        }
        ::close(fd);
    }
    ::freeaddrinfo(res);
    return found;
}

}  // namespace sqldmo::tds
