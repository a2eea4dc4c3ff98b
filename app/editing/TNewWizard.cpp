// The new command-file wizard: its steps, the connection, the object steps and Finish.
#include "app/editing/TNewWizard.h"

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
#include "app/support/QMApplication.h"
#include "app/support/QMDialogKeys.h"
#include "app/support/QMTools.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace tavil {

namespace {

struct StepHeader {
    const char* title;
    const char* description;
};

const StepHeader kHeaders[10] = {
    {nullptr, nullptr},
    {"Choose SQL Server and Database", "Please select from where do you want to generate your scripts."},
    {"Choose Tables", "Please select the tables you want to script."},
    {"Choose Views", "Please select the views you want to script."},
    {"Choose Stored Procedures", "Please select the stored procedures you want to script."},
    {"Choose Defaults and Rules", "Please select the defaults and rules you want to script."},
    {"Choose User Defined Data Types and Functions",
     "Please select the user defined data types and functions you want to script."},
    {"Formatting", "Please specify the formatting options to use in this command file."},
    {"Advanced Options", "Please specify additional options for this command file."},
    {nullptr, nullptr},
};

struct ObjectStepTexts {
    const char* available;  // %1: the database
    const char* chosen;
};

const ObjectStepTexts kObjectSteps[5] = {
    {"&Tables in %1:", "Tables to be &scripted:"},
    {"&Views in %1:", "Views to be &scripted:"},
    {"S&tored Procs. in %1:", "Stored Procs. to be &scripted:"},
    {"&Objects in %1:", "Objects to be &scripted:"},
    {"&Objects in %1:", "Objects to be &scripted:"},
};

// Captions of the option check boxes, in the order of the command file's fields.
const char* const kOptionCaptions[14] = {
    "Generate the C&REATE <object> command for each object",
    "Generate the &DROP <object> command for each object",
    "Generate script for &all dependent objects",
    "Include descriptive &headers in script files",
    "Include e&xtended properties",
    "Only script SQL Server &7.0 compatible features",
    "Script database &users and roles",
    "Script S&QL Server logins (Windows and SQL Server logins)",
    "Script &object level permissions",
    "Script inde&xes",
    "Script fu&ll-text indexes",
    "Script &triggers",
    "Script &PRIMARY, FOREIGN, DEFAULT and CHECK constraints",
    "Include column names in &INSERT commands",
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

QLabel* boldLabel(const QString& text, int pointSize, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    if (pointSize > 0) f.setPointSize(pointSize);
    label->setFont(f);
    label->setWordWrap(true);
    return label;
}

// The picture beside the first and last steps, as tall as the step.
class TWizardBanner : public QWidget {
public:
    explicit TWizardBanner(QWidget* parent) : QWidget(parent)
    {
        setFixedWidth(164);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        PaintWizardPicture(p, rect());
    }
};

QWidget* wizardParent(QWidget* parent)
{
    if (parent) return parent->window();
    if (TShellHost* host = ShellHost()) return host->MainWidget();
    return nullptr;
}

}  // namespace

TNewWizard::TNewWizard(QWidget* parent)
    : QDialog(wizardParent(parent), Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("TNewWizard"));
    setWindowTitle(QStringLiteral("New File Wizard"));
    if (!QMApp().DialogFont.isEmpty()) {
        QFont f(QMApp().DialogFont);
        f.setPointSize(8);
        setFont(f);
    }

