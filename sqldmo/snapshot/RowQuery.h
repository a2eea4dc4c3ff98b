// The one statement a snapshot answers: SELECT column list FROM table.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sqldmo::snapshot::detail {

struct RowQuery {
    bool allColumns = false;           // SELECT *
    std::vector<std::string> columns;  // as written, brackets and quotes removed, in order
    std::vector<std::string> table;    // the parts of the table name: [database.][owner.]table
};

// Parses "SELECT [c1], [c2] FROM [owner].[table]": keywords in any case, names bracketed (with
// "]]" for "]"), double-quoted (with "\"\"" for "\"") or plain, one to three name parts, blanks
// and line breaks anywhere between tokens, an optional ";" at the end. nullopt for anything else.
std::optional<RowQuery> parseRowQuery(std::string_view sql);

}  // namespace sqldmo::snapshot::detail
