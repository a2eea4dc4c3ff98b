// Small flat images drawn with QPainter on a 16-unit grid, rendered at 16 and 32 pixels.
#include "app/editing/TEditingImages.h"

#include "app/support/QMDrawnImages.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <array>

namespace tavil {

namespace {

const QColor kInk(60, 60, 60);
const QColor kPaper(255, 255, 255);
const QColor kBlue(58, 110, 165);
const QColor kGreen(52, 140, 64);
const QColor kAmber(214, 150, 30);
const QColor kPurple(120, 80, 160);
const QColor kTeal(30, 140, 140);
const QColor kRed(190, 60, 50);
const QColor kGrey(150, 150, 150);
const QColor kDisk(120, 150, 190);

// A grid with a coloured heading row: the look of a table.
void grid(QPainter& p, const QColor& heading)
{
    const QRectF r(1.5, 2.5, 13, 11);
    p.setPen(RoundPen(kInk));
    p.setBrush(kPaper);
    p.drawRect(r);
    p.setPen(Qt::NoPen);
    p.setBrush(heading);
    p.drawRect(QRectF(2, 3, 12, 3));
    p.setPen(RoundPen(kGrey, 0.8));
    p.drawLine(QPointF(2, 9), QPointF(14, 9));
    p.drawLine(QPointF(6.5, 6), QPointF(6.5, 13));
    p.setPen(RoundPen(kInk));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

// A rounded badge with a short text: defaults, rules, types and functions.
void badge(QPainter& p, const QColor& colour, const QString& text, bool italic = false)
{
    p.setPen(RoundPen(colour.darker(140)));
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
    QFont f(QStringLiteral("Sans Serif"));
    f.setPixelSize(text.size() > 1 ? 8 : 10);
    f.setBold(true);
    f.setItalic(italic);
    p.setFont(f);
    p.setPen(kPaper);
    p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, text);
}

void page(QPainter& p, qreal x, qreal y, qreal w, qreal h) { PaintPage(p, kInk, kPaper, x, y, w, h); }

void lines(QPainter& p, qreal x, qreal y, const std::initializer_list<qreal>& widths, const QColor& c = kGrey)
{
    p.setPen(RoundPen(c));
    qreal at = y;
    for (qreal w : widths) {
        p.drawLine(QPointF(x, at), QPointF(x + w, at));
        at += 2;
    }
}

// A database cylinder with its top at y.
void cylinder(QPainter& p, qreal x, qreal y, qreal w, qreal h, const QColor& body = kDisk)
{
    const qreal e = w / 3.5;
    QPainterPath side;
    side.moveTo(x, y + e / 2);
    side.lineTo(x, y + h - e / 2);
    side.arcTo(QRectF(x, y + h - e, w, e), 180, 180);
    side.lineTo(x + w, y + e / 2);
    side.arcTo(QRectF(x, y, w, e), 0, -180);
    p.setPen(RoundPen(kInk, w > 20 ? 2 : 1));
    p.setBrush(body);
    p.drawPath(side);
    p.setBrush(body.lighter(130));
    p.drawEllipse(QRectF(x, y, w, e));
}

void gear(QPainter& p, qreal cx, qreal cy, qreal r, const QColor& c)
{
    QPainterPath path;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal a0 = (i * M_PI) / teeth;
        const qreal a1 = ((i + 1) * M_PI) / teeth;
        const qreal rr = i % 2 == 0 ? r : r * 0.72;
        const QPointF p0(cx + rr * std::cos(a0), cy + rr * std::sin(a0));
        const QPointF p1(cx + rr * std::cos(a1), cy + rr * std::sin(a1));
        if (i == 0) path.moveTo(p0);
        else path.lineTo(p0);
        path.lineTo(p1);
    }
    path.closeSubpath();
    path.addEllipse(QPointF(cx, cy), r * 0.3, r * 0.3);
    path.setFillRule(Qt::OddEvenFill);
    p.setPen(RoundPen(c.darker(150), 0.8));
    p.setBrush(c);
    p.drawPath(path);
}

void drawObject(QPainter& p, int kind)
{
    switch (kind) {
    case 0: grid(p, kBlue); break;
    case 1: {
        grid(p, kGreen);
        // Spectacles over the grid: a view looks at tables.
        p.setPen(RoundPen(kInk, 1.1));
        p.setBrush(kPaper);
        p.drawEllipse(QPointF(5.5, 10.5), 2.2, 2.2);
        p.drawEllipse(QPointF(10.5, 10.5), 2.2, 2.2);
        p.drawLine(QPointF(7.7, 10.5), QPointF(8.3, 10.5));
        break;
    }
    case 2: {
        page(p, 2, 1.5, 10, 13);
        lines(p, 4, 6, {5, 4, 6});
        // A run triangle: something that executes.
        p.setPen(RoundPen(kGreen.darker(130)));
        p.setBrush(kGreen);
        QPolygonF run;
        run << QPointF(9.5, 8.5) << QPointF(15, 11.5) << QPointF(9.5, 14.5);
        p.drawPolygon(run);
        break;
    }
    case 3: badge(p, kAmber, QStringLiteral("D")); break;
    case 4: {
        p.setPen(RoundPen(kPurple.darker(140)));
        p.setBrush(kPurple);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
        p.setPen(RoundPen(kPaper, 2));
        p.setBrush(Qt::NoBrush);
        QPolygonF tick;
        tick << QPointF(4.5, 8.5) << QPointF(7, 11) << QPointF(11.5, 5);
        p.drawPolyline(tick);
        break;
    }
    case 5: badge(p, kTeal, QStringLiteral("T")); break;
    case 6: badge(p, kRed, QStringLiteral("fx"), true); break;
    default: break;
    }
}

void drawPage(QPainter& p, int index)
{
    switch (index) {
    case 0: {
        // The command file: a page with a database in its corner.
        page(p, 1.5, 1, 10, 13);
        lines(p, 3.5, 5.5, {5, 6, 4});
        cylinder(p, 8.5, 8, 6.5, 7);
        break;
    }
    case 1: {
        // A server and its connection line.
        cylinder(p, 1.5, 1.5, 8, 12);
        p.setPen(RoundPen(kGreen.darker(120), 1.5));
        p.drawLine(QPointF(9.5, 9), QPointF(13, 9));
        p.drawLine(QPointF(13, 9), QPointF(13, 14.5));
        p.setPen(RoundPen(kInk));
        p.setBrush(kGreen);
        p.drawRect(QRectF(11.5, 5.5, 3, 3.5));
        break;
    }
    case 9: {
        page(p, 2, 1.5, 11, 13);
        lines(p, 4, 6, {7, 5, 7, 3}, kBlue);
        p.setPen(RoundPen(kRed, 1.4));
        p.drawLine(QPointF(4, 4), QPointF(9, 4));
        break;
    }
    case 10: gear(p, 8, 8, 6.8, kGrey.darker(110)); break;
    default:
        if (index >= 2 && index <= 8) drawObject(p, index - 2);
        break;
    }
}

template <std::size_t N, class F>
const std::array<QIcon, N>& cached(F draw)
{
    static const std::array<QIcon, N> icons = [&] {
        std::array<QIcon, N> a;
        for (std::size_t i = 0; i < N; ++i) a[i] = RenderDrawingIcon([&, i](QPainter& p) { draw(p, static_cast<int>(i)); }, {16, 32});
        return a;
    }();
    return icons;
}

// A script page in front of a database, drawn at any size into a w × h box at (x, y).
void emblem(QPainter& p, const QRectF& box)
{
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 48.0, box.height() / 48.0);
    cylinder(p, 4, 4, 26, 34);
    page(p, 20, 12, 24, 32);
    lines(p, 24, 22, {14, 10, 16, 12, 8, 14}, kBlue);
    p.restore();
}

}  // namespace

QIcon ObjectImage(int kind)
{
    if (kind < 0 || kind > 6) return QIcon();
    return cached<7>(drawObject)[static_cast<std::size_t>(kind)];
}

QIcon PageImage(int index)
{
    if (index < 0 || index > 10) return QIcon();
    return cached<11>(drawPage)[static_cast<std::size_t>(index)];
}

void PaintWizardPicture(QPainter& p, const QRect& box)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    g.setColorAt(0, QColor(40, 80, 140));
    g.setColorAt(1, QColor(110, 160, 215));
    p.fillRect(box, g);
    const qreal side = std::min<qreal>(112, box.width() - 40);
    emblem(p, QRectF(box.left() + (box.width() - side) / 2, box.top() + 40, side, side));
    p.setPen(QColor(255, 255, 255, 60));
    for (int y = box.top() + 190; y < box.bottom() - 14; y += 14) p.drawLine(box.left() + 20, y, box.right() - 20, y);
    p.restore();
}

QPixmap WizardHeaderPicture()
{
    QPixmap pm(48, 48);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    emblem(p, QRectF(0, 0, 48, 48));
    p.end();
    return pm;
}

}  // namespace tavil
