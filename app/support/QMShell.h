// Starting programs, documents, web pages and mail through the desktop.
#pragma once

#include <QString>
#include <QStringList>

namespace tavil {

// Result codes of ShellOpen. Like the shell's, 32 or less means failure.
enum TQMShellResult : int {
    seOutOfResources = 0,
    seFileNotFound = 2,
    sePathNotFound = 3,
    seAccessDenied = 5,
    seNoAssociation = 31,
    seOk = 42,
};

// Opens `file`: a program (an executable file, or a name found on PATH) is started detached with
// the parameters (split by SplitParameters) in the working folder; a document,
// folder or address ("https://...", "mailto:...") is handed to the desktop's default
// application, and then the parameters are ignored. Empty texts mean none. Returns seOk, or the
// failure's code.
int ShellOpen(const QString& file, const QString& parameters = QString(), const QString& folder = QString());

// Splits a parameter text into arguments as a POSIX shell does, without expanding anything:
// blanks separate; '...' is taken literally; in "..." a backslash escapes " and \ only; outside
// quotes a backslash escapes the next character. An unterminated quote runs to the end.
QStringList SplitParameters(const QString& parameters);

// Does nothing for an empty address; otherwise prefixes "http://" when the address names no
// scheme of its own ("https://...", "ftp://...", "mailto:..." are kept), and opens it. The result
// is ignored.
void OpenWebAddress(const QString& address);
// The address OpenWebAddress would open.
QString WebAddressUrl(const QString& address);

// Opens the mail program with a new message to the address; true when the desktop took it.
bool SendMailTo(const QString& address, const QString& subject = QString(), const QString& body = QString());

}  // namespace tavil
