// Reading and writing script files. A file keeps its own line breaks and character set when it
// is saved again: the first line break of the file sets the style, and a file read as
// Windows-1252 (not valid UTF-8) is written as Windows-1252 while every character fits.
#pragma once

#include <QByteArray>
#include <QString>
#include <stdexcept>

class QTextDocument;

namespace tavil {

struct TScriptFileFormat {
    enum Encoding { Utf8, Utf8WithBom, Windows1252 };
    Encoding Encoding = Utf8;
    // "\r\n", "\n" or "\r".
    QString LineBreak = QStringLiteral("\n");
};

// The text of a file's bytes and the format they were written in. The byte-order mark is not
// part of the text.
struct TScriptText {
    QString Text;
    TScriptFileFormat Format;
};
TScriptText DecodeScript(const QByteArray& bytes);

// Reading or writing failed; what() is the system's reason.
class TScriptFileError : public std::runtime_error {
public:
    explicit TScriptFileError(const QString& reason) : std::runtime_error(reason.toStdString()), Reason(reason) {}
    QString Reason;
};

// Reads and decodes a whole file. Raises TScriptFileError.
TScriptText ReadScriptFile(const QString& path);

// Writes the document's lines joined by the format's line break, through a temporary file that
// replaces the target only when everything was written (the old file is untouched otherwise).
// Returns the format actually written: a Windows-1252 file with characters outside that
// character set is written as UTF-8. Raises TScriptFileError.
TScriptFileFormat WriteScriptFile(const QString& path, const QTextDocument& document, const TScriptFileFormat& format);

// Windows-1252 bytes of the text; false when a character has no byte there.
bool EncodeWindows1252(QStringView text, QByteArray& out);

}  // namespace tavil
