// The command-file window: an MDI child that edits one command file as a tree of ten pages
// (connection, the seven object kinds, formatting and advanced options) beside a page area. The
// controls are the working state; the owned TCmdFile is filled from them before every save and
// every run, and read into them once when the window opens.
#pragma once

#include "app/model/TCmdFile.h"
#include "app/shell/iface/TShellChild.h"

#include <QRect>
#include <QWidget>
#include <array>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace tavil {

class TDMOServer;
class TObjectList;

class TChildFile : public QWidget, public TCommandFileChild {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 601;
    static constexpr int kDefaultWidth = 874;
    static constexpr int kDefaultHeight = 445;
    static constexpr int kMinimumWidth = 550;
    static constexpr int kMinimumHeight = 230;
    static constexpr int kTreeWidth = 170;
    static const char* const kStorageKey;  // "ChildStorage", below AppKey
    static const QString kUntitled;       // "Untitled"

    // A window for a command file that was never saved: "Untitled", not saved, controls loaded.
    // Takes ownership of the file.
    static TChildFile* NewCommandFileWindow(std::unique_ptr<TCmdFile> file);
    // Reads the file and makes a saved window for it. Raises the reader's EQMException; no
    // window is made then.
    static TChildFile* OpenCommandFileWindow(const QString& path);

    // Takes ownership of the file; the window shows it once its controls are loaded
    // (LoadControls). The caller sets path and saved state first.
    explicit TChildFile(std::unique_ptr<TCmdFile> file, QWidget* parent = nullptr);
    ~TChildFile() override;

    // ---- TShellChild / TCommandFileChild
    QWidget* Widget() override { return this; }
    QString FilePath() const override { return file_->FileName; }
    bool IsModified() const override { return !saved_; }
    void ApplyOptions() override;
    bool CloseQuery() override;
    bool CanUndo() const override;
    bool CanCutCopy() const override;
    bool CanPaste() const override;
    bool CanDelete() const override;
    bool CanSelectAll() const override;

    // Each returns false when the user cancelled the save dialog. A failed write raises
    // EQMException; path, caption and saved state stay as they were then.
    bool SaveFile() override;
    bool SaveFileAs() override;
    bool SaveCopyAs() override;
    // The writes behind SaveFileAs and SaveCopyAs, without the dialog.
    void SaveFileTo(const QString& path);
    void SaveCopyTo(const QString& path);

    void UpdateCommandFile() override;
    TCmdFile& CommandFile() override { return *file_; }

    void ShowPage(int page) override;
    int SelectedPageIndex() const override;
    int CurrentObjectCount() const override;
    int CurrentSelectedObjectCount() const override;

    // Catalogue errors raise EQMException; the list is then unchanged.
    void AddObjects() override;
    void AddAllObjects() override;
    void RemoveObjects() override;
    void RemoveAllObjects() override;

    // ---- The window's own operations
    // The list of the selected page when it is an object page, otherwise null.
    TObjectList* CurrentObjectList() const;
    // The list of an object kind (0 … 6).
    TObjectList* ObjectList(int kind) const { return lists_[static_cast<std::size_t>(kind)]; }

    // Copies the command file into the controls. The catalogue's lists (servers, databases) are
    // filled once the window is first shown, so that it is drawn before the catalogue is asked;
    // LoadCatalogueLists does that part at once.
    void LoadControls();
    void LoadCatalogueLists();
    bool CatalogueListsPending() const { return catalogueListsPending_; }

    // Replaces the database list by the server's databases and "(default)" and selects the
    // wanted name (letter case ignored). A name the server does not list (or could not list) is
    // kept as an item of its own and selected, so that it is never lost. With showErrors a
    // catalogue error is raised, otherwise dropped; the list stays stale either way.
    void RefreshDatabases(bool showErrors, const QString& wanted);
    bool DatabaseListStale() const { return databaseListStale_; }

    // Sets the fourteen options to the values of a new command file and marks the window modified.
    void ResetOptions();

    // Saved state and caption (" *" while not saved); does nothing while loading.
    void SetSaved(bool saved);
    bool Saved() const { return saved_; }
    bool Loading() const { return loading_; }
    void SetFilePath(const QString& path);

    // Controls, for the main window's edit commands and for tests.
    QTreeWidget* PageTree() const { return tvPages_; }
    QComboBox* ServerBox() const { return cbServerName_; }
    QComboBox* AuthenticationBox() const { return cbWindowsAuthentication_; }
    QLineEdit* UsernameEdit() const { return txtUsername_; }
    QLineEdit* PasswordEdit() const { return txtPassword_; }
    QComboBox* DatabaseBox() const { return cbDatabaseName_; }
    QCheckBox* SchemaCheck() const { return chkScriptSchema_; }
    QCheckBox* DataCheck() const { return chkScriptData_; }
    // Box i of the formatting options (0 … 5) and of the advanced options (6 … 13).
    QComboBox* OptionBox(int i) const { return optionBoxes_[static_cast<std::size_t>(i)]; }
    QLabel* TitleText() const { return lblTitle_; }
    QAction* WindowAction(const QString& name) const;
    // The pop-up menus of the object pages and of the option pages, their actions' enabled
    // states brought up to date.
    QMenu* ObjectMenu();
    QMenu* OptionsMenu();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTree();
    QWidget* buildConnectionPage();
    QWidget* buildObjectPage(int kind);
    QWidget* buildOptionPage(int first, int count);
    void buildActions();
    void pageChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void changed(bool fromServer);
    void applyAuthenticationRule();
    void checkClicked(QCheckBox* box);
    void enterDatabaseBox();
    std::unique_ptr<TDMOServer> openCatalogue();
    void updateWindowActions();
    void installKeyPreview();
    QWidget* frame() const;
    void restorePlacement();
    void savePlacement() const;

    std::unique_ptr<TCmdFile> file_;
    bool loading_ = false;
    bool saved_ = true;
    bool databaseListStale_ = true;
    bool catalogueListsPending_ = false;
    bool filling_ = false;  // the window itself changes a list: no change to track

    QSplitter* splitter_ = nullptr;
    int treeWidth_ = kTreeWidth;  // wide enough for the page texts
    QTreeWidget* tvPages_ = nullptr;
    QTreeWidgetItem* root_ = nullptr;
    QWidget* pTitle_ = nullptr;
    QLabel* imgTitle_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QStackedWidget* pages_ = nullptr;

    QComboBox* cbServerName_ = nullptr;
    QComboBox* cbWindowsAuthentication_ = nullptr;
    QLabel* lblUsername_ = nullptr;
    QLineEdit* txtUsername_ = nullptr;
    QLabel* lblPassword_ = nullptr;
    QLineEdit* txtPassword_ = nullptr;
    QComboBox* cbDatabaseName_ = nullptr;
    std::array<TObjectList*, TCmdFile::KindCount> lists_{};
    QCheckBox* chkScriptSchema_ = nullptr;
    QCheckBox* chkScriptData_ = nullptr;
    std::array<QComboBox*, 14> optionBoxes_{};

    QMenu* popObjects_ = nullptr;
    QMenu* popOptions_ = nullptr;

    // Placement ("ChildStorage"), kept while SaveWindow is on.
    bool placementActive_ = false;
    bool placementRestored_ = false;
    QWidget* watchedFrame_ = nullptr;
    QRect lastGeometry_;
};

}  // namespace tavil
