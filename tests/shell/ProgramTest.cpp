// The program's pieces together: the main window with the real command-file and script windows
// generates the sample command file and opens the script, then closes everything.
#include "app/runs/dialog/TProgressDlg.h"
#include "app/shell/TVELKMain.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/shell/iface/TShellHooks.h"
#include "tests/shell/Fakes.h"
#include "tests/shell/TempStore.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTest>

using namespace tavil;

class ProgramTest : public QObject {
    Q_OBJECT

private slots:
    void generateTheSampleAndCloseAll()
    {
        test::TempStore store;
        VELKOptions() = TVELKOptions();
        ShellHooks() = TShellHooks();
        RegisterCommandFileWindows(ShellHooks());
        RegisterScriptWindows(ShellHooks());

        TVELKMain main({}, TServerAvailability{});
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        const QString sample = QStringLiteral(TAVIL_SAMPLES_DIR "/bookshop-all.qvx");
        main.OpenCommandFile(sample);
        QCOMPARE(main.Children().size(), 1);
        QCOMPARE(main.RecentFiles().Items(), QStringList{sample});

        QString summary;
        QTimer::singleShot(0, [&summary] {
            TProgressDlg* dlg = nullptr;
            QTRY_VERIFY_WITH_TIMEOUT((dlg = qobject_cast<TProgressDlg*>(QApplication::activeModalWidget())) && !dlg->Busy &&
                                         dlg->findChild<QPushButton*>(QStringLiteral("cmdClose"))->isEnabled(),
                                     60000);
            summary = dlg->findChild<QPlainTextEdit*>(QStringLiteral("txtDetails"))->toPlainText();
            dlg->accept();
        });
        main.UpdateActions();
        QVERIFY(main.FindAction(QStringLiteral("actScriptGenerate"))->isEnabled());
        main.FindAction(QStringLiteral("actScriptGenerate"))->trigger();
        QVERIFY2(summary.startsWith(QStringLiteral("Tables scripted: 16")), qPrintable(summary));

        QCOMPARE(main.Children().size(), 2);
        auto* script = dynamic_cast<TScriptChild*>(main.ActiveChild());
        QVERIFY(script);
        QCOMPARE(script->FilePath(), QStringLiteral("Untitled"));
        QVERIFY(script->IsModified());
        auto* editor = script->Widget()->findChild<QPlainTextEdit*>();
        QVERIFY(editor);
        QVERIFY(editor->toPlainText().contains(QStringLiteral("CREATE TABLE")));

        // The untitled script asks to be saved; No closes it, and the command file follows.
        test::ModalAnswerer answer(2);
        main.UpdateActions();
        main.FindAction(QStringLiteral("actWindowCloseAll"))->trigger();
        QCOMPARE(main.Children().size(), 0);
        QCOMPARE(answer.questions, QStringList{QStringLiteral("Save changes to 'Untitled'?")});
        ShellHooks() = TShellHooks();
    }
};

QTEST_MAIN(ProgramTest)
#include "ProgramTest.moc"
