// What a SELECT reads from, when it reads one table: the row layer's queries have the form
// "SELECT [a], [b] FROM [owner].[table]".
#pragma once

#include <optional>
#include <string>

namespace sqldmo::tds {

// The table name as written after FROM ("[dbo].[Orders]", "Orders") when `sql` is a single
// SELECT from one table or view of the current database (one or two name parts, no join,
// no second table, no derived table); nullopt otherwise.
std::optional<std::string> singleTableOf(const std::string& sql);

}  // namespace sqldmo::tds
