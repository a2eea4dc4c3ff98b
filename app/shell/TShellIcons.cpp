// Small flat icons drawn with QPainter on a 16-unit grid and rendered at 16 and 32 pixels.
#include "app/shell/TShellIcons.h"

#include "app/support/QMDrawnImages.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tavil {

namespace {

using Draw = TQMDrawing;

const QColor kInk(64, 64, 64);
const QColor kPaper(255, 255, 255);
const QColor kBlue(58, 110, 165);
const QColor kLightBlue(150, 185, 225);
const QColor kFolder(232, 192, 74);
const QColor kGreen(60, 150, 70);
const QColor kRed(196, 56, 48);
const QColor kGrey(150, 150, 150);

QPen pen(const QColor& c, qreal w = 1.0) { return RoundPen(c, w); }

void page(QPainter& p, qreal x = 3, qreal y = 1.5, qreal w = 10, qreal h = 13) { PaintPage(p, kInk, kPaper, x, y, w, h); }

void lines(QPainter& p, qreal x, qreal y, int n, qreal w)
{
    p.setPen(pen(kGrey));
    for (int i = 0; i < n; ++i) p.drawLine(QPointF(x, y + i * 2), QPointF(x + w, y + i * 2));
}

void folder(QPainter& p)
{
    p.setPen(pen(kInk));
    p.setBrush(kFolder.darker(115));
    p.drawRect(QRectF(1.5, 4.5, 12, 9));
    p.drawRect(QRectF(1.5, 3, 5, 1.5));
    p.setBrush(kFolder);
    QPolygonF front;
    front << QPointF(3.5, 7) << QPointF(15, 7) << QPointF(13.5, 13.5) << QPointF(1.5, 13.5);
    p.drawPolygon(front);
}

void floppy(QPainter& p, const QColor& body = kBlue)
{
    p.setPen(pen(kInk));
    p.setBrush(body);
    p.drawRect(QRectF(2, 2, 12, 12));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 2, 8, 5));
    p.setBrush(kGrey);
    p.drawRect(QRectF(5, 10, 6, 4));
}

void plus(QPainter& p, qreal cx, qreal cy, const QColor& c)
{
    p.setPen(pen(c, 2));
    p.drawLine(QPointF(cx - 3, cy), QPointF(cx + 3, cy));
    p.drawLine(QPointF(cx, cy - 3), QPointF(cx, cy + 3));
}

void minus(QPainter& p, qreal cx, qreal cy, const QColor& c)
{
    p.setPen(pen(c, 2));
    p.drawLine(QPointF(cx - 3, cy), QPointF(cx + 3, cy));
}

void listBox(QPainter& p)
{
    p.setPen(pen(kInk));
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 1.5, 9, 11));
    lines(p, 3, 4, 4, 6);
}

void window(QPainter& p, QRectF r)
{
    p.setPen(pen(kInk));
    p.setBrush(kPaper);
    p.drawRect(r);
    p.setBrush(kBlue);
    p.drawRect(QRectF(r.x(), r.y(), r.width(), 2.5));
}

void cylinder(QPainter& p, QRectF r, const QColor& c)
{
    p.setPen(pen(kInk));
    p.setBrush(c);
    const qreal e = 3;
    QPainterPath body;
    body.moveTo(r.left(), r.top() + e / 2);
    body.lineTo(r.left(), r.bottom() - e / 2);
    body.arcTo(QRectF(r.left(), r.bottom() - e, r.width(), e), 180, 180);
    body.lineTo(r.right(), r.top() + e / 2);
    p.drawPath(body);
    p.setBrush(c.lighter(130));
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), e));
}

void magnifier(QPainter& p, qreal x, qreal y)
{
    p.setPen(pen(kInk, 1.2));
    p.setBrush(QColor(210, 230, 250));
    p.drawEllipse(QRectF(x, y, 7, 7));
    p.setPen(pen(kInk, 2.2));
    p.drawLine(QPointF(x + 6.2, y + 6.2), QPointF(x + 9.5, y + 9.5));
}

