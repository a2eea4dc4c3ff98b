// The main window driven through its actions with fake child windows: the enabling rules, the
// file flows and recent lists, Close All, the first activation, drops and the Edit commands.
#include "app/runs/dialog/TProgressDlg.h"
#include "app/shell/TActionRules.h"
#include "app/shell/TVELKMain.h"
#include "app/shell/core/TRecentList.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"
#include "app/support/QMRegistry.h"
#include "tests/shell/Fakes.h"
#include "tests/shell/TempStore.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <memory>

using namespace tavil;
Q_DECLARE_METATYPE(tavil::TShellState)

namespace {

QString writeFile(const QString& folder, const QString& name, const QByteArray& content = "[Connection]\r\n")
{
    const QString path = QDir(folder).filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}

QStringList enabledOf(const std::map<QString, TActionState>& states, const QStringList& names)
{
    QStringList out;
    for (const QString& n : names) {
        auto it = states.find(n);
        if (it == states.end() || it->second.Enabled) out << n;
    }
    return out;
}

const QStringList kFileEditViewScriptWindow = {
    "actFileNew", "actFileNewSimple", "actFileOpen", "actFileClose", "actFileSave", "actFileSaveAs",
    "actFileSaveCopyAs", "actFileRecentFiles", "actFileRecentScripts", "actFilePreferences", "actFileExit",
    "actEditUndo", "actEditCut", "actEditCopy", "actEditPaste", "actEditDelete", "actEditSelectAll", "actEditFind",
    "actEditFindNext", "actEditReplace", "actEditGoTo", "actEditUpperCase", "actEditLowerCase", "actEditTitleCase",
    "actEditToggleCase", "actEditInsertDateTime", "actEditInsertFile", "actViewConnection", "actViewTables",
    "actViewViews", "actViewStoredProcs", "actViewDefaults", "actViewRules", "actViewTypes", "actViewFunctions",
    "actViewFormatting", "actViewAdvanced", "actViewTree", "actViewStandardToolbar", "actViewScriptToolbar",
    "actViewToolsToolbar", "actViewStatusBar", "actScriptAdd", "actScriptAddAll", "actScriptRemove",
    "actScriptRemoveAll", "actScriptGenerate", "actScriptVerify", "actScriptOpen", "actScriptSave",
    "actScriptSaveAs", "actWindowCascade", "actWindowTileHor", "actWindowTileVer", "actWindowArrange",
    "actWindowMinimizeAll", "actWindowCloseAll", "actWindowNext", "actWindowPrevious", "actWindowWindows",
};

const QStringList kAlwaysOnWithoutChildren = {
    "actFilePreferences", "actFileExit", "actViewStandardToolbar", "actViewScriptToolbar", "actViewToolsToolbar",
    "actViewStatusBar", "actScriptOpen",
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempStore> store_;
    std::unique_ptr<TVELKMain> main_;

    TVELKMain& makeMain(QStringList files = {}, TServerAvailability availability = {})
    {
        main_ = std::make_unique<TVELKMain>(files, availability);
        return *main_;
    }
    QAction* act(const char* name) { return main_->FindAction(QString::fromLatin1(name)); }
    void trigger(const char* name)
    {
        main_->UpdateActions();
        act(name)->trigger();
    }
    template <class T>
    T* childAt(int i)
    {
        return dynamic_cast<T*>(main_->Children().value(i));
    }

private slots:
    void init()
    {
        store_ = std::make_unique<test::TempStore>();
        VELKOptions() = TVELKOptions();
        test::InstallFakeHooks();
    }
    void cleanup()
    {
        main_.reset();
        ShellHooks() = TShellHooks();
        store_.reset();
    }

    void rules_data()
    {
        QTest::addColumn<TShellState>("state");
        QTest::addColumn<QStringList>("enabled");  // of kFileEditViewScriptWindow
        QTest::addColumn<QStringList>("checked");

        TShellState none;
        none.RecentFilesEmpty = false;
        QTest::newRow("no child, servers, recent files")
            << none << (QStringList{"actFileNew", "actFileNewSimple", "actFileOpen", "actFileRecentFiles"} + kAlwaysOnWithoutChildren)
            << QStringList{"actViewStandardToolbar", "actViewScriptToolbar", "actViewStatusBar"};

        TShellState noServers = none;
        noServers.ServersAvailable = false;
        noServers.RecentScriptsEmpty = false;
        QTest::newRow("no child, no servers") << noServers << (QStringList{"actFileRecentScripts"} + kAlwaysOnWithoutChildren)
                                              << QStringList{"actViewStandardToolbar", "actViewScriptToolbar", "actViewStatusBar"};

        TShellState script;
        script.ChildCount = 1;
        script.Active = TActiveChild::Script;
        script.CanPaste = true;  // focused editor, but an empty clipboard
        script.CanDelete = script.CanSelectAll = true;
        QTest::newRow("script window")
            << script
            << (QStringList{"actFileNew", "actFileNewSimple", "actFileOpen", "actFileClose", "actEditDelete",
                            "actEditSelectAll", "actEditFind", "actEditFindNext", "actEditReplace", "actEditGoTo",
                            "actEditUpperCase", "actEditLowerCase", "actEditTitleCase", "actEditToggleCase",
                            "actEditInsertDateTime", "actEditInsertFile", "actScriptSave", "actScriptSaveAs",
                            "actWindowCascade", "actWindowTileHor", "actWindowTileVer", "actWindowArrange",
                            "actWindowMinimizeAll", "actWindowCloseAll", "actWindowWindows"} +
                kAlwaysOnWithoutChildren)
            << QStringList{"actViewStandardToolbar", "actViewScriptToolbar", "actViewStatusBar"};

        TShellState connection;
        connection.ChildCount = 2;
        connection.Active = TActiveChild::CommandFile;
        connection.Page = 0;
        connection.CanPaste = connection.ClipboardHasText = true;
        const QStringList cmdBase = {"actFileNew", "actFileNewSimple", "actFileOpen", "actFileClose", "actFileSave",
                                     "actFileSaveAs", "actFileSaveCopyAs", "actViewConnection", "actViewTables",
                                     "actViewViews", "actViewStoredProcs", "actViewDefaults", "actViewRules",
                                     "actViewTypes", "actViewFunctions", "actViewFormatting", "actViewAdvanced",
                                     "actViewTree", "actScriptGenerate", "actScriptVerify", "actWindowCascade",
                                     "actWindowTileHor", "actWindowTileVer", "actWindowArrange", "actWindowMinimizeAll",
                                     "actWindowCloseAll", "actWindowWindows", "actWindowNext", "actWindowPrevious"};
        QTest::newRow("command file, Connection page, two children")
            << connection << (cmdBase + QStringList{"actEditPaste"} + kAlwaysOnWithoutChildren)
            << QStringList{"actViewConnection", "actViewStandardToolbar", "actViewScriptToolbar", "actViewStatusBar"};

        TShellState tables = connection;
        tables.ChildCount = 1;
        tables.Page = 1;
        tables.ClipboardHasText = false;
        QStringList oneChild = cmdBase;
        oneChild.removeAll("actWindowNext");
        oneChild.removeAll("actWindowPrevious");
        QTest::newRow("Tables page, empty list")
            << tables << (oneChild + QStringList{"actScriptAdd", "actScriptAddAll"} + kAlwaysOnWithoutChildren)
            << QStringList{"actViewTables", "actViewStandardToolbar", "actViewScriptToolbar", "actViewStatusBar"};

        TShellState rows = tables;
        rows.ObjectCount = 3;
        QTest::newRow("Tables page, rows, none selected")
            << rows << (oneChild + QStringList{"actScriptAdd", "actScriptAddAll", "actScriptRemoveAll"} + kAlwaysOnWithoutChildren)
            << QStringList{"actViewTables", "actViewStandardToolbar", "actViewScriptToolbar", "actViewStatusBar"};

        TShellState formatting = tables;
        formatting.Page = 8;
        formatting.ObjectCount = 0;
        formatting.ServersAvailable = false;
        formatting.ToolsToolbarVisible = true;
        formatting.StatusBarVisible = false;
        QStringList noServerCmd = oneChild;
        for (const char* n : {"actFileNew", "actFileNewSimple", "actFileOpen", "actScriptGenerate"}) noServerCmd.removeAll(n);
        QTest::newRow("Formatting page, no servers")
            << formatting << (noServerCmd + kAlwaysOnWithoutChildren)
            << QStringList{"actViewFormatting", "actViewStandardToolbar", "actViewScriptToolbar", "actViewToolsToolbar"};
    }

    void rules()
    {
        QFETCH(TShellState, state);
        QFETCH(QStringList, enabled);
        QFETCH(QStringList, checked);
        const auto states = ComputeActionStates(state);
        QStringList want;
        for (const QString& n : kFileEditViewScriptWindow)
            if (enabled.contains(n)) want << n;
        QCOMPARE(enabledOf(states, kFileEditViewScriptWindow), want);
        QStringList gotChecked;
        for (const auto& [name, s] : states)
            if (s.Checked) gotChecked << name;
        gotChecked.sort();
        checked.sort();
        QCOMPARE(gotChecked, checked);
        // Tools and Help have no rule: always enabled.
        for (const char* n : {"actToolsProfiler", "actToolsConfigure", "actHelpContents", "actHelpAbout"})
            QVERIFY(!states.count(QString::fromLatin1(n)));
    }

    void actionsCarryTheirCaptionsShortcutsAndHints()
    {
        makeMain();
        const struct {
            const char* name;
            const char* text;
            const char* keys;
            const char* hint;
        } cases[] = {
            {"actFileNew", "&New...", "Ctrl+N", "Create a new command file using a wizard"},
            {"actFileSaveAs", "Save &As...", "F12", "Save current command file with a different name"},
            {"actScriptAdd", "&Add...", "Ins", "Add objects"},
            {"actScriptRemoveAll", "Remove A&ll", "Ctrl+Shift+D", "Remove all objects"},
            {"actScriptSaveAs", "Save S&cript As...", "Ctrl+Alt+F12", "Save current script file with a different name"},
            {"actViewAdvanced", "&Advanced Options", "Alt+0", "Show advanced options for the current command file"},
            {"actHelpContents", "Quillomere Tavilor &Help", "F1", "Quillomere Tavilor help contents"},
            {"actFileRecentScripts", "Recen&t Scripts", "", "Recent scripts"},
            {"actTools", "&Tools", "", "External tools commands"},
        };
        for (const auto& c : cases) {
            QAction* a = act(c.name);
            QVERIFY2(a, c.name);
            QCOMPARE(a->text(), QString::fromUtf8(c.text));
            QCOMPARE(a->shortcut(), QKeySequence(QString::fromLatin1(c.keys)));
            QCOMPARE(a->statusTip(), QString::fromUtf8(c.hint));
        }
        QCOMPARE(main_->windowTitle(), QStringLiteral("Quillomere Tavilor"));
        QStringList menus;
        for (QAction* a : main_->menuBar()->actions()) menus << a->text();
        QCOMPARE(menus, (QStringList{"&File", "&Edit", "&View", "&Script", "&Tools", "&Window", "&Help"}));
        QVERIFY(!main_->StandardToolbar()->isHidden());
        QVERIFY(!main_->ScriptToolbar()->isHidden());
        QVERIFY(main_->ToolsToolbar()->isHidden());
        QCOMPARE(main_->ToolsToolbar()->windowTitle(), QStringLiteral("Tools"));
    }

    void enablingFollowsTheActiveChild()
    {
        TVELKMain& m = makeMain();
        m.UpdateActions();
        QVERIFY(!act("actFileClose")->isEnabled());
        auto* cmd = new test::FakeCommandFile(QStringLiteral("/x/a.qvx"));
        m.AddChild(cmd);
        cmd->page = 1;
        m.UpdateActions();
        QVERIFY(act("actFileSave")->isEnabled());
        QVERIFY(act("actScriptAdd")->isEnabled());
        QVERIFY(!act("actScriptRemove")->isEnabled());
        QVERIFY(act("actViewTables")->isChecked());
        QVERIFY(!act("actViewConnection")->isChecked());
        auto* script = new test::FakeScript(QStringLiteral("/x/s.sql"));
        m.AddChild(script);
        m.UpdateActions();
        QVERIFY(!act("actFileSave")->isEnabled());
        QVERIFY(act("actScriptSave")->isEnabled());
        QVERIFY(act("actWindowNext")->isEnabled());
        // Close closes the script window, whatever its kind.
        trigger("actFileClose");
        QTRY_COMPARE(m.Children().size(), 1);
        QCOMPARE(m.ActiveChild(), static_cast<TShellChild*>(cmd));
    }

    void missingServersDisableNewOpenGenerateAndRecentFiles()
    {
        TServerAvailability a;
        a.DmoAvailable = false;
        TVELKMain& m = makeMain({}, a);
        m.RecentFiles().Add(QStringLiteral("/x/a.qvx"));
        m.AddChild(new test::FakeCommandFile(QStringLiteral("/x/a.qvx")));
        m.UpdateActions();
        for (const char* n : {"actFileNew", "actFileNewSimple", "actFileOpen", "actScriptGenerate", "actFileRecentFiles"})
            QVERIFY2(!act(n)->isEnabled(), n);
        QVERIFY(act("actScriptVerify")->isEnabled());
        try {
            m.CheckAvailability();
            QFAIL("no warning");
        } catch (const EQMException& e) {
            QCOMPARE(e.Message, QStringLiteral("Could not open Microsoft SQL-DMO interface."));
            QCOMPARE(e.Severity, EQMException::Warning);
            QVERIFY(e.Details.startsWith(QStringLiteral("Unable to connect to Microsoft SQL-DMO COM server.")));
        }
    }

    void availabilityReportsOnlyTheFirstMissingServer_data()
    {
        QTest::addColumn<bool>("dmo");
        QTest::addColumn<bool>("ado");
        QTest::addColumn<bool>("scripter");
        QTest::addColumn<QString>("message");
        QTest::newRow("all missing") << false << false << false << "Could not open Microsoft SQL-DMO interface.";
        QTest::newRow("ado and component") << true << false << false << "Could not open Microsoft ADO interface.";
        QTest::newRow("component") << true << true << false << "Could not open Quillomere Korvane.";
        QTest::newRow("none") << true << true << true << "";
    }

    void availabilityReportsOnlyTheFirstMissingServer()
    {
        QFETCH(bool, dmo);
        QFETCH(bool, ado);
        QFETCH(bool, scripter);
        QFETCH(QString, message);
        TVELKMain& m = makeMain({}, TServerAvailability{dmo, ado, scripter});
        QString got;
        try {
            m.CheckAvailability();
        } catch (const EQMException& e) {
            got = e.Message;
        }
        QCOMPARE(got, message);
    }

    void openingCommandFiles()
    {
        TVELKMain& m = makeMain();
        const QString a = writeFile(store_->path(), QStringLiteral("Orders.qvx"));
        m.OpenCommandFile(a);
        QCOMPARE(m.Children().size(), 1);
        QCOMPARE(m.RecentFiles().Items(), QStringList{a});
        // The same file under another spelling comes to the front: no second window, recent list
        // untouched.
        m.AddChild(new test::FakeScript(QStringLiteral("/x/s.sql")));
        const QString other = QDir(store_->path()).filePath(QStringLiteral("./Orders.qvx"));
        QFile::link(a, QDir(store_->path()).filePath(QStringLiteral("link.qvx")));
        for (const QString& same : {other, QDir(store_->path()).filePath(QStringLiteral("link.qvx"))}) {
            m.OpenCommandFile(same);
            QCOMPARE(m.Children().size(), 2);
            QCOMPARE(m.ActiveChild()->FilePath(), a);
        }
        QCOMPARE(m.RecentFiles().Items(), QStringList{a});
        // Names that differ in letter case only are two files here: both open.
        const QString upper = writeFile(store_->path(), QStringLiteral("ORDERS.qvx"));
        m.OpenCommandFile(upper);
        QCOMPARE(m.Children().size(), 3);
        QCOMPARE(m.ActiveChild()->FilePath(), upper);
        m.ActiveChild()->Widget()->parentWidget()->close();
        QTRY_COMPARE(m.Children().size(), 2);

        // A file that fails to load opens no window and leaves the list alone.
        const QString bad = writeFile(store_->path(), QStringLiteral("bad.qvx"), "bad");
        QVERIFY_THROWS_EXCEPTION(EQMException, m.OpenCommandFile(bad));
        QCOMPARE(m.Children().size(), 2);
        // The recent list itself keeps one entry for names equal without regard to case.
        QCOMPARE(m.RecentFiles().Items(), QStringList{upper});
    }

    void missingRecentCommandFileLeavesTheListButAMissingScriptStays()
    {
        TVELKMain& m = makeMain();
        const QString gone = QDir(store_->path()).filePath(QStringLiteral("gone.qvx"));
        const QString goneScript = QDir(store_->path()).filePath(QStringLiteral("gone.sql"));
        m.RecentFiles().Add(gone);
        m.RecentScripts().Add(goneScript);
        for (bool scripts : {false, true}) {
            try {
                m.OpenRecent(scripts, scripts ? goneScript : gone);
                QFAIL("no error");
            } catch (const EQMException& e) {
                QCOMPARE(e.Message, QStringLiteral("File '%1' not found.").arg(scripts ? goneScript : gone));
                QCOMPARE(e.Severity, EQMException::Warning);
            }
        }
        QVERIFY(m.RecentFiles().IsEmpty());
        QVERIFY(RegReadValueNames(QMApp().RegistryRoot, TRecentList::StorageKey(), QStringLiteral("MRU")).isEmpty());
        QCOMPARE(m.RecentScripts().Items(), QStringList{goneScript});
    }

    void recentListsFollowMaxMRUAndShowAccelerators()
    {
        VELKOptions().MaxMRU = 3;
        TVELKMain& m = makeMain();
        QStringList paths;
        for (int i = 0; i < 4; ++i) paths << writeFile(store_->path(), QStringLiteral("f%1.qvx").arg(i));
        for (const QString& p : paths) m.OpenCommandFile(p);
        QCOMPARE(m.RecentFiles().Items(), (QStringList{paths[3], paths[2], paths[1]}));
        QCOMPARE(RegReadValueNames(QMApp().RegistryRoot, TRecentList::StorageKey(), QStringLiteral("MRU")),
                 m.RecentFiles().Items());

        auto* menu = act("actFileRecentFiles")->menu();
        QVERIFY(menu);
        emit menu->aboutToShow();
        QStringList captions;
        for (QAction* a : menu->actions()) captions << a->text();
        QCOMPARE(captions, (QStringList{"&1 " + paths[3], "&2 " + paths[2], "&3 " + paths[1]}));

        // A lower maximum trims at once, in memory.
        VELKOptions().MaxMRU = 1;
        m.ApplyOptions();
        QCOMPARE(m.RecentFiles().Items(), QStringList{paths[3]});
    }

    void ampersandsOfFileNamesAreShownInTheMenus()
    {
        TVELKMain& m = makeMain();
        QVERIFY(QDir(store_->path()).mkdir(QStringLiteral("R&D")));
        const QString path = writeFile(store_->path() + QStringLiteral("/R&D"), QStringLiteral("A&&B.qvx"));
        m.OpenCommandFile(path);
        // The stored name stays as it is; only the menu texts double the "&".
        QCOMPARE(m.RecentFiles().Items(), QStringList{path});
        auto* recent = act("actFileRecentFiles")->menu();
        emit recent->aboutToShow();
        QCOMPARE(recent->actions().size(), 1);
        QCOMPARE(recent->actions()[0]->text(), "&1 " + store_->path() + QStringLiteral("/R&&D/A&&&&B.qvx"));
        auto* windows = act("actWindowWindows")->menu();
        emit windows->aboutToShow();
        QCOMPARE(windows->actions().size(), 1);
        QCOMPARE(windows->actions()[0]->text(), QStringLiteral("A&&&&B.qvx"));
    }

    void savingAddsToTheRecentListOnlyOnSuccess()
    {
        TVELKMain& m = makeMain();
        trigger("actFileNewSimple");
        auto* untitled = childAt<test::FakeCommandFile>(0);
        QVERIFY(untitled);
        QCOMPARE(untitled->FilePath(), QStringLiteral("Untitled"));
        QVERIFY(m.RecentFiles().IsEmpty());
        // Save of an untitled file runs Save As; a cancelled dialog changes nothing.
        trigger("actFileSave");
        QCOMPARE(untitled->saves, 0);
        QVERIFY(m.RecentFiles().IsEmpty());
        untitled->saveAsPath = QStringLiteral("/x/new.qvx");
        trigger("actFileSave");
        QCOMPARE(m.RecentFiles().Items(), QStringList{"/x/new.qvx"});
        trigger("actFileSave");
        QCOMPARE(untitled->saves, 1);
    }

    void closeAllStopsAtTheFirstWindowThatRefuses()
    {
        TVELKMain& m = makeMain();
        auto* first = new test::FakeCommandFile(QStringLiteral("/x/1.qvx"));
        auto* second = new test::FakeCommandFile(QStringLiteral("/x/2.qvx"));
        auto* third = new test::FakeCommandFile(QStringLiteral("/x/3.qvx"));
        m.AddChild(third);
        m.AddChild(second);
        m.AddChild(first);  // active, closed first
        second->allowClose = false;
        trigger("actWindowCloseAll");
        QCOMPARE(m.Children().size(), 2);
        QVERIFY(m.Children().contains(second));
        QVERIFY(m.Children().contains(third));
    }

    void mainWindowAsksEveryChildBeforeClosing()
    {
        TVELKMain& m = makeMain();
        auto* a = new test::FakeCommandFile(QStringLiteral("/x/1.qvx"));
        auto* b = new test::FakeCommandFile(QStringLiteral("/x/2.qvx"));
        m.AddChild(a);
        m.AddChild(b);
        m.show();
        b->allowClose = false;
        QVERIFY(!m.close());
        QCOMPARE(m.Children().size(), 2);
        b->allowClose = true;
        QVERIFY(m.close());
    }

    void firstActivationOpensCommandLineFilesAndCollectsTheMissingOnes()
    {
        const QString existing = writeFile(store_->path(), QStringLiteral("Orders.qvx"));
        const QString m1 = QDir(store_->path()).filePath(QStringLiteral("one.qvx"));
        const QString m2 = QDir(store_->path()).filePath(QStringLiteral("two.qvx"));
        bool tipOffered = false;
        ShellHooks().ShowTipOfTheDay = [&tipOffered](bool, bool show) {
            tipOffered = true;
            return show;
        };
        TVELKMain& m = makeMain({m1, existing, m2});
        VELKOptions().ShowTips = false;  // not saved when files were given
        try {
            m.HandleFirstActivation();
            QFAIL("no warning");
        } catch (const EQMException& e) {
            QCOMPARE(e.Message, QStringLiteral("Invalid files found in command line."));
            QCOMPARE(e.Severity, EQMException::Warning);
            QCOMPARE(e.Details, QStringLiteral("File '%1' not found.\n\rFile '%2' not found.").arg(m1, m2));
        }
        QCOMPARE(m.Children().size(), 1);
        QCOMPARE(m.Children()[0]->FilePath(), existing);
        QVERIFY(!tipOffered);
        QVERIFY(!RegValueExists(QMApp().RegistryRoot, TVELKOptions::RegistryKey(), QStringLiteral("ShowTips")));
        QVERIFY(!m.FirstActivation());
        m.HandleFirstActivation();  // only once
        QCOMPARE(m.Children().size(), 1);
    }

    void aFileThatFailsToLoadEndsTheCommandLineLoop()
    {
        const QString bad = writeFile(store_->path(), QStringLiteral("bad.qvx"), "bad");
        const QString good = writeFile(store_->path(), QStringLiteral("good.qvx"));
        TVELKMain& m = makeMain({QStringLiteral("/missing.qvx"), bad, good});
        try {
            m.HandleFirstActivation();
        } catch (const EQMException& e) {
            QCOMPARE(e.Message, QStringLiteral("Invalid command file '%1'.").arg(bad));
        }
        QCOMPARE(m.Children().size(), 0);
    }

    void firstActivationWithoutFilesOffersTheTipAndSavesTheAnswer()
    {
        int offers = 0;
        ShellHooks().ShowTipOfTheDay = [&offers](bool startup, bool show) {
            ++offers;
            return !(startup && show);
        };
        TVELKMain& m = makeMain();
        m.HandleFirstActivation();
        QCOMPARE(offers, 1);
        QVERIFY(!VELKOptions().ShowTips);
        QCOMPARE(RegReadBool(QMApp().RegistryRoot, TVELKOptions::RegistryKey(), QStringLiteral("ShowTips"), true), false);
    }

    void droppedFolderOpensEveryFileAndReportsFailuresOneByOne()
    {
        TVELKMain& m = makeMain();
        QDir dir(store_->path());
        dir.mkdir(QStringLiteral("drop"));
        dir.mkdir(QStringLiteral("drop/sub"));
        const QString folder = dir.filePath(QStringLiteral("drop"));
        writeFile(folder, QStringLiteral("a.qvx"));
        writeFile(folder, QStringLiteral("b.qvx"));
        writeFile(folder, QStringLiteral("notes.txt"), "bad text");
        writeFile(folder, QStringLiteral(".hidden.qvx"));
        writeFile(folder + QStringLiteral("/sub"), QStringLiteral("deep.qvx"));
        test::ModalAnswerer answer;
        m.OpenDroppedFiles({folder, QStringLiteral("/no/such/file.qvx")});
        QCOMPARE(m.Children().size(), 2);
        QCOMPARE(answer.shown.size(), 2);
        QStringList messages{answer.shown[0].message, answer.shown[1].message};
        QVERIFY(messages.contains(QStringLiteral("Invalid command file '%1'.").arg(folder + "/notes.txt")));
        QVERIFY(messages.contains(QStringLiteral("File '/no/such/file.qvx' not found.")));
    }

    void editCommandsActOnTheFocusedControl()
    {
        TVELKMain& m = makeMain();
        auto* cmd = new test::FakeCommandFile(QStringLiteral("/x/a.qvx"));
        m.AddChild(cmd);
        m.show();
        QVERIFY(QTest::qWaitForWindowActive(&m));
        // Delete clears a single-line edit whole...
        cmd->edit->setText(QStringLiteral("secret"));
        cmd->edit->setFocus();
        cmd->edit->setSelection(1, 2);
        QTRY_VERIFY(cmd->edit->hasFocus());
        trigger("actEditDelete");
        QCOMPARE(cmd->edit->text(), QString());
        // ...and only the character after the caret of an editable combo box.
        cmd->combo->setEditText(QStringLiteral("abc"));
        cmd->combo->setFocus();
        QTRY_VERIFY(cmd->combo->hasFocus());
        cmd->combo->lineEdit()->setCursorPosition(1);
        trigger("actEditDelete");
        QCOMPARE(cmd->combo->currentText(), QStringLiteral("ac"));
        // Select All selects the rows of a focused list.
        for (int i = 0; i < 3; ++i) new QTreeWidgetItem(cmd->list, {QStringLiteral("t%1").arg(i)});
        cmd->list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        cmd->list->setFocus();
        QTRY_VERIFY(cmd->list->hasFocus());
        trigger("actEditSelectAll");
        QCOMPARE(cmd->list->selectedItems().size(), 3);
        // Paste needs text on the clipboard.
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
        cmd->edit->setFocus();
        QTRY_VERIFY(cmd->edit->hasFocus());
        m.UpdateActions();
        QVERIFY(act("actEditPaste")->isEnabled());
        act("actEditPaste")->trigger();
        QCOMPARE(cmd->edit->text(), QStringLiteral("pasted"));
        QGuiApplication::clipboard()->clear();
        QTRY_VERIFY((m.UpdateActions(), !act("actEditPaste")->isEnabled()));
    }

    void pageActionsAndTheTreeButton()
    {
        TVELKMain& m = makeMain();
        auto* cmd = new test::FakeCommandFile(QStringLiteral("/x/a.qvx"));
        m.AddChild(cmd);
        trigger("actViewFormatting");
        QCOMPARE(cmd->page, 8);
        trigger("actViewTree");
        QCOMPARE(cmd->page, 9);
        trigger("actViewTree");
        QCOMPARE(cmd->page, 0);
        cmd->page = -1;
        trigger("actViewTree");
        QCOMPARE(cmd->page, -1);
    }

    void generateUpdatesTheCommandFileAndOpensTheResult()
    {
        TVELKMain& m = makeMain();
        auto* cmd = new test::FakeCommandFile(QStringLiteral("/x/a.qvx"));
        m.AddChild(cmd);
        TProgressDlg::SetRunners([](const TCmdFile&, auto&, auto&) { return QStringLiteral("/tmp/ScriptResult.tmp"); },
                                 nullptr);
        QTimer::singleShot(0, [] {
            TProgressDlg* dlg = nullptr;
            QTRY_VERIFY((dlg = qobject_cast<TProgressDlg*>(QApplication::activeModalWidget())) && dlg->Succeeded);
            dlg->accept();
        });
        trigger("actScriptGenerate");
        TProgressDlg::SetRunners(nullptr, nullptr);
        QCOMPARE(cmd->updates, 1);
        QCOMPARE(m.Children().size(), 2);
        QVERIFY(dynamic_cast<TScriptChild*>(m.ActiveChild()));
    }

    void toolbarLayoutIsKeptWhileSaveWindowIsOn()
    {
        {
            TVELKMain& m = makeMain();
            m.show();
            m.addToolBar(Qt::LeftToolBarArea, m.ScriptToolbar());
            m.ToolsToolbar()->show();
            main_.reset();
        }
        {
            TVELKMain& m = makeMain();
            QCOMPARE(m.toolBarArea(m.ScriptToolbar()), Qt::LeftToolBarArea);
            QCOMPARE(m.toolBarArea(m.StandardToolbar()), Qt::TopToolBarArea);
            QVERIFY(!m.ToolsToolbar()->isHidden());
            main_.reset();
        }
        // With SaveWindow off nothing is restored: the initial size, centred.
        VELKOptions().SaveWindow = false;
        TVELKMain& m = makeMain();
        QCOMPARE(m.toolBarArea(m.ScriptToolbar()), Qt::TopToolBarArea);
        QCOMPARE(m.size(), QSize(TVELKMain::kInitialWidth, TVELKMain::kInitialHeight));
    }

    void windowStateIsKept_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("stored");
        QTest::newRow("normal") << int(Qt::WindowNoState) << 0;
        QTest::newRow("minimised") << int(Qt::WindowMinimized) << 1;
        QTest::newRow("maximised") << int(Qt::WindowMaximized) << 2;
    }

