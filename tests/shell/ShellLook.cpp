// Draws the shell's windows and dialogs into PNG files, to look at them as a user would:
//   xvfb-run -a shell_look OUTPUT_FOLDER [COMMAND_FILE.qvx]  (the command file is verified and generated)
// or a picture of whatever is on the screen:  shell_look --screen FILE.png
#include "app/runs/dialog/TProgressDlg.h"
#include "app/shell/TOptionsDlg.h"
#include "app/shell/TShellIcons.h"
#include "app/shell/TSplash.h"
#include "app/shell/TVELKMain.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/shell/messages/QMMessage.h"
#include "app/shell/messages/QMMessageDetails.h"
#include "app/support/QMApplication.h"
#include "tests/shell/Fakes.h"
#include "tests/shell/TempStore.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolBar>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace tavil;

namespace {

QString out;

void save(QWidget* w, const QString& name)
{
    QCoreApplication::processEvents();
    w->grab().save(QDir(out).filePath(name + QStringLiteral(".png")));
}

void saveScreen(const QString& name)
{
    QCoreApplication::processEvents();
    QGuiApplication::primaryScreen()->grabWindow(0).save(QDir(out).filePath(name + QStringLiteral(".png")));
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // "--screen FILE": only a picture of the whole screen, for looking at the program itself.
    if (app.arguments().value(1) == QLatin1String("--screen")) {
        return QGuiApplication::primaryScreen()->grabWindow(0).save(app.arguments().value(2)) ? 0 : 1;
    }
    out = app.arguments().value(1, QStringLiteral("."));
    QDir().mkpath(out);
    test::TempStore store;
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);
    test::InstallFakeHooks();
    QApplication::setWindowIcon(ProgramIcon());

    // The main window with a command file and a script.
    {
        TVELKMain main({}, TServerAvailability{});
        main.RecentFiles().Add(QStringLiteral("/home/ana/Orders.qvx"));
        main.show();
        (void)QTest::qWaitForWindowExposed(&main);
        auto* cmd = new test::FakeCommandFile(QStringLiteral("/home/ana/Orders.qvx"));
        cmd->page = 1;
        for (const char* n : {"Customers", "Orders", "Order Details"}) new QTreeWidgetItem(cmd->list, {QString::fromLatin1(n)});
        main.AddChild(cmd);
        auto* script = new test::FakeScript(QStringLiteral("Untitled"));
        script->editor->setPlainText(QStringLiteral("CREATE TABLE [dbo].[Orders] (\n  [OrderID] int NOT NULL\n)\nGO\n"));
        main.AddChild(script);
        main.MdiArea()->cascadeSubWindows();
        main.UpdateActions();
        QTest::qWait(100);
        qInfo("toolbar widths: standard %d script %d", main.StandardToolbar()->sizeHint().width(),
              main.ScriptToolbar()->sizeHint().width());
        save(&main, QStringLiteral("main-script-active"));
        main.MdiArea()->setActiveSubWindow(main.MdiArea()->subWindowList().first());
        main.UpdateActions();
        QTest::qWait(50);
        save(&main, QStringLiteral("main-command-file-active"));
        main.ToolsToolbar()->show();
        main.resize(900, 500);
        QTest::qWait(50);
        save(&main, QStringLiteral("main-tools-toolbar"));
        // The File and Script menus, opened.
        for (const char* name : {"actFile", "actScript", "actWindow"}) {
            QMenu* menu = main.FindAction(QString::fromLatin1(name))->menu();
            QTimer::singleShot(150, [name, menu] {
                saveScreen(QStringLiteral("menu-") + QString::fromLatin1(name + 3).toLower());
                menu->close();
            });
            menu->exec(main.mapToGlobal(QPoint(10, 30)));
        }
        QMdiSubWindow* sub = main.MdiArea()->subWindowList().first();
        sub->showMaximized();
        QTest::qWait(50);
        save(&main, QStringLiteral("main-maximised-child"));
        main.close();
    }

    // Preferences, each page.
    {
        TVELKOptions options;
        options.DefaultScriptsPath = QStringLiteral("/home/ana/scripts");
        TOptionsDlg dlg(options);
        dlg.show();
        (void)QTest::qWaitForWindowExposed(&dlg);
        for (int i = 0; i < 3; ++i) {
            dlg.Pages()->setCurrentIndex(i);
            save(&dlg, QStringLiteral("preferences-%1").arg(i + 1));
        }
    }

