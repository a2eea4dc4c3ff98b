// Not a test: draws the tool, help, tip and about windows into PNG files to be looked at.
//   xvfb-run -a tools_look DIR
#include "app/shell/tools/TEditToolDlg.h"
#include "app/shell/tools/TExternalTools.h"
#include "app/shell/tools/TExternalToolsDlg.h"
#include "app/shell/tools/TShellTools.h"
#include "app/support/help/QMAbout.h"
#include "app/support/help/QMHelp.h"
#include "app/support/help/QMTipOfTheDay.h"
#include "platform/SettingsStore.h"

#include "VersionInfo.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <cstdio>
#include <cstdlib>

using namespace tavil;

namespace {

QString folder;

void save(QWidget& w, const char* name)
{
    w.show();
    (void)QTest::qWaitForWindowExposed(&w);
    QTest::qWait(50);
    const QString path = QDir(folder).filePath(QString::fromLatin1(name) + ".png");
    w.grab().save(path);
    std::printf("%s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv)
{
    QTemporaryDir config;
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()).constData(), 1);
    QApplication app(argc, argv);
    folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(folder);

    TExternalTools tools(platform::Hive::CurrentUser, "Software\\Look\\Tools");
    tools.Items << TExternalTool{"&Terminal", "/usr/bin/x-terminal-emulator", "", "/srv/scripts"}
                << TExternalTool{"&Diff scripts", "/usr/bin/meld", "old.sql new.sql", "/srv/scripts"}
                << TExternalTool{"&Notes", "/usr/bin/gedit", "notes.txt", ""};
    {
        TExternalToolsDlg dlg(tools);
        save(dlg, "configure-tools");
    }
    {
        TExternalTool tool = tools.Items[1];
        TEditToolDlg dlg(tool, false);
        save(dlg, "edit-tool");
    }
    {
        TTipOfTheDayForm form;
        form.chkShowTips->setChecked(true);
        form.SetTips({"F9 generates the script of the active command file, and F10 verifies it against its server first."});
        save(form, "tip-of-the-day");
    }
    {
        TAboutForm form;
        save(form, "about");
    }
    {
        ShowHelpFile(QStringLiteral(TAVIL_SOURCE_DIR "/help/index.html"), 0);
        save(*OpenHelpWindow(), "help-contents");
        ShowHelpFile(QStringLiteral(TAVIL_SOURCE_DIR "/help/index.html"), 602);
        save(*OpenHelpWindow(), "help-tools");
        ShowHelpFile(QStringLiteral(TAVIL_SOURCE_DIR "/help/index.html"), 60000);
        save(*OpenHelpWindow(), "help-support");
        ShowHelpFile(QStringLiteral(TAVIL_SOURCE_DIR "/help/index.html"), 601);
        OpenHelpWindow()->Browser()->setSource(QUrl::fromLocalFile(TAVIL_SOURCE_DIR "/help/script-options.html"));
        save(*OpenHelpWindow(), "help-options");
    }
    {
        QMenu menu;
        FillExternalToolsMenu(&menu, TExternalTools(platform::Hive::CurrentUser, "Software\\Look\\None"));
        menu.popup(QPoint(10, 10));
        save(menu, "menu-empty");
        FillExternalToolsMenu(&menu, tools);
        menu.adjustSize();
        save(menu, "menu-tools");
    }
    return 0;
}
