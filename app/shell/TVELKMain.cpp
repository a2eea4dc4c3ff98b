// The main window: composition, the action list, the idle-time enabling, forwarding to the
// active child, the file flows and the window's placement.
#include "app/shell/TVELKMain.h"

#include "app/model/TCmdFile.h"
#include "app/runs/dialog/TProgressDlg.h"
#include "app/shell/TActionTable.h"
#include "app/shell/TOptionsDlg.h"
#include "app/shell/TShellIcons.h"
#include "app/shell/core/CommandLine.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/shell/messages/QMErrorHandler.h"
#include "app/shell/messages/TQMMapi.h"
#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"
#include "app/support/QMDialogKeys.h"
#include "app/support/QMPlacement.h"
#include "app/support/QMRegistry.h"
#include "app/support/QMShell.h"
#include "app/support/QMTools.h"

#include <QAbstractEventDispatcher>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>
#include <QProxyStyle>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <algorithm>
#include <map>

namespace tavil {

namespace {

const QString kUntitled = QStringLiteral("Untitled");

QString notFound(const QString& path) { return QStringLiteral("File '%1' not found.").arg(path); }

// The edit controls the Edit commands act on.
struct FocusedEdit {
    QLineEdit* line = nullptr;      // a single-line edit
    QLineEdit* combo = nullptr;     // the edit of an editable combo box
    QPlainTextEdit* plain = nullptr;
    QTextEdit* rich = nullptr;
    QAbstractItemView* list = nullptr;
};

FocusedEdit focusedEdit(QWidget* within)
{
    FocusedEdit f;
    QWidget* w = QApplication::focusWidget();
    if (!w || !within || !within->isAncestorOf(w)) return f;
    if (auto* cb = qobject_cast<QComboBox*>(w)) {
        if (cb->isEditable()) f.combo = cb->lineEdit();
        return f;
    }
    if (auto* le = qobject_cast<QLineEdit*>(w)) {
        if (qobject_cast<QComboBox*>(le->parentWidget())) f.combo = le;
        else f.line = le;
        return f;
    }
    if ((f.plain = qobject_cast<QPlainTextEdit*>(w))) return f;
    if ((f.rich = qobject_cast<QTextEdit*>(w))) return f;
    f.list = qobject_cast<QAbstractItemView*>(w);
    return f;
}

// Placement values: where a toolbar sits, its row and its position along the row.
enum Dock { DockTop = 0, DockBottom = 1, DockLeft = 2, DockRight = 3 };

Qt::ToolBarArea areaOf(int dock)
{
    switch (dock) {
    case DockBottom: return Qt::BottomToolBarArea;
    case DockLeft: return Qt::LeftToolBarArea;
    case DockRight: return Qt::RightToolBarArea;
    default: return Qt::TopToolBarArea;
    }
}

int dockOf(Qt::ToolBarArea area)
{
    switch (area) {
    case Qt::BottomToolBarArea: return DockBottom;
    case Qt::LeftToolBarArea: return DockLeft;
    case Qt::RightToolBarArea: return DockRight;
    default: return DockTop;
    }
}

// Toolbars with narrow separators and no gaps between buttons.
class CompactToolbarStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        switch (metric) {
        case PM_ToolBarSeparatorExtent: return 5;
        case PM_ToolBarItemSpacing: return 0;
        case PM_ToolBarItemMargin: return 0;
        case PM_ToolBarFrameWidth: return 1;
        default: return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
        // 16-pixel icons on 22-pixel buttons, as toolbars of this kind usually have.
        if (type == CT_ToolButton) s.setWidth(std::max(size.width() + 6, s.width() - 2));
        return s;
    }
};

QStyle* compactToolbarStyle()
{
    // Owned by the application, so that it outlives every toolbar.
    static QPointer<CompactToolbarStyle> style;
    if (!style) {
        style = new CompactToolbarStyle;
        style->setParent(qApp);
    }
    return style;
}

}  // namespace

TVELKMain::TVELKMain(QStringList commandLineFiles, TServerAvailability availability, QWidget* parent)
    : QMainWindow(parent), commandLineFiles_(std::move(commandLineFiles)), availability_(availability)
{
    setObjectName(QStringLiteral("TVELKMain"));
    setAcceptDrops(true);
    firstActivation_ = true;
    setWindowTitle(QMApp().FullName);

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName(QStringLiteral("MDIClient"));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Closing the active child activates the one below it, and Next and Previous walk the
    // windows from front to back.
    mdi_->setActivationOrder(QMdiArea::StackingOrder);
    setCentralWidget(mdi_);

    createActions();
    createMenus();
    createToolbars();
    connectActions();
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setSizeGripEnabled(true);

    auto* clipboard = QGuiApplication::clipboard();
    auto readClipboard = [this, clipboard] { clipboardHasText_ = !clipboard->text().isEmpty(); };
    connect(clipboard, &QClipboard::dataChanged, this, readClipboard);
    readClipboard();

    ApplyOptions();
    mru_.Load();
    mruScripts_.Load();
    placeInitially();

    ShellHostSlot() = this;
    // The actions follow the active child once per idle moment, as the event loop is about to
    // wait.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        idle_ = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TVELKMain::UpdateActions);
    UpdateActions();
}

TVELKMain::~TVELKMain()
{
    disconnect(idle_);
    if (placementActive_) SavePlacement();
    mru_.Save();
    mruScripts_.Save();
    if (ShellHostSlot() == this) ShellHostSlot() = nullptr;
    // The children go with the MDI area; they were asked before the window closed.
    delete mdi_;
    mdi_ = nullptr;
}

// ---- Composition -------------------------------------------------------------------------

