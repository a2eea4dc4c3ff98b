// The Add / Edit External Tool dialog.
#include "app/shell/tools/TEditToolDlg.h"

#include "app/shell/messages/QMErrorHandler.h"
#include "app/support/EQMException.h"
#include "app/support/QMDialogKeys.h"
#include "app/support/QMShell.h"
#include "app/support/QMTools.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace tavil {

namespace {

QString droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls()) return QString();
    const QList<QUrl> urls = data->urls();
    return urls.isEmpty() || !urls.first().isLocalFile() ? QString() : urls.first().toLocalFile();
}

EQMException information(const QString& message) { return EQMException(message, EQMException::Information); }

}  // namespace

// ---- Command field ------------------------------------------------------------------------------

TCommandField::TCommandField(QWidget* parent) : QLineEdit(parent) { setAcceptDrops(true); }

QString TCommandField::Shown(const QString& command)
{
    return command.contains(QLatin1Char(' ')) ? QLatin1Char('"') + command + QLatin1Char('"') : command;
}

QString TCommandField::Yielded(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || FileExistsSafe(t)) return t;
    return SplitParameters(t).value(0);
}

void TCommandField::SetCommand(const QString& command) { setText(Shown(command)); }

QString TCommandField::Command() const { return Yielded(text()); }

void TCommandField::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
    else QLineEdit::dragEnterEvent(event);
}

void TCommandField::dropEvent(QDropEvent* event)
{
    const QString file = droppedFile(event->mimeData());
    if (file.isEmpty()) {
        QLineEdit::dropEvent(event);
        return;
    }
    SetCommand(file);
    event->acceptProposedAction();
}

// ---- Dialog -------------------------------------------------------------------------------------

