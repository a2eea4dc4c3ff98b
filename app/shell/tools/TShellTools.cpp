// The hooks of the Tools and Help menus.
#include "app/shell/tools/TShellTools.h"

#include "app/shell/iface/TShellHooks.h"
#include "app/shell/messages/QMErrorHandler.h"
#include "app/shell/tools/TExternalTools.h"
#include "app/shell/tools/TExternalToolsDlg.h"
#include "app/shell/tools/TSqlServerTools.h"
#include "app/support/help/QMAbout.h"
#include "app/support/help/QMHelp.h"
#include "app/support/help/QMTipOfTheDay.h"
#include "app/support/setup/QMComponentSetup.h"

#include <QAction>
#include <QMenu>

namespace tavil {

namespace {
QWidget* mainWidget() { return ShellHost() ? ShellHost()->MainWidget() : nullptr; }
}  // namespace

void FillExternalToolsMenu(QMenu* menu, const TExternalTools& tools)
{
    if (!menu) return;
    menu->clear();
    if (tools.Items.isEmpty()) {
        QAction* empty = menu->addAction(QStringLiteral("<empty>"));
        empty->setEnabled(false);
        return;
    }
    for (int i = 0; i < tools.Items.size(); ++i) {
        const TExternalTool& tool = tools.Items[i];
        QAction* a = menu->addAction(tool.Caption);
        a->setStatusTip(tool.Command);
        a->setData(i);
        // The list may change before the item is chosen: the position is looked up then.
        QObject::connect(a, &QAction::triggered, menu, [&tools, i] { RunGuarded([&tools, i] { tools.Launch(i); }); });
    }
}

void ConfigureExternalTools(TExternalTools& tools, QWidget* owner)
{
    TExternalToolsDlg dlg(tools, owner);
    dlg.exec();
}

void RegisterShellTools(TShellHooks& hooks)
{
    // The installed program registers its component on first start; a build tree needs none.
    EnsureComponentRegistered();
    InstallHelp();

    hooks.LoadExternalTools = [] { ExternalTools().Load(); };
    hooks.SaveExternalTools = [] { ExternalTools().Save(); };
    hooks.FillExternalToolsMenu = [](QMenu* menu) { FillExternalToolsMenu(menu, ExternalTools()); };
    hooks.ConfigureExternalTools = [] { ConfigureExternalTools(ExternalTools(), mainWidget()); };
    hooks.RunSqlServerTool = [](const QString& name) { RunSqlServerTool(name); };
    hooks.ShowTipOfTheDay = [](bool startup, bool showTips) { return ShowTipOfTheDay(showTips, !startup, mainWidget()); };
    hooks.ShowAbout = [] { ShowAbout(mainWidget()); };
}

}  // namespace tavil