void TVELKMain::createActions()
{
    for (int i = 0; i < kActionCount; ++i) {
        const TActionSpec& spec = kActionTable[i];
        const QString name = QString::fromLatin1(spec.name);
        auto* a = new QAction(QString::fromUtf8(spec.caption), this);
        a->setObjectName(name);
        const QString hint = QString::fromUtf8(spec.hint);
        a->setStatusTip(hint);
        a->setToolTip(hint.isEmpty() ? a->text().remove(u'&') : hint);
        if (*spec.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(spec.shortcut)));
        a->setIcon(ShellIcon(name));
        actions_.insert(name, a);
    }
    // Both New actions show Ctrl+N; the key runs the wizard's, the one in the File menu. The
    // toolbar's blank-file action keeps the key only for display.
    act("actFileNewSimple")->setShortcutContext(Qt::WidgetShortcut);
    for (const char* name : kPageActions) act(name)->setCheckable(true);
    for (const char* name : {"actViewStandardToolbar", "actViewScriptToolbar", "actViewToolsToolbar", "actViewStatusBar"})
        act(name)->setCheckable(true);
    addActions(QList<QAction*>(actions_.begin(), actions_.end()));
}

QAction* TVELKMain::act(const char* name) const { return actions_.value(QString::fromLatin1(name)); }

QAction* TVELKMain::FindAction(const QString& name) const { return actions_.value(name); }

void TVELKMain::createMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("tbMenu"));
    bar->setWindowTitle(QStringLiteral("Standard Menu"));

    // A menu's own action takes the place of the action of that name in the table.
    auto menu = [this](QWidget* parentMenu, const char* name) {
        QAction* spec = act(name);
        auto* m = new QMenu(spec->text(), parentMenu);
        m->setObjectName(QString::fromLatin1(name).replace(0, 3, QStringLiteral("mnu")));
        QAction* own = m->menuAction();
        own->setObjectName(spec->objectName());
        own->setStatusTip(spec->statusTip());
        own->setToolTip(spec->toolTip());
        actions_.insert(spec->objectName(), own);
        removeAction(spec);
        delete spec;
        return m;
    };
    auto add = [this](QMenu* m, std::initializer_list<const char*> names) {
        for (const char* n : names) {
            if (!*n) m->addSeparator();
            else m->addAction(act(n));
        }
    };

    QMenu* file = menu(bar, "actFile");
    add(file, {"actFileNew", "actFileOpen", "actFileClose", "", "actFileSave", "actFileSaveAs", "actFileSaveCopyAs", ""});
    mnuRecentFiles_ = menu(file, "actFileRecentFiles");
    mnuRecentScripts_ = menu(file, "actFileRecentScripts");
    file->addMenu(mnuRecentFiles_);
    file->addMenu(mnuRecentScripts_);
    add(file, {"", "actFilePreferences", "", "actFileExit"});
    connect(mnuRecentFiles_, &QMenu::aboutToShow, this, [this] { fillRecentMenu(mnuRecentFiles_, false); });
    connect(mnuRecentScripts_, &QMenu::aboutToShow, this, [this] { fillRecentMenu(mnuRecentScripts_, true); });

    QMenu* edit = menu(bar, "actEdit");
    add(edit, {"actEditUndo", "", "actEditCut", "actEditCopy", "actEditPaste", "", "actEditDelete", "actEditSelectAll",
               "", "actEditFind", "actEditFindNext", "actEditReplace", "", "actEditGoTo", "", "actEditUpperCase",
               "actEditLowerCase", "actEditTitleCase", "actEditToggleCase", "", "actEditInsertDateTime", "",
               "actEditInsertFile"});

    QMenu* view = menu(bar, "actView");
    add(view, {"actViewConnection", "actViewTables", "actViewViews", "actViewStoredProcs", "actViewDefaults",
               "actViewRules", "actViewTypes", "actViewFunctions", "actViewFormatting", "actViewAdvanced", ""});
    mnuToolbars_ = menu(view, "actViewToolbars");
    add(mnuToolbars_, {"actViewStandardToolbar", "actViewScriptToolbar", "actViewToolsToolbar"});
    view->addMenu(mnuToolbars_);
    add(view, {"actViewStatusBar"});

    QMenu* script = menu(bar, "actScript");
    add(script, {"actScriptAdd", "actScriptAddAll", "", "actScriptRemove", "actScriptRemoveAll", "",
                 "actScriptGenerate", "actScriptVerify", "", "actScriptOpen", "", "actScriptSave", "actScriptSaveAs"});

    QMenu* tools = menu(bar, "actTools");
    add(tools, {"actToolsEnterpriseManager", "actToolsQueryAnalyzer", "actToolsProfiler", "actToolsImportExport",
                "actToolsClientNetwork", "", "actToolsConfigure", ""});
    mnuExternal_ = menu(tools, "actToolsExternal");
    tools->addMenu(mnuExternal_);
    connect(mnuExternal_, &QMenu::aboutToShow, this, [this] {
        mnuExternal_->clear();
        if (ShellHooks().FillExternalToolsMenu) RunGuarded([this] { ShellHooks().FillExternalToolsMenu(mnuExternal_); });
    });

    QMenu* windowMenu = menu(bar, "actWindow");
    add(windowMenu, {"actWindowCascade", "actWindowTileHor", "actWindowTileVer", "actWindowArrange", "",
                     "actWindowMinimizeAll", "actWindowCloseAll", "", "actWindowNext", "actWindowPrevious", ""});
    mnuWindows_ = menu(windowMenu, "actWindowWindows");
    windowMenu->addMenu(mnuWindows_);
    connect(mnuWindows_, &QMenu::aboutToShow, this, &TVELKMain::fillWindowsMenu);

    QMenu* help = menu(bar, "actHelp");
    add(help, {"actHelpContents", "actHelpTipOfTheDay", "", "actHelpOnTheWeb", "actHelpSendEmail", "", "actHelpAbout"});

    for (QMenu* m : {file, edit, view, script, tools, windowMenu, help}) bar->addMenu(m);
}

