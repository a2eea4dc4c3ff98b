// The mail sender: hands a message to the desktop's mail client through a mailto: address.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace tavil {

class TQMMapi {
public:
    QString Subject;
    QString Body;
    QString FromName;
    QString FromAdress;
    // One address per line.
    QString Recipients;
    QString CopyTo;
    QString BlindCopyTo;
    // One full path per line. mailto: cannot carry attachments; they are passed as "attach"
    // fields, which some mail clients honour and the others ignore.
    QString AttachedFiles;
    QString DisplayFileName;
    bool ShowDialog = true;

    std::function<void()> OnSuccess;
    std::function<void()> OnUserAbort;
    std::function<void(int code)> OnMapiError;

    // The mailto: address built from the fields.
    QString MailtoUrl() const;

    // Opens the mail client's compose window. Result 0 goes to OnSuccess, 1 (no mail client
    // could be started) to OnUserAbort. Returns the result.
    int Send();

    // How the address is opened; tests replace it. The default (also after an empty function)
    // asks the desktop.
    static void SetOpener(std::function<bool(const QString& url)> opener);
};

// Help > Send Email: a mail to the support address with the product and version as subject.
// Raises EQMException (severity 1) when the mail cannot be prepared or sent.
void SendSupportEmail();

}  // namespace tavil
