// The Find, Replace, Go To and Insert Date/Time dialogs through their controls, and the entry
// points the main window calls.
#include "ScriptTestSupport.h"

#include "app/script/TChildScript.h"
#include "app/script/TFindDlg.h"
#include "app/script/TGoToDlg.h"
#include "app/script/TReplaceDlg.h"
#include "app/script/TScriptDialogs.h"
#include "app/script/TScriptEditor.h"
#include "app/script/TSelDateTime.h"
#include "app/script/TTextTransforms.h"
#include "app/shell/core/TVELKOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>
#include <memory>
#include <optional>

using namespace tavil;
using namespace tavil::test;

namespace {

QStringList historyOf(const QComboBox* box) { return TSearchDlg::History(box); }

// Types into a spin box as a user would: the old text selected and replaced.
void typeInto(QSpinBox* box, const QString& text)
{
    auto* edit = box->findChild<QLineEdit*>();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

void typeInto(QComboBox* box, const QString& text)
{
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), text);
}

// Moves a shown dialog as a drag by the user does: through its window, not QWidget::move.
// Returns where it went, or nothing if the move did not arrive the way a drag does.
std::optional<QPoint> dragBy(QWidget* dialog, QPoint offset)
{
    const QPoint to = dialog->pos() + offset;
    dialog->windowHandle()->setFramePosition(to);
    if (!QTest::qWaitFor([&] { return dialog->pos() == to; }) || dialog->testAttribute(Qt::WA_Moved)) return {};
    return to;
}

}  // namespace

class ScriptDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void findNextBeforeAnySearchOpensFind();
    void findDialogSearchesActiveWindow();
    void findButtonFollowsFindCommand();
    void findHistoryAndOptionsAreKept();
    void apostrophesCannotBeTyped();
    void replaceAllThroughDialog();
    void replaceDialogNeedsBothTexts();
    void goToDialog();
    void dateTimeDialog();

private:
    std::unique_ptr<TempStore> store_;
    std::unique_ptr<FakeHost> host_;
    std::unique_ptr<TChildScript> script_;
};

void ScriptDialogsTest::init()
{
    store_ = std::make_unique<TempStore>();
    host_ = std::make_unique<FakeHost>();
    VELKOptions() = TVELKOptions();
    SearchState() = TSearchState();
    script_ = std::make_unique<TChildScript>();
    script_->Editor()->setPlainText(QStringLiteral("GO\nselect 1\nGO\nselect 2\nGO"));
    host_->active = script_.get();
}

void ScriptDialogsTest::cleanup()
{
    delete TFindDlg::Instance();
    script_.reset();
    host_.reset();
    store_.reset();
}

void ScriptDialogsTest::findNextBeforeAnySearchOpensFind()
{
    QVERIFY(!TFindDlg::Instance());
    FindNext();
    TFindDlg* dlg = TFindDlg::Instance();
    QVERIFY(dlg && dlg->isVisible());
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Find..."));
    QCOMPARE(dlg->parentWidget(), host_->MainWidget());
    // One instance: showing it again brings the same one.
    ShowFindDialog();
    QCOMPARE(TFindDlg::Instance(), dlg);
    // Cancel closes and destroys it.
    dlg->cmdCancel->click();
    QTRY_VERIFY(!TFindDlg::Instance());
}

void ScriptDialogsTest::findDialogSearchesActiveWindow()
{
    ModalAnswerer answers;
    TFindDlg* dlg = TFindDlg::ShowInstance();
    typeInto(dlg->cbFind, QStringLiteral("go"));
    dlg->radEntireScope->setChecked(true);
    QTextCursor c = script_->Editor()->textCursor();
    c.setPosition(12);
    script_->Editor()->setTextCursor(c);

    dlg->cmdFindNext->click();
    QCOMPARE(script_->Editor()->textCursor().selectionStart(), 0);
    QCOMPARE(SearchState().SearchText, QStringLiteral("go"));
    QVERIFY(!SearchState().SearchMatchCase);
    dlg->cmdFindNext->click();
    QCOMPARE(script_->Editor()->textCursor().selectionStart(), 12);

    // Find Next (F3) repeats the search from the caret with the remembered state.
    FindNext();
    QCOMPARE(script_->Editor()->textCursor().selectionStart(), 24);
    dlg->cmdFindNext->click();
    QTRY_COMPARE(answers.errors, QStringList{QStringLiteral("Search string 'go' not found.")});
    QVERIFY(dlg->isVisible());
    try {
        FindNext();
        QFAIL("no error");
    } catch (const EQMException& e) {
        QCOMPARE(e.Message, QStringLiteral("Search string 'go' not found."));
        QCOMPARE(int(e.Severity), int(EQMException::Information));
    }
    // The search follows whichever script window is active.
    TChildScript other;
    other.Editor()->setPlainText(QStringLiteral("x GO"));
    host_->active = &other;
    dlg->cmdFindNext->click();
    QCOMPARE(other.Editor()->textCursor().selectionStart(), 2);
}

