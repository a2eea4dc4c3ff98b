// The error box: an icon, the message, and a details text behind a "Details >>" button.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tavil {

// Message types (icons) of QMMessageDetails.
enum TQMDetailsType : std::uint8_t { qmdCritical = 0, qmdWarning = 1, qmdInformation = 2 };

// The dialog behind QMMessageDetails; exposed so that tests can inspect and drive it.
// The constructor raises std::invalid_argument for a language id or message type out of range.
class TQMMessageDetails : public QDialog {
    Q_OBJECT
public:
    // Window heights collapsed and expanded, title bar included; the client area is smaller by
    // kTitleAllowance.
    static constexpr int kCollapsedHeight = 102;
    static constexpr int kExpandedHeight = 212;
    static constexpr int kTitleAllowance = 28;

    TQMMessageDetails(const QString& message, const QString& details, const QString& caption,
                      bool showDetails, const QString& fontName, std::uint8_t languageId,
                      std::uint8_t messageType, QWidget* parent = nullptr);

    bool Expanded() const { return expanded_; }
    void ToggleDetails();

    QLabel* MessageLabel() const { return message_; }
    QPlainTextEdit* DetailsBox() const { return details_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* DetailsButton() const { return toggle_; }

private:
    void setExpanded(bool expanded);

    QLabel* icon_ = nullptr;
    QLabel* message_ = nullptr;
    QPlainTextEdit* details_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* toggle_ = nullptr;
    QString more_;
    QString less_;
    bool expanded_ = false;
};

// Shows the message modally (with the system's beep). An empty caption means the application
// title; without details there is no Details button, whatever showDetails says.
void QMMessageDetails(const QString& message, const QString& details, const QString& caption,
                      bool showDetails, const QString& fontName, std::uint8_t languageId,
                      std::uint8_t messageType);

// Line breaks of a message or details text as the dialog shows them: CR LF, LF CR, a lone LF
// and a lone CR each end a line, and a break at the very end of the text is dropped.
QString NormalizeMessageText(const QString& text);

}  // namespace tavil
