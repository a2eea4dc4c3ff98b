// Screenshots of the script window inside the main window and of its dialogs, for looking at
// them under Xvfb:
//   xvfb-run -a script_window_shots SCRIPT.sql OUTDIR
// The settings store goes to a temporary folder; nothing of the user's is read or written.
#include "app/script/TChildScript.h"
#include "app/script/TFindDlg.h"
#include "app/script/TScriptEditor.h"
#include "app/shell/TVELKMain.h"
#include "app/shell/iface/TShellHooks.h"
#include "app/support/QMApplication.h"
#include "platform/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstring>

#ifdef TAVIL_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#endif

namespace {

QString gOut;
tavil::TVELKMain* gMain = nullptr;

void shoot(const char* name)
{
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    // The actions follow the active child when the event loop would wait; here it never does.
    if (gMain) gMain->UpdateActions();
    QTest::qWait(150);
    const QString file = gOut + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    QGuiApplication::primaryScreen()->grabWindow(0).save(file);
    std::printf("%s\n", qPrintable(file));
}

// Shoots the modal dialog that the action opens, then closes it.
void shootModal(QAction* action, const char* name, std::function<void(QWidget*)> prepare = {})
{
    gMain->UpdateActions();
    QTimer::singleShot(300, [=] {
        QWidget* dlg = QApplication::activeModalWidget();
        if (!dlg) return;
        if (prepare) prepare(dlg);
        shoot(name);
        dlg->close();
    });
    action->trigger();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || !std::strcmp(argv[1], "--help")) {
        std::puts("usage: script_window_shots SCRIPT OUTDIR\nShows SCRIPT as a generated script in the main window "
                  "and saves screenshots of it and of the Find, Replace, Go To and Insert Date/Time dialogs "
                  "in OUTDIR. Run it under Xvfb.");
        return argc < 3 ? 2 : 0;
    }
    QTemporaryDir config;
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()).constData(), 1);
    QApplication app(argc, argv);
    gOut = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(gOut);
    QFont font = QApplication::font();
    if (QFontDatabase::families().contains(tavil::QMApp().DialogFont, Qt::CaseInsensitive))
        font.setFamily(tavil::QMApp().DialogFont);
    font.setPointSize(8);
    QApplication::setFont(font);

    // The run's result file, as the generation leaves it.
    QTemporaryDir run;
    const QString result = run.filePath(QStringLiteral("ScriptResult.tmp"));
    QFile::copy(QString::fromLocal8Bit(argv[1]), result);

    tavil::RegisterScriptWindows(tavil::ShellHooks());
    tavil::TVELKMain main({}, tavil::TServerAvailability{});
    gMain = &main;
    main.resize(900, 640);
    main.move(20, 20);
    main.show();
    if (!QTest::qWaitForWindowExposed(&main)) return 1;
    auto* script = dynamic_cast<tavil::TChildScript*>(tavil::ShellHooks().NewScriptWindow(result));
    main.AddChild(script);
    script->Editor()->setFocus();
    script->GoToPosition(4, 6);
    shoot("1-script-window");

    main.UpdateActions();
    main.FindAction(QStringLiteral("actEditFind"))->trigger();
    tavil::TFindDlg* find = tavil::TFindDlg::Instance();
    if (find) {
        find->cbFind->setEditText(QStringLiteral("CREATE TABLE"));
        find->cmdFindNext->click();
        shoot("2-find");
        find->close();
    }
    shootModal(main.FindAction(QStringLiteral("actEditReplace")), "3-replace", [](QWidget* dlg) {
        const auto boxes = dlg->findChildren<QComboBox*>();
        if (boxes.size() >= 2) {
            boxes[0]->setEditText(QStringLiteral("[dbo]"));
            boxes[1]->setEditText(QStringLiteral("[sales]"));
        }
    });
    shootModal(main.FindAction(QStringLiteral("actEditGoTo")), "4-goto");
    shootModal(main.FindAction(QStringLiteral("actEditInsertDateTime")), "5-datetime");
    // The editor's pop-up menu.
    QTimer::singleShot(300, [] {
        if (QWidget* menu = QApplication::activePopupWidget()) {
            shoot("7-popup");
            menu->close();
        }
    });
    emit script->Editor()->customContextMenuRequested(QPoint(120, 60));

#ifdef TAVIL_HAVE_X11
    // Caps Lock and Num Lock switched on through the X server: the status bar shows them.
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        XkbLockModifiers(x11->display(), XkbUseCoreKbd, LockMask | Mod2Mask, LockMask | Mod2Mask);
        XFlush(x11->display());
        QTest::qWait(300);
        script->Editor()->setFocus();
        QTest::keyClick(script->Editor(), Qt::Key_Right);
        QTest::qWait(100);
        shoot("6-locks");
        XkbLockModifiers(x11->display(), XkbUseCoreKbd, LockMask | Mod2Mask, 0);
        XFlush(x11->display());
    }
#endif
    script->SetSaved(true);
    gMain = nullptr;
    return 0;
}
