// Storing and reading values of every SQL Server type in SQLite cells.
#include "sqldmo/snapshot/ValueCodec.h"

#include <charconv>
#include <cstdio>

namespace sqldmo::snapshot::detail {
namespace {

bool parseInt(std::string_view text, int& out) noexcept {
    const auto* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc{} && p == end;
}

bool digits(std::string_view text, std::size_t at, std::size_t count, int& out) noexcept {
    if (at + count > text.size()) return false;
    out = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        out = out * 10 + (text[i] - '0');
    }
    return true;
}

constexpr std::string_view kKindNames[] = {"null", "integer", "float", "exact", "text", "binary", "datetime", "guid"};

}  // namespace

Value::Kind kindOf(SqlType type) noexcept {
    switch (type) {
        case SqlType::Bit: case SqlType::TinyInt: case SqlType::SmallInt: case SqlType::Int: case SqlType::BigInt:
            return Value::Kind::Integer;
        case SqlType::Real: case SqlType::Float:
            return Value::Kind::Float;
        case SqlType::Decimal: case SqlType::Numeric: case SqlType::Money: case SqlType::SmallMoney:
            return Value::Kind::Exact;
        case SqlType::Char: case SqlType::VarChar: case SqlType::Text:
        case SqlType::NChar: case SqlType::NVarChar: case SqlType::NText:
            return Value::Kind::Text;
        case SqlType::Binary: case SqlType::VarBinary: case SqlType::Image: case SqlType::Timestamp:
            return Value::Kind::Binary;
        case SqlType::DateTime: case SqlType::SmallDateTime:
            return Value::Kind::DateTime;
        case SqlType::UniqueIdentifier:
            return Value::Kind::Guid;
        case SqlType::SqlVariant: case SqlType::Unknown:
            break;
    }
    return Value::Kind::Null;
}

std::string_view kindName(Value::Kind kind) noexcept { return kKindNames[static_cast<int>(kind)]; }

std::string formatDateTime(const DateTimeValue& v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", v.year, v.month, v.day, v.hour,
                  v.minute, v.second, v.millisecond);
    return buffer;
}

bool parseDateTime(std::string_view t, DateTimeValue& out) noexcept {
    if (t.size() != 23 || t[4] != '-' || t[7] != '-' || t[10] != ' ' || t[13] != ':' || t[16] != ':' || t[19] != '.')
        return false;
    return digits(t, 0, 4, out.year) && digits(t, 5, 2, out.month) && digits(t, 8, 2, out.day) &&
           digits(t, 11, 2, out.hour) && digits(t, 14, 2, out.minute) && digits(t, 17, 2, out.second) &&
           digits(t, 20, 3, out.millisecond);
}

void bindPayload(Statement& s, int index, const Value& v) {
    switch (v.kind) {
        case Value::Kind::Null: s.bindNull(index); break;
        case Value::Kind::Integer: s.bind(index, v.integer); break;
        case Value::Kind::Float: sqlite3_bind_double(s.handle(), index, v.real); break;
        case Value::Kind::Exact:
        case Value::Kind::Text:
        case Value::Kind::Guid: s.bind(index, std::string_view(v.text)); break;
        case Value::Kind::Binary: s.bindBlob(index, v.text); break;
        case Value::Kind::DateTime: s.bind(index, std::string_view(formatDateTime(v.dateTime))); break;
    }
}

std::string valueTag(const Value& v) {
    std::string tag;
    if (v.type == SqlType::Unknown) {
        // A value without a type keeps at least its kind.
        tag = "#";
        tag += kindName(v.kind);
    } else {
        tag = sqlTypeName(v.type);
    }
    if (v.precision || v.scale || v.maxLength) {
        tag += '(';
        if (v.precision || v.scale) {
            tag += std::to_string(v.precision) + "," + std::to_string(v.scale);
            if (v.maxLength) tag += ",";
        }
        if (v.maxLength) tag += std::to_string(v.maxLength);
        tag += ')';
    }
    return tag;
}