void ScriptDialogsTest::findButtonFollowsFindCommand()
{
    QAction* find = host_->actions.value(QStringLiteral("actEditFind"));
    TFindDlg* dlg = TFindDlg::ShowInstance();
    typeInto(dlg->cbFind, QString());
    QVERIFY(!dlg->cmdFindNext->isEnabled());
    typeInto(dlg->cbFind, QStringLiteral("x"));
    QVERIFY(dlg->cmdFindNext->isEnabled());
    find->setEnabled(false);
    QVERIFY(!dlg->cmdFindNext->isEnabled());
    find->setEnabled(true);
    QVERIFY(dlg->cmdFindNext->isEnabled());
}

void ScriptDialogsTest::findHistoryAndOptionsAreKept()
{
    ModalAnswerer answers;
    std::optional<QPoint> moved;
    {
        TFindDlg* dlg = TFindDlg::ShowInstance();
        for (const char* text : {"orders", "select", "ORDERS"}) {
            typeInto(dlg->cbFind, QString::fromLatin1(text));
            dlg->cmdFindNext->click();
        }
        QCOMPARE(historyOf(dlg->cbFind), (QStringList{QStringLiteral("ORDERS"), QStringLiteral("select")}));
        dlg->chkCase->setChecked(true);
        dlg->radEntireScope->setChecked(true);
        moved = dragBy(dlg, QPoint(7, 5));
        QVERIFY(moved);
        dlg->close();
    }
    QTRY_VERIFY(!TFindDlg::Instance());
    TFindDlg* again = TFindDlg::ShowInstance();
    QCOMPARE(historyOf(again->cbFind), (QStringList{QStringLiteral("ORDERS"), QStringLiteral("select")}));
    QCOMPARE(again->cbFind->currentText(), QStringLiteral("ORDERS"));
    QVERIFY(again->chkCase->isChecked());
    QVERIFY(!again->chkWholeWord->isChecked());
    QVERIFY(again->radEntireScope->isChecked());
    QCOMPARE(again->pos(), *moved);

    // The Replace dialog keeps a history and a position of its own and leaves the search state
    // alone.
    std::optional<QPoint> replaceMoved;
    answers.handlers.push_back([&replaceMoved](QDialog* d) {
        auto* r = qobject_cast<TReplaceDlg*>(d);
        QVERIFY(r);
        QVERIFY(!r->chkCase->isChecked());
        QCOMPARE(historyOf(r->cbFind), QStringList());
        typeInto(r->cbFind, QStringLiteral("select"));
        typeInto(r->cbReplace, QStringLiteral("SELECT"));
        replaceMoved = dragBy(r, QPoint(-9, 13));
        r->cmdReplace->click();
    });
    answers.buttons.push_back(1);
    const TSearchState before = SearchState();
    RunReplaceDialog();
    QCOMPARE(SearchState().SearchText, before.SearchText);
    QCOMPARE(SearchState().SearchMatchCase, before.SearchMatchCase);
    QVERIFY(replaceMoved);
    answers.handlers.push_back([&replaceMoved](QDialog* d) {
        auto* r = qobject_cast<TReplaceDlg*>(d);
        QCOMPARE(historyOf(r->cbFind), QStringList{QStringLiteral("select")});
        QCOMPARE(historyOf(r->cbReplace), QStringList{QStringLiteral("SELECT")});
        QCOMPARE(r->pos(), *replaceMoved);
        r->cmdCancel->click();
    });
    RunReplaceDialog();
    QVERIFY(answers.handlers.empty());
}

void ScriptDialogsTest::apostrophesCannotBeTyped()
{
    TFindDlg* dlg = TFindDlg::ShowInstance();
    typeInto(dlg->cbFind, QStringLiteral("it's"));
    QCOMPARE(dlg->cbFind->currentText(), QStringLiteral("its"));
}