    // Header: bold title, indented description, picture on the right, on the window colour.
    pHeader_ = new QWidget(this);
    pHeader_->setObjectName(QStringLiteral("pHeader"));
    pHeader_->setAutoFillBackground(true);
    pHeader_->setBackgroundRole(QPalette::Base);
    pHeader_->setFixedHeight(60);
    lblHeaderTitle_ = boldLabel(QString(), 0, pHeader_);
    lblHeaderTitle_->setObjectName(QStringLiteral("lblHeaderTitle"));
    lblHeaderDescription_ = new QLabel(pHeader_);
    lblHeaderDescription_->setObjectName(QStringLiteral("lblHeaderDescription"));
    lblHeaderDescription_->setWordWrap(true);
    auto* headerPicture = new QLabel(pHeader_);
    headerPicture->setPixmap(WizardHeaderPicture());
    auto* headerText = new QVBoxLayout;
    headerText->setSpacing(2);
    headerText->addWidget(lblHeaderTitle_);
    auto* indented = new QHBoxLayout;
    indented->setContentsMargins(16, 0, 0, 0);
    indented->addWidget(lblHeaderDescription_);
    headerText->addLayout(indented);
    headerText->addStretch(1);
    auto* headerLayout = new QHBoxLayout(pHeader_);
    headerLayout->setContentsMargins(14, 8, 8, 4);
    headerLayout->addLayout(headerText, 1);
    headerLayout->addWidget(headerPicture, 0, Qt::AlignTop);
    auto* headerLine = new QFrame(this);
    headerLine->setObjectName(QStringLiteral("lineHeader"));
    headerLine->setFrameShape(QFrame::HLine);
    headerLine->setFrameShadow(QFrame::Sunken);

    steps_ = new QStackedWidget(this);
    steps_->setObjectName(QStringLiteral("pSteps"));
    steps_->setAutoFillBackground(true);
    steps_->addWidget(buildWelcome(false));
    steps_->addWidget(buildSource());
    for (int step = 2; step <= 6; ++step) steps_->addWidget(buildObjectStep(step));
    steps_->addWidget(buildOptions(false));
    steps_->addWidget(buildOptions(true));
    steps_->addWidget(buildWelcome(true));

    cmdBack_ = new QPushButton(QStringLiteral("< &Back"), this);
    cmdBack_->setObjectName(QStringLiteral("cmdBack"));
    cmdNext_ = new QPushButton(QStringLiteral("&Next >"), this);
    cmdNext_->setObjectName(QStringLiteral("cmdNext"));
    cmdCancel_ = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    for (QPushButton* b : {cmdBack_, cmdNext_, cmdCancel_}) {
        b->setFixedWidth(80);
        b->setAutoDefault(false);
    }
    cmdNext_->setDefault(true);
    auto* bottomLine = new QFrame(this);
    bottomLine->setFrameShape(QFrame::HLine);
    bottomLine->setFrameShadow(QFrame::Sunken);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(10, 6, 10, 10);
    buttons->setSpacing(0);
    buttons->addStretch(1);
    buttons->addWidget(cmdBack_);
    buttons->addWidget(cmdNext_);
    buttons->addSpacing(10);
    buttons->addWidget(cmdCancel_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pHeader_);
    layout->addWidget(headerLine);
    layout->addWidget(steps_, 1);
    layout->addWidget(bottomLine);
    layout->addLayout(buttons);
    lineHeader_ = headerLine;

    connect(cmdBack_, &QPushButton::clicked, this, &TNewWizard::Back);
    connect(cmdNext_, &QPushButton::clicked, this, &TNewWizard::Next);
    connect(cmdCancel_, &QPushButton::clicked, this, [this] { close(); });

    setFixedSize(kWidth, kHeight);
    TQMDialogKeys::Install(this, kHelpContext);
    showStep(0);
}

TNewWizard::~TNewWizard() = default;

QWidget* TNewWizard::buildWelcome(bool last)
{
    auto* page = new QWidget;
    page->setObjectName(last ? QStringLiteral("pFinish") : QStringLiteral("pWelcome"));
    auto* picture = new TWizardBanner(page);
    auto* title = boldLabel(last ? QStringLiteral("Completing the New File Wizard")
                                 : QStringLiteral("Welcome to the New File Wizard"),
                            12, page);
    auto* text1 = new QLabel(last ? QStringLiteral("You have successfully completed the New File Wizard.")
                                  : QStringLiteral("This wizard helps you create a new Tavilor command file."),
                             page);
    auto* text2 = new QLabel(last ? QStringLiteral("To close this wizard, press Finish.")
                                  : QStringLiteral("To continue, click Next."),
                             page);
    text1->setWordWrap(true);
    text2->setWordWrap(true);
    auto* texts = new QVBoxLayout;
    texts->setContentsMargins(16, 16, 16, 16);
    texts->setSpacing(14);
    texts->addWidget(title);
    texts->addWidget(text1);
    texts->addStretch(1);
    texts->addWidget(text2);
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(picture);
    layout->addLayout(texts, 1);
    return page;
}

