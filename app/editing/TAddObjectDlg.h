// The add-objects dialog: edits the whole object list of one kind of a command-file window. The
// right list starts as a copy of the window's list, the left one offers the catalogue's objects
// of the kind not yet chosen; OK writes the right list back.
#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <QString>

class QLabel;
class QPushButton;

namespace tavil {

class TDMOServer;
class TObjectList;

class TAddObjectDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 600;
    static constexpr int kWidth = 489;
    static constexpr int kHeight = 362;

    // Texts of the kind (0 … 6); the lists are empty.
    explicit TAddObjectDlg(int kind, QWidget* parent = nullptr);

    int ObjectKind() const { return kind_; }

    // Copies the rows of the window's list into the right list and fills the left list with the
    // catalogue's objects of the kind in the database, leaving out every object whose name and
    // owner equal, letter case ignored, those of a chosen row. Raises the catalogue's listing
    // error; the window's list is only read.
    void Load(const TDMOServer& server, const QString& database, const TObjectList& chosen);
    // The same with the catalogue's (name, owner) pairs given.
    void LoadObjects(const QList<QPair<QString, QString>>& available, const TObjectList& chosen);

    // Empties the list and refills it with the right list's rows, in their order.
    void WriteBack(TObjectList& list) const;

    // The four moves; each does nothing when its button is disabled.
    void AddSelected();
    void AddAll();
    void RemoveSelected();
    void RemoveAll();
    // Enables the four buttons from the two lists.
    void UpdateButtons();

    TObjectList* LeftList() const { return lvLeft_; }
    TObjectList* RightList() const { return lvRight_; }
    QLabel* DescriptionLabel() const { return lblDescription_; }
    QLabel* LeftLabel() const { return lblLeft_; }
    QLabel* RightLabel() const { return lblRight_; }
    QPushButton* AddButton() const { return cmdAdd_; }
    QPushButton* AddAllButton() const { return cmdAddAll_; }
    QPushButton* RemoveButton() const { return cmdRemove_; }
    QPushButton* RemoveAllButton() const { return cmdRemoveAll_; }
    QPushButton* OkButton() const { return cmdOK_; }
    QPushButton* CancelButton() const { return cmdCancel_; }

private:
    int kind_;
    QLabel* lblDescription_ = nullptr;
    QLabel* lblLeft_ = nullptr;
    QLabel* lblRight_ = nullptr;
    TObjectList* lvLeft_ = nullptr;
    TObjectList* lvRight_ = nullptr;
    QPushButton* cmdAdd_ = nullptr;
    QPushButton* cmdAddAll_ = nullptr;
    QPushButton* cmdRemove_ = nullptr;
    QPushButton* cmdRemoveAll_ = nullptr;
    QPushButton* cmdOK_ = nullptr;
    QPushButton* cmdCancel_ = nullptr;
};

// Moves every selected row of source, in list order, to destination (same name, owner and
// image), showing the last one moved; the hourglass is on meanwhile.
void MoveSelectedRows(TObjectList* source, TObjectList* destination);

// Runs the dialog for a kind over an open catalogue connection (the caller owns and closes it)
// and a command-file window's list. Returns true when the user pressed OK, after writing the
// chosen rows back into the list; false leaves the list as it was. The catalogue's listing error
// is raised before the dialog is shown.
bool RunAddObjectsDialog(int kind, const TDMOServer& server, TObjectList& list, const QString& database,
                         QWidget* parent = nullptr);

}  // namespace tavil
