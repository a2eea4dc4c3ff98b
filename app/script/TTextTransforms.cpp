// Case conversions, line joining and date/time formats.
#include "app/script/TTextTransforms.h"

#include <QChar>

namespace tavil {

namespace {

int unitsOf(char32_t c) { return QChar::requiresSurrogates(c) ? 2 : 1; }

// The mapping when it keeps the UTF-16 length, otherwise the code point itself.
char32_t sameLength(char32_t original, char32_t mapped)
{
    return unitsOf(original) == unitsOf(mapped) ? mapped : original;
}

char32_t upper(char32_t c) { return sameLength(c, QChar::toUpper(c)); }
char32_t lower(char32_t c) { return sameLength(c, QChar::toLower(c)); }

}  // namespace

QString ConvertCase(const QString& text, TCaseConversion conversion)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    const qsizetype n = text.size();
    bool previousLetter = false;
    for (qsizetype i = 0; i < n;) {
        char32_t c = text[i].unicode();
        int units = 1;
        if (text[i].isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            units = 2;
        }
        char32_t r = c;
        switch (conversion) {
        case TCaseConversion::Upper: r = upper(c); break;
        case TCaseConversion::Lower: r = lower(c); break;
        case TCaseConversion::Toggle: r = QChar::isUpper(c) ? lower(c) : upper(c); break;
        case TCaseConversion::Title: {
            const bool letter = QChar::isLetter(c);
            if (letter) {
                if (previousLetter) r = QChar::isUpper(c) ? lower(c) : c;
                else r = QChar::isLower(c) ? upper(c) : c;
            }
            previousLetter = letter;
            break;
        }
        }
        if (units == 2) {
            dst[i] = QChar(QChar::highSurrogate(r));
            dst[i + 1] = QChar(QChar::lowSurrogate(r));
        } else {
            dst[i] = QChar(static_cast<char16_t>(r));
        }
        i += units;
    }
    return out;
}

QStringList SplitTextLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') continue;
        lines.append(text.mid(start, i - start).toString());
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < n) lines.append(text.mid(start).toString());
    return lines;
}

QString JoinLinesCrLf(const QStringList& lines)
{
    QString out;
    qsizetype size = 0;
    for (const QString& line : lines) size += line.size() + 2;
    out.reserve(size);
    for (const QString& line : lines) {
        out += line;
        out += QLatin1String("\r\n");
    }
    return out;
}

const char* DateTimeFormatCode(int entry)
{
    static const char* const codes[kDateTimeFormatCount] = {"c",       "ddddd",      "dddddd",    "t",
                                                            "tt",      "ddddd t",    "dddddd t",  "dddddd tt"};
    return entry >= 0 && entry < kDateTimeFormatCount ? codes[entry] : "";
}

QString FormatDateTimeEntry(const QDateTime& when, int entry, const QLocale& locale)
{
    auto fmt = [&](const QString& format) { return locale.toString(when, format); };
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString longDate = locale.dateFormat(QLocale::LongFormat);
    const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
    const QString longTime = locale.timeFormat(QLocale::LongFormat);
    const QString space = QStringLiteral(" ");
    switch (entry) {
    case 0: {
        const QTime t = when.time();
        if (t.hour() == 0 && t.minute() == 0 && t.second() == 0) return fmt(shortDate);
        return fmt(shortDate) + space + fmt(longTime);
    }
    case 1: return fmt(shortDate);
    case 2: return fmt(longDate);
    case 3: return fmt(shortTime);
    case 4: return fmt(longTime);
    case 5: return fmt(shortDate) + space + fmt(shortTime);
    case 6: return fmt(longDate) + space + fmt(shortTime);
    case 7: return fmt(longDate) + space + fmt(longTime);
    default: return QString();
    }
}

}  // namespace tavil
