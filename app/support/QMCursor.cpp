// The hourglass cursor of a windowed program.
#include "app/support/QMCursor.h"

#include "app/support/QMTools.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMetaObject>
#include <QThread>

namespace tavil {

namespace {

void setHourglass(bool on)
{
    if (on) {
        if (QGuiApplication::overrideCursor()) QGuiApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
        else QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        return;
    }
    // Not counted: however many times the hourglass was asked for, it goes now.
    while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

}  // namespace

void InstallHourglassCursor()
{
    SetHourglassHandler([](bool on) {
        QCoreApplication* app = QCoreApplication::instance();
        if (!qobject_cast<QGuiApplication*>(app)) return;
        // The cursor belongs to the user-interface thread; other threads post the change there.
        if (QThread::currentThread() == app->thread()) setHourglass(on);
        else QMetaObject::invokeMethod(app, [on] { setHourglass(on); }, Qt::QueuedConnection);
    });
}

}  // namespace tavil
