// The one printer of the scripter: header comment, comment lines, each batch followed by GO,
// and a blank line after every entry.
#pragma once

#include <string>
#include <string_view>

#include "sqldmo/script/Entry.h"

namespace sqldmo::script {

struct PrintOptions {
    bool headers = false;
    std::string_view scriptDate;
    std::string_view scriptTime;
    std::string_view newline = "\r\n";
};

// Appends the entry to out. A batch that sqlcmd would misread is written through EXEC
// (quote::execWrapped) so that the server still receives its exact text.
void printEntry(std::string& out, const Entry& entry, const PrintOptions& options);

}  // namespace sqldmo::script
