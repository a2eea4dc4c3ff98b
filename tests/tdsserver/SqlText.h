// A small T-SQL tokenizer for the test server: enough to split a batch into statements and to
// read the SELECT lists, table names and SET options its clients send.
#pragma once

#include <string>
#include <vector>

namespace tdstest {

struct SqlToken {
    enum class Kind { Word, Quoted, String, Number, Variable, Punct };
    Kind kind = Kind::Word;
    std::string text;  // identifiers without their brackets or quotes, strings without quotes
    bool unicode = false;  // N'...'

    bool is(const char* word) const;  // case-insensitive match of a Word
    bool punct(char c) const { return kind == Kind::Punct && text.size() == 1 && text[0] == c; }
};

// Tokens of a batch; comments and white space are dropped.
std::vector<SqlToken> tokenize(const std::string& sql);

// Splits tokens into statements at the keywords that begin one (SET, SELECT, USE, ...) when
// they stand outside parentheses.
std::vector<std::vector<SqlToken>> statements(const std::vector<SqlToken>& tokens);

// The tag of a catalogue query: the NAME of a leading comment "/* tavil:NAME */", or "".
std::string queryTag(const std::string& sql);

}  // namespace tdstest
