// The entry points the main window calls for the script window's dialogs (through its hooks),
// and the search state that Find Next repeats.
#pragma once

#include "app/support/EQMException.h"

#include <QString>

namespace tavil {

struct TShellHooks;

// The last search started from the Find dialog; empty text: none yet. Only the Find dialog
// writes it.
struct TSearchState {
    QString SearchText;
    bool SearchMatchCase = false;
    bool SearchWholeWord = false;
};
TSearchState& SearchState();

// "Search string '%s' not found.", severity 2.
EQMException SearchNotFound(const QString& text);

// Shows the Find dialog or brings the open one to the front.
void ShowFindDialog();
// Repeats the last search from the caret in the active script window; opens the Find dialog
// when there was none. Raises SearchNotFound.
void FindNext();
// Shows the Replace dialog and replaces in the active script window as chosen. Raises
// SearchNotFound when the text is not (or no longer) found.
void RunReplaceDialog();
// line and column from 0, in and out; true on OK.
bool RunGoToDialog(int& line, int& column);
// The text to insert, empty when cancelled.
QString RunDateTimeDialog();

}  // namespace tavil
