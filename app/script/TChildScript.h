// The script window: an MDI child showing one T-SQL script in a plain-text editor with a status
// bar (caret position, insert mode, Caps Lock, Num Lock, path). It has no menu of its own; the
// main window forwards its Edit and Script commands to it.
#pragma once

#include "app/script/TScriptFile.h"
#include "app/shell/iface/TShellChild.h"

#include <QRect>
#include <QTimer>
#include <QWidget>
#include <array>

class QLabel;
class QStatusBar;

namespace tavil {

class TScriptEditor;

class TChildScript : public QWidget, public TScriptChild {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 607;
    static constexpr int kDefaultWidth = 538;
    static constexpr int kDefaultHeight = 288;
    // The status bar follows the caret and the keyboard every 10 ms while anything happens; after
    // half a second without a change it looks five times a second, until the next key, caret
    // move or activation.
    static constexpr int kStatusInterval = 10;  // milliseconds
    static constexpr int kQuietInterval = 200;
    static constexpr int kQuietTicks = 50;
    static const char* const kStorageKey;      // "ScriptStorage", below AppKey

    // An empty window titled "Untitled" and marked saved, with the options applied.
    explicit TChildScript(QWidget* parent = nullptr);
    ~TChildScript() override;

    // A window for a run's result file: "Untitled", not saved. A result file that cannot be read
    // leaves the window empty; the error "Error reading script from temporary file '%s'." is
    // reported through the application's error handler once the event loop runs.
    static TChildScript* NewScriptWindow(const QString& resultFile);
    // A window for a script file, saved. Raises EQMException (severity 1) when the file cannot
    // be read; no window is made then, so that no empty window stands for the file.
    static TChildScript* OpenScriptWindow(const QString& path);

    // Reads the editor's text from the file (hourglass cursor). Raises TScriptFileError; the
    // editor is not changed then.
    void LoadFromFile(const QString& path);

    // TShellChild
    QWidget* Widget() override { return this; }
    QString FilePath() const override { return path_; }
    bool IsModified() const override { return !saved_; }
    void ApplyOptions() override;
    bool CloseQuery() override;
    bool CanUndo() const override;
    bool CanCutCopy() const override;
    bool CanPaste() const override;
    bool CanDelete() const override;
    bool CanSelectAll() const override;

    // TScriptChild. The saves raise EQMException "Error saving script." (severity 1) with the
    // system's reason as details; path and saved state stay as they were then.
    bool SaveScript() override;
    bool SaveScriptAs() override;
    void CaretPosition(int& line, int& column) const override;
    void GoToPosition(int line, int column) override;
    bool FindText(const QString& text, bool matchCase, bool wholeWord, bool fromCursor) override;
    bool ReplaceOnce(const QString& text, const QString& replacement, bool matchCase, bool wholeWord,
                     bool fromCursor) override;
    bool ReplaceAll(const QString& text, const QString& replacement, bool matchCase, bool wholeWord,
                    bool fromCursor) override;
    void ToUpperCase() override;
    void ToLowerCase() override;
    void ToTitleCase() override;
    void ToggleCase() override;
    void InsertText(const QString& text) override;
    // Asks for a file and inserts its lines, each ending in CR LF. Raises EQMException "Unable to
    // insert file '%s'." (severity 1); the editor is not changed then.
    void InsertFile() override;
    // InsertFile without the dialog.
    void InsertFileContents(const QString& path);

    // Caption, status panel 4 and the path.
    void SetFilePath(const QString& path);
    void SetSaved(bool saved);
    bool Saved() const { return saved_; }
    const TScriptFileFormat& FileFormat() const { return format_; }

    TScriptEditor* Editor() const { return editor_; }
    QStatusBar* StatusBar() const { return status_; }
    QString StatusText(int panel) const;
    // One tick of the status timer.
    void UpdateStatus();
    int StatusInterval() const { return statusTimer_.interval(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyCase(int conversion);
    void showContextMenu(const QPoint& pos);
    void writeTo(const QString& path);
    bool setPanel(int panel, const QString& text);
    void wakeStatus();
    QWidget* frame() const;
    void restorePlacement();
    void savePlacement() const;

    TScriptEditor* editor_ = nullptr;
    QStatusBar* status_ = nullptr;
    std::array<QLabel*, 5> panels_{};
    QString path_;
    bool saved_ = true;
    bool suppressChange_ = false;
    TScriptFileFormat format_;
    QTimer statusTimer_;
    int quietTicks_ = 0;

    // Placement ("ScriptStorage"), kept while SaveWindow is on.
    bool placementActive_ = false;
    bool placementRestored_ = false;
    QWidget* watchedFrame_ = nullptr;
    QRect lastGeometry_;
};

}  // namespace tavil
