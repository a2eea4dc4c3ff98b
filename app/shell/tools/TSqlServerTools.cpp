// The SQL Server client tools.
#include "app/shell/tools/TSqlServerTools.h"

#include "app/shell/tools/TExternalTools.h"

#include <iterator>

namespace tavil {

namespace {

const TSqlServerTool kTools[] = {
    {"actToolsEnterpriseManager", "SQL Server Enterprise Manager.msc", "Unable to open Microsoft SQL Server Enterprise Manager."},
    {"actToolsQueryAnalyzer", "isqlw.exe", "Unable to open Microsoft SQL Server Query Analyzer."},
    {"actToolsProfiler", "profiler.exe", "Unable to open Microsoft SQL Server Profiler."},
    {"actToolsImportExport", "dtswiz.exe", "Unable to open Microsoft SQL Server Import and Export Wizard."},
    {"actToolsClientNetwork", "cliconfg.exe", "Unable to open Microsoft SQL Server Client Network Utility."},
};

}  // namespace

const TSqlServerTool* FindSqlServerTool(const QString& action)
{
    for (const TSqlServerTool& t : kTools)
        if (action == QLatin1String(t.Action)) return &t;
    return nullptr;
}

QString SqlServerToolCommand(const TSqlServerTool& tool)
{
    return QLatin1Char('"') + QString::fromLatin1(tool.File) + QLatin1Char('"');
}

void RunSqlServerTool(const QString& action)
{
    const TSqlServerTool* tool = FindSqlServerTool(action);
    if (!tool) return;
    // The desktop is given the file name without the quotes that the command text carries, so
    // that a program of that name on PATH (a wrapper, say) starts; the message shows the text.
    LaunchCommand(QString::fromLatin1(tool->File), QString(), QString(), QString::fromLatin1(tool->Message),
                  SqlServerToolCommand(*tool));
}

}  // namespace tavil
