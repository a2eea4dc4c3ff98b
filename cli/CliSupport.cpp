// Shared pieces of the tavilc subcommands.
#include "cli/CliSupport.h"

#include "app/catalogue/TDMOServer.h"
#include "app/model/TCmdFile.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/support/EQMException.h"
#include "cli/Commands.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <string>

namespace tavil::cli {

bool printBytes(std::FILE* stream, const QByteArray& bytes)
{
    const std::size_t n = static_cast<std::size_t>(bytes.size());
    const bool written = std::fwrite(bytes.constData(), 1, n, stream) == n;
    return std::fflush(stream) == 0 && written;
}

bool print(std::FILE* stream, const QString& text) { return printBytes(stream, text.toUtf8()); }

void printError(const char* command, const QString& message, const QString& details)
{
    QString text = QStringLiteral("tavilc: %1: %2\n").arg(QString::fromUtf8(command), message);
    for (const QString& line : details.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        text += QStringLiteral("  ") + line + QLatin1Char('\n');
    print(stderr, text);
}

void printError(const char* command, const std::exception& e)
{
    if (const auto* q = dynamic_cast<const EQMException*>(&e)) {
        printError(command, q->Message, q->Details);
        return;
    }
    printError(command, ErrorText(e));
}

Arguments parseArguments(const QStringList& arguments, const QList<OptionSpec>& options)
{
    Arguments result;
    auto find = [&](const QString& text, bool isShort) -> const OptionSpec* {
        for (const OptionSpec& o : options) {
            if (isShort ? (o.shortName && text == QChar::fromLatin1(o.shortName)) : text == QLatin1String(o.name))
                return &o;
        }
        return nullptr;
    };
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (optionsEnded || a == QLatin1String("-") || !a.startsWith(QLatin1Char('-'))) {
            result.positional << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const bool isLong = a.startsWith(QLatin1String("--"));
        QString name = isLong ? a.mid(2) : a.mid(1);
        QString value;
        bool inlineValue = false;
        if (isLong && name.contains(QLatin1Char('='))) {
            value = name.section(QLatin1Char('='), 1);
            name = name.section(QLatin1Char('='), 0, 0);
            inlineValue = true;
        } else if (!isLong && name.size() > 1) {
            value = name.mid(1);
            name = name.left(1);
            inlineValue = true;
        }
        const OptionSpec* spec = find(name, !isLong);
        if (!spec) {
            result.error = QStringLiteral("unknown option \"%1\"").arg(a);
            return result;
        }
        const QString longName = QLatin1String(spec->name);
        if (!spec->takesValue) {
            if (inlineValue) {
                result.error = QStringLiteral("option \"--%1\" takes no value").arg(longName);
                return result;
            }
            result.flags << longName;
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= arguments.size()) {
                result.error = QStringLiteral("option \"--%1\" needs a value").arg(longName);
                return result;
            }
            value = arguments[++i];
        }
        if (result.values.contains(longName) && !spec->repeatable) {
            result.error = QStringLiteral("option \"--%1\" given twice").arg(longName);
            return result;
        }
        result.values[longName] << value;
    }
    return result;
}

int usageError(const char* command, const QString& message)
{
    print(stderr, QStringLiteral("tavilc: %1: %2\nTry \"tavilc %1 --help\".\n").arg(QString::fromUtf8(command), message));
    return kExitUsage;
}

bool isTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

// ---- progress ----------------------------------------------------------------------------------

TerminalProgress::TerminalProgress() : enabled_(isTerminal(stderr)) {}

TerminalProgress::~TerminalProgress() { finish(); }

void TerminalProgress::percent(int value)
{
    percent_ = qBound(0, value, 100);
    draw();
}

void TerminalProgress::message(const QString& text)
{
    message_ = text.simplified();
    draw();
}

void TerminalProgress::draw()
{
    if (!enabled_) return;
    QString line = QStringLiteral("[%1%] %2").arg(percent_, 3).arg(message_);
    if (line.size() > 78) line = line.left(75) + QStringLiteral("...");
    // Carriage return, the line, then clear what a longer earlier line left.
    print(stderr, QLatin1Char('\r') + line + QStringLiteral("\x1b[K"));
    drawn_ = true;
}

void TerminalProgress::finish()
{
    if (enabled_ && drawn_) print(stderr, QStringLiteral("\n"));
    drawn_ = false;
}

// ---- passwords and names -----------------------------------------------------------------------

QString readPassword(const QString& user)
{
    std::string line;
    if (isTerminal(stdin)) {
        print(stderr, QStringLiteral("Password for %1: ").arg(user));
        termios saved{};
        const bool canHide = ::tcgetattr(STDIN_FILENO, &saved) == 0;
        if (canHide) {
            termios quiet = saved;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        }
        std::getline(std::cin, line);
        if (canHide) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        print(stderr, QStringLiteral("\n"));
    } else {
        std::getline(std::cin, line);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return QString::fromStdString(line);
}

QString resolveServerName(const QString& serverName, const QString& folder)
{
    return ResolveServerName(serverName, folder);
}

std::unique_ptr<TCmdFile> loadCommandFile(const QString& path)
{
    auto file = std::make_unique<TCmdFile>();
    file->LoadFromFile(path);
    file->FileName = QFileInfo(path).absoluteFilePath();
    return file;
}

void writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw EQMException(QStringLiteral("Unable to write file '%1': %2").arg(path, reason), EQMException::Warning);
    }
}

void loadOptions() { VELKOptions().Load(); }

}  // namespace tavil::cli
