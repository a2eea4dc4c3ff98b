// Stand-ins until the TDS connection layer lands: live servers are not reachable yet.
#include "sqldmo/Backend.h"
#include "sqldmo/Error.h"
#include "sqldmo/tds/Discovery.h"

namespace sqldmo {

std::unique_ptr<ServerBackend> openTdsBackend(const std::string& serverName, const LoginOptions&) {
    throw Error(errors::ConnectionFailed, "[SQL Server]Unable to connect to server '" + serverName +
                                              "': live connections are not available in this build.");
}

std::vector<std::string> listConfiguredServers() { return {}; }
std::vector<std::string> listLocalInstances() { return {}; }

}  // namespace sqldmo
