// The about box.
#include "app/support/help/QMAbout.h"

#include "app/shell/messages/QMErrorHandler.h"
#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"
#include "app/support/QMDialogKeys.h"
#include "app/support/QMRegistry.h"
#include "app/support/QMShell.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

namespace tavil {

namespace {

QColor accent() { return QColor::fromRgba(QMApp().AccentColor); }

// The banner across the top: the family name over a band of script lines and a database.
QPixmap bannerPicture(const QSize& size)
{
    const qreal ratio = 2.0;
    QPixmap pm(size * ratio);
    pm.setDevicePixelRatio(ratio);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF r(QPointF(0, 0), QSizeF(size));
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, accent().darker(150));
    g.setColorAt(1, accent().lighter(130));
    p.fillRect(r, g);
    // Faint lines of a script.
    p.setPen(QPen(QColor(255, 255, 255, 40), 3, Qt::SolidLine, Qt::RoundCap));
    const int widths[] = {120, 80, 150, 60, 110, 90, 140};
    for (int i = 0; i < 7; ++i) {
        const qreal y = 14 + i * 11;
        p.drawLine(QPointF(size.width() - 190, y), QPointF(size.width() - 190 + widths[i], y));
    }
    // A database drum.
    const QRectF drum(size.width() - 78, 18, 46, 58);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.5));
    p.setBrush(QColor(255, 255, 255, 60));
    QPainterPath body;
    body.moveTo(drum.left(), drum.top() + 7);
    body.lineTo(drum.left(), drum.bottom() - 7);
    body.arcTo(QRectF(drum.left(), drum.bottom() - 14, drum.width(), 14), 180, 180);
    body.lineTo(drum.right(), drum.top() + 7);
    p.drawPath(body);
    p.drawEllipse(QRectF(drum.left(), drum.top(), drum.width(), 14));
    for (qreal y : {drum.top() + 24, drum.top() + 40})
        p.drawArc(QRectF(drum.left(), y - 7, drum.width(), 14), 180 * 16, 180 * 16);
    // The family name.
    QFont f = QApplication::font();
    f.setPointSizeF(15);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(18, 18, size.width() - 120, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quillomere"));
    f.setPointSizeF(9);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRectF(18, 48, size.width() - 120, 20), Qt::AlignLeft | Qt::AlignVCenter, QMApp().FamilyName);
    return pm;
}

