// tavil: the program. Everything it does lives in the libraries; here the libraries that fill
// the shell's hooks are registered and the start-up sequence is run.
#include "app/shell/TStartup.h"
#include "app/shell/iface/TShellHooks.h"

#ifdef TAVIL_HAVE_RUNS
#include "app/runs/TScripter.h"
#endif
#ifdef TAVIL_HAVE_CATALOGUE
#include "app/catalogue/TDMOServer.h"

#include <memory>
#endif

int main(int argc, char** argv)
{
    tavil::TStartupChecks checks;
#ifdef TAVIL_HAVE_CATALOGUE
    // The one catalogue access object of the process, made during start-up.
    static std::unique_ptr<tavil::TDMOInterface> dmo;
    checks.DmoAvailable = [] {
        dmo = std::make_unique<tavil::TDMOInterface>();
        return dmo->Available;
    };
#endif
#ifdef TAVIL_HAVE_RUNS
    checks.AdoAvailable = [] { return tavil::IsAdoInstalled(); };
    checks.ScripterAvailable = [] { return tavil::IsScripterInstalled(); };
#endif
#ifdef TAVIL_HAVE_EDITING
    tavil::RegisterCommandFileWindows(tavil::ShellHooks());
#endif
#ifdef TAVIL_HAVE_SCRIPT
    tavil::RegisterScriptWindows(tavil::ShellHooks());
#endif
#ifdef TAVIL_HAVE_SHELL_TOOLS
    tavil::RegisterShellTools(tavil::ShellHooks());
#endif
    return tavil::RunProgram(argc, argv, checks);
}