QWidget* TNewWizard::buildSource()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("pSource"));
    auto* group = new QGroupBox(QStringLiteral(" Source "), page);
    auto* intro = new QLabel(
        QStringLiteral("To connect to Microsoft SQL Server, you must specify the server, user name, and password."), group);
    intro->setWordWrap(true);

    cbServer_ = new QComboBox(group);
    cbServer_->setObjectName(QStringLiteral("cbServer"));
    cbServer_->setEditable(true);
    cbServer_->setInsertPolicy(QComboBox::NoInsert);
    radWindows_ = new QRadioButton(QStringLiteral("Use &Windows authentication"), group);
    radWindows_->setObjectName(QStringLiteral("radWindows"));
    radSql_ = new QRadioButton(QStringLiteral("Use S&QL Server authentication"), group);
    radSql_->setObjectName(QStringLiteral("radSql"));
    radWindows_->setChecked(true);
    txtUsername_ = new QLineEdit(group);
    txtUsername_->setObjectName(QStringLiteral("txtUsername"));
    txtPassword_ = new QLineEdit(group);
    txtPassword_->setObjectName(QStringLiteral("txtPassword"));
    MakeStarPasswordEdit(txtPassword_);
    cbDatabase_ = new QComboBox(group);
    cbDatabase_->setObjectName(QStringLiteral("cbDatabase"));
    cbDatabase_->setEditable(false);
    cmdRefresh_ = new QPushButton(QStringLiteral("&Refresh"), group);
    cmdRefresh_->setObjectName(QStringLiteral("cmdRefresh"));
    cmdRefresh_->setAutoDefault(false);

    auto* lblServer = new QLabel(QStringLiteral("&Server:"), group);
    lblServer->setBuddy(cbServer_);
    lblUsername_ = new QLabel(QStringLiteral("&Username:"), group);
    lblUsername_->setBuddy(txtUsername_);
    lblPassword_ = new QLabel(QStringLiteral("&Password:"), group);
    lblPassword_->setBuddy(txtPassword_);
    auto* lblDatabase = new QLabel(QStringLiteral("&Database:"), group);
    lblDatabase->setBuddy(cbDatabase_);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(5);
    grid->addWidget(lblServer, 0, 0);
    grid->addWidget(cbServer_, 0, 1, 1, 2);
    grid->addWidget(radWindows_, 1, 1, 1, 2);
    grid->addWidget(radSql_, 2, 1, 1, 2);
    auto* credentials = new QGridLayout;
    credentials->setContentsMargins(20, 0, 0, 0);
    credentials->setHorizontalSpacing(8);
    credentials->addWidget(lblUsername_, 0, 0);
    credentials->addWidget(txtUsername_, 0, 1);
    credentials->addWidget(lblPassword_, 1, 0);
    credentials->addWidget(txtPassword_, 1, 1);
    grid->addLayout(credentials, 3, 1, 1, 2);
    grid->addWidget(lblDatabase, 4, 0);
    grid->addWidget(cbDatabase_, 4, 1);
    grid->addWidget(cmdRefresh_, 4, 2);
    grid->setColumnStretch(1, 1);

    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->setContentsMargins(12, 10, 12, 10);
    groupLayout->setSpacing(10);
    groupLayout->addWidget(intro);
    groupLayout->addLayout(grid);
    groupLayout->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(14, 10, 14, 8);
    layout->addWidget(group);

    auto setCredentials = [this] {
        const bool sql = radSql_->isChecked();
        for (QWidget* w : std::initializer_list<QWidget*>{lblUsername_, txtUsername_, lblPassword_, txtPassword_})
            w->setEnabled(sql);
    };
    setCredentials();
    connect(radWindows_, &QRadioButton::toggled, this, setCredentials);
    connect(cbServer_, &QComboBox::editTextChanged, this, [this] {
        if (!filling_) connectionStale_ = true;
    });
    connect(cbDatabase_, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_) markObjectStepsNotLoaded();
    });
    connect(cmdRefresh_, &QPushButton::clicked, this, [this] { RunGuarded([this] { ConnectWizard(); }); });
    cbDatabase_->installEventFilter(this);
    return page;
}

