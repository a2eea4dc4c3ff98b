// The key handling every dialog of the program shares: Escape closes the window, F1 asks for the
// help topic of the window's help context number.
#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace tavil {

// Shows help for a context number (0: the default topic) on behalf of a window. The help module
// installs it; until then F1 does nothing.
using THelpHook = std::function<void(int context, QWidget* window)>;
void SetHelpHook(THelpHook hook);
// Calls the hook, if one is installed. What the hook raises passes through to the caller (the
// application's error handler shows it).
void RequestHelp(int context, QWidget* window = nullptr);

// A window's help context number, kept as its property "HelpContext" (0 when unset).
void SetHelpContext(QWidget* window, int context);
int HelpContext(const QWidget* window);

// Event filter for a dialog (or any top-level or MDI child window). It acts on the key press
// when the press reaches the window unhandled, so that Escape closing a combo box's list or
// cancelling an edit does not close the dialog as well. (Key releases cannot be used: the focused
// field usually takes them and they never reach the window.) The press is taken, so the window
// does not act on it twice; a held key does not repeat the action.
class TQMDialogKeys : public QObject {
    Q_OBJECT
public:
    // Installs a filter on the window (owned by it) and sets its help context number.
    static TQMDialogKeys* Install(QWidget* window, int helpContext = 0);

    explicit TQMDialogKeys(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
};

}  // namespace tavil
