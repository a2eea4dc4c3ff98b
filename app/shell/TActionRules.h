// The enabling and checking rules of the main window's actions, as one plain function over a
// small description of the window's state, computed once per idle moment.
#pragma once

#include <QString>
#include <map>

namespace tavil {

enum class TActiveChild { None, CommandFile, Script };

struct TShellState {
    int ChildCount = 0;
    TActiveChild Active = TActiveChild::None;
    // SQL-DMO, ADO and the scripting component are all available.
    bool ServersAvailable = true;
    bool RecentFilesEmpty = true;
    bool RecentScriptsEmpty = true;

    // Of the active command-file window: the selected page (0 Connection ... 9 Advanced
    // Options, -1 none) and the rows and selected rows of its object list.
    int Page = -1;
    int ObjectCount = 0;
    int SelectedObjectCount = 0;

    // The active child's answers about its focused control.
    bool CanUndo = false;
    bool CanCutCopy = false;
    bool CanPaste = false;
    bool CanDelete = false;
    bool CanSelectAll = false;
    bool ClipboardHasText = false;

    bool StandardToolbarVisible = true;
    bool ScriptToolbarVisible = true;
    bool ToolsToolbarVisible = false;
    bool StatusBarVisible = true;
};

struct TActionState {
    bool Enabled = true;
    bool Checkable = false;
    bool Checked = false;
};

// The state of every action that has a rule, by action name. Actions not in the result are
// always enabled.
std::map<QString, TActionState> ComputeActionStates(const TShellState& state);

// The page actions in page order (actViewConnection ... actViewAdvanced).
extern const char* const kPageActions[10];

}  // namespace tavil
