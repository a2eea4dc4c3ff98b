// The hourglass cursor of a windowed program: installs the handler HourglassOn/HourglassOff call.
#pragma once

namespace tavil {

// Makes HourglassOn show the wait cursor application-wide (Qt's override cursor) and
// HourglassOff remove every override cursor. Call once the QApplication exists.
void InstallHourglassCursor();

}  // namespace tavil
