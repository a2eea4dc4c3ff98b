// The add-objects dialog and the row mover it shares with the wizard.
#include "app/editing/TAddObjectDlg.h"

#include "app/editing/TEditingCatalogue.h"
#include "app/editing/TObjectList.h"
#include "app/shell/iface/TShellHooks.h"
#include "app/support/QMApplication.h"
#include "app/support/QMDialogKeys.h"
#include "app/support/QMTools.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavil {

namespace {

struct KindTexts {
    const char* caption;
    const char* description;
    const char* left;
    const char* right;
};

const KindTexts kTexts[7] = {
    {"Add Tables...", "Please select the tables you want to add.", "Available &Tables:", "Tables a&dded:"},
    {"Add Views...", "Please select the views you want to add.", "Available &Views:", "Views a&dded:"},
    {"Add Stored Procedures...", "Please select the stored procedures you want to add.",
     "Available &Stored Procedures:", "Stored Procedures a&dded:"},
    {"Add Defaults...", "Please select the defaults you want to add.", "Available Defa&ults:", "Defaults a&dded:"},
    {"Add Rules...", "Please select the rules you want to add.", "Available R&ules:", "Rules a&dded:"},
    {"Add User Defined Datatypes...", "Please select the user defined datatypes you want to add.",
     "Available &User Defined Datatypes:", "User Defined Datatypes a&dded:"},
    {"Add User Defined Functions...", "Please select the user defined functions you want to add.",
     "Available &User Defined Functions:", "User Defined Functions a&dded:"},
};

// Holds a list's painting back until the end of a batch of changes.
class TUpdateBatch {
public:
    explicit TUpdateBatch(QWidget* w) : w_(w), was_(w->updatesEnabled()) { w_->setUpdatesEnabled(false); }
    ~TUpdateBatch() { w_->setUpdatesEnabled(was_); }
    TUpdateBatch(const TUpdateBatch&) = delete;
    TUpdateBatch& operator=(const TUpdateBatch&) = delete;

private:
    QWidget* w_;
    bool was_;
};

void copyRows(const TObjectList& from, TObjectList& to)
{
    to.clear();
    for (int i = 0; i < from.RowCount(); ++i) {
        const QTreeWidgetItem* row = from.Row(i);
        to.AddObject(TObjectList::Name(row), TObjectList::Owner(row), TObjectList::Kind(row));
    }
    to.SortRows();
}

QWidget* dialogParent(QWidget* parent)
{
    if (parent) return parent->window();
    if (TShellHost* host = ShellHost()) return host->MainWidget();
    return nullptr;
}

}  // namespace

void MoveSelectedRows(TObjectList* source, TObjectList* destination)
{
    THourglass hourglass;
    const QList<QTreeWidgetItem*> selected = source->selectedItems();
    if (selected.isEmpty()) return;
    // selectedItems() follows the order of selecting; the rows move in the list's order.
    QList<QTreeWidgetItem*> rows;
    for (int i = 0; i < source->RowCount(); ++i)
        if (source->Row(i)->isSelected()) rows.append(source->Row(i));
    QTreeWidgetItem* last = nullptr;
    {
        TUpdateBatch sourceBatch(source);
        TUpdateBatch destinationBatch(destination);
        for (QTreeWidgetItem* row : rows) {
            last = destination->AddObject(TObjectList::Name(row), TObjectList::Owner(row), TObjectList::Kind(row));
            delete row;
        }
        destination->SortRows();
    }
    if (last) destination->scrollToItem(last);
}

