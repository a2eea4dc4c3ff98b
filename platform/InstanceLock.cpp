// The single-instance lock: a lock file in the user's runtime folder.
#include "platform/InstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavil::platform {

std::string InstanceLock::runtimeFolder()
{
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && xdg[0] == '/') {
        std::string folder = xdg;
        if (folder.back() != '/') folder += '/';
        return folder;
    }
    // A private folder of ours in the temporary folder. It must be a real folder owned by us
    // and closed to others, or anyone could hold (or fake) our lock.
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = (tmp && tmp[0] == '/') ? tmp : "/tmp";
    if (folder.back() != '/') folder += '/';
    folder += "quillomere-" + std::to_string(::getuid());
    ::mkdir(folder.c_str(), 0700);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 077) != 0)
        return {};
    return folder + "/";
}

InstanceLock::InstanceLock(std::string name) : name_(std::move(name)) {}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0) ::close(fd_);
}

std::string InstanceLock::path() const
{
    const std::string folder = runtimeFolder();
    return folder.empty() ? std::string() : folder + name_;
}

InstanceLock::Result InstanceLock::acquire()
{
    if (fd_ >= 0) return Result::Acquired;
    const std::string file = path();
    if (file.empty() || name_.empty() || name_.find('/') != std::string::npos) return Result::Unavailable;
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Result::Unavailable;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Result::HeldElsewhere : Result::Unavailable;
    }
    fd_ = fd;
    return Result::Acquired;
}

InstanceLock::Result holdInstanceLock(const std::string& name)
{
    // Kept until the process ends: the lock goes with the process, as the system frees it then.
    static std::mutex mutex;
    static std::vector<std::unique_ptr<InstanceLock>> held;
    std::lock_guard guard(mutex);
    auto lock = std::make_unique<InstanceLock>(name);
    const InstanceLock::Result result = lock->acquire();
    if (result == InstanceLock::Result::Acquired) held.push_back(std::move(lock));
    return result;
}

}  // namespace tavil::platform
