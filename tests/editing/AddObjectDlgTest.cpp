// The add-objects dialog: texts per kind, what it offers, the moves and their enabling, writing
// back, and a listing error before it is shown.
#include "app/catalogue/TDMOServer.h"
#include "app/editing/TAddObjectDlg.h"
#include "app/editing/TObjectList.h"
#include "app/support/EQMException.h"
#include "tests/editing/EditingFixture.h"

#include <QLabel>
#include <QPushButton>

using namespace tavil;

namespace {

using Pairs = QList<QPair<QString, QString>>;

QStringList names(const TObjectList* list)
{
    QStringList out;
    for (int i = 0; i < list->RowCount(); ++i) out << TObjectList::Name(list->Row(i));
    return out;
}

void selectNames(TObjectList* list, const QStringList& wanted)
{
    list->clearSelection();
    for (int i = 0; i < list->RowCount(); ++i)
        if (wanted.contains(TObjectList::Name(list->Row(i)))) list->Row(i)->setSelected(true);
}

}  // namespace

class AddObjectDlgTest : public QObject {
    Q_OBJECT

private slots:
    void textsPerKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::newRow("tables") << 0 << "Add Tables..." << "Please select the tables you want to add."
                                << "Available &Tables:" << "Tables a&dded:";
        QTest::newRow("views") << 1 << "Add Views..." << "Please select the views you want to add."
                               << "Available &Views:" << "Views a&dded:";
        QTest::newRow("procedures") << 2 << "Add Stored Procedures..."
                                    << "Please select the stored procedures you want to add."
                                    << "Available &Stored Procedures:" << "Stored Procedures a&dded:";
        QTest::newRow("defaults") << 3 << "Add Defaults..." << "Please select the defaults you want to add."
                                  << "Available Defa&ults:" << "Defaults a&dded:";
        QTest::newRow("rules") << 4 << "Add Rules..." << "Please select the rules you want to add."
                               << "Available R&ules:" << "Rules a&dded:";
        QTest::newRow("types") << 5 << "Add User Defined Datatypes..."
                               << "Please select the user defined datatypes you want to add."
                               << "Available &User Defined Datatypes:" << "User Defined Datatypes a&dded:";
        QTest::newRow("functions") << 6 << "Add User Defined Functions..."
                                   << "Please select the user defined functions you want to add."
                                   << "Available &User Defined Functions:" << "User Defined Functions a&dded:";
    }

    void textsPerKind()
    {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(QString, description);
        QFETCH(QString, left);
        QFETCH(QString, right);
        TAddObjectDlg dlg(kind);
        QCOMPARE(dlg.windowTitle(), caption);
        QCOMPARE(dlg.DescriptionLabel()->text(), description);
        QCOMPARE(dlg.LeftLabel()->text(), left);
        QCOMPARE(dlg.RightLabel()->text(), right);
        QCOMPARE(dlg.size(), QSize(TAddObjectDlg::kWidth, TAddObjectDlg::kHeight));
    }

    void offersWhatIsNotChosen()
    {
        TObjectList chosen(QStringLiteral("Name"), 150, 75);
        chosen.AddObject(QStringLiteral("ORDERS"), QStringLiteral("DBO"), 0);
        chosen.AddObject(QStringLiteral("Gone"), QStringLiteral("dbo"), 0);  // no longer in the catalogue
        TAddObjectDlg dlg(0);
        dlg.LoadObjects(Pairs{{"Orders", "dbo"}, {"Orders", "sales"}, {"beta", "dbo"}, {"Alpha", "dbo"}}, chosen);
        QCOMPARE(names(dlg.LeftList()), (QStringList{"Alpha", "beta", "Orders"}));
        QCOMPARE(TObjectList::Owner(dlg.LeftList()->Row(2)), QStringLiteral("sales"));
        QCOMPARE(names(dlg.RightList()), (QStringList{"Gone", "ORDERS"}));
        QCOMPARE(TObjectList::Kind(dlg.LeftList()->Row(0)), 0);
        QVERIFY(!dlg.AddButton()->isEnabled());
        QVERIFY(dlg.AddAllButton()->isEnabled());
        QVERIFY(!dlg.RemoveButton()->isEnabled());
        QVERIFY(dlg.RemoveAllButton()->isEnabled());

        // Everything chosen already: nothing to offer, nothing to add.
        TAddObjectDlg full(0);
        full.LoadObjects(Pairs{{"orders", "dbo"}}, chosen);
        QCOMPARE(full.LeftList()->RowCount(), 0);
        QVERIFY(!full.AddButton()->isEnabled());
        QVERIFY(!full.AddAllButton()->isEnabled());
    }

    void movesAndWriteBack()
    {
        TObjectList windowList(QStringLiteral("Name"), 150, 75);
        windowList.AddObject(QStringLiteral("m"), QStringLiteral("dbo"), 4);
        TAddObjectDlg dlg(4);
        dlg.LoadObjects(Pairs{{"c", "dbo"}, {"a", "dbo"}, {"b", "x"}}, windowList);

        selectNames(dlg.LeftList(), {"c", "a"});
        QVERIFY(dlg.AddButton()->isEnabled());
        dlg.AddSelected();
        QCOMPARE(names(dlg.LeftList()), QStringList{"b"});
        QCOMPARE(names(dlg.RightList()), (QStringList{"a", "c", "m"}));
        QCOMPARE(TObjectList::Kind(dlg.RightList()->Row(0)), 4);

        // A double click moves only when the move is enabled: nothing selected on the right.
        dlg.RightList()->clearSelection();
        emit dlg.RightList()->itemDoubleClicked(dlg.RightList()->Row(0), 0);
        QCOMPARE(dlg.RightList()->RowCount(), 3);
        selectNames(dlg.RightList(), {"m"});
        emit dlg.RightList()->itemDoubleClicked(dlg.RightList()->Row(2), 0);
        QCOMPARE(names(dlg.LeftList()), (QStringList{"b", "m"}));

        dlg.AddAll();
        QCOMPARE(dlg.LeftList()->RowCount(), 0);
        QVERIFY(!dlg.AddAllButton()->isEnabled());
        dlg.WriteBack(windowList);
        QCOMPARE(names(&windowList), (QStringList{"a", "b", "c", "m"}));
        QCOMPARE(TObjectList::Owner(windowList.Row(1)), QStringLiteral("x"));

        dlg.RemoveAll();
        QCOMPARE(dlg.RightList()->RowCount(), 0);
        QCOMPARE(dlg.LeftList()->RowCount(), 4);
    }

    void listingErrorLeavesTheListAlone()
    {
        edtest::SnapshotServer snapshot;
        TDMOServer server(snapshot.Name(), true, QString(), QString());
        TObjectList windowList(QStringLiteral("Name"), 150, 75);
        windowList.AddObject(QStringLiteral("t"), QStringLiteral("dbo"), 0);
        edtest::ModalDriver driver;
        bool raised = false;
        try {
            RunAddObjectsDialog(0, server, windowList, QStringLiteral("NoSuchDatabase"));
        } catch (const EQMException& e) {
            raised = true;
            QCOMPARE(e.Message, QStringLiteral("Unable to list available tables in database 'NoSuchDatabase' - server '%1'.")
                                    .arg(snapshot.Name()));
        }
        QVERIFY(raised);
        QCOMPARE(driver.Texts, QStringList());
        QCOMPARE(names(&windowList), QStringList{"t"});
    }

    void escapeCancels()
    {
        edtest::SnapshotServer snapshot;
        TDMOServer server(snapshot.Name(), true, QString(), QString());
        TObjectList windowList(QStringLiteral("Name"), 150, 75);
        edtest::ModalDriver driver;
        driver.Expect([](QWidget* dlg) {
            auto* add = qobject_cast<TAddObjectDlg*>(dlg);
            QVERIFY(add);
            add->AddAll();
            QTest::keyClick(add->LeftList(), Qt::Key_Escape);
        });
        QVERIFY(!RunAddObjectsDialog(0, server, windowList, QStringLiteral("Shop")));
        QVERIFY(driver.Idle());
        QCOMPARE(windowList.RowCount(), 0);
    }
};

int runAddObjectDlgTests(int argc, char** argv)
{
    AddObjectDlgTest t;
    return QTest::qExec(&t, argc, argv);
}

#include "AddObjectDlgTest.moc"
