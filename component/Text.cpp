// UTF-8 and UTF-16 conversions for the component's boundary.
#include "component/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korva::detail {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at text[i]; sets `length` to the bytes used (1 for an invalid byte).
char32_t decode(std::string_view text, std::size_t i, std::size_t& length) noexcept {
    auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    std::uint8_t b0 = byte(i);
    length = 1;
    if (b0 < 0x80) return b0;
    int extra;
    char32_t cp;
    char32_t minimum;
    if ((b0 & 0xE0) == 0xC0) { extra = 1; cp = b0 & 0x1F; minimum = 0x80; }
    else if ((b0 & 0xF0) == 0xE0) { extra = 2; cp = b0 & 0x0F; minimum = 0x800; }
    else if ((b0 & 0xF8) == 0xF0) { extra = 3; cp = b0 & 0x07; minimum = 0x10000; }
    else return kReplacement;
    if (i + static_cast<std::size_t>(extra) >= text.size()) return kReplacement;
    for (int k = 1; k <= extra; ++k) {
        std::uint8_t b = byte(i + static_cast<std::size_t>(k));
        if ((b & 0xC0) != 0x80) return kReplacement;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
    length = static_cast<std::size_t>(extra) + 1;
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Sixteen bytes at a time while they are all ASCII (the bulk of any script): the count, or the
// widened units written to `out`. False when fewer than sixteen are left or one is not ASCII.
bool asciiBlock16(std::string_view text, std::size_t i, char16_t* out) noexcept {
#if defined(__SSE2__)
    if (i + 16 > text.size()) return false;
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    if (_mm_movemask_epi8(bytes) != 0) return false;
    if (out) {
        const __m128i zero = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
    }
    return true;
#else
    (void)text;
    (void)i;
    (void)out;
    return false;
#endif
}

// Eight bytes at a time while they are all ASCII.
bool asciiBlock(std::string_view text, std::size_t i) noexcept {
    if (i + 8 > text.size()) return false;
    std::uint64_t block;
    std::memcpy(&block, text.data() + i, 8);
    return (block & 0x8080808080808080ULL) == 0;
}

}  // namespace

std::string toUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    return out;
}

std::size_t utf16Length(std::string_view text) noexcept {
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (asciiBlock16(text, i, nullptr)) {
            units += 16;
            i += 16;
            continue;
        }
        if (asciiBlock(text, i)) {
            units += 8;
            i += 8;
            continue;
        }
        if (static_cast<std::uint8_t>(text[i]) < 0x80) {
            ++units;
            ++i;
            continue;
        }
        std::size_t length;
        char32_t cp = decode(text, i, length);
        units += cp >= 0x10000 ? 2 : 1;
        i += length;
    }
    return units;
}

void toUtf16(std::string_view text, char16_t* out) noexcept {
    for (std::size_t i = 0; i < text.size();) {
        if (asciiBlock16(text, i, out)) {
            out += 16;
            i += 16;
            continue;
        }
        if (asciiBlock(text, i)) {
            for (int k = 0; k < 8; ++k) out[k] = static_cast<char16_t>(text[i + static_cast<std::size_t>(k)]);
            out += 8;
            i += 8;
            continue;
        }
        if (static_cast<std::uint8_t>(text[i]) < 0x80) {
            *out++ = static_cast<char16_t>(text[i++]);
            continue;
        }
        std::size_t length;
        char32_t cp = decode(text, i, length);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *out++ = static_cast<char16_t>(cp);
        }
        i += length;
    }
}

void appendUtf16(std::u16string& out, std::string_view text) {
    // Through a small buffer: the text is written once, without first filling it with zeros.
    constexpr std::size_t kChunk = 8192;
    char16_t buffer[kChunk];
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = std::min(text.size(), i + kChunk);
        // Never cut a sequence: step back over up to three continuation bytes to its lead.
        for (int back = 0; back < 3 && end < text.size() && end > i + 1 &&
                           (static_cast<std::uint8_t>(text[end]) & 0xC0) == 0x80;
             ++back)
            --end;
        const std::string_view piece = text.substr(i, end - i);
        const std::size_t units = utf16Length(piece);
        toUtf16(piece, buffer);
        out.append(buffer, units);
        i = end;
    }
}

std::u16string toUtf16(std::string_view text) {
    std::u16string out(utf16Length(text), u'\0');
    toUtf16(text, out.data());
    return out;
}

}  // namespace korva::detail
