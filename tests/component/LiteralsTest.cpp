// Literals of table values, bracketed names, progress arithmetic and the row connection string.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "component/ComError.h"
#include "component/Literals.h"
#include "component/Progress.h"
#include "component/RowConnectionString.h"
#include "component/Text.h"

namespace {

using korva::detail::ComError;
using korva::detail::ScriptBuffer;
using sqldmo::SqlType;
using sqldmo::Value;

std::string literal(const Value& v, SqlType column) {
    ScriptBuffer out;
    EXPECT_EQ(korva::detail::appendLiteral(out, v, column, true), korva::detail::LiteralForm::Direct);
    return std::string(out.view());
}

Value variant(Value v, int maxLength = 0, int precision = 0, int scale = 0) {
    v.variant = true;
    v.maxLength = maxLength;
    v.precision = precision;
    v.scale = scale;
    return v;
}

sqldmo::DateTimeValue dt(int y, int mo, int d, int h, int mi, int s, int ms) {
    sqldmo::DateTimeValue t;
    t.year = y; t.month = mo; t.day = d; t.hour = h; t.minute = mi; t.second = s; t.millisecond = ms;
    return t;
}

struct LiteralCase {
    const char* what;
    Value value;
    SqlType column;
    std::string expected;
};

TEST(KorvaLiterals, EveryTypeOfValue) {
    const std::vector<LiteralCase> cases = {
        {"null int", Value::null(SqlType::Int), SqlType::Int, "NULL"},
        {"null nvarchar", Value::null(SqlType::NVarChar), SqlType::NVarChar, "NULL"},
        {"null variant", Value::null(SqlType::SqlVariant), SqlType::SqlVariant, "NULL"},
        {"int", Value::ofInteger(SqlType::Int, -42), SqlType::Int, "-42"},
        {"bigint min", Value::ofInteger(SqlType::BigInt, std::numeric_limits<std::int64_t>::min()), SqlType::BigInt,
         "-9223372036854775808"},
        {"tinyint", Value::ofInteger(SqlType::TinyInt, 255), SqlType::TinyInt, "255"},
        {"bit true", Value::ofInteger(SqlType::Bit, 1), SqlType::Bit, "1"},
        {"bit false", Value::ofInteger(SqlType::Bit, 0), SqlType::Bit, "0"},
        {"float one and a half", Value::ofFloat(SqlType::Float, 1.5), SqlType::Float, "1.5"},
        {"float shortest", Value::ofFloat(SqlType::Float, 0.1), SqlType::Float, "0.1"},
        {"float all digits", Value::ofFloat(SqlType::Float, 0.1 + 0.2), SqlType::Float, "0.30000000000000004"},
        {"float large", Value::ofFloat(SqlType::Float, 1e20), SqlType::Float, "1e+20"},
        {"float small", Value::ofFloat(SqlType::Float, -2.5e-7), SqlType::Float, "-2.5e-07"},
        {"real in float precision", Value::ofFloat(SqlType::Real, static_cast<double>(0.1f)), SqlType::Real, "0.1"},
        {"decimal as sent", Value::ofExact(SqlType::Decimal, "-12.3400"), SqlType::Decimal, "-12.3400"},
        {"numeric wide", Value::ofExact(SqlType::Numeric, "12345678901234567890123456789012345678"),
         SqlType::Numeric, "12345678901234567890123456789012345678"},
        {"money", Value::ofExact(SqlType::Money, "922337203685477.5807"), SqlType::Money, "922337203685477.5807"},
        {"smallmoney", Value::ofExact(SqlType::SmallMoney, "0.0001"), SqlType::SmallMoney, "0.0001"},
        {"varchar quote", Value::ofText(SqlType::VarChar, "O'Brien"), SqlType::VarChar, "'O''Brien'"},
        {"char", Value::ofText(SqlType::Char, "ab  "), SqlType::Char, "'ab  '"},
        {"text", Value::ofText(SqlType::Text, "long"), SqlType::Text, "'long'"},
        {"nvarchar quote", Value::ofText(SqlType::NVarChar, "O'Brien"), SqlType::NVarChar, "N'O''Brien'"},
        {"nchar unicode", Value::ofText(SqlType::NChar, "\xCE\xA9mega \xE6\x97\xA5"), SqlType::NChar,
         "N'\xCE\xA9mega \xE6\x97\xA5'"},
        {"ntext", Value::ofText(SqlType::NText, "x"), SqlType::NText, "N'x'"},
        {"empty string", Value::ofText(SqlType::VarChar, ""), SqlType::VarChar, "''"},
        {"datetime", Value::ofDateTime(SqlType::DateTime, dt(2002, 3, 5, 14, 7, 9, 123)), SqlType::DateTime,
         "'2002-03-05T14:07:09.123'"},
        {"datetime early", Value::ofDateTime(SqlType::DateTime, dt(1753, 1, 1, 0, 0, 0, 3)), SqlType::DateTime,
         "'1753-01-01T00:00:00.003'"},
        {"smalldatetime", Value::ofDateTime(SqlType::SmallDateTime, dt(2079, 6, 6, 23, 59, 0, 0)),
         SqlType::SmallDateTime, "'2079-06-06T23:59:00.000'"},
        {"varbinary", Value::ofBinary(SqlType::VarBinary, std::string("\x00\xff\x10", 3)), SqlType::VarBinary,
         "0x00FF10"},
        {"image empty", Value::ofBinary(SqlType::Image, ""), SqlType::Image, "0x"},
        {"guid", Value::ofGuid("6F9619FF-8B86-D011-B42D-00C04FC964FF"), SqlType::UniqueIdentifier,
         "'6F9619FF-8B86-D011-B42D-00C04FC964FF'"},
        // The column's type decides over the value's: text read from an nvarchar column.
        {"column type wins", Value::ofText(SqlType::VarChar, "a"), SqlType::NVarChar, "N'a'"},
        {"unknown column type", Value::ofText(SqlType::NVarChar, "a"), SqlType::Unknown, "N'a'"},
        // sql_variant values: literals of their base type.
        {"variant nvarchar", variant(Value::ofText(SqlType::NVarChar, "abc"), 3), SqlType::SqlVariant,
         "CAST(N'abc' AS nvarchar(3))"},
        {"variant varchar no length", variant(Value::ofText(SqlType::VarChar, "ab")), SqlType::SqlVariant,
         "CAST('ab' AS varchar(2))"},
        {"variant empty nchar", variant(Value::ofText(SqlType::NChar, "")), SqlType::SqlVariant,
         "CAST(N'' AS nchar(1))"},
        {"variant int", variant(Value::ofInteger(SqlType::Int, 42)), SqlType::SqlVariant, "42"},
        {"variant bigint", variant(Value::ofInteger(SqlType::BigInt, 5)), SqlType::SqlVariant, "CAST(5 AS bigint)"},
        {"variant bit", variant(Value::ofInteger(SqlType::Bit, 1)), SqlType::SqlVariant, "CAST(1 AS bit)"},
        {"variant float", variant(Value::ofFloat(SqlType::Float, 1.5)), SqlType::SqlVariant, "1.5e+00"},
        {"variant real", variant(Value::ofFloat(SqlType::Real, 0.25)), SqlType::SqlVariant, "CAST(2.5e-01 AS real)"},
        {"variant decimal", variant(Value::ofExact(SqlType::Decimal, "1.50"), 0, 5, 2), SqlType::SqlVariant,
         "CAST(1.50 AS decimal(5,2))"},
        {"variant money", variant(Value::ofExact(SqlType::Money, "12.3400")), SqlType::SqlVariant,
         "CAST(12.3400 AS money)"},
        {"variant datetime", variant(Value::ofDateTime(SqlType::DateTime, dt(2002, 3, 5, 14, 7, 9, 123))),
         SqlType::SqlVariant, "CAST('2002-03-05T14:07:09.123' AS datetime)"},
        {"variant varbinary", variant(Value::ofBinary(SqlType::VarBinary, "\x01")), SqlType::SqlVariant, "0x01"},
        {"variant binary", variant(Value::ofBinary(SqlType::Binary, "\x01"), 4), SqlType::SqlVariant,
         "CAST(0x01 AS binary(4))"},
        {"variant guid", variant(Value::ofGuid("6F9619FF-8B86-D011-B42D-00C04FC964FF")), SqlType::SqlVariant,
         "CAST('6F9619FF-8B86-D011-B42D-00C04FC964FF' AS uniqueidentifier)"},
    };
    for (const LiteralCase& c : cases) EXPECT_EQ(literal(c.value, c.column), c.expected) << c.what;
}

TEST(KorvaLiterals, HostileStringsStayInsideTheirLiteral) {
    struct Case {
        const char* text;
        SqlType type;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"'); DROP TABLE t; --", SqlType::VarChar, "'''); DROP TABLE t; --'"},
        {"''", SqlType::NVarChar, "N''''''"},
        // A line that a batch-splitting tool would read as GO never begins a line of the script.
        {"a\r\nGO\r\nDROP TABLE t", SqlType::NVarChar, "N'a' + NCHAR(13) + NCHAR(10) + N'GO\r\nDROP TABLE t'"},
        {"a\n  go 5", SqlType::VarChar, "'a' + CHAR(10) + '  go 5'"},
        {"\nGO", SqlType::VarChar, "CHAR(10) + 'GO'"},
        {"x\r\ngo", SqlType::VarChar, "'x' + CHAR(13) + CHAR(10) + 'go'"},
        // Nor any other command of such tools: file inclusion, shell commands, exit.
        {"a\n:r /etc/passwd", SqlType::VarChar, "'a' + CHAR(10) + ':r /etc/passwd'"},
        {"x\r\n  !! rm -rf /", SqlType::NVarChar, "N'x' + NCHAR(13) + NCHAR(10) + N'  !! rm -rf /'"},
        {"a\nEXIT(SELECT 1)", SqlType::VarChar, "'a' + CHAR(10) + 'EXIT(SELECT 1)'"},
        {"a\r\nexited\r\neducation\r\nquitting", SqlType::VarChar, "'a\r\nexited\r\neducation\r\nquitting'"},
        // A variable reference is cut in two; a lone "$" is data.
        {"$(HOME)/x", SqlType::NVarChar, "N'$' + N'(HOME)/x'"},
        {"cost $5 (net)", SqlType::VarChar, "'cost $5 (net)'"},
        {"a$(", SqlType::VarChar, "'a$' + '('"},
        // A CR LF pair stays as it is; a lone LF or CR is written as CHAR() so that converting the
        // script's line ends cannot change the value.
        {"line 1\r\nline 2\nGOTO", SqlType::VarChar, "'line 1\r\nline 2' + CHAR(10) + 'GOTO'"},
        {"old\rmac", SqlType::NVarChar, "N'old' + NCHAR(13) + N'mac'"},
    };
    for (const Case& c : cases) EXPECT_EQ(literal(Value::ofText(c.type, c.text), c.type), c.expected) << c.text;
    EXPECT_EQ(literal(Value::ofText(SqlType::VarChar, std::string("x\0y", 3)), SqlType::VarChar),
              "'x' + CHAR(0) + 'y'");
    EXPECT_EQ(literal(Value::ofText(SqlType::NVarChar, std::string("\0", 1)), SqlType::NVarChar), "NCHAR(0)");
}

