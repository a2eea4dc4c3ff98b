// What the Find and Replace dialogs share: the search text with its history, the options and
// origin groups, the typed-apostrophe filter, and the dialog's storage below AppKey (position,
// histories, check boxes and radio buttons, always kept).
#pragma once

#include <QDialog>
#include <QPoint>
#include <QStringList>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QRadioButton;

namespace tavil {

class TSearchDlg : public QDialog {
    Q_OBJECT
public:
    QString SearchText() const;
    bool MatchCase() const;
    bool WholeWord() const;
    bool FromCursor() const;

    // The history of a combo box, newest first.
    static QStringList History(const QComboBox* box);
    // Moves the box's text to the top of its history (see PushHistory) and shows it.
    static void PushText(QComboBox* box);

    QComboBox* cbFind = nullptr;
    QCheckBox* chkCase = nullptr;
    QCheckBox* chkWholeWord = nullptr;
    QRadioButton* radFromCursor = nullptr;
    QRadioButton* radEntireScope = nullptr;

protected:
    // storageKey: the subkey of AppKey ("FindStorage", "ReplaceStorage").
    TSearchDlg(const QString& storageKey, QWidget* parent);
    ~TSearchDlg() override;

    // Makes an editable history box whose list and text come from the storage subkey `name`.
    QComboBox* makeHistoryBox(const QString& name);
    QGroupBox* makeOptions();
    QGroupBox* makeOrigin();
    // Reads the check boxes, radio buttons and position; call once the controls exist.
    void loadStorage();
    void saveStorage() const;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QString key_;
    QList<QComboBox*> histories_;
    // The position to keep: the stored one, then wherever the dialog was when it last hid.
    std::optional<QPoint> place_;
};

}  // namespace tavil
