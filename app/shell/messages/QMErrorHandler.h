// The application-wide error handler: every exception that reaches the event loop is shown here.
#pragma once

#include <exception>
#include <functional>

namespace tavil {

class EQMException;

// Shows the exception and, for a critical EQMException or any other exception ("Unexpected
// error."), ends the program at once without asking the windows about unsaved changes.
void HandleApplicationException(std::exception_ptr error);

// Runs f and hands whatever it throws to HandleApplicationException.
void RunGuarded(const std::function<void()>& f);

// For operations that report an EQMException themselves and carry on: the details dialog,
// collapsed, with the warning icon.
void ShowWarning(const EQMException& error);

// How the program ends after a fatal error; tests replace it. The default exits the process
// immediately with status 1; an empty handler brings the default back.
void SetFatalExitHandler(std::function<void()> handler);

}  // namespace tavil