// A sum of pieces is typed varchar(8000) / nvarchar(4000) at most, so longer values are written
// so that nothing is cut: lone line breaks stay in the literal, other pieces start with a
// max-typed operand where the server has one, and otherwise the statement goes through EXEC.
TEST(KorvaLiterals, LongStringsAreNotCutByTheirPieces) {
    using korva::detail::LiteralForm;
    const std::string x9000(9000, 'x');
    const std::string x7998(7998, 'x');
    std::string e4500, e3000;  // "é": two UTF-8 bytes, one UTF-16 unit
    for (int i = 0; i < 4500; ++i) e4500 += "\xC3\xA9";
    for (int i = 0; i < 3000; ++i) e3000 += "\xC3\xA9";
    struct Case {
        const char* what;
        Value value;
        SqlType column;
        bool maxTypes;
        std::string expected;
        LiteralForm form;
    };
    const std::vector<Case> cases = {
        {"short value with LF, old server", Value::ofText(SqlType::Text, "a\nb"), SqlType::Text, false,
         "'a' + CHAR(10) + 'b'", LiteralForm::Direct},
        {"8000 bytes still join", Value::ofText(SqlType::Text, x7998 + "\nb"), SqlType::Text, false,
         "'" + x7998 + "' + CHAR(10) + 'b'", LiteralForm::Direct},
        {"lone LF in a long value", Value::ofText(SqlType::Text, x7998 + "\nbc"), SqlType::Text, false,
         "'" + x7998 + "\nbc'", LiteralForm::Direct},
        {"lone CR and a quote in a long value", Value::ofText(SqlType::NText, x9000 + "\r'"), SqlType::NText, true,
         "N'" + x9000 + "\r'''", LiteralForm::Direct},
        {"GO line, new server", Value::ofText(SqlType::Text, x9000 + "\r\nGO\r\ny\nz"), SqlType::Text, true,
         "CAST('' AS varchar(max)) + '" + x9000 + "' + CHAR(13) + CHAR(10) + 'GO\r\ny\nz'", LiteralForm::Direct},
        {"NUL in long Unicode, new server", Value::ofText(SqlType::NText, x9000 + std::string("\0z", 2)),
         SqlType::NText, true, "CAST(N'' AS nvarchar(max)) + N'" + x9000 + "' + NCHAR(0) + N'z'",
         LiteralForm::Direct},
        {"variable reference, new server", Value::ofText(SqlType::Text, x9000 + "$(v)"), SqlType::Text, true,
         "CAST('' AS varchar(max)) + '" + x9000 + "$' + '(v)'", LiteralForm::Direct},
        {"GO line, old server", Value::ofText(SqlType::Text, x9000 + "\r\nGO\r\ny"), SqlType::Text, false,
         "'" + x9000 + "\r\nGO\r\ny'", LiteralForm::ThroughExec},
        {"variable reference, old server", Value::ofText(SqlType::NText, x9000 + "$(v)"), SqlType::NText, false,
         "N'" + x9000 + "$(v)'", LiteralForm::ThroughExec},
        // Unicode counts UTF-16 units; other types count UTF-8 bytes, which no code page exceeds.
        {"3000 Unicode characters join", Value::ofText(SqlType::NVarChar, e3000 + "\n"), SqlType::NVarChar, false,
         "N'" + e3000 + "' + NCHAR(10)", LiteralForm::Direct},
        {"9000 bytes of 4500 characters", Value::ofText(SqlType::VarChar, e4500 + "\n"), SqlType::VarChar, false,
         "'" + e4500 + "\n'", LiteralForm::Direct},
        {"long sql_variant, old server", variant(Value::ofText(SqlType::VarChar, e4500 + "\n:r x"), 8000),
         SqlType::SqlVariant, false, "CAST('" + e4500 + "\n:r x' AS varchar(8000))", LiteralForm::ThroughExec},
    };
    for (const Case& c : cases) {
        ScriptBuffer out;
        EXPECT_EQ(korva::detail::appendLiteral(out, c.value, c.column, c.maxTypes), c.form) << c.what;
        EXPECT_EQ(out.view(), c.expected) << c.what;
    }
}

