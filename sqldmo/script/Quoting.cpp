// Quoting helpers of the scripter.
#include "sqldmo/script/Quoting.h"

#include <cctype>

namespace sqldmo::script::quote {
namespace {

char lower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithWord(std::string_view line, std::string_view word) noexcept {
    if (line.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (lower(line[i]) != word[i]) return false;
    return true;
}

bool isWordChar(char c) noexcept {
    unsigned char u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '@' || c == '#' || c == '$' || u >= 0x80;
}

// One line, without its line break: does sqlcmd take it as one of its own commands?
bool isSqlcmdCommandLine(std::string_view line) noexcept {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    line.remove_prefix(i);
    if (line.empty()) return false;
    if (line[0] == ':') return true;
    if (line.size() >= 2 && line[0] == '!' && line[1] == '!') return true;
    // Commands sqlcmd also accepts without a colon. "GO 5" repeats a batch; anything else after
    // GO is an error, so every GO followed by something other than a name character counts.
    for (std::string_view word : {std::string_view("go"), std::string_view("exit"), std::string_view("quit"),
                                  std::string_view("reset"), std::string_view("ed")}) {
        if (!startsWithWord(line, word)) continue;
        if (line.size() == word.size()) return true;
        char next = line[word.size()];
        if (word == "go") {
            if (!isWordChar(next) || (next >= '0' && next <= '9')) return true;
        } else if (next == ' ' || next == '\t' || next == '(' || next == '\r') {
            return true;
        }
    }
    return false;
}

// Length of the longest prefix of text, at most limit bytes, that ends on a UTF-8 boundary.
std::size_t utf8Prefix(std::string_view text, std::size_t limit) noexcept {
    if (text.size() <= limit) return text.size();
    std::size_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return n == 0 ? limit : n;
}

}  // namespace

void appendIdentifier(std::string& out, std::string_view name) {
    out += '[';
    for (char c : name) {
        out += c;
        if (c == ']') out += ']';
    }
    out += ']';
}

std::string identifier(std::string_view name) {
    std::string out;
    out.reserve(name.size() + 2);
    appendIdentifier(out, name);
    return out;
}

std::string qualified(std::string_view owner, std::string_view name, bool ownerQualify) {
    std::string out;
    out.reserve(owner.size() + name.size() + 5);
    if (ownerQualify && !owner.empty()) {
        appendIdentifier(out, owner);
        out += '.';
    }
    appendIdentifier(out, name);
    return out;
}

void appendUnicode(std::string& out, std::string_view text) {
    out += "N'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    out += '\'';
}

std::string unicode(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 3);
    appendUnicode(out, text);
    return out;
}

std::string commentText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            out += ' ';
            continue;
        }
        out += c;
        char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if ((c == '*' && next == '/') || (c == '/' && next == '*') || (c == '$' && next == '(')) out += ' ';
    }
    return out;
}

bool enclosedInParentheses(std::string_view e) {
    std::size_t b = 0, n = e.size();
    while (b < n && std::isspace(static_cast<unsigned char>(e[b]))) ++b;
    while (n > b && std::isspace(static_cast<unsigned char>(e[n - 1]))) --n;
    if (n - b < 2 || e[b] != '(' || e[n - 1] != ')') return false;
    int depth = 0;
    for (std::size_t i = b; i < n; ++i) {
        char c = e[i];
        if (c == '\'' || c == '[' || c == '"') {
            char close = c == '[' ? ']' : c;
            for (++i; i < n; ++i) {
                if (e[i] == close) {
                    if (i + 1 < n && e[i + 1] == close) { ++i; continue; }
                    break;
                }
            }
            if (i >= n) return false;
            continue;
        }
        if (c == '(') ++depth;
        else if (c == ')') {
            --depth;
            if (depth == 0 && i != n - 1) return false;
            if (depth < 0) return false;
        }
    }
    return depth == 0;
}

std::string parenthesized(std::string_view expression) {
    if (enclosedInParentheses(expression)) return std::string(expression);
    std::string out;
    out.reserve(expression.size() + 2);
    out += '(';
    out += expression;
    out += ')';
    return out;
}

bool isPlainWord(std::string_view text) noexcept {
    if (text.empty()) return false;
    for (char c : text)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return true;
}

bool sqlcmdSafe(std::string_view batch) {
    if (batch.find("$(") != std::string_view::npos) return false;
    std::size_t start = 0;
    while (start <= batch.size()) {
        std::size_t end = batch.find_first_of("\r\n", start);
        std::string_view line = batch.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (isSqlcmdCommandLine(line)) return false;
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return true;
}

std::string execWrapped(std::string_view batch, std::string_view newline) {
    constexpr std::size_t kPiece = 4000;
    std::string out;
    out.reserve(batch.size() + batch.size() / 8 + 200);
    out += "-- Run through EXEC: the text holds lines that sqlcmd would read as commands.";
    out += newline;
    out += "DECLARE @cr nchar(1), @lf nchar(1)";
    out += newline;
    out += "SELECT @cr = NCHAR(13), @lf = NCHAR(10)";
    out += newline;
    out += "EXEC (";
    bool first = true;
    bool breakBefore = false;
    auto token = [&](std::string_view t, bool literal) {
        if (!first) {
            if (breakBefore) {
                out += newline;
                out += "\t+ ";
            } else {
                out += " + ";
            }
        }
        breakBefore = false;
        first = false;
        if (literal) appendUnicode(out, t);
        else out += t;
    };
    std::size_t i = 0, pieceStart = 0;
    auto flush = [&](std::size_t end) {
        std::string_view piece = batch.substr(pieceStart, end - pieceStart);
        while (!piece.empty()) {
            std::size_t n = utf8Prefix(piece, kPiece);
            token(piece.substr(0, n), true);
            piece.remove_prefix(n);
        }
    };
    while (i < batch.size()) {
        char c = batch[i];
        if (c == '\r' || c == '\n') {
            flush(i);
            token(c == '\r' ? "@cr" : "@lf", false);
            if (c == '\n') breakBefore = true;
            pieceStart = ++i;
        } else if (c == '$' && i + 1 < batch.size() && batch[i + 1] == '(') {
            flush(i + 1);  // the piece ends with "$", the next one starts with "("
            pieceStart = ++i;
        } else {
            ++i;
        }
    }
    flush(batch.size());
    if (first) out += "N''";
    out += ')';
    out += newline;
    return out;
}

}  // namespace sqldmo::script::quote
