// Rendering of the images drawn in code.
#include "app/support/QMDrawnImages.h"

#include <QPainter>
#include <QPainterPath>

namespace tavil {

QPen RoundPen(const QColor& colour, qreal width) { return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

QPixmap RenderDrawing(const TQMDrawing& draw, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    p.end();
    return pm;
}

QIcon RenderDrawingIcon(const TQMDrawing& draw, std::initializer_list<int> sizes)
{
    QIcon icon;
    for (int size : sizes) icon.addPixmap(RenderDrawing(draw, size));
    return icon;
}

void PaintPage(QPainter& p, const QColor& ink, const QColor& paper, qreal x, qreal y, qreal w, qreal h)
{
    QPainterPath path;
    path.moveTo(x, y);
    path.lineTo(x + w - 3, y);
    path.lineTo(x + w, y + 3);
    path.lineTo(x + w, y + h);
    path.lineTo(x, y + h);
    path.closeSubpath();
    p.setPen(RoundPen(ink));
    p.setBrush(paper);
    p.drawPath(path);
    p.drawLine(QPointF(x + w - 3, y), QPointF(x + w - 3, y + 3));
    p.drawLine(QPointF(x + w - 3, y + 3), QPointF(x + w, y + 3));
}

}  // namespace tavil
