// The tolerant reading rules of command-file text.
#include "app/model/TIniDocument.h"

#include <gtest/gtest.h>

namespace tavil {
namespace {

TEST(IniDocument, ReadingRules)
{
    struct Case {
        const char* rule;
        const char16_t* text;
        const char* section;
        const char* key;
        const char16_t* expected;  // nullptr: the key is not found
    };
    const Case cases[] = {
        {"lines trimmed", u"  [ Sec ]  \r\n\t Key = Value \t\r\n", "Sec", "Key", u"Value"},
        {"keys before the first section ignored", u"Key=before\r\n", "", "Key", nullptr},
        {"keys before the first section ignored", u"Key=before\r\n[S]\r\n", "S", "Key", nullptr},
        {"comments ignored", u"[S]\r\n;K=1\r\n  ;K=2\r\nK=3\r\n", "S", "K", u"3"},
        {"split at the first =", u"[S]\r\nK=a=b\r\n", "S", "K", u"a=b"},
        {"no = gives an empty value", u"[S]\r\nK\r\n", "S", "K", u""},
        {"case-insensitive names", u"[sEcTiOn]\r\nkEY=v\r\n", "SECTION", "Key", u"v"},
        {"LF line ends", u"[S]\nA=1\nK=2\n", "S", "K", u"2"},
        {"CR line ends", u"[S]\rA=1\rK=2\r", "S", "K", u"2"},
        {"no final line end", u"[S]\r\nK=2", "S", "K", u"2"},
        {"first of two values", u"[S]\r\nK=1\r\nK=2\r\n", "S", "K", u"1"},
        {"a repeated section is one", u"[S]\r\nA=1\r\n[T]\r\n[s]\r\nK=2\r\n", "S", "K", u"2"},
        {"unclosed bracket is a key line", u"[A]\r\n[S\r\nK=1\r\n", "A", "K", u"1"},
        {"unclosed bracket is a key line", u"[A]\r\n[S\r\n", "A", "[S", u""},
        {"empty section name", u"[]\r\nK=1\r\n", "", "K", u"1"},
        {"only characters up to blank are trimmed", u"[S]\r\nK=\u00a0v\u3000\r\n", "S", "K", u"\u00a0v\u3000"},
        {"control characters are trimmed", u"[S]\r\n\x01K=v\x1f\r\n", "S", "K", u"v"},
        {"value with brackets and semicolons", u"[S]\r\nK=[x];y\r\n", "S", "K", u"[x];y"},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        const TIniDocument doc = TIniDocument::Parse(text);
        const QString got = doc.ReadString(QString::fromUtf8(c.section), QString::fromUtf8(c.key), QStringLiteral("<none>"));
        if (c.expected)
            EXPECT_EQ(got, QString::fromUtf16(c.expected)) << c.rule;
        else
            EXPECT_EQ(got, QStringLiteral("<none>")) << c.rule;
    }

    // A NUL character is an ordinary character of a value.
    const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    EXPECT_EQ(TIniDocument::Parse(QStringLiteral("[S]\r\nK=") + withNul).ReadString(QStringLiteral("S"), QStringLiteral("K")),
              withNul);
}

TEST(IniDocument, SectionKeepsFileOrderAndKeyCase)
{
    const TIniDocument doc = TIniDocument::Parse(QStringLiteral("[Tables]\r\nTable5=a.b\r\ntable0=c.d\r\n[x]\r\n[TABLES]\r\nTable1=e.f\r\n"));
    const auto* entries = doc.Section(QStringLiteral("tables"));
    ASSERT_NE(entries, nullptr);
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ((*entries)[0].Key, QStringLiteral("Table5"));
    EXPECT_EQ((*entries)[1].Key, QStringLiteral("table0"));
    EXPECT_EQ((*entries)[2].Value, QStringLiteral("e.f"));
    EXPECT_EQ(doc.Section(QStringLiteral("Views")), nullptr);
}

TEST(IniDocument, IntegerValues)
{
    struct Case { const char* text; bool ok; qint32 value; };
    const Case cases[] = {
        {"0", true, 0}, {"1", true, 1}, {"00012", true, 12}, {"+5", true, 5}, {"-1", true, -1},
        {"2147483647", true, 2147483647}, {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0}, {"99999999999999999999", false, 0},
        {"0x0", true, 0}, {"0X1f", true, 31}, {"0x00000000010", true, 16}, {"0xFFFFFFFF", true, -1},
        {"0x100000000", false, 0}, {"0x", false, 0}, {"0x1G", false, 0}, {"0x-1", false, 0},
        {"", false, 0}, {"-", false, 0}, {"yes", false, 0}, {"1 2", false, 0}, {"1.0", false, 0},
        {"$1F", false, 0}, {"x1", false, 0},
    };
    for (const Case& c : cases) {
        qint32 value = 0;
        EXPECT_EQ(TIniDocument::ParseInteger(QString::fromLatin1(c.text), value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

}  // namespace
}  // namespace tavil
