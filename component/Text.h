// UTF-16 (the interface's texts) to UTF-8 (the management layer's texts) and back.
#pragma once

#include <string>
#include <string_view>

namespace korva::detail {

// Unpaired surrogates become U+FFFD.
std::string toUtf8(std::u16string_view text);
// Invalid sequences become U+FFFD, one per offending byte.
std::u16string toUtf16(std::string_view text);
// The number of UTF-16 code units toUtf16 gives for `text`.
std::size_t utf16Length(std::string_view text) noexcept;
// Appends the conversion to `out`.
void appendUtf16(std::u16string& out, std::string_view text);
// Converts into `out` (whose size must be utf16Length(text)).
void toUtf16(std::string_view text, char16_t* out) noexcept;

}  // namespace korva::detail
