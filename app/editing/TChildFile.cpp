// The command-file window: pages, loading and copying back, change tracking, the catalogue
// lists, adding and removing objects, saving, the close query and the placement store.
#include "app/editing/TChildFile.h"

#include "app/catalogue/TDMOServer.h"
#include "app/editing/TAddObjectDlg.h"
#include "app/editing/TEditingCatalogue.h"
#include "app/editing/TEditingImages.h"
#include "app/editing/TObjectList.h"
#include "app/editing/TStarStyle.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/shell/iface/TShellHooks.h"
#include "app/shell/messages/QMErrorHandler.h"
#include "app/shell/messages/QMMessage.h"
#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"
#include "app/support/QMDialogKeys.h"
#include "app/support/QMPlacement.h"
#include "app/support/QMRegistry.h"
#include "app/support/QMTools.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tavil {

const char* const TChildFile::kStorageKey = "ChildStorage";
const QString TChildFile::kUntitled = QStringLiteral("Untitled");

namespace {

const char* const kPageTexts[10] = {"Connection",
                                    "Tables",
                                    "Views",
                                    "Stored Procedures",
                                    "Defaults",
                                    "Rules",
                                    "User Defined Datatypes",
                                    "User Defined Functions",
                                    "Formatting Options",
                                    "Advanced Options"};

// Names of the placement values of each kind's columns ("TablesCol0" …).
const char* const kColumnKeys[7] = {"Tables", "Views", "StoredProcs", "Defaults", "Rules", "Types", "Functions"};

struct OptionRow {
    const char* label;
    bool reset;
};

// Formatting options first (page 9), then the advanced options (page 10), in field order.
const OptionRow kOptions[14] = {
    {"Generate the &CREATE <object> command for each object", true},
    {"Generate the &DROP <object> command for each object", true},
    {"Ge&nerate script for all dependent objects", true},
    {"&Include descriptive headers in script files", true},
    {"Include e&xtended properties", false},
    {"&Only script SQL Server 7.0 compatible features", false},
    {"Script database &users and roles", false},
    {"Script SQL Server &logins (Windows and SQL Server logins)", false},
    {"Script &object level permissions", false},
    {"Script inde&xes", true},
    {"Script full-text &indexes", false},
    {"Script &triggers", true},
    {"Script &PRIMARY, FOREIGN, DEFAULT and CHECK constraints", true},
    {"Include &column names in INSERT commands", true},
};

std::array<bool*, 14> optionFields(TCmdFile& f)
{
    TDBFormatOptions& a = f.FormatOptions;
    TDBOtherOptions& b = f.OtherOptions;
    return {&a.GenerateCreateCommand,     &a.GenerateDropCommand,        &a.ScriptDependantObjects,
            &a.IncludeHeaders,            &a.IncludeExtendedProperties,  &a.ScriptOnly70Compatible,
            &b.ScriptUsersRoles,          &b.ScriptLogins,               &b.ScriptObjectPermissions,
            &b.ScriptTableIndexes,        &b.ScriptTableFullTextIndexes, &b.ScriptTableTriggers,
            &b.ScriptTableConstraints,    &b.ScriptTableIncludeColumnNames};
}

struct WindowActionRow {
    const char* name;
    const char* caption;
    const char* hint;
    QKeySequence shortcut;
};

const WindowActionRow kActions[7] = {
    {"actScriptAdd", "&Add...", "Add objects", QKeySequence(Qt::Key_Insert)},
    {"actScriptAddAll", "A&dd All", "Add all objects", QKeySequence(Qt::CTRL | Qt::Key_Insert)},
    {"actScriptRemove", "&Remove", "Remove selected objects", QKeySequence(Qt::CTRL | Qt::Key_D)},
    {"actScriptRemoveAll", "Remove A&ll", "Remove all objects", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D)},
    {"actScriptGenerate", "&Generate...", "Generate scripts", QKeySequence()},
    {"actScriptVerify", "&Verify", "Check consistency of the selected command file", QKeySequence()},
    {"actOptionsReset", "&Reset", "Reset command file options", QKeySequence()},
};

QString fileNamePart(const QString& path) { return QFileInfo(path).fileName(); }

QString storageKey() { return QMApp().AppKey + QLatin1Char('\\') + QLatin1String(TChildFile::kStorageKey); }

