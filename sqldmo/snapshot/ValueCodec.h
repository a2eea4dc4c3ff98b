// How values are stored in a snapshot without loss. A value goes into one SQLite cell:
//   integers and bit          INTEGER
//   float, real               REAL (a real's value is exact in a double)
//   decimal, numeric, money   TEXT, the digits as the server sent them
//   character types           TEXT, UTF-8
//   binary types, timestamp   BLOB
//   datetime, smalldatetime   TEXT "YYYY-MM-DD hh:mm:ss.mmm"
//   uniqueidentifier          TEXT, canonical upper-case form
//   NULL                      NULL
// A column of a fixed type takes its type from the catalogue. A sql_variant column (and an
// extended property) has a second cell, the tag, with the value's own type and facets:
// "int", "decimal(10,2)", "nvarchar(40)".
#pragma once

#include <string>
#include <string_view>

#include "sqldmo/model/Value.h"
#include "sqldmo/snapshot/Sqlite.h"

namespace sqldmo::snapshot::detail {

// The kind of value a column of a system type holds; Null for SqlVariant and Unknown, whose
// values carry their own type.
Value::Kind kindOf(SqlType type) noexcept;
std::string_view kindName(Value::Kind kind) noexcept;

void bindPayload(Statement& statement, int index, const Value& value);
std::string valueTag(const Value& value);

// Reads the cell at `column` into `out` as a value of `type`. False when the cell does not hold
// what a value of that type is stored as (a damaged file).
bool readValue(const Statement& statement, int column, SqlType type, Value& out);
// Reads a tagged cell: the type and facets come from `tag`. False on a damaged cell or tag.
bool readTaggedValue(const Statement& statement, int column, std::string_view tag, bool variant, Value& out);

std::string formatDateTime(const DateTimeValue& value);
bool parseDateTime(std::string_view text, DateTimeValue& out) noexcept;

}  // namespace sqldmo::snapshot::detail
