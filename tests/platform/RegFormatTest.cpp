// The `.reg` reader and writer on their own: what is kept, what is reported, how it is written.
#include "platform/RegFormat.h"

#include <gtest/gtest.h>

namespace tavil::platform {
namespace {

using namespace std::string_literals;

constexpr const char* kRoot = "HKEY_LOCAL_MACHINE";

std::string canonical(std::string_view text, std::size_t* issues = nullptr)
{
    SettingsKey root;
    const RegParseResult r = parseRegText(text, kRoot, root);
    if (issues) *issues = r.issueCount;
    return formatRegText(root, kRoot);
}

TEST(RegFormat, WritesEveryKeyInOrderWithItsValues)
{
    SettingsKey root;
    SettingsKey& app = root.make({"Software", "Quillomere", "Tavilor"});
    app.setValue("Version", SettingsValue::string("0.3.0 Build 52"));
    app.setValue("", SettingsValue::string("C:\\\"quoted\""));
    app.setValue("MaxMRU", SettingsValue::number(0xFFFFFFFFu));
    app.setValue("Lines", SettingsValue::string("a\nb"));
    root.make({"Software", "Empty"});
    const std::string expected =
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Software]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Quillomere]\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Quillomere\\Tavilor]\n"
        "\"Version\"=\"0.3.0 Build 52\"\n"
        "@=\"C:\\\\\\\"quoted\\\"\"\n"
        "\"MaxMRU\"=dword:ffffffff\n"
        "\"Lines\"=hex(1):61,00,0a,00,62,00,00,00\n"
        "\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Empty]\n"
        "\n";
    EXPECT_EQ(formatRegText(root, kRoot), expected);
    EXPECT_EQ(canonical(expected), expected);
}

TEST(RegFormat, LongHexDataWrapsAndReadsBack)
{
    SettingsKey root;
    const std::string text(200, 'x');
    root.make({"K"}).setValue("Long\ttext", SettingsValue::string(text + "\r\n" + text));
    const std::string written = formatRegText(root, kRoot);
    EXPECT_NE(written.find("\\\n  "), std::string::npos);
    SettingsKey back;
    EXPECT_FALSE(parseRegText(written, kRoot, back).damaged());
    ASSERT_NE(back.find({"K"}), nullptr);
    EXPECT_EQ(*back.find({"K"})->findValue("Long\ttext"), SettingsValue::string(text + "\r\n" + text));
}

struct ReadCase {
    const char* name;
    std::string input;
    std::string expected;  // the canonical text of what was kept
    bool damaged;
};

// Latin-1 text as a UTF-16LE file with its byte order mark.
std::string utf16(std::string_view latin1)
{
    std::string out = "\xFF\xFE";
    for (char c : latin1) {
        out += c;
        out += '\0';
    }
    return out;
}

const std::string kHead = "Windows Registry Editor Version 5.00\n\n";

class RegFormatRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RegFormatRead, KeepsWhatCanBeRead)
{
    std::size_t issues = 0;
    EXPECT_EQ(canonical(GetParam().input, &issues), GetParam().expected);
    EXPECT_EQ(issues > 0, GetParam().damaged) << issues << " issues";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegFormatRead,
    ::testing::Values(
        ReadCase{"WindowsLineEndsBomCommentsOldHeader",
                 "\xEF\xBB\xBFREGEDIT4\r\n\r\n; a comment\r\n[HKEY_LOCAL_MACHINE\\A]\r\n  \"x\" = \"1\"  \r\n",
                 kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n\n", false},
        ReadCase{"KeyNamesFoldCaseAndKeepTheFirstSpelling",
                 kHead + "[HKEY_LOCAL_MACHINE\\Soft]\n\"a\"=\"1\"\n[hkey_local_machine\\SOFT\\Sub]\n[HKEY_LOCAL_MACHINE\\soft]\n\"b\"=\"2\"\n",
                 kHead + "[HKEY_LOCAL_MACHINE\\Soft]\n\"a\"=\"1\"\n\"b\"=\"2\"\n\n[HKEY_LOCAL_MACHINE\\Soft\\Sub]\n\n", false},
        ReadCase{"HexFormsBecomeTheirTypes",
                 kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"s\"=hex(1):41,00,\\\n  42,00,00,00\n\"d\"=hex(4):2a,00,00,00\n\"e\"=hex(2):41,00,00,00\n\"b\"=HEX:FF,0\n\"n\"=dword:A\n",
                 kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"s\"=\"AB\"\n\"d\"=dword:0000002a\n\"e\"=hex(2):41,00,00,00\n\"b\"=hex:ff,00\n\"n\"=dword:0000000a\n\n", false},
        ReadCase{"DeletionsApply",
                 kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n\"y\"=\"2\"\n\"x\"=-\n[HKEY_LOCAL_MACHINE\\A\\B]\n[-HKEY_LOCAL_MACHINE\\A\\B]\n",
                 kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"y\"=\"2\"\n\n", false},
        ReadCase{"BackslashesOtherThanEscapesStay", kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"p\"=\"C:\\Temp\\\\x\"\n",
                 kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"p\"=\"C:\\\\Temp\\\\x\"\n\n", false},
        ReadCase{"OnlyHexDataGoesOnOverLines",
                 kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"x=hex\"=\"a=hex \\\n\"y\"=\"2\"\n\"z\"=hex:01,\\\n\xff\n\"w\"=\"3\"\n",
                 kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"y\"=\"2\"\n\"w\"=\"3\"\n\n", true},
        ReadCase{"Empty", "", kHead, true},
        ReadCase{"MissingHeader", "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n", kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n\n", true},
        ReadCase{"TruncatedInTheMiddleOfAValue", kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n\"y\"=\"unfinish",
                 kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n\n", true},
        ReadCase{"BadLinesAmongGoodOnes",
                 kHead + "\"orphan\"=\"1\"\n[HKEY_LOCAL_MACHINE\\A]\n\"ok\"=\"1\"\n\"noequals\"\n\"bad\"=dword:xyz\n\"big\"=dword:123456789\n"
                         "\"odd\"=hex(4):01\ngarbage\n\"after\"=\"2\"\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n\"lost\"=\"3\"\n[HKEY_LOCAL_MACHINE\\A]\n\"last\"=\"4\"\n",
                 kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"ok\"=\"1\"\n\"after\"=\"2\"\n\"last\"=\"4\"\n\n", true},
        ReadCase{"SectionsOfAnotherHiveAreSkipped",
                 kHead + "[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n[HKEY_LOCAL_MACHINE\\B]\n\"y\"=\"2\"\n",
                 kHead + "[HKEY_LOCAL_MACHINE\\B]\n\"y\"=\"2\"\n\n", true},
        ReadCase{"BinaryJunk", kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n\x01\x02\xff\xfe\x00\x7f\n\"y\"=\"\xC3\x28\"\n"s,
                 kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n\n", true},
        ReadCase{"Utf16File",
                 utf16("[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"\xE9\"\n"),
                 kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"\xC3\xA9\"\n\n", true}),
    [](const ::testing::TestParamInfo<ReadCase>& p) { return std::string(p.param.name); });

std::vector<std::string> valueNames(const SettingsKey& key)
{
    std::vector<std::string> names;
    for (const auto& [name, value] : key.values()) names.push_back(name);
    return names;
}

std::vector<std::string> childNames(const SettingsKey& key)
{
    std::vector<std::string> names;
    for (const auto& child : key.children()) names.push_back(child->name());
    return names;
}

// Removed entries leave no trace in the order: what is set again goes to the end, what is
// replaced keeps its place, whatever mix of removals came before.
TEST(SettingsTree, RemovalsKeepTheOrderOfWhatStays)
{
    SettingsKey key;
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        key.setValue(name, SettingsValue::string(name));
        key.child(name);
    }
    EXPECT_TRUE(key.removeValue("b"));
    EXPECT_FALSE(key.removeValue("b"));
    EXPECT_TRUE(key.removeValue("d"));
    key.setValue("b", SettingsValue::number(2));
    key.setValue("c", SettingsValue::number(3));
    EXPECT_TRUE(key.removeValue("a"));  // more removed than kept: the slots are squeezed
    key.setValue("f", SettingsValue::number(6));
    EXPECT_EQ(valueNames(key), (std::vector<std::string>{"c", "e", "b", "f"}));
    EXPECT_EQ(key.values().size(), 4u);
    ASSERT_NE(key.findValue("c"), nullptr);
    EXPECT_EQ(*key.findValue("c"), SettingsValue::number(3));
    EXPECT_EQ(key.findValue("a"), nullptr);

    EXPECT_TRUE(key.removeChild("B"));
    EXPECT_TRUE(key.removeChild("a"));
    EXPECT_TRUE(key.removeChild("d"));
    key.child("A");
    EXPECT_EQ(childNames(key), (std::vector<std::string>{"c", "e", "A"}));
    ASSERT_NE(key.findChild("E"), nullptr);
    EXPECT_EQ(key.findChild("E")->name(), "e");
    ASSERT_NE(key.findChild("a"), nullptr);
    EXPECT_EQ(key.findChild("a")->name(), "A");

    for (const char* name : {"c", "e", "f", "b"}) EXPECT_TRUE(key.removeValue(name));
    for (const char* name : {"c", "e", "A"}) EXPECT_TRUE(key.removeChild(name));
    EXPECT_TRUE(key.values().empty());
    EXPECT_TRUE(key.empty());
}

// Tens of thousands of deletions in one key, of values and of keys, as a merged or hand-made
// file may hold: each must cost little, and the survivors keep the order they were written in.
TEST(RegFormat, ManyDeletionsInOneKey)
{
    constexpr int n = 40000;
    std::string text = kHead + "[HKEY_LOCAL_MACHINE\\A]\n";
    for (int i = 0; i < n; ++i) text += "\"v" + std::to_string(i) + "\"=dword:1\n";
    for (int i = 0; i < n; ++i)
        if (i % 1000 != 7) text += "\"v" + std::to_string(i) + "\"=-\n";
    for (int i = 0; i < n; ++i) text += "[HKEY_LOCAL_MACHINE\\A\\k" + std::to_string(i) + "]\n";
    for (int i = n - 1; i >= 0; --i)
        if (i % 1000 != 3) text += "[-HKEY_LOCAL_MACHINE\\A\\K" + std::to_string(i) + "]\n";
    text += "[HKEY_LOCAL_MACHINE\\A]\n\"v7\"=dword:2\n\"v0\"=dword:3\n";

    SettingsKey root;
    EXPECT_FALSE(parseRegText(text, kRoot, root).damaged());
    const SettingsKey* a = root.find({"A"});
    ASSERT_NE(a, nullptr);
    std::vector<std::string> values, children;
    for (int i = 0; i < n; i += 1000) {
        values.push_back("v" + std::to_string(i + 7));
        children.push_back("k" + std::to_string(i + 3));
    }
    values.push_back("v0");
    EXPECT_EQ(valueNames(*a), values);
    EXPECT_EQ(childNames(*a), children);
    EXPECT_EQ(*a->findValue("v7"), SettingsValue::number(2));
    EXPECT_EQ(*a->findValue("v1007"), SettingsValue::number(1));
    EXPECT_EQ(a->findValue("v8"), nullptr);
    EXPECT_EQ(a->findChild("k4"), nullptr);
}

// A file of nothing but bad lines is counted in full, but only its first issues are kept.
TEST(RegFormat, DamagedFileKeepsTheFirstIssuesAndCountsAll)
{
    std::string text = kHead + "[HKEY_LOCAL_MACHINE\\A]\n";
    for (int i = 0; i < 100000; ++i) text += "x\n";
    text += "\"kept\"=\"1\"\n";
    SettingsKey root;
    const RegParseResult r = parseRegText(text, kRoot, root);
    EXPECT_EQ(r.issueCount, 100000u);
    ASSERT_EQ(r.issues.size(), RegParseResult::kKeptIssues);
    EXPECT_EQ(r.issues.front().line, 4u);
    EXPECT_EQ(r.issues.back().line, 3 + RegParseResult::kKeptIssues);
    EXPECT_EQ(r.issues.back().what, "not a key, value or comment");
    EXPECT_EQ(formatRegText(root, kRoot), kHead + "[HKEY_LOCAL_MACHINE\\A]\n\"kept\"=\"1\"\n\n");
}

}  // namespace
}  // namespace tavil::platform