QWidget* TNewWizard::buildObjectStep(int step)
{
    ObjectStep& s = objectSteps_[static_cast<std::size_t>(step - 2)];
    const ObjectStepTexts& t = kObjectSteps[step - 2];
    const bool twoKinds = step >= 5;
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("pStep%1").arg(step));
    s.pattern = QString::fromLatin1(t.available);
    s.available = new TObjectList(QStringLiteral("Object"), 120, 60, page, twoKinds);
    s.available->setObjectName(QStringLiteral("lvAvailable%1").arg(step));
    s.chosen = new TObjectList(QStringLiteral("Object"), 120, 60, page, twoKinds);
    s.chosen->setObjectName(QStringLiteral("lvChosen%1").arg(step));
    s.available->FitNameColumn();
    s.chosen->FitNameColumn();
    s.availableLabel = new QLabel(s.pattern.arg(QString()), page);
    s.availableLabel->setBuddy(s.available);
    s.chosenLabel = new QLabel(QString::fromLatin1(t.chosen), page);
    s.chosenLabel->setBuddy(s.chosen);
    auto button = [page](const QString& text) {
        auto* b = new QPushButton(text, page);
        b->setAutoDefault(false);
        b->setFixedWidth(96);
        return b;
    };
    s.addAll = button(QStringLiteral("A&dd All >>"));
    s.add = button(QStringLiteral("&Add >"));
    s.remove = button(QStringLiteral("< &Remove"));
    s.removeAll = button(QStringLiteral("<< R&emove All"));

    auto* moves = new QVBoxLayout;
    moves->addStretch(1);
    for (QPushButton* b : {s.addAll, s.add, s.remove, s.removeAll}) moves->addWidget(b);
    moves->addStretch(1);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    grid->addWidget(s.availableLabel, 0, 0);
    grid->addWidget(s.chosenLabel, 0, 2);
    grid->addWidget(s.available, 1, 0);
    grid->addLayout(moves, 1, 1);
    grid->addWidget(s.chosen, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(14, 8, 14, 6);
    layout->setSpacing(6);
    layout->addLayout(grid, 1);
    if (step == 2) {
        auto* group = new QGroupBox(QStringLiteral(" Options "), page);
        chkSchema_ = new QCheckBox(QStringLiteral("Script sc&hema"), group);
        chkSchema_->setObjectName(QStringLiteral("chkSchema"));
        chkData_ = new QCheckBox(QStringLiteral("Script &data"), group);
        chkData_->setObjectName(QStringLiteral("chkData"));
        const TCmdFile defaults;
        chkSchema_->setChecked(defaults.TableOptions.ScriptSchema);
        chkData_->setChecked(defaults.TableOptions.ScriptData);
        auto* row = new QHBoxLayout(group);
        row->setContentsMargins(10, 4, 10, 4);
        row->setSpacing(20);
        row->addWidget(chkSchema_);
        row->addWidget(chkData_);
        row->addStretch(1);
        layout->addWidget(group);
        connect(chkSchema_, &QCheckBox::clicked, this, [this] { checkClicked(chkSchema_); });
        connect(chkData_, &QCheckBox::clicked, this, [this] { checkClicked(chkData_); });
    }

    connect(s.add, &QPushButton::clicked, this, [this, step] { AddSelected(step); });
    connect(s.addAll, &QPushButton::clicked, this, [this, step] { AddAll(step); });
    connect(s.remove, &QPushButton::clicked, this, [this, step] { RemoveSelected(step); });
    connect(s.removeAll, &QPushButton::clicked, this, [this, step] { RemoveAll(step); });
    connect(s.available, &QTreeWidget::itemSelectionChanged, this, &TNewWizard::UpdateButtons);
    connect(s.chosen, &QTreeWidget::itemSelectionChanged, this, &TNewWizard::UpdateButtons);
    connect(s.available, &QTreeWidget::itemDoubleClicked, this, [this, step] { AddSelected(step); });
    connect(s.chosen, &QTreeWidget::itemDoubleClicked, this, [this, step] { RemoveSelected(step); });
    return page;
}

