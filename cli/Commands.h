// The subcommands of tavilc. Each lives in a file of its own (cli/Cmd<Name>.cpp) as one function
// taking the arguments after the command's name and returning the exit code, and registers
// itself with TAVILC_COMMAND; main.cpp dispatches to it. A command prints its own --help.
//
// Exit codes: 0 success, 1 the work failed (the message is on stderr), 2 wrong usage.
#pragma once

#include <QStringList>

namespace tavil::cli {

using CommandFunction = int (*)(const QStringList& arguments);

struct Command {
    const char* name;     // as typed: "generate"
    const char* summary;  // one line for the usage text
    CommandFunction run;
};

// Registers a command (done by TAVILC_COMMAND at start-up). Returns true.
bool registerCommand(const Command& command);
// The commands in the order of their names.
QList<Command> commands();

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

}  // namespace tavil::cli

// In a command's file: TAVILC_COMMAND(generate, "Write the script of a command file", RunGenerate);
#define TAVILC_COMMAND(name, summary, function)                                                  \
    namespace {                                                                                  \
    [[maybe_unused]] const bool tavilc_registered_##name =                                       \
        ::tavil::cli::registerCommand({#name, summary, &function});                              \
    }
