// Starting programs, documents, web pages and mail through the desktop.
#include "app/support/QMShell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

namespace tavil {

namespace {

// "scheme:" at the start, as addresses and "mailto:" have it; one letter followed by ":" is not
// taken for a scheme.
bool hasUrlScheme(const QString& text)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(text).hasMatch();
}

bool openWithDesktop(const QUrl& url) { return url.isValid() && QDesktopServices::openUrl(url); }

}  // namespace

QStringList SplitParameters(const QString& parameters)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    for (qsizetype i = 0; i < parameters.size(); ++i) {
        const QChar c = parameters[i];
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (inArgument) arguments << current;
            current.clear();
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == QLatin1Char('\'')) {
            const qsizetype end = parameters.indexOf(QLatin1Char('\''), i + 1);
            current += parameters.mid(i + 1, end < 0 ? -1 : end - i - 1);
            i = end < 0 ? parameters.size() : end;
        } else if (c == QLatin1Char('"')) {
            for (++i; i < parameters.size() && parameters[i] != QLatin1Char('"'); ++i) {
                if (parameters[i] == QLatin1Char('\\') && i + 1 < parameters.size() &&
                    (parameters[i + 1] == QLatin1Char('"') || parameters[i + 1] == QLatin1Char('\\')))
                    ++i;
                current += parameters[i];
            }
        } else if (c == QLatin1Char('\\') && i + 1 < parameters.size()) {
            current += parameters[++i];
        } else {
            current += c;
        }
    }
    if (inArgument) arguments << current;
    return arguments;
}

int ShellOpen(const QString& file, const QString& parameters, const QString& folder)
{
    try {
        if (file.isEmpty()) return seFileNotFound;
        if (!folder.isEmpty() && !QFileInfo(folder).isDir()) return sePathNotFound;
        // A relative name is looked for in the working folder, then (for a bare program name)
        // on PATH. What names a scheme and no file is an address.
        const QDir base = folder.isEmpty() ? QDir::current() : QDir(folder);
        QString path = base.absoluteFilePath(file);
        if (hasUrlScheme(file) && !QFileInfo::exists(path)) return openWithDesktop(QUrl(file)) ? seOk : seNoAssociation;
        if (!QFileInfo::exists(path)) {
            if (file.contains(QLatin1Char('/')))
                return QFileInfo(QFileInfo(path).absolutePath()).isDir() ? seFileNotFound : sePathNotFound;
            path = QStandardPaths::findExecutable(file);
            if (path.isEmpty()) return seFileNotFound;
        }

        const QFileInfo info(path);
        if (info.isFile() && info.isExecutable()) {
            const QStringList arguments = SplitParameters(parameters);
            return QProcess::startDetached(info.absoluteFilePath(), arguments, folder) ? seOk : seAccessDenied;
        }
        if (!info.isReadable()) return seAccessDenied;
        return openWithDesktop(QUrl::fromLocalFile(info.absoluteFilePath())) ? seOk : seNoAssociation;
    } catch (...) {
        return seOutOfResources;
    }
}

QString WebAddressUrl(const QString& address)
{
    if (address.isEmpty()) return address;
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    if (scheme.match(address).hasMatch() || address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive)) return address;
    return QStringLiteral("http://") + address;
}

void OpenWebAddress(const QString& address)
{
    try {
        if (address.isEmpty()) return;
        openWithDesktop(QUrl(WebAddressUrl(address)));
    } catch (...) {
    }
}

bool SendMailTo(const QString& address, const QString& subject, const QString& body)
{
    try {
        QUrl url;
        url.setScheme(QStringLiteral("mailto"));
        url.setPath(address);
        QUrlQuery query;
        if (!subject.isEmpty()) query.addQueryItem(QStringLiteral("subject"), QString::fromLatin1(QUrl::toPercentEncoding(subject)));
        if (!body.isEmpty()) query.addQueryItem(QStringLiteral("body"), QString::fromLatin1(QUrl::toPercentEncoding(body)));
        if (!query.isEmpty()) url.setQuery(query.query(QUrl::FullyEncoded), QUrl::StrictMode);
        return openWithDesktop(url);
    } catch (...) {
        return false;
    }
}

}  // namespace tavil