void TVELKMain::createToolbars()
{
    auto bar = [this](const char* objectName, const char* title) {
        auto* tb = new QToolBar(QString::fromLatin1(title), this);
        tb->setObjectName(QString::fromLatin1(objectName));
        tb->setIconSize(QSize(16, 16));
        // Compact rows, so that the Standard and Script toolbars share the first row at the
        // window's initial width.
        tb->setStyle(compactToolbarStyle());
        return tb;
    };
    auto add = [this](QToolBar* tb, std::initializer_list<const char*> names) {
        for (const char* n : names) {
            if (!*n) tb->addSeparator();
            else tb->addAction(act(n));
        }
    };
    auto split = [](QToolBar* tb, QAction* action, QMenu* menu) {
        auto* button = new QToolButton(tb);
        button->setDefaultAction(action);
        button->setMenu(menu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
        button->setObjectName(QStringLiteral("cmd") + action->objectName().mid(3));
        tb->addWidget(button);
        return button;
    };

    tbStandard_ = bar("tbStandard", "Standard Toolbar");
    add(tbStandard_, {"actFileNewSimple", "actFileOpen", "actFileSave", "", "actEditUndo", "", "actEditCut",
                      "actEditCopy", "actEditPaste", "", "actEditDelete", "", "actEditFind", ""});
    popViewTree_ = new QMenu(this);
    popViewTree_->setObjectName(QStringLiteral("popViewTree"));
    for (const char* name : kPageActions) popViewTree_->addAction(act(name));
    split(tbStandard_, act("actViewTree"), popViewTree_);
    add(tbStandard_, {"", "actWindowCascade", "actWindowTileHor", "actWindowTileVer", "actWindowArrange", "",
                      "actHelpContents"});

    tbScript_ = bar("tbScript", "Script Toolbar");
    add(tbScript_, {"actScriptAdd", "actScriptAddAll", "", "actScriptRemove", "actScriptRemoveAll", "",
                    "actScriptGenerate", "actScriptVerify", "", "actScriptOpen", "actScriptSave"});

    tbTools_ = bar("tbTools", "Tools");
    add(tbTools_, {"actToolsEnterpriseManager", "actToolsQueryAnalyzer", "actToolsProfiler", "actToolsImportExport",
                   "actToolsClientNetwork", ""});
    popExternal_ = new QMenu(this);
    popExternal_->setObjectName(QStringLiteral("popExternalTools"));
    connect(popExternal_, &QMenu::aboutToShow, this, [this] {
        popExternal_->clear();
        if (ShellHooks().FillExternalToolsMenu) RunGuarded([this] { ShellHooks().FillExternalToolsMenu(popExternal_); });
    });
    split(tbTools_, act("actToolsExternalConfigure"), popExternal_);

    for (QToolBar* tb : {tbStandard_, tbScript_, tbTools_})
        for (QToolButton* b : tb->findChildren<QToolButton*>()) b->setStyle(compactToolbarStyle());

    addToolBar(Qt::TopToolBarArea, tbStandard_);
    addToolBar(Qt::TopToolBarArea, tbScript_);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, tbTools_);
    tbTools_->hide();
}

QMenu* TVELKMain::createPopupMenu()
{
    auto* menu = new QMenu(this);
    menu->addAction(act("actViewStandardToolbar"));
    menu->addAction(act("actViewScriptToolbar"));
    menu->addAction(act("actViewToolsToolbar"));
    return menu;
}

void TVELKMain::on(const char* name, std::function<void()> handler)
{
    // Errors of a command go to the application's error handler here, so that no exception
    // crosses Qt's event delivery.
    connect(act(name), &QAction::triggered, this, [handler = std::move(handler)] { RunGuarded(handler); });
}

