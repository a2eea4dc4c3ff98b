// The Replace dialog.
#include "app/script/TReplaceDlg.h"

#include "app/shell/iface/TShellHooks.h"
#include "app/support/QMDialogKeys.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavil {

namespace {

QAction* replaceAction()
{
    TShellHost* host = ShellHost();
    return host ? host->FindAction(QStringLiteral("actEditReplace")) : nullptr;
}

}  // namespace

TReplaceDlg::TReplaceDlg(QWidget* parent) : TSearchDlg(QStringLiteral("ReplaceStorage"), parent)
{
    setObjectName(QStringLiteral("TReplaceDlg"));
    setWindowTitle(QStringLiteral("Replace..."));
    setModal(true);

    cbFind = makeHistoryBox(QStringLiteral("cbFind"));
    cbReplace = makeHistoryBox(QStringLiteral("cbReplace"));
    auto* findLabel = new QLabel(QStringLiteral("&Text to find:"), this);
    findLabel->setBuddy(cbFind);
    auto* replaceLabel = new QLabel(QStringLiteral("Re&place with:"), this);
    replaceLabel->setBuddy(cbReplace);

    cmdReplace = new QPushButton(QStringLiteral("&Replace"), this);
    cmdReplace->setObjectName(QStringLiteral("cmdReplace"));
    cmdReplace->setDefault(true);
    cmdReplaceAll = new QPushButton(QStringLiteral("Replace A&ll"), this);
    cmdReplaceAll->setObjectName(QStringLiteral("cmdReplaceAll"));
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* grid = new QGridLayout;
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(cbFind, 0, 1);
    grid->addWidget(replaceLabel, 1, 0);
    grid->addWidget(cbReplace, 1, 1);
    auto* groups = new QHBoxLayout;
    groups->addWidget(makeOptions());
    groups->addWidget(makeOrigin());
    auto* left = new QVBoxLayout;
    left->addLayout(grid);
    left->addLayout(groups);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdReplace);
    buttons->addWidget(cmdReplaceAll);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    auto* top = new QHBoxLayout(this);
    top->addLayout(left, 1);
    top->addLayout(buttons);

    loadStorage();
    TQMDialogKeys::Install(this, kHelpContext);

    connect(cmdReplace, &QPushButton::clicked, this, [this] { choose(ReplaceOne); });
    connect(cmdReplaceAll, &QPushButton::clicked, this, [this] { choose(ReplaceEvery); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbFind, &QComboBox::editTextChanged, this, &TReplaceDlg::UpdateButtons);
    connect(cbReplace, &QComboBox::editTextChanged, this, &TReplaceDlg::UpdateButtons);
    if (QAction* replace = replaceAction()) connect(replace, &QAction::changed, this, &TReplaceDlg::UpdateButtons);
    UpdateButtons();
    setFixedSize(sizeHint());
}

QString TReplaceDlg::ReplaceText() const { return cbReplace->currentText(); }

void TReplaceDlg::UpdateButtons()
{
    QAction* replace = replaceAction();
    const bool on = replace && replace->isEnabled() && !cbFind->currentText().isEmpty() &&
                    !cbReplace->currentText().isEmpty();
    cmdReplace->setEnabled(on);
    cmdReplaceAll->setEnabled(on);
}

void TReplaceDlg::choose(TChoice choice)
{
    PushText(cbFind);
    PushText(cbReplace);
    choice_ = choice;
    accept();
}

}  // namespace tavil
