// The shared part of the Find and Replace dialogs.
#include "app/script/TSearchDlg.h"

#include "app/script/TScriptSearch.h"
#include "app/support/QMApplication.h"
#include "app/support/QMRegistry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tavil {

namespace {

QString itemName(int i) { return QStringLiteral("Item%1").arg(i); }

}  // namespace

TSearchDlg::TSearchDlg(const QString& storageKey, QWidget* parent)
    : QDialog(parent), key_(QMApp().AppKey + QLatin1Char('\\') + storageKey)
{
    setWindowFlags((windowFlags() | Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);
}

TSearchDlg::~TSearchDlg() { saveStorage(); }

QString TSearchDlg::SearchText() const { return cbFind->currentText(); }
bool TSearchDlg::MatchCase() const { return chkCase->isChecked(); }
bool TSearchDlg::WholeWord() const { return chkWholeWord->isChecked(); }
bool TSearchDlg::FromCursor() const { return radFromCursor->isChecked(); }

QStringList TSearchDlg::History(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

void TSearchDlg::PushText(QComboBox* box)
{
    const QString text = box->currentText();
    QStringList items = History(box);
    PushHistory(items, text);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(0);
    box->setEditText(text);
}

QComboBox* TSearchDlg::makeHistoryBox(const QString& name)
{
    auto* box = new QComboBox(this);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setDuplicatesEnabled(true);
    box->setMinimumWidth(220);
    // Apostrophes cannot be typed into the search boxes.
    box->lineEdit()->installEventFilter(this);

    const Hive root = QMApp().RegistryRoot;
    const QString key = key_ + QLatin1Char('\\') + name;
    const int count = RegReadInteger(root, key, QStringLiteral("Count"), 0);
    QStringList items;
    for (int i = 0; i < count; ++i) {
        const QString item = RegReadString(root, key, itemName(i), QString());
        if (!item.isEmpty()) items << item;
    }
    box->addItems(items);
    box->setEditText(items.value(0));
    histories_ << box;
    return box;
}

QGroupBox* TSearchDlg::makeOptions()
{
    auto* group = new QGroupBox(QStringLiteral(" Options "), this);
    chkCase = new QCheckBox(QStringLiteral("C&ase sensitive"), group);
    chkCase->setObjectName(QStringLiteral("chkCase"));
    chkWholeWord = new QCheckBox(QStringLiteral("&Whole words only"), group);
    chkWholeWord->setObjectName(QStringLiteral("chkWholeWord"));
    auto* v = new QVBoxLayout(group);
    v->addWidget(chkCase);
    v->addWidget(chkWholeWord);
    return group;
}

QGroupBox* TSearchDlg::makeOrigin()
{
    auto* group = new QGroupBox(QStringLiteral(" Origin "), this);
    radFromCursor = new QRadioButton(QStringLiteral("From c&ursor"), group);
    radFromCursor->setObjectName(QStringLiteral("radFromCursor"));
    radEntireScope = new QRadioButton(QStringLiteral("&Entire scope"), group);
    radEntireScope->setObjectName(QStringLiteral("radEntireScope"));
    radFromCursor->setChecked(true);
    auto* v = new QVBoxLayout(group);
    v->addWidget(radFromCursor);
    v->addWidget(radEntireScope);
    return group;
}

void TSearchDlg::loadStorage()
{
    const Hive root = QMApp().RegistryRoot;
    chkCase->setChecked(RegReadBool(root, key_, QStringLiteral("chkCase"), false));
    chkWholeWord->setChecked(RegReadBool(root, key_, QStringLiteral("chkWholeWord"), false));
    const bool entire = RegReadBool(root, key_, QStringLiteral("radEntireScope"), false) &&
                        !RegReadBool(root, key_, QStringLiteral("radFromCursor"), false);
    (entire ? radEntireScope : radFromCursor)->setChecked(true);
    if (RegValueExists(root, key_, QStringLiteral("Left"))) {
        const QPoint at(RegReadInteger(root, key_, QStringLiteral("Left"), 0),
                        RegReadInteger(root, key_, QStringLiteral("Top"), 0));
        // Only a place on one of the screens; otherwise the dialog is centred on its parent.
        if (QGuiApplication::screenAt(at + QPoint(20, 20))) {
            move(at);
            place_ = at;
        }
    }
}

void TSearchDlg::saveStorage() const
{
    const Hive root = QMApp().RegistryRoot;
    TQMRegistryBatch batch(root);
    RegWriteBool(root, key_, QStringLiteral("chkCase"), chkCase->isChecked());
    RegWriteBool(root, key_, QStringLiteral("chkWholeWord"), chkWholeWord->isChecked());
    RegWriteBool(root, key_, QStringLiteral("radFromCursor"), radFromCursor->isChecked());
    RegWriteBool(root, key_, QStringLiteral("radEntireScope"), radEntireScope->isChecked());
    if (const std::optional<QPoint> at = isVisible() ? pos() : place_) {
        RegWriteInteger(root, key_, QStringLiteral("Left"), at->x());
        RegWriteInteger(root, key_, QStringLiteral("Top"), at->y());
    }
    for (const QComboBox* box : histories_) {
        const QString key = key_ + QLatin1Char('\\') + box->objectName();
        RegDeleteValues(root, key);
        const QStringList items = History(box);
        RegWriteInteger(root, key, QStringLiteral("Count"), static_cast<int>(items.size()));
        for (int i = 0; i < items.size(); ++i) RegWriteString(root, key, itemName(i), items[i]);
    }
}

bool TSearchDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->text() == QLatin1String("'"))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TSearchDlg::hideEvent(QHideEvent* event)
{
    // By the time the dialog is destroyed it is hidden, and a drag by the window system leaves no
    // mark on the widget (no WA_Moved): the position is taken here, where it is still the user's.
    place_ = pos();
    QDialog::hideEvent(event);
}

}  // namespace tavil
