// The message box with its five button sets, laid out at fixed places as the program's other
// dialogs are.
#include "app/shell/messages/QMMessage.h"

#include "app/support/QMApplication.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <stdexcept>

namespace tavil {

namespace {

constexpr int kWidth = 410;
constexpr int kIconPanel = 49;
constexpr int kTextTop = 7;
constexpr int kButtonPanel = 40;
constexpr int kMinTextHeight = 83 - kButtonPanel - kTextTop;

struct Captions {
    const char* yes;
    const char* no;
    const char* cancel;
    const char* ok;
    const char* yesToAll;
    const char* noToAll;
    const char* all;
};

const Captions kEnglish{"&Yes", "&No", "&Cancel", "&OK", "Y&es to All", "No &to All", "&All"};
const Captions kPortuguese{"&Sim", "&N\u00e3o", "&Cancelar", "&OK", "S&im a Todos", "N\u00e3o &a Todos", "&Todos"};

struct Place {
    int meaning;
    int left;
};

}  // namespace

TQMMessage::TQMMessage(const QString& text, const QString& caption, std::uint8_t messageType,
                       const QString& fontName, std::uint8_t languageId, int defaultButton,
                       std::uint8_t buttonSet, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TQMMessage"));
    if (!fontName.isEmpty() && QFontDatabase::families().contains(fontName, Qt::CaseInsensitive)) {
        QFont f = font();
        f.setFamily(fontName);
        setFont(f);
    }

    const Captions* captions = nullptr;
    if (languageId == qmlEnglish)
        captions = &kEnglish;
    else if (languageId == qmlPortuguese)
        captions = &kPortuguese;
    else
        throw std::invalid_argument("Invalid language id. in call to QMMessage.");

    setWindowTitle(caption.isEmpty() ? QMApp().FullName : caption);

    icon_ = new QLabel(this);
    icon_->setGeometry(8, 8, 32, 32);
    QStyle::StandardPixmap pixmap;
    switch (messageType) {
    case qmtError: pixmap = QStyle::SP_MessageBoxCritical; break;
    case qmtWarning: pixmap = QStyle::SP_MessageBoxWarning; break;
    case qmtInformation: pixmap = QStyle::SP_MessageBoxInformation; break;
    case qmtQuestion: pixmap = QStyle::SP_MessageBoxQuestion; break;
    default: throw std::invalid_argument("Invalid message type in call to QMMessage.");
    }
    icon_->setPixmap(style()->standardIcon(pixmap, nullptr, this).pixmap(32, 32));

    text_ = new QLabel(text, this);
    text_->setObjectName(QStringLiteral("lblMessage"));
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const int textWidth = kWidth - kIconPanel - 8;
    // The box keeps its width; a message longer than the two lines it was laid out for makes
    // it taller rather than being cut off.
    const int textHeight = std::max(kMinTextHeight, text_->heightForWidth(textWidth));
    text_->setGeometry(kIconPanel, kTextTop, textWidth, textHeight);

    const QString texts[] = {
        QString(),
        QString::fromUtf8(captions->yes),      QString::fromUtf8(captions->yesToAll),
        QString::fromUtf8(captions->no),       QString::fromUtf8(captions->noToAll),
        QString::fromUtf8(captions->cancel),   QString::fromUtf8(captions->all),
    };

    std::vector<Place> places;
    switch (buttonSet) {
    case qmbOK: places = {{qmOK, 168}}; closedResult_ = qmOK; break;
    case qmbYesNo: places = {{qmYes, 120}, {qmNo, 208}}; closedResult_ = qmNo; break;
    case qmbYesNoCancel: places = {{qmYes, 88}, {qmNo, 168}, {qmCancel, 248}}; closedResult_ = qmCancel; break;
    case qmbYesNoCancelAll:
        places = {{qmYes, 48}, {qmNo, 128}, {qmCancel, 208}, {qmAll, 288}};
        closedResult_ = qmCancel;
        break;
    case qmbYesYesToAllNoNoToAllCancel:
        places = {{qmYes, 8}, {qmYesToAll, 88}, {qmNo, 168}, {qmNoToAll, 248}, {qmCancel, 328}};
        closedResult_ = qmCancel;
        break;
    default: throw std::invalid_argument("Invalid button definition in call to QMMessage.");
    }

    const int panelTop = kTextTop + textHeight;
    for (int i = 0; i < 5; ++i) {
        auto* b = new QPushButton(this);
        b->setObjectName(QStringLiteral("cmdButton%1").arg(i + 1));
        b->hide();
        buttons_[i] = b;
        connect(b, &QPushButton::clicked, this, [this, i] { press(i + 1); });
    }
    count_ = static_cast<int>(places.size());
    for (int i = 0; i < count_; ++i) {
        QPushButton* b = buttons_[i];
        meanings_[i] = places[i].meaning;
        b->setText(places[i].meaning == qmOK ? QString::fromUtf8(captions->ok) : texts[places[i].meaning]);
        b->setGeometry(places[i].left, panelTop + 7, 75, 25);
        b->show();
    }

    default_ = (defaultButton < 1 || defaultButton > count_) ? 1 : defaultButton;
    // Tab order runs from the default button round the visible ones.
    for (int k = 0; k + 1 < count_; ++k) {
        QWidget::setTabOrder(buttons_[(default_ - 1 + k) % count_], buttons_[(default_ + k) % count_]);
    }
    buttons_[default_ - 1]->setDefault(true);
    buttons_[default_ - 1]->setFocus(Qt::OtherFocusReason);

    setFixedSize(kWidth, panelTop + kButtonPanel);
}

void TQMMessage::press(int number)
{
    pressed_ = number;
    accept();
}

int TQMMessage::Result() const
{
    if (count_ == 1) return qmOK;
    if (pressed_ == 0) return closedResult_;
    return meanings_[pressed_ - 1];
}

int QMMessage(const QString& text, const QString& caption, std::uint8_t messageType,
              const QString& fontName, std::uint8_t languageId, int defaultButton,
              std::uint8_t buttonSet)
{
    // No parent: the box is centred on the screen, not on a window.
    TQMMessage dlg(text, caption, messageType, fontName, languageId, defaultButton, buttonSet);
    dlg.exec();
    return dlg.Result();
}

int QMAppMessage(const QString& text, std::uint8_t messageType, int defaultButton, std::uint8_t buttonSet)
{
    const TQMApplication& app = QMApp();
    return QMMessage(text, app.FullName, messageType, app.DialogFont,
                     static_cast<std::uint8_t>(app.LanguageId), defaultButton, buttonSet);
}

}  // namespace tavil
