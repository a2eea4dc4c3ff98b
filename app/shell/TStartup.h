// Start-up and shutdown of the program.
#pragma once

#include <QApplication>
#include <QStringList>
#include <functional>

namespace tavil {

// The program's application object: exceptions that reach Qt's event delivery go to the
// application's error handler instead of ending the process uncontrolled.
class TVELKApplication : public QApplication {
    Q_OBJECT
public:
    TVELKApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// What the program links in to tell whether SQL-DMO, ADO and the scripting component can be
// created; an empty check counts as available.
struct TStartupChecks {
    std::function<bool()> DmoAvailable;
    std::function<bool()> AdoAvailable;
    std::function<bool()> ScripterAvailable;
    // How long the splash window stays up before the main window is made.
    int SplashPauseMs = 1500;
};

class TVELKOptions;

// The single-instance rule: with no command-line files and PreventMultiple on, takes the
// process-wide lock "VELK" (held until the process ends) and returns true when another instance
// holds it, that is, when this one must end. Otherwise takes nothing and returns false.
bool AnotherInstanceBlocks(const QStringList& commandLineFiles, const TVELKOptions& options);
extern const char* const kMultipleInstancesMessage;

// Step 3 of the start-up: the application's name, version and icon and the dialog font, from the
// application record. Leaves the application display name unset.
void ApplyApplicationRecord();

// The whole life of the program, from the windowing framework to the end of the event loop.
// Returns the process's exit status.
int RunProgram(int& argc, char** argv, const TStartupChecks& checks);

}  // namespace tavil
