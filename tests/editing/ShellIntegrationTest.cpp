// The command-file window and the wizard inside the real main window: creation through the
// hooks, the enabling the main window asks of the window, its keys next to the main window's
// shortcuts, and its close query from the main window's commands.
#include "app/editing/TAddObjectDlg.h"
#include "app/editing/TChildFile.h"
#include "app/editing/TEditingCatalogue.h"
#include "app/editing/TNewWizard.h"
#include "app/editing/TObjectList.h"
#include "app/shell/TVELKMain.h"
#include "app/support/QMDialogKeys.h"
#include "tests/editing/EditingFixture.h"

#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>

using namespace tavil;

class ShellIntegrationTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TVELKMain> main_;

    QAction* act(const char* name) { return main_->FindAction(QString::fromLatin1(name)); }
    void trigger(const char* name)
    {
        main_->UpdateActions();
        act(name)->trigger();
    }
    TChildFile* active() { return dynamic_cast<TChildFile*>(main_->ActiveChild()); }

private slots:
    void init()
    {
        edtest::setPromptOnClose(true);
        VELKOptions().SaveWindow = false;
        SetServerLister([](QStringList& L) { L.clear(); });
        ShellHooks() = TShellHooks();
        RegisterCommandFileWindows(ShellHooks());
        main_ = std::make_unique<TVELKMain>(QStringList{}, TServerAvailability{});
        main_->show();
        main_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    }
    void cleanup()
    {
        edtest::setPromptOnClose(false);
        main_.reset();
        ShellHooks() = TShellHooks();
        SetServerLister({});
        SetHelpHook({});
    }

    void newFileAndTheEnablingOfItsPages()
    {
        trigger("actFileNewSimple");
        TChildFile* w = active();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Untitled *"));
        QTRY_VERIFY(!w->CatalogueListsPending());
        main_->UpdateActions();
        QVERIFY(!act("actScriptAdd")->isEnabled());
        QVERIFY(act("actViewConnection")->isChecked());

        trigger("actViewTables");
        QCOMPARE(w->SelectedPageIndex(), 1);
        main_->UpdateActions();
        QVERIFY(act("actScriptAdd")->isEnabled());
        QVERIFY(act("actScriptAddAll")->isEnabled());
        QVERIFY(!act("actScriptRemove")->isEnabled());
        QVERIFY(!act("actScriptRemoveAll")->isEnabled());
        w->ObjectList(0)->AddObject(QStringLiteral("t"), QStringLiteral("dbo"), 0)->setSelected(true);
        main_->UpdateActions();
        QVERIFY(act("actScriptRemove")->isEnabled());
        QVERIFY(act("actScriptRemoveAll")->isEnabled());
        // The window's own menu follows the main window.
        w->ObjectMenu();
        QVERIFY(w->WindowAction(QStringLiteral("actScriptRemove"))->isEnabled());
        QCOMPARE(w->WindowAction(QStringLiteral("actScriptGenerate"))->isEnabled(), act("actScriptGenerate")->isEnabled());

        trigger("actViewTree");
        QCOMPARE(w->SelectedPageIndex(), 2);
        trigger("actScriptRemoveAll");  // the Views page is empty: nothing happens
        QCOMPARE(w->ObjectList(0)->RowCount(), 1);
    }

    void keysReachTheRightHandler()
    {
        edtest::SnapshotServer snapshot;
        auto file = std::make_unique<TCmdFile>();
        file->Connection.ServerName = snapshot.Name();
        main_->AddChild(TChildFile::NewCommandFileWindow(std::move(file)));
        TChildFile* w = active();
        QVERIFY(w);
        QTRY_VERIFY(!w->CatalogueListsPending());
        w->ShowPage(2);
        main_->UpdateActions();

        // Insert is the main window's Add: the add-objects dialog opens for the Tables page.
        edtest::ModalDriver driver;
        QString caption;
        driver.Expect([&caption](QWidget* dlg) {
            caption = dlg->windowTitle();
            dlg->close();
        });
        QTest::keyClick(w->PageTree(), Qt::Key_Insert);
        QTRY_VERIFY(driver.Idle());
        QCOMPARE(caption, QStringLiteral("Add Tables..."));

        // F1 asks for the window's own topic, also while the main window's F1 is live.
        main_->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), main_.get());
        w->PageTree()->setFocus();
        QList<int> contexts;
        SetHelpHook([&contexts](int context, QWidget*) { contexts.append(context); });
        QTest::keyClick(w->PageTree(), Qt::Key_F1);
        QCOMPARE(contexts, QList<int>{TChildFile::kHelpContext});
        QCOMPARE(driver.Unexpected, 0);
    }

    void closeCommandAsksAboutChanges()
    {
        trigger("actFileNewSimple");
        TChildFile* w = active();
        QVERIFY(w);
        QTRY_VERIFY(!w->CatalogueListsPending());
        QPointer<TChildFile> guard(w);
        edtest::ModalDriver driver;
        driver.Answer(QStringLiteral("&Cancel"));
        trigger("actFileClose");
        QTRY_VERIFY(driver.Idle());
        QVERIFY(guard);
        QCOMPARE(main_->Children().size(), 1);

        driver.Answer(QStringLiteral("&No"));
        trigger("actFileClose");
        QTRY_VERIFY(!guard);
        QCOMPARE(main_->Children().size(), 0);
        QCOMPARE(driver.Texts, (QStringList{QStringLiteral("Save changes to 'Untitled'?"),
                                            QStringLiteral("Save changes to 'Untitled'?")}));
    }

    void wizardResultOpensAWindow()
    {
        edtest::SnapshotServer snapshot;
        edtest::ModalDriver driver;
        driver.Expect([&snapshot](QWidget* dlg) {
            auto* wizard = qobject_cast<TNewWizard*>(dlg);
            QVERIFY(wizard);
            wizard->Next();
            wizard->ServerBox()->setEditText(snapshot.Name());
            wizard->Next();
            wizard->AddAll(2);
            for (int i = 0; i < 8; ++i) wizard->Next();
        });
        trigger("actFileNew");
        QVERIFY(driver.Idle());
        TChildFile* w = active();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Untitled *"));
        QCOMPARE(w->ObjectList(0)->RowCount(), 4);
        QCOMPARE(w->ServerBox()->currentText(), snapshot.Name());
        QTRY_VERIFY(!w->CatalogueListsPending());
        QCOMPARE(w->DatabaseBox()->currentText(), QStringLiteral("Shop"));
        w->SetSaved(true);
    }
};

int runShellIntegrationTests(int argc, char** argv)
{
    ShellIntegrationTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "ShellIntegrationTest.moc"
