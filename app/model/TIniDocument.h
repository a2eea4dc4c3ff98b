// The tolerant reader of INI text used by command files: trimmed lines, ";" comments, keys
// before the first section ignored, sections and keys looked up without regard to case, a key
// line split at its first "=".
#pragma once

#include <QHash>
#include <QString>

#include <vector>

namespace tavil {

class TIniDocument {
public:
    struct Entry {
        QString Key;    // as written, trimmed
        QString Value;  // trimmed; empty for a line without "="
    };

    // Receives the lines of a text as the reading rules see them, in file order.
    class Visitor {
    public:
        virtual ~Visitor() = default;
        // A section line, with the name between the brackets trimmed.
        virtual void OnSection(QStringView name) = 0;
        // A key line after the first section line: key and value trimmed, the value empty for a
        // line without "=". Returning false ends the reading.
        virtual bool OnEntry(QStringView key, QStringView value) = 0;
    };

    // Reads the text by the same rules as Parse, keeping nothing: a reader that needs a few
    // keys of a large file looks at each line once instead of holding all of them.
    static void Scan(QStringView text, Visitor& visitor);

    // Reads the whole text; never fails. Lines end at CR, LF or CR LF. A section named twice
    // is one section: the keys of its later parts follow those of the first.
    static TIniDocument Parse(const QString& text);

    // The entries of a section in file order, or nullptr when the file has no such section.
    const std::vector<Entry>* Section(const QString& name) const;

    // The value of the first entry of the key in the section, or the default when there is none.
    QString ReadString(const QString& section, const QString& key, const QString& def = QString()) const;

    // A value read as an integer (see ParseInteger): non-zero is true; a missing, empty or
    // non-numeric value gives the default.
    bool ReadBool(const QString& section, const QString& key, bool def) const;

    // Decimal with an optional sign (32-bit signed range), or hexadecimal when the text is
    // longer than two characters and starts with "0x" or "0X" (up to 0xFFFFFFFF, which reads
    // as the signed value of those bits). False when the text is not such a number.
    static bool ParseInteger(const QString& text, qint32& value);

    // Drops the characters up to U+0020 at both ends, as the file's reading rules do. Other
    // white space (no-break space and the like) belongs to the value.
    static QString Trim(QStringView text);

private:
    struct SectionData {
        QString Name;
        std::vector<Entry> Entries;
    };

    const Entry* find(const QString& section, const QString& key) const;

    std::vector<SectionData> sections_;
    QHash<QString, size_t> byName_;  // case-folded name → index into sections_
};

}  // namespace tavil