QWidget* TNewWizard::buildOptions(bool advanced)
{
    auto* page = new QWidget;
    page->setObjectName(advanced ? QStringLiteral("pAdvanced") : QStringLiteral("pFormatting"));
    const TCmdFile defaults;
    const auto initial = optionFields(const_cast<TCmdFile&>(defaults));
    auto makeBox = [&](int i, QWidget* parent) {
        auto* box = new QCheckBox(QString::fromLatin1(kOptionCaptions[i]), parent);
        box->setObjectName(QStringLiteral("chkOption%1").arg(i));
        box->setChecked(*initial[static_cast<std::size_t>(i)]);
        options_[static_cast<std::size_t>(i)] = box;
        return box;
    };
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(14, 10, 14, 8);
    layout->setSpacing(8);
    if (!advanced) {
        auto* group = new QGroupBox(QStringLiteral(" Script Formatting Options "), page);
        auto* v = new QVBoxLayout(group);
        v->setContentsMargins(12, 8, 12, 8);
        v->setSpacing(5);
        auto* intro =
            new QLabel(QStringLiteral("Scripting options allow you to specify how an object will be scripted."), group);
        intro->setWordWrap(true);
        v->addWidget(intro);
        v->addSpacing(4);
        for (int i = 0; i < 6; ++i) v->addWidget(makeBox(i, group));
        v->addStretch(1);
        layout->addWidget(group);
    } else {
        // The group's title is the program's own text, spelling included.
        auto* security = new QGroupBox(QStringLiteral(" Secutiry Scripting Options "), page);
        auto* v1 = new QVBoxLayout(security);
        v1->setContentsMargins(12, 6, 12, 6);
        v1->setSpacing(3);
        for (int i = 6; i < 9; ++i) v1->addWidget(makeBox(i, security));
        auto* table = new QGroupBox(QStringLiteral(" Table Scripting Options "), page);
        auto* v2 = new QVBoxLayout(table);
        v2->setContentsMargins(12, 6, 12, 6);
        v2->setSpacing(3);
        for (int i = 9; i < 14; ++i) v2->addWidget(makeBox(i, table));
        layout->addWidget(security);
        layout->addWidget(table);
        layout->addStretch(1);
    }
    return page;
}

QWidget* TNewWizard::StepPage(int step) const { return steps_->widget(step); }

bool TNewWizard::StepLoaded(int step) const
{
    return step >= 2 && step <= 6 && objectSteps_[static_cast<std::size_t>(step - 2)].loaded;
}

// ---- Steps -----------------------------------------------------------------------------------

void TNewWizard::GoToStep(int i)
{
    if (i < 0 || i >= kStepCount) return;
    if (i > step_ && step_ == 1 && connectionStale_) ConnectWizard();
    prepareStep(i);
    showStep(i);
}

void TNewWizard::Next()
{
    RunGuarded([this] {
        if (finishing_) return;
        if (step_ == kStepCount - 1) Finish();
        else GoToStep(step_ + 1);
    });
}

void TNewWizard::Back()
{
    RunGuarded([this] {
        if (finishing_ || step_ == 0) return;
        GoToStep(step_ - 1);
    });
}

void TNewWizard::prepareStep(int i)
{
    if (i == 1) prepareSource();
    else if (i >= 2 && i <= 6 && !objectSteps_[static_cast<std::size_t>(i - 2)].loaded) loadObjectStep(i);
}