void TVELKMain::connectActions()
{
    auto& hooks = ShellHooks();

    on("actFileNew", [this] { NewCommandFile(true); });
    on("actFileNewSimple", [this] { NewCommandFile(false); });
    on("actFileOpen", [this] { OpenCommandFileDialog(); });
    on("actFileClose", [this] {
        if (QMdiSubWindow* sub = mdi_->currentSubWindow()) sub->close();
    });
    on("actFileSave", [this] { SaveCommandFile(); });
    on("actFileSaveAs", [this] { SaveCommandFileAs(); });
    on("actFileSaveCopyAs", [this] {
        if (TCommandFileChild* c = activeCommandFile()) c->SaveCopyAs();
    });
    on("actFilePreferences", [this] { ShowPreferences(); });
    on("actFileExit", [this] { close(); });

    for (const char* name : {"actEditUndo", "actEditCut", "actEditCopy", "actEditPaste", "actEditDelete", "actEditSelectAll"})
        on(name, [this, name] { editCommand(name); });
    on("actEditFind", [&hooks, this] {
        if (activeScript() && hooks.ShowFindDialog) hooks.ShowFindDialog();
    });
    on("actEditFindNext", [&hooks, this] {
        if (activeScript() && hooks.FindNext) hooks.FindNext();
    });
    on("actEditReplace", [&hooks, this] {
        if (activeScript() && hooks.RunReplaceDialog) hooks.RunReplaceDialog();
    });
    on("actEditGoTo", [&hooks, this] {
        TScriptChild* s = activeScript();
        if (!s || !hooks.RunGoToDialog) return;
        int line = 0, column = 0;
        s->CaretPosition(line, column);
        if (hooks.RunGoToDialog(line, column)) {
            // The dialog may have changed the active window; go to the one it was opened for.
            if (TScriptChild* again = activeScript(); again == s) s->GoToPosition(line, column);
        }
    });
    on("actEditUpperCase", [this] { if (TScriptChild* s = activeScript()) s->ToUpperCase(); });
    on("actEditLowerCase", [this] { if (TScriptChild* s = activeScript()) s->ToLowerCase(); });
    on("actEditTitleCase", [this] { if (TScriptChild* s = activeScript()) s->ToTitleCase(); });
    on("actEditToggleCase", [this] { if (TScriptChild* s = activeScript()) s->ToggleCase(); });
    on("actEditInsertDateTime", [&hooks, this] {
        TScriptChild* s = activeScript();
        if (!s || !hooks.RunDateTimeDialog) return;
        const QString text = hooks.RunDateTimeDialog();
        if (!text.isEmpty() && activeScript() == s) s->InsertText(text);
    });
    on("actEditInsertFile", [this] { if (TScriptChild* s = activeScript()) s->InsertFile(); });

    for (int p = 0; p < 10; ++p)
        on(kPageActions[p], [this, p] { if (TCommandFileChild* c = activeCommandFile()) c->ShowPage(p + 1); });
    on("actViewTree", [this] {
        TCommandFileChild* c = activeCommandFile();
        if (!c) return;
        const int index = c->SelectedPageIndex();
        if (index < 0) return;
        c->ShowPage((index + 1) % 10 + 1);
    });
    on("actViewStandardToolbar", [this] { tbStandard_->setVisible(!tbStandard_->isVisible()); });
    on("actViewScriptToolbar", [this] { tbScript_->setVisible(!tbScript_->isVisible()); });
    on("actViewToolsToolbar", [this] { tbTools_->setVisible(!tbTools_->isVisible()); });
    on("actViewStatusBar", [this] { statusBar()->setVisible(!statusBar()->isVisible()); });

    on("actScriptAdd", [this] { if (TCommandFileChild* c = activeCommandFile()) c->AddObjects(); });
    on("actScriptAddAll", [this] { if (TCommandFileChild* c = activeCommandFile()) c->AddAllObjects(); });
    on("actScriptRemove", [this] { if (TCommandFileChild* c = activeCommandFile()) c->RemoveObjects(); });
    on("actScriptRemoveAll", [this] { if (TCommandFileChild* c = activeCommandFile()) c->RemoveAllObjects(); });
    on("actScriptGenerate", [this] { Generate(); });
    on("actScriptVerify", [this] { Verify(); });
    on("actScriptOpen", [this] { OpenScriptDialog(); });
    on("actScriptSave", [this] { SaveScript(); });
    on("actScriptSaveAs", [this] { SaveScriptAs(); });

    for (const char* name : {"actToolsEnterpriseManager", "actToolsQueryAnalyzer", "actToolsProfiler",
                             "actToolsImportExport", "actToolsClientNetwork"})
        on(name, [&hooks, name] {
            if (hooks.RunSqlServerTool) hooks.RunSqlServerTool(QString::fromLatin1(name));
        });
    for (const char* name : {"actToolsConfigure", "actToolsExternalConfigure"})
        on(name, [&hooks] {
            if (hooks.ConfigureExternalTools) hooks.ConfigureExternalTools();
        });

    on("actWindowCascade", [this] { mdi_->cascadeSubWindows(); });
    on("actWindowTileHor", [this] { TileWindows(Qt::Horizontal); });
    on("actWindowTileVer", [this] { TileWindows(Qt::Vertical); });
    on("actWindowArrange", [this] { ArrangeIcons(); });
    on("actWindowMinimizeAll", [this] { MinimizeAll(); });
    on("actWindowCloseAll", [this] { CloseAll(); });
    on("actWindowNext", [this] { mdi_->activateNextSubWindow(); });
    on("actWindowPrevious", [this] { mdi_->activatePreviousSubWindow(); });

    on("actHelpContents", [this] { RequestHelp(0, this); });
    on("actHelpTipOfTheDay", [this] { ShowTipOfTheDay(); });
    on("actHelpOnTheWeb", [] { OpenWebAddress(QMApp().WebAddress); });
    on("actHelpSendEmail", [] { SendSupportEmail(); });
    on("actHelpAbout", [&hooks] {
        if (hooks.ShowAbout) hooks.ShowAbout();
    });
}

// ---- Children --------------------------------------------------------------------------

QList<TShellChild*> TVELKMain::Children() const
{
    QList<TShellChild*> out;
    if (!mdi_) return out;
    for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::CreationOrder))
        if (auto* c = dynamic_cast<TShellChild*>(sub->widget())) out << c;
    return out;
}

TShellChild* TVELKMain::ActiveChild() const
{
    if (!mdi_) return nullptr;
    QMdiSubWindow* sub = mdi_->currentSubWindow();
    return sub ? dynamic_cast<TShellChild*>(sub->widget()) : nullptr;
}

TCommandFileChild* TVELKMain::activeCommandFile() const { return dynamic_cast<TCommandFileChild*>(ActiveChild()); }

TScriptChild* TVELKMain::activeScript() const { return dynamic_cast<TScriptChild*>(ActiveChild()); }

QMdiSubWindow* TVELKMain::subWindowOf(const TShellChild* child) const
{
    for (QMdiSubWindow* sub : mdi_->subWindowList())
        if (dynamic_cast<TShellChild*>(sub->widget()) == child) return sub;
    return nullptr;
}

QMdiSubWindow* TVELKMain::AddChild(TShellChild* child)
{
    if (!child) return nullptr;
    QWidget* w = child->Widget();
    QMdiSubWindow* sub = mdi_->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(w->windowIcon());
    if (w->size().isValid() && !w->size().isEmpty()) sub->resize(sub->sizeHint().expandedTo(w->size()));
    w->show();
    sub->show();
    mdi_->setActiveSubWindow(sub);
    return sub;
}

