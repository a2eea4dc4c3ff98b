// T-SQL literals of table values and bracketed identifiers: pure functions over a value and
// its column's type, writing into a script buffer.
#pragma once

#include <string>
#include <string_view>

#include "component/ScriptBuffer.h"
#include "sqldmo/model/Value.h"

namespace korva::detail {

// What the statement holding a literal needs: nothing, or to be run through EXEC
// (runThroughExec) because the literal is too long to be written safely in any other way.
enum class LiteralForm { Direct, ThroughExec };

// Appends the literal of `value`, a field of a column whose system type is `columnType`
// (the base type of a user-defined type; Unknown when the catalogue does not say, in which
// case the value's own type decides):
//   NULL; integers in decimal (bit 1/0); float and real with the shortest digits that read back
//   to the same value (real in float precision); decimal, numeric, money, smallmoney exactly as
//   sent; N'...' for nchar, nvarchar, ntext and '...' for the other character types, quotes
//   doubled; datetimes as '2002-03-05T14:07:09.123'; binaries as 0x...; GUIDs quoted;
//   sql_variant values as literals of their base type (CAST(... AS type) where the plain
//   literal would read back as another type).
// Inside character literals a NUL, a lone CR or LF, and the line break before a line that a
// batch-splitting tool would take for one of its commands (GO, EXIT, "!!", ":r" ...), are
// written as CHAR(n)/NCHAR(n) outside the quotes, and "$(" is cut between its two characters,
// so that no value can end a batch, run a command or be changed by variable substitution or by
// converted line ends when the script is run.
// Such a sum of pieces is cut by the server beyond 8000 bytes (4000 characters for Unicode), so
// a longer value is written differently: lone CR and LF stay in the literal; if pieces are
// still needed, the sum starts with a max-typed empty string when `maxTypes` (the server the
// script is for has varchar(max), version 9 and later); otherwise the value is one literal with
// everything in it as it is, and ThroughExec is returned.
// Throws ComError for a value that has no literal (an infinite float, a malformed exact number).
[[nodiscard]] LiteralForm appendLiteral(ScriptBuffer& out, const sqldmo::Value& value, sqldmo::SqlType columnType,
                                        bool maxTypes);

// Rewrites the statement written into `out` since `start` as EXEC (N'...' + @lf + N'...'),
// whose joined text has no length limit on any server version: its CR, LF and NUL come from
// the variables @cr, @lf and @nul and "$(" is cut, so the script holds no line break or command
// inside the statement. `declareVariables` also writes (before it) the lines that declare and
// set the variables, once for each batch.
void runThroughExec(ScriptBuffer& out, std::size_t start, bool declareVariables);

// "[" + name + "]" with every "]" doubled.
std::string bracketName(std::string_view name);

}  // namespace korva::detail
