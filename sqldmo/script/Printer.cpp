// The printer.
#include "sqldmo/script/Printer.h"

#include "sqldmo/script/Quoting.h"

namespace sqldmo::script {

void printEntry(std::string& out, const Entry& entry, const PrintOptions& options) {
    const std::string_view nl = options.newline;
    if (entry.batches.empty() && entry.comment.empty()) return;
    if (options.headers && !entry.header.empty()) {
        out += "/****** Object:  ";
        out += entry.header;
        out += "    Script Date: ";
        out += quote::commentText(options.scriptDate);
        out += ' ';
        out += quote::commentText(options.scriptTime);
        out += " ******/";
        out += nl;
    }
    out += entry.comment;
    for (const std::string& batch : entry.batches) {
        if (quote::sqlcmdSafe(batch)) {
            out += batch;
            if (!batch.empty() && batch.back() != '\n') out += nl;
        } else {
            out += quote::execWrapped(batch, nl);
        }
        out += "GO";
        out += nl;
    }
    out += nl;
}

}  // namespace sqldmo::script