void TNewWizard::prepareSource()
{
    if (sourcePrepared_) return;
    QStringList servers;
    {
        THourglass hourglass;
        ListNetworkServers(servers);  // raises; the step is prepared again at the next arrival
    }
    servers.append(kLocalServer);
    TFlagGuard filling(filling_);
    FillSorted(cbServer_, servers);
    cbServer_->setCurrentIndex(cbServer_->findText(kLocalServer, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    cbServer_->setEditText(kLocalServer);
    cbDatabase_->clear();
    cbDatabase_->addItem(kDefaultDatabase);
    cbDatabase_->setCurrentIndex(0);
    sourcePrepared_ = true;
}

void TNewWizard::ConnectWizard()
{
    THourglass hourglass;
    if (cbServer_->currentText().isEmpty()) {
        TFlagGuard filling(filling_);
        cbServer_->setEditText(kLocalServer);
    }
    connection_.reset();
    auto server = std::make_unique<TDMOServer>(cbServer_->currentText(), radWindows_->isChecked(),
                                               txtUsername_->text(), txtPassword_->text());
    QStringList databases;
    server->ListDatabases(databases);
    databases.append(kDefaultDatabase);
    connection_ = std::move(server);
    {
        TFlagGuard filling(filling_);
        FillSorted(cbDatabase_, databases);
        cbDatabase_->setCurrentIndex(cbDatabase_->findText(kDefaultDatabase, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    }
    connectionStale_ = false;
    // Whatever the object steps hold came from the connection before this one.
    markObjectStepsNotLoaded();
}

void TNewWizard::markObjectStepsNotLoaded()
{
    for (ObjectStep& s : objectSteps_) s.loaded = false;
}

void TNewWizard::loadObjectStep(int step)
{
    ObjectStep& s = objectSteps_[static_cast<std::size_t>(step - 2)];
    if (!connection_) ConnectWizard();
    THourglass hourglass;
    s.available->setUpdatesEnabled(false);
    s.chosen->setUpdatesEnabled(false);
    struct Restore {
        ObjectStep& s;
        ~Restore()
        {
            s.available->setUpdatesEnabled(true);
            s.chosen->setUpdatesEnabled(true);
        }
    } restore{s};
    s.available->clear();
    s.chosen->clear();
    if (step == 2) databaseName_ = ResolveDatabaseName(*connection_, cbDatabase_->currentText());
    s.availableLabel->setText(s.pattern.arg(databaseName_));
    QList<int> kinds;
    switch (step) {
    case 2: kinds = {TCmdFile::KindTables}; break;
    case 3: kinds = {TCmdFile::KindViews}; break;
    case 4: kinds = {TCmdFile::KindStoredProcs}; break;
    case 5: kinds = {TCmdFile::KindDefaults, TCmdFile::KindRules}; break;
    default:
        kinds = {TCmdFile::KindTypes};
        if (ServerVersionMajor(*connection_) > 7) kinds.append(TCmdFile::KindFunctions);
        break;
    }
    for (int kind : kinds)
        for (const auto& [name, owner] : CatalogueObjects(*connection_, kind, databaseName_))
            s.available->AddObject(name, owner, kind);
    s.available->SortRows();
    s.loaded = true;
}

void TNewWizard::showStep(int i)
{
    const bool framed = i >= 1 && i <= 8;
    pHeader_->setVisible(framed);
    lineHeader_->setVisible(framed);
    if (framed) {
        lblHeaderTitle_->setText(QString::fromLatin1(kHeaders[i].title));
        lblHeaderDescription_->setText(QString::fromLatin1(kHeaders[i].description));
    }
    steps_->setBackgroundRole(framed ? QPalette::Window : QPalette::Base);
    cmdNext_->setText(i == kStepCount - 1 ? QStringLiteral("&Finish") : QStringLiteral("&Next >"));
    steps_->setCurrentIndex(i);
    step_ = i;
    if (i == 1) cbServer_->setFocus();
    else if (i >= 2 && i <= 6) objectSteps_[static_cast<std::size_t>(i - 2)].available->setFocus();
    else if (i == 7) options_[0]->setFocus();
    else if (i == 8) options_[6]->setFocus();
    else cmdNext_->setFocus();
    UpdateButtons();
}

void TNewWizard::UpdateButtons()
{
    cmdCancel_->setEnabled(!finishing_);
    cmdNext_->setEnabled(!finishing_);
    cmdBack_->setEnabled(cmdCancel_->isEnabled() && step_ > 0);
    for (ObjectStep& s : objectSteps_) {
        s.add->setEnabled(s.available->SelectedCount() > 0);
        s.addAll->setEnabled(s.available->RowCount() > 0);
        s.remove->setEnabled(s.chosen->SelectedCount() > 0);
        s.removeAll->setEnabled(s.chosen->RowCount() > 0);
    }
}

// ---- Moving rows ---------------------------------------------------------------------------------

void TNewWizard::AddSelected(int step)
{
    if (step < 2 || step > 6) return;
    ObjectStep& s = objectSteps_[static_cast<std::size_t>(step - 2)];
    UpdateButtons();
    if (!s.add->isEnabled()) return;
    MoveSelectedRows(s.available, s.chosen);
    UpdateButtons();
}

void TNewWizard::AddAll(int step)
{
    if (step < 2 || step > 6) return;
    ObjectStep& s = objectSteps_[static_cast<std::size_t>(step - 2)];
    UpdateButtons();
    if (!s.addAll->isEnabled()) return;
    s.available->selectAll();
    AddSelected(step);
}

void TNewWizard::RemoveSelected(int step)
{
    if (step < 2 || step > 6) return;
    ObjectStep& s = objectSteps_[static_cast<std::size_t>(step - 2)];
    UpdateButtons();
    if (!s.remove->isEnabled()) return;
    MoveSelectedRows(s.chosen, s.available);
    UpdateButtons();
}

void TNewWizard::RemoveAll(int step)
{
    if (step < 2 || step > 6) return;
    ObjectStep& s = objectSteps_[static_cast<std::size_t>(step - 2)];
    UpdateButtons();
    if (!s.removeAll->isEnabled()) return;
    s.chosen->selectAll();
    RemoveSelected(step);
}

void TNewWizard::checkClicked(QCheckBox* box)
{
    if (!chkSchema_->isChecked() && !chkData_->isChecked()) box->setChecked(true);
}

// ---- Finish and closing --------------------------------------------------------------------------

void TNewWizard::Finish()
{
    finishing_ = true;
    UpdateButtons();
    try {
        auto file = std::make_unique<TCmdFile>();
        TDBConnection& c = file->Connection;
        c.ServerName = cbServer_->currentText();
        c.WindowsAuthentication = radWindows_->isChecked();
        if (!c.WindowsAuthentication) {
            c.Username = txtUsername_->text();
            c.Password = txtPassword_->text();
        }
        c.DatabaseName = databaseName_;
        for (int step = 2; step <= 6; ++step) {
            const TObjectList* chosen = objectSteps_[static_cast<std::size_t>(step - 2)].chosen;
            for (int i = 0; i < chosen->RowCount(); ++i) {
                const QTreeWidgetItem* row = chosen->Row(i);
                const int image = TObjectList::Kind(row);
                int kind = step - 2;
                if (step == 5) kind = image == TCmdFile::KindDefaults ? TCmdFile::KindDefaults : TCmdFile::KindRules;
                else if (step == 6) kind = image == TCmdFile::KindTypes ? TCmdFile::KindTypes : TCmdFile::KindFunctions;
                file->Objects(kind).Add(std::make_unique<TDBObject>(TObjectList::Owner(row), TObjectList::Name(row)));
            }
        }
        file->TableOptions.ScriptSchema = chkSchema_->isChecked();
        file->TableOptions.ScriptData = chkData_->isChecked();
        const auto fields = optionFields(*file);
        for (std::size_t i = 0; i < fields.size(); ++i) *fields[i] = options_[i]->isChecked();
        result_ = std::move(file);
    } catch (...) {
        // The wizard stays usable after a failed Finish.
        finishing_ = false;
        UpdateButtons();
        throw;
    }
    finished_ = true;
    accept();
}

std::unique_ptr<TCmdFile> TNewWizard::TakeResult()
{
    if (!finished_) return nullptr;
    return std::move(result_);
}

bool TNewWizard::CloseQuery()
{
    if (finished_ || !VELKOptions().PromptOnClose) return true;
    const int answer = QMAppMessage(QStringLiteral("Are you sure that you want to close the %1?").arg(QStringLiteral("New File Wizard")),
                                    qmtQuestion, 2, qmbYesNo);
    return answer == qmYes;
}

void TNewWizard::reject()
{
    if (finishing_ && !finished_) return;
    if (!CloseQuery()) return;
    QDialog::reject();
}

bool TNewWizard::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cbDatabase_ && event->type() == QEvent::FocusIn && connectionStale_) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            RunGuarded([this] { ConnectWizard(); });
    }
    return QDialog::eventFilter(watched, event);
}

std::unique_ptr<TCmdFile> RunNewWizard(QWidget* owner)
{
    TNewWizard wizard(owner);
    wizard.exec();
    return wizard.TakeResult();
}

}  // namespace tavil
