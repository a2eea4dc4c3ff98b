// The scripter's quoting helpers.
#include <gtest/gtest.h>

#include "sqldmo/script/Quoting.h"

namespace q = sqldmo::script::quote;

TEST(Quoting, IdentifiersAndLiterals) {
    EXPECT_EQ(q::identifier("Orders"), "[Orders]");
    EXPECT_EQ(q::identifier("a]b"), "[a]]b]");
    EXPECT_EQ(q::identifier("]]"), "[]]]]]");
    EXPECT_EQ(q::qualified("dbo", "T", true), "[dbo].[T]");
    EXPECT_EQ(q::qualified("dbo", "T", false), "[T]");
    EXPECT_EQ(q::qualified("", "T", true), "[T]");
    EXPECT_EQ(q::unicode("O'Brien"), "N'O''Brien'");
    EXPECT_EQ(q::unicode(""), "N''");
    // A name that closes its brackets and a string cannot end either early.
    EXPECT_EQ(q::unicode(q::qualified("x']; drop", "t]", true)), "N'[x'']]; drop].[t]]]'");
}

TEST(Quoting, CommentTextCannotLeaveTheComment) {
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"plain [dbo].[T]", "plain [dbo].[T]"},
        {"a*/b", "a* /b"},
        {"a/*b", "a/ *b"},
        {"line1\r\nline2", "line1  line2"},
        {"tab\there", "tab here"},
        {"$(var)", "$ (var)"},
    };
    for (const auto& c : cases) EXPECT_EQ(q::commentText(c.in), c.out) << c.in;
}

TEST(Quoting, Parentheses) {
    struct Case { const char* in; bool enclosed; };
    const Case cases[] = {
        {"(getdate())", true},      {"((1) + (2))", true},  {"(1) + (2)", false},   {"getdate()", false},
        {"  (0)  ", true},          {"(')(')", true},       {"([a)] > 0)", true},  {"(", false},
        {"(a))", false},            {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(q::enclosedInParentheses(c.in), c.enclosed) << c.in;
    EXPECT_EQ(q::parenthesized("0"), "(0)");
    EXPECT_EQ(q::parenthesized("(0)"), "(0)");
    EXPECT_EQ(q::parenthesized("(1) + (2)"), "((1) + (2))");
}

TEST(Quoting, SqlcmdSafety) {
    struct Case { const char* batch; bool safe; };
    const Case cases[] = {
        {"CREATE VIEW v AS SELECT 1\r\n", true},
        {"SELECT 'a\r\nGO\r\nb'", false},
        {"SELECT 1\n  go 5\n", false},
        {"SELECT 1\ngo\n", false},
        {"SELECT 1\nGO--x\n", false},
        {"SELECT 1\nGOTO done\n", true},
        {"SELECT 1\ngovernor = 1\n", true},
        {"SELECT '$(path)'", false},
        {"SELECT '$ (path)'", true},
        {"x\n:r other.sql\n", false},
        {"x\n!!dir\n", false},
        {"x\n  exit(select 1)\n", false},
        {"x\nquit\n", false},
        {"x\nexited = 1\n", true},
        {"x\nreset\n", false},
    };
    for (const auto& c : cases) EXPECT_EQ(q::sqlcmdSafe(c.batch), c.safe) << c.batch;
}

TEST(Quoting, ExecWrappedKeepsTheTextAndIsItselfSafe) {
    const std::string text = "CREATE PROCEDURE p AS\r\nSELECT 'it''s\r\nGO\r\n$(x)'\n";
    const std::string wrapped = q::execWrapped(text, "\r\n");
    EXPECT_TRUE(q::sqlcmdSafe(wrapped)) << wrapped;
    EXPECT_EQ(wrapped,
              "-- Run through EXEC: the text holds lines that sqlcmd would read as commands.\r\n"
              "DECLARE @cr nchar(1), @lf nchar(1)\r\n"
              "SELECT @cr = NCHAR(13), @lf = NCHAR(10)\r\n"
              "EXEC (N'CREATE PROCEDURE p AS' + @cr + @lf\r\n"
              "\t+ N'SELECT ''it''''s' + @cr + @lf\r\n"
              "\t+ N'GO' + @cr + @lf\r\n"
              "\t+ N'$' + N'(x)''' + @lf)\r\n");
}

TEST(Quoting, ExecWrappedCutsLongTextOnCharacterBoundaries) {
    std::string text = "GO\n";
    for (int i = 0; i < 3000; ++i) text += "\xC3\xA9";  // 6000 bytes of a two-byte character
    const std::string wrapped = q::execWrapped(text, "\n");
    // Every piece is a whole number of characters, at most 4000 bytes.
    std::size_t pieces = 0;
    for (std::size_t at = wrapped.find("N'"); at != std::string::npos; at = wrapped.find("N'", at + 2)) {
        std::size_t end = wrapped.find('\'', at + 2);
        std::string piece = wrapped.substr(at + 2, end - at - 2);
        EXPECT_LE(piece.size(), 4000u);
        EXPECT_EQ(piece.size() % 2 == 0 || piece == "GO", true) << piece.size();
        ++pieces;
    }
    EXPECT_EQ(pieces, 3u);  // "GO", then 4000 and 2000 bytes
}