TEST(KorvaLiterals, StatementsRunThroughExecHoldNoLineOfTheirText) {
    ScriptBuffer out;
    out.append("-- before\r\n");
    std::size_t start = out.size();
    const char statement[] = "INSERT INTO [t] VALUES ('a\r\nGO\nb$(x)\0''q')";
    out.append(std::string_view(statement, sizeof statement - 1));
    korva::detail::runThroughExec(out, start, true);
    out.append("\r\n");
    // A second statement of the same batch: the variables are there already. Pieces end before
    // 4000 bytes, never inside a character.
    start = out.size();
    out.append("'" + std::string(3998, 'x') + "\xC3\xA9'");
    korva::detail::runThroughExec(out, start, false);
    EXPECT_EQ(out.view(), "-- before\r\n"
                          "-- Run through EXEC: a value too long to be joined from pieces holds lines that batch "
                          "tools would read as commands.\r\n"
                          "DECLARE @cr nchar(1), @lf nchar(1), @nul nchar(1)\r\n"
                          "SELECT @cr = NCHAR(13), @lf = NCHAR(10), @nul = NCHAR(0)\r\n"
                          "EXEC (N'INSERT INTO [t] VALUES (''a' + @cr + @lf\r\n"
                          "\t+ N'GO' + @lf\r\n"
                          "\t+ N'b$' + N'(x)' + @nul + N'''''q'')')\r\n"
                          "EXEC (N'''" +
                              std::string(3998, 'x') + "' + N'\xC3\xA9''')");
}

