// The editing tests: one process for the command-file window, the wizard and the add-objects
// dialog, each a Qt Test class of its own, over a settings store of the test's own.
#include "app/shell/messages/QMErrorHandler.h"
#include "tests/editing/EditingFixture.h"

#include <QApplication>
#include <cstdio>

int runAddObjectDlgTests(int argc, char** argv);
int runChildFileTests(int argc, char** argv);
int runNewWizardTests(int argc, char** argv);
int runShellIntegrationTests(int argc, char** argv);

int main(int argc, char** argv)
{
    edtest::useOwnSettings();
    QApplication app(argc, argv);
    // An error the program would end on fails the run instead of ending it unseen.
    bool fatal = false;
    tavil::SetFatalExitHandler([&fatal] { fatal = true; });
    tavil::VELKOptions().SaveWindow = false;
    int status = 0;
    status |= runAddObjectDlgTests(argc, argv);
    status |= runChildFileTests(argc, argv);
    status |= runNewWizardTests(argc, argv);
    status |= runShellIntegrationTests(argc, argv);
    if (fatal) {
        std::fprintf(stderr, "An error that ends the program was reported.\n");
        status |= 1;
    }
    return status;
}
