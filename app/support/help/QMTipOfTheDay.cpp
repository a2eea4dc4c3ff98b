// The tip of the day.
#include "app/support/help/QMTipOfTheDay.h"

#include "app/shell/messages/QMMessage.h"
#include "app/support/QMApplication.h"
#include "app/support/QMDialogKeys.h"
#include "app/support/QMTools.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QVBoxLayout>

namespace tavil {

namespace {

// A light bulb for the tip window's strip.
QPixmap bulbPicture()
{
    const qreal ratio = 2.0;
    QPixmap pm(QSize(48, 48) * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(QPointF(24, 18), 16);
    glow.setColorAt(0, QColor(255, 252, 200));
    glow.setColorAt(1, QColor(250, 205, 40));
    QPainterPath glass;
    glass.addEllipse(QRectF(12, 4, 24, 24));
    QPainterPath neck;
    neck.moveTo(17, 24);
    neck.cubicTo(18, 29, 19, 30, 19, 33);
    neck.lineTo(29, 33);
    neck.cubicTo(29, 30, 30, 29, 31, 24);
    neck.closeSubpath();
    p.setPen(QPen(QColor(120, 90, 0), 1.2));
    p.setBrush(glow);
    p.drawPath(glass.united(neck));
    p.setPen(QPen(QColor(150, 110, 0), 1));
    p.drawLine(QPointF(21, 24), QPointF(22.5, 32));
    p.drawLine(QPointF(27, 24), QPointF(25.5, 32));
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(QColor(170, 170, 170));
    for (int i = 0; i < 3; ++i) p.drawRoundedRect(QRectF(19, 33 + i * 3, 10, 3), 1, 1);
    p.setBrush(QColor(90, 90, 90));
    p.drawEllipse(QRectF(22, 41.5, 4, 2.5));
    return pm;
}

}  // namespace

TTipOfTheDayForm::TTipOfTheDayForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TTipOfTheDayForm"));
    setWindowTitle(QStringLiteral("Tip Of The Day..."));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    if (!QMApp().DialogFont.isEmpty()) {
        QFont f = font();
        f.setFamily(QMApp().DialogFont);
        setFont(f);
    }
    const QColor workspace = palette().color(QPalette::Dark);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("pTip"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);

    auto* strip = new QLabel(panel);
    strip->setObjectName(QStringLiteral("imgTip"));
    strip->setFixedWidth(72);
    strip->setAutoFillBackground(true);
    QPalette sp = strip->palette();
    sp.setColor(QPalette::Window, workspace);
    strip->setPalette(sp);
    strip->setPixmap(bulbPicture());
    strip->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    strip->setContentsMargins(0, 14, 0, 0);

    auto* area = new QWidget(panel);
    area->setAutoFillBackground(true);
    QPalette ap = area->palette();
    ap.setColor(QPalette::Window, Qt::white);
    ap.setColor(QPalette::WindowText, Qt::black);
    area->setPalette(ap);

    lblHeading = new QLabel(QStringLiteral("Did you know..."), area);
    lblHeading->setObjectName(QStringLiteral("lblHeading"));
    QFont heading = font();
    heading.setFamily(QMApp().DialogFont.isEmpty() ? heading.family() : QMApp().DialogFont);
    heading.setPointSize(14);
    heading.setBold(true);
    lblHeading->setFont(heading);
    auto* rule = new QFrame(area);
    rule->setFixedHeight(2);
    rule->setAutoFillBackground(true);
    QPalette rp = rule->palette();
    rp.setColor(QPalette::Window, workspace);
    rule->setPalette(rp);
    lblTip = new QLabel(area);
    lblTip->setObjectName(QStringLiteral("lblTip"));
    lblTip->setWordWrap(true);
    lblTip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblTip->setTextFormat(Qt::PlainText);

    auto* areaLayout = new QVBoxLayout(area);
    areaLayout->setContentsMargins(14, 12, 14, 12);
    areaLayout->setSpacing(8);
    areaLayout->addWidget(lblHeading);
    areaLayout->addWidget(rule);
    areaLayout->addWidget(lblTip, 1);

    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(1, 1, 1, 1);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(strip);
    panelLayout->addWidget(area, 1);

    chkShowTips = new QCheckBox(QStringLiteral("&Show tips at startup"), this);
    chkShowTips->setObjectName(QStringLiteral("chkShowTips"));
    cmdNext = new QPushButton(QStringLiteral("&Next Tip"), this);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);
    cmdNext->setAutoDefault(false);
    for (QPushButton* b : {cmdNext, cmdClose}) b->setMinimumWidth(75);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(chkShowTips);
    bottom->addStretch();
    bottom->addWidget(cmdNext);
    bottom->addWidget(cmdClose);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(8, 8, 8, 8);
    main->addWidget(panel, 1);
    main->addLayout(bottom);

    connect(cmdNext, &QPushButton::clicked, this, &TTipOfTheDayForm::NextTip);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);

    // F1 shows the contents of the help.
    TQMDialogKeys::Install(this, 0);
    setFixedSize(441, 249);
}

void TTipOfTheDayForm::SetTips(const QStringList& tips)
{
    tips_ = tips;
    current_ = tips_.isEmpty() ? -1 : 0;
    lblTip->setText(tips_.value(current_));
}

void TTipOfTheDayForm::NextTip()
{
    if (tips_.isEmpty()) return;
    current_ = (current_ + 1) % int(tips_.size());
    lblTip->setText(tips_[current_]);
}

QString TTipOfTheDayForm::CurrentTip() const { return lblTip->text(); }

std::optional<QStringList> ReadTipLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        QStringDecoder ansi("windows-1252");
        text = ansi.isValid() ? ansi.decode(bytes) : QString::fromLatin1(bytes);
    }
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    if (text.isEmpty()) return QStringList();
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) lines.removeLast();
    return lines;
}

QString NoTipsMessage(const QString& tipFile)
{
    return QStringLiteral("No tips are available: the tip file '%1' was not found. Reinstalling the program brings it back.")
        .arg(tipFile);
}

bool ShowTipOfTheDayFrom(const QString& tipFile, bool showTips, bool forced, QWidget* owner)
{
    if (!showTips && !forced) return showTips;
    if (tipFile.isEmpty() || !FileExistsSafe(tipFile)) {
        if (forced) QMAppMessage(NoTipsMessage(tipFile), qmtWarning, 1, qmbOK);
        return false;
    }
    TTipOfTheDayForm form(owner);
    form.chkShowTips->setChecked(showTips);
    form.SetTips({});
    if (std::optional<QStringList> lines = ReadTipLines(tipFile)) {
        if (lines->isEmpty()) return form.chkShowTips->isChecked();
        ShuffleLines(*lines);
        form.SetTips(*lines);
    }
    form.exec();
    return form.chkShowTips->isChecked();
}

bool ShowTipOfTheDay(bool showTips, bool forced, QWidget* owner)
{
    return ShowTipOfTheDayFrom(QMApp().TipFile, showTips, forced, owner);
}

}  // namespace tavil
