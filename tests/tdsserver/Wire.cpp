// Text conversions of the test server's wire layer.
#include "tests/tdsserver/Wire.h"

#include <array>

namespace tdstest {
namespace {

// Windows-1252 code points of the bytes 0x80..0x9F (0 = undefined there).
constexpr std::array<char32_t, 32> kCp1252High{
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

// Decodes one code point; invalid sequences give U+FFFD and consume one byte.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) { ++i; return b; }
    int n = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
    if (n < 0 || i + static_cast<std::size_t>(n) >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t cp = b & (0x3F >> n);
    for (int k = 1; k <= n; ++k) {
        auto c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((c & 0xC0) != 0x80) { ++i; return 0xFFFD; }
        cp = (cp << 6) | (c & 0x3F);
    }
    i += static_cast<std::size_t>(n) + 1;
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void appendUnit(std::string& out, char32_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>((u >> 8) & 0xFF));
}

}  // namespace

std::string utf8ToUcs2(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() * 2);
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = nextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            appendUnit(out, 0xD800 + (cp >> 10));
            appendUnit(out, 0xDC00 + (cp & 0x3FF));
        } else {
            appendUnit(out, cp);
        }
    }
    return out;
}

std::size_t ucs2Length(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size();) n += nextCodePoint(utf8, i) >= 0x10000 ? 2 : 1;
    return n;
}

std::string ucs2ToUtf8(std::string_view utf16le) {
    std::string out;
    out.reserve(utf16le.size() / 2);
    std::size_t n = utf16le.size() / 2;
    for (std::size_t i = 0; i < n; ++i) {
        char32_t u = static_cast<unsigned char>(utf16le[2 * i]) | (static_cast<unsigned char>(utf16le[2 * i + 1]) << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < n) {
            char32_t lo = static_cast<unsigned char>(utf16le[2 * i + 2]) |
                          (static_cast<unsigned char>(utf16le[2 * i + 3]) << 8);
            if (lo >= 0xDC00 && lo < 0xE000) {
                appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                ++i;
                continue;
            }
        }
        appendUtf8(out, (u >= 0xD800 && u < 0xE000) ? 0xFFFD : u);
    }
    return out;
}

std::string utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = nextCodePoint(utf8, i);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        char c = '?';
        for (std::size_t k = 0; k < kCp1252High.size(); ++k)
            if (kCp1252High[k] == cp && cp != 0) c = static_cast<char>(0x80 + k);
        out.push_back(c);
    }
    return out;
}

std::string cp1252ToUtf8(std::string_view cp1252) {
    std::string out;
    out.reserve(cp1252.size());
    for (char ch : cp1252) {
        auto b = static_cast<unsigned char>(ch);
        char32_t cp = b;
        if (b >= 0x80 && b < 0xA0) cp = kCp1252High[b - 0x80] ? kCp1252High[b - 0x80] : 0xFFFD;
        appendUtf8(out, cp);
    }
    return out;
}

void Writer::ucs2(std::string_view utf8) { raw(utf8ToUcs2(utf8)); }

void Writer::bVarchar(std::string_view utf8) {
    std::string u = utf8ToUcs2(utf8);
    if (u.size() / 2 > 255) throw WireError("name longer than 255 characters");
    u8(static_cast<std::uint8_t>(u.size() / 2));
    raw(u);
}

void Writer::usVarchar(std::string_view utf8) {
    std::string u = utf8ToUcs2(utf8);
    if (u.size() / 2 > 65535) throw WireError("text longer than 65535 characters");
    u16(static_cast<std::uint16_t>(u.size() / 2));
    raw(u);
}

}  // namespace tdstest
