// Where the program keeps its files on this machine (XDG base directories).
#pragma once

#include <string>

namespace tavil::platform {

// The user's home folder: $HOME, else the password database's entry; empty when neither.
std::string homeFolder();
// $XDG_CONFIG_HOME when it is an absolute path, else homeFolder() + "/.config". No trailing "/".
std::string configFolder();
// configFolder() + "/quillomere".
std::string appConfigFolder();
// Makes the folder and its missing parents (new ones readable by the user only); true when it
// exists afterwards.
bool makeFolders(const std::string& path);

}  // namespace tavil::platform
