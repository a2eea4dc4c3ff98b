// One SQL Server value as it travels from a row source (snapshot or TDS) to the script:
// lossless, with its SQL Server type.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sqldmo {

// SQL Server's system data types, as the catalogue names them.
enum class SqlType : std::uint8_t {
    Unknown,
    Bit, TinyInt, SmallInt, Int, BigInt,
    Real, Float,
    Decimal, Numeric, Money, SmallMoney,
    Char, VarChar, Text,
    NChar, NVarChar, NText,
    Binary, VarBinary, Image,
    DateTime, SmallDateTime,
    UniqueIdentifier, Timestamp, SqlVariant,
};

// Lower-case catalogue name of a type ("int", "nvarchar", "sql_variant"...); "" for Unknown.
std::string_view sqlTypeName(SqlType type) noexcept;
// The type of a system type name, letters case-insensitive; "sysname" is NVarChar;
// Unknown for anything else (a user-defined type name, for instance).
SqlType sqlTypeFromName(std::string_view name) noexcept;

struct DateTimeValue {
    int year = 1900;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;  // 0..999, as SQL Server reports it (its datetime ticks are 1/300 s)

    friend bool operator==(const DateTimeValue&, const DateTimeValue&) = default;
};

// A value. Which member holds it depends on `kind`:
//   Null                      nothing
//   Integer   (bit, tinyint, smallint, int, bigint)            `integer` (bit: 0 or 1)
//   Float     (real, float)                                     `real` (a real holds a float's value)
//   Exact     (decimal, numeric, money, smallmoney)             `text`: plain digits, "-" and "." as the
//                                                               server sends them ("-12.3400"), never a double
//   Text      (char, varchar, text, nchar, nvarchar, ntext)     `text`, UTF-8
//   Binary    (binary, varbinary, image, timestamp)             `text`, the raw bytes
//   DateTime  (datetime, smalldatetime)                         `dateTime`
//   Guid      (uniqueidentifier)                                `text`, upper-case canonical form
//                                                               "6F9619FF-8B86-D011-B42D-00C04FC964FF"
// `type` is the value's SQL Server type; for a sql_variant column it is the base type of this value
// and `variant` is true.
struct Value {
    enum class Kind : std::uint8_t { Null, Integer, Float, Exact, Text, Binary, DateTime, Guid };

    Kind kind = Kind::Null;
    SqlType type = SqlType::Unknown;
    bool variant = false;
    std::int64_t integer = 0;
    double real = 0.0;
    std::string text;
    DateTimeValue dateTime;
    // For sql_variant values of decimal/numeric and character types: the base type's facets,
    // so that a literal of the same type can be written.
    int precision = 0;
    int scale = 0;
    int maxLength = 0;

    bool isNull() const noexcept { return kind == Kind::Null; }

    static Value null(SqlType t = SqlType::Unknown) { Value v; v.type = t; return v; }
    static Value ofInteger(SqlType t, std::int64_t i) { Value v; v.kind = Kind::Integer; v.type = t; v.integer = i; return v; }
    static Value ofFloat(SqlType t, double d) { Value v; v.kind = Kind::Float; v.type = t; v.real = d; return v; }
    static Value ofExact(SqlType t, std::string digits) { Value v; v.kind = Kind::Exact; v.type = t; v.text = std::move(digits); return v; }
    static Value ofText(SqlType t, std::string utf8) { Value v; v.kind = Kind::Text; v.type = t; v.text = std::move(utf8); return v; }
    static Value ofBinary(SqlType t, std::string bytes) { Value v; v.kind = Kind::Binary; v.type = t; v.text = std::move(bytes); return v; }
    static Value ofDateTime(SqlType t, DateTimeValue dt) { Value v; v.kind = Kind::DateTime; v.type = t; v.dateTime = dt; return v; }
    static Value ofGuid(std::string canonical) { Value v; v.kind = Kind::Guid; v.type = SqlType::UniqueIdentifier; v.text = std::move(canonical); return v; }

    friend bool operator==(const Value&, const Value&) = default;
};

}  // namespace sqldmo
