// Finding servers without a network broadcast: the servers named in freetds.conf files, and the
// instances the SQL Server Browser on the loopback address reports.
#pragma once

#include <string>
#include <vector>

namespace sqldmo {

// Server names defined in the system's and the user's freetds.conf, in file order, each once.
std::vector<std::string> listConfiguredServers();
// Instances on this machine as "HOST\INSTANCE" (or "HOST" for the default instance, "(local)"
// for a host the Browser does not name), asked of the SQL Server Browser on 127.0.0.1 only;
// empty when none answers within a short wait. `browserPort` is for tests.
std::vector<std::string> listLocalInstances(int browserPort = 1434);

}  // namespace sqldmo
