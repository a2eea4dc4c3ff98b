// The key handling every dialog of the program shares.
#include "app/support/QMDialogKeys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QVariant>
#include <QWidget>

namespace tavil {

namespace {
THelpHook& helpHook()
{
    static THelpHook hook;
    return hook;
}
const char* const kHelpContextProperty = "HelpContext";
}  // namespace

void SetHelpHook(THelpHook hook) { helpHook() = std::move(hook); }

void RequestHelp(int context, QWidget* window)
{
    if (const THelpHook& hook = helpHook()) hook(context, window);
}

void SetHelpContext(QWidget* window, int context)
{
    if (window) window->setProperty(kHelpContextProperty, context);
}

int HelpContext(const QWidget* window)
{
    return window ? window->property(kHelpContextProperty).toInt() : 0;
}

TQMDialogKeys* TQMDialogKeys::Install(QWidget* window, int helpContext)
{
    if (!window) return nullptr;
    SetHelpContext(window, helpContext);
    auto* filter = new TQMDialogKeys(window);
    window->installEventFilter(filter);
    return filter;
}

TQMDialogKeys::TQMDialogKeys(QWidget* window) : QObject(window), window_(window) {}

bool TQMDialogKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window_ || event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const int code = key->key();
    if ((code != Qt::Key_Escape && code != Qt::Key_F1) || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    if (!key->isAutoRepeat()) {
        if (code == Qt::Key_Escape) {
            if (auto* sub = qobject_cast<QMdiSubWindow*>(window_->parentWidget())) sub->close();
            else window_->close();
        } else {
            RequestHelp(HelpContext(window_), window_);
        }
    }
    return true;
}

}  // namespace tavil
