// The icons of the main window's actions, drawn in code.
#pragma once

#include <QIcon>
#include <QString>

namespace tavil {

// The icon of an action by its name; a null icon for actions without one.
QIcon ShellIcon(const QString& actionName);

// The program's icon (a database with a script page), for windows when no icon file is found.
QIcon ProgramIcon();

}  // namespace tavil
