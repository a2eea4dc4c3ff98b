// The single-instance lock.
#include "platform/InstanceLock.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavil::platform {
namespace {

using Result = InstanceLock::Result;

class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) saved_ = old;
        ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    }
    void TearDown() override
    {
        if (saved_) ::setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
        else ::unsetenv("XDG_RUNTIME_DIR");
    }

    testing::TempFolder dir;

private:
    std::optional<std::string> saved_;
};

TEST_F(InstanceLockTest, OneHolderAtATime)
{
    auto first = std::make_unique<InstanceLock>("VELK");
    EXPECT_EQ(first->path(), dir.path() + "/VELK");
    EXPECT_EQ(first->acquire(), Result::Acquired);
    EXPECT_EQ(first->acquire(), Result::Acquired);  // asking again while holding it

    InstanceLock second("VELK");
    EXPECT_EQ(second.acquire(), Result::HeldElsewhere);
    InstanceLock other("OTHER");
    EXPECT_EQ(other.acquire(), Result::Acquired);

    // Another process sees it held, and may take it once the holder is gone.
    const auto childResult = [] {
        const pid_t pid = ::fork();
        if (pid == 0) ::_exit(static_cast<int>(InstanceLock("VELK").acquire()));
        int status = 0;
        ::waitpid(pid, &status, 0);
        return static_cast<Result>(WEXITSTATUS(status));
    };
    EXPECT_EQ(childResult(), Result::HeldElsewhere);
    first.reset();
    EXPECT_EQ(childResult(), Result::Acquired);
    EXPECT_EQ(second.acquire(), Result::Acquired);
}

TEST_F(InstanceLockTest, WithoutARuntimeFolderUsesAPrivateOne)
{
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    const std::string folder = InstanceLock::runtimeFolder();
    ::unsetenv("TMPDIR");
    ASSERT_EQ(folder, dir.path() + "/quillomere-" + std::to_string(::getuid()) + "/");
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // A folder of that name that others may write to is not used.
    ::chmod(folder.c_str(), 0777);
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    EXPECT_EQ(InstanceLock::runtimeFolder(), "");
    EXPECT_EQ(InstanceLock("VELK").acquire(), Result::Unavailable);
    ::unsetenv("TMPDIR");
}

}  // namespace
}  // namespace tavil::platform
