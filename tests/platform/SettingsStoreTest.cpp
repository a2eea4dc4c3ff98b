// The settings store: registry semantics, the file it keeps, and several writers at once.
#include "platform/SettingsStore.h"

#include "platform/RegFormat.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tavil::platform {
namespace {

using testing::readAll;
using testing::writeAll;
using Names = std::vector<std::string>;

const std::string kGood = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=\"1\"\n\"b\"=dword:00000002\n";

class SettingsStoreTest : public ::testing::Test {
protected:
    std::string file() const { return dir.file("local-machine.reg"); }
    std::unique_ptr<SettingsStore> open() const { return std::make_unique<SettingsStore>(Hive::LocalMachine, file()); }

    // The file read afresh by a store of its own, as another process would see it.
    std::unique_ptr<SettingsStore> reopened() const { return open(); }

    testing::TempFolder dir;
};

TEST_F(SettingsStoreTest, ValuesKeepTheirTypeAndAWrongTypeReadsAsNothing)
{
    auto s = open();
    ASSERT_TRUE(s->writeString("Software\\App", "Name", "Tavilor"));
    ASSERT_TRUE(s->writeDword("Software\\App", "Count", static_cast<std::uint32_t>(-5)));
    ASSERT_TRUE(s->writeString("Software\\App", "", "default"));

    auto r = reopened();
    EXPECT_EQ(r->readString("Software\\App", "Name"), "Tavilor");
    EXPECT_EQ(r->readDword("Software\\App", "Count"), 0xFFFFFFFBu);
    EXPECT_EQ(r->readString("Software\\App", ""), "default");
    EXPECT_EQ(r->readDword("Software\\App", "Name"), std::nullopt);
    EXPECT_EQ(r->readString("Software\\App", "Count"), std::nullopt);
    EXPECT_EQ(r->readString("Software\\App", "Missing"), std::nullopt);
    EXPECT_EQ(r->readString("Software\\Missing", "Name"), std::nullopt);
    EXPECT_NE(readAll(file()).find("\"Count\"=dword:fffffffb"), std::string::npos);
}

TEST_F(SettingsStoreTest, TextSurvivesTheFileWhateverItHolds)
{
    const Names texts = {"", "plain", "quote \" and backslash \\ and \\\"", "tab\there", "two\nlines\r\n",
                         "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", std::string("nul\0inside", 10), "trailing\\"};
    auto s = open();
    for (std::size_t i = 0; i < texts.size(); ++i) ASSERT_TRUE(s->writeString("K", "v" + std::to_string(i), texts[i]));
    auto r = reopened();
    for (std::size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(r->readString("K", "v" + std::to_string(i)), texts[i]) << i;
    SettingsKey root;
    EXPECT_FALSE(parseRegText(readAll(file()), "HKEY_LOCAL_MACHINE", root).damaged());
}

TEST_F(SettingsStoreTest, ValueNamesEnumerateInTheOrderFirstWritten)
{
    auto s = open();
    for (const char* n : {"b", "a", "c"}) s->writeString("K", n, n);
    s->writeString("K", "a", "again");  // stays in place
    EXPECT_EQ(s->valueNames("K"), (Names{"b", "a", "c"}));
    s->deleteValue("K", "b");
    s->writeString("K", "b", "back");  // now last
    EXPECT_EQ(reopened()->valueNames("K"), (Names{"a", "c", "b"}));
}

TEST_F(SettingsStoreTest, KeyNamesIgnoreCaseValueNamesDoNot)
{
    auto s = open();
    s->writeString("Software\\Quillomere", "File", "/home/u/A.qvx");
    s->writeString("SOFTWARE\\quillomere", "file", "/home/u/a.qvx");
    auto r = reopened();
    EXPECT_EQ(r->subKeyNames(""), (Names{"Software"}));
    EXPECT_EQ(r->subKeyNames("software"), (Names{"Quillomere"}));
    EXPECT_EQ(r->valueNames("software\\QUILLOMERE"), (Names{"File", "file"}));
    EXPECT_TRUE(r->keyExists("\\Software\\Quillomere\\"));  // outer separators are ignored
}

TEST_F(SettingsStoreTest, KeyTrees)
{
    auto s = open();
    s->writeString("A\\B\\C", "x", "1");
    s->writeString("A\\B", "y", "2");
    s->writeString("A\\D", "z", "3");
    ASSERT_TRUE(s->createKey("A\\Empty"));
    EXPECT_EQ(reopened()->subKeyNames("A"), (Names{"B", "D", "Empty"}));  // an empty key persists

    EXPECT_TRUE(s->deleteAllValues("A\\B"));
    EXPECT_TRUE(s->valueNames("A\\B").empty());
    EXPECT_TRUE(s->keyExists("A\\B\\C"));  // subkeys stay

    EXPECT_TRUE(s->deleteKeyTree("a\\b"));
    auto r = reopened();
    EXPECT_FALSE(r->keyExists("A\\B"));
    EXPECT_FALSE(r->keyExists("A\\B\\C"));
    EXPECT_EQ(r->readString("A\\D", "z"), "3");

    EXPECT_FALSE(s->deleteKeyTree("A\\B"));  // nothing left to delete
    EXPECT_FALSE(s->deleteValue("A\\D", "missing"));
    EXPECT_FALSE(s->deleteAllValues("Missing"));
    EXPECT_FALSE(s->deleteKeyTree(""));  // the hive itself stays
    EXPECT_TRUE(s->keyExists(""));
}

TEST_F(SettingsStoreTest, InvalidPathsAndNamesAreRefused)
{
    auto s = open();
    std::string deep;
    for (int i = 0; i < 600; ++i) deep += "k\\";
    const Names badKeys = {"A\\\\B", std::string(256, 'k'), "bad\nkey", "\xC3(", deep};
    for (const std::string& key : badKeys) {
        EXPECT_FALSE(s->writeString(key, "n", "v")) << key.substr(0, 20);
        EXPECT_FALSE(s->keyExists(key));
    }
    EXPECT_FALSE(s->writeString("K", "line\nbreak", "v"));
    EXPECT_FALSE(s->writeString("K", "bad\xff", "v"));
    EXPECT_FALSE(s->writeString("K", "n", "bad\xff"));
    EXPECT_FALSE(std::filesystem::exists(file()));  // nothing was written
}

TEST_F(SettingsStoreTest, WritesReplaceTheFileWholeAndLeaveNoTemporaryFiles)
{
    auto s = open();
    s->writeString("K", "a", "1");
    struct stat before {};
    ASSERT_EQ(::stat(file().c_str(), &before), 0);
    // A temporary file left by a process that died while writing disturbs nobody.
    writeAll(file() + ".tmp-99999-0", "half a file");
    s->writeString("K", "b", "2");
    struct stat after {};
    ASSERT_EQ(::stat(file().c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);  // a new file renamed over the old one
    EXPECT_EQ(after.st_mode & 0777, 0600u);

    Names left;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) left.push_back(entry.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (Names{"local-machine.reg", "local-machine.reg.lock", "local-machine.reg.tmp-99999-0"}));
    EXPECT_EQ(reopened()->valueNames("K"), (Names{"a", "b"}));
}

TEST_F(SettingsStoreTest, AChangeThatCannotBeWrittenIsKeptAndWrittenLater)
{
    // A file where the store's folder should be: nothing can be written there.
    const std::string blocked = dir.file("blocked");
    writeAll(blocked, "");
    SettingsStore s(Hive::LocalMachine, blocked + "/local-machine.reg");
    EXPECT_FALSE(s.writeString("K", "a", "1"));
    EXPECT_EQ(s.readString("K", "a"), "1");  // this process still sees it
    EXPECT_TRUE(s.hasUnwrittenChanges());
    EXPECT_FALSE(s.flush());

    std::filesystem::remove(blocked);
    EXPECT_TRUE(s.writeString("K", "b", "2"));
    EXPECT_FALSE(s.hasUnwrittenChanges());
    SettingsStore r(Hive::LocalMachine, blocked + "/local-machine.reg");
    EXPECT_EQ(r.valueNames("K"), (Names{"a", "b"}));
}

TEST_F(SettingsStoreTest, ABatchWritesOnceAtItsEnd)
{
    auto s = open();
    {
        SettingsStore::Batch outer(*s);
        s->writeString("K", "a", "1");
        {
            SettingsStore::Batch inner(*s);
            s->writeDword("K", "b", 2);
        }
        EXPECT_FALSE(std::filesystem::exists(file()));
        EXPECT_EQ(s->readDword("K", "b"), 2u);
    }
    EXPECT_EQ(reopened()->valueNames("K"), (Names{"a", "b"}));
}

TEST_F(SettingsStoreTest, SeesWhatAnotherWriterChangedAndKeepsIt)
{
    auto a = open();
    auto b = open();
    a->writeString("K", "fromA", "1");
    EXPECT_EQ(b->readString("K", "fromA"), "1");
    b->writeString("K", "fromB", "2");
    EXPECT_EQ(a->readString("K", "fromB"), "2");
    a->deleteValue("K", "fromA");
    EXPECT_EQ(b->valueNames("K"), (Names{"fromB"}));
}

TEST_F(SettingsStoreTest, WritersInSeveralProcessesAtOnceLoseNothing)
{
    constexpr int kProcesses = 4;
    constexpr int kValues = 60;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int failures = 0;
            {
                SettingsStore s(Hive::LocalMachine, file());
                const std::string key = "Proc" + std::to_string(p);
                for (int i = 0; i < kValues; ++i) {
                    if (!s.writeDword(key, "v" + std::to_string(i), static_cast<std::uint32_t>(i))) ++failures;
                    if (!s.writeDword("Shared", "p" + std::to_string(p), static_cast<std::uint32_t>(i))) ++failures;
                }
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto r = reopened();
    for (int p = 0; p < kProcesses; ++p) {
        EXPECT_EQ(r->valueNames("Proc" + std::to_string(p)).size(), static_cast<std::size_t>(kValues)) << p;
        EXPECT_EQ(r->readDword("Shared", "p" + std::to_string(p)), static_cast<std::uint32_t>(kValues - 1));
    }
    SettingsKey root;
    EXPECT_FALSE(parseRegText(readAll(file()), "HKEY_LOCAL_MACHINE", root).damaged());
}

struct DamagedCase {
    const char* name;
    std::string bytes;
    Names kept;  // value names of key "K" that must survive
};

class SettingsStoreDamaged : public SettingsStoreTest, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(SettingsStoreDamaged, ReadsWhatItCanKeepsTheFileAsideAndWritesAGoodOne)
{
    writeAll(file(), GetParam().bytes);
    auto s = open();
    EXPECT_EQ(s->valueNames("K"), GetParam().kept);
    const std::string aside = s->damagedCopy();
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(readAll(aside), GetParam().bytes);
    SettingsKey root;
    EXPECT_FALSE(parseRegText(readAll(file()), "HKEY_LOCAL_MACHINE", root).damaged());

    EXPECT_TRUE(s->writeString("K", "new", "1"));
    auto r = reopened();
    Names expected = GetParam().kept;
    expected.push_back("new");
    EXPECT_EQ(r->valueNames("K"), expected);
    EXPECT_TRUE(r->damagedCopy().empty());  // the good file is read without complaint
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsStoreDamaged,
    ::testing::Values(DamagedCase{"Empty", "", {}},
                      DamagedCase{"Truncated", kGood.substr(0, kGood.size() - 14), {"a"}},
                      DamagedCase{"Binary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\xff\xfe\x00\x01", 14), {}},
                      DamagedCase{"HandWrittenWithErrors", kGood + "\"c\"=\"unterminated\nnonsense line\n\"d\"=\"4\"\n", {"a", "b", "d"}}),
    [](const ::testing::TestParamInfo<DamagedCase>& p) { return std::string(p.param.name); });

TEST_F(SettingsStoreTest, AHugeFileIsReadUpToALimitAndKeptAside)
{
    writeAll(file(), kGood);
    // Far beyond any settings file: the rest is a hole of zero bytes.
    const std::uintmax_t size = 80u << 20;
    std::filesystem::resize_file(file(), size);
    auto s = open();
    EXPECT_EQ(s->valueNames("K"), (Names{"a", "b"}));
    ASSERT_FALSE(s->damagedCopy().empty());
    EXPECT_EQ(std::filesystem::file_size(s->damagedCopy()), size);
    EXPECT_LT(std::filesystem::file_size(file()), 1000u);
}

TEST_F(SettingsStoreTest, AFileKeptElsewhereThroughALinkStaysThere)
{
    const std::string real = dir.file("dotfiles-settings.reg");
    writeAll(real, kGood);
    std::filesystem::create_symlink(real, file());
    auto s = open();
    EXPECT_TRUE(s->writeString("K", "c", "3"));
    EXPECT_TRUE(std::filesystem::is_symlink(file()));
    EXPECT_NE(readAll(real).find("\"c\"=\"3\""), std::string::npos);
}

TEST_F(SettingsStoreTest, ValuesOfTypesItDoesNotUseSurviveRewriting)
{
    writeAll(file(), "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n\"path\"=hex(2):25,00,00,00\n\"bin\"=hex:01,02\n");
    auto s = open();
    EXPECT_EQ(s->readString("K", "path"), std::nullopt);
    s->writeString("K", "new", "x");
    const std::string text = readAll(file());
    EXPECT_NE(text.find("\"path\"=hex(2):25,00,00,00\n\"bin\"=hex:01,02\n\"new\"=\"x\"\n"), std::string::npos);
    EXPECT_TRUE(s->damagedCopy().empty());
}

TEST(SettingsStoreHives, LiveInTheUsersConfigurationFolder)
{
    testing::TempFolder dir;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    SettingsStore::reopenAll();
    EXPECT_EQ(SettingsStore::hive(Hive::LocalMachine).filePath(), dir.path() + "/quillomere/local-machine.reg");
    EXPECT_EQ(SettingsStore::hive(Hive::CurrentUser).filePath(), dir.path() + "/quillomere/current-user.reg");
    EXPECT_EQ(SettingsStore::hive(Hive::ClassesRoot).filePath(), dir.path() + "/quillomere/classes-root.reg");
    EXPECT_TRUE(SettingsStore::hive(Hive::ClassesRoot).writeString("CLSID\\{1}", "", "x"));
    EXPECT_NE(readAll(dir.path() + "/quillomere/classes-root.reg").find("[HKEY_CLASSES_ROOT\\CLSID\\{1}]\n@=\"x\""),
              std::string::npos);

    ::setenv("XDG_CONFIG_HOME", "relative/path", 1);  // not absolute: ignored
    ::setenv("HOME", dir.path().c_str(), 1);
    EXPECT_EQ(SettingsStore::defaultFilePath(Hive::LocalMachine), dir.path() + "/.config/quillomere/local-machine.reg");

    ::setenv("HOME", savedHome.c_str(), 1);
    if (old) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
    SettingsStore::reopenAll();
}

}  // namespace
}  // namespace tavil::platform
