// A client of the SQL Server Browser (SSRP over UDP port 1434): which instances a host has
// and on which TCP port an instance listens. Unicast only: the layer never broadcasts.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace sqldmo::tds {

struct BrowserInstance {
    std::string serverName;    // the host name the browser reports
    std::string instanceName;  // "MSSQLSERVER" for the default instance
    std::string version;
    int tcpPort = 0;           // 0 when the instance does not listen on TCP/IP
};

inline constexpr int kBrowserPort = 1434;

// Parses a browser answer ("ServerName;H;InstanceName;I;IsClustered;No;Version;8.00.194;tcp;1433;;...").
std::vector<BrowserInstance> parseBrowserReply(std::string_view text);

// Asks the browser at host:port for all its instances (CLNT_UCAST_EX) or for one
// (CLNT_UCAST_INST); empty when nothing answers within `wait`. Never throws.
std::vector<BrowserInstance> askBrowser(const std::string& host, int port, std::chrono::milliseconds wait,
                                        const std::string& instance = {});

}  // namespace sqldmo::tds