TEditToolDlg::TEditToolDlg(TExternalTool& tool, bool addMode, QWidget* parent) : QDialog(parent), tool_(tool)
{
    setObjectName(QStringLiteral("TEditToolDlg"));
    setWindowTitle(addMode ? QStringLiteral("Add External Tool...") : QStringLiteral("Edit External Tool..."));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    txtCaption = new QLineEdit(this);
    txtCommand = new TCommandField(this);
    txtParameters = new QLineEdit(this);
    txtWorkingDir = new QLineEdit(this);
    named(txtCaption, "txtCaption");
    named(txtCommand, "txtCommand");
    named(txtParameters, "txtParameters");
    named(txtWorkingDir, "txtWorkingDir");
    cmdBrowseCommand = new QToolButton(this);
    cmdBrowseDir = new QToolButton(this);
    named(cmdBrowseCommand, "cmdBrowseCommand");
    named(cmdBrowseDir, "cmdBrowseDir");
    for (QToolButton* b : {cmdBrowseCommand, cmdBrowseDir}) {
        b->setText(QStringLiteral("..."));
        b->setFocusPolicy(Qt::TabFocus);
    }
    cmdBrowseCommand->setToolTip(QStringLiteral("Select command..."));
    cmdBrowseDir->setToolTip(QStringLiteral("Please select the working directory..."));

    auto* grid = new QGridLayout;
    auto row = [&](int r, const char* text, QLineEdit* field, QToolButton* browse) {
        auto* label = new QLabel(QString::fromLatin1(text), this);
        label->setBuddy(field);
        grid->addWidget(label, r, 0);
        grid->addWidget(field, r, 1, 1, browse ? 1 : 2);
        if (browse) grid->addWidget(browse, r, 2);
    };
    row(0, "Men&u caption:", txtCaption, nullptr);
    row(1, "Co&mmand:", txtCommand, cmdBrowseCommand);
    row(2, "&Parameters:", txtParameters, nullptr);
    row(3, "&Working dir:", txtWorkingDir, cmdBrowseDir);
    grid->setColumnMinimumWidth(1, 260);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    named(cmdOK, "cmdOK");
    named(cmdCancel, "cmdCancel");
    cmdOK->setDefault(true);
    cmdCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {cmdOK, cmdCancel}) {
        b->setMinimumWidth(75);
        buttons->addWidget(b);
    }
    auto* main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addSpacing(6);
    main->addLayout(buttons);

    setTabOrder(txtCaption, txtCommand);
    setTabOrder(txtCommand, cmdBrowseCommand);
    setTabOrder(cmdBrowseCommand, txtParameters);
    setTabOrder(txtParameters, txtWorkingDir);
    setTabOrder(txtWorkingDir, cmdBrowseDir);
    setTabOrder(cmdBrowseDir, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(txtCaption, &QLineEdit::textChanged, this, &TEditToolDlg::updateButtons);
    connect(txtCommand, &QLineEdit::textChanged, this, &TEditToolDlg::updateButtons);
    connect(cmdBrowseCommand, &QToolButton::clicked, this, &TEditToolDlg::browseCommand);
    connect(cmdBrowseDir, &QToolButton::clicked, this, &TEditToolDlg::browseFolder);
    connect(cmdOK, &QPushButton::clicked, this, [this] { RunGuarded([this] { Confirm(); }); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    if (!addMode) {
        txtCaption->setText(tool.Caption);
        txtCommand->SetCommand(tool.Command);
        txtParameters->setText(tool.Parameters);
        txtWorkingDir->setText(tool.WorkingDir);
    }
    updateButtons();
    TQMDialogKeys::Install(this, kHelpContext);
    setFixedSize(sizeHint().expandedTo(QSize(400, 0)));
}

void TEditToolDlg::updateButtons() { cmdOK->setEnabled(!txtCaption->text().isEmpty() && !txtCommand->text().isEmpty()); }

void TEditToolDlg::Confirm()
{
    const QString command = txtCommand->Command();
    const QString folder = txtWorkingDir->text();
    if (command.isEmpty()) throw information(QStringLiteral("You must specify the command for this External Tool."));
    // The stored record separates its fields with "|": one inside the first three would shift
    // the fields when the list is read back.
    for (const auto& [label, text] : {std::pair{"menu caption", txtCaption->text()}, std::pair{"command", command},
                                      std::pair{"parameters", txtParameters->text()}})
        if (text.contains(QLatin1Char('|')))
            throw information(QStringLiteral("The %1 cannot contain the character '|'.").arg(QLatin1String(label)));
    if (!FileExistsSafe(command)) throw information(QStringLiteral("File '%1' not found.").arg(command));
    if (!folder.isEmpty() && !DirectoryExistsSafe(folder))
        throw information(QStringLiteral("Directory '%1' not found.").arg(folder));
    tool_.Caption = txtCaption->text();
    tool_.Command = command;
    tool_.Parameters = txtParameters->text();
    tool_.WorkingDir = folder;
    accept();
}

void TEditToolDlg::CommandChosen(const QString& path)
{
    txtCommand->SetCommand(path);
    if (txtCaption->text().isEmpty()) txtCaption->setText(QFileInfo(path).completeBaseName());
}

void TEditToolDlg::browseCommand()
{
    QFileDialog dlg(this, QStringLiteral("Select command..."));
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    // Linux programs carry no extension: the list starts on all files, and no extension is
    // added to a typed name.
    const QStringList filters = {QStringLiteral("Applications (*.exe)"), QStringLiteral("All Files (*)")};
    dlg.setNameFilters(filters);
    dlg.selectNameFilter(filters.last());
    const QString current = txtCommand->Command();
    if (!current.isEmpty()) {
        const QFileInfo info(current);
        if (info.absoluteDir().exists()) dlg.setDirectory(info.absolutePath());
        if (info.isFile()) dlg.selectFile(info.absoluteFilePath());
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    CommandChosen(dlg.selectedFiles().first());
}

void TEditToolDlg::browseFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Please select the working directory..."),
                                                             txtWorkingDir->text());
    if (!folder.isEmpty()) txtWorkingDir->setText(folder);
}

}  // namespace tavil
