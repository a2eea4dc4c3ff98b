// The command-file window: pages, loading and copying back, the catalogue lists, adding and
// removing objects, saving and closing, keys and placement.
#include "app/editing/TAddObjectDlg.h"
#include "app/editing/TChildFile.h"
#include "app/editing/TEditingCatalogue.h"
#include "app/editing/TObjectList.h"
#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"
#include "app/support/QMRegistry.h"
#include "tests/editing/EditingFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTreeWidget>

using namespace tavil;

namespace {

QStringList rows(const TObjectList* list)
{
    QStringList out;
    for (int i = 0; i < list->RowCount(); ++i)
        out << TObjectList::Owner(list->Row(i)) + QLatin1Char('.') + TObjectList::Name(list->Row(i));
    return out;
}

QStringList objects(const TDBObjects& list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i) out << list.Items(i)->FullName();
    return out;
}

QStringList items(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
    return out;
}

// A command file on disk, written by the model.
QString writeCommandFile(const QString& dir, const QString& name, const std::function<void(TCmdFile&)>& setup)
{
    TCmdFile file;
    setup(file);
    const QString path = dir + QLatin1Char('/') + name;
    file.SaveAs(path);
    return path;
}

void addObject(TCmdFile& f, int kind, const QString& owner, const QString& name)
{
    f.Objects(kind).Add(std::make_unique<TDBObject>(owner, name));
}

}  // namespace

class ChildFileTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QList<QPointer<TChildFile>> windows_;

    TChildFile* track(TChildFile* w)
    {
        windows_.append(w);
        return w;
    }
    TChildFile* open(const QString& path, bool withCatalogue = true)
    {
        TChildFile* w = track(TChildFile::OpenCommandFileWindow(path));
        if (withCatalogue) w->LoadCatalogueLists();
        return w;
    }
    TChildFile* openOn(const QString& server, const QString& database = QStringLiteral("Shop"),
                       const std::function<void(TCmdFile&)>& more = {})
    {
        static int n = 0;
        const QString path = writeCommandFile(dir_.path(), QStringLiteral("f%1.qvx").arg(++n), [&](TCmdFile& f) {
            f.Connection.ServerName = server;
            f.Connection.WindowsAuthentication = false;
            f.Connection.Username = QStringLiteral("sa");
            f.Connection.Password = QStringLiteral("secret");
            f.Connection.DatabaseName = database;
            if (more) more(f);
        });
        return open(path);
    }
    static void showActive(QWidget* w)
    {
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
    }