TEST(KorvaLiterals, ValuesWithoutLiteralFail) {
    const std::vector<Value> values = {
        Value::ofExact(SqlType::Decimal, "1); DROP TABLE t"),
        Value::ofExact(SqlType::Money, ""),
        Value::ofExact(SqlType::Decimal, "1.2.3"),
        Value::ofFloat(SqlType::Float, std::numeric_limits<double>::infinity()),
        Value::ofFloat(SqlType::Float, std::numeric_limits<double>::quiet_NaN()),
        variant(Value::ofText(SqlType::Text, "t")),
    };
    for (const Value& v : values) EXPECT_THROW(literal(v, v.variant ? SqlType::SqlVariant : v.type), ComError);
}

TEST(KorvaLiterals, BracketNameDoublesClosingBrackets) {
    EXPECT_EQ(korva::detail::bracketName("Order Details"), "[Order Details]");
    EXPECT_EQ(korva::detail::bracketName("a]b]]"), "[a]]b]]]]]");
    EXPECT_EQ(korva::detail::bracketName("[x"), "[[x]");
}

TEST(KorvaProgress, RoundsHalfToEven) {
    const std::vector<std::pair<double, int>> cases = {
        {2.5, 2}, {3.5, 4}, {42.5, 42}, {52.5, 52}, {-2.5, -2}, {0.4999, 0}, {0.5, 0}, {1.5, 2}, {99.51, 100}, {7.0, 7},
    };
    for (auto [x, expected] : cases) EXPECT_EQ(korva::detail::roundHalfEven(x), expected) << x;
    EXPECT_THROW(korva::detail::roundHalfEven(3e9), ComError);
}

