// The test server's T-SQL tokenizer.
#include "tests/tdsserver/SqlText.h"

#include <cctype>
#include <strings.h>

namespace tdstest {

bool SqlToken::is(const char* word) const {
    return kind == Kind::Word && strcasecmp(text.c_str(), word) == 0;
}

std::vector<SqlToken> tokenize(const std::string& s) {
    std::vector<SqlToken> out;
    std::size_t i = 0, n = s.size();
    auto isIdent = [](unsigned char c) { return std::isalnum(c) || c == '_' || c == '#' || c == '$' || c >= 0x80; };
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (std::isspace(c)) { ++i; continue; }
        if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            while (i < n && s[i] != '\n') ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            std::size_t end = s.find("*/", i + 2);
            i = end == std::string::npos ? n : end + 2;
            continue;
        }
        SqlToken t;
        if (c == '[') {
            t.kind = SqlToken::Kind::Quoted;
            ++i;
            while (i < n) {
                if (s[i] == ']') {
                    if (i + 1 < n && s[i + 1] == ']') { t.text.push_back(']'); i += 2; continue; }
                    ++i;
                    break;
                }
                t.text.push_back(s[i++]);
            }
        } else if (c == '"') {
            t.kind = SqlToken::Kind::Quoted;
            ++i;
            while (i < n) {
                if (s[i] == '"') {
                    if (i + 1 < n && s[i + 1] == '"') { t.text.push_back('"'); i += 2; continue; }
                    ++i;
                    break;
                }
                t.text.push_back(s[i++]);
            }
        } else if (c == '\'' || ((c == 'N' || c == 'n') && i + 1 < n && s[i + 1] == '\'')) {
            t.kind = SqlToken::Kind::String;
            if (c != '\'') { t.unicode = true; ++i; }
            ++i;
            while (i < n) {
                if (s[i] == '\'') {
                    if (i + 1 < n && s[i + 1] == '\'') { t.text.push_back('\''); i += 2; continue; }
                    ++i;
                    break;
                }
                t.text.push_back(s[i++]);
            }
        } else if (std::isdigit(c) || (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            t.kind = SqlToken::Kind::Number;
            while (i < n && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '.')) t.text.push_back(s[i++]);
        } else if (c == '@') {
            t.kind = SqlToken::Kind::Variable;
            while (i < n && (s[i] == '@' || isIdent(static_cast<unsigned char>(s[i])))) t.text.push_back(s[i++]);
        } else if (isIdent(c)) {
            t.kind = SqlToken::Kind::Word;
            while (i < n && isIdent(static_cast<unsigned char>(s[i]))) t.text.push_back(s[i++]);
        } else {
            t.kind = SqlToken::Kind::Punct;
            t.text.push_back(static_cast<char>(c));
            ++i;
        }
        out.push_back(std::move(t));
    }
    return out;
}

std::vector<std::vector<SqlToken>> statements(const std::vector<SqlToken>& tokens) {
    static const char* const starters[] = {"SET", "SELECT", "USE", "INSERT", "UPDATE", "DELETE", "EXEC",
                                           "EXECUTE", "CREATE", "DROP", "ALTER", "DECLARE", "IF", "BEGIN",
                                           "COMMIT", "ROLLBACK", "PRINT", "RAISERROR", "WAITFOR"};
    std::vector<std::vector<SqlToken>> out;
    int depth = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const auto& t = tokens[i];
        bool starts = false;
        if (depth == 0 && t.kind == SqlToken::Kind::Word) {
            for (const char* w : starters)
                if (t.is(w)) starts = true;
            // "INSERT ... SELECT" and "UNION SELECT" keep the SELECT in the statement.
            if (t.is("SELECT") && i > 0 && (tokens[i - 1].is("UNION") || tokens[i - 1].is("ALL"))) starts = false;
        }
        if (t.punct('(')) ++depth;
        if (t.punct(')') && depth > 0) --depth;
        if (t.punct(';') && depth == 0) continue;
        if (starts || out.empty()) out.emplace_back();
        out.back().push_back(t);
    }
    return out;
}

std::string queryTag(const std::string& sql) {
    std::size_t i = 0;
    while (i < sql.size() && std::isspace(static_cast<unsigned char>(sql[i]))) ++i;
    if (sql.compare(i, 2, "/*") != 0) return {};
    std::size_t end = sql.find("*/", i);
    if (end == std::string::npos) return {};
    std::string inner = sql.substr(i + 2, end - i - 2);
    std::size_t a = inner.find_first_not_of(" \t");
    if (a == std::string::npos || inner.compare(a, 6, "tavil:") != 0) return {};
    std::string tag = inner.substr(a + 6);
    while (!tag.empty() && std::isspace(static_cast<unsigned char>(tag.back()))) tag.pop_back();
    return tag;
}

}  // namespace tdstest
