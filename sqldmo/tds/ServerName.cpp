// Server name resolution. db-lib is given "host:port" (FreeTDS 1.3 does not read "host,port").
#include "sqldmo/tds/ServerName.h"

#include <strings.h>

#include "sqldmo/Error.h"
#include "sqldmo/tds/FreeTdsConf.h"

namespace sqldmo::tds {
namespace {

std::string trimmed(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    std::size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

bool isLocal(const std::string& host) {
    return strcasecmp(host.c_str(), "(local)") == 0 || host == ".";
}

}  // namespace

ConnectTarget resolveServerName(const std::string& raw, std::chrono::milliseconds browserWait, int browserPort) {
    const std::string name = trimmed(raw);
    if (name.empty()) throw Error(errors::InvalidArgument, "No server name was given.");
    if (isLocal(name)) return {"127.0.0.1:1433", name};
    if (isConfiguredServer(name)) return {name, name};

    const std::size_t slash = name.find('\\');
    const std::size_t comma = name.find_first_of(",:", name[0] == '[' ? name.find(']') : 0);
    if (slash != std::string::npos && (comma == std::string::npos || comma > slash)) {
        std::string host = name.substr(0, slash);
        const std::string instance = name.substr(slash + 1);
        if (host.empty() || instance.empty())
            throw Error(errors::InvalidArgument, "The server name '" + name + "' is not of the form host\\instance.");
        if (isLocal(host)) host = "127.0.0.1";
        // A port given as well ("host\NAME,1500") wins over the browser.
        if (std::size_t c = instance.find(','); c != std::string::npos)
            return {host + ":" + instance.substr(c + 1), name};
        auto found = askBrowser(host, browserPort, browserWait, instance);
        for (const auto& i : found) {
            if (strcasecmp(i.instanceName.c_str(), instance.c_str()) != 0) continue;
            if (i.tcpPort <= 0)
                throw Error(errors::ConnectionFailed, "The SQL Server instance '" + instance + "' on '" + host +
                                                          "' does not accept TCP/IP connections.");
            return {host + ":" + std::to_string(i.tcpPort), name};
        }
        if (found.empty())
            throw Error(errors::ConnectionFailed, "Unable to find the SQL Server instance '" + name +
                                                      "': the SQL Server Browser on '" + host +
                                                      "' did not answer for it (UDP port 1434); the instance does "
                                                      "not exist or the browser is not running.");
        throw Error(errors::ConnectionFailed, "The SQL Server Browser on '" + host + "' knows no instance '" + instance + "'.");
    }
    if (comma != std::string::npos) {
        std::string host = name.substr(0, comma);
        if (isLocal(host)) host = "127.0.0.1";
        return {host + ":" + name.substr(comma + 1), name};
    }
    return {name, name};
}

}  // namespace sqldmo::tds
