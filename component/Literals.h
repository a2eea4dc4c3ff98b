// T-SQL literals of table values and bracketed identifiers: pure functions over a value and
// its column's type, writing into a script buffer.
#pragma once

#include <string>
#include <string_view>

#include "component/ScriptBuffer.h"
#include "sqldmo/model/Value.h"

namespace korva::detail {

// Appends the literal of `value`, a field of a column whose system type is `columnType`
// (the base type of a user-defined type; Unknown when the catalogue does not say, in which
// case the value's own type decides):
//   NULL; integers in decimal (bit 1/0); float and real with the shortest digits that read back
//   to the same value (real in float precision); decimal, numeric, money, smallmoney exactly as
//   sent; N'...' for nchar, nvarchar, ntext and '...' for the other character types, quotes
//   doubled; datetimes as '2002-03-05T14:07:09.123'; binaries as 0x...; GUIDs quoted;
//   sql_variant values as literals of their base type (CAST(... AS type) where the plain
//   literal would read back as another type).
// Inside character literals a NUL, and the line break before a line that a batch-splitting tool
// would take for one of its commands (GO, EXIT, "!!", ":r" ...), are written as CHAR(n)/NCHAR(n)
// outside the quotes, and "$(" is cut between its two characters, so that no value can end a
// batch, run a command or be changed by variable substitution when the script is run.
// Throws ComError for a value that has no literal (an infinite float, a malformed exact number).
void appendLiteral(ScriptBuffer& out, const sqldmo::Value& value, sqldmo::SqlType columnType);

// "[" + name + "]" with every "]" doubled.
std::string bracketName(std::string_view name);

}  // namespace korva::detail
