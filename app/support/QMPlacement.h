// A window's placement in the settings store: its rectangle as the values Left, Top, Width and
// Height of a key, and for the children of an MDI area the frame that placement belongs to.
#pragma once

#include "app/support/QMRegistry.h"

#include <QRect>
#include <QString>

class QWidget;

namespace tavil {

// The four values as stored, without bounds.
struct TQMPlacement {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

// Reads the placement stored under key into `placement`, whose fields are the defaults of values
// missing or not integers. False, and `placement` untouched, when no Width is stored.
bool ReadPlacement(Hive root, const QString& key, TQMPlacement& placement);
// Writes the rectangle's position and size as Left, Top, Width and Height.
void WritePlacement(Hive root, const QString& key, const QRect& rect);

// The frame whose placement a child window keeps: its MDI subwindow, the child itself when it is
// a top-level window, otherwise null.
QWidget* PlacementFrame(const QWidget* child);
// Takes the frame's geometry into `geometry` unless the frame is minimized or maximized, so that
// `geometry` always holds the last normal placement.
void TrackNormalGeometry(const QWidget* frame, QRect& geometry);

}  // namespace tavil
