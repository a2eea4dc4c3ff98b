// Small flat images drawn in code with QPainter on a grid of 16 units, whatever the pixel size
// they are rendered at: the pen they draw with, the pieces several sets of images share, and
// the rendering itself.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPen>
#include <QPixmap>
#include <functional>
#include <initializer_list>

class QPainter;

namespace tavil {

// Draws one image in grid units (0 … 16 across and down).
using TQMDrawing = std::function<void(QPainter&)>;

// A solid pen with round caps and joins.
QPen RoundPen(const QColor& colour, qreal width = 1.0);

// The drawing rendered antialiased into a transparent square of `size` pixels.
QPixmap RenderDrawing(const TQMDrawing& draw, int size);
// An icon holding the drawing rendered at each of the sizes.
QIcon RenderDrawingIcon(const TQMDrawing& draw, std::initializer_list<int> sizes);

// A sheet of paper with its top right corner folded over, w × h units at (x, y).
void PaintPage(QPainter& p, const QColor& ink, const QColor& paper, qreal x, qreal y, qreal w, qreal h);

}  // namespace tavil