// Sets a flag for the lifetime of the guard, whatever ends it.
class TFlagGuard {
public:
    explicit TFlagGuard(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~TFlagGuard() { flag_ = was_; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& flag_;
    bool was_;
};

// A caption that takes one line when there is room and wraps in a narrow window, so that long
// captions do not widen every page.
class TWrappingLabel : public QLabel {
public:
    TWrappingLabel(const QString& text, QWidget* parent) : QLabel(text, parent) { setWordWrap(true); }
    QSize sizeHint() const override
    {
        QString plain = text();
        plain.remove(QLatin1Char('&'));
        const QMargins m = contentsMargins();
        return QSize(fontMetrics().horizontalAdvance(plain) + m.left() + m.right() + 2 * margin() + 4,
                     QLabel::sizeHint().height());
    }
};

QComboBox* trueFalseBox(QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->addItems({QStringLiteral("True"), QStringLiteral("False")});
    box->setCurrentIndex(0);
    box->setFixedWidth(80);
    return box;
}

void setTrueFalse(QComboBox* box, bool value) { box->setCurrentIndex(value ? 0 : 1); }
bool isTrue(const QComboBox* box) { return box->currentIndex() == 0; }

}  // namespace

// ---- Creation ----------------------------------------------------------------------------------

TChildFile* TChildFile::NewCommandFileWindow(std::unique_ptr<TCmdFile> file)
{
    if (!file) file = std::make_unique<TCmdFile>();
    auto* w = new TChildFile(std::move(file));
    w->SetFilePath(kUntitled);
    w->SetSaved(false);
    w->LoadControls();
    return w;
}

TChildFile* TChildFile::OpenCommandFileWindow(const QString& path)
{
    auto file = std::make_unique<TCmdFile>();
    file->LoadFromFile(path);  // raises; no window then
    auto* w = new TChildFile(std::move(file));
    w->SetFilePath(path);
    w->SetSaved(true);
    w->LoadControls();
    return w;
}

TChildFile::TChildFile(std::unique_ptr<TCmdFile> file, QWidget* parent) : QWidget(parent), file_(std::move(file))
{
    if (!file_) file_ = std::make_unique<TCmdFile>();
    setObjectName(QStringLiteral("TChildFile"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(PageImage(0));
    if (!QMApp().DialogFont.isEmpty()) {
        QFont f(QMApp().DialogFont);
        f.setPointSize(8);
        setFont(f);
    }

    ApplyOptions();
    loading_ = false;

    buildTree();
    pTitle_ = new QWidget(this);
    pTitle_->setObjectName(QStringLiteral("pTitle"));
    pTitle_->setAutoFillBackground(true);
    {
        // The colour of the MDI area behind the windows.
        QPalette pal = pTitle_->palette();
        pal.setColor(QPalette::Window, palette().color(QPalette::Dark));
        pal.setColor(QPalette::WindowText, Qt::white);
        pTitle_->setPalette(pal);
    }
    imgTitle_ = new QLabel(pTitle_);
    imgTitle_->setObjectName(QStringLiteral("imgTitle"));
    imgTitle_->setFixedSize(16, 16);
    lblTitle_ = new QLabel(pTitle_);
    lblTitle_->setObjectName(QStringLiteral("lblTitle"));
    {
        QFont f = lblTitle_->font();
        f.setPointSize(10);
        f.setBold(true);
        lblTitle_->setFont(f);
    }
    auto* titleLayout = new QHBoxLayout(pTitle_);
    titleLayout->setContentsMargins(6, 4, 6, 4);
    titleLayout->setSpacing(6);
    titleLayout->addWidget(imgTitle_);
    titleLayout->addWidget(lblTitle_, 1);

    pages_ = new QStackedWidget(this);
    pages_->setObjectName(QStringLiteral("pPages"));
    pages_->addWidget(buildConnectionPage());
    for (int kind = 0; kind < TCmdFile::KindCount; ++kind) pages_->addWidget(buildObjectPage(kind));
    pages_->addWidget(buildOptionPage(0, 6));
    pages_->addWidget(buildOptionPage(6, 8));

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    rightLayout->addWidget(pTitle_);
    rightLayout->addWidget(pages_, 1);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setHandleWidth(5);
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(tvPages_);
    splitter_->addWidget(right);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    // The tree starts wide enough for its texts in the font in use.
    int textWidth = 0;
    for (int i = 0; i < root_->childCount(); ++i)
        textWidth = std::max(textWidth, tvPages_->fontMetrics().horizontalAdvance(root_->child(i)->text(0)));
    treeWidth_ = std::max(kTreeWidth, textWidth + tvPages_->indentation() + tvPages_->iconSize().width() +
                                                   2 * tvPages_->frameWidth() + 30);
    splitter_->setSizes({treeWidth_, kDefaultWidth - treeWidth_ - 5});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);

    buildActions();

    // The root is always expanded; the Connection page is the first shown.
    tvPages_->expandItem(root_);
    connect(tvPages_, &QTreeWidget::currentItemChanged, this, &TChildFile::pageChanged);
    connect(tvPages_, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) { tvPages_->expandItem(item); });
    ShowPage(1);

    TQMDialogKeys::Install(this, kHelpContext);
    installKeyPreview();

    setMinimumSize(kMinimumWidth - 10, kMinimumHeight - 30);
    resize(kDefaultWidth, kDefaultHeight);
    SetFilePath(file_->FileName);
}

TChildFile::~TChildFile()
{
    savePlacement();
}

void TChildFile::buildTree()
{
    tvPages_ = new QTreeWidget(this);
    tvPages_->setObjectName(QStringLiteral("tvPages"));
    tvPages_->setHeaderHidden(true);
    tvPages_->setColumnCount(1);
    tvPages_->setItemsExpandable(false);
    tvPages_->setRootIsDecorated(false);
    tvPages_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvPages_->setSelectionMode(QAbstractItemView::SingleSelection);
    tvPages_->setIconSize(QSize(16, 16));
    tvPages_->setMinimumWidth(kTreeWidth);
    tvPages_->setIndentation(16);
    root_ = new QTreeWidgetItem(tvPages_, QStringList{QStringLiteral("Command File Root")});
    root_->setIcon(0, PageImage(0));
    for (int i = 0; i < 10; ++i) {
        auto* node = new QTreeWidgetItem(root_, QStringList{QString::fromLatin1(kPageTexts[i])});
        node->setIcon(0, PageImage(i + 1));
    }
}

QWidget* TChildFile::buildConnectionPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("pConnection"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);

