// Window placement in the settings store.
#include "app/support/QMPlacement.h"

#include <QMdiSubWindow>
#include <QWidget>

namespace tavil {

bool ReadPlacement(Hive root, const QString& key, TQMPlacement& placement)
{
    if (!RegValueExists(root, key, QStringLiteral("Width"))) return false;
    placement.Width = RegReadInteger(root, key, QStringLiteral("Width"), placement.Width);
    placement.Height = RegReadInteger(root, key, QStringLiteral("Height"), placement.Height);
    placement.Left = RegReadInteger(root, key, QStringLiteral("Left"), placement.Left);
    placement.Top = RegReadInteger(root, key, QStringLiteral("Top"), placement.Top);
    return true;
}

void WritePlacement(Hive root, const QString& key, const QRect& rect)
{
    RegWriteInteger(root, key, QStringLiteral("Left"), rect.x());
    RegWriteInteger(root, key, QStringLiteral("Top"), rect.y());
    RegWriteInteger(root, key, QStringLiteral("Width"), rect.width());
    RegWriteInteger(root, key, QStringLiteral("Height"), rect.height());
}

QWidget* PlacementFrame(const QWidget* child)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(child->parentWidget())) return sub;
    return child->isWindow() ? const_cast<QWidget*>(child) : nullptr;
}

void TrackNormalGeometry(const QWidget* frame, QRect& geometry)
{
    const Qt::WindowStates state = frame->windowState();
    if (!(state & (Qt::WindowMinimized | Qt::WindowMaximized))) geometry = frame->geometry();
}

}  // namespace tavil
