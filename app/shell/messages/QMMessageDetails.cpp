// The error box with its expandable details.
#include "app/shell/messages/QMMessageDetails.h"

#include "app/support/QMApplication.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <stdexcept>

namespace tavil {

namespace {
constexpr int kWidth = 410;
}

QString NormalizeMessageText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n') {
            out.append(c);
            continue;
        }
        // One line break: CR LF, LF CR (the order the program's own detail lists use), or a
        // lone LF or CR.
        if (i + 1 < n) {
            const QChar next = text.at(i + 1);
            if ((c == u'\r' && next == u'\n') || (c == u'\n' && next == u'\r')) ++i;
        }
        if (i + 1 < n) out.append(u'\n');
    }
    return out;
}

TQMMessageDetails::TQMMessageDetails(const QString& message, const QString& details,
                                     const QString& caption, bool showDetails,
                                     const QString& fontName, std::uint8_t languageId,
                                     std::uint8_t messageType, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TQMMessageDetails"));
    if (!fontName.isEmpty() && QFontDatabase::families().contains(fontName, Qt::CaseInsensitive)) {
        QFont f = font();
        f.setFamily(fontName);
        setFont(f);
    }

    QString okText;
    if (languageId == 1) {
        okText = QStringLiteral("&OK");
        more_ = QStringLiteral("&Details >>");
        less_ = QStringLiteral("&Details <<");
    } else if (languageId == 0) {
        okText = QStringLiteral("&OK");
        more_ = QStringLiteral("&Detalhes >>");
        less_ = QStringLiteral("&Detalhes <<");
    } else {
        throw std::invalid_argument("Invalid language id. in call to QMMessageDetails.");
    }

    setWindowTitle(caption.isEmpty() ? QMApp().FullName : caption);

    icon_ = new QLabel(this);
    icon_->setGeometry(8, 8, 32, 32);

    message_ = new QLabel(NormalizeMessageText(message), this);
    message_->setObjectName(QStringLiteral("lblMessage"));
    message_->setTextFormat(Qt::PlainText);
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message_->setGeometry(48, 8, 257, 65);

    ok_ = new QPushButton(okText, this);
    ok_->setObjectName(QStringLiteral("cmdOK"));
    ok_->setGeometry(kWidth - 8 - 75, 8, 75, 25);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    toggle_ = new QPushButton(more_, this);
    toggle_->setObjectName(QStringLiteral("cmdDetails"));
    toggle_->setGeometry(kWidth - 8 - 75, 40, 75, 25);
    toggle_->setAutoDefault(false);
    connect(toggle_, &QPushButton::clicked, this, &TQMMessageDetails::ToggleDetails);

    const int collapsedClient = kCollapsedHeight - kTitleAllowance;
    const int expandedClient = kExpandedHeight - kTitleAllowance;
    details_ = new QPlainTextEdit(this);
    details_->setObjectName(QStringLiteral("txtDetails"));
    details_->setReadOnly(true);
    details_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    details_->setPlainText(NormalizeMessageText(details));
    details_->setGeometry(8, collapsedClient + 4, kWidth - 16, expandedClient - collapsedClient - 12);
    details_->hide();

    QStyle::StandardPixmap pixmap;
    switch (messageType) {
    case qmdCritical: pixmap = QStyle::SP_MessageBoxCritical; break;
    case qmdWarning: pixmap = QStyle::SP_MessageBoxWarning; break;
    case qmdInformation: pixmap = QStyle::SP_MessageBoxInformation; break;
    default: throw std::invalid_argument("Invalid message type in call to QMMessageDetails.");
    }
    icon_->setPixmap(style()->standardIcon(pixmap, nullptr, this).pixmap(32, 32));

    toggle_->setVisible(!details.isEmpty());
    setExpanded(false);
    if (showDetails && !details.isEmpty()) setExpanded(true);
    ok_->setFocus(Qt::OtherFocusReason);
}

void TQMMessageDetails::ToggleDetails() { setExpanded(!expanded_); }

void TQMMessageDetails::setExpanded(bool expanded)
{
    expanded_ = expanded;
    toggle_->setText(expanded ? less_ : more_);
    details_->setVisible(expanded);
    setFixedSize(kWidth, (expanded ? kExpandedHeight : kCollapsedHeight) - kTitleAllowance);
}

void QMMessageDetails(const QString& message, const QString& details, const QString& caption,
                      bool showDetails, const QString& fontName, std::uint8_t languageId,
                      std::uint8_t messageType)
{
    TQMMessageDetails dlg(message, details, caption, showDetails, fontName, languageId, messageType);
    QApplication::beep();
    dlg.exec();
}

}  // namespace tavil
