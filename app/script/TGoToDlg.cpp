// The Go To dialog.
#include "app/script/TGoToDlg.h"

#include "app/support/QMDialogKeys.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QVBoxLayout>

namespace tavil {

TGoToSpinBox::TGoToSpinBox(QWidget* parent) : QSpinBox(parent)
{
    setRange(1, kMaximum);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setKeyboardTracking(false);
}

int TGoToSpinBox::Corrected(const QString& text)
{
    const QString t = text.trimmed();
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]+$"));
    if (!number.match(t).hasMatch()) return 1;
    if (t.startsWith(u'-')) return 1;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    // Too many digits for a number type is still a number above the range.
    if (!ok || v > kMaximum) return kMaximum;
    return v < 1 ? 1 : static_cast<int>(v);
}

void TGoToSpinBox::ApplyRule()
{
    const int v = Corrected(lineEdit()->text());
    setValue(v);
    lineEdit()->setText(textFromValue(v));
}

QValidator::State TGoToSpinBox::validate(QString& input, int& /*pos*/) const
{
    for (const QChar c : input)
        if (!c.isDigit() && c != u'-' && c != u'+' && c != u' ') return QValidator::Invalid;
    bool ok = false;
    const qlonglong v = input.trimmed().toLongLong(&ok);
    return ok && v >= 1 && v <= kMaximum ? QValidator::Acceptable : QValidator::Intermediate;
}

void TGoToSpinBox::fixup(QString& input) const { input = textFromValue(Corrected(input)); }

void TGoToSpinBox::focusOutEvent(QFocusEvent* event)
{
    ApplyRule();
    QSpinBox::focusOutEvent(event);
}

TGoToDlg::TGoToDlg(int line, int column, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TGoToDlg"));
    setWindowTitle(QStringLiteral("Go To..."));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("imgGoTo"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_ArrowForward, nullptr, this).pixmap(32, 32));
    auto* text = new QLabel(
        QStringLiteral("Please select the line number and column number you wish to go to:"), this);
    text->setWordWrap(true);

    txtLine = new TGoToSpinBox(this);
    txtLine->setObjectName(QStringLiteral("txtLine"));
    txtColumn = new TGoToSpinBox(this);
    txtColumn->setObjectName(QStringLiteral("txtColumn"));
    txtLine->setValue(TGoToSpinBox::Corrected(QString::number(qlonglong(line) + 1)));
    txtColumn->setValue(TGoToSpinBox::Corrected(QString::number(qlonglong(column) + 1)));
    auto* lineLabel = new QLabel(QStringLiteral("&Line:"), this);
    lineLabel->setBuddy(txtLine);
    auto* columnLabel = new QLabel(QStringLiteral("Col&umn:"), this);
    columnLabel->setBuddy(txtColumn);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOK, &QPushButton::clicked, this, &TGoToDlg::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* head = new QHBoxLayout;
    head->addWidget(icon, 0, Qt::AlignTop);
    head->addWidget(text, 1);
    auto* fields = new QGridLayout;
    fields->addWidget(lineLabel, 0, 0);
    fields->addWidget(txtLine, 0, 1);
    fields->addWidget(columnLabel, 1, 0);
    fields->addWidget(txtColumn, 1, 1);
    fields->setColumnStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* v = new QVBoxLayout(this);
    v->addLayout(head);
    v->addLayout(fields);
    v->addLayout(buttons);

    TQMDialogKeys::Install(this, kHelpContext);
    txtLine->setFocus();
    txtLine->selectAll();
    setFixedSize(QSize(300, 0).expandedTo(sizeHint()));
}

void TGoToDlg::accept()
{
    // Enter may press OK while a box still holds an empty or out-of-range text.
    txtLine->ApplyRule();
    txtColumn->ApplyRule();
    QDialog::accept();
}

}  // namespace tavil
