// The modal Replace dialog. It only collects the texts and options and says which button was
// pressed; the replacing is done by RunReplaceDialog once it has closed.
#pragma once

#include "app/script/TSearchDlg.h"

class QPushButton;

namespace tavil {

class TReplaceDlg : public TSearchDlg {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 606;
    enum TChoice { None, ReplaceOne, ReplaceEvery };

    explicit TReplaceDlg(QWidget* parent = nullptr);

    QString ReplaceText() const;
    TChoice Choice() const { return choice_; }
    // Enables the two buttons while the main window's Replace command is enabled and both boxes
    // hold a text.
    void UpdateButtons();

    QComboBox* cbReplace = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdReplaceAll = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void choose(TChoice choice);
    TChoice choice_ = None;
};

}  // namespace tavil
