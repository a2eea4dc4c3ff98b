// The one place that decides which kind of server a name stands for.
#include "sqldmo/Backend.h"

namespace sqldmo {

std::unique_ptr<ServerBackend> openServerBackend(const std::string& serverName, const LoginOptions& options) {
    // "file:" in any letter case names a snapshot; the rest of the name is its path.
    if (serverName.size() >= 5) {
        std::string prefix = serverName.substr(0, 5);
        for (auto& c : prefix)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (prefix == "file:") return openSnapshotBackend(serverName.substr(5), options);
    }
    return openTdsBackend(serverName, options);
}

}  // namespace sqldmo
