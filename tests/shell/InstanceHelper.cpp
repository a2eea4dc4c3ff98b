// A process that applies the single-instance rule as the program's start-up does, says whether
// it would go on ("running") or end ("blocked"), and holds what it took until stdin closes.
// Arguments: "prevent" or "allow", then the command-line files.
#include "app/shell/TStartup.h"
#include "app/shell/core/CommandLine.h"
#include "app/shell/core/TVELKOptions.h"

#include <QCoreApplication>
#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    tavil::TVELKOptions options;
    options.PreventMultiple = args.value(1) == QLatin1String("prevent");
    args.removeAt(1);
    const bool blocked = tavil::AnotherInstanceBlocks(tavil::CollectCommandLineFiles(args), options);
    std::printf("%s\n", blocked ? "blocked" : "running");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    return 0;
}
