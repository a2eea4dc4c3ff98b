// The freetds.conf files FreeTDS reads and the server names they define.
#pragma once

#include <string>
#include <vector>

namespace sqldmo::tds {

// The files in FreeTDS's search order: $FREETDSCONF, $FREETDS/etc/freetds.conf,
// ~/.freetds.conf, the system file. Files that do not exist are left out.
std::vector<std::string> freeTdsConfFiles();
// Section names of one file except [global], in file order.
std::vector<std::string> confSections(const std::string& path);
// True when a server of this name (any case) is defined in one of the files.
bool isConfiguredServer(const std::string& name);

}  // namespace sqldmo::tds
