// What the main window needs from its MDI children: their kind, identity, the questions that
// enable the Edit commands, and the commands it forwards to them.
#pragma once

#include <QString>

class QWidget;

namespace tavil {

class TCmdFile;

enum class TChildKind { CommandFile, Script };

// The window content a child library places in the MDI area. The widget returned by Widget()
// is owned by the MDI area once added; the child object lives exactly as long as that widget
// (implementations are normally the widget itself). Closing goes through the widget's close
// event, where the child runs its own close query.
class TShellChild {
public:
    virtual ~TShellChild() = default;

    virtual TChildKind Kind() const = 0;
    virtual QWidget* Widget() = 0;

    // The document's full path, "Untitled" for one never saved.
    virtual QString FilePath() const = 0;
    virtual bool IsModified() const = 0;

    // Re-reads the options the window depends on (font, placement storage).
    virtual void ApplyOptions() = 0;

    // Asks whether the window may close, prompting for unsaved changes as its own close does.
    // The main window asks every child before it closes; when all agree the children are
    // destroyed with it without being asked again.
    virtual bool CloseQuery() = 0;

    // Edit-control questions about the focused control inside the child. CanPaste does not
    // look at the clipboard: the main window adds that test.
    virtual bool CanUndo() const = 0;
    virtual bool CanCutCopy() const = 0;
    virtual bool CanPaste() const = 0;
    virtual bool CanDelete() const = 0;
    virtual bool CanSelectAll() const = 0;
};

// A command-file window. Page numbers given to ShowPage count the ten page nodes from 1;
// SelectedPageIndex counts them from 0 and is -1 when no node is selected.
class TCommandFileChild : public TShellChild {
public:
    TChildKind Kind() const override { return TChildKind::CommandFile; }

    // Each returns false when the user cancelled a dialog; failures raise EQMException.
    virtual bool SaveFile() = 0;
    virtual bool SaveFileAs() = 0;
    virtual bool SaveCopyAs() = 0;

    // Copies the controls into the owned command file (before runs).
    virtual void UpdateCommandFile() = 0;
    virtual TCmdFile& CommandFile() = 0;

    virtual void ShowPage(int page) = 0;
    virtual int SelectedPageIndex() const = 0;

    // Rows and selected rows of the object list of the selected page; 0 on other pages.
    virtual int CurrentObjectCount() const = 0;
    virtual int CurrentSelectedObjectCount() const = 0;

    virtual void AddObjects() = 0;
    virtual void AddAllObjects() = 0;
    virtual void RemoveObjects() = 0;
    virtual void RemoveAllObjects() = 0;
};

// A script window. Lines and columns count from 0 (display lines of the editor).
class TScriptChild : public TShellChild {
public:
    TChildKind Kind() const override { return TChildKind::Script; }

    virtual bool SaveScript() = 0;
    virtual bool SaveScriptAs() = 0;

    virtual void CaretPosition(int& line, int& column) const = 0;
    virtual void GoToPosition(int line, int column) = 0;

    virtual bool FindText(const QString& text, bool matchCase, bool wholeWord, bool fromCursor) = 0;
    virtual bool ReplaceOnce(const QString& text, const QString& replacement, bool matchCase,
                             bool wholeWord, bool fromCursor) = 0;
    virtual bool ReplaceAll(const QString& text, const QString& replacement, bool matchCase,
                            bool wholeWord, bool fromCursor) = 0;

    virtual void ToUpperCase() = 0;
    virtual void ToLowerCase() = 0;
    virtual void ToTitleCase() = 0;
    virtual void ToggleCase() = 0;
    virtual void InsertText(const QString& text) = 0;
    virtual void InsertFile() = 0;
};

}  // namespace tavil
