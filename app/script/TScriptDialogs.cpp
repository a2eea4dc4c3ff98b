// The script library's entry points and its registration with the main window.
#include "app/script/TScriptDialogs.h"

#include "app/script/TChildScript.h"
#include "app/script/TFindDlg.h"
#include "app/script/TGoToDlg.h"
#include "app/script/TReplaceDlg.h"
#include "app/script/TSelDateTime.h"
#include "app/shell/iface/TShellHooks.h"

namespace tavil {

namespace {

QWidget* mainWidget()
{
    TShellHost* host = ShellHost();
    return host ? host->MainWidget() : nullptr;
}

}  // namespace

TSearchState& SearchState()
{
    static TSearchState state;
    return state;
}

EQMException SearchNotFound(const QString& text)
{
    return EQMException(QStringLiteral("Search string '%1' not found.").arg(text), EQMException::Information);
}

void ShowFindDialog() { TFindDlg::ShowInstance(); }

void FindNext()
{
    const TSearchState& state = SearchState();
    if (state.SearchText.isEmpty()) {
        ShowFindDialog();
        return;
    }
    TShellHost* host = ShellHost();
    if (!host || !host->SearchScript(state.SearchText, state.SearchMatchCase, true, state.SearchWholeWord))
        throw SearchNotFound(state.SearchText);
}

void RunReplaceDialog()
{
    QString text, replacement;
    bool matchCase = false, wholeWord = false, fromCursor = true;
    TReplaceDlg::TChoice choice = TReplaceDlg::None;
    {
        // The dialog is gone (and its storage written) before the replacing starts.
        TReplaceDlg dlg(mainWidget());
        if (dlg.exec() != QDialog::Accepted) return;
        text = dlg.SearchText();
        replacement = dlg.ReplaceText();
        matchCase = dlg.MatchCase();
        wholeWord = dlg.WholeWord();
        fromCursor = dlg.FromCursor();
        choice = dlg.Choice();
    }
    TShellHost* host = ShellHost();
    if (!host) return;
    if (choice == TReplaceDlg::ReplaceOne) host->ReplaceInScript(text, replacement, matchCase, fromCursor, wholeWord);
    else if (choice == TReplaceDlg::ReplaceEvery)
        host->ReplaceAllInScript(text, replacement, matchCase, fromCursor, wholeWord);
}

bool RunGoToDialog(int& line, int& column)
{
    TGoToDlg dlg(line, column, mainWidget());
    if (dlg.exec() != QDialog::Accepted) return false;
    line = dlg.Line();
    column = dlg.Column();
    return true;
}

QString RunDateTimeDialog()
{
    TSelDateTime dlg(QDateTime::currentDateTime(), mainWidget());
    if (dlg.exec() != QDialog::Accepted) return QString();
    // The moment of OK, not the one shown.
    return dlg.Text(QDateTime::currentDateTime());
}

void RegisterScriptWindows(TShellHooks& hooks)
{
    hooks.NewScriptWindow = [](const QString& resultFile) -> TScriptChild* {
        return TChildScript::NewScriptWindow(resultFile);
    };
    hooks.OpenScriptWindow = [](const QString& path) -> TScriptChild* { return TChildScript::OpenScriptWindow(path); };
    hooks.ShowFindDialog = ShowFindDialog;
    hooks.FindNext = FindNext;
    hooks.RunReplaceDialog = RunReplaceDialog;
    hooks.RunGoToDialog = RunGoToDialog;
    hooks.RunDateTimeDialog = RunDateTimeDialog;
}

}  // namespace tavil
