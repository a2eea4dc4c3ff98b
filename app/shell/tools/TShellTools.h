// The shell's tools, help, tip of the day and about box, made available to the main window
// through its hooks (RegisterShellTools in app/shell/iface/TShellHooks.h).
#pragma once

class QMenu;
class QWidget;

namespace tavil {

class TExternalTools;

// Fills the External Tools submenu or drop-down: "<empty>" (disabled) when there are no tools,
// otherwise one item per tool with its command as hint; choosing one launches it.
void FillExternalToolsMenu(QMenu* menu, const TExternalTools& tools);

// Opens the Configure External Tools dialog over the program's list, centred on the owner.
void ConfigureExternalTools(TExternalTools& tools, QWidget* owner);

}  // namespace tavil
