// The Configure External Tools dialog.
#include "app/shell/tools/TExternalToolsDlg.h"

#include "app/shell/messages/QMErrorHandler.h"
#include "app/shell/tools/TEditToolDlg.h"
#include "app/support/QMDialogKeys.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavil {

namespace {
enum Role { CommandRole = Qt::UserRole + 1, ParametersRole, WorkingDirRole };
}

// ---- List ---------------------------------------------------------------------------------------

TToolList::TToolList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(true);
}

void TToolList::AppendTool(const TExternalTool& tool)
{
    auto* item = new QListWidgetItem(tool.Caption, this);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    item->setData(CommandRole, tool.Command);
    item->setData(ParametersRole, tool.Parameters);
    item->setData(WorkingDirRole, tool.WorkingDir);
}

TExternalTool TToolList::Tool(int row) const
{
    const QListWidgetItem* i = item(row);
    if (!i) return {};
    return {i->text(), i->data(CommandRole).toString(), i->data(ParametersRole).toString(), i->data(WorkingDirRole).toString()};
}

void TToolList::SetTool(int row, const TExternalTool& tool)
{
    QListWidgetItem* i = item(row);
    if (!i) return;
    i->setText(tool.Caption);
    i->setData(CommandRole, tool.Command);
    i->setData(ParametersRole, tool.Parameters);
    i->setData(WorkingDirRole, tool.WorkingDir);
}

QList<TExternalTool> TToolList::Tools() const
{
    QList<TExternalTool> list;
    for (int r = 0; r < count(); ++r) list << Tool(r);
    return list;
}

void TToolList::Focus(int row)
{
    if (row < 0 || row >= count()) return;
    setCurrentRow(row);
    item(row)->setSelected(true);
    setFocus();
    scrollToItem(item(row));
}

bool TToolList::CanDrop(const QObject* source, int target) const
{
    const int selected = currentItem() && currentItem()->isSelected() ? currentRow() : -1;
    return source == this && selected >= 0 && target != selected;
}

void TToolList::MoveSelectedBefore(int target)
{
    const int from = currentItem() && currentItem()->isSelected() ? currentRow() : -1;
    if (from < 0 || target == from) return;
    if (target < 0 || target > count()) target = count();
    QListWidgetItem* moving = takeItem(from);
    // Taking the row out shifts the rows after it up by one.
    const int to = target > from ? target - 1 : target;
    insertItem(to, moving);
    Focus(to);
    emit Moved();
}

void TToolList::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->source() == this) event->acceptProposedAction();
    else event->ignore();
}

void TToolList::dragMoveEvent(QDragMoveEvent* event)
{
    const QListWidgetItem* over = itemAt(event->position().toPoint());
    if (CanDrop(event->source(), over ? row(over) : -1)) event->acceptProposedAction();
    else event->ignore();
}

void TToolList::dropEvent(QDropEvent* event)
{
    const QListWidgetItem* over = itemAt(event->position().toPoint());
    const int target = over ? row(over) : -1;
    if (!CanDrop(event->source(), target)) {
        event->ignore();
        return;
    }
    // The move is done here, not by the view, so the drag's own removal must not happen.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    MoveSelectedBefore(target);
}

// ---- Dialog -------------------------------------------------------------------------------------

