// Forward search and the replace walks.
#include "app/script/TScriptSearch.h"

#include <QChar>
#include <QStringList>

namespace tavil {

namespace {

// The code point that ends just before `index`, or 0 at the start.
char32_t codePointBefore(QStringView text, qsizetype index)
{
    if (index <= 0) return 0;
    const QChar low = text[index - 1];
    if (low.isLowSurrogate() && index >= 2 && text[index - 2].isHighSurrogate())
        return QChar::surrogateToUcs4(text[index - 2], low);
    return low.unicode();
}

// The code point that starts at `index`, or 0 at the end.
char32_t codePointAt(QStringView text, qsizetype index)
{
    if (index >= text.size()) return 0;
    const QChar high = text[index];
    if (high.isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(high, text[index + 1]);
    return high.unicode();
}

qsizetype findFrom(TSearchSubject& subject, const QString& text, qsizetype from, TFindOptions options)
{
    const qsizetype at = subject.Find(text, from, options);
    if (at >= 0) subject.Select(at, text.size());
    return at;
}

}  // namespace

bool IsWordChar(char32_t c)
{
    return c == U'_' || QChar::isLetterOrNumber(c);
}

qsizetype FindInText(QStringView text, QStringView pattern, qsizetype from, TFindOptions options)
{
    if (pattern.isEmpty()) return -1;
    if (from < 0) from = 0;
    const Qt::CaseSensitivity cs = options.MatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    while (from <= text.size() - pattern.size()) {
        const qsizetype at = text.indexOf(pattern, from, cs);
        if (at < 0) return -1;
        if (!options.WholeWord) return at;
        const qsizetype end = at + pattern.size();
        if (!IsWordChar(codePointBefore(text, at)) && !IsWordChar(codePointAt(text, end))) return at;
        from = at + 1;
    }
    return -1;
}

qsizetype SearchStart(qsizetype selectionStart, qsizetype selectionLength, bool fromCursor)
{
    if (selectionLength > 0) return selectionStart + selectionLength;
    return fromCursor ? selectionStart : 0;
}

bool FindText(TSearchSubject& subject, const QString& text, TFindOptions options, bool fromCursor)
{
    const qsizetype from = SearchStart(subject.SelectionStart(), subject.SelectionLength(), fromCursor);
    return findFrom(subject, text, from, options) >= 0;
}

bool ReplaceOnce(TSearchSubject& subject, const QString& text, const QString& replacement, TFindOptions options,
                 bool fromCursor, const TReplaceQuestion& ask)
{
    if (!FindText(subject, text, options, fromCursor)) return false;
    if (ask() == TReplaceAnswer::Yes) subject.ReplaceSelection(replacement);
    return true;
}

bool ReplaceAll(TSearchSubject& subject, const QString& text, const QString& replacement, TFindOptions options,
                bool fromCursor, const TReplaceQuestion& ask)
{
    if (!FindText(subject, text, options, fromCursor)) return false;
    qsizetype at = subject.SelectionStart();
    bool asking = true;
    // The batch is open from the answer All to the end of the walk.
    struct Batch {
        TSearchSubject& s;
        bool open = false;
        ~Batch()
        {
            if (open) s.EndBatch();
        }
    } batch{subject};
    while (at >= 0) {
        const TReplaceAnswer answer = asking ? ask() : TReplaceAnswer::Yes;
        if (answer == TReplaceAnswer::Cancel) return true;
        qsizetype next = at + text.size();
        if (answer == TReplaceAnswer::All) {
            asking = false;
            subject.BeginBatch();
            batch.open = true;
        }
        if (answer != TReplaceAnswer::No) {
            subject.ReplaceSelection(replacement);
            next = at + replacement.size();
        }
        at = findFrom(subject, text, next, options);
    }
    return false;
}

void PushHistory(QStringList& history, const QString& text)
{
    for (qsizetype i = history.size() - 1; i >= 0; --i)
        if (history[i].compare(text, Qt::CaseInsensitive) == 0) history.removeAt(i);
    history.prepend(text);
}

}  // namespace tavil