void TVELKMain::bringToFront(QMdiSubWindow* sub)
{
    if (sub->isMinimized()) sub->showNormal();
    mdi_->setActiveSubWindow(sub);
    sub->raise();
}

// ---- Enabling --------------------------------------------------------------------------

TShellState TVELKMain::CurrentState() const
{
    TShellState s;
    s.ChildCount = mdi_ ? static_cast<int>(mdi_->subWindowList().size()) : 0;
    s.ServersAvailable = availability_.All();
    s.RecentFilesEmpty = mru_.IsEmpty();
    s.RecentScriptsEmpty = mruScripts_.IsEmpty();
    s.ClipboardHasText = clipboardHasText_;
    s.StandardToolbarVisible = tbStandard_->isVisibleTo(this);
    s.ScriptToolbarVisible = tbScript_->isVisibleTo(this);
    s.ToolsToolbarVisible = tbTools_->isVisibleTo(this);
    s.StatusBarVisible = statusBar()->isVisibleTo(this);
    if (TShellChild* c = ActiveChild()) {
        s.CanUndo = c->CanUndo();
        s.CanCutCopy = c->CanCutCopy();
        s.CanPaste = c->CanPaste();
        s.CanDelete = c->CanDelete();
        s.CanSelectAll = c->CanSelectAll();
        if (auto* cmd = dynamic_cast<TCommandFileChild*>(c)) {
            s.Active = TActiveChild::CommandFile;
            s.Page = cmd->SelectedPageIndex();
            s.ObjectCount = cmd->CurrentObjectCount();
            s.SelectedObjectCount = cmd->CurrentSelectedObjectCount();
        } else if (dynamic_cast<TScriptChild*>(c)) {
            s.Active = TActiveChild::Script;
        }
    }
    return s;
}

void TVELKMain::UpdateActions()
{
    if (!mdi_) return;
    const auto states = ComputeActionStates(CurrentState());
    for (const auto& [name, state] : states) {
        QAction* a = actions_.value(name);
        if (!a) continue;
        if (a->isEnabled() != state.Enabled) a->setEnabled(state.Enabled);
        if (state.Checkable && a->isChecked() != state.Checked) a->setChecked(state.Checked);
    }
}

// ---- Edit commands on the focused control ----------------------------------------------------

void TVELKMain::editCommand(const char* name)
{
    TShellChild* child = ActiveChild();
    if (!child) return;
    const FocusedEdit f = focusedEdit(child->Widget());
    const QByteArray n(name);
    if (n == "actEditUndo") {
        if (f.line) f.line->undo();
        else if (f.plain) f.plain->undo();
        else if (f.rich) f.rich->undo();
    } else if (n == "actEditCut") {
        if (f.line) f.line->cut();
        else if (f.combo) f.combo->cut();
        else if (f.plain) f.plain->cut();
        else if (f.rich) f.rich->cut();
    } else if (n == "actEditCopy") {
        if (f.line) f.line->copy();
        else if (f.combo) f.combo->copy();
        else if (f.plain) f.plain->copy();
        else if (f.rich) f.rich->copy();
    } else if (n == "actEditPaste") {
        if (f.line) f.line->paste();
        else if (f.combo) f.combo->paste();
        else if (f.plain) f.plain->paste();
        else if (f.rich) f.rich->insertPlainText(QGuiApplication::clipboard()->text());
    } else if (n == "actEditDelete") {
        // A single-line edit is cleared whole; the other edits lose the selection or the
        // character after the caret.
        if (f.line) f.line->clear();
        else if (f.combo) f.combo->del();
        else if (f.plain) {
            QTextCursor c = f.plain->textCursor();
            if (c.hasSelection()) c.removeSelectedText();
            else c.deleteChar();
            f.plain->setTextCursor(c);
        } else if (f.rich) {
            QTextCursor c = f.rich->textCursor();
            if (c.hasSelection()) c.removeSelectedText();
            else c.deleteChar();
            f.rich->setTextCursor(c);
        }
    } else if (n == "actEditSelectAll") {
        if (f.line) f.line->selectAll();
        else if (f.combo) f.combo->selectAll();
        else if (f.plain) f.plain->selectAll();
        else if (f.rich) f.rich->selectAll();
        else if (f.list) f.list->selectAll();
    }
}

// ---- Options ----------------------------------------------------------------------------------

void TVELKMain::ApplyOptions()
{
    const TVELKOptions& o = VELKOptions();
    placementActive_ = o.SaveWindow;
    mru_.SetMaximum(o.MaxMRU);
    mruScripts_.SetMaximum(o.MaxMRU);
    for (TShellChild* c : Children()) c->ApplyOptions();
}

void TVELKMain::ShowPreferences()
{
    TOptionsDlg dlg(VELKOptions(), this);
    connect(&dlg, &TOptionsDlg::Applied, this, [this] { ApplyOptions(); });
    dlg.exec();
}

void TVELKMain::ShowTipOfTheDay()
{
    TVELKOptions& o = VELKOptions();
    if (ShellHooks().ShowTipOfTheDay) o.ShowTips = ShellHooks().ShowTipOfTheDay(false, o.ShowTips);
    o.Save();
}

// ---- File flows ------------------------------------------------------------------------------

TCommandFileChild* TVELKMain::OpenCommandFile(const QString& path)
{
    if (!FileExistsSafe(path)) {
        mru_.Remove(path);
        throw EQMException(notFound(path), EQMException::Warning);
    }
    for (TShellChild* c : Children()) {
        if (auto* cmd = dynamic_cast<TCommandFileChild*>(c); cmd && SameFile(cmd->FilePath(), path)) {
            bringToFront(subWindowOf(cmd));
            return cmd;
        }
    }
    if (!ShellHooks().OpenCommandFileWindow)
        throw EQMException(QStringLiteral("Command files cannot be opened in this build."), EQMException::Warning);
    TCommandFileChild* child = ShellHooks().OpenCommandFileWindow(path);
    AddChild(child);
    mru_.Add(path);
    return child;
}

