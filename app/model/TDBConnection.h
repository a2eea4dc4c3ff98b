// Server, login and database of a command file. Plain data; a new command file's values are
// set by TCmdFile.
#pragma once

#include <QString>

namespace tavil {

struct TDBConnection {
    QString ServerName;
    bool WindowsAuthentication = false;
    QString Username;
    QString Password;  // plain text in memory; only the file holds it enciphered
    QString DatabaseName;
};

}  // namespace tavil
