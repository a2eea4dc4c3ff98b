// Quoting helpers of the scripter: identifiers, string literals, comment text and the batch
// form sqlcmd cannot misread. Pure functions; none of them looks at the catalogue.
#pragma once

#include <string>
#include <string_view>

namespace sqldmo::script::quote {

// "[" name "]" with every "]" inside doubled: [Order]]Lines].
std::string identifier(std::string_view name);
void appendIdentifier(std::string& out, std::string_view name);

// [owner].[name], or just [name] when ownerQualify is false or the owner is empty.
std::string qualified(std::string_view owner, std::string_view name, bool ownerQualify);

// N'text' with every single quote doubled.
std::string unicode(std::string_view text);
void appendUnicode(std::string& out, std::string_view text);

// Text that can stand inside a /* */ or -- comment on one line: line breaks and other control
// characters become blanks, "*/" and "/*" (T-SQL comments nest) are split, and "$(" (a sqlcmd
// variable) is split too.
std::string commentText(std::string_view text);

// True when the whole expression is one parenthesised group: "(a) + (b)" is not, "((a) + (b))"
// is. Quoted strings and bracketed names are skipped.
bool enclosedInParentheses(std::string_view expression);
// The expression itself when it is enclosed, else "(" expression ")".
std::string parenthesized(std::string_view expression);

// True for a plain word of letters, digits and "_" (collation names, which cannot be quoted).
bool isPlainWord(std::string_view text) noexcept;

// True when sqlcmd runs the batch text unchanged: no line of it reads as a sqlcmd command
// (GO, :r, !!, EXIT, QUIT, RESET, ED) and it holds no "$(" variable reference. Batch separators
// and commands are recognised by sqlcmd whatever the T-SQL around them (inside strings and
// comments too), so a stored text holding such a line would be cut or changed.
bool sqlcmdSafe(std::string_view batch);

// The batch run through EXEC, with its text as a Unicode literal in which no line break or
// "$(" appears: breaks come from variables, literals are cut into pieces of at most 4000
// characters. The server receives exactly the batch's text.
std::string execWrapped(std::string_view batch, std::string_view newline);

}  // namespace sqldmo::script::quote
