// The dialog that adds or edits one external tool.
#pragma once

#include "app/shell/tools/TExternalTools.h"

#include <QDialog>
#include <QLineEdit>

class QLabel;
class QPushButton;
class QToolButton;

namespace tavil {

// The command field: shows a command holding a blank in double quotes and yields it without
// them; a text that is not an existing file yields its first element (the program part of a
// command typed with its arguments). A file dropped onto it becomes its command.
class TCommandField : public QLineEdit {
    Q_OBJECT
public:
    explicit TCommandField(QWidget* parent = nullptr);

    void SetCommand(const QString& command);
    QString Command() const;

    // How a command is shown, and what a shown text yields.
    static QString Shown(const QString& command);
    static QString Yielded(const QString& text);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

class TEditToolDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 602;

    // Add mode starts empty; edit mode fills the fields from the record. The record is changed
    // only when the dialog is confirmed.
    TEditToolDlg(TExternalTool& tool, bool addMode, QWidget* parent = nullptr);

    // "&OK" without the button: checks the fields (EQMException of severity 2 at the first
    // failure, nothing changed), then sets the record and closes as confirmed.
    void Confirm();
    // What the command's browse dialog does once a file has been chosen.
    void CommandChosen(const QString& path);

    QLineEdit* txtCaption = nullptr;
    TCommandField* txtCommand = nullptr;
    QLineEdit* txtParameters = nullptr;
    QLineEdit* txtWorkingDir = nullptr;
    QToolButton* cmdBrowseCommand = nullptr;
    QToolButton* cmdBrowseDir = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void updateButtons();
    void browseCommand();
    void browseFolder();

    TExternalTool& tool_;
};

}  // namespace tavil