    cbServerName_ = new QComboBox(page);
    cbServerName_->setObjectName(QStringLiteral("cbServerName"));
    cbServerName_->setEditable(true);
    cbServerName_->setInsertPolicy(QComboBox::NoInsert);
    cbServerName_->setMinimumWidth(150);
    cbServerName_->setMaximumWidth(300);
    cbWindowsAuthentication_ = trueFalseBox(page);
    cbWindowsAuthentication_->setObjectName(QStringLiteral("cbWindowsAuthentication"));
    txtUsername_ = new QLineEdit(page);
    txtUsername_->setObjectName(QStringLiteral("txtUsername"));
    txtUsername_->setMinimumWidth(150);
    txtUsername_->setMaximumWidth(300);
    txtPassword_ = new QLineEdit(page);
    txtPassword_->setObjectName(QStringLiteral("txtPassword"));
    txtPassword_->setMinimumWidth(150);
    txtPassword_->setMaximumWidth(300);
    MakeStarPasswordEdit(txtPassword_);
    cbDatabaseName_ = new QComboBox(page);
    cbDatabaseName_->setObjectName(QStringLiteral("cbDatabaseName"));
    cbDatabaseName_->setEditable(false);
    cbDatabaseName_->setMinimumWidth(150);
    cbDatabaseName_->setMaximumWidth(300);

    auto* lblServer = new QLabel(QStringLiteral("Serve&r Name"), page);
    auto* lblAuthentication = new QLabel(QStringLiteral("W&indows Authentication"), page);
    lblUsername_ = new QLabel(QStringLiteral("&Username"), page);
    lblPassword_ = new QLabel(QStringLiteral("&Password"), page);
    auto* lblDatabase = new QLabel(QStringLiteral("&Database Name"), page);
    lblServer->setBuddy(cbServerName_);
    lblAuthentication->setBuddy(cbWindowsAuthentication_);
    lblUsername_->setBuddy(txtUsername_);
    lblPassword_->setBuddy(txtPassword_);
    lblDatabase->setBuddy(cbDatabaseName_);

    const std::pair<QLabel*, QWidget*> rows[] = {{lblServer, cbServerName_},
                                                 {lblAuthentication, cbWindowsAuthentication_},
                                                 {lblUsername_, txtUsername_},
                                                 {lblPassword_, txtPassword_},
                                                 {lblDatabase, cbDatabaseName_}};
    int r = 0;
    for (const auto& [label, control] : rows) {
        grid->addWidget(label, r, 0);
        if (control == cbWindowsAuthentication_) grid->addWidget(control, r, 1, Qt::AlignLeft);
        else grid->addWidget(control, r, 1);
        ++r;
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(r, 1);

    connect(cbServerName_, &QComboBox::editTextChanged, this, [this] { changed(true); });
    connect(txtUsername_, &QLineEdit::textChanged, this, [this] { changed(false); });
    connect(txtPassword_, &QLineEdit::textChanged, this, [this] { changed(false); });
    connect(cbDatabaseName_, &QComboBox::currentIndexChanged, this, [this] { changed(false); });
    connect(cbWindowsAuthentication_, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_) applyAuthenticationRule();
    });
    cbDatabaseName_->installEventFilter(this);
    return page;
}

QWidget* TChildFile::buildObjectPage(int kind)
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("p%1").arg(QLatin1String(kColumnKeys[kind])));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    auto* list = new TObjectList(QStringLiteral("Name"), 150, 75, page);
    list->setObjectName(QStringLiteral("lv%1").arg(QLatin1String(kColumnKeys[kind])));
    list->setFrameShape(QFrame::NoFrame);
    lists_[static_cast<std::size_t>(kind)] = list;
    layout->addWidget(list, 1);
    if (kind == TCmdFile::KindTables) {
        chkScriptSchema_ = new QCheckBox(QStringLiteral("Script sc&hema"), page);
        chkScriptSchema_->setObjectName(QStringLiteral("chkScriptSchema"));
        chkScriptData_ = new QCheckBox(QStringLiteral("Script &data"), page);
        chkScriptData_->setObjectName(QStringLiteral("chkScriptData"));
        auto* row = new QHBoxLayout;
        row->setContentsMargins(8, 0, 8, 6);
        row->setSpacing(16);
        row->addWidget(chkScriptSchema_);
        row->addWidget(chkScriptData_);
        row->addStretch(1);
        layout->addLayout(row);
        connect(chkScriptSchema_, &QCheckBox::clicked, this, [this] { checkClicked(chkScriptSchema_); });
        connect(chkScriptData_, &QCheckBox::clicked, this, [this] { checkClicked(chkScriptData_); });
    }
    return page;
}

