// The Preferences dialog. It holds no options of its own: it copies them into its controls when
// it opens and back on OK or Apply.
#include "app/shell/TOptionsDlg.h"

#include "app/shell/TSpinField.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/shell/messages/QMErrorHandler.h"
#include "app/support/EQMException.h"
#include "app/support/QMDialogKeys.h"
#include "app/support/QMTools.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tavil {

namespace {

const int kFontSizes[] = {8, 10, 12, 14, 16, 18};

QLabel* buddyLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

EQMException warning(const QString& message) { return EQMException(message, EQMException::Warning); }

}  // namespace

QStringList TOptionsDlg::EditorFonts()
{
    QStringList out;
    for (const QString& family : QFontDatabase::families(QFontDatabase::Latin)) {
        if (QFontDatabase::isPrivateFamily(family) || !QFontDatabase::isScalable(family)) continue;
        if (QFontDatabase::writingSystems(family).contains(QFontDatabase::Symbol)) continue;
        out << family;
    }
    return out;
}

TOptionsDlg::TOptionsDlg(TVELKOptions& options, QWidget* parent) : QDialog(parent), options_(options)
{
    setObjectName(QStringLiteral("TOptionsDlg"));
    setWindowTitle(QStringLiteral("Preferences..."));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("pcOptions"));

    // General
    auto* general = new QWidget;
    {
        auto* group = new QGroupBox(QStringLiteral(" Application "), general);
        chkPreventMultiple = new QCheckBox(QStringLiteral("Pre&vent multiple instances"), group);
        chkSaveWindow = new QCheckBox(QStringLiteral("Save &window properties"), group);
        chkPromptOnClose = new QCheckBox(QStringLiteral("&Prompt for unsaved files on closure"), group);
        txtMaxMRU = new TSpinField(1, 20, group);
        txtMaxMRU->setObjectName(QStringLiteral("txtMaxMRU"));
        chkPreventMultiple->setObjectName(QStringLiteral("chkPreventMultiple"));
        chkSaveWindow->setObjectName(QStringLiteral("chkSaveWindow"));
        chkPromptOnClose->setObjectName(QStringLiteral("chkPromptOnClose"));
        auto* row = new QHBoxLayout;
        row->addWidget(buddyLabel(QStringLiteral("&Limit recently used files list to:"), txtMaxMRU, group));
        row->addWidget(txtMaxMRU);
        row->addWidget(new QLabel(QStringLiteral("entries"), group));
        row->addStretch();
        auto* v = new QVBoxLayout(group);
        v->addWidget(chkPreventMultiple);
        v->addWidget(chkSaveWindow);
        v->addWidget(chkPromptOnClose);
        v->addLayout(row);
        v->addStretch();
        auto* page = new QVBoxLayout(general);
        page->addWidget(group);
    }

    // Server
    auto* server = new QWidget;
    {
        auto* group = new QGroupBox(QStringLiteral(" Connection "), server);
        txtLoginTimeout = new TSpinField(-1, 1000, group);
        txtQueryTimeout = new TSpinField(0, 1000, group);
        txtBlockingTimeout = new TSpinField(-1, 1000, group);
        txtPacketSize = new TSpinField(128, 65535, group);
        txtLoginTimeout->setObjectName(QStringLiteral("txtLoginTimeout"));
        txtQueryTimeout->setObjectName(QStringLiteral("txtQueryTimeout"));
        txtBlockingTimeout->setObjectName(QStringLiteral("txtBlockingTimeout"));
        txtPacketSize->setObjectName(QStringLiteral("txtPacketSize"));
        auto* grid = new QGridLayout(group);
        const struct {
            const char* label;
            TSpinField* field;
            const char* suffix;
        } rows[] = {
            {"&Login timeout:", txtLoginTimeout, "secs (-1 = default, 0 = no timeout)"},
            {"&Query timeout:", txtQueryTimeout, "secs (0 = no timeout)"},
            {"&Blocking timeout:", txtBlockingTimeout, "secs (-1 = default)"},
            {"&Packet size:", txtPacketSize, "bytes"},
        };
        int r = 0;
        for (const auto& row : rows) {
            grid->addWidget(buddyLabel(QString::fromLatin1(row.label), row.field, group), r, 0);
            row.field->setMinimumWidth(70);
            grid->addWidget(row.field, r, 1);
            grid->addWidget(new QLabel(QString::fromLatin1(row.suffix), group), r, 2);
            ++r;
        }
        grid->setColumnStretch(2, 1);
        grid->setRowStretch(r, 1);
        auto* page = new QVBoxLayout(server);
        page->addWidget(group);
    }

    // Scripts
    auto* scripts = new QWidget;
    {
        auto* generation = new QGroupBox(QStringLiteral(" Script generation "), scripts);
        txtDefaultFolder = new QLineEdit(generation);
        txtDefaultFolder->setObjectName(QStringLiteral("txtDefaultFolder"));
        cmdBrowse = new QPushButton(QStringLiteral("..."), generation);
        cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
        cmdBrowse->setAutoDefault(false);
        cmdBrowse->setFixedWidth(28);
        cmdBrowse->setToolTip(QStringLiteral("Select folder..."));
        connect(cmdBrowse, &QPushButton::clicked, this, &TOptionsDlg::browse);
        txtExtension = new QLineEdit(generation);
        txtExtension->setObjectName(QStringLiteral("txtExtension"));
        txtExtension->setMaxLength(3);
        txtExtension->setFixedWidth(50);
        auto* g1 = new QGridLayout(generation);
        g1->addWidget(buddyLabel(QStringLiteral("&Default folder:"), txtDefaultFolder, generation), 0, 0);
        auto* folderRow = new QHBoxLayout;
        folderRow->addWidget(txtDefaultFolder, 1);
        folderRow->addWidget(cmdBrowse);
        g1->addLayout(folderRow, 0, 1);
        g1->addWidget(buddyLabel(QStringLiteral("&File extension:"), txtExtension, generation), 1, 0);
        g1->addWidget(txtExtension, 1, 1, Qt::AlignLeft);
        g1->setColumnStretch(1, 1);

        auto* editor = new QGroupBox(QStringLiteral(" Script editor "), scripts);
        cbFontName = new QComboBox(editor);
        cbFontName->setObjectName(QStringLiteral("cbFontName"));
        cbFontName->addItems(EditorFonts());
        cbFontName->setMaxVisibleItems(12);
        cbFontSize = new QComboBox(editor);
        cbFontSize->setObjectName(QStringLiteral("cbFontSize"));
        for (int size : kFontSizes) cbFontSize->addItem(QString::number(size));
        cbFontSize->setFixedWidth(60);
        auto* g2 = new QGridLayout(editor);
        g2->addWidget(buddyLabel(QStringLiteral("Font &name:"), cbFontName, editor), 0, 0);
        g2->addWidget(cbFontName, 0, 1);
        g2->addWidget(buddyLabel(QStringLiteral("Font &size:"), cbFontSize, editor), 1, 0);
        g2->addWidget(cbFontSize, 1, 1, Qt::AlignLeft);
        g2->setColumnStretch(1, 1);

        auto* page = new QVBoxLayout(scripts);
        page->addWidget(generation);
        page->addWidget(editor);
        page->addStretch();
    }

    pages_->addTab(general, QStringLiteral("  &General  "));
    pages_->addTab(server, QStringLiteral("S&erver"));
    pages_->addTab(scripts, QStringLiteral("&Scripts"));

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdApply = new QPushButton(QStringLiteral("&Apply"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdApply->setObjectName(QStringLiteral("cmdApply"));
    cmdOK->setDefault(true);
    cmdCancel->setAutoDefault(false);
    cmdApply->setAutoDefault(false);
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        RunGuarded([this] {
            Store();
            accept();
        });
    });
    connect(cmdApply, &QPushButton::clicked, this, [this] { RunGuarded([this] { Store(); }); });
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {cmdOK, cmdCancel, cmdApply}) {
        b->setMinimumWidth(75);
        buttons->addWidget(b);
    }
    auto* main = new QVBoxLayout(this);
    main->addWidget(pages_);
    main->addLayout(buttons);

    TQMDialogKeys::Install(this, kHelpContext);
    load();
    pages_->setCurrentIndex(0);
    setFixedSize(QSize(420, 300).expandedTo(sizeHint()));
}

