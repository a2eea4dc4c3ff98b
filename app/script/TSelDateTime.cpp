// The Insert Date/Time dialog.
#include "app/script/TSelDateTime.h"

#include "app/script/TTextTransforms.h"
#include "app/support/QMDialogKeys.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavil {

TSelDateTime::TSelDateTime(const QDateTime& shown, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TSelDateTime"));
    setWindowTitle(QStringLiteral("Insert Date/Time..."));
    setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);

    lstFormats = new QListWidget(this);
    lstFormats->setObjectName(QStringLiteral("lstFormats"));
    lstFormats->setSelectionMode(QAbstractItemView::SingleSelection);
    const QLocale locale = QLocale::system();
    for (int i = 0; i < kDateTimeFormatCount; ++i) lstFormats->addItem(FormatDateTimeEntry(shown, i, locale));
    lstFormats->setCurrentRow(0);
    auto* label = new QLabel(QStringLiteral("&Available formats:"), this);
    label->setBuddy(lstFormats);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(lstFormats, &QListWidget::itemSelectionChanged, this, &TSelDateTime::updateButtons);
    connect(lstFormats, &QListWidget::itemDoubleClicked, this, [this] {
        if (cmdOK->isEnabled()) accept();
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* v = new QVBoxLayout(this);
    v->addWidget(label);
    v->addWidget(lstFormats);
    v->addLayout(buttons);

    TQMDialogKeys::Install(this, kHelpContext);
    lstFormats->setFocus();
    updateButtons();
    setFixedSize(QSize(340, 260).expandedTo(sizeHint()));
}

int TSelDateTime::Entry() const
{
    const QList<QListWidgetItem*> selected = lstFormats->selectedItems();
    return selected.isEmpty() ? -1 : lstFormats->row(selected.first());
}

QString TSelDateTime::Text(const QDateTime& when) const
{
    const int entry = Entry();
    return entry < 0 ? QString() : FormatDateTimeEntry(when, entry, QLocale::system());
}

void TSelDateTime::updateButtons() { cmdOK->setEnabled(Entry() >= 0); }

}  // namespace tavil
