// Decoding of db-lib values and of variant parts.
#include "sqldmo/tds/ValueForms.h"

#include <cstring>

#include "sqldmo/Error.h"

namespace sqldmo::tds {
namespace {

__extension__ typedef unsigned __int128 Magnitude;

DateTimeValue civilFromDays(std::int64_t daysSince1900) {
    // Days since 1970-01-01 to the civil date (proleptic Gregorian).
    std::int64_t z = daysSince1900 - 25567 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = yoe + era * 400;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    DateTimeValue v;
    v.year = static_cast<int>(y + (m <= 2));
    v.month = static_cast<int>(m);
    v.day = static_cast<int>(d);
    return v;
}

std::uint64_t bigEndian(std::string_view b) {
    std::uint64_t v = 0;
    for (char c : b) v = (v << 8) | static_cast<unsigned char>(c);
    return v;
}

[[noreturn]] void badVariant(const std::string& type) {
    throw Error(errors::InvalidArgument, "A sql_variant value of type " + type + " arrived in a form that does not fit it.");
}

}  // namespace

DateTimeValue dateTimeFromTicks(std::int32_t days, std::int32_t ticks) {
    DateTimeValue v = civilFromDays(days);
    // Ticks are 1/300 s; the server shows them as milliseconds rounded: 1 -> .003, 2 -> .007.
    std::int64_t ms = (static_cast<std::int64_t>(ticks) * 1000 + 150) / 300;
    v.millisecond = static_cast<int>(ms % 1000);
    std::int64_t s = ms / 1000;
    v.second = static_cast<int>(s % 60);
    v.minute = static_cast<int>((s / 60) % 60);
    v.hour = static_cast<int>(s / 3600);
    return v;
}

DateTimeValue dateTimeFromMinutes(std::int32_t days, std::int32_t minutes) {
    DateTimeValue v = civilFromDays(days);
    v.hour = minutes / 60;
    v.minute = minutes % 60;
    return v;
}

std::string moneyText(std::int64_t units) {
    const bool negative = units < 0;
    std::uint64_t u = negative ? ~static_cast<std::uint64_t>(units) + 1 : static_cast<std::uint64_t>(units);
    std::string frac = std::to_string(u % 10000);
    frac.insert(0, 4 - frac.size(), '0');
    return (negative ? "-" : "") + std::to_string(u / 10000) + "." + frac;
}

std::string decimalText(bool negative, std::string_view magnitude, int scale) {
    Magnitude m = 0;
    for (char c : magnitude) m = (m << 8) | static_cast<unsigned char>(c);
    std::string digits;
    while (m > 0) {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
        m /= 10;
    }
    const bool zero = digits.empty();
    if (static_cast<int>(digits.size()) <= scale) digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
    if (scale > 0) digits.insert(digits.size() - static_cast<std::size_t>(scale), ".");
    return (negative && !zero ? "-" : "") + digits;
}

std::string guidText(std::string_view b) {
    static const char* hex = "0123456789ABCDEF";
    // Data1, Data2 and Data3 are stored little-endian, Data4 as written.
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    std::string out;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
        auto c = static_cast<unsigned char>(b[static_cast<std::size_t>(order[i])]);
        out.push_back(hex[c >> 4]);
        out.push_back(hex[c & 15]);
    }
    return out;
}