TScriptChild* TVELKMain::OpenScript(const QString& path)
{
    // A missing script stays in its recent list.
    if (!FileExistsSafe(path)) throw EQMException(notFound(path), EQMException::Warning);
    for (TShellChild* c : Children()) {
        if (auto* s = dynamic_cast<TScriptChild*>(c); s && SameFile(s->FilePath(), path)) {
            bringToFront(subWindowOf(s));
            return s;
        }
    }
    if (!ShellHooks().OpenScriptWindow)
        throw EQMException(QStringLiteral("Scripts cannot be opened in this build."), EQMException::Warning);
    TScriptChild* child = ShellHooks().OpenScriptWindow(path);
    AddChild(child);
    mruScripts_.Add(path);
    return child;
}

void TVELKMain::AddRecentCommandFile(const QString& path) { mru_.Add(path); }
void TVELKMain::RemoveRecentCommandFile(const QString& path) { mru_.Remove(path); }
void TVELKMain::AddRecentScript(const QString& path) { mruScripts_.Add(path); }
void TVELKMain::RemoveRecentScript(const QString& path) { mruScripts_.Remove(path); }

void TVELKMain::NewCommandFile(bool wizard)
{
    auto& hooks = ShellHooks();
    if (!hooks.NewCommandFileWindow) return;
    std::unique_ptr<TCmdFile> file;
    if (wizard) {
        if (!hooks.RunNewWizard) return;
        file = hooks.RunNewWizard();
        if (!file) return;
    } else {
        file = std::make_unique<TCmdFile>();
    }
    AddChild(hooks.NewCommandFileWindow(std::move(file)));
}