TEST(KorvaProgress, SharesAndPercentages) {
    using namespace korva::detail;
    struct Share {
        int objects, entries, expected;
    };
    for (Share s : std::vector<Share>{{3, 1, 75}, {0, 1, 0}, {1, 0, 100}, {1, 2, 33}, {2, 1, 67}, {1, 7, 12}})
        EXPECT_EQ(transferShare(s.objects, s.entries), s.expected) << s.objects << "/" << s.entries;
    try {
        transferShare(0, 0);
        FAIL() << "0/0 must fail";
    } catch (const ComError& e) {
        EXPECT_EQ(e.number(), korva::errors::DivisionByZero);
    }

    struct Relay {
        int p;
        bool data;
        int share, expected;
    };
    for (Relay r : std::vector<Relay>{{50, true, 75, 42}, {50, false, 0, 52}, {100, false, 0, 100}, {0, false, 0, 5},
                                      {100, true, 75, 80}, {0, true, 0, 5}, {33, false, 40, 36}})
        EXPECT_EQ(relayedPercent(r.p, r.data, r.share), r.expected) << r.p << " " << r.data << " " << r.share;
    EXPECT_THROW(relayedPercent(std::numeric_limits<std::int32_t>::max(), false, 0), ComError);

    // After each table, from the schema phase's last value towards 100.
    EXPECT_EQ(tablePercent(80, 1, 4), 85);
    EXPECT_EQ(tablePercent(80, 2, 4), 90);
    EXPECT_EQ(tablePercent(80, 4, 4), 100);
    EXPECT_EQ(tablePercent(5, 1, 2), 52);  // 52.5 to even

    EXPECT_EQ(add16(32766, 1), 32767);
    EXPECT_THROW(add16(32767, 1), ComError);
}

