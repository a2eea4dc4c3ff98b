// The program's message box: a choice of five button sets with English or Portuguese captions,
// returning the button pressed.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>

class QLabel;
class QPushButton;

namespace tavil {

// Result codes of QMMessage.
enum TQMResult : int { qmOK = 0, qmYes = 1, qmYesToAll = 2, qmNo = 3, qmNoToAll = 4, qmCancel = 5, qmAll = 6 };

// Message types (icons) of QMMessage.
enum TQMMessageType : std::uint8_t { qmtError = 0, qmtWarning = 1, qmtInformation = 2, qmtQuestion = 3 };

// Button sets of QMMessage.
enum TQMButtonSet : std::uint8_t {
    qmbOK = 0,
    qmbYesNo = 1,
    qmbYesNoCancel = 2,
    qmbYesNoCancelAll = 3,
    qmbYesYesToAllNoNoToAllCancel = 4
};

// Language ids of the message dialogs.
enum TQMLanguage : std::uint8_t { qmlPortuguese = 0, qmlEnglish = 1 };

// The dialog behind QMMessage; exposed so that tests can inspect and drive it.
// The constructor raises std::invalid_argument for a language id, message type or button set
// out of range ("Invalid language id. in call to QMMessage." and so on).
class TQMMessage : public QDialog {
    Q_OBJECT
public:
    TQMMessage(const QString& text, const QString& caption, std::uint8_t messageType,
               const QString& fontName, std::uint8_t languageId, int defaultButton,
               std::uint8_t buttonSet, QWidget* parent = nullptr);

    // Buttons 1 to 5 (index 0 to 4); the hidden ones belong to no set.
    QPushButton* Button(int number) const { return buttons_[number - 1]; }
    int ButtonCount() const { return count_; }
    int DefaultButton() const { return default_; }
    QLabel* MessageLabel() const { return text_; }

    // The result code after the dialog has closed: the pressed button's meaning, or the set's
    // result for a dialog closed without a button.
    int Result() const;

private:
    void press(int number);

    std::array<QPushButton*, 5> buttons_{};
    std::array<int, 5> meanings_{};
    QLabel* icon_ = nullptr;
    QLabel* text_ = nullptr;
    int count_ = 0;
    int default_ = 1;
    int closedResult_ = qmOK;
    int pressed_ = 0;
};

// Shows the message modally and returns its result code. An empty caption means the
// application title; a font name that is empty or not installed is ignored.
int QMMessage(const QString& text, const QString& caption, std::uint8_t messageType,
              const QString& fontName, std::uint8_t languageId, int defaultButton,
              std::uint8_t buttonSet);

// QMMessage with the caption, font and language of the application record.
int QMAppMessage(const QString& text, std::uint8_t messageType, int defaultButton, std::uint8_t buttonSet);

}  // namespace tavil
