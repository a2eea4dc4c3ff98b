// The Configure External Tools dialog: the list of tools with add, edit, remove and reordering by
// dragging. It has no cancel: when it closes, the program's list becomes the rows' records and is
// saved.
#pragma once

#include "app/shell/tools/TExternalTools.h"

#include <QDialog>
#include <QListWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tavil {

// The one-column list of the dialog. Each row owns a copy of its record. The selected row can be
// dragged onto another row (it moves to just before it) or below the last row (to the end).
class TToolList : public QListWidget {
    Q_OBJECT
public:
    explicit TToolList(QWidget* parent = nullptr);

    void AppendTool(const TExternalTool& tool);
    TExternalTool Tool(int row) const;
    void SetTool(int row, const TExternalTool& tool);
    QList<TExternalTool> Tools() const;

    // Whether a drag from `source` may be dropped on `target` (a row, or -1 for the empty space
    // below the rows).
    bool CanDrop(const QObject* source, int target) const;
    // Moves the selected row to just before `target` (-1 or count(): to the end), then selects,
    // focuses and shows it.
    void MoveSelectedBefore(int target);
    // Selects, focuses and shows the row.
    void Focus(int row);

signals:
    void Moved();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

class TExternalToolsDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 602;

    // The rows start as copies of `tools`; closing copies them back and saves the list.
    explicit TExternalToolsDlg(TExternalTools& tools, QWidget* parent = nullptr);

    // The buttons' work. Add and Edit open TEditToolDlg modally.
    void AddTool();
    void EditTool();
    void RemoveTool();

    // How the dialog opens the edit dialog; tests replace it. It returns whether the record was
    // confirmed.
    std::function<bool(TExternalTool& tool, bool addMode)> RunEditDialog;

    TToolList* lvTools = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdClose = nullptr;
    QLineEdit* txtCaption = nullptr;
    QLineEdit* txtCommand = nullptr;
    QLineEdit* txtParameters = nullptr;
    QLineEdit* txtWorkingDir = nullptr;

protected:
    void done(int result) override;

private:
    void updateControls();

    TExternalTools& tools_;
    QList<QLabel*> fieldLabels_;
};

}  // namespace tavil