void TOptionsDlg::load()
{
    const TVELKOptions& o = options_;
    chkPreventMultiple->setChecked(o.PreventMultiple);
    chkSaveWindow->setChecked(o.SaveWindow);
    chkPromptOnClose->setChecked(o.PromptOnClose);
    // A stored value outside a field's range is clamped as it is put into the field.
    txtMaxMRU->setValue(o.MaxMRU);
    txtLoginTimeout->setValue(o.LoginTimeout);
    txtQueryTimeout->setValue(o.QueryTimeout);
    txtBlockingTimeout->setValue(o.BlockingTimeout);
    txtPacketSize->setValue(o.NetPacketSize);
    txtDefaultFolder->setText(o.DefaultScriptsPath);
    txtExtension->setText(o.ScriptExtension);

    // The stored font is selected when it is installed; otherwise the font the editor really
    // shows for that name, so that the list shows what the user sees.
    int font = cbFontName->findText(o.EditorFontName, Qt::MatchFixedString);
    if (font < 0 && !o.EditorFontName.isEmpty())
        font = cbFontName->findText(QFontInfo(QFont(o.EditorFontName)).family(), Qt::MatchFixedString);
    cbFontName->setCurrentIndex(font);
    cbFontSize->setCurrentIndex(cbFontSize->findText(QString::number(o.EditorFontSize), Qt::MatchExactly));
}

void TOptionsDlg::browse()
{
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Select folder..."),
                                                             txtDefaultFolder->text());
    if (!folder.isEmpty()) txtDefaultFolder->setText(folder);
}

void TOptionsDlg::Store()
{
    for (TSpinField* f : {txtMaxMRU, txtLoginTimeout, txtQueryTimeout, txtBlockingTimeout, txtPacketSize}) f->ApplyRule();
    const QString folder = txtDefaultFolder->text();
    if (!folder.isEmpty() && !DirectoryExistsSafe(folder)) throw warning(QStringLiteral("Folder '%1' not found.").arg(folder));
    if (txtExtension->text().isEmpty()) throw warning(QStringLiteral("You did not define the script file extension."));
    if (cbFontName->currentIndex() < 0) throw warning(QStringLiteral("You did not define the script editor's font name"));
    if (cbFontSize->currentIndex() < 0) throw warning(QStringLiteral("You did not define the script editor's font size"));

    TVELKOptions& o = options_;
    o.PreventMultiple = chkPreventMultiple->isChecked();
    o.SaveWindow = chkSaveWindow->isChecked();
    o.PromptOnClose = chkPromptOnClose->isChecked();
    o.MaxMRU = txtMaxMRU->value();
    o.LoginTimeout = txtLoginTimeout->value();
    o.QueryTimeout = txtQueryTimeout->value();
    o.BlockingTimeout = txtBlockingTimeout->value();
    o.NetPacketSize = txtPacketSize->value();
    o.DefaultScriptsPath = folder;
    o.ScriptExtension = txtExtension->text();
    o.EditorFontName = cbFontName->currentText();
    o.EditorFontSize = cbFontSize->currentText().toInt();
    emit Applied();
    o.Save();
}

}  // namespace tavil
