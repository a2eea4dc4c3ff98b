// Token encoding of the test server.
#include "tests/tdsserver/Tokens.h"

#include <cstring>
#include <stdexcept>

namespace tdstest {

__extension__ typedef unsigned __int128 Magnitude;

using sqldmo::SqlType;
using sqldmo::Value;

namespace {

// TDS data type bytes.
namespace ty {
constexpr std::uint8_t Int1 = 0x30, Bit = 0x32, Int2 = 0x34, Int4 = 0x38, DateTim4 = 0x3A, Flt4 = 0x3B, Money = 0x3C,
                       DateTime = 0x3D, Flt8 = 0x3E, Money4 = 0x7A, Int8 = 0x7F;
constexpr std::uint8_t Guid = 0x24, IntN = 0x26, BitN = 0x68, DecimalN = 0x6A, NumericN = 0x6C, FltN = 0x6D,
                       MoneyN = 0x6E, DateTimN = 0x6F;
constexpr std::uint8_t Image = 0x22, Text = 0x23, NText = 0x63, Variant = 0x62;
constexpr std::uint8_t BigVarBin = 0xA5, BigVarChr = 0xA7, BigBinary = 0xAD, BigChar = 0xAF, NVarChar = 0xE7,
                       NChar = 0xEF;
}  // namespace ty

bool isChar(SqlType t) { return t == SqlType::Char || t == SqlType::VarChar || t == SqlType::Text; }
bool isNChar(SqlType t) { return t == SqlType::NChar || t == SqlType::NVarChar || t == SqlType::NText; }

int intSize(SqlType t) {
    switch (t) {
    case SqlType::TinyInt: return 1;
    case SqlType::SmallInt: return 2;
    case SqlType::Int: return 4;
    default: return 8;
    }
}

std::uint8_t fixedIntType(SqlType t) {
    switch (t) {
    case SqlType::TinyInt: return ty::Int1;
    case SqlType::SmallInt: return ty::Int2;
    case SqlType::Int: return ty::Int4;
    default: return ty::Int8;
    }
}

// The bytes of a character value as they travel: Windows-1252 or UTF-16LE, padded for the
// fixed-length types.
std::string charBytes(const ColumnDef& c, const Value& v) {
    std::string bytes = isNChar(c.type) ? utf8ToUcs2(v.text) : utf8ToCp1252(v.text);
    if ((c.type == SqlType::Char || c.type == SqlType::NChar) && c.length > 0) {
        std::size_t want = static_cast<std::size_t>(c.length) * (c.type == SqlType::NChar ? 2 : 1);
        while (bytes.size() < want) {
            bytes.push_back(' ');
            if (c.type == SqlType::NChar) bytes.push_back('\0');
        }
    }
    return bytes;
}

std::string binaryBytes(const ColumnDef& c, const Value& v) {
    std::string bytes = v.text;
    if ((c.type == SqlType::Binary || c.type == SqlType::Timestamp) && c.length > 0 &&
        bytes.size() < static_cast<std::size_t>(c.length))
        bytes.append(static_cast<std::size_t>(c.length) - bytes.size(), '\0');
    return bytes;
}

}  // namespace

int decimalBytes(int precision) {
    if (precision <= 9) return 5;
    if (precision <= 19) return 9;
    if (precision <= 28) return 13;
    return 17;
}

std::string encodeDecimalMagnitude(const std::string& digits, int scale, int bytes, bool& negative) {
    negative = !digits.empty() && digits[0] == '-';
    std::string intPart, frac;
    std::size_t i = negative ? 1 : 0;
    for (; i < digits.size() && digits[i] != '.'; ++i) intPart.push_back(digits[i]);
    if (i < digits.size()) frac = digits.substr(i + 1);
    if (static_cast<int>(frac.size()) > scale) frac.resize(static_cast<std::size_t>(scale));
    while (static_cast<int>(frac.size()) < scale) frac.push_back('0');
    Magnitude mag = 0;
    for (char ch : intPart + frac) {
        if (ch < '0' || ch > '9') throw std::invalid_argument("not a decimal number: " + digits);
        mag = mag * 10 + static_cast<unsigned>(ch - '0');
    }
    if (mag == 0) negative = false;
    std::string out;
    for (int b = 0; b < bytes; ++b) {
        out.push_back(static_cast<char>(static_cast<unsigned>(mag & 0xFF)));
        mag >>= 8;
    }
    return out;
}

std::int64_t moneyUnits(const std::string& digits) {
    bool negative = false;
    std::string mag = encodeDecimalMagnitude(digits, 4, 8, negative);
    std::uint64_t u = 0;
    for (int b = 7; b >= 0; --b) u = (u << 8) | static_cast<unsigned char>(mag[static_cast<std::size_t>(b)]);
    return static_cast<std::int64_t>(negative ? ~u + 1 : u);
}

std::string guidBytes(const std::string& canonical) {
    std::string hex;
    for (char ch : canonical)
        if (ch != '-' && ch != '{' && ch != '}') hex.push_back(ch);
    if (hex.size() != 32) throw std::invalid_argument("not a GUID: " + canonical);
    auto byteAt = [&](std::size_t k) {
        return static_cast<char>(std::stoi(hex.substr(2 * k, 2), nullptr, 16));
    };
    std::string out(16, '\0');
    // Data1, Data2 and Data3 travel little-endian, Data4 as written.
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (std::size_t k = 0; k < 16; ++k) out[k] = byteAt(static_cast<std::size_t>(order[k]));
    return out;
}

void dateTimeParts(const sqldmo::DateTimeValue& dt, std::int32_t& days, std::uint32_t& ticks) {
    // Days from 1900-01-01 (civil calendar, proleptic Gregorian).
    auto daysFromCivil = [](int y, int m, int d) {
        y -= m <= 2;
        const int era = (y >= 0 ? y : y - 399) / 400;
        const int yoe = y - era * 400;
        const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return era * 146097 + doe - 719468;
    };
    days = daysFromCivil(dt.year, dt.month, dt.day) - daysFromCivil(1900, 1, 1);
    std::uint32_t seconds = static_cast<std::uint32_t>(dt.hour * 3600 + dt.minute * 60 + dt.second);
    ticks = seconds * 300 + static_cast<std::uint32_t>((dt.millisecond * 3 + 5) / 10);
}

void TokenWriter::loginAck(const std::string& programName, std::uint32_t programVersion) {
    Writer body;
    body.u8(1);  // SQL_TSQL
    body.u32be(static_cast<std::uint32_t>(version_));
    body.bVarchar(programName);
    body.u32be(programVersion);
    out_.u8(0xAD);
    out_.u16(static_cast<std::uint16_t>(body.size()));
    out_.raw(body.bytes());
}

void TokenWriter::envDatabase(const std::string& newName, const std::string& oldName) {
    Writer body;
    body.u8(1);
    body.bVarchar(newName);
    body.bVarchar(oldName);
    out_.u8(0xE3);
    out_.u16(static_cast<std::uint16_t>(body.size()));
    out_.raw(body.bytes());
}

void TokenWriter::envLanguage(const std::string& newName) {
    Writer body;
    body.u8(2);
    body.bVarchar(newName);
    body.bVarchar("");
    out_.u8(0xE3);
    out_.u16(static_cast<std::uint16_t>(body.size()));
    out_.raw(body.bytes());
}

void TokenWriter::envPacketSize(int newSize, int oldSize) {
    Writer body;
    body.u8(4);
    body.bVarchar(std::to_string(newSize));
    body.bVarchar(std::to_string(oldSize));
    out_.u8(0xE3);
    out_.u16(static_cast<std::uint16_t>(body.size()));
    out_.raw(body.bytes());
}

void TokenWriter::envCollation() {
    Writer body;
    body.u8(7);
    body.u8(5);
    body.raw(std::string_view(kCollation, 5));
    body.u8(0);
    out_.u8(0xE3);
    out_.u16(static_cast<std::uint16_t>(body.size()));
    out_.raw(body.bytes());
}

void TokenWriter::message(std::uint8_t token, std::int32_t number, int state, int severity, const std::string& text,
                          const std::string& server, const std::string& procedure, int line) {
    Writer body;
    body.u32(static_cast<std::uint32_t>(number));
    body.u8(static_cast<std::uint8_t>(state));
    body.u8(static_cast<std::uint8_t>(severity));
    body.usVarchar(text);
    body.bVarchar(server);
    body.bVarchar(procedure);
    if (atLeast72(version_))
        body.u32(static_cast<std::uint32_t>(line));
    else
        body.u16(static_cast<std::uint16_t>(line));
    out_.u8(token);
    out_.u16(static_cast<std::uint16_t>(body.size()));
    out_.raw(body.bytes());
}

void TokenWriter::info(std::int32_t number, int state, int severity, const std::string& text, const std::string& server,
                       const std::string& procedure, int line) {
    message(0xAB, number, state, severity, text, server, procedure, line);
}

void TokenWriter::error(std::int32_t number, int state, int severity, const std::string& text,
                        const std::string& server, const std::string& procedure, int line) {
    message(0xAA, number, state, severity, text, server, procedure, line);
}

void TokenWriter::done(std::uint16_t status, std::uint16_t curCmd, std::uint64_t rows, std::uint8_t token) {
    out_.u8(token);
    out_.u16(status);
    out_.u16(curCmd);
    if (atLeast72(version_))
        out_.u64(rows);
    else
        out_.u32(static_cast<std::uint32_t>(rows));
}

void TokenWriter::typeInfo(const ColumnDef& c) {
    const bool n = c.nullable;
    switch (c.type) {
    case SqlType::Bit:
        if (n) { out_.u8(ty::BitN); out_.u8(1); } else out_.u8(ty::Bit);
        break;
    case SqlType::TinyInt: case SqlType::SmallInt: case SqlType::Int: case SqlType::BigInt:
        if (n) { out_.u8(ty::IntN); out_.u8(static_cast<std::uint8_t>(intSize(c.type))); } else out_.u8(fixedIntType(c.type));
        break;
    case SqlType::Real:
        if (n) { out_.u8(ty::FltN); out_.u8(4); } else out_.u8(ty::Flt4);
        break;
    case SqlType::Float:
        if (n) { out_.u8(ty::FltN); out_.u8(8); } else out_.u8(ty::Flt8);
        break;
    case SqlType::Money:
        if (n) { out_.u8(ty::MoneyN); out_.u8(8); } else out_.u8(ty::Money);
        break;
    case SqlType::SmallMoney:
        if (n) { out_.u8(ty::MoneyN); out_.u8(4); } else out_.u8(ty::Money4);
        break;
    case SqlType::DateTime:
        if (n) { out_.u8(ty::DateTimN); out_.u8(8); } else out_.u8(ty::DateTime);
        break;
    case SqlType::SmallDateTime:
        if (n) { out_.u8(ty::DateTimN); out_.u8(4); } else out_.u8(ty::DateTim4);
        break;
    case SqlType::Decimal: case SqlType::Numeric:
        out_.u8(c.type == SqlType::Decimal ? ty::DecimalN : ty::NumericN);
        out_.u8(static_cast<std::uint8_t>(decimalBytes(c.precision)));
        out_.u8(static_cast<std::uint8_t>(c.precision));
        out_.u8(static_cast<std::uint8_t>(c.scale));
        break;
    case SqlType::UniqueIdentifier:
        out_.u8(ty::Guid);
        out_.u8(16);
        break;
    case SqlType::Char: case SqlType::VarChar:
        if (c.length < 0 && !atLeast72(version_)) {
            out_.u8(ty::Text); out_.u32(0x7FFFFFFF); out_.raw(std::string_view(kCollation, 5)); out_.usVarchar(c.table);
            break;
        }
        out_.u8(c.type == SqlType::Char ? ty::BigChar : ty::BigVarChr);
        out_.u16(c.length < 0 ? 0xFFFF : static_cast<std::uint16_t>(c.length));
        out_.raw(std::string_view(kCollation, 5));
        break;
    case SqlType::NChar: case SqlType::NVarChar:
        if (c.length < 0 && !atLeast72(version_)) {
            out_.u8(ty::NText); out_.u32(0x3FFFFFFF); out_.raw(std::string_view(kCollation, 5)); out_.usVarchar(c.table);
            break;
        }
        out_.u8(c.type == SqlType::NChar ? ty::NChar : ty::NVarChar);
        out_.u16(c.length < 0 ? 0xFFFF : static_cast<std::uint16_t>(c.length * 2));
        out_.raw(std::string_view(kCollation, 5));
        break;
    case SqlType::Binary: case SqlType::VarBinary: case SqlType::Timestamp:
        if (c.length < 0 && !atLeast72(version_)) {
            out_.u8(ty::Image); out_.u32(0x7FFFFFFF); out_.usVarchar(c.table);
            break;
        }
        out_.u8(c.type == SqlType::VarBinary ? ty::BigVarBin : ty::BigBinary);
        out_.u16(c.length < 0 ? 0xFFFF : static_cast<std::uint16_t>(c.type == SqlType::Timestamp ? 8 : c.length));
        break;
    case SqlType::Text: case SqlType::NText: case SqlType::Image:
        out_.u8(c.type == SqlType::Text ? ty::Text : c.type == SqlType::NText ? ty::NText : ty::Image);
        out_.u32(c.type == SqlType::NText ? 0x3FFFFFFF : 0x7FFFFFFF);
        if (c.type != SqlType::Image) out_.raw(std::string_view(kCollation, 5));
        if (atLeast72(version_)) {
            out_.u8(1);
            out_.usVarchar(c.table);
        } else {
            out_.usVarchar(c.table);
        }
        break;
    case SqlType::SqlVariant:
        out_.u8(ty::Variant);
        out_.u32(8009);
        break;
    case SqlType::Unknown:
        throw std::invalid_argument("column '" + c.name + "' has no type");
    }
}

void TokenWriter::colMetadata(const std::vector<ColumnDef>& columns) {
    out_.u8(0x81);
    out_.u16(static_cast<std::uint16_t>(columns.size()));
    for (const auto& c : columns) {
        std::uint32_t userType = c.type == SqlType::Timestamp ? 80 : 0;
        if (atLeast72(version_))
            out_.u32(userType);
        else
            out_.u16(static_cast<std::uint16_t>(userType));
        std::uint16_t flags = c.nullable ? 0x0001 : 0x0000;
        flags |= 0x0008;  // updatable: unknown
        out_.u16(flags);
        typeInfo(c);
        out_.bVarchar(c.name);
    }
}

void TokenWriter::variant(const Value& v) {
    if (v.isNull()) {
        out_.u32(0);
        return;
    }
    Writer body;
    auto fixed = [&](std::uint8_t t) { body.u8(t); body.u8(0); };
    switch (v.type) {
    case SqlType::Bit: fixed(ty::Bit); body.u8(v.integer ? 1 : 0); break;
    case SqlType::TinyInt: fixed(ty::Int1); body.u8(static_cast<std::uint8_t>(v.integer)); break;
    case SqlType::SmallInt: fixed(ty::Int2); body.u16(static_cast<std::uint16_t>(v.integer)); break;
    case SqlType::Int: fixed(ty::Int4); body.u32(static_cast<std::uint32_t>(v.integer)); break;
    case SqlType::BigInt: fixed(ty::Int8); body.u64(static_cast<std::uint64_t>(v.integer)); break;
    case SqlType::Real: {
        fixed(ty::Flt4);
        float f = static_cast<float>(v.real);
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        body.u32(u);
        break;
    }
    case SqlType::Float: {
        fixed(ty::Flt8);
        std::uint64_t u;
        std::memcpy(&u, &v.real, 8);
        body.u64(u);
        break;
    }
    case SqlType::Money: {
        fixed(ty::Money);
        auto units = static_cast<std::uint64_t>(moneyUnits(v.text));
        body.u32(static_cast<std::uint32_t>(units >> 32));
        body.u32(static_cast<std::uint32_t>(units));
        break;
    }
    case SqlType::SmallMoney: fixed(ty::Money4); body.u32(static_cast<std::uint32_t>(moneyUnits(v.text))); break;
    case SqlType::DateTime: case SqlType::SmallDateTime: {
        std::int32_t days;
        std::uint32_t ticks;
        dateTimeParts(v.dateTime, days, ticks);
        if (v.type == SqlType::DateTime) {
            fixed(ty::DateTime);
            body.u32(static_cast<std::uint32_t>(days));
            body.u32(ticks);
        } else {
            fixed(ty::DateTim4);
            body.u16(static_cast<std::uint16_t>(days));
            body.u16(static_cast<std::uint16_t>(v.dateTime.hour * 60 + v.dateTime.minute));
        }
        break;
    }
    case SqlType::UniqueIdentifier: fixed(ty::Guid); body.raw(guidBytes(v.text)); break;
    case SqlType::Decimal: case SqlType::Numeric: {
        body.u8(v.type == SqlType::Decimal ? ty::DecimalN : ty::NumericN);
        body.u8(2);
        body.u8(static_cast<std::uint8_t>(v.precision));
        body.u8(static_cast<std::uint8_t>(v.scale));
        bool negative = false;
        int bytes = decimalBytes(v.precision);
        std::string mag = encodeDecimalMagnitude(v.text, v.scale, bytes - 1, negative);
        body.u8(negative ? 0 : 1);
        body.raw(mag);
        break;
    }
    case SqlType::Char: case SqlType::VarChar: case SqlType::NChar: case SqlType::NVarChar: {
        std::uint8_t t = v.type == SqlType::Char ? ty::BigChar : v.type == SqlType::VarChar ? ty::BigVarChr
                         : v.type == SqlType::NChar ? ty::NChar : ty::NVarChar;
        body.u8(t);
        body.u8(7);
        body.raw(std::string_view(kCollation, 5));
        std::string bytes = isNChar(v.type) ? utf8ToUcs2(v.text) : utf8ToCp1252(v.text);
        body.u16(static_cast<std::uint16_t>(v.maxLength > 0 ? v.maxLength * (isNChar(v.type) ? 2 : 1) : bytes.size()));
        body.raw(bytes);
        break;
    }
    case SqlType::Binary: case SqlType::VarBinary:
        body.u8(v.type == SqlType::Binary ? ty::BigBinary : ty::BigVarBin);
        body.u8(2);
        body.u16(static_cast<std::uint16_t>(v.maxLength > 0 ? v.maxLength : v.text.size()));
        body.raw(v.text);
        break;
    default:
        throw std::invalid_argument("type not allowed in a sql_variant");
    }
    out_.u32(static_cast<std::uint32_t>(body.size()));
    out_.raw(body.bytes());
}

void TokenWriter::value(const ColumnDef& c, const Value& v) {
    const bool null = v.isNull();
    switch (c.type) {
    case SqlType::Bit:
        if (c.nullable) { if (null) { out_.u8(0); return; } out_.u8(1); }
        out_.u8(v.integer ? 1 : 0);
        return;
    case SqlType::TinyInt: case SqlType::SmallInt: case SqlType::Int: case SqlType::BigInt: {
        int size = intSize(c.type);
        if (c.nullable) { if (null) { out_.u8(0); return; } out_.u8(static_cast<std::uint8_t>(size)); }
        auto u = static_cast<std::uint64_t>(v.integer);
        for (int i = 0; i < size; ++i) out_.u8(static_cast<std::uint8_t>(u >> (8 * i)));
        return;
    }
    case SqlType::Real: {
        if (c.nullable) { if (null) { out_.u8(0); return; } out_.u8(4); }
        float f = static_cast<float>(v.real);
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        out_.u32(u);
        return;
    }
    case SqlType::Float: {
        if (c.nullable) { if (null) { out_.u8(0); return; } out_.u8(8); }
        std::uint64_t u;
        std::memcpy(&u, &v.real, 8);
        out_.u64(u);
        return;
    }
    case SqlType::Money: {
        if (c.nullable) { if (null) { out_.u8(0); return; } out_.u8(8); }
        auto units = static_cast<std::uint64_t>(moneyUnits(v.text));
        out_.u32(static_cast<std::uint32_t>(units >> 32));
        out_.u32(static_cast<std::uint32_t>(units));
        return;
    }
    case SqlType::SmallMoney:
        if (c.nullable) { if (null) { out_.u8(0); return; } out_.u8(4); }
        out_.u32(static_cast<std::uint32_t>(moneyUnits(v.text)));
        return;
    case SqlType::DateTime: case SqlType::SmallDateTime: {
        const bool small = c.type == SqlType::SmallDateTime;
        if (c.nullable) { if (null) { out_.u8(0); return; } out_.u8(small ? 4 : 8); }
        std::int32_t days;
        std::uint32_t ticks;
        dateTimeParts(v.dateTime, days, ticks);
        if (small) {
            out_.u16(static_cast<std::uint16_t>(days));
            out_.u16(static_cast<std::uint16_t>(v.dateTime.hour * 60 + v.dateTime.minute));
        } else {
            out_.u32(static_cast<std::uint32_t>(days));
            out_.u32(ticks);
        }
        return;
    }
    case SqlType::Decimal: case SqlType::Numeric: {
        if (null) { out_.u8(0); return; }
        int bytes = decimalBytes(c.precision);
        bool negative = false;
        std::string mag = encodeDecimalMagnitude(v.text, c.scale, bytes - 1, negative);
        out_.u8(static_cast<std::uint8_t>(bytes));
        out_.u8(negative ? 0 : 1);
        out_.raw(mag);
        return;
    }
    case SqlType::UniqueIdentifier:
        if (null) { out_.u8(0); return; }
        out_.u8(16);
        out_.raw(guidBytes(v.text));
        return;
    case SqlType::SqlVariant:
        variant(v);
        return;
    default:
        break;
    }

    // The variable-length types: character, binary, and the large ones.
    const bool large = c.type == SqlType::Text || c.type == SqlType::NText || c.type == SqlType::Image ||
                       (c.length < 0 && !atLeast72(version_));
    std::string bytes;
    if (!null) {
        if (isChar(c.type) || isNChar(c.type))
            bytes = charBytes(c, v);
        else
            bytes = binaryBytes(c, v);
    }
    if (large) {
        if (null) { out_.u8(0); return; }
        out_.u8(16);
        out_.raw(std::string_view("dummy textptr\0\0\0", 16));
        out_.raw(std::string_view("\x01\x00\x00\x00\x00\x00\x00\x00", 8));
        out_.u32(static_cast<std::uint32_t>(bytes.size()));
        out_.raw(bytes);
        return;
    }
    if (plp(c)) {
        if (null) { out_.u64(~std::uint64_t{0}); return; }
        out_.u64(bytes.size());
        // Chunks of at most 8000 bytes, then the terminator.
        for (std::size_t at = 0; at < bytes.size(); at += 8000) {
            std::size_t n = std::min<std::size_t>(8000, bytes.size() - at);
            out_.u32(static_cast<std::uint32_t>(n));
            out_.raw(std::string_view(bytes).substr(at, n));
        }
        out_.u32(0);
        return;
    }
    if (null) { out_.u16(0xFFFF); return; }
    out_.u16(static_cast<std::uint16_t>(bytes.size()));
    out_.raw(bytes);
}

void TokenWriter::row(const std::vector<ColumnDef>& columns, const std::vector<Value>& row) {
    out_.u8(0xD1);
    for (std::size_t i = 0; i < columns.size(); ++i) value(columns[i], i < row.size() ? row[i] : Value{});
}

}  // namespace tdstest
