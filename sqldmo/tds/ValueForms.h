// Values as they come out of db-lib, and sql_variant values as the server hands them over in
// plain forms.
//
// db-lib cannot be trusted with sql_variant data: after a character value in a column it
// decodes the following values of other types through a stale character converter. So a
// variant never travels as a variant: the server sends its base type and facets
// (SQL_VARIANT_PROPERTY) and the value converted to nvarchar (character, decimal and GUID
// values), varchar (character values longer than 4000 bytes) or varbinary (the others, in
// SQL Server's binary form: integers, float and real, money and datetime big-endian).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sqldmo/model/Value.h"

namespace sqldmo::tds {

// SQL Server's datetime parts: days since 1900-01-01 and 1/300 s ticks since midnight;
// milliseconds rounded as the server shows them (.000, .003, .007 ...).
DateTimeValue dateTimeFromTicks(std::int32_t days, std::int32_t ticks);
// smalldatetime: days since 1900-01-01 and minutes since midnight.
DateTimeValue dateTimeFromMinutes(std::int32_t days, std::int32_t minutes);
// money and smallmoney: units of 1/10000, written with four decimals ("-12.3400").
std::string moneyText(std::int64_t units);
// A decimal or numeric value: sign, big-endian magnitude and scale, written with exactly
// `scale` decimals ("-0.050", "12").
std::string decimalText(bool negative, std::string_view bigEndianMagnitude, int scale);
// A uniqueidentifier in its stored byte order, as "6F9619FF-8B86-D011-B42D-00C04FC964FF".
std::string guidText(std::string_view bytes16);

// The columns the server adds for a variant expression, in this order.
struct VariantParts {
    std::optional<std::string> baseType;   // NULL: the value is NULL
    int precision = 0;
    int scale = 0;
    int maxLength = 0;                     // bytes
    std::optional<std::string> unicodeText;  // CONVERT(nvarchar(4000), v)
    std::optional<std::string> charText;     // CONVERT(varchar(8000), v)
    std::optional<std::string> binary;       // CONVERT(varbinary(8000), v)
};
// The value a variant held; throws sqldmo::Error when the parts do not fit its base type.
Value variantFromParts(const VariantParts& parts);

// The SQL of the seven columns that carry `expr` (a variant expression), each named
// `prefix` + suffix: t (base type), p, s, m (precision, scale, max length), n, c, b (the value
// as nvarchar, varchar, varbinary).
std::string variantPartsSql(const std::string& expr, const std::string& prefix);
inline constexpr const char* kVariantPartSuffixes = "tpsmncb";

}  // namespace sqldmo::tds
