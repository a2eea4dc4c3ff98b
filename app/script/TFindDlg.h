// The modeless Find dialog: one instance at a time, above the main window; each "Find Next"
// searches the script window that is active at that moment.
#pragma once

#include "app/script/TSearchDlg.h"

class QPushButton;

namespace tavil {

class TFindDlg : public TSearchDlg {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 603;

    // Shows the dialog, or brings the open one to the front. Its parent is the main window.
    static TFindDlg* ShowInstance();
    // The open dialog, or null.
    static TFindDlg* Instance();

    explicit TFindDlg(QWidget* parent = nullptr);

    // "Find Next": the text goes to the top of the history and becomes the search state; raises
    // EQMException "Search string '%s' not found." (severity 2) when the active script window
    // does not hold it after the selection.
    void FindNext();
    // Enables "Find Next" while the main window's Find command is enabled and there is a text.
    void UpdateButtons();

    QPushButton* cmdFindNext = nullptr;
    QPushButton* cmdCancel = nullptr;
};

}  // namespace tavil
