// Command-line file names.
#include "app/shell/core/CommandLine.h"

#include <QFile>
#include <sys/stat.h>

namespace tavil {

QString AsciiUpper(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - (u'a' - u'A'));
    return out;
}

bool SameNameAscii(const QString& a, const QString& b) { return AsciiUpper(a) == AsciiUpper(b); }

bool SameFile(const QString& a, const QString& b)
{
    struct stat sa {}, sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return SameNameAscii(a, b);
}

QStringList CollectCommandLineFiles(const QStringList& arguments)
{
    QStringList files;
    for (int i = 1; i < arguments.size() && i <= 5; ++i) {
        const QString& arg = arguments[i];
        bool seen = false;
        for (const QString& f : files) seen = seen || SameNameAscii(f, arg);
        if (!seen) files << arg;
    }
    return files;
}

}  // namespace tavil
