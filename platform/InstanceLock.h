// The single-instance lock: a lock file in the user's runtime folder, held while the object lives.
#pragma once

#include <string>

namespace tavil::platform {

class InstanceLock {
public:
    enum class Result {
        Acquired,       // this process holds the lock now
        HeldElsewhere,  // another holder has it (another process, or another InstanceLock here)
        Unavailable,    // the lock file could not be made: nothing can be said about others
    };

    // Nothing is locked until acquire(). The name is a plain file name ("VELK").
    explicit InstanceLock(std::string name);
    // Releases the lock (the file itself stays; it is the lock, not its existence, that counts).
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock without waiting. Calling it again while holding the lock gives Acquired.
    Result acquire();
    bool held() const { return fd_ >= 0; }
    // runtimeFolder() + name.
    std::string path() const;

    // $XDG_RUNTIME_DIR with a trailing "/"; without it (or when it is not an absolute path), a
    // private folder "quillomere-<uid>" in the temporary folder, made readable by the user only.
    // Empty when no usable folder exists.
    static std::string runtimeFolder();

private:
    std::string name_;
    int fd_ = -1;
};

// Takes the process-wide lock of that name and keeps it until the process ends.
InstanceLock::Result holdInstanceLock(const std::string& name);

}  // namespace tavil::platform
