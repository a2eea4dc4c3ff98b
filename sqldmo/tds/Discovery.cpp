// Server discovery without broadcasts: freetds.conf and the local SQL Server Browser.
#include "sqldmo/tds/Discovery.h"

#include <strings.h>

#include "sqldmo/tds/Browser.h"
#include "sqldmo/tds/FreeTdsConf.h"

namespace sqldmo {

static_assert(tds::kBrowserPort == 1434, "listLocalInstances defaults to the Browser's port");

std::vector<std::string> listConfiguredServers() {
    std::vector<std::string> out;
    for (const auto& file : tds::freeTdsConfFiles())
        for (const auto& s : tds::confSections(file)) {
            bool seen = false;
            for (const auto& o : out) seen = seen || strcasecmp(o.c_str(), s.c_str()) == 0;
            if (!seen) out.push_back(s);
        }
    return out;
}

std::vector<std::string> listLocalInstances(int browserPort) {
    std::vector<std::string> out;
    for (const auto& i : tds::askBrowser("127.0.0.1", browserPort, std::chrono::milliseconds(1000))) {
        std::string host = i.serverName.empty() ? "(local)" : i.serverName;
        out.push_back(strcasecmp(i.instanceName.c_str(), "MSSQLSERVER") == 0 || i.instanceName.empty()
                          ? host
                          : host + "\\" + i.instanceName);
    }
    return out;
}

}  // namespace sqldmo
