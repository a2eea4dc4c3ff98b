// The five SQL Server client tools of the Tools menu: fixed commands started through the desktop.
#pragma once

#include <QString>

namespace tavil {

struct TSqlServerTool {
    const char* Action;   // "actToolsProfiler" ...
    const char* File;     // the program or document started
    const char* Message;  // the message when it cannot be started
};

// The tool of an action name, or null.
const TSqlServerTool* FindSqlServerTool(const QString& action);
// The command text of a tool: its file name in double quotes.
QString SqlServerToolCommand(const TSqlServerTool& tool);

// Starts the tool of the action; unknown names do nothing. Raises EQMException (severity 1) with
// the tool's message when it cannot be started.
void RunSqlServerTool(const QString& action);

}  // namespace tavil