QPixmap programIcon(int size)
{
    QIcon icon(QMApp().Icon);
    if (icon.isNull() || icon.availableSizes().isEmpty()) icon = QApplication::windowIcon();
    if (icon.isNull()) icon = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    return icon.pixmap(size, size);
}

}  // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent)
{
    const TQMApplication& app = QMApp();
    setObjectName(QStringLiteral("TAboutForm"));
    setWindowTitle(QStringLiteral("About %1...").arg(app.FullName));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    if (!app.DialogFont.isEmpty()) {
        QFont f = font();
        f.setFamily(app.DialogFont);
        setFont(f);
    }
    const QSize client(425, 382);

    imgBanner = new QLabel(this);
    imgBanner->setObjectName(QStringLiteral("imgBanner"));
    imgBanner->setPixmap(bannerPicture(QSize(client.width(), 96)));
    imgBanner->setFixedSize(client.width(), 96);

    // The strip on the left, with the icon on a framed white square.
    auto* strip = new QWidget(this);
    strip->setFixedWidth(72);
    strip->setAutoFillBackground(true);
    QPalette sp = strip->palette();
    sp.setColor(QPalette::Window, accent());
    strip->setPalette(sp);
    imgIcon = new QLabel(strip);
    imgIcon->setObjectName(QStringLiteral("imgIcon"));
    imgIcon->setFixedSize(48, 48);
    imgIcon->setAlignment(Qt::AlignCenter);
    imgIcon->setPixmap(programIcon(32));
    imgIcon->setStyleSheet(QStringLiteral("QLabel { background: white; border: 2px solid %1; }").arg(accent().name()));
    auto* stripLayout = new QVBoxLayout(strip);
    stripLayout->setContentsMargins(12, 14, 12, 12);
    stripLayout->addWidget(imgIcon);
    stripLayout->addStretch();

    lblName = new QLabel(app.FullName, this);
    lblName->setObjectName(QStringLiteral("lblName"));
    QFont bold = font();
    bold.setPointSize(10);
    bold.setBold(true);
    lblName->setFont(bold);
    lblVersion = new QLabel(QStringLiteral("%1 %2").arg(QLatin1String(kProductLabel), app.Version), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblRelease = new QLabel(app.ReleaseLabel, this);
    lblRelease->setObjectName(QStringLiteral("lblRelease"));
    QFont releaseFont = font();
    releaseFont.setBold(true);
    lblRelease->setFont(releaseFont);
    lblRelease->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblCopyright = new QLabel(app.Copyright, this);
    lblCopyright->setObjectName(QStringLiteral("lblCopyright"));
    lblCopyright->setWordWrap(true);
    lblCredits = new QLabel(app.Credits, this);
    lblCredits->setObjectName(QStringLiteral("lblCredits"));
    lblCredits->setWordWrap(true);
    lblCredits->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont small = font();
    small.setPointSizeF(std::max(6.0, font().pointSizeF() - 1));
    lblCredits->setFont(small);
    QPalette cp = lblCredits->palette();
    cp.setColor(QPalette::WindowText, palette().color(QPalette::PlaceholderText));
    lblCredits->setPalette(cp);
    for (QLabel* l : {lblName, lblVersion, lblRelease, lblCopyright, lblCredits})
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdSystemInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSupport = new QPushButton(QStringLiteral("&Tech. Support..."), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdSystemInfo->setObjectName(QStringLiteral("cmdSystemInfo"));
    cmdSupport->setObjectName(QStringLiteral("cmdSupport"));
    cmdOK->setDefault(true);
    for (QPushButton* b : {cmdSystemInfo, cmdSupport}) b->setAutoDefault(false);
    for (QPushButton* b : {cmdOK, cmdSystemInfo, cmdSupport}) b->setMinimumWidth(90);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(lblName);
    nameRow->addStretch();
    nameRow->addWidget(lblRelease);
    auto* text = new QVBoxLayout;
    text->setContentsMargins(14, 14, 14, 8);
    text->setSpacing(6);
    text->addLayout(nameRow);
    text->addWidget(lblVersion);
    text->addSpacing(4);
    text->addWidget(lblCopyright);
    text->addSpacing(4);
    text->addWidget(lblCredits, 1);
    text->addWidget(rule);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(cmdSystemInfo);
    buttonRow->addWidget(cmdSupport);
    buttonRow->addWidget(cmdOK);
    text->addLayout(buttonRow);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(strip);
    body->addLayout(text, 1);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(imgBanner);
    main->addLayout(body, 1);

    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSystemInfo, &QPushButton::clicked, this, [] { RunGuarded([] { RunSystemInformation(); }); });
    connect(cmdSupport, &QPushButton::clicked, this, [this] { RunGuarded([this] { RequestHelp(kSupportContext, this); }); });

    // F1 shows the contents of the help.
    TQMDialogKeys::Install(this, 0);
    setFixedSize(client);
}

void ShowAbout(QWidget* owner)
{
    TAboutForm form(owner);
    form.exec();
}

void RunSystemInformation()
{
    try {
        const QString program = RegReadString(platform::Hive::LocalMachine, QString::fromLatin1(kSystemInfoKey),
                                              QString::fromLatin1(kSystemInfoValue), QString());
        if (program.isEmpty())
            throw std::runtime_error("The Operating System registry contains an empty path definition for System Info.");
        if (ShellOpen(program) <= 32)
            throw std::runtime_error("An error was raised by the Operating System while running System Info.");
    } catch (const std::exception& e) {
        throw EQMException(QStringLiteral("Unable to run System Info at this time."), EQMException::Warning,
                           QString::fromUtf8(e.what()));
    }
}

}  // namespace tavil