void TVELKMain::OpenCommandFileDialog()
{
    QFileDialog dlg(this, QStringLiteral("Open..."));
    dlg.setObjectName(QStringLiteral("dlgOpen"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(QStringLiteral("qvx"));
    dlg.setNameFilter(QStringLiteral("Tavilor Files (*.qvx);;All Files (*)"));
    dlg.selectFile(QString());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    OpenCommandFile(dlg.selectedFiles().first());
}

void TVELKMain::OpenScriptDialog()
{
    const TVELKOptions& o = VELKOptions();
    QFileDialog dlg(this, QStringLiteral("Open Script..."));
    dlg.setObjectName(QStringLiteral("dlgOpenScript"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setDefaultSuffix(o.ScriptExtension);
    dlg.setNameFilter(ScriptFileFilter(o.ScriptExtension));
    if (!o.DefaultScriptsPath.isEmpty()) dlg.setDirectory(o.DefaultScriptsPath);
    dlg.selectFile(QString());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    OpenScript(dlg.selectedFiles().first());
}

void TVELKMain::SaveCommandFile()
{
    TCommandFileChild* c = activeCommandFile();
    if (!c) return;
    if (c->FilePath() == kUntitled) {
        SaveCommandFileAs();
        return;
    }
    if (c->SaveFile()) mru_.Add(c->FilePath());
}

void TVELKMain::SaveCommandFileAs()
{
    TCommandFileChild* c = activeCommandFile();
    if (c && c->SaveFileAs()) mru_.Add(c->FilePath());
}

void TVELKMain::SaveScript()
{
    TScriptChild* s = activeScript();
    if (!s) return;
    if (s->FilePath() == kUntitled) {
        SaveScriptAs();
        return;
    }
    if (s->SaveScript()) mruScripts_.Add(s->FilePath());
}

void TVELKMain::SaveScriptAs()
{
    TScriptChild* s = activeScript();
    if (s && s->SaveScriptAs()) mruScripts_.Add(s->FilePath());
}

void TVELKMain::OpenRecent(bool scripts, const QString& path)
{
    TRecentList& list = scripts ? mruScripts_ : mru_;
    list.MoveToTop(path);
    if (scripts) OpenScript(path);
    else OpenCommandFile(path);
}

void TVELKMain::fillRecentMenu(QMenu* menu, bool scripts)
{
    menu->clear();
    const QStringList items = (scripts ? mruScripts_ : mru_).Items();
    for (int i = 0; i < items.size(); ++i) {
        QAction* a = menu->addAction(TRecentList::MenuCaption(i, items[i]));
        a->setStatusTip(items[i]);
        const QString path = items[i];
        connect(a, &QAction::triggered, this, [this, scripts, path] { RunGuarded([&] { OpenRecent(scripts, path); }); });
    }
}

void TVELKMain::OpenDroppedFiles(const QStringList& paths)
{
    auto openOne = [this](const QString& path) {
        try {
            OpenCommandFile(path);
        } catch (const EQMException& e) {
            ShowWarning(e);
        }
    };
    for (const QString& path : paths) {
        if (!HasAttributes(path, faDirectory)) {
            openOne(path);
            continue;
        }
        const QDir dir(path);
        const QStringList entries = dir.entryList(QDir::Files | QDir::System, QDir::Unsorted);
        for (const QString& name : entries)
            if (!name.startsWith(u'.')) openOne(dir.filePath(name));
    }
}

void TVELKMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TVELKMain::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    event->acceptProposedAction();
    if (paths.isEmpty()) return;
    raise();
    activateWindow();
    // The drop is finished with the system before the files are opened.
    QTimer::singleShot(0, this, [this, paths] { RunGuarded([&] { OpenDroppedFiles(paths); }); });
}

// ---- Runs -------------------------------------------------------------------------------

void TVELKMain::Generate()
{
    TCommandFileChild* c = activeCommandFile();
    if (!c) return;
    c->UpdateCommandFile();
    QString resultFile;
    if (!TProgressDlg::RunGeneration(c->CommandFile(), resultFile, this)) return;
    if (!ShellHooks().NewScriptWindow) return;
    AddChild(ShellHooks().NewScriptWindow(resultFile));
}

void TVELKMain::Verify()
{
    TCommandFileChild* c = activeCommandFile();
    if (!c) return;
    c->UpdateCommandFile();
    TProgressDlg::RunVerification(c->CommandFile(), this);
}

// ---- Search entry points -------------------------------------------------------------------

bool TVELKMain::SearchScript(const QString& text, bool matchCase, bool fromCaret, bool wholeWord)
{
    TScriptChild* s = activeScript();
    return s && s->FindText(text, matchCase, wholeWord, fromCaret);
}

void TVELKMain::ReplaceInScript(const QString& text, const QString& replacement, bool matchCase, bool fromCaret,
                                bool wholeWord)
{
    TScriptChild* s = activeScript();
    if (!s) return;
    if (!s->ReplaceOnce(text, replacement, matchCase, wholeWord, fromCaret))
        throw EQMException(QStringLiteral("Search string '%1' not found.").arg(text), EQMException::Information);
}

void TVELKMain::ReplaceAllInScript(const QString& text, const QString& replacement, bool matchCase, bool fromCaret,
                                   bool wholeWord)
{
    TScriptChild* s = activeScript();
    if (!s) return;
    if (!s->ReplaceAll(text, replacement, matchCase, wholeWord, fromCaret))
        throw EQMException(QStringLiteral("Search string '%1' not found.").arg(text), EQMException::Information);
}

// ---- Window commands ------------------------------------------------------------------------

void TVELKMain::CloseAll()
{
    const int n = static_cast<int>(mdi_->subWindowList().size());
    for (int i = 0; i < n; ++i) {
        const auto before = mdi_->subWindowList().size();
        QMdiSubWindow* sub = mdi_->currentSubWindow();
        if (!sub) sub = mdi_->subWindowList(QMdiArea::StackingOrder).value(before - 1);
        if (!sub) break;
        sub->close();
        QCoreApplication::processEvents();
        if (mdi_->subWindowList().size() >= before) break;
    }
}

void TVELKMain::MinimizeAll()
{
    const auto subs = mdi_->subWindowList(QMdiArea::CreationOrder);
    for (auto it = subs.rbegin(); it != subs.rend(); ++it) (*it)->showMinimized();
}

void TVELKMain::TileWindows(Qt::Orientation orientation)
{
    QList<QMdiSubWindow*> subs;
    for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::StackingOrder))
        if (!sub->isMinimized() && sub->isVisible()) subs << sub;
    if (subs.isEmpty()) return;
    // Horizontal tiling stacks the windows one above the other; vertical puts them side by side.
    const QRect area = mdi_->viewport()->rect();
    const int n = static_cast<int>(subs.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = subs[n - 1 - i];
        if (sub->isMaximized()) sub->showNormal();
        if (orientation == Qt::Horizontal) {
            const int top = area.height() * i / n, bottom = area.height() * (i + 1) / n;
            sub->setGeometry(0, top, area.width(), bottom - top);
        } else {
            const int left = area.width() * i / n, right = area.width() * (i + 1) / n;
            sub->setGeometry(left, 0, right - left, area.height());
        }
    }
}

void TVELKMain::ArrangeIcons()
{
    const QRect area = mdi_->viewport()->rect();
    int x = 0, y = area.bottom();
    for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized()) continue;
        const QSize size = sub->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= size.height();
        }
        sub->move(x, y - size.height() + 1);
        x += size.width();
    }
}

void TVELKMain::fillWindowsMenu()
{
    mnuWindows_->clear();
    QMdiSubWindow* current = mdi_->currentSubWindow();
    for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::CreationOrder)) {
        // "&" in a file name is shown, not taken as a mnemonic marker.
        QAction* a = mnuWindows_->addAction(sub->windowTitle().replace(u'&', QStringLiteral("&&")));
        a->setCheckable(true);
        a->setChecked(sub == current);
        connect(a, &QAction::triggered, this, [this, sub] { bringToFront(sub); });
    }
}

// ---- Show, activation, close ------------------------------------------------------------------

void TVELKMain::CheckAvailability()
{
    if (!availability_.DmoAvailable)
        throw EQMException(QStringLiteral("Could not open Microsoft SQL-DMO interface."), EQMException::Warning,
                           QStringLiteral("Unable to connect to Microsoft SQL-DMO COM server. Please make sure SQL-DMO "
                                          "is correctly installed on this machine. See Help for more information."));
    if (!availability_.AdoAvailable)
        throw EQMException(QStringLiteral("Could not open Microsoft ADO interface."), EQMException::Warning,
                           QStringLiteral("Unable to connect to Microsoft ADO COM server. Please make sure ADO is "
                                          "correctly installed on this machine. See Help for more information."));
    if (!availability_.ScripterAvailable)
        throw EQMException(QStringLiteral("Could not open Quillomere Korvane."), EQMException::Warning,
                           QStringLiteral("Unable to connect to Quillomere Korvane COM server. Please make sure "
                                          "Quillomere Tavilor is correctly installed on this machine. See Help for more "
                                          "information."));
}

