// tavilc generate: the script of a command file, as the program's Generate command makes it.
#include "app/model/TCmdFile.h"
#include "app/runs/TGeneration.h"
#include "app/support/EQMException.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"

#include <QFile>

namespace tavil::cli {

namespace {

const char kHelp[] =
    "Usage: tavilc generate FILE.qvx [-o OUT.sql]\n"
    "\n"
    "Writes the script of the command file FILE.qvx: connects to its server with its login,\n"
    "scripts its objects with its switches, and writes the script to OUT.sql (replaced only\n"
    "when the whole script is there) or to standard output. A snapshot server named with a\n"
    "relative path (\"file:shop.snapshot\") is found beside the command file. Progress goes\n"
    "to standard error when it is a terminal.\n"
    "\n"
    "Options:\n"
    "  -o, --output OUT.sql  write the script to this file (\"-\" for standard output)\n"
    "  -h, --help            show this text\n"
    "\n"
    "Exit status: 0 when the script was written, 1 when the run failed (the reason is on\n"
    "standard error), 2 for wrong usage.\n";

int RunGenerate(const QStringList& arguments)
{
    const Arguments args = parseArguments(arguments, {{"output", 'o', true}, {"help", 'h', false}});
    if (!args.error.isEmpty()) return usageError("generate", args.error);
    if (args.has(QStringLiteral("help"))) {
        print(stdout, QString::fromLatin1(kHelp));
        return kExitOk;
    }
    if (args.positional.size() != 1) return usageError("generate", QStringLiteral("name one command file"));
    const QString output = args.value(QStringLiteral("output"));
    const bool toStdout = output.isEmpty() || output == QLatin1String("-");

    try {
        loadOptions();
        const std::unique_ptr<TCmdFile> file = loadCommandFile(args.positional.first());
        QString resultPath;
        {
            TerminalProgress progress;
            progress.message(QStringLiteral("Generating script. Please wait..."));
            resultPath = Generate(
                *file, [&progress](int percent) { progress.percent(percent); },
                [&progress](const QString& message) { progress.message(message); });
            progress.percent(100);
            progress.message(QStringLiteral("Script generation succeeded."));
        }
        QFile result(resultPath);
        if (!result.open(QIODevice::ReadOnly))
            throw EQMException(QStringLiteral("Unable to read file '%1': %2").arg(resultPath, result.errorString()),
                               EQMException::Warning);
        const QByteArray script = result.readAll();
        if (toStdout) {
            if (!printBytes(stdout, script)) {
                printError("generate", QStringLiteral("Unable to write the script to standard output."));
                return kExitFailed;
            }
        } else {
            writeFileAtomically(output, script);
        }
        return kExitOk;
    } catch (const std::exception& e) {
        printError("generate", e);
    } catch (...) {
        printError("generate", QStringLiteral("Unexpected error."));
    }
    return kExitFailed;
}

}  // namespace

TAVILC_COMMAND(generate, "Write the script of a command file", RunGenerate)

}  // namespace tavil::cli
