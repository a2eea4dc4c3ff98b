// Byte-level helpers of the test server: little-endian writers and readers, UCS-2 and
// Windows-1252 text, and the 8-byte TDS packet header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tdstest {

// TDS protocol versions as the LOGIN7 and LOGINACK records carry them.
enum class TdsVersion : std::uint32_t {
    V71 = 0x71000001,
    V72 = 0x72090002,
    V73 = 0x730B0003,
    V74 = 0x74000004,
};

inline bool atLeast72(TdsVersion v) { return static_cast<std::uint32_t>(v) >= 0x72000000u; }

// Packet types.
namespace packet {
inline constexpr std::uint8_t SqlBatch = 0x01;
inline constexpr std::uint8_t Rpc = 0x03;
inline constexpr std::uint8_t Reply = 0x04;
inline constexpr std::uint8_t Attention = 0x06;
inline constexpr std::uint8_t BulkLoad = 0x07;
inline constexpr std::uint8_t Login7 = 0x10;
inline constexpr std::uint8_t PreLogin = 0x12;
}  // namespace packet

class WireError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Appends little-endian values to a byte string.
class Writer {
public:
    std::string& bytes() { return buf_; }
    const std::string& bytes() const { return buf_; }
    std::size_t size() const { return buf_.size(); }
    void clear() { buf_.clear(); }

    void u8(std::uint8_t v) { buf_.push_back(static_cast<char>(v)); }
    void u16(std::uint16_t v) { put(v, 2); }
    void u16be(std::uint16_t v) { u8(static_cast<std::uint8_t>(v >> 8)); u8(static_cast<std::uint8_t>(v)); }
    void u32(std::uint32_t v) { put(v, 4); }
    void u32be(std::uint32_t v) { u16be(static_cast<std::uint16_t>(v >> 16)); u16be(static_cast<std::uint16_t>(v)); }
    void u64(std::uint64_t v) { put(v, 8); }
    void raw(std::string_view s) { buf_.append(s.data(), s.size()); }
    void zeros(std::size_t n) { buf_.append(n, '\0'); }
    // UTF-8 text as UTF-16LE code units (no length).
    void ucs2(std::string_view utf8);
    // B_VARCHAR: one-byte length in characters, then UTF-16LE.
    void bVarchar(std::string_view utf8);
    // US_VARCHAR: two-byte length in characters, then UTF-16LE.
    void usVarchar(std::string_view utf8);
    // Overwrites a 16-bit little-endian value at an offset already written.
    void patch16(std::size_t at, std::uint16_t v) {
        buf_[at] = static_cast<char>(v & 0xFF);
        buf_[at + 1] = static_cast<char>(v >> 8);
    }

private:
    void put(std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) buf_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    std::string buf_;
};

// Reads little-endian values from a byte string; throws WireError past the end.
class Reader {
public:
    explicit Reader(std::string_view data) : data_(data) {}
    std::size_t pos() const { return pos_; }
    std::size_t left() const { return data_.size() - pos_; }
    void seek(std::size_t p) {
        if (p > data_.size()) throw WireError("offset past the end of the message");
        pos_ = p;
    }
    std::uint8_t u8() { need(1); return static_cast<std::uint8_t>(data_[pos_++]); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(get(2)); }
    std::uint16_t u16be() { std::uint16_t hi = u8(); return static_cast<std::uint16_t>((hi << 8) | u8()); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(get(4)); }
    std::uint64_t u64() { return get(8); }
    std::string_view bytes(std::size_t n) { need(n); auto s = data_.substr(pos_, n); pos_ += n; return s; }

private:
    void need(std::size_t n) const {
        if (data_.size() - pos_ < n) throw WireError("message shorter than its fields say");
    }
    std::uint64_t get(int n) {
        need(static_cast<std::size_t>(n));
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i) v |= std::uint64_t(static_cast<std::uint8_t>(data_[pos_ + i])) << (8 * i);
        pos_ += static_cast<std::size_t>(n);
        return v;
    }
    std::string_view data_;
    std::size_t pos_ = 0;
};

// UTF-16LE bytes to UTF-8 (unpaired surrogates become U+FFFD).
std::string ucs2ToUtf8(std::string_view utf16le);
// UTF-8 to UTF-16LE bytes.
std::string utf8ToUcs2(std::string_view utf8);
// Number of UTF-16 code units of a UTF-8 text.
std::size_t ucs2Length(std::string_view utf8);
// UTF-8 to Windows-1252 (characters it lacks become '?'), and back.
std::string utf8ToCp1252(std::string_view utf8);
std::string cp1252ToUtf8(std::string_view cp1252);

}  // namespace tdstest
