// The tip of the day: one line of the tip file at a time, offered at start-up and from the Help
// menu.
#pragma once

#include <QDialog>
#include <QStringList>
#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace tavil {

// The tip window. Tips are shown in the order given; Next Tip goes on with the first after the
// last.
class TTipOfTheDayForm : public QDialog {
    Q_OBJECT
public:
    explicit TTipOfTheDayForm(QWidget* parent = nullptr);

    void SetTips(const QStringList& tips);
    void NextTip();
    QString CurrentTip() const;

    QCheckBox* chkShowTips = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* lblHeading = nullptr;
    QLabel* lblTip = nullptr;

private:
    QStringList tips_;
    int current_ = -1;
};

// The lines of a tip file: a carriage return, a line feed or both end a line, and a break at
// the end starts no further line; empty lines count. UTF-8, or Windows-1252 for a file that is
// not valid UTF-8. Nothing when the file cannot be read.
std::optional<QStringList> ReadTipLines(const QString& path);

// The text shown from the Help menu when there is no tip file.
QString NoTipsMessage(const QString& tipFile);

// Offers the tip window over the application record's tip file. Without showTips and forced,
// returns showTips at once. With no tip file, says so when forced and returns false. With a tip
// file that holds no lines, shows nothing and returns showTips. Otherwise shows the shuffled tips
// modally and returns the check box's state when the window closed.
bool ShowTipOfTheDay(bool showTips, bool forced, QWidget* owner = nullptr);
bool ShowTipOfTheDayFrom(const QString& tipFile, bool showTips, bool forced, QWidget* owner = nullptr);

}  // namespace tavil
