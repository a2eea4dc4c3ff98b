// Points XDG_CONFIG_HOME at a fresh temporary folder for the whole test process, so that the
// settings store (registration of the component) never touches the user's own files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace korvatest {

class TempConfig {
public:
    TempConfig() {
        std::string pattern = (std::filesystem::temp_directory_path() / "korva-test-XXXXXX").string();
        if (char* dir = mkdtemp(pattern.data())) {
            path_ = dir;
            setenv("XDG_CONFIG_HOME", dir, 1);
        }
    }
    ~TempConfig() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace korvatest