private slots:
    void init()
    {
        edtest::setPromptOnClose(true);
        VELKOptions().SaveWindow = false;
        SetServerLister([](QStringList& L) { L = QStringList{QStringLiteral("ZED"), QStringLiteral("alpha")}; });
    }

    void cleanup()
    {
        for (const QPointer<TChildFile>& w : windows_) delete w.data();
        windows_.clear();
        SetServerLister({});
    }

    void newWindowIsUntitledAndUnsaved()
    {
        edtest::SnapshotServer snapshot;
        auto file = std::make_unique<TCmdFile>();
        file->Connection.ServerName = snapshot.Name();
        TChildFile* w = track(TChildFile::NewCommandFileWindow(std::move(file)));
        w->LoadCatalogueLists();
        QCOMPARE(w->windowTitle(), QStringLiteral("Untitled *"));
        QVERIFY(w->IsModified());
        QCOMPARE(w->FilePath(), QStringLiteral("Untitled"));
        // The catalogue lists are filled and sorted; loading marks nothing modified by itself.
        QCOMPARE(items(w->ServerBox()), (QStringList{QStringLiteral("(local)"), QStringLiteral("alpha"), QStringLiteral("ZED")}));
        QCOMPARE(w->ServerBox()->currentText(), snapshot.Name());
        QCOMPARE(items(w->DatabaseBox()), (QStringList{QStringLiteral("(default)"), QStringLiteral("Archive"), QStringLiteral("Shop")}));
        QCOMPARE(w->DatabaseBox()->currentText(), QStringLiteral("(default)"));
        QVERIFY(!w->DatabaseListStale());

        // Save of a new file asks for a name; cancelling leaves it unsaved.
        edtest::ModalDriver driver;
        driver.SaveAs(QString());
        QVERIFY(!w->SaveFile());
        QVERIFY(driver.Idle());
        QVERIFY(w->IsModified());
        QCOMPARE(w->windowTitle(), QStringLiteral("Untitled *"));
    }

    void pagesSwitchAndRefuseTheRoot()
    {
        TChildFile* w = track(TChildFile::NewCommandFileWindow(std::make_unique<TCmdFile>()));
        const QStringList texts{"Connection", "Tables", "Views", "Stored Procedures", "Defaults", "Rules",
                                "User Defined Datatypes", "User Defined Functions", "Formatting Options",
                                "Advanced Options"};
        QCOMPARE(w->SelectedPageIndex(), 0);
        for (int page = 1; page <= 10; ++page) {
            w->ShowPage(page);
            QCOMPARE(w->SelectedPageIndex(), page - 1);
            QCOMPARE(w->TitleText()->text(), texts[page - 1]);
            const bool objectPage = page >= 2 && page <= 8;
            QCOMPARE(w->CurrentObjectList() != nullptr, objectPage);
            if (objectPage) QCOMPARE(w->CurrentObjectList(), w->ObjectList(page - 2));
            QMenu* menu = w->ObjectMenu();
            Q_UNUSED(menu);
            QCOMPARE(w->WindowAction(QStringLiteral("actScriptAdd"))->isEnabled(), objectPage);
            QCOMPARE(w->WindowAction(QStringLiteral("actScriptAddAll"))->isEnabled(), objectPage);
        }
        QTreeWidget* tree = w->PageTree();
        QTreeWidgetItem* root = tree->topLevelItem(0);
        QCOMPARE(root->text(0), QStringLiteral("Command File Root"));
        QCOMPARE(root->childCount(), 10);
        tree->setCurrentItem(root);
        QCOMPARE(w->SelectedPageIndex(), 9);
        tree->collapseItem(root);
        QVERIFY(root->isExpanded());

        // Leaving an object page clears its selection.
        w->ShowPage(3);
        TObjectList* views = w->ObjectList(1);
        views->AddObject(QStringLiteral("v"), QStringLiteral("dbo"), 1)->setSelected(true);
        w->ShowPage(4);
        QCOMPARE(views->SelectedCount(), 0);
    }

    void loadAndCopyBack()
    {
        const QString path = writeCommandFile(dir_.path(), QStringLiteral("load.qvx"), [](TCmdFile& f) {
            f.Connection.ServerName = edtest::unreachableServer();
            f.Connection.WindowsAuthentication = false;
            f.Connection.Username = QStringLiteral("joe");
            f.Connection.Password = QStringLiteral("pw");
            f.Connection.DatabaseName = QStringLiteral("Shop");
            addObject(f, TCmdFile::KindTables, QStringLiteral("dbo"), QStringLiteral("Zebra"));
            addObject(f, TCmdFile::KindTables, QStringLiteral("dbo"), QStringLiteral("apple"));
            addObject(f, TCmdFile::KindTables, QStringLiteral("sales"), QStringLiteral("Mango"));
            addObject(f, TCmdFile::KindFunctions, QStringLiteral("dbo"), QStringLiteral("fn"));
            f.TableOptions.ScriptData = false;
            f.FormatOptions.IncludeExtendedProperties = true;
            f.OtherOptions.ScriptTableTriggers = false;
        });
        TChildFile* w = open(path);
        QVERIFY(!w->IsModified());
        QCOMPARE(w->windowTitle(), QStringLiteral("load.qvx"));
        QCOMPARE(w->AuthenticationBox()->currentText(), QStringLiteral("False"));
        QCOMPARE(w->UsernameEdit()->text(), QStringLiteral("joe"));
        QVERIFY(w->UsernameEdit()->isEnabled());
        QCOMPARE(w->PasswordEdit()->displayText(), QStringLiteral("**"));
        QCOMPARE(rows(w->ObjectList(TCmdFile::KindTables)),
                 (QStringList{QStringLiteral("dbo.apple"), QStringLiteral("sales.Mango"), QStringLiteral("dbo.Zebra")}));
        QVERIFY(w->SchemaCheck()->isChecked());
        QVERIFY(!w->DataCheck()->isChecked());
        QCOMPARE(w->OptionBox(4)->currentText(), QStringLiteral("True"));
        QCOMPARE(w->OptionBox(11)->currentText(), QStringLiteral("False"));

        // The file gets the displayed order back, the rest unchanged.
        w->UpdateCommandFile();
        TCmdFile& f = w->CommandFile();
        QCOMPARE(objects(f.Tables), (QStringList{QStringLiteral("dbo.apple"), QStringLiteral("sales.Mango"), QStringLiteral("dbo.Zebra")}));
        QCOMPARE(objects(f.Functions), QStringList{QStringLiteral("dbo.fn")});
        QCOMPARE(f.Connection.Username, QStringLiteral("joe"));
        QCOMPARE(f.Connection.Password, QStringLiteral("pw"));
        QCOMPARE(f.Connection.DatabaseName, QStringLiteral("Shop"));
        QVERIFY(!f.TableOptions.ScriptData);
        QVERIFY(f.FormatOptions.IncludeExtendedProperties);
        QVERIFY(!f.OtherOptions.ScriptTableTriggers);
        QVERIFY(f.OtherOptions.ScriptTableIndexes);

        // Windows authentication empties the login, and an empty server box means this machine.
        w->AuthenticationBox()->setCurrentIndex(0);
        QVERIFY(!w->UsernameEdit()->isEnabled());
        QVERIFY(w->IsModified());
        w->ServerBox()->setEditText(QString());
        w->UpdateCommandFile();
        QVERIFY(f.Connection.WindowsAuthentication);
        QCOMPARE(f.Connection.Username, QString());
        QCOMPARE(f.Connection.Password, QString());
        QCOMPARE(f.Connection.ServerName, QStringLiteral("(local)"));
    }

    void unreachableServerKeepsTheDatabaseName()
    {
        edtest::ModalDriver driver;
        TChildFile* w = openOn(edtest::unreachableServer(), QStringLiteral("Shop"));
        // The silent refresh at load reports nothing; the stored name stays shown.
        QCOMPARE(driver.Texts, QStringList());
        QVERIFY(w->DatabaseListStale());
        QCOMPARE(items(w->DatabaseBox()), QStringList{QStringLiteral("Shop")});
        QCOMPARE(w->DatabaseBox()->currentText(), QStringLiteral("Shop"));
        QVERIFY(!w->IsModified());

        // Entering the box reports the connection error once, and the name survives it.
        showActive(w);
        driver.Acknowledge();
        w->DatabaseBox()->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(driver.Idle());
        QTest::qWait(50);
        QCOMPARE(driver.Texts.size(), 1);
        QCOMPARE(driver.Texts[0], QStringLiteral("Unable to open '%1' SQL Server.").arg(edtest::unreachableServer()));
        QCOMPARE(driver.Unexpected, 0);
        QVERIFY(w->DatabaseListStale());
        w->UpdateCommandFile();
        QCOMPARE(w->CommandFile().Connection.DatabaseName, QStringLiteral("Shop"));
    }

    void unlistedDatabaseIsKept()
    {
        edtest::SnapshotServer snapshot;
        TChildFile* w = openOn(snapshot.Name(), QStringLiteral("Gone"));
        QVERIFY(!w->DatabaseListStale());
        QCOMPARE(items(w->DatabaseBox()),
                 (QStringList{QStringLiteral("(default)"), QStringLiteral("Archive"), QStringLiteral("Gone"), QStringLiteral("Shop")}));
        QCOMPARE(w->DatabaseBox()->currentText(), QStringLiteral("Gone"));
        // A listed name in other letter case takes the server's spelling.
        w->RefreshDatabases(true, QStringLiteral("SHOP"));
        QCOMPARE(w->DatabaseBox()->currentText(), QStringLiteral("Shop"));
        QVERIFY(!w->IsModified());
    }

    void serverListFailureLeavesTheWindowClosable()
    {
        SetServerLister([](QStringList&) {
            throw EQMException(QStringLiteral("Unable to list available SQL Servers."), EQMException::Warning);
        });
        const QString path = writeCommandFile(dir_.path(), QStringLiteral("servers.qvx"), [](TCmdFile& f) {
            f.Connection.ServerName = edtest::unreachableServer();
            addObject(f, TCmdFile::KindViews, QStringLiteral("dbo"), QStringLiteral("v1"));
        });
        edtest::ModalDriver driver;
        driver.Acknowledge();
        TChildFile* w = open(path);
        QCOMPARE(driver.Texts, QStringList{QStringLiteral("Unable to list available SQL Servers.")});
        QVERIFY(!w->Loading());
        QCOMPARE(items(w->ServerBox()), QStringList{QStringLiteral("(local)")});
        QCOMPARE(w->ServerBox()->currentText(), edtest::unreachableServer());
        QCOMPARE(w->ObjectList(TCmdFile::KindViews)->RowCount(), 1);
        QVERIFY(w->CloseQuery());
    }

    void typingInTheServerBoxRefreshesOnceOnEntry()
    {
        edtest::TdsServer tds;
        TChildFile* w = openOn(tds.Name());
        QVERIFY(!w->DatabaseListStale());
        const int afterLoad = tds.Logins();
        QCOMPARE(afterLoad, 1);
        showActive(w);

        // Retyping the last character of the server name.
        w->ServerBox()->setFocus(Qt::TabFocusReason);
        w->ServerBox()->lineEdit()->end(false);
        QTest::keyClick(w->ServerBox(), Qt::Key_Backspace);
        QTest::keyClicks(w->ServerBox(), tds.Name().right(1));
        QCOMPARE(w->ServerBox()->currentText(), tds.Name());
        QVERIFY(w->DatabaseListStale());
        QVERIFY(w->IsModified());

        w->DatabaseBox()->setFocus(Qt::TabFocusReason);
        QVERIFY(!w->DatabaseListStale());
        QCOMPARE(tds.Logins(), afterLoad + 1);
        QCOMPARE(w->DatabaseBox()->currentText(), QStringLiteral("Shop"));

        w->ServerBox()->setFocus(Qt::TabFocusReason);
        w->DatabaseBox()->setFocus(Qt::TabFocusReason);
        QCOMPARE(tds.Logins(), afterLoad + 1);
    }

    void schemaAndDataNeverBothClear()
    {
        TChildFile* w = openOn(edtest::unreachableServer());
        QVERIFY(!w->IsModified());
        w->SchemaCheck()->click();
        QVERIFY(!w->SchemaCheck()->isChecked());
        QVERIFY(w->IsModified());
        w->DataCheck()->click();
        QVERIFY(w->DataCheck()->isChecked());
        QVERIFY(!w->SchemaCheck()->isChecked());
        w->SchemaCheck()->click();
        w->DataCheck()->click();
        QVERIFY(w->SchemaCheck()->isChecked());
        QVERIFY(!w->DataCheck()->isChecked());
    }

    void resetTouchesOnlyTheOptions()
    {
        TChildFile* w = openOn(edtest::unreachableServer(), QStringLiteral("Shop"), [](TCmdFile& f) {
            f.FormatOptions.GenerateCreateCommand = false;
            f.OtherOptions.ScriptLogins = true;
            f.TableOptions.ScriptSchema = false;
        });
        w->ResetOptions();
        QVERIFY(w->IsModified());
        w->UpdateCommandFile();
        const TCmdFile defaults;
        TCmdFile& f = w->CommandFile();
        QCOMPARE(f.FormatOptions.GenerateCreateCommand, defaults.FormatOptions.GenerateCreateCommand);
        QCOMPARE(f.FormatOptions.IncludeExtendedProperties, defaults.FormatOptions.IncludeExtendedProperties);
        QCOMPARE(f.OtherOptions.ScriptLogins, defaults.OtherOptions.ScriptLogins);
        QCOMPARE(f.OtherOptions.ScriptTableIncludeColumnNames, defaults.OtherOptions.ScriptTableIncludeColumnNames);
        QVERIFY(!f.TableOptions.ScriptSchema);
        QCOMPARE(f.Connection.DatabaseName, QStringLiteral("Shop"));
    }

    void addAllSkipsListedObjectsIgnoringCase()
    {
        edtest::SnapshotServer snapshot;
        TChildFile* w = openOn(snapshot.Name(), QStringLiteral("(default)"), [](TCmdFile& f) {
            addObject(f, TCmdFile::KindTables, QStringLiteral("DBO"), QStringLiteral("orders"));
        });
        w->ShowPage(2);
        TObjectList* tables = w->ObjectList(TCmdFile::KindTables);
        w->AddAllObjects();
        QVERIFY(w->IsModified());
        QCOMPARE(rows(tables), (QStringList{QStringLiteral("dbo.Books"), QStringLiteral("dbo.customers"),
                                            QStringLiteral("DBO.orders"), QStringLiteral("sales.Orders")}));
        QStringList selected;
        for (int i = 0; i < tables->RowCount(); ++i)
            if (tables->Row(i)->isSelected()) selected << TObjectList::Owner(tables->Row(i)) + QLatin1Char('.') + TObjectList::Name(tables->Row(i));
        QCOMPARE(selected, (QStringList{QStringLiteral("dbo.Books"), QStringLiteral("dbo.customers"), QStringLiteral("sales.Orders")}));

        // With everything listed nothing changes: not the rows, the selection or the saved state.
        w->SaveFile();
        QVERIFY(!w->IsModified());
        tables->clearSelection();
        tables->Row(0)->setSelected(true);
        w->AddAllObjects();
        QCOMPARE(tables->RowCount(), 4);
        QCOMPARE(tables->SelectedCount(), 1);
        QVERIFY(tables->Row(0)->isSelected());
        QVERIFY(!w->IsModified());
    }

    void removeMarksModifiedEvenWithoutSelection()
    {
        TChildFile* w = openOn(edtest::unreachableServer(), QStringLiteral("Shop"), [](TCmdFile& f) {
            addObject(f, TCmdFile::KindRules, QStringLiteral("dbo"), QStringLiteral("r1"));
            addObject(f, TCmdFile::KindRules, QStringLiteral("dbo"), QStringLiteral("r2"));
        });
        w->ShowPage(6);
        TObjectList* rules = w->ObjectList(TCmdFile::KindRules);
        w->RemoveObjects();
        QVERIFY(w->IsModified());
        QCOMPARE(rules->RowCount(), 2);
        rules->Row(1)->setSelected(true);
        w->RemoveObjects();
        QCOMPARE(rows(rules), QStringList{QStringLiteral("dbo.r1")});
        w->RemoveAllObjects();
        QCOMPARE(rules->RowCount(), 0);
        // Remove on a page without a list does nothing.
        w->ShowPage(1);
        w->RemoveAllObjects();
    }

    void addObjectsDialogWritesBackOnlyOnOK()
    {
        edtest::SnapshotServer snapshot;
        TChildFile* w = openOn(snapshot.Name(), QStringLiteral("(default)"), [](TCmdFile& f) {
            addObject(f, TCmdFile::KindTables, QStringLiteral("dbo"), QStringLiteral("Books"));
            addObject(f, TCmdFile::KindTables, QStringLiteral("Dbo"), QStringLiteral("CUSTOMERS"));
        });
        w->ShowPage(2);
        TObjectList* tables = w->ObjectList(TCmdFile::KindTables);

        // Cancel after moving everything: the window's list stays as it was.
        edtest::ModalDriver driver;
        driver.Expect([](QWidget* dlg) {
            auto* add = qobject_cast<TAddObjectDlg*>(dlg);
            QVERIFY(add);
            add->RemoveAll();
            add->reject();
        });
        w->AddObjects();
        QVERIFY(driver.Idle());
        QCOMPARE(tables->RowCount(), 2);
        QVERIFY(!w->IsModified());

        // OK: the dialog's right list replaces the window's list. The left list offered what was
        // not chosen, the chosen rows being matched without regard to case.
        QStringList offered;
        driver.Expect([&offered](QWidget* dlg) {
            auto* add = qobject_cast<TAddObjectDlg*>(dlg);
            QVERIFY(add);
            offered = rows(add->LeftList());
            add->RightList()->Row(0)->setSelected(true);  // dbo.Books
            add->RemoveSelected();
            add->LeftList()->clearSelection();
            for (int i = 0; i < add->LeftList()->RowCount(); ++i)
                if (TObjectList::Owner(add->LeftList()->Row(i)) == QLatin1String("sales"))
                    add->LeftList()->Row(i)->setSelected(true);
            add->AddSelected();
            add->OkButton()->click();
        });
        w->AddObjects();
        QVERIFY(driver.Idle());
        QCOMPARE(offered, (QStringList{QStringLiteral("dbo.Orders"), QStringLiteral("sales.Orders")}));
        QCOMPARE(rows(tables), (QStringList{QStringLiteral("Dbo.CUSTOMERS"), QStringLiteral("sales.Orders")}));
        QVERIFY(w->IsModified());
        QCOMPARE(driver.Unexpected, 0);
    }

    void addObjectsReportsAnUnreachableServer()
    {
        TChildFile* w = openOn(edtest::unreachableServer());
        w->ShowPage(2);
        bool raised = false;
        try {
            w->AddAllObjects();
        } catch (const EQMException& e) {
            raised = true;
            QCOMPARE(e.Message, QStringLiteral("Unable to open '%1' SQL Server.").arg(edtest::unreachableServer()));
        }
        QVERIFY(raised);
        QVERIFY(!w->IsModified());
    }

    void savesAndCopies()
    {
        edtest::SnapshotServer snapshot;
        auto file = std::make_unique<TCmdFile>();
        file->Connection.ServerName = snapshot.Name();
        TChildFile* w = track(TChildFile::NewCommandFileWindow(std::move(file)));
        w->LoadCatalogueLists();
        w->ObjectList(TCmdFile::KindViews)->AddObject(QStringLiteral("vOrders"), QStringLiteral("dbo"), 1);

        const QString copy = dir_.filePath(QStringLiteral("copy.qvx"));
        w->SaveCopyTo(copy);
        QVERIFY(QFile::exists(copy));
        QCOMPARE(w->windowTitle(), QStringLiteral("Untitled *"));
        QCOMPARE(w->FilePath(), QStringLiteral("Untitled"));

        // A write that fails changes nothing.
        bool raised = false;
        try {
            w->SaveFileTo(QStringLiteral("/nonexistent/folder/x.qvx"));
        } catch (const EQMException&) {
            raised = true;
        }
        QVERIFY(raised);
        QCOMPARE(w->FilePath(), QStringLiteral("Untitled"));
        QVERIFY(w->IsModified());

        const QString target = dir_.filePath(QStringLiteral("saved.qvx"));
        edtest::ModalDriver driver;
        driver.SaveAs(target);
        QVERIFY(w->SaveFileAs());
        QCOMPARE(w->FilePath(), target);
        QCOMPARE(w->windowTitle(), QStringLiteral("saved.qvx"));
        QVERIFY(!w->IsModified());
        TCmdFile back;
        back.LoadFromFile(target);
        QCOMPARE(objects(back.Views), QStringList{QStringLiteral("dbo.vOrders")});
        QCOMPARE(back.Connection.ServerName, snapshot.Name());
    }

    void closeQueryOutcomes_data()
    {
        QTest::addColumn<bool>("prompt");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<bool>("written");
        QTest::newRow("no") << true << QStringLiteral("&No") << true << false;
        QTest::newRow("cancel") << true << QStringLiteral("&Cancel") << false << false;
        QTest::newRow("yes") << true << QStringLiteral("&Yes") << true << true;
        QTest::newRow("without prompt") << false << QString() << true << false;
    }

    void closeQueryOutcomes()
    {
        QFETCH(bool, prompt);
        QFETCH(QString, answer);
        QFETCH(bool, closes);
        QFETCH(bool, written);
        TChildFile* w = openOn(edtest::unreachableServer());
        const QString path = w->FilePath();
        w->ObjectList(TCmdFile::KindTables)->AddObject(QStringLiteral("New"), QStringLiteral("dbo"), 0);
        w->SetSaved(false);
        edtest::setPromptOnClose(prompt);
        edtest::ModalDriver driver;
        if (prompt) driver.Answer(answer);
        QCOMPARE(w->CloseQuery(), closes);
        QVERIFY(driver.Idle());
        if (prompt) QCOMPARE(driver.Texts, QStringList{QStringLiteral("Save changes to '%1'?").arg(QFileInfo(path).fileName())});
        TCmdFile back;
        back.LoadFromFile(path);
        QCOMPARE(back.Tables.Count() == 1, written);
        QCOMPARE(w->IsModified(), !written);
    }

    void escapeClosesThroughTheQuery()
    {
        TChildFile* w = openOn(edtest::unreachableServer());
        QPointer<TChildFile> guard(w);
        showActive(w);
        w->SetSaved(false);
        edtest::ModalDriver driver;
        driver.Answer(QStringLiteral("&Cancel"));
        QTest::keyClick(w->PageTree(), Qt::Key_Escape);
        QTRY_VERIFY(driver.Idle());
        QVERIFY(guard);
        w->SetSaved(true);
        QTest::keyClick(w->PageTree(), Qt::Key_Escape);
        QTRY_VERIFY(!guard);
    }

    void editQuestionsAndApostrophes()
    {
        TChildFile* w = openOn(edtest::unreachableServer(), QStringLiteral("Shop"), [](TCmdFile& f) {
            addObject(f, TCmdFile::KindTables, QStringLiteral("dbo"), QStringLiteral("t"));
        });
        showActive(w);
        QLineEdit* user = w->UsernameEdit();
        user->clear();
        user->setFocus();
        QTest::keyClicks(user, QStringLiteral("o'brien"));
        QCOMPARE(user->text(), QStringLiteral("obrien"));
        QVERIFY(w->CanUndo());
        QVERIFY(w->CanPaste());
        QVERIFY(w->CanDelete());
        QVERIFY(!w->CanCutCopy());
        user->setSelection(0, 2);
        QVERIFY(w->CanCutCopy());

        w->AuthenticationBox()->setFocus();
        QVERIFY(!w->CanPaste());
        QVERIFY(!w->CanSelectAll());

        w->ServerBox()->setFocus();
        QVERIFY(w->CanPaste());
        QVERIFY(w->CanDelete());
        QVERIFY(!w->CanUndo());

        w->ShowPage(2);
        w->ObjectList(TCmdFile::KindTables)->setFocus();
        QVERIFY(w->CanSelectAll());
        QVERIFY(!w->CanDelete());
    }

    void placementKeepsColumnWidths()
    {
        VELKOptions().SaveWindow = true;
        const Hive root = QMApp().RegistryRoot;
        const QString key = QMApp().AppKey + QStringLiteral("\\ChildStorage");
        RegDeleteValues(root, key);
        RegWriteInteger(root, key, QStringLiteral("TablesCol0"), 210);
        {
            TChildFile* w = openOn(edtest::unreachableServer());
            w->ApplyOptions();
            w->show();
            QCOMPARE(w->ObjectList(TCmdFile::KindTables)->columnWidth(0), 210);
            QCOMPARE(w->ObjectList(TCmdFile::KindTables)->columnWidth(1), 75);
            QCOMPARE(w->ObjectList(TCmdFile::KindFunctions)->columnWidth(0), 150);
            w->ObjectList(TCmdFile::KindRules)->setColumnWidth(1, 99);
            delete w;
        }
        QStringList names;
        RegListValueNames(root, key, names);
        for (const char* kind : {"Tables", "Views", "StoredProcs", "Defaults", "Rules", "Types", "Functions"})
            for (int c = 0; c < 2; ++c) QVERIFY(names.contains(QStringLiteral("%1Col%2").arg(QLatin1String(kind)).arg(c)));
        QCOMPARE(RegReadInteger(root, key, QStringLiteral("RulesCol1"), 0), 99);
        QCOMPARE(RegReadInteger(root, key, QStringLiteral("TablesCol0"), 0), 210);
        RegDeleteValues(root, key);
    }
};

int runChildFileTests(int argc, char** argv)
{
    ChildFileTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "ChildFileTest.moc"
