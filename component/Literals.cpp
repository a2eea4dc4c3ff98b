// Literals of table values.
#include "component/Literals.h"

#include <charconv>
#include <cmath>

#include "component/ComError.h"
#include "component/Text.h"

namespace korva::detail {
namespace {

using sqldmo::SqlType;
using sqldmo::Value;

void appendInteger(ScriptBuffer& out, std::int64_t value) {
    char* p = out.tail(24);
    auto r = std::to_chars(p, p + 24, value);
    out.commit(static_cast<std::size_t>(r.ptr - p));
}

// Shortest digits that read back to the same value; `scientific` forces the exponent form,
// which T-SQL reads as a float.
void appendFloat(ScriptBuffer& out, double value, bool single, bool scientific) {
    if (!std::isfinite(value))
        throw ComError(status::InvalidArgument, kComponentSource,
                       "The floating-point value " + std::to_string(value) + " has no T-SQL literal.");
    char* p = out.tail(40);
    std::to_chars_result r;
    if (single) {
        float f = static_cast<float>(value);
        r = scientific ? std::to_chars(p, p + 40, f, std::chars_format::scientific) : std::to_chars(p, p + 40, f);
    } else {
        r = scientific ? std::to_chars(p, p + 40, value, std::chars_format::scientific)
                       : std::to_chars(p, p + 40, value);
    }
    out.commit(static_cast<std::size_t>(r.ptr - p));
}

// Exact numbers arrive as text; anything but an optional sign, digits and one point would be
// SQL in the script, so it is refused.
void appendExact(ScriptBuffer& out, const std::string& text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    bool digits = false, point = false, valid = i < text.size();
    for (; i < text.size() && valid; ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') digits = true;
        else if (c == '.' && !point) point = true;
        else valid = false;
    }
    if (!valid || !digits)
        throw ComError(status::InvalidArgument, kComponentSource,
                       "The exact numeric value '" + text + "' is not a number.");
    out.append(text);
}

void append2(ScriptBuffer& out, int value) {
    char buf[2] = {static_cast<char>('0' + (value / 10) % 10), static_cast<char>('0' + value % 10)};
    out.append(std::string_view(buf, 2));
}

void appendDateTimeText(ScriptBuffer& out, const sqldmo::DateTimeValue& dt) {
    out.append('\'');
    if (dt.year >= 0 && dt.year <= 9999) {
        append2(out, dt.year / 100);
        append2(out, dt.year % 100);
    } else {
        appendInteger(out, dt.year);
    }
    out.append('-');
    append2(out, dt.month);
    out.append('-');
    append2(out, dt.day);
    out.append('T');
    append2(out, dt.hour);
    out.append(':');
    append2(out, dt.minute);
    out.append(':');
    append2(out, dt.second);
    out.append('.');
    int ms = dt.millisecond;
    char m[3] = {static_cast<char>('0' + (ms / 100) % 10), static_cast<char>('0' + (ms / 10) % 10),
                 static_cast<char>('0' + ms % 10)};
    out.append(std::string_view(m, 3));
    out.append('\'');
}

void appendHex(ScriptBuffer& out, const std::string& bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    char* p = out.tail(2 + bytes.size() * 2);
    *p++ = '0';
    *p++ = 'x';
    for (unsigned char b : bytes) {
        *p++ = digits[b >> 4];
        *p++ = digits[b & 0xF];
    }
    out.commit(2 + bytes.size() * 2);
}

bool isWordCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool startsWithWord(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i]) return false;
    }
    return text.size() == word.size() || !isWordCharacter(text[word.size()]) ||
           (word == "go" && text[word.size()] >= '0' && text[word.size()] <= '9');
}

// Whether the line starting at `pos` would be taken by a batch-splitting tool for one of its
// own commands: GO (the batch separator), EXIT, QUIT, RESET, ED, "!!" (a shell command) or
// anything beginning with ":" (:r includes a file). Such tools read these lines inside string
// literals too. Deliberately broad.
bool readsAsToolCommand(std::string_view text, std::size_t pos) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    std::string_view line = text.substr(pos);
    if (line.empty()) return false;
    if (line[0] == ':' || (line.size() >= 2 && line[0] == '!' && line[1] == '!')) return true;
    for (std::string_view word : {"go", "exit", "quit", "reset", "ed"})
        if (startsWithWord(line, word)) return true;
    return false;
}