    // Messages.
    {
        TQMMessageDetails details(QStringLiteral("Invalid files found in command line."),
                                  QStringLiteral("File '/home/ana/one.qvx' not found.\n\rFile '/home/ana/two.qvx' not found."),
                                  QString(), true, QStringLiteral("Tahoma"), 1, qmdWarning);
        details.show();
        save(&details, QStringLiteral("message-details-expanded"));
        details.ToggleDetails();
        save(&details, QStringLiteral("message-details-collapsed"));
        TQMMessage ask(QStringLiteral("Save changes to 'Orders.qvx'?"), QString(), qmtQuestion, QString(), 1, 1,
                       qmbYesNoCancel);
        ask.show();
        save(&ask, QStringLiteral("message-yes-no-cancel"));
        TQMMessage five(QStringLiteral("Replace this occurrence of 'Orders'?"), QString(), qmtQuestion, QString(), 0, 1,
                        qmbYesYesToAllNoNoToAllCancel);
        five.show();
        save(&five, QStringLiteral("message-five-portuguese"));
    }

    // The run dialog while running, after success with details, and after a failure.
    {
        TProgressDlg dlg;
        dlg.PrepareGeneration(QStringLiteral("(local)"), QStringLiteral("bookshop"), {3, 1, 2, 0, 0, 0, 0},
                              [&dlg](const TPercentSink& percent, const TMessageSink& message) {
                                  percent(45);
                                  message(QStringLiteral("Scripting table [dbo].[Order Details]..."));
                                  save(&dlg, QStringLiteral("run-busy"));
                                  return QStringLiteral("/tmp/ScriptResult.tmp");
                              });
        QTimer::singleShot(0, &dlg, [&dlg] {
            QTRY_VERIFY(!dlg.Busy && dlg.Succeeded);
            save(&dlg, QStringLiteral("run-succeeded"));
            dlg.ToggleDetails();
            save(&dlg, QStringLiteral("run-succeeded-details"));
            dlg.accept();
        });
        dlg.exec();
        TProgressDlg failed;
        failed.PrepareGeneration(QStringLiteral("nowhere"), QStringLiteral("(default)"), {},
                                 [](auto&, auto&) -> QString {
                                     throw EQMException(QStringLiteral("Unable to open 'nowhere' SQL Server."), 1);
                                 });
        QTimer::singleShot(0, &failed, [&failed] {
            QTRY_VERIFY(!failed.Busy && failed.findChild<QPushButton*>(QStringLiteral("cmdClose"))->isEnabled());
            failed.ToggleDetails();
            save(&failed, QStringLiteral("run-failed-details"));
            failed.accept();
        });
        failed.exec();
    }

    // Real runs of a command file given as the second argument (a sample one, say).
    if (const QString qvx = app.arguments().value(2); !qvx.isEmpty()) {
        auto file = std::make_unique<TCmdFile>();
        file->LoadFromFile(qvx);
        file->FileName = qvx;
        QString& server = file->Connection.ServerName;
        if (server.startsWith(QLatin1String("file:")) && !QDir::isAbsolutePath(server.mid(5)))
            server = QStringLiteral("file:") + QFileInfo(qvx).absoluteDir().filePath(server.mid(5));
        TVELKMain main({}, TServerAvailability{});
        main.show();
        (void)QTest::qWaitForWindowExposed(&main);
        auto* cmd = new test::FakeCommandFile(qvx, std::move(file));
        main.AddChild(cmd);
        for (const char* action : {"actScriptVerify", "actScriptGenerate"}) {
            QTimer::singleShot(0, [action] {
                TProgressDlg* dlg = nullptr;
                QTRY_VERIFY_WITH_TIMEOUT((dlg = qobject_cast<TProgressDlg*>(QApplication::activeModalWidget())) &&
                                             !dlg->Busy && dlg->findChild<QPushButton*>(QStringLiteral("cmdClose"))->isEnabled(),
                                         60000);
                dlg->ToggleDetails();
                save(dlg, QStringLiteral("real-") + QString::fromLatin1(action + 9).toLower());
                dlg->accept();
            });
            main.UpdateActions();
            main.FindAction(QString::fromLatin1(action))->trigger();
        }
        save(&main, QStringLiteral("real-after-generate"));
        main.close();
    }

    // The splash window.
    {
        TSplash splash(SplashPicture(), QStringLiteral("Version ") + QMApp().Version, QMApp().Copyright,
                       QMApp().ReleaseLabel);
        splash.ShowAndPaint();
        save(&splash, QStringLiteral("splash"));
    }
    return 0;
}
