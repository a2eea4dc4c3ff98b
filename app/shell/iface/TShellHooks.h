// The two directions between the main window and the libraries of its child windows:
// TShellHost is what the main window offers them, TShellHooks is what they fill in so that the
// main window can create their windows and dialogs without linking them.
#pragma once

#include "app/shell/iface/TShellChild.h"

#include <QString>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace tavil {

// Implemented by the main window; available through ShellHost() while it exists.
class TShellHost {
public:
    virtual ~TShellHost() = default;

    virtual QWidget* MainWidget() = 0;
    // The main window's action with that object name ("actScriptGenerate" ...), or null.
    virtual QAction* FindAction(const QString& name) const = 0;
    virtual TShellChild* ActiveChild() const = 0;
    // SQL-DMO, ADO and the scripting component could all be created at start-up.
    virtual bool ServersAvailable() const = 0;

    // The open operations bring an already open window to the front instead of opening the
    // file twice; a missing file raises EQMException "File '%s' not found.".
    virtual TCommandFileChild* OpenCommandFile(const QString& path) = 0;
    virtual TScriptChild* OpenScript(const QString& path) = 0;

    // Recent lists; used after saves, including saves made from a close query.
    virtual void AddRecentCommandFile(const QString& path) = 0;
    virtual void RemoveRecentCommandFile(const QString& path) = 0;
    virtual void AddRecentScript(const QString& path) = 0;
    virtual void RemoveRecentScript(const QString& path) = 0;

    // Search and replace in the active script window. SearchScript returns false when no
    // script window is active; the two replace operations do nothing then, and raise
    // EQMException "Search string '%s' not found." (severity 2) when the text is not found.
    virtual bool SearchScript(const QString& text, bool matchCase, bool fromCaret, bool wholeWord) = 0;
    virtual void ReplaceInScript(const QString& text, const QString& replacement, bool matchCase,
                                 bool fromCaret, bool wholeWord) = 0;
    virtual void ReplaceAllInScript(const QString& text, const QString& replacement, bool matchCase,
                                    bool fromCaret, bool wholeWord) = 0;
};

inline TShellHost*& ShellHostSlot()
{
    static TShellHost* host = nullptr;
    return host;
}

// The main window, or null before it is created and after it is destroyed.
inline TShellHost* ShellHost() { return ShellHostSlot(); }

// Creation hooks. Each library fills its own entries once, before the main window is created;
// an empty entry leaves the command that needs it without effect. Windows returned by the
// factories have no parent yet: the main window places them in its MDI area, which then owns
// them. Factories raise EQMException when the document cannot be read.
struct TShellHooks {
    // Command-file windows, wizard (the editing library).
    std::function<TCommandFileChild*(std::unique_ptr<TCmdFile>)> NewCommandFileWindow;
    std::function<TCommandFileChild*(const QString& path)> OpenCommandFileWindow;
    // Returns null when the wizard was cancelled.
    std::function<std::unique_ptr<TCmdFile>()> RunNewWizard;

    // Script windows and their dialogs (the script library).
    std::function<TScriptChild*(const QString& resultFile)> NewScriptWindow;
    std::function<TScriptChild*(const QString& path)> OpenScriptWindow;
    std::function<void()> ShowFindDialog;
    std::function<void()> FindNext;
    std::function<void()> RunReplaceDialog;
    // Shows the Go To dialog prefilled with line and column (from 0); on OK stores the chosen
    // position in them and returns true.
    std::function<bool(int& line, int& column)> RunGoToDialog;
    // Returns the text to insert, empty when cancelled.
    std::function<QString()> RunDateTimeDialog;

    // External tools, SQL Server tools, tip of the day, about box.
    std::function<void()> LoadExternalTools;
    std::function<void()> SaveExternalTools;
    std::function<void(QMenu* menu)> FillExternalToolsMenu;
    std::function<void()> ConfigureExternalTools;
    // name: "actToolsEnterpriseManager", "actToolsQueryAnalyzer", "actToolsProfiler",
    // "actToolsImportExport" or "actToolsClientNetwork".
    std::function<void(const QString& name)> RunSqlServerTool;
    // Help itself goes through the help hook of app/support/QMDialogKeys.h (context 0 for the
    // contents), which F1 in every dialog uses too.
    // Shows the tip window (startup: the start-up mode, else the forced one) and returns whether
    // tips are to be shown at start-up.
    std::function<bool(bool startup, bool showTips)> ShowTipOfTheDay;
    std::function<void()> ShowAbout;
};

inline TShellHooks& ShellHooks()
{
    static TShellHooks hooks;
    return hooks;
}

// Defined by the libraries that fill the hooks; the program calls each one that is linked in.
void RegisterCommandFileWindows(TShellHooks& hooks);  // app/editing
void RegisterScriptWindows(TShellHooks& hooks);       // app/script
void RegisterShellTools(TShellHooks& hooks);          // tools, help, tips, about

}  // namespace tavil