const QHash<QString, Draw>& drawings()
{
    static const QHash<QString, Draw> table = {
        {"actFileNew", [](QPainter& p) {
             page(p);
             p.setPen(pen(kFolder.darker(130), 1.2));
             p.drawLine(QPointF(11, 9), QPointF(15, 13));
             p.drawLine(QPointF(13, 8), QPointF(13, 10));
             p.drawLine(QPointF(12, 9), QPointF(14, 9));
         }},
        {"actFileNewSimple", [](QPainter& p) { page(p); }},
        {"actFileOpen", [](QPainter& p) { folder(p); }},
        {"actFileSave", [](QPainter& p) { floppy(p); }},
        {"actEditUndo", [](QPainter& p) {
             p.setPen(pen(kBlue, 2));
             p.setBrush(Qt::NoBrush);
             QPainterPath arc;
             arc.moveTo(4, 7);
             arc.cubicTo(7, 3, 14, 4, 13, 10);
             p.drawPath(arc);
             p.setBrush(kBlue);
             p.setPen(pen(kBlue, 1));
             QPolygonF head;
             head << QPointF(1.5, 7.5) << QPointF(6.5, 3.5) << QPointF(6.5, 10);
             p.drawPolygon(head);
         }},
        {"actEditCut", [](QPainter& p) {
             p.setPen(pen(kInk, 1.2));
             p.drawLine(QPointF(5, 2), QPointF(10, 10));
             p.drawLine(QPointF(11, 2), QPointF(6, 10));
             p.setBrush(Qt::NoBrush);
             p.setPen(pen(kRed, 1.5));
             p.drawEllipse(QRectF(2.5, 10, 4, 4));
             p.drawEllipse(QRectF(9.5, 10, 4, 4));
         }},
        {"actEditCopy", [](QPainter& p) {
             page(p, 1.5, 1.5, 8, 10);
             page(p, 6.5, 4.5, 8, 10);
             lines(p, 8.5, 9, 3, 4);
         }},
        {"actEditPaste", [](QPainter& p) {
             p.setPen(pen(kInk));
             p.setBrush(QColor(190, 140, 80));
             p.drawRect(QRectF(2, 2.5, 10, 12));
             p.setBrush(kGrey);
             p.drawRect(QRectF(5, 1.5, 4, 2.5));
             page(p, 7, 6.5, 7.5, 8);
         }},
        {"actEditDelete", [](QPainter& p) {
             p.setPen(pen(kRed, 2.2));
             p.drawLine(QPointF(4, 4), QPointF(12, 12));
             p.drawLine(QPointF(12, 4), QPointF(4, 12));
         }},
        {"actEditFind", [](QPainter& p) { magnifier(p, 2, 2); }},
        {"actViewTree", [](QPainter& p) {
             p.setPen(pen(kInk));
             p.drawLine(QPointF(4, 4), QPointF(4, 13));
             p.drawLine(QPointF(4, 8.5), QPointF(8, 8.5));
             p.drawLine(QPointF(4, 13), QPointF(8, 13));
             p.setBrush(kBlue);
             p.drawRect(QRectF(1.5, 1.5, 5, 3.5));
             p.setBrush(kLightBlue);
             p.drawRect(QRectF(8, 7, 6, 3));
             p.drawRect(QRectF(8, 11.5, 6, 3));
         }},
        {"actWindowCascade", [](QPainter& p) {
             window(p, QRectF(1.5, 1.5, 9, 7));
             window(p, QRectF(5.5, 6.5, 9, 7));
         }},
        {"actWindowTileHor", [](QPainter& p) {
             window(p, QRectF(1.5, 1.5, 13, 6));
             window(p, QRectF(1.5, 8.5, 13, 6));
         }},
        {"actWindowTileVer", [](QPainter& p) {
             window(p, QRectF(1.5, 1.5, 6, 13));
             window(p, QRectF(8.5, 1.5, 6, 13));
         }},
        {"actWindowArrange", [](QPainter& p) {
             p.setPen(pen(kInk));
             p.setBrush(kBlue);
             for (int i = 0; i < 3; ++i) p.drawRect(QRectF(1.5 + i * 4.7, 11.5, 3.8, 3));
         }},
        {"actHelpContents", [](QPainter& p) {
             p.setPen(pen(kBlue.darker(120)));
             p.setBrush(kBlue);
             p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
             QFont f;
             f.setPixelSize(11);
             f.setBold(true);
             p.setFont(f);
             p.setPen(kPaper);
             p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
         }},
        {"actScriptAdd", [](QPainter& p) {
             listBox(p);
             plus(p, 12, 12, kGreen);
         }},
        {"actScriptAddAll", [](QPainter& p) {
             listBox(p);
             plus(p, 12, 8, kGreen);
             plus(p, 12, 13, kGreen);
         }},
        {"actScriptRemove", [](QPainter& p) {
             listBox(p);
             minus(p, 12, 12, kRed);
         }},
        {"actScriptRemoveAll", [](QPainter& p) {
             listBox(p);
             minus(p, 12, 9, kRed);
             minus(p, 12, 13, kRed);
         }},
        {"actScriptGenerate", [](QPainter& p) {
             page(p, 1.5, 1.5, 9, 12);
             lines(p, 3, 5, 4, 5);
             p.setPen(pen(kGreen.darker(120)));
             p.setBrush(kGreen);
             QPolygonF play;
             play << QPointF(8.5, 7) << QPointF(15, 11) << QPointF(8.5, 15);
             p.drawPolygon(play);
         }},
        {"actScriptVerify", [](QPainter& p) {
             page(p, 1.5, 1.5, 9, 12);
             lines(p, 3, 5, 4, 5);
             p.setPen(pen(kGreen, 2.2));
             p.drawLine(QPointF(8, 11), QPointF(10.5, 13.5));
             p.drawLine(QPointF(10.5, 13.5), QPointF(15, 7));
         }},
        {"actScriptOpen", [](QPainter& p) {
             folder(p);
             p.setPen(pen(kBlue.darker(130)));
             QFont f;
             f.setPixelSize(6);
             f.setBold(true);
             p.setFont(f);
             p.drawText(QRectF(3, 7.5, 11, 6), Qt::AlignCenter, QStringLiteral("SQL"));
         }},
        {"actScriptSave", [](QPainter& p) { floppy(p, kGreen); }},
        {"actToolsEnterpriseManager", [](QPainter& p) {
             window(p, QRectF(1.5, 1.5, 13, 13));
             cylinder(p, QRectF(5, 5.5, 6, 8), kFolder);
         }},
        {"actToolsQueryAnalyzer", [](QPainter& p) {
             cylinder(p, QRectF(1.5, 2.5, 8, 11), kLightBlue);
             magnifier(p, 6, 5);
         }},
        {"actToolsProfiler", [](QPainter& p) {
             p.setPen(pen(kInk));
             p.setBrush(kPaper);
             p.drawRect(QRectF(1.5, 1.5, 13, 13));
             p.setPen(pen(kRed, 1.5));
             QPolygonF trace;
             trace << QPointF(3, 11) << QPointF(5.5, 6) << QPointF(8, 10) << QPointF(10.5, 4) << QPointF(13, 8);
             p.drawPolyline(trace);
         }},
        {"actToolsImportExport", [](QPainter& p) {
             cylinder(p, QRectF(1, 3, 5, 10), kLightBlue);
             cylinder(p, QRectF(10, 3, 5, 10), kFolder);
             p.setPen(pen(kGreen, 1.5));
             p.drawLine(QPointF(6.5, 6), QPointF(9.5, 6));
             p.drawLine(QPointF(8.5, 4.5), QPointF(9.5, 6));
             p.drawLine(QPointF(8.5, 7.5), QPointF(9.5, 6));
             p.drawLine(QPointF(9.5, 10), QPointF(6.5, 10));
             p.drawLine(QPointF(7.5, 8.5), QPointF(6.5, 10));
             p.drawLine(QPointF(7.5, 11.5), QPointF(6.5, 10));
         }},
        {"actToolsClientNetwork", [](QPainter& p) {
             p.setPen(pen(kInk));
             p.drawLine(QPointF(8, 5), QPointF(8, 10));
             p.drawLine(QPointF(3, 10), QPointF(13, 10));
             p.drawLine(QPointF(3, 10), QPointF(3, 12));
             p.drawLine(QPointF(13, 10), QPointF(13, 12));
             p.setBrush(kBlue);
             p.drawRect(QRectF(5, 1.5, 6, 4));
             p.setBrush(kLightBlue);
             p.drawRect(QRectF(1, 12, 4, 3));
             p.drawRect(QRectF(11, 12, 4, 3));
         }},
        {"actToolsExternalConfigure", [](QPainter& p) {
             p.setPen(pen(kInk, 1.2));
             p.setBrush(kGrey);
             QPainterPath wrench;
             wrench.addEllipse(QRectF(8, 1.5, 6.5, 6.5));
             p.drawPath(wrench);
             p.setBrush(kPaper);
             p.drawEllipse(QRectF(10, 3.5, 2.5, 2.5));
             p.setPen(pen(kInk, 2.6));
             p.drawLine(QPointF(9, 7), QPointF(2.5, 13.5));
         }},
    };
    return table;
}

}  // namespace

QIcon ProgramIcon()
{
    static const QIcon icon = [] {
        const Draw draw = [](QPainter& p) {
            cylinder(p, QRectF(1, 4.5, 9, 10.5), kFolder);
            page(p, 7, 1, 8, 10);
            p.setPen(pen(kBlue, 1));
            for (int i = 0; i < 3; ++i) p.drawLine(QPointF(8.5, 5 + i * 2), QPointF(13, 5 + i * 2));
        };
        return RenderDrawingIcon(draw, {16, 32, 48, 64});
    }();
    return icon;
}

QIcon ShellIcon(const QString& actionName)
{
    static QHash<QString, QIcon> cache;
    if (auto it = cache.constFind(actionName); it != cache.constEnd()) return *it;
    QIcon icon;
    const auto& table = drawings();
    if (auto it = table.constFind(actionName); it != table.constEnd()) {
        icon = RenderDrawingIcon(*it, {16, 32});
        // Disabled buttons get Qt's greyed rendering of the 16-pixel image.
    }
    cache.insert(actionName, icon);
    return icon;
}

}  // namespace tavil
