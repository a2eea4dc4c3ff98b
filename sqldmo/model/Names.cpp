// Name folding, multi-part name parsing and bracket quoting.
#include "sqldmo/model/Names.h"

#include <cstdint>

namespace sqldmo::model {
namespace {

// Lower-case partner of a code point in the ranges SQL Server users meet in names.
char32_t foldCodePoint(char32_t c) noexcept {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (c == 0x178) return 0xFF;
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return (c % 2 == 0) ? c + 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c % 2 == 1) ? c + 1 : c;
    if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB)) return c + 0x20;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 63;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        // Only two-byte sequences are ever changed by folding; longer ones are copied as read.
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string foldName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (b < 0x80) {
            out += static_cast<char>((b >= 'A' && b <= 'Z') ? b + 0x20 : b);
            ++i;
            continue;
        }
        // All folded letters are two-byte sequences (U+0080..U+07FF).
        if ((b & 0xE0) == 0xC0 && i + 1 < name.size() &&
            (static_cast<unsigned char>(name[i + 1]) & 0xC0) == 0x80) {
            const char32_t c = (static_cast<char32_t>(b & 0x1F) << 6) |
                               (static_cast<unsigned char>(name[i + 1]) & 0x3F);
            appendUtf8(out, foldCodePoint(c));
            i += 2;
            continue;
        }
        out += name[i];
        ++i;
    }
    return out;
}

bool sameName(std::string_view a, std::string_view b) {
    // Fast path for the common case of ASCII names.
    bool ascii = true;
    for (char ch : a) ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
    for (char ch : b) ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
    if (ascii) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            char x = a[i], y = b[i];
            if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 0x20);
            if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 0x20);
            if (x != y) return false;
        }
        return true;
    }
    return foldName(a) == foldName(b);
}

std::optional<std::vector<std::string>> splitMultipartName(std::string_view text) {
    std::vector<std::string> parts;
    std::size_t i = 0;
    const auto blank = [&](std::size_t k) { return text[k] == ' ' || text[k] == '\t'; };
    for (;;) {
        while (i < text.size() && blank(i)) ++i;
        std::string part;
        if (i < text.size() && (text[i] == '[' || text[i] == '"')) {
            const char close = text[i] == '[' ? ']' : '"';
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == close) {
                    if (i + 1 < text.size() && text[i + 1] == close) {
                        part += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                part += text[i++];
            }
            if (!closed) return std::nullopt;
            while (i < text.size() && blank(i)) ++i;
            if (i < text.size() && text[i] != '.') return std::nullopt;
        } else {
            const std::size_t start = i;
            while (i < text.size() && text[i] != '.') ++i;
            std::size_t end = i;
            while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
            part.assign(text.substr(start, end - start));
        }
        parts.push_back(std::move(part));
        if (i >= text.size()) break;
        ++i;  // the "."
    }
    if (parts.size() == 1 && parts[0].empty()) return std::nullopt;
    return parts;
}

std::optional<QualifiedName> parseQualifiedName(std::string_view text) {
    auto parts = splitMultipartName(text);
    if (!parts || parts->size() > 3) return std::nullopt;
    QualifiedName q;
    q.name = std::move(parts->back());
    if (parts->size() >= 2) q.owner = std::move((*parts)[parts->size() - 2]);
    if (q.name.empty()) return std::nullopt;
    return q;
}

std::string quoteName(std::string_view name) {
    std::string out;
    out.reserve(name.size() + 2);
    out += '[';
    for (char c : name) {
        out += c;
        if (c == ']') out += ']';
    }
    out += ']';
    return out;
}

}  // namespace sqldmo::model
