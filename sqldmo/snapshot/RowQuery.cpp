// A small tokenizer and parser for the row queries the scripting component sends.
#include "sqldmo/snapshot/RowQuery.h"

namespace sqldmo::snapshot::detail {
namespace {

struct Token {
    enum Kind { Name, QuotedName, Dot, Comma, Star, Semicolon, End, Bad } kind = End;
    std::string text;
};

class Lexer {
public:
    explicit Lexer(std::string_view sql) : s_(sql) {}

    Token next() {
        while (pos_ < s_.size() && isBlank(s_[pos_])) ++pos_;
        if (pos_ >= s_.size()) return {Token::End, {}};
        const char c = s_[pos_];
        switch (c) {
            case '.': ++pos_; return {Token::Dot, "."};
            case ',': ++pos_; return {Token::Comma, ","};
            case '*': ++pos_; return {Token::Star, "*"};
            case ';': ++pos_; return {Token::Semicolon, ";"};
            case '[': return quoted(']');
            case '"': return quoted('"');
            default: break;
        }
        if (!isNameStart(c)) return {Token::Bad, std::string(1, c)};
        const std::size_t start = pos_;
        while (pos_ < s_.size() && isNamePart(s_[pos_])) ++pos_;
        return {Token::Name, std::string(s_.substr(start, pos_ - start))};
    }

private:
    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
    static bool isNameStart(char c) {
        const auto u = static_cast<unsigned char>(c);
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '@' || c == '#' || u >= 0x80;
    }
    static bool isNamePart(char c) { return isNameStart(c) || (c >= '0' && c <= '9') || c == '$'; }

    Token quoted(char close) {
        ++pos_;
        std::string text;
        while (pos_ < s_.size()) {
            if (s_[pos_] == close) {
                if (pos_ + 1 < s_.size() && s_[pos_ + 1] == close) {
                    text += close;
                    pos_ += 2;
                    continue;
                }
                ++pos_;
                return {Token::QuotedName, std::move(text)};
            }
            text += s_[pos_++];
        }
        return {Token::Bad, {}};
    }

    std::string_view s_;
    std::size_t pos_ = 0;
};

bool isKeyword(const Token& t, std::string_view word) {
    if (t.kind != Token::Name || t.text.size() != word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = t.text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != word[i]) return false;
    }
    return true;
}

bool isName(const Token& t) { return t.kind == Token::Name || t.kind == Token::QuotedName; }

}  // namespace

std::optional<RowQuery> parseRowQuery(std::string_view sql) {
    Lexer lex(sql);
    RowQuery q;
    Token t = lex.next();
    if (!isKeyword(t, "SELECT")) return std::nullopt;
    t = lex.next();
    if (t.kind == Token::Star) {
        q.allColumns = true;
        t = lex.next();
    } else {
        for (;;) {
            // An unquoted FROM here means the column list is empty.
            if (!isName(t) || isKeyword(t, "FROM")) return std::nullopt;
            q.columns.push_back(std::move(t.text));
            t = lex.next();
            if (t.kind != Token::Comma) break;
            t = lex.next();
        }
    }
    if (!isKeyword(t, "FROM")) return std::nullopt;
    t = lex.next();
    for (;;) {
        if (t.kind == Token::Dot) {
            // "db..table": the owner part left out.
            q.table.emplace_back();
        } else {
            if (!isName(t)) return std::nullopt;
            q.table.push_back(std::move(t.text));
            t = lex.next();
            if (t.kind != Token::Dot) break;
        }
        t = lex.next();
        if (q.table.size() >= 3) return std::nullopt;
    }
    if (q.table.empty() || q.table.back().empty()) return std::nullopt;
    if (t.kind == Token::Semicolon) t = lex.next();
    if (t.kind != Token::End) return std::nullopt;
    return q;
}

}  // namespace sqldmo::snapshot::detail
