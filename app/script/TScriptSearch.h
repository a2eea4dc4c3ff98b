// Searching and replacing in a text with a selection: forward only, no wrap-around. The rules
// live here as plain functions over TSearchSubject so that they can be checked without a window;
// the script window supplies a subject over its editor.
#pragma once

#include <QString>
#include <QStringView>
#include <functional>

namespace tavil {

struct TFindOptions {
    bool MatchCase = false;
    // A match must not have a word character (letter, digit, underscore) right before or after it.
    bool WholeWord = false;
};

// Letters, digits and "_": the characters of T-SQL identifiers.
bool IsWordChar(char32_t c);

// The first occurrence of pattern in text at or after `from`, or -1. An empty pattern is never
// found.
qsizetype FindInText(QStringView text, QStringView pattern, qsizetype from, TFindOptions options);

// Where a search starts: just after a non-empty selection; otherwise the caret (the selection's
// start) when fromCursor is set, else the start of the text.
qsizetype SearchStart(qsizetype selectionStart, qsizetype selectionLength, bool fromCursor);

// A text with one selection (the caret is the selection's start when it is empty). Positions
// count UTF-16 code units, line breaks one each.
class TSearchSubject {
public:
    virtual ~TSearchSubject() = default;
    virtual qsizetype SelectionStart() const = 0;
    virtual qsizetype SelectionLength() const = 0;
    // The first occurrence at or after `from`, or -1.
    virtual qsizetype Find(const QString& pattern, qsizetype from, TFindOptions options) const = 0;
    virtual void Select(qsizetype start, qsizetype length) = 0;
    // Replaces the selection by the text; afterwards nothing is selected and the caret is after it.
    virtual void ReplaceSelection(const QString& text) = 0;
    // Brackets a run of replacements made without asking (one undo step, no repaint between).
    virtual void BeginBatch() {}
    virtual void EndBatch() {}
};

enum class TReplaceAnswer { Yes, No, Cancel, All };
using TReplaceQuestion = std::function<TReplaceAnswer()>;

// Selects the next occurrence after the selection, or from the caret or the start of the text
// (SearchStart). False, with the selection unchanged, when there is none.
bool FindText(TSearchSubject& subject, const QString& text, TFindOptions options, bool fromCursor);

// Finds the next occurrence and asks (Yes or No) whether to replace it. False when there is none.
bool ReplaceOnce(TSearchSubject& subject, const QString& text, const QString& replacement, TFindOptions options,
                 bool fromCursor, const TReplaceQuestion& ask);

// Walks the occurrences from the first FindText finds, asking for each until the answer is All;
// each search starts just after the occurrence handled (after the inserted text when it was
// replaced), so a replacement that contains the text is not replaced again. Returns true when
// the walk was cancelled, false when it ran out of occurrences.
bool ReplaceAll(TSearchSubject& subject, const QString& text, const QString& replacement, TFindOptions options,
                bool fromCursor, const TReplaceQuestion& ask);

// A subject over a string of its own (tests, and texts that are not in an editor).
class TStringSubject : public TSearchSubject {
public:
    explicit TStringSubject(QString text, qsizetype selectionStart = 0, qsizetype selectionLength = 0)
        : text_(std::move(text)), start_(selectionStart), length_(selectionLength) {}

    const QString& Text() const { return text_; }
    qsizetype SelectionStart() const override { return start_; }
    qsizetype SelectionLength() const override { return length_; }
    qsizetype Find(const QString& pattern, qsizetype from, TFindOptions options) const override
    {
        return FindInText(text_, pattern, from, options);
    }
    void Select(qsizetype start, qsizetype length) override
    {
        start_ = start;
        length_ = length;
    }
    void ReplaceSelection(const QString& text) override
    {
        text_.replace(start_, length_, text);
        start_ += text.size();
        length_ = 0;
    }

private:
    QString text_;
    qsizetype start_;
    qsizetype length_;
};

// Moves the text to the top of a history list: an entry equal to it ignoring letter case goes
// first, so the list keeps the latest spelling once.
void PushHistory(QStringList& history, const QString& text);

}  // namespace tavil
