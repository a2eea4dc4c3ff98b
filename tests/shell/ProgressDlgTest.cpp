// The run dialog with fake jobs: states while busy and after, the refusal to close while busy,
// the details toggle, success and failure.
#include "app/model/TCmdFile.h"
#include "app/runs/dialog/TProgressDlg.h"
#include "app/support/EQMException.h"
#include "tests/shell/TempStore.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>

using namespace tavil;

namespace {

template <class T>
T* child(QWidget& w, const char* name)
{
    return w.findChild<T*>(QString::fromLatin1(name));
}

// What a job saw of the dialog while it ran.
struct Seen {
    bool busy = false;
    bool closeEnabled = true;
    bool detailsEnabled = true;
    bool stillVisibleAfterEscape = false;
    bool stillVisibleAfterClose = false;
    QString description;
    int progress = -1;
};

}  // namespace

class ProgressDlgTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TProgressDlg::SetAnimationFolder(QStringLiteral("/nonexistent")); }

    void generationSucceedsAndSummarisesTheObjectsAskedFor()
    {
        test::TempStore store;
        TProgressDlg dlg;
        Seen seen;
        dlg.PrepareGeneration(QStringLiteral("(local)"), QStringLiteral("(default)"), {2, 3, 0, 0, 0, 0, 1},
                              [&](const TPercentSink& percent, const TMessageSink& message) {
                                  seen.busy = dlg.Busy;
                                  seen.closeEnabled = child<QPushButton>(dlg, "cmdClose")->isEnabled();
                                  seen.detailsEnabled = child<QPushButton>(dlg, "cmdDetails")->isEnabled();
                                  // Escape, the close button and the frame's close are all refused.
                                  QTest::keyClick(&dlg, Qt::Key_Escape);
                                  dlg.reject();
                                  dlg.close();
                                  seen.stillVisibleAfterEscape = dlg.isVisible();
                                  percent(40);
                                  message(QStringLiteral("Scripting table [dbo].[Orders]"));
                                  seen.description = child<QLabel>(dlg, "lblDescription")->text();
                                  seen.progress = child<QProgressBar>(dlg, "pBar")->value();
                                  return QStringLiteral("/tmp/ScriptResult.tmp");
                              });
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Scripting objects from (local).(default)..."));
        QCOMPARE(child<QLabel>(dlg, "lblDescription")->text(), QStringLiteral("Preparing script generation..."));
        QTimer::singleShot(0, &dlg, [&dlg] {
            QTRY_VERIFY(!dlg.Busy && child<QPushButton>(dlg, "cmdClose")->isEnabled());
            child<QPushButton>(dlg, "cmdClose")->click();
        });
        dlg.exec();

        QVERIFY(seen.busy);
        QVERIFY(!seen.closeEnabled);
        QVERIFY(!seen.detailsEnabled);
        QVERIFY(seen.stillVisibleAfterEscape);
        QCOMPARE(seen.description, QStringLiteral("Scripting table [dbo].[Orders]"));
        QCOMPARE(seen.progress, 40);
        QVERIFY(dlg.Succeeded);
        QCOMPARE(dlg.ResultFileName, QStringLiteral("/tmp/ScriptResult.tmp"));
        QCOMPARE(child<QLabel>(dlg, "lblDescription")->text(), QStringLiteral("Script generation succeeded."));
        QCOMPARE(child<QPlainTextEdit>(dlg, "txtDetails")->toPlainText(),
                 QStringLiteral("Tables scripted: 2\nViews scripted: 3\nStored Procedures scripted: 0\n"
                                "Defaults scripted: 0\nRules scripted: 0\nUser defined datatypes scripted: 0\n"
                                "User defined functions scripted: 1"));
        QVERIFY(child<QLabel>(dlg, "imgError")->isHidden());
    }

    void generationFailureShowsOnlyTheMessageAndReturnsFalse()
    {
        test::TempStore store;
        QString result = QStringLiteral("stale");
        bool ok = true;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<TProgressDlg*>(QApplication::activeModalWidget());
            QTRY_VERIFY((dlg = qobject_cast<TProgressDlg*>(QApplication::activeModalWidget())) && !dlg->Busy &&
                        child<QPushButton>(*dlg, "cmdClose")->isEnabled());
            QVERIFY(!child<QLabel>(*dlg, "imgError")->isHidden());
            QCOMPARE(child<QLabel>(*dlg, "lblDescription")->text(), QStringLiteral("Script generation failed."));
            QCOMPARE(child<QPlainTextEdit>(*dlg, "txtDetails")->toPlainText(), QStringLiteral("Empty result script."));
            QCOMPARE(child<QProgressBar>(*dlg, "pBar")->value(), 100);
            // Escape closes once the run is over, details never opened.
            QTest::keyClick(dlg, Qt::Key_Escape);
        });
        ok = TProgressDlg::RunGenerationJob(QStringLiteral("srv"), QStringLiteral("db"), {}, [](auto&, auto&) -> QString {
            throw EQMException(QStringLiteral("Empty result script."), EQMException::Warning, QStringLiteral("hidden"));
        }, result);
        QVERIFY(!ok);
        QVERIFY(result.isEmpty());
    }

    void animationPlaysOnlyWhileBusyAndOnlyWhenTheFileIsThere()
    {
        test::TempStore store;
        QTemporaryDir folder;
        TProgressDlg::SetAnimationFolder(folder.path());
        const auto run = [](bool& visibleWhileBusy, int& topWhileBusy, bool& visibleAfter) {
            TProgressDlg dlg;
            dlg.PrepareGeneration(QStringLiteral("s"), QStringLiteral("d"), {}, [&](auto&, auto&) {
                visibleWhileBusy = child<QLabel>(dlg, "anWait")->isVisible();
                topWhileBusy = child<QLabel>(dlg, "anWait")->y();
                return QStringLiteral("/tmp/r");
            });
            QTimer::singleShot(0, &dlg, [&dlg] {
                QTRY_VERIFY(dlg.Succeeded);
                dlg.accept();
            });
            dlg.exec();
            visibleAfter = child<QLabel>(dlg, "anWait")->isVisible();
        };
        bool busy = false, after = true;
        int top = 0;
        run(busy, top, after);
        QVERIFY(!after);
        QCOMPARE(top, 1000);  // no file: moved out of sight

        // A one-frame picture in the movie formats Qt reads, under the expected name.
        static const unsigned char gif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00,
                                            0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0x21, 0xf9, 0x04, 0x01, 0x00, 0x00, 0x00,
                                            0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02,
                                            0x44, 0x01, 0x00, 0x3b};
        QFile f(folder.filePath(QStringLiteral("wait.avi")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(gif), sizeof gif);
        f.close();
        run(busy, top, after);
        QVERIFY(busy);
        QCOMPARE(top, 16);
        QVERIFY(!after);
        TProgressDlg::SetAnimationFolder(QStringLiteral("/nonexistent"));
    }

    void detailsToggleSwitchesHeightAndCaption()
    {
        TProgressDlg dlg;
        auto* details = child<QPushButton>(dlg, "cmdDetails");
        const int collapsed = TProgressDlg::kCollapsedHeight - TProgressDlg::kTitleAllowance;
        const int expanded = TProgressDlg::kExpandedHeight - TProgressDlg::kTitleAllowance;
        QCOMPARE(dlg.size(), QSize(TProgressDlg::kClientWidth, collapsed));
        QCOMPARE(details->text(), QStringLiteral("&Details >>"));
        dlg.ToggleDetails();
        QCOMPARE(dlg.height(), expanded);
        QCOMPARE(details->text(), QStringLiteral("&Details <<"));
        QVERIFY(!child<QPlainTextEdit>(dlg, "txtDetails")->isHidden());
        dlg.ToggleDetails();
        QCOMPARE(dlg.height(), collapsed);
        QCOMPARE(details->text(), QStringLiteral("&Details >>"));
    }

    void oneRunPerShowingHoweverOftenActivated()
    {
        test::TempStore store;
        TProgressDlg dlg;
        int runs = 0;
        dlg.PrepareGeneration(QStringLiteral("s"), QStringLiteral("d"), {}, [&runs](auto&, auto&) {
            ++runs;
            return QStringLiteral("/tmp/r");
        });
        QTimer::singleShot(0, &dlg, [&dlg] {
            QTRY_VERIFY(!dlg.Busy && dlg.Succeeded);
            for (int i = 0; i < 3; ++i) {
                QEvent activate(QEvent::WindowActivate);
                QApplication::sendEvent(&dlg, &activate);
                dlg.activateWindow();
                QCoreApplication::processEvents();
            }
            dlg.accept();
        });
        dlg.exec();
        QCOMPARE(runs, 1);
    }

    void verificationWritesItsReportAndPutsTheCaretAtTheStart()
    {
        test::TempStore store;
        TCmdFile file;
        file.FileName = QStringLiteral("/home/u/Orders.qvx");
        TProgressDlg::SetRunners(nullptr, [](const TCmdFile&, TVerificationOutput& out) {
            out.AppendLine(QStringLiteral("Verifying Server connection... "));
            out.AppendToLine(QStringLiteral(" OK."));
            out.Progress(10);
            out.AppendLine(QStringLiteral("Verifying Script result... "));
            out.AppendLine(QStringLiteral("Error: No objects selected to script."));
            out.Progress(100);
            out.Description(QStringLiteral("Script verification failed."));
            out.ShowErrorMark();
            out.AppendLine(QString());
            out.AppendLine(QStringLiteral("1 error(s) found in command file."));
        });
        QTimer::singleShot(0, [] {
            TProgressDlg* dlg = nullptr;
            QTRY_VERIFY((dlg = qobject_cast<TProgressDlg*>(QApplication::activeModalWidget())) && !dlg->Busy &&
                        dlg->Succeeded);
            QCOMPARE(dlg->windowTitle(), QStringLiteral("Verifying script Orders.qvx..."));
            auto* text = child<QPlainTextEdit>(*dlg, "txtDetails");
            QCOMPARE(text->toPlainText(),
                     QStringLiteral("Verifying Server connection...  OK.\nVerifying Script result... \n"
                                    "Error: No objects selected to script.\n\n1 error(s) found in command file."));
            QCOMPARE(text->textCursor().position(), 0);
            QVERIFY(!child<QLabel>(*dlg, "imgError")->isHidden());
            QVERIFY(child<QPushButton>(*dlg, "cmdDetails")->isEnabled());
            dlg->accept();
        });
        TProgressDlg::RunVerification(file);
        TProgressDlg::SetRunners(nullptr, nullptr);
    }

    void realVerificationOfAnUnreachableServerEndsInTheDialog()
    {
        test::TempStore store;
        TCmdFile file;
        file.Connection.ServerName = QStringLiteral("file:/nonexistent/none.snapshot");
        QString report, description;
        QTimer::singleShot(0, [&] {
            TProgressDlg* dlg = nullptr;
            QTRY_VERIFY_WITH_TIMEOUT((dlg = qobject_cast<TProgressDlg*>(QApplication::activeModalWidget())) &&
                                         dlg->Succeeded && !dlg->Busy,
                                     20000);
            report = child<QPlainTextEdit>(*dlg, "txtDetails")->toPlainText();
            description = child<QLabel>(*dlg, "lblDescription")->text();
            dlg->accept();
        });
        TProgressDlg::RunVerification(file);
        QVERIFY2(report.startsWith(QStringLiteral("Verifying Server connection... \nError: ")), qPrintable(report));
        QVERIFY(report.endsWith(QStringLiteral("1 error(s) found in command file.")));
        QCOMPARE(description, QStringLiteral("Script verification failed."));
    }

    void generationOfACommandFileCountsItsLists()
    {
        test::TempStore store;
        TCmdFile file;
        file.Connection.ServerName = QStringLiteral("file:/tmp/x.snapshot");
        file.Connection.DatabaseName = QStringLiteral("bookshop");
        file.Views.Add(std::make_unique<TDBObject>(QStringLiteral("dbo"), QStringLiteral("v1")));
        file.Views.Add(std::make_unique<TDBObject>(QStringLiteral("dbo"), QStringLiteral("v2")));
        const TCmdFile* seenFile = nullptr;
        TProgressDlg::SetRunners([&seenFile](const TCmdFile& f, auto&, auto&) {
            seenFile = &f;
            return QStringLiteral("/tmp/ScriptResult.tmp");
        }, nullptr);
        QString title, summary;
        QTimer::singleShot(0, [&] {
            TProgressDlg* dlg = nullptr;
            QTRY_VERIFY((dlg = qobject_cast<TProgressDlg*>(QApplication::activeModalWidget())) && dlg->Succeeded);
            title = dlg->windowTitle();
            summary = child<QPlainTextEdit>(*dlg, "txtDetails")->toPlainText();
            dlg->accept();
        });
        QString result;
        QVERIFY(TProgressDlg::RunGeneration(file, result));
        TProgressDlg::SetRunners(nullptr, nullptr);
        QCOMPARE(seenFile, &file);
        QCOMPARE(result, QStringLiteral("/tmp/ScriptResult.tmp"));
        QCOMPARE(title, QStringLiteral("Scripting objects from file:/tmp/x.snapshot.bookshop..."));
        QVERIFY(summary.contains(QStringLiteral("Views scripted: 2")));
    }
};

QTEST_MAIN(ProgressDlgTest)
#include "ProgressDlgTest.moc"
