// The Go To dialog: line and column, both shown from 1, each brought into 1..9999999 when its
// box loses the focus and again on OK.
#pragma once

#include <QDialog>
#include <QSpinBox>

class QPushButton;

namespace tavil {

// A spin box that lets any digits and signs be typed and corrects the text by the Go To rule.
class TGoToSpinBox : public QSpinBox {
    Q_OBJECT
public:
    static constexpr int kMaximum = 9999999;
    explicit TGoToSpinBox(QWidget* parent = nullptr);

    // Empty or unreadable: 1; above the maximum: the maximum; below 1: 1.
    static int Corrected(const QString& text);
    void ApplyRule();

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void focusOutEvent(QFocusEvent* event) override;
};

class TGoToDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 604;

    // line and column count from 0.
    TGoToDlg(int line, int column, QWidget* parent = nullptr);

    // The chosen position, from 0, after OK.
    int Line() const { return txtLine->value() - 1; }
    int Column() const { return txtColumn->value() - 1; }

    TGoToSpinBox* txtLine = nullptr;
    TGoToSpinBox* txtColumn = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    void accept() override;
};

}  // namespace tavil
