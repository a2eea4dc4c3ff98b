// Server names as users write them, turned into what db-lib connects to:
//   "(local)"          this machine's default instance: 127.0.0.1, port 1433
//   "(local)\NAME"     an instance on this machine, through the SQL Server Browser
//   "host\NAME"        an instance on a host, through its SQL Server Browser (UDP 1434)
//   "host,port"        a port (also "host:port", "[v6 address],port")
//   "host"             the default instance (port 1433)
//   names defined in freetds.conf are used as FreeTDS defines them.
#pragma once

#include <chrono>
#include <string>

#include "sqldmo/tds/Browser.h"
#include "sqldmo/tds/TdsConnection.h"

namespace sqldmo::tds {

// Resolves a name; asks the browser at `browserPort` (1434 but for tests) when the name
// carries an instance. Throws sqldmo::Error (InvalidArgument for an empty name,
// ConnectionFailed when the instance cannot be found).
ConnectTarget resolveServerName(const std::string& name, std::chrono::milliseconds browserWait,
                                int browserPort = kBrowserPort);

}  // namespace sqldmo::tds