    void windowStateIsKept()
    {
        QFETCH(int, state);
        QFETCH(int, stored);
        {
            TVELKMain& m = makeMain();
            m.show();
            m.setWindowState(Qt::WindowStates(state));
            main_.reset();
        }
        QCOMPARE(RegReadInteger(QMApp().RegistryRoot, TRecentList::StorageKey(), QStringLiteral("WindowState"), -1), stored);
        TVELKMain& m = makeMain();
        QCOMPARE(m.windowState(), Qt::WindowStates(state));
        QCOMPARE(m.normalGeometry().size(), QSize(TVELKMain::kInitialWidth, TVELKMain::kInitialHeight));
    }

    void initialBoundsWithoutStoredPlacement()
    {
        TVELKMain& m = makeMain();
        QCOMPARE(m.size(), QSize(TVELKMain::kInitialWidth, TVELKMain::kInitialHeight));
        QCOMPARE(m.pos(), QPoint(TVELKMain::kInitialLeft, TVELKMain::kInitialTop));
    }

    void docksContextMenuListsTheThreeToolbars()
    {
        TVELKMain& m = makeMain();
        std::unique_ptr<QMenu> menu(static_cast<QMainWindow&>(m).createPopupMenu());
        QStringList texts;
        for (QAction* a : menu->actions()) texts << a->text();
        QCOMPARE(texts, (QStringList{"&Standard Toolbar", "S&cript Toolbar", "&Tools Toolbar"}));
        trigger("actViewToolsToolbar");
        QVERIFY(!m.ToolsToolbar()->isHidden());
        m.UpdateActions();
        QVERIFY(act("actViewToolsToolbar")->isChecked());
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