QWidget* TChildFile::buildOptionPage(int first, int count)
{
    auto* page = new QWidget;
    page->setObjectName(first == 0 ? QStringLiteral("pFormatting") : QStringLiteral("pAdvanced"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(6);
    for (int i = 0; i < count; ++i) {
        const int index = first + i;
        QComboBox* box = trueFalseBox(page);
        box->setObjectName(QStringLiteral("cbOption%1").arg(index));
        auto* label = new TWrappingLabel(QString::fromLatin1(kOptions[index].label), page);
        label->setBuddy(box);
        grid->addWidget(label, i, 0);
        grid->addWidget(box, i, 1, Qt::AlignLeft);
        optionBoxes_[static_cast<std::size_t>(index)] = box;
        connect(box, &QComboBox::currentIndexChanged, this, [this] { changed(false); });
    }
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(count, 1);
    return page;
}

void TChildFile::buildActions()
{
    for (const WindowActionRow& row : kActions) {
        auto* a = new QAction(QString::fromLatin1(row.caption), this);
        a->setObjectName(QString::fromLatin1(row.name));
        a->setStatusTip(QString::fromLatin1(row.hint));
        a->setToolTip(QString::fromLatin1(row.hint));
        // The main window owns these keys; here they are shown, and act only inside the menu.
        a->setShortcut(row.shortcut);
        a->setShortcutContext(Qt::WidgetShortcut);
    }
    auto on = [this](const char* name, auto f) {
        connect(WindowAction(QString::fromLatin1(name)), &QAction::triggered, this, [f] { RunGuarded(f); });
    };
    on("actScriptAdd", [this] { AddObjects(); });
    on("actScriptAddAll", [this] { AddAllObjects(); });
    on("actScriptRemove", [this] { RemoveObjects(); });
    on("actScriptRemoveAll", [this] { RemoveAllObjects(); });
    for (const char* name : {"actScriptGenerate", "actScriptVerify"})
        on(name, [name] {
            if (TShellHost* host = ShellHost())
                if (QAction* a = host->FindAction(QString::fromLatin1(name)); a && a->isEnabled()) a->trigger();
        });
    on("actOptionsReset", [this] { ResetOptions(); });

    popObjects_ = new QMenu(this);
    popObjects_->setObjectName(QStringLiteral("popObjects"));
    for (const char* name : {"actScriptAdd", "actScriptAddAll", "", "actScriptRemove", "actScriptRemoveAll", "",
                             "actScriptGenerate", "actScriptVerify"}) {
        if (*name) popObjects_->addAction(WindowAction(QString::fromLatin1(name)));
        else popObjects_->addSeparator();
    }
    popOptions_ = new QMenu(this);
    popOptions_->setObjectName(QStringLiteral("popOptions"));
    popOptions_->addAction(WindowAction(QStringLiteral("actOptionsReset")));
}

QAction* TChildFile::WindowAction(const QString& name) const
{
    return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

// ---- Pages ---------------------------------------------------------------------------------------

void TChildFile::pageChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    if (!current) return;
    if (current == root_) {
        // The root is no page.
        tvPages_->setCurrentItem(previous && previous != root_ ? previous : root_->child(0));
        return;
    }
    const int index = root_->indexOfChild(current);
    if (index < 0) return;
    imgTitle_->setPixmap(current->icon(0).pixmap(16, 16));
    lblTitle_->setText(current->text(0));
    if (previous && previous != root_) {
        const int old = root_->indexOfChild(previous);
        if (old >= 1 && old <= 7) lists_[static_cast<std::size_t>(old - 1)]->clearSelection();
    }
    pages_->setCurrentIndex(index);
}

void TChildFile::ShowPage(int page)
{
    if (page < 1 || page > 10) return;
    QTreeWidgetItem* node = root_->child(page - 1);
    tvPages_->setCurrentItem(node);
    tvPages_->setFocus();
}

int TChildFile::SelectedPageIndex() const
{
    QTreeWidgetItem* current = tvPages_->currentItem();
    return current ? root_->indexOfChild(current) : -1;
}

TObjectList* TChildFile::CurrentObjectList() const
{
    const int index = SelectedPageIndex();
    return index >= 1 && index <= 7 ? lists_[static_cast<std::size_t>(index - 1)] : nullptr;
}

int TChildFile::CurrentObjectCount() const
{
    const TObjectList* list = CurrentObjectList();
    return list ? list->RowCount() : 0;
}

int TChildFile::CurrentSelectedObjectCount() const
{
    const TObjectList* list = CurrentObjectList();
    return list ? list->SelectedCount() : 0;
}

// ---- Loading and copying back --------------------------------------------------------------------

void TChildFile::LoadControls()
{
    TFlagGuard loading(loading_);
    databaseListStale_ = true;
    const TDBConnection& c = file_->Connection;
    setTrueFalse(cbWindowsAuthentication_, c.WindowsAuthentication);
    if (!c.WindowsAuthentication) {
        txtUsername_->setText(c.Username);
        txtPassword_->setText(c.Password);
    }
    applyAuthenticationRule();
    cbServerName_->setEditText(c.ServerName);
    {
        // The stored name stands in the list until the server's databases are known.
        TFlagGuard filling(filling_);
        cbDatabaseName_->clear();
        if (!c.DatabaseName.isEmpty()) {
            cbDatabaseName_->addItem(c.DatabaseName);
            cbDatabaseName_->setCurrentIndex(0);
        }
    }
    for (int kind = 0; kind < TCmdFile::KindCount; ++kind) {
        TObjectList* list = lists_[static_cast<std::size_t>(kind)];
        const TDBObjects& objects = file_->Objects(kind);
        list->setUpdatesEnabled(false);
        list->clear();
        for (int i = 0; i < objects.Count(); ++i) {
            const TDBObject* o = objects.Items(i);
            list->AddObject(o->Name, o->Owner, kind);
        }
        list->SortRows();
        list->setUpdatesEnabled(true);
    }
    chkScriptSchema_->setChecked(file_->TableOptions.ScriptSchema);
    chkScriptData_->setChecked(file_->TableOptions.ScriptData);
    const auto fields = optionFields(*file_);
    for (std::size_t i = 0; i < fields.size(); ++i) setTrueFalse(optionBoxes_[i], *fields[i]);

    catalogueListsPending_ = true;
    if (isVisible()) QTimer::singleShot(0, this, [this] { RunGuarded([this] { LoadCatalogueLists(); }); });
}

void TChildFile::LoadCatalogueLists()
{
    if (!catalogueListsPending_) return;
    catalogueListsPending_ = false;
    std::exception_ptr serverError;
    {
        // The window refuses to close until this is over, and is drawn before the catalogue
        // is asked. However the lists end, loading ends with this block.
        TFlagGuard loading(loading_);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QStringList servers;
        {
            THourglass hourglass;
            try {
                ListNetworkServers(servers);
            } catch (...) {
                // The rest of the window is still filled; the error is shown at the end.
                serverError = std::current_exception();
                servers.clear();
            }
        }
        servers.append(kLocalServer);
        {
            TFlagGuard filling(filling_);
            const QString text = cbServerName_->currentText();
            FillSorted(cbServerName_, servers);
            cbServerName_->setEditText(text);
        }
        RefreshDatabases(false, cbDatabaseName_->currentText());
    }
    if (serverError) HandleApplicationException(serverError);
}

void TChildFile::UpdateCommandFile()
{
    THourglass hourglass;
    TDBConnection& c = file_->Connection;
    const QString server = cbServerName_->currentText();
    c.ServerName = server.isEmpty() ? kLocalServer : server;
    c.WindowsAuthentication = isTrue(cbWindowsAuthentication_);
    if (c.WindowsAuthentication) {
        c.Username.clear();
        c.Password.clear();
    } else {
        c.Username = txtUsername_->text();
        c.Password = txtPassword_->text();
    }
    c.DatabaseName = cbDatabaseName_->currentText();
    for (int kind = 0; kind < TCmdFile::KindCount; ++kind) {
        const TObjectList* list = lists_[static_cast<std::size_t>(kind)];
        TDBObjects& objects = file_->Objects(kind);
        objects.Clear();
        objects.Reserve(list->RowCount());
        for (int i = 0; i < list->RowCount(); ++i) {
            const QTreeWidgetItem* row = list->Row(i);
            objects.Add(std::make_unique<TDBObject>(TObjectList::Owner(row), TObjectList::Name(row)));
        }
    }
    file_->TableOptions.ScriptSchema = chkScriptSchema_->isChecked();
    file_->TableOptions.ScriptData = chkScriptData_->isChecked();
    const auto fields = optionFields(*file_);
    for (std::size_t i = 0; i < fields.size(); ++i) *fields[i] = isTrue(optionBoxes_[i]);
}

// ---- Change tracking -------------------------------------------------------------------------------

void TChildFile::changed(bool fromServer)
{
    if (filling_) return;
    SetSaved(false);
    if (fromServer) databaseListStale_ = true;
}

void TChildFile::applyAuthenticationRule()
{
    const bool windows = isTrue(cbWindowsAuthentication_);
    for (QWidget* w : std::initializer_list<QWidget*>{lblUsername_, txtUsername_, lblPassword_, txtPassword_})
        w->setEnabled(!windows);
    if (windows) {
        txtUsername_->clear();
        txtPassword_->clear();
    }
    SetSaved(false);
}

void TChildFile::checkClicked(QCheckBox* box)
{
    // One of the two always stays checked.
    if (!chkScriptSchema_->isChecked() && !chkScriptData_->isChecked()) box->setChecked(true);
    SetSaved(false);
}

void TChildFile::SetSaved(bool saved)
{
    if (loading_) return;
    saved_ = saved;
    QString caption = windowTitle();
    const QString mark = QStringLiteral(" *");
    if (saved) {
        if (caption.endsWith(mark)) caption.chop(mark.size());
    } else if (!caption.endsWith(mark)) {
        caption += mark;
    }
    if (caption != windowTitle()) setWindowTitle(caption);
}

void TChildFile::SetFilePath(const QString& path)
{
    file_->FileName = path;
    const QString name = fileNamePart(path);
    setWindowTitle(saved_ ? name : name + QStringLiteral(" *"));
}

void TChildFile::ResetOptions()
{
    for (std::size_t i = 0; i < optionBoxes_.size(); ++i) setTrueFalse(optionBoxes_[i], kOptions[i].reset);
    SetSaved(false);
}

// ---- Catalogue ---------------------------------------------------------------------------------------

std::unique_ptr<TDMOServer> TChildFile::openCatalogue()
{
    if (cbServerName_->currentText().isEmpty()) {
        // An empty box means this machine, and says so.
        TFlagGuard filling(filling_);
        cbServerName_->setEditText(kLocalServer);
    }
    return std::make_unique<TDMOServer>(cbServerName_->currentText(), isTrue(cbWindowsAuthentication_),
                                        txtUsername_->text(), txtPassword_->text());
}

void TChildFile::RefreshDatabases(bool showErrors, const QString& wanted)
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    TFlagGuard filling(filling_);
    cbDatabaseName_->clear();
    auto keepWanted = [this, &wanted] {
        if (wanted.isEmpty()) return;
        const int at = cbDatabaseName_->findText(wanted, Qt::MatchFixedString);
        if (at >= 0) {
            cbDatabaseName_->setCurrentIndex(at);
            return;
        }
        QStringList items;
        for (int i = 0; i < cbDatabaseName_->count(); ++i) items.append(cbDatabaseName_->itemText(i));
        items.append(wanted);
        FillSorted(cbDatabaseName_, items);
        cbDatabaseName_->setCurrentIndex(cbDatabaseName_->findText(wanted, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    };
    THourglass hourglass;
    try {
        QStringList databases;
        {
            std::unique_ptr<TDMOServer> server = openCatalogue();
            server->ListDatabases(databases);
        }
        databases.append(kDefaultDatabase);
        FillSorted(cbDatabaseName_, databases);
        cbDatabaseName_->setCurrentIndex(-1);
        keepWanted();
        databaseListStale_ = false;
    } catch (...) {
        cbDatabaseName_->clear();
        keepWanted();
        if (showErrors) throw;
    }
}

void TChildFile::enterDatabaseBox()
{
    if (!databaseListStale_ || loading_) return;
    RunGuarded([this] { RefreshDatabases(true, cbDatabaseName_->currentText()); });
}

void TChildFile::AddObjects()
{
    TObjectList* list = CurrentObjectList();
    if (!list) return;
    const int kind = SelectedPageIndex() - 1;
    std::unique_ptr<TDMOServer> server;
    QString database;
    {
        THourglass hourglass;
        server = openCatalogue();
        database = ResolveDatabaseName(*server, cbDatabaseName_->currentText());
    }
    if (RunAddObjectsDialog(kind, *server, *list, database, this)) SetSaved(false);
}

void TChildFile::AddAllObjects()
{
    TObjectList* list = CurrentObjectList();
    if (!list) return;
    const int kind = SelectedPageIndex() - 1;
    THourglass hourglass;
    std::unique_ptr<TDMOServer> server = openCatalogue();
    const QString database = ResolveDatabaseName(*server, cbDatabaseName_->currentText());
    QList<QPair<QString, QString>> objects = CatalogueObjects(*server, kind, database);
    server.reset();
    QList<QPair<QString, QString>> missing;
    for (const auto& pair : objects)
        if (!list->ContainsObject(pair.first, pair.second)) missing.append(pair);
    if (missing.isEmpty()) return;
    list->setUpdatesEnabled(false);
    list->clearSelection();
    QTreeWidgetItem* last = nullptr;
    for (const auto& [name, owner] : missing) {
        last = list->AddObject(name, owner, kind);
        last->setSelected(true);
    }
    list->SortRows();
    list->setCurrentItem(last, 0, QItemSelectionModel::NoUpdate);
    list->scrollToItem(last);
    list->setUpdatesEnabled(true);
    SetSaved(false);
}

void TChildFile::RemoveObjects()
{
    TObjectList* list = CurrentObjectList();
    if (!list) return;
    qDeleteAll(list->selectedItems());
    SetSaved(false);
}

void TChildFile::RemoveAllObjects()
{
    TObjectList* list = CurrentObjectList();
    if (!list) return;
    list->clear();
    SetSaved(false);
}

// ---- Saving ------------------------------------------------------------------------------------------

bool TChildFile::SaveFile()
{
    if (file_->FileName == kUntitled) return SaveFileAs();
    UpdateCommandFile();
    file_->Save();
    SetSaved(true);
    return true;
}

namespace {

// The save dialog of the window; an empty text when cancelled.
QString askSavePath(QWidget* parent, const QString& name)
{
    QFileDialog dlg(parent, QStringLiteral("Save As..."));
    dlg.setObjectName(QStringLiteral("dlgSave"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, false);
    dlg.setDefaultSuffix(QStringLiteral("qvx"));
    dlg.setNameFilters({QStringLiteral("Tavilor Files (*.qvx)"), QStringLiteral("All Files (*)")});
    if (!name.isEmpty()) dlg.selectFile(name);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
    return dlg.selectedFiles().first();
}

}  // namespace

bool TChildFile::SaveFileAs()
{
    const QString target = askSavePath(this, file_->FileName);
    if (target.isEmpty()) return false;
    SaveFileTo(target);
    return true;
}

void TChildFile::SaveFileTo(const QString& path)
{
    UpdateCommandFile();
    file_->SaveAs(path);  // raises; FileName stays then
    SetFilePath(path);
    SetSaved(true);
}

bool TChildFile::SaveCopyAs()
{
    const QString target = askSavePath(this, QString());
    if (target.isEmpty()) return false;
    SaveCopyTo(target);
    return true;
}

void TChildFile::SaveCopyTo(const QString& path)
{
    UpdateCommandFile();
    file_->SaveCopyAs(path);
}

// ---- Closing --------------------------------------------------------------------------------------------

bool TChildFile::CloseQuery()
{
    if (loading_) return false;
    if (saved_ || !VELKOptions().PromptOnClose) return true;
    const int answer = QMAppMessage(QStringLiteral("Save changes to '%1'?").arg(fileNamePart(file_->FileName)),
                                    qmtQuestion, 1, qmbYesNoCancel);
    if (answer == qmNo) return true;
    if (answer != qmYes) return false;
    bool done = false;
    try {
        done = SaveFile();
    } catch (...) {
        // A failed save keeps the window open; the error is shown here because a close may be
        // asked from inside the framework's event delivery.
        HandleApplicationException(std::current_exception());
        return false;
    }
    if (done)
        if (TShellHost* host = ShellHost()) host->AddRecentCommandFile(file_->FileName);
    return done;
}

void TChildFile::closeEvent(QCloseEvent* event)
{
    if (!CloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
}

// ---- Edit questions ------------------------------------------------------------------------------------

namespace {

struct FocusedControl {
    QLineEdit* edit = nullptr;   // a single-line edit of its own
    QComboBox* combo = nullptr;  // an editable combo box
    TObjectList* list = nullptr;
};

FocusedControl focusedControl(const QWidget* window)
{
    FocusedControl f;
    QWidget* w = QApplication::focusWidget();
    if (!w || !window->isAncestorOf(w)) return f;
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable()) f.combo = combo;
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (auto* owner = qobject_cast<QComboBox*>(edit->parentWidget()); owner && owner->isEditable())
            f.combo = owner;
        else f.edit = edit;
    } else {
        f.list = qobject_cast<TObjectList*>(w);
    }
    return f;
}

}  // namespace

bool TChildFile::CanUndo() const
{
    const FocusedControl f = focusedControl(this);
    return f.edit && f.edit->isUndoAvailable();
}

bool TChildFile::CanCutCopy() const
{
    const FocusedControl f = focusedControl(this);
    return (f.edit && f.edit->hasSelectedText()) || (f.combo && f.combo->lineEdit()->hasSelectedText());
}

bool TChildFile::CanPaste() const
{
    const FocusedControl f = focusedControl(this);
    return f.edit || f.combo;
}

bool TChildFile::CanDelete() const
{
    const FocusedControl f = focusedControl(this);
    return (f.edit && !f.edit->text().isEmpty()) || (f.combo && !f.combo->currentText().isEmpty());
}

bool TChildFile::CanSelectAll() const
{
    const FocusedControl f = focusedControl(this);
    return CanDelete() || (f.list && f.list->RowCount() > 0);
}

// ---- Menus -----------------------------------------------------------------------------------------------

void TChildFile::updateWindowActions()
{
    TShellHost* host = ShellHost();
    const bool objectPage = CurrentObjectList() != nullptr;
    for (int i = 0; i < 6; ++i) {
        const QString name = QString::fromLatin1(kActions[i].name);
        QAction* own = WindowAction(name);
        QAction* main = host ? host->FindAction(name) : nullptr;
        if (main && own->icon().isNull()) own->setIcon(main->icon());
        bool enabled = false;
        if (main) {
            enabled = main->isEnabled();
        } else if (i < 2) {
            enabled = objectPage;
        } else if (i == 2) {
            enabled = CurrentSelectedObjectCount() > 0;
        } else if (i == 3) {
            enabled = CurrentObjectCount() > 0;
        }
        own->setEnabled(enabled);
    }
}

QMenu* TChildFile::ObjectMenu()
{
    updateWindowActions();
    return popObjects_;
}

QMenu* TChildFile::OptionsMenu() { return popOptions_; }

void TChildFile::contextMenuEvent(QContextMenuEvent* event)
{
    QWidget* at = childAt(event->pos());
    QWidget* page = pages_->currentWidget();
    const bool optionPage = pages_->currentIndex() >= 8 && at && (at == page || page->isAncestorOf(at));
    QMenu* menu = optionPage ? OptionsMenu() : ObjectMenu();
    menu->popup(event->globalPos());
    event->accept();
}

// ---- Keys and focus ------------------------------------------------------------------------------------

void TChildFile::installKeyPreview()
{
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

bool TChildFile::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        // An apostrophe typed anywhere in the window is dropped.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->text() == QStringLiteral("'")) return true;
        break;
    }
    case QEvent::ShortcutOverride: {
        // F1 asks for this window's help topic, not the main window's contents.
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            key->accept();
            return true;
        }
        break;
    }
    case QEvent::FocusIn:
        if (watched == cbDatabaseName_) {
            // Coming back from another window (an error shown by the refresh itself) or from the
            // box's own list is no new entry.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) enterDatabaseBox();
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
        if (watched == watchedFrame_) TrackNormalGeometry(watchedFrame_, lastGeometry_);
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Options and placement -----------------------------------------------------------------------------

void TChildFile::ApplyOptions()
{
    placementActive_ = VELKOptions().SaveWindow;
}

void TChildFile::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    const bool first = !placementRestored_;
    restorePlacement();
    if (first) {
        // Once the frame has its size, the tree gets its width back from the first layout.
        QTimer::singleShot(0, this, [this] {
            const int total = splitter_->width() - splitter_->handleWidth();
            if (total > treeWidth_) splitter_->setSizes({treeWidth_, total - treeWidth_});
        });
    }
    if (catalogueListsPending_)
        QTimer::singleShot(0, this, [this] { RunGuarded([this] { LoadCatalogueLists(); }); });
}

QWidget* TChildFile::frame() const { return PlacementFrame(this); }

namespace {

// The window's own size, within the MDI area when that is smaller (never below the minimum), so
// that a new window's frame buttons can be reached.
QSize defaultFrameSize(QWidget* frame)
{
    QSize size(TChildFile::kDefaultWidth, TChildFile::kDefaultHeight);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame); sub && sub->mdiArea()) {
        const QSize area = sub->mdiArea()->viewport()->size();
        if (area.isValid() && !area.isEmpty()) size = size.boundedTo(area);
    }
    return size.expandedTo(QSize(TChildFile::kMinimumWidth, TChildFile::kMinimumHeight));
}

}  // namespace