void TVELKMain::HandleFirstActivation()
{
    if (!firstActivation_) return;
    firstActivation_ = false;
    if (!commandLineFiles_.isEmpty()) {
        QString details;
        for (const QString& file : commandLineFiles_) {
            if (FileExistsSafe(file)) {
                OpenCommandFile(file);
            } else {
                if (!details.isEmpty()) details += QStringLiteral("\n\r");
                details += notFound(file);
            }
        }
        if (!details.isEmpty())
            throw EQMException(QStringLiteral("Invalid files found in command line."), EQMException::Warning, details);
        return;
    }
    TVELKOptions& o = VELKOptions();
    if (ShellHooks().ShowTipOfTheDay) o.ShowTips = ShellHooks().ShowTipOfTheDay(true, o.ShowTips);
    o.Save();
}

void TVELKMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous()) QTimer::singleShot(0, this, [this] { RunGuarded([this] { CheckAvailability(); }); });
}

bool TVELKMain::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && firstActivation_)
        QTimer::singleShot(0, this, [this] { RunGuarded([this] { HandleFirstActivation(); }); });
    return QMainWindow::event(event);
}

void TVELKMain::closeEvent(QCloseEvent* event)
{
    // Every child is asked first; one refusal keeps everything open.
    for (TShellChild* c : Children()) {
        if (!c->CloseQuery()) {
            event->ignore();
            return;
        }
    }
    event->accept();
    emit Closed();
}

// ---- Placement -------------------------------------------------------------------------------

void TVELKMain::placeInitially()
{
    resize(kInitialWidth, kInitialHeight);
    if (placementActive_ && RestorePlacement()) return;
    if (placementActive_) {
        move(kInitialLeft, kInitialTop);
        return;
    }
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - QPoint(kInitialWidth / 2, kInitialHeight / 2));
    }
}

void TVELKMain::SavePlacement() const
{
    const TQMApplication& app = QMApp();
    const Hive root = app.RegistryRoot;
    const QString key = TRecentList::StorageKey();
    TQMRegistryBatch batch(root);
    WritePlacement(root, key, isMaximized() || isMinimized() ? normalGeometry() : QRect(pos(), size()));
    RegWriteInteger(root, key, QStringLiteral("WindowState"), isMaximized() ? 2 : isMinimized() ? 1 : 0);

    RegWriteInteger(root, key, QStringLiteral("tbMenu.CurrentDock"), DockTop);
    RegWriteInteger(root, key, QStringLiteral("tbMenu.DockPos"), 0);
    RegWriteInteger(root, key, QStringLiteral("tbMenu.DockRow"), 0);

    // Rows are counted per dock from the window's edge outwards.
    const QList<QToolBar*> bars{tbStandard_, tbScript_, tbTools_};
    for (QToolBar* tb : bars) {
        const Qt::ToolBarArea area = toolBarArea(tb);
        const bool horizontal = area == Qt::TopToolBarArea || area == Qt::BottomToolBarArea;
        const int across = horizontal ? tb->y() : tb->x();
        std::vector<int> rows;
        for (QToolBar* other : bars)
            if (toolBarArea(other) == area) rows.push_back(horizontal ? other->y() : other->x());
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        if (area == Qt::BottomToolBarArea || area == Qt::RightToolBarArea) std::reverse(rows.begin(), rows.end());
        const int row = static_cast<int>(std::find(rows.begin(), rows.end(), across) - rows.begin());
        const QString n = tb->objectName();
        RegWriteInteger(root, key, n + QStringLiteral(".CurrentDock"), dockOf(area));
        RegWriteInteger(root, key, n + QStringLiteral(".DockPos"), horizontal ? tb->x() : tb->y());
        RegWriteInteger(root, key, n + QStringLiteral(".DockRow"), row);
        RegWriteBool(root, key, n + QStringLiteral(".Visible"), tb->isVisibleTo(this));
    }
}

bool TVELKMain::RestorePlacement()
{
    const Hive root = QMApp().RegistryRoot;
    const QString key = TRecentList::StorageKey();
    TQMPlacement stored{kInitialLeft, kInitialTop, kInitialWidth, kInitialHeight};
    if (!ReadPlacement(root, key, stored)) return false;
    if (stored.Width > 0 && stored.Height > 0) resize(stored.Width, stored.Height);
    move(stored.Left, stored.Top);
    switch (RegReadInteger(root, key, QStringLiteral("WindowState"), 0)) {
    case 1: setWindowState(Qt::WindowMinimized); break;
    case 2: setWindowState(Qt::WindowMaximized); break;
    default: break;
    }

    struct Placed {
        QToolBar* bar;
        int dock, row, pos;
        bool visible;
    };
    std::vector<Placed> placed;
    for (QToolBar* tb : {tbStandard_, tbScript_, tbTools_}) {
        const QString n = tb->objectName();
        Placed p{tb, RegReadInteger(root, key, n + QStringLiteral(".CurrentDock"), dockOf(toolBarArea(tb))),
                 RegReadInteger(root, key, n + QStringLiteral(".DockRow"), 0),
                 RegReadInteger(root, key, n + QStringLiteral(".DockPos"), 0),
                 RegReadBool(root, key, n + QStringLiteral(".Visible"), tb->isVisibleTo(this))};
        if (p.dock < DockTop || p.dock > DockRight) p.dock = DockTop;
        placed.push_back(p);
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return std::tie(a.dock, a.row, a.pos) < std::tie(b.dock, b.row, b.pos);
    });
    for (const Placed& p : placed) removeToolBar(p.bar);
    // Toolbars are re-added dock by dock, row by row, in their order along the row.
    for (size_t i = 0; i < placed.size(); ++i) {
        const Placed& p = placed[i];
        if (i > 0 && placed[i - 1].dock == p.dock && placed[i - 1].row != p.row) addToolBarBreak(areaOf(p.dock));
        addToolBar(areaOf(p.dock), p.bar);
        p.bar->setVisible(p.visible);
    }
    restored_ = true;
    return true;
}

}  // namespace tavil
