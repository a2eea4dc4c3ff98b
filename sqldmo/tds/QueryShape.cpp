// Finding the one table of a simple SELECT.
#include "sqldmo/tds/QueryShape.h"

#include <cctype>
#include <strings.h>
#include <vector>

namespace sqldmo::tds {
namespace {

struct Token {
    std::string text;   // as written
    bool word = false;  // a keyword or plain identifier
    bool name = false;  // an identifier (plain or bracketed/quoted)
    char punct = 0;
};

// Tokens of the statement; strings and comments are skipped, and give up (empty) on text the
// scanner does not follow.
std::vector<Token> scan(const std::string& s, bool& ok) {
    std::vector<Token> out;
    ok = true;
    std::size_t i = 0, n = s.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (std::isspace(c)) { ++i; continue; }
        if (c == '-' && i + 1 < n && s[i + 1] == '-') { while (i < n && s[i] != '\n') ++i; continue; }
        if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            std::size_t e = s.find("*/", i + 2);
            if (e == std::string::npos) { ok = false; return out; }
            i = e + 2;
            continue;
        }
        Token t;
        std::size_t start = i;
        if (c == '[' || c == '"') {
            char close = c == '[' ? ']' : '"';
            ++i;
            for (;;) {
                if (i >= n) { ok = false; return out; }
                if (s[i] == close) {
                    if (i + 1 < n && s[i + 1] == close) { i += 2; continue; }
                    ++i;
                    break;
                }
                ++i;
            }
            t.name = true;
        } else if (c == '\'') {
            ++i;
            for (;;) {
                if (i >= n) { ok = false; return out; }
                if (s[i] == '\'') {
                    if (i + 1 < n && s[i + 1] == '\'') { i += 2; continue; }
                    ++i;
                    break;
                }
                ++i;
            }
            t.punct = '\'';
        } else if (std::isalnum(c) || c == '_' || c == '@' || c == '#' || c >= 0x80) {
            while (i < n && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_' || s[i] == '@' || s[i] == '#' ||
                             s[i] == '$' || static_cast<unsigned char>(s[i]) >= 0x80))
                ++i;
            t.word = true;
            t.name = !std::isdigit(c) && c != '@';
        } else {
            t.punct = static_cast<char>(c);
            ++i;
        }
        t.text = s.substr(start, i - start);
        out.push_back(std::move(t));
    }
    return out;
}

bool is(const Token& t, const char* w) { return t.word && strcasecmp(t.text.c_str(), w) == 0; }

}  // namespace

std::optional<std::string> singleTableOf(const std::string& sql) {
    bool ok = false;
    auto t = scan(sql, ok);
    if (!ok || t.empty() || !is(t[0], "SELECT")) return std::nullopt;
    int depth = 0;
    std::size_t from = 0;
    for (std::size_t i = 1; i < t.size(); ++i) {
        if (t[i].punct == '(') ++depth;
        if (t[i].punct == ')') --depth;
        if (depth == 0 && (is(t[i], "UNION") || is(t[i], "INTO"))) return std::nullopt;
        if (depth == 0 && is(t[i], "FROM")) { from = i; break; }
    }
    if (!from) return std::nullopt;
    std::size_t i = from + 1;
    std::string name;
    int parts = 0;
    for (;;) {
        if (i >= t.size() || !t[i].name) return std::nullopt;
        name += t[i].text;
        ++parts;
        ++i;
        if (i < t.size() && t[i].punct == '.') {
            name += '.';
            ++i;
            continue;
        }
        break;
    }
    if (parts > 2) return std::nullopt;
    // An alias may follow; then only the clauses that keep one table.
    if (i < t.size() && is(t[i], "AS")) i += 2;
    else if (i < t.size() && t[i].name && !is(t[i], "WHERE") && !is(t[i], "ORDER") && !is(t[i], "GROUP") &&
             !is(t[i], "WITH") && !is(t[i], "HAVING") && !is(t[i], "OPTION"))
        ++i;
    depth = 0;
    for (; i < t.size(); ++i) {
        if (t[i].punct == '(') ++depth;
        if (t[i].punct == ')') --depth;
        if (depth == 0 && (t[i].punct == ',' || is(t[i], "JOIN") || is(t[i], "APPLY") || is(t[i], "UNION") ||
                           is(t[i], "SELECT")))
            return std::nullopt;
        if (depth == 0 && t[i].punct == ';') break;
    }
    return name;
}

}  // namespace sqldmo::tds
