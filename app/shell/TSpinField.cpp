// The numeric fields of the Preferences dialog.
#include "app/shell/TSpinField.h"

#include <QLineEdit>
#include <QRegularExpression>

namespace tavil {

TSpinField::TSpinField(int minimum, int maximum, QWidget* parent) : QSpinBox(parent)
{
    setRange(minimum, maximum);
    setSingleStep(1);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setKeyboardTracking(false);
}

int TSpinField::Corrected(const QString& text, int minimum, int maximum)
{
    const QString t = text.trimmed();
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok) {
        // Digits too many for a number type are still a number beyond the range.
        static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]+$"));
        if (digits.match(t).hasMatch()) return t.startsWith(u'-') ? minimum : maximum;
        return minimum;
    }
    if (v > maximum) return maximum;
    if (v < minimum) return minimum;
    return static_cast<int>(v);
}

void TSpinField::ApplyRule()
{
    const int v = Corrected(lineEdit()->text(), minimum(), maximum());
    setValue(v);
    lineEdit()->setText(textFromValue(v));
}

QValidator::State TSpinField::validate(QString& input, int& /*pos*/) const
{
    for (const QChar c : input)
        if (!c.isDigit() && c != u'-' && c != u'+') return QValidator::Invalid;
    bool ok = false;
    const qlonglong v = input.toLongLong(&ok);
    return ok && v >= minimum() && v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

void TSpinField::fixup(QString& input) const { input = textFromValue(Corrected(input, minimum(), maximum())); }

void TSpinField::focusOutEvent(QFocusEvent* event)
{
    ApplyRule();
    QSpinBox::focusOutEvent(event);
}

}  // namespace tavil