// A character literal: quoted runs and CHAR()/NCHAR() pieces joined with " + ". A lone CR or LF
// becomes a piece only when `splitLoneBreaks`.
void appendPieces(ScriptBuffer& out, std::string_view text, bool unicode, bool splitLoneBreaks) {
    const std::string_view quote = unicode ? "N'" : "'";
    const std::string_view charFunction = unicode ? "NCHAR(" : "CHAR(";
    bool first = true;
    bool open = false;
    auto openRun = [&] {
        if (open) return;
        if (!first) out.append(" + ");
        out.append(quote);
        open = true;
        first = false;
    };
    auto special = [&](int code) {
        if (open) {
            out.append('\'');
            open = false;
        }
        if (!first) out.append(" + ");
        out.append(charFunction);
        appendInteger(out, code);
        out.append(')');
        first = false;
    };
    std::size_t i = 0;
    while (i < text.size()) {
        // The longest run of ordinary characters.
        std::size_t j = i;
        while (j < text.size() && text[j] != '\'' && text[j] != '\0' && text[j] != '\r' && text[j] != '\n' &&
               !(text[j] == '$' && j + 1 < text.size() && text[j + 1] == '('))
            ++j;
        if (j > i) {
            openRun();
            out.append(text.substr(i, j - i));
            i = j;
            continue;
        }
        char c = text[i];
        if (c == '\'') {
            openRun();
            out.append("''");
            ++i;
        } else if (c == '$') {
            // "$(" would be a variable reference to such tools: the literal is cut between the two.
            openRun();
            out.append("$'");
            open = false;
            ++i;
        } else if (c == '\0') {
            special(0);
            ++i;
        } else {
            std::size_t length = (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            // Scripts are stored and shown with CR LF line ends, so a lone CR or LF inside a value
            // would come back as CR LF: it is written as CHAR(13) / CHAR(10) to survive exactly.
            if ((length == 1 && splitLoneBreaks) || readsAsToolCommand(text, i + length)) {
                for (std::size_t k = 0; k < length; ++k) special(text[i + k]);
            } else {
                openRun();
                out.append(text.substr(i, length));
            }
            i += length;
        }
    }
    if (first) openRun();
    if (open) out.append('\'');
}

// The whole value in one quoted literal, only its quotes doubled.
void appendWhole(ScriptBuffer& out, std::string_view text, bool unicode) {
    out.append(unicode ? "N'" : "'");
    for (std::size_t i = 0; i < text.size();) {
        std::size_t j = text.find('\'', i);
        if (j == std::string_view::npos) j = text.size();
        out.append(text.substr(i, j - i));
        if (j < text.size()) out.append("''");
        i = j + 1;
    }
    out.append('\'');
}

// Whether the pieces of `text` can be joined without a max type: the server types such a sum
// as varchar(8000) or nvarchar(4000) at most and cuts what is longer. The bytes of a varchar
// literal are counted in UTF-8, which no code page of the server exceeds; nvarchar counts
// UTF-16 code units, never more than the UTF-8 bytes.
bool joinsWithoutMaxType(std::string_view text, bool unicode) {
    const std::size_t limit = unicode ? 4000 : 8000;
    if (text.size() <= limit) return true;
    return unicode && utf16Length(text) <= limit;
}

// Whether anything but a lone CR or LF calls for a piece: a NUL, "$(", or a line a batch tool
// would take for its command.
bool needsPieces(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\0' || (c == '$' && i + 1 < text.size() && text[i + 1] == '(')) return true;
        if ((c == '\r' || c == '\n') && readsAsToolCommand(text, i + 1)) return true;
    }
    return false;
}

LiteralForm appendString(ScriptBuffer& out, std::string_view text, bool unicode, bool maxTypes) {
    if (joinsWithoutMaxType(text, unicode)) {
        appendPieces(out, text, unicode, true);
        return LiteralForm::Direct;
    }
    // Too long to be joined as it is. Lone line breaks stay inside the literal: a changed line
    // end is a smaller risk than a value cut short.
    if (!needsPieces(text)) {
        appendWhole(out, text, unicode);
        return LiteralForm::Direct;
    }
    if (maxTypes) {
        // The sum is typed by its first operand on: a max-typed empty string first keeps it whole.
        out.append(unicode ? "CAST(N'' AS nvarchar(max)) + " : "CAST('' AS varchar(max)) + ");
        appendPieces(out, text, unicode, false);
        return LiteralForm::Direct;
    }
    // Older servers cannot hold the value in any expression; a single literal can, and the
    // statement around it is then run through EXEC, whose text can be joined at any length.
    appendWhole(out, text, unicode);
    return LiteralForm::ThroughExec;
}

std::size_t utf8Characters(std::string_view text) {
    std::size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

// CAST(<literal> AS <type>) around what `literal` writes.
template <class Literal>
void appendCast(ScriptBuffer& out, std::string_view typeText, Literal&& literal) {
    out.append("CAST(");
    literal();
    out.append(" AS ");
    out.append(typeText);
    out.append(')');
}

std::string lengthType(std::string_view name, int length, int maximum) {
    if (length < 1) length = 1;
    if (length > maximum) length = maximum;
    return std::string(name) + "(" + std::to_string(length) + ")";
}

// A sql_variant value: a literal of its base type that reads back as that type.
LiteralForm appendVariant(ScriptBuffer& out, const Value& v, bool maxTypes) {
    std::string_view typeName = sqldmo::sqlTypeName(v.type);
    switch (v.type) {
    case SqlType::Int:
        appendInteger(out, v.integer);
        return LiteralForm::Direct;
    case SqlType::Bit:
        appendCast(out, typeName, [&] { out.append(v.integer != 0 ? '1' : '0'); });
        return LiteralForm::Direct;
    case SqlType::TinyInt:
    case SqlType::SmallInt:
    case SqlType::BigInt:
        appendCast(out, typeName, [&] { appendInteger(out, v.integer); });
        return LiteralForm::Direct;
    case SqlType::Float:
        appendFloat(out, v.real, false, true);
        return LiteralForm::Direct;
    case SqlType::Real:
        appendCast(out, typeName, [&] { appendFloat(out, v.real, true, true); });
        return LiteralForm::Direct;
    case SqlType::Decimal:
    case SqlType::Numeric:
        if (v.precision > 0) {
            std::string t = std::string(typeName) + "(" + std::to_string(v.precision) + "," +
                            std::to_string(v.scale) + ")";
            appendCast(out, t, [&] { appendExact(out, v.text); });
        } else {
            appendExact(out, v.text);
        }
        return LiteralForm::Direct;
    case SqlType::Money:
    case SqlType::SmallMoney:
        appendCast(out, typeName, [&] { appendExact(out, v.text); });
        return LiteralForm::Direct;
    case SqlType::Char:
    case SqlType::VarChar:
    case SqlType::NChar:
    case SqlType::NVarChar: {
        bool unicode = v.type == SqlType::NChar || v.type == SqlType::NVarChar;
        int length = v.maxLength > 0 ? v.maxLength : static_cast<int>(utf8Characters(v.text));
        LiteralForm form = LiteralForm::Direct;
        appendCast(out, lengthType(typeName, length, unicode ? 4000 : 8000),
                   [&] { form = appendString(out, v.text, unicode, maxTypes); });
        return form;
    }
    case SqlType::VarBinary:
        appendHex(out, v.text);
        return LiteralForm::Direct;
    case SqlType::Binary: {
        int length = v.maxLength > 0 ? v.maxLength : static_cast<int>(v.text.size());
        appendCast(out, lengthType(typeName, length, 8000), [&] { appendHex(out, v.text); });
        return LiteralForm::Direct;
    }
    case SqlType::DateTime:
    case SqlType::SmallDateTime:
        appendCast(out, typeName, [&] { appendDateTimeText(out, v.dateTime); });
        return LiteralForm::Direct;
    case SqlType::UniqueIdentifier:
        appendCast(out, typeName, [&] { appendPieces(out, v.text, false, true); });
        return LiteralForm::Direct;
    default:
        break;
    }
    throw ComError(status::InvalidArgument, kComponentSource,
                   "A sql_variant value of type '" + std::string(typeName) + "' has no T-SQL literal.");
}

bool isUnicode(SqlType t) { return t == SqlType::NChar || t == SqlType::NVarChar || t == SqlType::NText; }

}  // namespace

LiteralForm appendLiteral(ScriptBuffer& out, const Value& value, SqlType columnType, bool maxTypes) {
    if (value.isNull()) {
        out.append("NULL");
        return LiteralForm::Direct;
    }
    if (value.variant || columnType == SqlType::SqlVariant) return appendVariant(out, value, maxTypes);
    SqlType type = columnType != SqlType::Unknown ? columnType : value.type;
    switch (value.kind) {
    case Value::Kind::Integer:
        if (type == SqlType::Bit) out.append(value.integer != 0 ? '1' : '0');
        else appendInteger(out, value.integer);
        return LiteralForm::Direct;
    case Value::Kind::Float:
        appendFloat(out, value.real, type == SqlType::Real, false);
        return LiteralForm::Direct;
    case Value::Kind::Exact:
        appendExact(out, value.text);
        return LiteralForm::Direct;
    case Value::Kind::Text:
        return appendString(out, value.text, isUnicode(type), maxTypes);
    case Value::Kind::Binary:
        appendHex(out, value.text);
        return LiteralForm::Direct;
    case Value::Kind::DateTime:
        appendDateTimeText(out, value.dateTime);
        return LiteralForm::Direct;
    case Value::Kind::Guid:
        appendPieces(out, value.text, false, true);
        return LiteralForm::Direct;
    case Value::Kind::Null:
        break;
    }
    out.append("NULL");
    return LiteralForm::Direct;
}

void runThroughExec(ScriptBuffer& out, std::size_t start, bool declareVariables) {
    // Pieces of at most 4000 bytes hold at most 4000 characters: older servers take an
    // nvarchar literal up to that length as nvarchar, and EXEC joins such pieces at any length.
    constexpr std::size_t kPiece = 4000;
    const std::string statement(out.view().substr(start));
    out.truncate(start);
    if (declareVariables) {
        out.append("-- Run through EXEC: a value too long to be joined from pieces holds lines that batch tools "
                   "would read as commands.\r\n");
        out.append("DECLARE @cr nchar(1), @lf nchar(1), @nul nchar(1)\r\n");
        out.append("SELECT @cr = NCHAR(13), @lf = NCHAR(10), @nul = NCHAR(0)\r\n");
    }
    out.append("EXEC (");
    const std::string_view text = statement;
    bool first = true;
    bool lineBefore = false;
    auto separator = [&] {
        if (!first) out.append(lineBefore ? std::string_view("\r\n\t+ ") : std::string_view(" + "));
        first = false;
        lineBefore = false;
    };
    auto piece = [&](std::string_view run) {
        while (!run.empty()) {
            std::size_t n = run.size();
            if (n > kPiece) {
                n = kPiece;
                while (n > 0 && (static_cast<unsigned char>(run[n]) & 0xC0) == 0x80) --n;
            }
            separator();
            appendWhole(out, run.substr(0, n), true);
            run.remove_prefix(n);
        }
    };
    // Line breaks and NULs come from variables, "$(" is cut: no line of the script begins
    // inside the statement's text, and nothing in it is read by a batch tool.
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n' || c == '\0') {
            piece(text.substr(runStart, i - runStart));
            separator();
            out.append(c == '\r' ? "@cr" : c == '\n' ? "@lf" : "@nul");
            lineBefore = c == '\n';
            runStart = i + 1;
        } else if (c == '$' && i + 1 < text.size() && text[i + 1] == '(') {
            piece(text.substr(runStart, i + 1 - runStart));
            runStart = i + 1;
        }
    }
    piece(text.substr(runStart));
    out.append(')');
}

std::string bracketName(std::string_view name) {
    std::string s;
    s.reserve(name.size() + 2);
    s += '[';
    for (char c : name) {
        s += c;
        if (c == ']') s += ']';
    }
    s += ']';
    return s;
}

}  // namespace korva::detail
