// The Insert Date/Time dialog: the current moment in eight formats of the system's locale.
#pragma once

#include <QDateTime>
#include <QDialog>

class QListWidget;
class QPushButton;

namespace tavil {

class TSelDateTime : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 608;

    // The list shows `shown` in every format; entry 0 is selected.
    explicit TSelDateTime(const QDateTime& shown = QDateTime::currentDateTime(), QWidget* parent = nullptr);

    // The chosen entry, -1 when none.
    int Entry() const;
    // The moment `when` in the chosen entry's format (empty when none is chosen).
    QString Text(const QDateTime& when) const;

    QListWidget* lstFormats = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

private:
    void updateButtons();
};

}  // namespace tavil
