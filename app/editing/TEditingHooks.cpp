// The editing library's entries in the main window's hooks: command-file windows and the wizard.
#include "app/editing/TChildFile.h"
#include "app/editing/TNewWizard.h"
#include "app/shell/iface/TShellHooks.h"

namespace tavil {

void RegisterCommandFileWindows(TShellHooks& hooks)
{
    hooks.NewCommandFileWindow = [](std::unique_ptr<TCmdFile> file) -> TCommandFileChild* {
        return TChildFile::NewCommandFileWindow(std::move(file));
    };
    hooks.OpenCommandFileWindow = [](const QString& path) -> TCommandFileChild* {
        return TChildFile::OpenCommandFileWindow(path);
    };
    hooks.RunNewWizard = [] {
        TShellHost* host = ShellHost();
        return RunNewWizard(host ? host->MainWidget() : nullptr);
    };
}

}  // namespace tavil
