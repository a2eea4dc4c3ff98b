// File and folder helpers, text helpers, the hourglass switch.
#include "app/support/QMTools.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <set>

namespace tavil {
namespace {

class QMToolsFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QString make(const QString& name, const QByteArray& contents = "x") const
    {
        QFile f(path(name));
        f.open(QIODevice::WriteOnly);
        f.write(contents);
        return f.fileName();
    }
    static QByteArray contents(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir_;
};

TEST_F(QMToolsFiles, ExistenceTestsTellFilesFromFolders)
{
    const QString file = make(QStringLiteral("a.qvx"));
    QDir().mkdir(path(QStringLiteral("sub")));
    QFile::link(file, path(QStringLiteral("link")));
    EXPECT_TRUE(FileExistsSafe(file));
    EXPECT_TRUE(FileExistsSafe(path(QStringLiteral("link"))));
    EXPECT_FALSE(FileExistsSafe(path(QStringLiteral("sub"))));
    EXPECT_FALSE(FileExistsSafe(path(QStringLiteral("missing"))));
    EXPECT_FALSE(FileExistsSafe(QString()));
    EXPECT_TRUE(DirectoryExistsSafe(path(QStringLiteral("sub"))));
    EXPECT_FALSE(DirectoryExistsSafe(file));
    EXPECT_FALSE(DirectoryExistsSafe(path(QStringLiteral("missing"))));

    // A relative path is taken from the current folder.
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    EXPECT_TRUE(FileExistsSafe(QStringLiteral("a.qvx")));
    EXPECT_TRUE(DirectoryExistsSafe(QStringLiteral("sub")));
    EXPECT_EQ(PathDrive(QStringLiteral("a.qvx")), PathDrive(dir_.path()));
    QDir::setCurrent(old);
}

TEST(QMTools, DrivesAreMountPointsThatAnswer)
{
    EXPECT_EQ(PathDrive(QStringLiteral("//server/share/file")), QString());
    EXPECT_EQ(PathDrive(QStringLiteral("/proc/self/status")), QStringLiteral("/proc"));
    EXPECT_EQ(PathDrive(QStringLiteral("/proc")), QStringLiteral("/proc"));
    EXPECT_EQ(PathDrive(QStringLiteral("/procfoo")), PathDrive(QStringLiteral("/")));  // a mount point is a whole name
    EXPECT_TRUE(DriveReady(QStringLiteral("/")));
    EXPECT_TRUE(DriveReady(PathDrive(QStringLiteral("/proc/self"))));
    EXPECT_FALSE(DriveReady(QString()));
    EXPECT_FALSE(DriveReady(QStringLiteral("/no/such/mount")));
}

TEST(QMTools, IncludeTrailingBackslash)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {"/", "/"}, {"/tmp", "/tmp/"}, {"/tmp/", "/tmp/"}, {"a", "a/"}, {"//server/share", "//server/share/"}};
    for (const auto& [in, out] : cases) EXPECT_EQ(IncludeTrailingBackslash(QString::fromLatin1(in)), QString::fromLatin1(out)) << in;
}

TEST_F(QMToolsFiles, Attributes)
{
    const QString file = make(QStringLiteral("plain"));
    const QString hidden = make(QStringLiteral(".hidden"));
    const QString readOnly = make(QStringLiteral("ro"));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup);
    QFile::link(file, path(QStringLiteral("link")));
    QFile::link(path(QStringLiteral("gone")), path(QStringLiteral("dangling")));

    EXPECT_EQ(FileAttributes(file), std::optional<std::uint32_t>(faArchive));
    EXPECT_EQ(FileAttributes(hidden), std::optional<std::uint32_t>(faArchive | faHidden));
    EXPECT_EQ(FileAttributes(readOnly), std::optional<std::uint32_t>(faArchive | faReadOnly));
    EXPECT_EQ(FileAttributes(dir_.path()), std::optional<std::uint32_t>(faDirectory));
    EXPECT_EQ(FileAttributes(path(QStringLiteral("link"))), std::optional<std::uint32_t>(faArchive | faSymLink));
    EXPECT_EQ(FileAttributes(path(QStringLiteral("dangling"))), std::optional<std::uint32_t>(faSymLink));
    EXPECT_EQ(FileAttributes(path(QStringLiteral("missing"))), std::nullopt);

    EXPECT_TRUE(HasAttributes(readOnly, faReadOnly | faArchive));
    EXPECT_FALSE(HasAttributes(file, faReadOnly | faArchive));
    EXPECT_TRUE(HasAttributes(file, 0));
    EXPECT_FALSE(HasAttributes(path(QStringLiteral("missing")), 0));
}

