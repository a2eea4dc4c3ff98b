// Where the program keeps its files on this machine.
#include "platform/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavil::platform {

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    std::vector<char> buf(16384);
    struct passwd pw {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

std::string configFolder()
{
    // The base directory specification says to ignore a relative XDG_CONFIG_HOME.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
        std::string folder = xdg;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        return folder;
    }
    const std::string home = homeFolder();
    return (home.empty() ? std::string("/tmp") : home) + "/.config";
}

std::string appConfigFolder() { return configFolder() + "/quillomere"; }

bool makeFolders(const std::string& path)
{
    if (path.empty()) return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeFolders(path.substr(0, slash))) return false;
    if (::mkdir(path.c_str(), 0700) == 0) return true;
    return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace tavil::platform
