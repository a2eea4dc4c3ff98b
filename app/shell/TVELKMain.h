// The program's MDI frame window: menu bar, three toolbars, status bar and the one action list
// through which every command runs, enabled once per idle moment from the active child.
#pragma once

#include "app/shell/TActionRules.h"
#include "app/shell/core/TRecentList.h"
#include "app/shell/iface/TShellHooks.h"

#include <QHash>
#include <QMainWindow>
#include <QStringList>

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QToolButton;

namespace tavil {

// Which of the three servers could be created at start-up.
struct TServerAvailability {
    bool DmoAvailable = true;
    bool AdoAvailable = true;
    bool ScripterAvailable = true;
    bool All() const { return DmoAvailable && AdoAvailable && ScripterAvailable; }
};

class TVELKMain : public QMainWindow, public TShellHost {
    Q_OBJECT
public:
    // The window's initial bounds without stored placement.
    static constexpr int kInitialLeft = 34;
    static constexpr int kInitialTop = 47;
    static constexpr int kInitialWidth = 629;
    static constexpr int kInitialHeight = 443;

    TVELKMain(QStringList commandLineFiles, TServerAvailability availability, QWidget* parent = nullptr);
    ~TVELKMain() override;

    // TShellHost
    QWidget* MainWidget() override { return this; }
    QAction* FindAction(const QString& name) const override;
    TShellChild* ActiveChild() const override;
    bool ServersAvailable() const override { return availability_.All(); }
    TCommandFileChild* OpenCommandFile(const QString& path) override;
    TScriptChild* OpenScript(const QString& path) override;
    void AddRecentCommandFile(const QString& path) override;
    void RemoveRecentCommandFile(const QString& path) override;
    void AddRecentScript(const QString& path) override;
    void RemoveRecentScript(const QString& path) override;
    bool SearchScript(const QString& text, bool matchCase, bool fromCaret, bool wholeWord) override;
    void ReplaceInScript(const QString& text, const QString& replacement, bool matchCase, bool fromCaret,
                         bool wholeWord) override;
    void ReplaceAllInScript(const QString& text, const QString& replacement, bool matchCase, bool fromCaret,
                            bool wholeWord) override;

    // Applies the options to the window and every child (after the Preferences dialog).
    void ApplyOptions();
    // The enabling and checking rules, applied to the actions.
    void UpdateActions();
    TShellState CurrentState() const;

    // Places a child made by a factory in the MDI area and shows it.
    QMdiSubWindow* AddChild(TShellChild* child);
    QList<TShellChild*> Children() const;
    QMdiArea* MdiArea() const { return mdi_; }

    TRecentList& RecentFiles() { return mru_; }
    TRecentList& RecentScripts() { return mruScripts_; }

    // The commands that are more than one call.
    void NewCommandFile(bool wizard);
    void OpenCommandFileDialog();
    void OpenScriptDialog();
    void SaveCommandFile();
    void SaveCommandFileAs();
    void SaveScript();
    void SaveScriptAs();
    void Generate();
    void Verify();
    void CloseAll();
    void MinimizeAll();
    void TileWindows(Qt::Orientation orientation);
    void ArrangeIcons();
    void OpenRecent(bool scripts, const QString& path);
    void ShowPreferences();
    void ShowTipOfTheDay();
    // Opens each dropped file, and the files of each dropped folder, as command files.
    void OpenDroppedFiles(const QStringList& paths);

    // The availability report of a show, and the first activation's opening of the command-line
    // files (or the tip of the day). Public so that they can be driven directly.
    void CheckAvailability();
    void HandleFirstActivation();
    bool FirstActivation() const { return firstActivation_; }

    QToolBar* StandardToolbar() const { return tbStandard_; }
    QToolBar* ScriptToolbar() const { return tbScript_; }
    QToolBar* ToolsToolbar() const { return tbTools_; }

    // Placement values in AppKey\Storage (kept while SaveWindow is on).
    void SavePlacement() const;
    bool RestorePlacement();

signals:
    // The window has closed (every child agreed); the program ends.
    void Closed();

protected:
    QMenu* createPopupMenu() override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolbars();
    void connectActions();
    void on(const char* name, std::function<void()> handler);
    QAction* act(const char* name) const;
    TCommandFileChild* activeCommandFile() const;
    TScriptChild* activeScript() const;
    QMdiSubWindow* subWindowOf(const TShellChild* child) const;
    void bringToFront(QMdiSubWindow* sub);
    void fillRecentMenu(QMenu* menu, bool scripts);
    void fillWindowsMenu();
    void editCommand(const char* name);
    void placeInitially();

    QStringList commandLineFiles_;
    TServerAvailability availability_;
    bool firstActivation_ = true;
    bool placementActive_ = true;
    bool restored_ = false;
    bool clipboardHasText_ = false;

    QMdiArea* mdi_ = nullptr;
    QHash<QString, QAction*> actions_;
    QMenu* mnuRecentFiles_ = nullptr;
    QMenu* mnuRecentScripts_ = nullptr;
    QMenu* mnuToolbars_ = nullptr;
    QMenu* mnuExternal_ = nullptr;
    QMenu* mnuWindows_ = nullptr;
    QMenu* popViewTree_ = nullptr;
    QMenu* popExternal_ = nullptr;
    QToolBar* tbStandard_ = nullptr;
    QToolBar* tbScript_ = nullptr;
    QToolBar* tbTools_ = nullptr;
    TRecentList mru_{QStringLiteral("MRU")};
    TRecentList mruScripts_{QStringLiteral("MRUScripts")};
    QMetaObject::Connection idle_;
};

}  // namespace tavil