TEST_F(QMToolsFiles, CopyReplacesTheTargetOrLeavesItAlone)
{
    const QString source = make(QStringLiteral("source"), "new contents");
    const QString target = make(QStringLiteral("target"), "old contents");
    QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(CopyFileReplacing(source, target));
    EXPECT_EQ(contents(target), "new contents");
    EXPECT_EQ(QFile::permissions(target), QFile::permissions(source));

    make(QStringLiteral("target"), "old contents");
    EXPECT_FALSE(CopyFileReplacing(path(QStringLiteral("missing")), target));
    EXPECT_FALSE(CopyFileReplacing(dir_.path(), target));
    EXPECT_EQ(contents(target), "old contents");
    EXPECT_FALSE(CopyFileReplacing(source, path(QStringLiteral("no/such/folder/target"))));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary file left
}

TEST_F(QMToolsFiles, ForcedDeletion)
{
    const QString readOnly = make(QStringLiteral("ro"));
    QFile::setPermissions(readOnly, QFile::ReadOwner);
    EXPECT_TRUE(DeleteFileForced(readOnly));
    EXPECT_FALSE(QFile::exists(readOnly));

    const QString target = make(QStringLiteral("target"));
    QFile::setPermissions(target, QFile::ReadOwner);
    QFile::link(target, path(QStringLiteral("link")));
    EXPECT_TRUE(DeleteFileForced(path(QStringLiteral("link"))));
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_EQ(QFile::permissions(target) & QFile::WriteOwner, 0);  // the link's target is not touched

    EXPECT_TRUE(DeleteFileForced(path(QStringLiteral("missing"))));
    EXPECT_FALSE(DeleteFileForced(dir_.path()));
    EXPECT_TRUE(QDir(dir_.path()).exists());
}

TEST(QMTools, TempFolderHasItsSeparator)
{
    EXPECT_EQ(TempFolder(), QDir::tempPath() + QLatin1Char('/'));
}

TEST(QMTools, LeftAndRight)
{
    struct Case {
        int n;
        const char* left;
        const char* right;
    };
    for (const Case& c : {Case{-1, "", ""}, Case{0, "", ""}, Case{1, "a", "e"}, Case{3, "abc", "cde"}, Case{5, "abcde", "abcde"},
                          Case{9, "abcde", "abcde"}}) {
        EXPECT_EQ(LeftStr(QStringLiteral("abcde"), c.n), QString::fromLatin1(c.left)) << c.n;
        EXPECT_EQ(RightStr(QStringLiteral("abcde"), c.n), QString::fromLatin1(c.right)) << c.n;
    }
    EXPECT_EQ(LeftStr(QString(), 3), QString());
}

TEST(QMTools, ShuffleLinesPermutes)
{
    const QStringList lines = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("b"), QStringLiteral("c")};
    std::set<QStringList> orders;
    for (int i = 0; i < 60; ++i) {
        QStringList shuffled = lines;
        ShuffleLines(shuffled);
        QStringList sorted = shuffled;
        sorted.sort();
        ASSERT_EQ(sorted, lines);
        orders.insert(shuffled);
    }
    EXPECT_GT(orders.size(), 1u);
    QStringList none;
    ShuffleLines(none);
    EXPECT_TRUE(none.isEmpty());
}

TEST(QMTools, HourglassCallsTheInstalledHandler)
{
    HourglassOn();  // no handler yet: nothing happens
    std::vector<bool> calls;
    SetHourglassHandler([&](bool on) { calls.push_back(on); });
    {
        THourglass busy;
        HourglassOn();
    }
    SetHourglassHandler({});
    HourglassOff();
    EXPECT_EQ(calls, (std::vector<bool>{true, true, false}));
}

}  // namespace
}  // namespace tavil