Value variantFromParts(const VariantParts& p) {
    if (!p.baseType) return Value::null(SqlType::SqlVariant);
    const SqlType t = sqlTypeFromName(*p.baseType);
    Value v;
    auto needBinary = [&](std::size_t n) -> std::string_view {
        if (!p.binary || p.binary->size() != n) badVariant(*p.baseType);
        return *p.binary;
    };
    auto text = [&]() -> const std::string& {
        if (p.unicodeText) return *p.unicodeText;
        if (p.charText) return *p.charText;
        badVariant(*p.baseType);
    };
    switch (t) {
    case SqlType::Bit: v = Value::ofInteger(t, needBinary(1)[0] ? 1 : 0); break;
    case SqlType::TinyInt: v = Value::ofInteger(t, static_cast<unsigned char>(needBinary(1)[0])); break;
    case SqlType::SmallInt: v = Value::ofInteger(t, static_cast<std::int16_t>(bigEndian(needBinary(2)))); break;
    case SqlType::Int: v = Value::ofInteger(t, static_cast<std::int32_t>(bigEndian(needBinary(4)))); break;
    case SqlType::BigInt: v = Value::ofInteger(t, static_cast<std::int64_t>(bigEndian(needBinary(8)))); break;
    case SqlType::Real: {
        auto u = static_cast<std::uint32_t>(bigEndian(needBinary(4)));
        float f;
        std::memcpy(&f, &u, 4);
        v = Value::ofFloat(t, f);
        break;
    }
    case SqlType::Float: {
        std::uint64_t u = bigEndian(needBinary(8));
        double d;
        std::memcpy(&d, &u, 8);
        v = Value::ofFloat(t, d);
        break;
    }
    case SqlType::Money: v = Value::ofExact(t, moneyText(static_cast<std::int64_t>(bigEndian(needBinary(8))))); break;
    case SqlType::SmallMoney: v = Value::ofExact(t, moneyText(static_cast<std::int32_t>(bigEndian(needBinary(4))))); break;
    case SqlType::DateTime: {
        std::string_view b = needBinary(8);
        v = Value::ofDateTime(t, dateTimeFromTicks(static_cast<std::int32_t>(bigEndian(b.substr(0, 4))),
                                                   static_cast<std::int32_t>(bigEndian(b.substr(4, 4)))));
        break;
    }
    case SqlType::SmallDateTime: {
        std::string_view b = needBinary(4);
        v = Value::ofDateTime(t, dateTimeFromMinutes(static_cast<std::int32_t>(bigEndian(b.substr(0, 2))),
                                                     static_cast<std::int32_t>(bigEndian(b.substr(2, 2)))));
        break;
    }
    case SqlType::Decimal: case SqlType::Numeric:
        v = Value::ofExact(t, text());
        v.precision = p.precision;
        v.scale = p.scale;
        break;
    case SqlType::UniqueIdentifier: {
        std::string g = text();
        for (auto& c : g)
            if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
        v = Value::ofGuid(g);
        break;
    }
    case SqlType::Char: case SqlType::VarChar:
        v = Value::ofText(t, text());
        v.maxLength = p.maxLength;
        break;
    case SqlType::NChar: case SqlType::NVarChar:
        v = Value::ofText(t, text());
        v.maxLength = p.maxLength / 2;
        break;
    case SqlType::Binary: case SqlType::VarBinary:
        if (!p.binary) badVariant(*p.baseType);
        v = Value::ofBinary(t, *p.binary);
        v.maxLength = p.maxLength;
        break;
    default:
        // Types this layer has no literal for (date, time, datetime2 ...): their text.
        v = Value::ofText(SqlType::Unknown, p.unicodeText ? *p.unicodeText : std::string());
        break;
    }
    v.variant = true;
    return v;
}

std::string variantPartsSql(const std::string& expr, const std::string& prefix) {
    const std::string base = "CONVERT(nvarchar(128), SQL_VARIANT_PROPERTY(" + expr + ", 'BaseType'))";
    const std::string textTypes = "(N'nchar', N'nvarchar', N'decimal', N'numeric', N'uniqueidentifier', N'date', N'time', "
                                  "N'datetime2', N'datetimeoffset')";
    const std::string charTypes = "(N'char', N'varchar')";
    std::string s;
    s += base + " AS [" + prefix + "t], ";
    s += "CONVERT(int, SQL_VARIANT_PROPERTY(" + expr + ", 'Precision')) AS [" + prefix + "p], ";
    s += "CONVERT(int, SQL_VARIANT_PROPERTY(" + expr + ", 'Scale')) AS [" + prefix + "s], ";
    s += "CONVERT(int, SQL_VARIANT_PROPERTY(" + expr + ", 'MaxLength')) AS [" + prefix + "m], ";
    s += "CASE WHEN " + base + " IN " + textTypes + " OR (" + base + " IN " + charTypes + " AND DATALENGTH(" + expr +
         ") <= 4000) THEN CONVERT(nvarchar(4000), " + expr + ") END AS [" + prefix + "n], ";
    s += "CASE WHEN " + base + " IN " + charTypes + " AND DATALENGTH(" + expr + ") > 4000 THEN CONVERT(varchar(8000), " +
         expr + ") END AS [" + prefix + "c], ";
    s += "CASE WHEN " + base + " NOT IN " + textTypes + " AND " + base + " NOT IN " + charTypes +
         " THEN CONVERT(varbinary(8000), " + expr + ") END AS [" + prefix + "b]";
    return s;
}

}  // namespace sqldmo::tds