TExternalToolsDlg::TExternalToolsDlg(TExternalTools& tools, QWidget* parent) : QDialog(parent), tools_(tools)
{
    setObjectName(QStringLiteral("TExternalToolsDlg"));
    setWindowTitle(QStringLiteral("Configure External Tools..."));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    lvTools = new TToolList(this);
    lvTools->setObjectName(QStringLiteral("lvTools"));
    auto* listLabel = new QLabel(QStringLiteral("Current &tools:"), this);
    listLabel->setBuddy(lvTools);

    auto button = [this](const char* text, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setMinimumWidth(75);
        return b;
    };
    cmdAdd = button("&Add...", "cmdAdd");
    cmdEdit = button("&Edit...", "cmdEdit");
    cmdRemove = button("&Remove", "cmdRemove");
    cmdClose = button("&Close", "cmdClose");
    cmdClose->setDefault(true);

    auto field = [this](const char* name) {
        auto* f = new QLineEdit(this);
        f->setObjectName(QString::fromLatin1(name));
        f->setReadOnly(true);
        return f;
    };
    txtCaption = field("txtCaption");
    txtCommand = field("txtCommand");
    txtParameters = field("txtParameters");
    txtWorkingDir = field("txtWorkingDir");

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdAdd, cmdEdit, cmdRemove}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* top = new QGridLayout;
    top->addWidget(listLabel, 0, 0);
    top->addWidget(lvTools, 1, 0);
    top->addLayout(buttons, 1, 1);
    lvTools->setMinimumSize(260, 130);

    auto* fields = new QGridLayout;
    int r = 0;
    for (auto [text, edit] : {std::pair{"Men&u caption:", txtCaption}, std::pair{"Co&mmand:", txtCommand},
                              std::pair{"&Parameters:", txtParameters}, std::pair{"&Working dir:", txtWorkingDir}}) {
        auto* label = new QLabel(QString::fromLatin1(text), this);
        label->setBuddy(edit);
        fieldLabels_ << label;
        fields->addWidget(label, r, 0);
        fields->addWidget(edit, r, 1);
        ++r;
    }
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addSpacing(4);
    main->addLayout(fields);

    connect(cmdAdd, &QPushButton::clicked, this, [this] { RunGuarded([this] { AddTool(); }); });
    connect(cmdEdit, &QPushButton::clicked, this, [this] { RunGuarded([this] { EditTool(); }); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] { RemoveTool(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(lvTools, &QListWidget::itemDoubleClicked, this, [this] {
        if (cmdEdit->isEnabled()) RunGuarded([this] { EditTool(); });
    });
    connect(lvTools, &QListWidget::itemSelectionChanged, this, &TExternalToolsDlg::updateControls);
    connect(lvTools, &QListWidget::currentRowChanged, this, &TExternalToolsDlg::updateControls);
    connect(lvTools, &TToolList::Moved, this, &TExternalToolsDlg::updateControls);

    RunEditDialog = [this](TExternalTool& tool, bool addMode) {
        TEditToolDlg dlg(tool, addMode, this);
        return dlg.exec() == QDialog::Accepted;
    };

    for (const TExternalTool& t : tools_.Items) lvTools->AppendTool(t);
    if (lvTools->count() > 0) lvTools->Focus(0);
    updateControls();
    TQMDialogKeys::Install(this, kHelpContext);
    setFixedSize(sizeHint().expandedTo(QSize(420, 0)));
}

void TExternalToolsDlg::updateControls()
{
    const QListWidgetItem* current = lvTools->currentItem();
    const int row = current && current->isSelected() ? lvTools->currentRow() : -1;
    const bool selected = row >= 0;
    cmdEdit->setEnabled(selected);
    cmdRemove->setEnabled(selected);
    const TExternalTool tool = selected ? lvTools->Tool(row) : TExternalTool{};
    txtCaption->setText(tool.Caption);
    txtCommand->setText(tool.Command);
    txtParameters->setText(tool.Parameters);
    txtWorkingDir->setText(tool.WorkingDir);
    for (QWidget* w : {static_cast<QWidget*>(txtCaption), static_cast<QWidget*>(txtCommand),
                       static_cast<QWidget*>(txtParameters), static_cast<QWidget*>(txtWorkingDir)})
        w->setEnabled(selected);
    for (QLabel* l : fieldLabels_) l->setEnabled(selected);
}

void TExternalToolsDlg::AddTool()
{
    TExternalTool tool;
    if (!RunEditDialog || !RunEditDialog(tool, true)) return;
    lvTools->AppendTool(tool);
    lvTools->Focus(lvTools->count() - 1);
    updateControls();
}

void TExternalToolsDlg::EditTool()
{
    const int row = lvTools->currentItem() && lvTools->currentItem()->isSelected() ? lvTools->currentRow() : -1;
    if (row < 0 || !RunEditDialog) return;
    TExternalTool tool = lvTools->Tool(row);
    if (!RunEditDialog(tool, false)) return;
    lvTools->SetTool(row, tool);
    lvTools->Focus(row);
    updateControls();
}

void TExternalToolsDlg::RemoveTool()
{
    const int row = lvTools->currentItem() && lvTools->currentItem()->isSelected() ? lvTools->currentRow() : -1;
    if (row < 0) return;
    delete lvTools->takeItem(row);
    updateControls();
}

void TExternalToolsDlg::done(int result)
{
    // Every way of closing (Close, Escape, the close button) ends here: the rows become the
    // program's list, and the list is saved.
    tools_.Items = lvTools->Tools();
    tools_.Save();
    QDialog::done(result);
}

}  // namespace tavil
