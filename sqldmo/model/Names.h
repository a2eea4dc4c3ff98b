// Object names as SQL Server compares and writes them: case-insensitive comparison, multi-part
// names ("name", "owner.name", "[owner].[name]") and bracket quoting. Standard C++ only.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sqldmo::model {

// The name folded for comparison the way SQL Server's default (case-insensitive, accent-
// sensitive) collations compare names: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic
// letters are folded to lower case; everything else compares as it is. Input is UTF-8;
// invalid bytes are kept unchanged.
std::string foldName(std::string_view name);
bool sameName(std::string_view a, std::string_view b);

// Splits a multi-part name into its parts, left to right. Parts are separated by "."; a part
// may be bracketed ("[a.b]", with "]]" standing for "]") or double-quoted ("\"a\"", with "\"\""
// standing for "\""); blanks around a part are dropped. Empty parts are kept ("db..t" gives
// three parts, the middle one empty). nullopt when the text is malformed: an unclosed bracket or
// quote, text after a closing bracket, or no part at all.
std::optional<std::vector<std::string>> splitMultipartName(std::string_view text);

// An owner and name pair as given by a caller.
struct QualifiedName {
    std::string owner;  // empty when the caller gave the name alone
    std::string name;
};

// "name", "owner.name", "[owner].[name]" and "database.owner.name" (the database part is
// dropped). nullopt when malformed or when there are more than three parts.
std::optional<QualifiedName> parseQualifiedName(std::string_view text);

// "[" + name with every "]" doubled + "]".
std::string quoteName(std::string_view name);

}  // namespace sqldmo::model