TEST(KorvaRowConnectionString, BuiltFromTheSettings) {
    using korva::detail::rowConnectionString;
    struct Case {
        bool windows;
        std::string db, server;
        int packet;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {true, "pubs", "(local)", 4096,
         "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=pubs;"
         "Data Source=(local);Packet Size=4096;Application Name=Quillomere Korvane"},
        {false, "pubs", "srv\\inst", -1,
         "Provider=SQLOLEDB.1;Persist Security Info=False;Initial Catalog=pubs;Data Source=srv\\inst;"
         "Packet Size=-1;Application Name=Quillomere Korvane"},
        {false, "", "", 0,
         "Provider=SQLOLEDB.1;Persist Security Info=False;Initial Catalog=;Data Source=;Packet Size=0;"
         "Application Name=Quillomere Korvane"},
        // Values that would add keys are quoted.
        {false, "a;Integrated Security=SSPI", "file:/tmp/x=y.db", 512,
         "Provider=SQLOLEDB.1;Persist Security Info=False;Initial Catalog=\"a;Integrated Security=SSPI\";"
         "Data Source=\"file:/tmp/x=y.db\";Packet Size=512;Application Name=Quillomere Korvane"},
        {false, " pad", "say \"hi\"", 1,
         "Provider=SQLOLEDB.1;Persist Security Info=False;Initial Catalog=\" pad\";Data Source=\"say \"\"hi\"\"\";"
         "Packet Size=1;Application Name=Quillomere Korvane"},
    };
    for (const Case& c : cases) EXPECT_EQ(rowConnectionString(c.windows, c.db, c.server, c.packet), c.expected);

    auto defaults = korva::detail::rowConnectionOptions(-1, 0);
    EXPECT_EQ(defaults.connectTimeout, sqldmo::RowConnectionOptions{}.connectTimeout);
    EXPECT_EQ(defaults.commandTimeout, 0);
    auto zero = korva::detail::rowConnectionOptions(0, 30);
    EXPECT_EQ(zero.connectTimeout, 0);
    EXPECT_EQ(zero.commandTimeout, 30);
}

TEST(KorvaText, RoundTripsAndRepairs) {
    using namespace korva::detail;
    const std::u16string mixed = u"A\u00e9\u65e5\U0001F600";
    EXPECT_EQ(toUtf8(mixed), "A\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80");
    EXPECT_EQ(toUtf16(toUtf8(mixed)), mixed);
    EXPECT_EQ(utf16Length(toUtf8(mixed)), mixed.size());
    EXPECT_EQ(toUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
    EXPECT_EQ(toUtf16("a\xFF" "b\xE6\x97"), u"a\uFFFDb\uFFFD\uFFFD");
    EXPECT_EQ(toUtf16("\xC0\x80"), u"\uFFFD\uFFFD");  // overlong
    // Long runs of ASCII around other characters, at every offset of the block conversion.
    for (std::size_t lead = 0; lead < 40; lead += 3) {
        const std::u16string text = std::u16string(lead, u'a') + u"\u00e9" + std::u16string(17, u'b') + u"\U0001F600" +
                                    std::u16string(lead % 16, u'c') + u"\u65e5";
        EXPECT_EQ(toUtf16(toUtf8(text)), text) << lead;
        EXPECT_EQ(utf16Length(toUtf8(text)), text.size()) << lead;
    }
    // Appending goes through pieces: characters across a piece's end stay whole.
    for (std::size_t lead : {8189u, 8190u, 8191u, 8192u, 16383u}) {
        const std::u16string text = std::u16string(lead, u'a') + u"\u65e5\U0001F600\u00e9" + std::u16string(9000, u'z');
        std::u16string out = u">";
        appendUtf16(out, toUtf8(text));
        EXPECT_EQ(out, u">" + text) << lead;
    }
}

}  // namespace
