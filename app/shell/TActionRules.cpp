// The enabling and checking rules of the main window's actions.
#include "app/shell/TActionRules.h"

namespace tavil {

const char* const kPageActions[10] = {
    "actViewConnection", "actViewTables", "actViewViews",  "actViewStoredProcs", "actViewDefaults",
    "actViewRules",      "actViewTypes",  "actViewFunctions", "actViewFormatting", "actViewAdvanced",
};

std::map<QString, TActionState> ComputeActionStates(const TShellState& s)
{
    std::map<QString, TActionState> out;
    auto enable = [&out](const char* name, bool enabled) { out[QString::fromLatin1(name)].Enabled = enabled; };
    auto check = [&out](const char* name, bool enabled, bool checked) {
        TActionState& a = out[QString::fromLatin1(name)];
        a.Enabled = enabled;
        a.Checkable = true;
        a.Checked = checked;
    };

    const bool anyChild = s.ChildCount >= 1;
    const bool twoChildren = s.ChildCount >= 2;
    const bool cmd = s.Active == TActiveChild::CommandFile;
    const bool script = s.Active == TActiveChild::Script;
    const bool servers = s.ServersAvailable;

    for (const char* a : {"actFileNew", "actFileNewSimple", "actFileOpen"}) enable(a, servers);
    enable("actFileClose", anyChild);
    for (const char* a : {"actFileSave", "actFileSaveAs", "actFileSaveCopyAs"}) enable(a, cmd);
    enable("actFileRecentFiles", servers && !s.RecentFilesEmpty);
    enable("actFileRecentScripts", !s.RecentScriptsEmpty);

    // Edit-control commands: the active child answers for its focused control; the clipboard
    // must hold text for Paste.
    const bool child = cmd || script;
    enable("actEditUndo", child && s.CanUndo);
    enable("actEditCut", child && s.CanCutCopy);
    enable("actEditCopy", child && s.CanCutCopy);
    enable("actEditPaste", child && s.CanPaste && s.ClipboardHasText);
    enable("actEditDelete", child && s.CanDelete);
    enable("actEditSelectAll", child && s.CanSelectAll);

    for (const char* a : {"actEditFind", "actEditFindNext", "actEditReplace", "actEditGoTo", "actEditUpperCase",
                          "actEditLowerCase", "actEditTitleCase", "actEditToggleCase", "actEditInsertDateTime",
                          "actEditInsertFile"})
        enable(a, script);

    for (int p = 0; p < 10; ++p) check(kPageActions[p], cmd, cmd && s.Page == p);
    enable("actViewTree", cmd);
    check("actViewStandardToolbar", true, s.StandardToolbarVisible);
    check("actViewScriptToolbar", true, s.ScriptToolbarVisible);
    check("actViewToolsToolbar", true, s.ToolsToolbarVisible);
    check("actViewStatusBar", true, s.StatusBarVisible);

    const bool add = cmd && s.Page >= 1 && s.Page <= 7;
    enable("actScriptAdd", add);
    enable("actScriptAddAll", add);
    enable("actScriptRemove", add && s.SelectedObjectCount > 0);
    enable("actScriptRemoveAll", add && s.ObjectCount > 0);
    enable("actScriptGenerate", servers && cmd);
    enable("actScriptVerify", cmd);
    enable("actScriptSave", script);
    enable("actScriptSaveAs", script);

    for (const char* a : {"actWindowCascade", "actWindowTileHor", "actWindowTileVer", "actWindowArrange",
                          "actWindowMinimizeAll", "actWindowCloseAll", "actWindowWindows"})
        enable(a, anyChild);
    enable("actWindowNext", twoChildren);
    enable("actWindowPrevious", twoChildren);
    return out;
}

}  // namespace tavil
