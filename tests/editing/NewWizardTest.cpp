// The new command-file wizard: the step flow and its failures, the object steps, Finish, and the
// close query.
#include "app/editing/TEditingCatalogue.h"
#include "app/editing/TNewWizard.h"
#include "app/editing/TObjectList.h"
#include "app/support/EQMException.h"
#include "tests/editing/EditingFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace tavil;

namespace {

QStringList rows(const TObjectList* list)
{
    QStringList out;
    for (int i = 0; i < list->RowCount(); ++i)
        out << QStringLiteral("%1:%2").arg(TObjectList::Kind(list->Row(i))).arg(TObjectList::Name(list->Row(i)));
    return out;
}

QStringList objects(const TDBObjects& list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i) out << list.Items(i)->FullName();
    return out;
}

// Step 1 filled for a server with the SQL Server login of the test servers.
void fillSource(TNewWizard& w, const QString& server)
{
    w.ServerBox()->setEditText(server);
    w.SqlAuthentication()->setChecked(true);
    w.UsernameEdit()->setText(QStringLiteral("sa"));
    w.PasswordEdit()->setText(QStringLiteral("secret"));
}

}  // namespace

class NewWizardTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        edtest::setPromptOnClose(true);
        SetServerLister([](QStringList& L) { L = QStringList{QStringLiteral("srv2"), QStringLiteral("Srv1")}; });
    }
    void cleanup() { SetServerLister({}); }

    void stepsWithAnUnreachableServer()
    {
        TNewWizard w;
        QCOMPARE(w.windowTitle(), QStringLiteral("New File Wizard"));
        QCOMPARE(w.size(), QSize(TNewWizard::kWidth, TNewWizard::kHeight));
        QCOMPARE(w.CurrentStep(), 0);
        QVERIFY(w.Header()->isHidden());
        QVERIFY(!w.BackButton()->isEnabled());
        QCOMPARE(w.NextButton()->text(), QStringLiteral("&Next >"));

        w.Next();
        QCOMPARE(w.CurrentStep(), 1);
        QVERIFY(!w.Header()->isHidden());
        QCOMPARE(w.HeaderTitle()->text(), QStringLiteral("Choose SQL Server and Database"));
        QVERIFY(w.BackButton()->isEnabled());
        QCOMPARE(w.ServerBox()->currentText(), QStringLiteral("(local)"));
        QCOMPARE(w.ServerBox()->count(), 3);
        QCOMPARE(w.ServerBox()->itemText(1), QStringLiteral("Srv1"));
        QCOMPARE(w.DatabaseBox()->currentText(), QStringLiteral("(default)"));
        QVERIFY(w.WindowsAuthentication()->isChecked());
        QVERIFY(!w.UsernameEdit()->isEnabled());

        fillSource(w, edtest::unreachableServer());
        QVERIFY(w.UsernameEdit()->isEnabled());
        // The same mask as the command-file window's, whatever the style's own would be.
        QCOMPARE(w.PasswordEdit()->displayText(), QStringLiteral("******"));
        edtest::ModalDriver driver;
        driver.Acknowledge();
        w.Next();
        QVERIFY(driver.Idle());
        QCOMPARE(driver.Texts, QStringList{QStringLiteral("Unable to open '%1' SQL Server.").arg(edtest::unreachableServer())});
        QCOMPARE(w.CurrentStep(), 1);
        QVERIFY(!w.Connected());
        QVERIFY(w.ConnectionStale());
    }

    void serverListFailureIsRetriedOnTheNextArrival()
    {
        int calls = 0;
        SetServerLister([&calls](QStringList& L) {
            if (++calls == 1) throw EQMException(QStringLiteral("Unable to list available SQL Servers."), EQMException::Warning);
            L = QStringList{QStringLiteral("srv")};
        });
        TNewWizard w;
        edtest::ModalDriver driver;
        driver.Acknowledge();
        w.Next();
        QVERIFY(driver.Idle());
        QCOMPARE(w.CurrentStep(), 0);
        w.Next();
        QCOMPARE(w.CurrentStep(), 1);
        QCOMPARE(w.ServerBox()->count(), 2);
    }

    void finishSortsObjectsIntoTheirLists()
    {
        edtest::TdsServer tds;
        TNewWizard w;
        w.Next();
        fillSource(w, tds.Name());
        w.Next();
        QCOMPARE(w.CurrentStep(), 2);
        QVERIFY(w.Connected());
        QCOMPARE(w.DatabaseName(), QStringLiteral("Shop"));
        const TNewWizard::ObjectStep& tables = w.Step(2);
        QCOMPARE(tables.availableLabel->text(), QStringLiteral("&Tables in Shop:"));
        QCOMPARE(rows(tables.available), (QStringList{"0:Books", "0:customers", "0:Orders", "0:Orders"}));
        QVERIFY(!tables.add->isEnabled());
        QVERIFY(tables.addAll->isEnabled());
        tables.available->Row(0)->setSelected(true);
        QVERIFY(tables.add->isEnabled());
        w.AddSelected(2);
        QCOMPARE(rows(tables.chosen), QStringList{"0:Books"});

        w.Next();  // views: left alone
        w.Next();  // procedures
        w.AddAll(4);
        w.Next();
        // Defaults above rules, each kind by name.
        const TNewWizard::ObjectStep& defaults = w.Step(5);
        QCOMPARE(defaults.availableLabel->text(), QStringLiteral("&Objects in Shop:"));
        QCOMPARE(rows(defaults.available), (QStringList{"3:aDefault", "3:zDefault", "4:aRule", "4:mRule"}));
        w.AddAll(5);
        QCOMPARE(rows(defaults.chosen), (QStringList{"3:aDefault", "3:zDefault", "4:aRule", "4:mRule"}));
        w.Next();
        const TNewWizard::ObjectStep& types = w.Step(6);
        QCOMPARE(rows(types.available), (QStringList{"5:zType", "6:aFunction"}));
        w.AddAll(6);
        w.Next();
        QCOMPARE(w.CurrentStep(), 7);
        w.OptionCheck(4)->setChecked(true);  // extended properties
        w.Next();
        w.OptionCheck(11)->setChecked(false);  // triggers
        w.Next();
        QCOMPARE(w.CurrentStep(), 9);
        QVERIFY(w.Header()->isHidden());
        QCOMPARE(w.NextButton()->text(), QStringLiteral("&Finish"));

        w.Next();
        QVERIFY(w.Finished());
        std::unique_ptr<TCmdFile> file = w.TakeResult();
        QVERIFY(file);
        QCOMPARE(file->Connection.ServerName, tds.Name());
        QVERIFY(!file->Connection.WindowsAuthentication);
        QCOMPARE(file->Connection.Username, QStringLiteral("sa"));
        QCOMPARE(file->Connection.Password, QStringLiteral("secret"));
        QCOMPARE(file->Connection.DatabaseName, QStringLiteral("Shop"));
        QCOMPARE(objects(file->Tables), QStringList{"dbo.Books"});
        QCOMPARE(file->Views.Count(), 0);
        QCOMPARE(objects(file->StoredProcs), QStringList{"dbo.spRefresh"});
        QCOMPARE(objects(file->Defaults), (QStringList{"dbo.aDefault", "dbo.zDefault"}));
        QCOMPARE(objects(file->Rules), (QStringList{"dbo.aRule", "dbo.mRule"}));
        QCOMPARE(objects(file->Types), QStringList{"dbo.zType"});
        QCOMPARE(objects(file->Functions), QStringList{"dbo.aFunction"});
        QVERIFY(file->FormatOptions.IncludeExtendedProperties);
        QVERIFY(!file->OtherOptions.ScriptTableTriggers);
        QVERIFY(file->OtherOptions.ScriptTableIndexes);
        QVERIFY(file->TableOptions.ScriptSchema && file->TableOptions.ScriptData);
    }

    void sqlServer7HasNoFunctions()
    {
        edtest::CatalogueContent content;
        content.versionMajor = 7;
        edtest::SnapshotServer snapshot(content);
        TNewWizard w;
        w.Next();
        fillSource(w, snapshot.Name());
        for (int i = 0; i < 5; ++i) w.Next();
        QCOMPARE(w.CurrentStep(), 6);
        QCOMPARE(rows(w.Step(6).available), QStringList{"5:zType"});
    }

    void anotherDatabaseReloadsTheSteps()
    {
        edtest::SnapshotServer snapshot;
        TNewWizard w;
        w.Next();
        fillSource(w, snapshot.Name());
        w.Next();
        w.AddAll(2);
        QCOMPARE(w.Step(2).chosen->RowCount(), 4);
        w.Back();
        QCOMPARE(w.CurrentStep(), 1);
        w.Next();
        // Nothing changed: the selection survives.
        QCOMPARE(w.Step(2).chosen->RowCount(), 4);
        w.Back();
        w.DatabaseBox()->setCurrentIndex(w.DatabaseBox()->findText(QStringLiteral("Archive")));
        QVERIFY(!w.StepLoaded(2));
        w.Next();
        QCOMPARE(w.Step(2).chosen->RowCount(), 0);
        QCOMPARE(rows(w.Step(2).available), QStringList{"0:OldOrders"});
        QCOMPARE(w.Step(2).availableLabel->text(), QStringLiteral("&Tables in Archive:"));
    }

    void refreshDiscardsWhatTheOldConnectionListed()
    {
        edtest::SnapshotServer first;
        edtest::CatalogueContent otherContent;
        otherContent.tables = {{"dbo", "Other"}};
        edtest::SnapshotServer second(otherContent);
        TNewWizard w;
        w.Next();
        fillSource(w, first.Name());
        w.Next();
        w.AddAll(2);
        w.Back();
        w.ServerBox()->setEditText(second.Name());
        QVERIFY(w.ConnectionStale());
        w.RefreshButton()->click();
        QVERIFY(!w.ConnectionStale());
        QVERIFY(!w.StepLoaded(2));
        w.Next();
        QCOMPARE(rows(w.Step(2).available), QStringList{"0:Other"});
        QCOMPARE(w.Step(2).chosen->RowCount(), 0);
    }

    void enteringTheDatabaseBoxConnectsWhileStale()
    {
        edtest::TdsServer tds;
        TNewWizard w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.Next();
        fillSource(w, tds.Name());
        w.DatabaseBox()->setFocus(Qt::TabFocusReason);
        QVERIFY(w.Connected());
        QVERIFY(!w.ConnectionStale());
        QCOMPARE(w.DatabaseBox()->count(), 3);
        const int logins = tds.Logins();
        w.UsernameEdit()->setFocus(Qt::TabFocusReason);
        w.DatabaseBox()->setFocus(Qt::TabFocusReason);
        QCOMPARE(tds.Logins(), logins);
        // Leaving step 1 keeps the connection that is there.
        w.Next();
        QCOMPARE(w.CurrentStep(), 2);
        QCOMPARE(tds.Logins(), logins);
    }

    void schemaAndDataNeverBothClear()
    {
        TNewWizard w;
        w.SchemaCheck()->click();
        QVERIFY(!w.SchemaCheck()->isChecked());
        w.DataCheck()->click();
        QVERIFY(w.DataCheck()->isChecked());
    }

    void emptyChoiceStillMakesAFile()
    {
        edtest::SnapshotServer snapshot;
        TNewWizard w;
        w.Next();
        fillSource(w, snapshot.Name());
        for (int i = 0; i < 9; ++i) w.Next();
        QVERIFY(w.Finished());
        std::unique_ptr<TCmdFile> file = w.TakeResult();
        QVERIFY(file);
        for (int kind = 0; kind < TCmdFile::KindCount; ++kind) QCOMPARE(file->Objects(kind).Count(), 0);
    }

    void closeQuery_data()
    {
        QTest::addColumn<bool>("prompt");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("yes") << true << QStringLiteral("&Yes") << true;
        QTest::newRow("no") << true << QStringLiteral("&No") << false;
        QTest::newRow("closed without a button") << true << QString() << false;
        QTest::newRow("without prompt") << false << QString() << true;
    }

    void closeQuery()
    {
        QFETCH(bool, prompt);
        QFETCH(QString, answer);
        QFETCH(bool, closes);
        edtest::setPromptOnClose(prompt);
        TNewWizard w;
        w.show();
        edtest::ModalDriver driver;
        if (prompt) {
            if (answer.isEmpty()) driver.Expect([](QWidget* m) { QTest::keyClick(m, Qt::Key_Escape); });
            else driver.Answer(answer);
        }
        w.CancelButton()->click();
        QTRY_VERIFY(driver.Idle());
        if (prompt)
            QCOMPARE(driver.Texts, QStringList{QStringLiteral("Are you sure that you want to close the New File Wizard?")});
        QCOMPARE(w.isVisible(), !closes);
        QCOMPARE(driver.Unexpected, 0);
        QVERIFY(!w.TakeResult());
    }
};

int runNewWizardTests(int argc, char** argv)
{
    NewWizardTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "NewWizardTest.moc"
