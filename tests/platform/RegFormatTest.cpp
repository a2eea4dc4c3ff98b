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
    if (issues) *issues = r.issues.size();
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

}  // namespace
}  // namespace tavil::platform
