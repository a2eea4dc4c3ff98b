// Registration of the scripting component for an installed program: the first start of a user
// whose settings store does not name the component yet registers the installed library.
#pragma once

#include <QString>
#include <QStringList>

namespace tavil {

struct TComponentSetup {
    enum Outcome {
        AlreadyRegistered,  // the store names a library that exists
        BesideProgram,      // libkorva.so sits beside the program: it is found there unregistered
        Registered,         // the installed library was registered now
        NotFound,           // no library was found where the program is installed
        Failed,             // a library was found but could not be registered (Error says why)
    };
    Outcome Result = NotFound;
    QString Library;  // the library registered or found
    QString Error;
};

// The places an installed component is looked for, in order: the library folder of the
// installation the program runs from (relative to its folder), then the one it was built for.
QStringList InstalledComponentCandidates(const QString& exePath);

// Registers the installed component (loading it and calling its registration entry) unless the
// store already names an existing library or the library sits beside the program. Never raises.
TComponentSetup EnsureComponentRegistered();
TComponentSetup EnsureComponentRegistered(const QString& exePath);

}  // namespace tavil
