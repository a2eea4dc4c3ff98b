// Text transforms of the script editor as plain functions: case conversions that never change
// the text's length, the line handling of inserted files, and the date/time formats offered for
// insertion.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace tavil {

enum class TCaseConversion { Upper, Lower, Title, Toggle };

// Converts code point by code point with the simple (one-to-one) Unicode case mappings. A code
// point whose mapping would need a different number of UTF-16 units stays as it is, so the
// result always has the text's length and positions in it stay valid.
//   Title: the first letter of every run of letters upper-case, the rest lower-case; any
//          non-letter (digit, "_", "'", "-" ...) ends a run.
//   Toggle: upper-case letters become lower-case, everything else goes through the upper-case
//          mapping.
QString ConvertCase(const QString& text, TCaseConversion conversion);

// The lines of a text: a line ends at CR, LF or CR LF; a final line without a break counts, an
// empty text has none.
QStringList SplitTextLines(QStringView text);
// The lines with CR LF after every one of them, the last included.
QString JoinLinesCrLf(const QStringList& lines);

// The date/time entries of the Insert Date/Time dialog, in order.
inline constexpr int kDateTimeFormatCount = 8;
// The format code of an entry ("c", "ddddd", "dddddd", "t", "tt", "ddddd t", "dddddd t",
// "dddddd tt").
const char* DateTimeFormatCode(int entry);
// The moment rendered with an entry's format in the locale's short and long date and time
// formats. Entry 0 is the short date, then a space and the long time unless hours, minutes and
// seconds are all zero. An entry out of range gives an empty text.
QString FormatDateTimeEntry(const QDateTime& when, int entry, const QLocale& locale);

}  // namespace tavil