TAddObjectDlg::TAddObjectDlg(int kind, QWidget* parent)
    : QDialog(dialogParent(parent), Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      kind_(kind < 0 || kind > 6 ? 0 : kind)
{
    setObjectName(QStringLiteral("TAddObjectDlg"));
    const KindTexts& t = kTexts[kind_];
    setWindowTitle(QString::fromLatin1(t.caption));
    if (!QMApp().DialogFont.isEmpty()) {
        QFont f(QMApp().DialogFont);
        f.setPointSize(8);
        setFont(f);
    }

    lblDescription_ = new QLabel(QString::fromLatin1(t.description), this);
    lblDescription_->setObjectName(QStringLiteral("lblDescription"));
    lvLeft_ = new TObjectList(QStringLiteral("Object"), 95, 45, this);
    lvLeft_->setObjectName(QStringLiteral("lvLeft"));
    lvRight_ = new TObjectList(QStringLiteral("Object"), 95, 50, this);
    lvRight_->setObjectName(QStringLiteral("lvRight"));
    lvLeft_->FitNameColumn();
    lvRight_->FitNameColumn();
    lblLeft_ = new QLabel(QString::fromLatin1(t.left), this);
    lblLeft_->setObjectName(QStringLiteral("lblLeft"));
    lblLeft_->setBuddy(lvLeft_);
    lblRight_ = new QLabel(QString::fromLatin1(t.right), this);
    lblRight_->setObjectName(QStringLiteral("lblRight"));
    lblRight_->setBuddy(lvRight_);

    auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdAdd_ = button(QStringLiteral("&Add >"), "cmdAdd");
    cmdAddAll_ = button(QStringLiteral("Add A&ll >>"), "cmdAddAll");
    cmdRemove_ = button(QStringLiteral("< &Remove"), "cmdRemove");
    cmdRemoveAll_ = button(QStringLiteral("<< R&emove All"), "cmdRemoveAll");
    cmdOK_ = button(QStringLiteral("&OK"), "cmdOK");
    cmdCancel_ = button(QStringLiteral("&Cancel"), "cmdCancel");
    cmdOK_->setDefault(true);

    auto* moves = new QVBoxLayout;
    moves->addStretch(1);
    for (QPushButton* b : {cmdAdd_, cmdAddAll_, cmdRemove_, cmdRemoveAll_}) {
        b->setFixedWidth(100);
        moves->addWidget(b);
    }
    moves->addStretch(1);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    grid->addWidget(lblLeft_, 0, 0);
    grid->addWidget(lblRight_, 0, 2);
    grid->addWidget(lvLeft_, 1, 0);
    grid->addLayout(moves, 1, 1);
    grid->addWidget(lvRight_, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    for (QPushButton* b : {cmdOK_, cmdCancel_}) {
        b->setFixedWidth(80);
        bottom->addWidget(b);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(lblDescription_);
    layout->addLayout(grid, 1);
    layout->addLayout(bottom);

    setFixedSize(kWidth, kHeight);

    connect(cmdAdd_, &QPushButton::clicked, this, &TAddObjectDlg::AddSelected);
    connect(cmdAddAll_, &QPushButton::clicked, this, &TAddObjectDlg::AddAll);
    connect(cmdRemove_, &QPushButton::clicked, this, &TAddObjectDlg::RemoveSelected);
    connect(cmdRemoveAll_, &QPushButton::clicked, this, &TAddObjectDlg::RemoveAll);
    connect(cmdOK_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(lvLeft_, &QTreeWidget::itemSelectionChanged, this, &TAddObjectDlg::UpdateButtons);
    connect(lvRight_, &QTreeWidget::itemSelectionChanged, this, &TAddObjectDlg::UpdateButtons);
    connect(lvLeft_, &QTreeWidget::itemDoubleClicked, this, [this] { AddSelected(); });
    connect(lvRight_, &QTreeWidget::itemDoubleClicked, this, [this] { RemoveSelected(); });

    TQMDialogKeys::Install(this, kHelpContext);
    UpdateButtons();
}

void TAddObjectDlg::Load(const TDMOServer& server, const QString& database, const TObjectList& chosen)
{
    QList<QPair<QString, QString>> available;
    {
        THourglass hourglass;
        available = CatalogueObjects(server, kind_, database);
    }
    LoadObjects(available, chosen);
}

void TAddObjectDlg::LoadObjects(const QList<QPair<QString, QString>>& available, const TObjectList& chosen)
{
    THourglass hourglass;
    TUpdateBatch leftBatch(lvLeft_);
    TUpdateBatch rightBatch(lvRight_);
    copyRows(chosen, *lvRight_);
    lvLeft_->clear();
    for (const auto& [name, owner] : available)
        if (!lvRight_->ContainsObject(name, owner)) lvLeft_->AddObject(name, owner, kind_);
    lvLeft_->SortRows();
    UpdateButtons();
}

void TAddObjectDlg::WriteBack(TObjectList& list) const
{
    TUpdateBatch batch(&list);
    copyRows(*lvRight_, list);
}

void TAddObjectDlg::UpdateButtons()
{
    cmdAdd_->setEnabled(lvLeft_->SelectedCount() > 0);
    cmdAddAll_->setEnabled(lvLeft_->RowCount() > 0);
    cmdRemove_->setEnabled(lvRight_->SelectedCount() > 0);
    cmdRemoveAll_->setEnabled(lvRight_->RowCount() > 0);
}

void TAddObjectDlg::AddSelected()
{
    UpdateButtons();
    if (!cmdAdd_->isEnabled()) return;
    MoveSelectedRows(lvLeft_, lvRight_);
    UpdateButtons();
}

void TAddObjectDlg::AddAll()
{
    UpdateButtons();
    if (!cmdAddAll_->isEnabled()) return;
    lvLeft_->selectAll();
    AddSelected();
}

void TAddObjectDlg::RemoveSelected()
{
    UpdateButtons();
    if (!cmdRemove_->isEnabled()) return;
    MoveSelectedRows(lvRight_, lvLeft_);
    UpdateButtons();
}

void TAddObjectDlg::RemoveAll()
{
    UpdateButtons();
    if (!cmdRemoveAll_->isEnabled()) return;
    lvRight_->selectAll();
    RemoveSelected();
}

bool RunAddObjectsDialog(int kind, const TDMOServer& server, TObjectList& list, const QString& database,
                         QWidget* parent)
{
    TAddObjectDlg dlg(kind, parent);
    dlg.Load(server, database, list);
    if (dlg.exec() != QDialog::Accepted) return false;
    dlg.WriteBack(list);
    return true;
}

}  // namespace tavil