void ScriptDialogsTest::replaceAllThroughDialog()
{
    script_->Editor()->setPlainText(QStringLiteral("x x x x x"));
    ModalAnswerer answers;
    answers.handlers.push_back([](QDialog* d) {
        auto* r = qobject_cast<TReplaceDlg*>(d);
        QCOMPARE(r->windowTitle(), QStringLiteral("Replace..."));
        typeInto(r->cbFind, QStringLiteral("x"));
        typeInto(r->cbReplace, QStringLiteral("yy"));
        r->radEntireScope->setChecked(true);
        r->cmdReplaceAll->click();
    });
    answers.buttons = {1, 2, 4};
    try {
        RunReplaceDialog();
        QFAIL("the walk ends with the not-found report");
    } catch (const EQMException& e) {
        QCOMPARE(e.Message, QStringLiteral("Search string 'x' not found."));
    }
    QCOMPARE(script_->Editor()->toPlainText(), QStringLiteral("yy x yy yy yy"));
    QCOMPARE(answers.questions.size(), 3);
}

void ScriptDialogsTest::replaceDialogNeedsBothTexts()
{
    TReplaceDlg dlg(host_->MainWidget());
    typeInto(dlg.cbFind, QStringLiteral("a"));
    QVERIFY(!dlg.cmdReplace->isEnabled() && !dlg.cmdReplaceAll->isEnabled());
    typeInto(dlg.cbReplace, QStringLiteral("b"));
    QVERIFY(dlg.cmdReplace->isEnabled() && dlg.cmdReplaceAll->isEnabled());
    host_->actions.value(QStringLiteral("actEditReplace"))->setEnabled(false);
    QVERIFY(!dlg.cmdReplace->isEnabled());
}

void ScriptDialogsTest::goToDialog()
{
    ModalAnswerer answers;
    // Opened at line 3, column 5 (from 1); the Line box emptied and Enter pressed.
    answers.handlers.push_back([](QDialog* d) {
        auto* g = qobject_cast<TGoToDlg*>(d);
        QCOMPARE(g->txtLine->text(), QStringLiteral("3"));
        QCOMPARE(g->txtColumn->text(), QStringLiteral("5"));
        g->txtLine->setFocus();
        typeInto(g->txtLine, QString());
        QTest::keyClick(g->txtLine->findChild<QLineEdit*>(), Qt::Key_Return);
    });
    int line = 2, column = 4;
    QVERIFY(RunGoToDialog(line, column));
    QCOMPARE(line, 0);
    QCOMPARE(column, 4);

    // Leaving a box corrects it; a huge number is the maximum.
    answers.handlers.push_back([](QDialog* d) {
        auto* g = qobject_cast<TGoToDlg*>(d);
        // Focus moves between the boxes only in the active window.
        g->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(g));
        g->txtLine->setFocus();
        typeInto(g->txtLine, QStringLiteral("0"));
        g->txtColumn->setFocus();
        QCOMPARE(g->txtLine->text(), QStringLiteral("1"));
        typeInto(g->txtColumn, QStringLiteral("123456789012"));
        g->cmdOK->click();
    });
    QVERIFY(RunGoToDialog(line, column));
    QCOMPARE(line, 0);
    QCOMPARE(column, TGoToSpinBox::kMaximum - 1);

    answers.handlers.push_back([](QDialog* d) { qobject_cast<TGoToDlg*>(d)->cmdCancel->click(); });
    line = 7;
    QVERIFY(!RunGoToDialog(line, column));
    QCOMPARE(line, 7);
}

void ScriptDialogsTest::dateTimeDialog()
{
    ModalAnswerer answers;
    answers.handlers.push_back([](QDialog* d) {
        auto* t = qobject_cast<TSelDateTime*>(d);
        QCOMPARE(t->windowTitle(), QStringLiteral("Insert Date/Time..."));
        QCOMPARE(t->lstFormats->count(), kDateTimeFormatCount);
        QCOMPARE(t->Entry(), 0);
        t->lstFormats->clearSelection();
        QVERIFY(!t->cmdOK->isEnabled());
        t->lstFormats->setCurrentRow(2);
        QVERIFY(t->cmdOK->isEnabled());
        t->cmdOK->click();
    });
    const QString text = RunDateTimeDialog();
    QCOMPARE(text, FormatDateTimeEntry(QDateTime::currentDateTime(), 2, QLocale::system()));

    answers.handlers.push_back([](QDialog* d) { qobject_cast<TSelDateTime*>(d)->cmdCancel->click(); });
    QCOMPARE(RunDateTimeDialog(), QString());

    // A double click on an entry acts as OK.
    answers.handlers.push_back([](QDialog* d) {
        auto* t = qobject_cast<TSelDateTime*>(d);
        t->lstFormats->setCurrentRow(1);
        emit t->lstFormats->itemDoubleClicked(t->lstFormats->item(1));
    });
    QCOMPARE(RunDateTimeDialog(), FormatDateTimeEntry(QDateTime::currentDateTime(), 1, QLocale::system()));
}

QTEST_MAIN(ScriptDialogsTest)
#include "ScriptDialogsTest.moc"
