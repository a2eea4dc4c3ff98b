// Names of SQL Server's system types.
#include "sqldmo/model/Value.h"

#include <array>
#include <utility>

namespace sqldmo {
namespace {

constexpr std::array<std::pair<SqlType, std::string_view>, 25> kNames{{
    {SqlType::Bit, "bit"}, {SqlType::TinyInt, "tinyint"}, {SqlType::SmallInt, "smallint"},
    {SqlType::Int, "int"}, {SqlType::BigInt, "bigint"}, {SqlType::Real, "real"}, {SqlType::Float, "float"},
    {SqlType::Decimal, "decimal"}, {SqlType::Numeric, "numeric"}, {SqlType::Money, "money"},
    {SqlType::SmallMoney, "smallmoney"}, {SqlType::Char, "char"}, {SqlType::VarChar, "varchar"},
    {SqlType::Text, "text"}, {SqlType::NChar, "nchar"}, {SqlType::NVarChar, "nvarchar"},
    {SqlType::NText, "ntext"}, {SqlType::Binary, "binary"}, {SqlType::VarBinary, "varbinary"},
    {SqlType::Image, "image"}, {SqlType::DateTime, "datetime"}, {SqlType::SmallDateTime, "smalldatetime"},
    {SqlType::UniqueIdentifier, "uniqueidentifier"}, {SqlType::Timestamp, "timestamp"},
    {SqlType::SqlVariant, "sql_variant"},
}};

bool equalsIgnoreCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

std::string_view sqlTypeName(SqlType type) noexcept {
    for (const auto& [t, n] : kNames)
        if (t == type) return n;
    return {};
}

SqlType sqlTypeFromName(std::string_view name) noexcept {
    if (equalsIgnoreCase(name, "sysname")) return SqlType::NVarChar;
    for (const auto& [t, n] : kNames)
        if (equalsIgnoreCase(name, n)) return t;
    return SqlType::Unknown;
}

}  // namespace sqldmo