void TChildFile::restorePlacement()
{
    QWidget* f = frame();
    if (!f) return;
    if (f != watchedFrame_) {
        if (watchedFrame_) watchedFrame_->removeEventFilter(this);
        watchedFrame_ = f;
        if (f != this) f->installEventFilter(this);
        f->setMinimumSize(kMinimumWidth, kMinimumHeight);
    }
    if (placementRestored_) return;
    placementRestored_ = true;
    const Hive root = QMApp().RegistryRoot;
    const QString key = storageKey();
    if (placementActive_) {
        if (TQMPlacement p{f->x(), f->y(), kDefaultWidth, kDefaultHeight}; ReadPlacement(root, key, p)) {
            f->setGeometry(p.Left, p.Top, std::max(p.Width, kMinimumWidth), std::max(p.Height, kMinimumHeight));
        } else if (f != this) {
            f->resize(defaultFrameSize(f));
        }
        for (int kind = 0; kind < TCmdFile::KindCount; ++kind) {
            TObjectList* list = lists_[static_cast<std::size_t>(kind)];
            for (int column = 0; column < 2; ++column) {
                const QString name = QStringLiteral("%1Col%2").arg(QLatin1String(kColumnKeys[kind])).arg(column);
                list->setColumnWidth(column, RegReadInteger(root, key, name, list->columnWidth(column)));
            }
        }
    } else if (f != this) {
        f->resize(defaultFrameSize(f));
    }
    lastGeometry_ = f->geometry();
}

void TChildFile::savePlacement() const
{
    if (!placementActive_ || !lastGeometry_.isValid()) return;
    const Hive root = QMApp().RegistryRoot;
    const QString key = storageKey();
    TQMRegistryBatch batch(root);
    WritePlacement(root, key, lastGeometry_);
    for (int kind = 0; kind < TCmdFile::KindCount; ++kind) {
        const TObjectList* list = lists_[static_cast<std::size_t>(kind)];
        for (int column = 0; column < 2; ++column) {
            const QString name = QStringLiteral("%1Col%2").arg(QLatin1String(kColumnKeys[kind])).arg(column);
            RegWriteInteger(root, key, name, list->columnWidth(column));
        }
    }
}

}  // namespace tavil