bool readValue(const Statement& s, int column, SqlType type, Value& out) {
    out.type = type;
    out.variant = false;
    out.precision = out.scale = out.maxLength = 0;
    const int storage = sqlite3_column_type(s.handle(), column);
    if (storage == SQLITE_NULL) {
        out.kind = Value::Kind::Null;
        out.integer = 0;
        out.real = 0.0;
        out.text.clear();
        out.dateTime = {};
        return true;
    }
    Value::Kind kind = kindOf(type);
    if (kind == Value::Kind::Null) {
        // No declared type: the storage class says what the value is.
        switch (storage) {
            case SQLITE_INTEGER: kind = Value::Kind::Integer; break;
            case SQLITE_FLOAT: kind = Value::Kind::Float; break;
            case SQLITE_BLOB: kind = Value::Kind::Binary; break;
            default: kind = Value::Kind::Text; break;
        }
    }
    out.kind = kind;
    out.integer = 0;
    out.real = 0.0;
    out.dateTime = {};
    switch (kind) {
        case Value::Kind::Integer:
            if (storage != SQLITE_INTEGER) return false;
            out.integer = s.integer(column);
            out.text.clear();
            return true;
        case Value::Kind::Float:
            if (storage != SQLITE_FLOAT && storage != SQLITE_INTEGER) return false;
            out.real = sqlite3_column_double(s.handle(), column);
            out.text.clear();
            return true;
        case Value::Kind::Binary:
            if (storage != SQLITE_BLOB) return false;
            out.text.assign(s.blobView(column));
            return true;
        case Value::Kind::DateTime:
            if (storage != SQLITE_TEXT) return false;
            out.text.clear();
            return parseDateTime(s.textView(column), out.dateTime);
        default:
            if (storage != SQLITE_TEXT) return false;
            out.text.assign(s.textView(column));
            return true;
    }
}

bool readTaggedValue(const Statement& s, int column, std::string_view tag, bool variant, Value& out) {
    std::string_view name = tag;
    std::string_view facets;
    if (const auto open = tag.find('('); open != std::string_view::npos) {
        if (tag.back() != ')') return false;
        name = tag.substr(0, open);
        facets = tag.substr(open + 1, tag.size() - open - 2);
    }
    SqlType type = SqlType::Unknown;
    Value::Kind forcedKind = Value::Kind::Null;
    bool kindGiven = false;
    if (!name.empty() && name[0] == '#') {
        const auto kn = name.substr(1);
        for (int k = 0; k < 8; ++k)
            if (kn == kKindNames[k]) {
                forcedKind = static_cast<Value::Kind>(k);
                kindGiven = true;
            }
        if (!kindGiven) return false;
    } else if (!name.empty()) {
        type = sqlTypeFromName(name);
        if (type == SqlType::Unknown) return false;
        // Only a NULL keeps the column's own type sql_variant: a value has a base type.
        if (type == SqlType::SqlVariant && sqlite3_column_type(s.handle(), column) != SQLITE_NULL) return false;
    }
    int p = 0, sc = 0, m = 0;
    if (!facets.empty()) {
        int numbers[3] = {0, 0, 0};
        int count = 0;
        std::size_t start = 0;
        for (;;) {
            const auto comma = facets.find(',', start);
            const auto piece = facets.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
            if (count == 3 || !parseInt(piece, numbers[count])) return false;
            ++count;
            if (comma == std::string_view::npos) break;
            start = comma + 1;
        }
        if (count == 1) m = numbers[0];
        else if (count == 2) { p = numbers[0]; sc = numbers[1]; }
        else { p = numbers[0]; sc = numbers[1]; m = numbers[2]; }
    }
    if (kindGiven && forcedKind != Value::Kind::Null && sqlite3_column_type(s.handle(), column) == SQLITE_NULL)
        return false;
    if (!readValue(s, column, type, out)) return false;
    if (kindGiven && out.kind != Value::Kind::Null && forcedKind != out.kind) {
        // A value stored without a type: only the storage class of text is ambiguous.
        if (sqlite3_column_type(s.handle(), column) != SQLITE_TEXT) return false;
        out.kind = forcedKind;
        if (forcedKind == Value::Kind::DateTime) {
            if (!parseDateTime(out.text, out.dateTime)) return false;
            out.text.clear();
        } else if (forcedKind != Value::Kind::Exact && forcedKind != Value::Kind::Guid) {
            return false;
        }
    }
    out.variant = variant && out.kind != Value::Kind::Null;
    out.precision = p;
    out.scale = sc;
    out.maxLength = m;
    return true;
}

}  // namespace sqldmo::snapshot::detail
