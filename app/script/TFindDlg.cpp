// The Find dialog.
#include "app/script/TFindDlg.h"

#include "app/script/TScriptDialogs.h"
#include "app/shell/iface/TShellHooks.h"
#include "app/shell/messages/QMErrorHandler.h"
#include "app/support/EQMException.h"
#include "app/support/QMDialogKeys.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tavil {

namespace {

QPointer<TFindDlg>& instance()
{
    static QPointer<TFindDlg> dlg;
    return dlg;
}

QAction* findAction()
{
    TShellHost* host = ShellHost();
    return host ? host->FindAction(QStringLiteral("actEditFind")) : nullptr;
}

}  // namespace

TFindDlg* TFindDlg::Instance() { return instance().data(); }

TFindDlg* TFindDlg::ShowInstance()
{
    TFindDlg* dlg = instance().data();
    if (!dlg) {
        TShellHost* host = ShellHost();
        dlg = new TFindDlg(host ? host->MainWidget() : nullptr);
        instance() = dlg;
    }
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
    dlg->cbFind->setFocus();
    dlg->cbFind->lineEdit()->selectAll();
    return dlg;
}

TFindDlg::TFindDlg(QWidget* parent) : TSearchDlg(QStringLiteral("FindStorage"), parent)
{
    setObjectName(QStringLiteral("TFindDlg"));
    setWindowTitle(QStringLiteral("Find..."));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    cbFind = makeHistoryBox(QStringLiteral("cbFind"));
    auto* label = new QLabel(QStringLiteral("&Text to find:"), this);
    label->setBuddy(cbFind);

    cmdFindNext = new QPushButton(QStringLiteral("&Find Next"), this);
    cmdFindNext->setObjectName(QStringLiteral("cmdFindNext"));
    cmdFindNext->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* grid = new QGridLayout;
    grid->addWidget(label, 0, 0);
    grid->addWidget(cbFind, 0, 1);
    auto* groups = new QHBoxLayout;
    groups->addWidget(makeOptions());
    groups->addWidget(makeOrigin());
    auto* left = new QVBoxLayout;
    left->addLayout(grid);
    left->addLayout(groups);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdFindNext);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(buttons);

    loadStorage();
    TQMDialogKeys::Install(this, kHelpContext);

    connect(cmdFindNext, &QPushButton::clicked, this, [this] { RunGuarded([this] { FindNext(); }); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);
    connect(cbFind, &QComboBox::editTextChanged, this, &TFindDlg::UpdateButtons);
    if (QAction* find = findAction()) connect(find, &QAction::changed, this, &TFindDlg::UpdateButtons);
    UpdateButtons();
    setFixedSize(sizeHint());
}

void TFindDlg::UpdateButtons()
{
    QAction* find = findAction();
    cmdFindNext->setEnabled(find && find->isEnabled() && !cbFind->currentText().isEmpty());
}

void TFindDlg::FindNext()
{
    PushText(cbFind);
    const QString text = cbFind->currentText();
    TSearchState& state = SearchState();
    state.SearchText = text;
    state.SearchMatchCase = MatchCase();
    state.SearchWholeWord = WholeWord();
    TShellHost* host = ShellHost();
    if (!host || !host->SearchScript(text, MatchCase(), FromCursor(), WholeWord())) throw SearchNotFound(text);
}

}  // namespace tavil
