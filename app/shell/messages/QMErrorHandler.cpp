// Turning exceptions into message dialogs.
#include "app/shell/messages/QMErrorHandler.h"

#include "app/shell/messages/QMMessageDetails.h"
#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"

#include <QApplication>
#include <QMainWindow>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace tavil {

namespace {

void exitNow()
{
    std::fflush(nullptr);
    ::_exit(1);
}

std::function<void()>& fatalExit()
{
    static std::function<void()> handler = exitNow;
    return handler;
}

void bringToFront()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(w) && w->isVisible()) {
            if (w->isMinimized()) w->showNormal();
            w->raise();
            w->activateWindow();
            return;
        }
    }
}

void show(const QString& message, const QString& details, std::uint8_t type)
{
    const TQMApplication& app = QMApp();
    QMMessageDetails(message, details, app.FullName, false, app.DialogFont,
                     static_cast<std::uint8_t>(app.LanguageId), type);
}

}  // namespace

void SetFatalExitHandler(std::function<void()> handler)
{
    fatalExit() = handler ? std::move(handler) : std::function<void()>(exitNow);
}

void ShowWarning(const EQMException& error) { show(error.Message, error.Details, qmdWarning); }

void HandleApplicationException(std::exception_ptr error)
{
    if (!error) return;
    bringToFront();
    bool fatal = true;
    try {
        std::rethrow_exception(error);
    } catch (const EQMException& e) {
        const std::uint8_t type = e.Severity == EQMException::Critical  ? qmdCritical
                                  : e.Severity == EQMException::Warning ? qmdWarning
                                                                        : qmdInformation;
        fatal = e.Severity == EQMException::Critical;
        try {
            show(e.Message, e.Details, type);
        } catch (...) {
            fatal = true;
        }
    } catch (const std::exception& e) {
        try {
            show(QStringLiteral("Unexpected error."), QString::fromLocal8Bit(e.what()), qmdCritical);
        } catch (...) {
        }
    } catch (...) {
        try {
            show(QStringLiteral("Unexpected error."), QString(), qmdCritical);
        } catch (...) {
        }
    }
    if (fatal) fatalExit()();
}

void RunGuarded(const std::function<void()>& f)
{
    try {
        f();
    } catch (...) {
        HandleApplicationException(std::current_exception());
    }
}

}  // namespace tavil
