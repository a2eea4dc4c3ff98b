// Mail through the desktop's mailto: handler.
#include "app/shell/messages/TQMMapi.h"

#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"

#include <QDesktopServices>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace tavil {

namespace {

bool openWithDesktop(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

std::function<bool(const QString&)>& opener()
{
    static std::function<bool(const QString&)> open = openWithDesktop;
    return open;
}

QStringList lines(const QString& text)
{
    QStringList out;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        const QString t = line.trimmed();
        if (!t.isEmpty()) out << t;
    }
    return out;
}

// Percent-encoding for mailto: fields; "@" stays readable in addresses.
QString encode(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text, QByteArrayLiteral("@")));
}

}  // namespace

void TQMMapi::SetOpener(std::function<bool(const QString&)> open)
{
    opener() = open ? std::move(open) : std::function<bool(const QString&)>(openWithDesktop);
}

QString TQMMapi::MailtoUrl() const
{
    QStringList to;
    for (const QString& r : lines(Recipients)) to << encode(r);
    QStringList fields;
    for (const QString& r : lines(CopyTo)) fields << QStringLiteral("cc=") + encode(r);
    for (const QString& r : lines(BlindCopyTo)) fields << QStringLiteral("bcc=") + encode(r);
    if (!Subject.isEmpty()) fields << QStringLiteral("subject=") + encode(Subject);
    if (!Body.isEmpty()) fields << QStringLiteral("body=") + encode(Body);
    for (const QString& f : lines(AttachedFiles)) fields << QStringLiteral("attach=") + encode(f);
    QString url = QStringLiteral("mailto:") + to.join(u',');
    if (!fields.isEmpty()) url += u'?' + fields.join(u'&');
    return url;
}

int TQMMapi::Send()
{
    const int result = opener()(MailtoUrl()) ? 0 : 1;
    if (result == 0) {
        if (OnSuccess) OnSuccess();
    } else if (OnUserAbort) {
        OnUserAbort();
    }
    return result;
}

void SendSupportEmail()
{
    try {
        const TQMApplication& app = QMApp();
        TQMMapi mail;
        mail.ShowDialog = true;
        mail.Recipients = app.SupportAddress;
        mail.Subject = app.FullName + u' ' + app.Version;
        mail.Body = QStringLiteral(" ");
        mail.Send();
    } catch (const std::exception& e) {
        throw EQMException(QStringLiteral("Unable to send mail to support."), EQMException::Warning,
                           QString::fromLocal8Bit(e.what()));
    }
}

}  // namespace tavil
