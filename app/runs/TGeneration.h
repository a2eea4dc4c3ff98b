// The generation run of a command file: hands the connection, the objects and the switches to
// the scripting component, adds the tables in dependency order, lets the component write the
// script and stores it in the run's result file. Independent of any window: the run dialog and
// tavilc drive the same code through the two sinks.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace tavil {

class TCmdFile;

// Progress of the component's work in percent, and its current message. Called on the calling
// thread while the script is generated; an empty function is ignored. A sink must not start
// another run.
using PercentSink = std::function<void(int percent)>;
using MessageSink = std::function<void(const QString& message)>;

// Runs the generation and returns the path of the result file. The options (timeouts, packet
// size) come from VELKOptions(), which the caller has loaded. Raises EQMException (or its
// subclass EScripterError) with the failure's message; on failure no result file is written and
// an earlier one is left as it was. The command file is only read; a snapshot server it names
// with a relative path is looked for in the command file's folder.
QString Generate(const TCmdFile& cmdFile, PercentSink percent = {}, MessageSink message = {});

// The folder of this process's result files, created on first use under TempFolder() and
// removed with everything in it when the process ends; ends in "/". Raises EQMException when it
// cannot be created.
QString RunFolder();

// RunFolder() + "ScriptResult.tmp".
QString ResultFilePath();

// Splits a text into lines at carriage return, line feed or the pair of them, as the result file
// stores them (a break at the very end opens no further line).
QStringList SplitLines(const QString& text);

// Writes the lines, each ended by carriage return and line feed, as UTF-8, replacing path
// atomically: on failure the old file (or no file) stays. Raises EQMException whose message
// names the file and gives the file system's reason.
void WriteLinesCrLf(const QString& path, const QStringList& lines);

// True when nothing but blanks and control characters is in the text.
bool IsBlankScript(const QString& text);

}  // namespace tavil
