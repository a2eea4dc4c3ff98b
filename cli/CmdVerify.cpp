// tavilc verify: the verification report of a command file, as the program's Verify command
// shows it.
#include "app/model/TCmdFile.h"
#include "app/runs/TVerification.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"

namespace tavil::cli {

namespace {

const char kHelp[] =
    "Usage: tavilc verify FILE.qvx\n"
    "\n"
    "Checks the command file FILE.qvx against its server: the connection, the server's\n"
    "version, the database, every listed object and the switches, and prints one line per\n"
    "check followed by the number of errors found.\n"
    "\n"
    "Options:\n"
    "  -h, --help  show this text\n"
    "\n"
    "Exit status: 0 when no errors were found, 1 when the report lists errors, 2 when the\n"
    "checks could not be made (an unreadable command file, a server that cannot be opened,\n"
    "a database that is not there, wrong usage).\n";

// The report on standard output, line by line as the dialog's details show it.
class StdoutReport final : public TVerificationSink {
public:
    ~StdoutReport() override { flushLine(); }
    void AppendLine(const QString& text) override
    {
        flushLine();
        line_ = text;
        open_ = true;
    }
    void AppendToLine(const QString& text) override
    {
        line_ += text;
        open_ = true;
    }
    void Progress(int) override {}
    void Description(const QString&) override {}
    void ShowErrorMark() override {}
    void flushLine()
    {
        if (open_) print(stdout, line_ + QLatin1Char('\n'));
        open_ = false;
        line_.clear();
    }

private:
    QString line_;
    bool open_ = false;
};

int RunVerify(const QStringList& arguments)
{
    const Arguments args = parseArguments(arguments, {{"help", 'h', false}});
    if (!args.error.isEmpty()) return usageError("verify", args.error);
    if (args.has(QStringLiteral("help"))) {
        print(stdout, QString::fromLatin1(kHelp));
        return kExitOk;
    }
    if (args.positional.size() != 1) return usageError("verify", QStringLiteral("name one command file"));
    try {
        loadOptions();
        const std::unique_ptr<TCmdFile> file = loadCommandFile(args.positional.first());
        StdoutReport report;
        const TVerificationResult result = Verify(*file, report);
        report.flushLine();
        if (result.Aborted) {
            if (!result.AbortDetails.isEmpty()) printError("verify", result.AbortDetails);
            return kExitUsage;
        }
        return result.ErrorCount > 0 ? kExitFailed : kExitOk;
    } catch (const std::exception& e) {
        printError("verify", e);
    } catch (...) {
        printError("verify", QStringLiteral("Unexpected error."));
    }
    return kExitUsage;
}

}  // namespace

TAVILC_COMMAND(verify, "Check a command file against its server", RunVerify)

}  // namespace tavil::cli
