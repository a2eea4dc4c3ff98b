// A numeric field with up and down buttons that takes any digits and sign characters as typed
// input and brings the text into its range when it loses the focus.
#pragma once

#include <QSpinBox>

namespace tavil {

class TSpinField : public QSpinBox {
    Q_OBJECT
public:
    TSpinField(int minimum, int maximum, QWidget* parent = nullptr);

    // The rule for a typed text: empty or not a number gives the minimum, a number outside the
    // range its nearest bound, any other number itself.
    static int Corrected(const QString& text, int minimum, int maximum);

    QLineEdit* Edit() const { return lineEdit(); }

    // Applies the rule to the current text and shows the result.
    void ApplyRule();

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    void focusOutEvent(QFocusEvent* event) override;
};

}  // namespace tavil
