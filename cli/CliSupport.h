// What the subcommands of tavilc share: their argument parser, output to the standard streams,
// progress on a terminal, password input, snapshot server names relative to a folder.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <exception>

#include <memory>

namespace tavil {
class TCmdFile;
}

namespace tavil::cli {

// Writes text to a stream as UTF-8 and flushes it. False when the stream failed.
bool print(std::FILE* stream, const QString& text);
bool printBytes(std::FILE* stream, const QByteArray& bytes);

// "tavilc: <command>: <message>" on stderr, and the details indented below it when there are any.
void printError(const char* command, const QString& message, const QString& details = QString());
// The same for any exception: an EQMException's message and details, the layer's description,
// what() of anything else.
void printError(const char* command, const std::exception& e);

// The arguments of one command: options with values ("--name value", "--name=value", "-o value"),
// flags, and the rest as positional arguments ("--" ends the options).
struct Arguments {
    QMap<QString, QStringList> values;  // long option name (without dashes) → values, in order
    QStringList flags;                  // flags given
    QStringList positional;
    QString error;                      // non-empty when the arguments could not be read

    bool has(const QString& name) const { return values.contains(name) || flags.contains(name); }
    QString value(const QString& name) const { return values.value(name).value(0); }
};

// An option the command accepts. `shortName` may be 0; `takesValue` false makes it a flag.
struct OptionSpec {
    const char* name;
    char shortName;
    bool takesValue;
    bool repeatable = false;
};

Arguments parseArguments(const QStringList& arguments, const QList<OptionSpec>& options);

// Reports a usage error with a pointer to the command's --help; returns kExitUsage.
int usageError(const char* command, const QString& message);

// True when the stream is a terminal.
bool isTerminal(std::FILE* stream);

// Shows progress on stderr when it is a terminal: one line rewritten in place with the percent
// and the current message; finish() ends the line. Does nothing otherwise.
class TerminalProgress {
public:
    TerminalProgress();
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;
    void percent(int value);
    void message(const QString& text);
    void finish();

private:
    void draw();
    bool enabled_;
    bool drawn_ = false;
    int percent_ = 0;
    QString message_;
};

// The password of a login: from a prompt without echo when stdin is a terminal, otherwise the
// first line of stdin (its line end removed). Never from the command line.
QString readPassword(const QString& user);

// "file:PATH" with a relative PATH made absolute against folder ("~/" is the home folder); any
// other name unchanged.
QString resolveServerName(const QString& serverName, const QString& folder);

// Reads a command file (its FileName set to the absolute path, so that the runs find a snapshot
// server named relative to it). Raises EQMException.
std::unique_ptr<TCmdFile> loadCommandFile(const QString& path);

// Replaces path with the bytes atomically: on failure the old file (or none) stays. Raises
// EQMException naming the file and the reason.
void writeFileAtomically(const QString& path, const QByteArray& bytes);

// Loads the preferences the runs read (timeouts, packet size) from the settings store.
void loadOptions();

}  // namespace tavil::cli
