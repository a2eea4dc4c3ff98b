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

int ShellOpen(const QString& file, const QString& parameters, const QString& folder)
{
    try {
        if (file.isEmpty()) return seFileNotFound;
        if (!folder.isEmpty() && !QFileInfo(folder).isDir()) return sePathNotFound;
        if (hasUrlScheme(file) && !file.startsWith(QLatin1Char('/')))
            return openWithDesktop(QUrl(file)) ? seOk : seNoAssociation;

        // A relative name is looked for in the working folder, then (for a bare program name)
        // on PATH.
        QString path;
        const QDir base = folder.isEmpty() ? QDir::current() : QDir(folder);
        if (QFileInfo::exists(base.absoluteFilePath(file))) path = base.absoluteFilePath(file);
        else if (!file.contains(QLatin1Char('/'))) path = QStandardPaths::findExecutable(file);
        if (path.isEmpty()) return file.contains(QLatin1Char('/')) && !QFileInfo(QFileInfo(base.absoluteFilePath(file)).absolutePath()).isDir()
                                       ? sePathNotFound
                                       : seFileNotFound;

        const QFileInfo info(path);
        if (info.isFile() && info.isExecutable()) {
            const QStringList arguments = QProcess::splitCommand(parameters);
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
