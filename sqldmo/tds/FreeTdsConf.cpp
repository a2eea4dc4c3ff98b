// Reading freetds.conf section names.
#include "sqldmo/tds/FreeTdsConf.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <strings.h>

namespace sqldmo::tds {
namespace {

// FreeTDS's configuration directory as Debian builds it.
constexpr const char* kSystemConf = "/etc/freetds/freetds.conf";

bool isFile(const std::string& path) {
    struct stat st{};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string homeDirectory() {
    if (const char* h = std::getenv("HOME"); h && *h) return h;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

}  // namespace

std::vector<std::string> freeTdsConfFiles() {
    std::vector<std::string> candidates;
    if (const char* f = std::getenv("FREETDSCONF"); f && *f) candidates.emplace_back(f);
    if (const char* d = std::getenv("FREETDS"); d && *d) candidates.push_back(std::string(d) + "/etc/freetds.conf");
    if (std::string home = homeDirectory(); !home.empty()) candidates.push_back(home + "/.freetds.conf");
    candidates.emplace_back(kSystemConf);
    std::vector<std::string> out;
    for (const auto& c : candidates)
        if (isFile(c)) {
            bool seen = false;
            for (const auto& o : out) seen = seen || o == c;
            if (!seen) out.push_back(c);
        }
    return out;
}

std::vector<std::string> confSections(const std::string& path) {
    std::vector<std::string> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::size_t a = line.find_first_not_of(" \t\r");
        if (a == std::string::npos || line[a] != '[') continue;
        std::size_t b = line.find(']', a);
        if (b == std::string::npos) continue;
        std::string name = line.substr(a + 1, b - a - 1);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
        while (!name.empty() && (name.front() == ' ' || name.front() == '\t')) name.erase(name.begin());
        if (name.empty() || strcasecmp(name.c_str(), "global") == 0) continue;
        out.push_back(name);
    }
    return out;
}

bool isConfiguredServer(const std::string& name) {
    for (const auto& f : freeTdsConfFiles())
        for (const auto& s : confSections(f))
            if (strcasecmp(s.c_str(), name.c_str()) == 0) return true;
    return false;
}

}  // namespace sqldmo::tds
