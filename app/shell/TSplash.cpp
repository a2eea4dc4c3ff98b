// The splash picture and window.
#include "app/shell/TSplash.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>

namespace tavil {

namespace {

void cylinder(QPainter& p, const QRectF& r, const QColor& body)
{
    const qreal e = r.width() * 0.28;
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, body.darker(130));
    g.setColorAt(0.45, body.lighter(125));
    g.setColorAt(1, body.darker(150));
    QPainterPath path;
    path.moveTo(r.left(), r.top() + e / 2);
    path.lineTo(r.left(), r.bottom() - e / 2);
    path.arcTo(QRectF(r.left(), r.bottom() - e, r.width(), e), 180, 180);
    path.lineTo(r.right(), r.top() + e / 2);
    path.arcTo(QRectF(r.left(), r.top(), r.width(), e), 0, 180);
    p.setPen(QPen(body.darker(200), 1.2));
    p.setBrush(g);
    p.drawPath(path);
    // Bands between the disks of the stack.
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i < 3; ++i) {
        const qreal y = r.top() + (r.height() - e) * i / 3.0;
        p.drawArc(QRectF(r.left(), y, r.width(), e), 180 * 16, 180 * 16);
    }
    p.setBrush(body.lighter(150));
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), e));
}

}  // namespace

QPixmap SplashPicture()
{
    QPixmap pm(TSplash::kWidth, TSplash::kHeight);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QColor accent(58, 110, 165);
    // Background: a deep blue band at the top fading into white.
    QLinearGradient sky(0, 0, 0, TSplash::kHeight);
    sky.setColorAt(0, accent.darker(170));
    sky.setColorAt(0.55, accent);
    sky.setColorAt(0.56, QColor(244, 247, 251));
    sky.setColorAt(1, Qt::white);
    p.fillRect(pm.rect(), sky);

    QRadialGradient glow(QPointF(380, 80), 260);
    glow.setColorAt(0, QColor(255, 255, 255, 70));
    glow.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRect(0, 0, TSplash::kWidth, 220), glow);

    // A sheet of script coming out of a database.
    p.save();
    p.translate(292, 40);
    p.rotate(6);
    p.setPen(QPen(QColor(40, 60, 90), 1));
    p.setBrush(QColor(255, 255, 255, 235));
    const QRectF sheet(0, 0, 172, 160);
    p.drawRoundedRect(sheet, 4, 4);
    p.setClipRect(sheet.adjusted(4, 4, -4, -4));
    QFont mono(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPixelSize(9);
    p.setFont(mono);
    const char* const lines[] = {"CREATE TABLE [dbo].[Orders] (", "  [OrderID] int NOT NULL,",
                                 "  [Customer] nvarchar(40)", ")", "GO", "", "INSERT INTO [dbo].[Orders]",
                                 "  VALUES (1, N'Ana')", "GO"};
    int y = 18;
    for (const char* line : lines) {
        const QString text = QString::fromLatin1(line);
        p.setPen(text.startsWith(QLatin1String("CREATE")) || text.startsWith(QLatin1String("INSERT")) ||
                         text == QLatin1String("GO")
                     ? accent
                     : QColor(70, 70, 70));
        p.drawText(QPointF(10, y), text);
        y += 15;
    }
    p.restore();

    cylinder(p, QRectF(222, 126, 62, 84), QColor(232, 192, 74));

    // Title.
    QFont title(QApplication::font());
    title.setPixelSize(46);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(28, 40, 300, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tavilor"));
    QFont family(QApplication::font());
    family.setPixelSize(15);
    p.setFont(family);
    p.setPen(QColor(220, 232, 245));
    p.drawText(QRectF(30, 98, 300, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quillomere SQL Server Tools"));
    QFont motto(QApplication::font());
    motto.setPixelSize(12);
    motto.setItalic(true);
    p.setFont(motto);
    p.setPen(QColor(200, 215, 235));
    p.drawText(QRectF(30, 124, 190, 60), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Script your SQL Server databases: schema, data and permissions."));
    return pm;
}

TSplash::TSplash(QPixmap picture, QString versionLine, QString copyright, QString releaseLabel)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(std::move(picture)),
      version_(std::move(versionLine)),
      copyright_(std::move(copyright)),
      release_(std::move(releaseLabel))
{
    setObjectName(QStringLiteral("TSplash"));
    setFixedSize(kWidth, kHeight);
    // Closing the splash window must not end the program before its main window exists.
    setAttribute(Qt::WA_QuitOnClose, false);
}

void TSplash::ShowAndPaint()
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - QPoint(kWidth / 2, kHeight / 2));
    show();
    raise();
    // There is no event loop yet: the window is mapped and painted here, once.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TSplash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!picture_.isNull()) p.drawPixmap(0, 0, picture_);
    else p.fillRect(rect(), Qt::white);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont f = font();
    f.setPixelSize(12);
    p.setFont(f);
    const int left = 30;
    p.setPen(QColor(40, 40, 40));
    p.drawText(QRect(left, 300, kWidth - 2 * left, 18), Qt::AlignLeft | Qt::AlignVCenter, version_);
    p.setPen(QColor(128, 128, 128));
    p.drawText(QRect(left, 320, kWidth - 2 * left, 18), Qt::AlignLeft | Qt::AlignVCenter, copyright_);
    QFont bold = f;
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(QColor(58, 110, 165));
    p.drawText(QRect(left, 340, kWidth - 2 * left, 18), Qt::AlignLeft | Qt::AlignVCenter, release_);
    p.setPen(QColor(58, 110, 165));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace tavil
