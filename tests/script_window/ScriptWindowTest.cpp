// The script window driven as a user would: opening and saving, the saved mark, the close
// query, keys, the status bar, Go To, searching, transforms and insertions.
#include "ScriptTestSupport.h"

#include "app/script/TChildScript.h"
#include "app/script/TScriptEditor.h"
#include "app/shell/core/TVELKOptions.h"
#include "app/support/QMApplication.h"
#include "app/support/QMDialogKeys.h"
#include "app/support/QMRegistry.h"

#include <QClipboard>
#include <QMenu>
#include <QStatusBar>
#include <QTextBlock>
#include <QtTest>
#include <memory>

using namespace tavil;
using namespace tavil::test;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void select(QPlainTextEdit* e, int start, int length)
{
    QTextCursor c = e->textCursor();
    c.setPosition(start);
    c.setPosition(start + length, QTextCursor::KeepAnchor);
    e->setTextCursor(c);
}

std::pair<int, int> caret(TChildScript& w)
{
    int line = -1, column = -1;
    w.CaretPosition(line, column);
    return {line, column};
}

}  // namespace

class ScriptWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void newFromRunIsUntitledAndUnsaved();
    void unreadableResultLeavesEmptyWindowAndReports();
    void openedFileIsSaved();
    void unreadableFileOpensNoWindow();
    void fontChangeNeverMarksModified();
    void saveKeepsLineBreaksAndClearsMark();
    void saveAsTakesNameFromDialog();
    void failedSaveChangesNothing();
    void closeQuery_data();
    void closeQuery();
    void closeQueryKeepsWindowWhenSaveFails();
    void closeBoxAsksAndStaysOnCancel();
    void keys();
    void keysTheMainWindowAlsoUses();
    void statusPanels();
    void statusTimerRestsWhenNothingChanges();
    void displayLinesOfWrappedText();
    void goToClamps_data();
    void goToClamps();
    void findContinuesAfterSelection();
    void replaceAllAsksInTurn();
    void replaceAllCancelledShowsNoMore();
    void transformsKeepSelection();
    void insertTextSelectsIt();
    void insertFile();
    void clickOnCaretPanelRunsGoTo();
    void placementStore();
    void editQuestions();
    void popupMenuLists();

private:
    std::unique_ptr<TempStore> store_;
    std::unique_ptr<FakeHost> host_;
    std::unique_ptr<QTemporaryDir> dir_;
    QString file(const QString& name) const { return dir_->filePath(name); }
};

void ScriptWindowTest::init()
{
    store_ = std::make_unique<TempStore>();
    host_ = std::make_unique<FakeHost>();
    dir_ = std::make_unique<QTemporaryDir>();
    VELKOptions() = TVELKOptions();
    VELKOptions().DefaultScriptsPath = dir_->path();
}

void ScriptWindowTest::cleanup()
{
    host_.reset();
    store_.reset();
    dir_.reset();
}

void ScriptWindowTest::newFromRunIsUntitledAndUnsaved()
{
    writeFile(file("ScriptResult.tmp"), "CREATE TABLE t (a int)\r\nGO\r\n");
    std::unique_ptr<TChildScript> w(TChildScript::NewScriptWindow(file("ScriptResult.tmp")));
    QCOMPARE(w->windowTitle(), QStringLiteral("Untitled *"));
    QCOMPARE(w->FilePath(), QStringLiteral("Untitled"));
    QVERIFY(w->IsModified());
    QCOMPARE(w->Editor()->toPlainText(), QStringLiteral("CREATE TABLE t (a int)\nGO\n"));
    QCOMPARE(w->StatusText(4), QString());
    QCOMPARE(w->FileFormat().LineBreak, QStringLiteral("\r\n"));
}

void ScriptWindowTest::unreadableResultLeavesEmptyWindowAndReports()
{
    ModalAnswerer answers;
    const QString missing = file("gone/ScriptResult.tmp");
    std::unique_ptr<TChildScript> w(TChildScript::NewScriptWindow(missing));
    QVERIFY(w->Editor()->document()->isEmpty());
    QCOMPARE(w->windowTitle(), QStringLiteral("Untitled *"));
    QTRY_COMPARE(answers.errors.size(), 1);
    QCOMPARE(answers.errors[0], QStringLiteral("Error reading script from temporary file '%1'.").arg(missing));
    QVERIFY(!answers.errorDetails[0].isEmpty());
}

void ScriptWindowTest::openedFileIsSaved()
{
    writeFile(file("orders.sql"), "SELECT 1\nGO\n");
    std::unique_ptr<TChildScript> w(TChildScript::OpenScriptWindow(file("orders.sql")));
    QCOMPARE(w->windowTitle(), QStringLiteral("orders.sql"));
    QVERIFY(!w->IsModified());
    QCOMPARE(w->StatusText(4), file("orders.sql"));
    QCOMPARE(w->Editor()->toPlainText(), QStringLiteral("SELECT 1\nGO\n"));
}

void ScriptWindowTest::unreadableFileOpensNoWindow()
{
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("folder.sql")));
    for (const QString& path : {file("folder.sql"), file("missing.sql")}) {
        try {
            delete TChildScript::OpenScriptWindow(path);
            QFAIL("no error");
        } catch (const EQMException& e) {
            QCOMPARE(e.Message, QStringLiteral("Error reading script file '%1'.").arg(path));
            QCOMPARE(int(e.Severity), int(EQMException::Warning));
            QVERIFY(!e.Details.isEmpty());
        }
    }
    const QWidgetList tops = QApplication::topLevelWidgets();
    QVERIFY(std::none_of(tops.begin(), tops.end(), [](QWidget* w) { return qobject_cast<TChildScript*>(w); }));
}

void ScriptWindowTest::fontChangeNeverMarksModified()
{
    writeFile(file("a.sql"), "SELECT 1");
    std::unique_ptr<TChildScript> w(TChildScript::OpenScriptWindow(file("a.sql")));
    w->show();
    VELKOptions().EditorFontName = QStringLiteral("Monospace");
    VELKOptions().EditorFontSize = 14;
    w->ApplyOptions();
    QCOMPARE(w->Editor()->font().pointSize(), 14);
    QVERIFY(!w->IsModified());
    QCOMPARE(w->windowTitle(), QStringLiteral("a.sql"));
}

void ScriptWindowTest::saveKeepsLineBreaksAndClearsMark()
{
    writeFile(file("crlf.sql"), "SELECT 1\r\nGO\r\n");
    std::unique_ptr<TChildScript> w(TChildScript::OpenScriptWindow(file("crlf.sql")));
    w->show();
    w->Editor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->Editor(), QStringLiteral("PRINT 'x'"));
    QCOMPARE(w->windowTitle(), QStringLiteral("crlf.sql *"));
    QVERIFY(w->SaveScript());
    QCOMPARE(w->windowTitle(), QStringLiteral("crlf.sql"));
    QVERIFY(!w->IsModified());
    QCOMPARE(readFile(file("crlf.sql")), QByteArray("SELECT 1\r\nGO\r\nPRINT 'x'"));
}

void ScriptWindowTest::saveAsTakesNameFromDialog()
{
    writeFile(file("ScriptResult.tmp"), "GO\r\n");
    std::unique_ptr<TChildScript> w(TChildScript::NewScriptWindow(file("ScriptResult.tmp")));
    {
        ModalAnswerer cancel;
        QVERIFY(!w->SaveScriptAs());
        QCOMPARE(cancel.fileDialogTitles, QStringList{QStringLiteral("Save Script...")});
        QCOMPARE(cancel.fileDialogNames, QStringList{QStringLiteral("Untitled")});
        QCOMPARE(cancel.fileDialogFolders, QStringList{QDir(dir_->path()).absolutePath()});
        QVERIFY(w->IsModified());
    }
    ModalAnswerer answers;
    answers.files.push_back(file("new"));
    QVERIFY(w->SaveScriptAs());
    // The default extension is added to a name without one.
    QCOMPARE(w->FilePath(), file("new.sql"));
    QCOMPARE(w->windowTitle(), QStringLiteral("new.sql"));
    QCOMPARE(w->StatusText(4), file("new.sql"));
    QVERIFY(!w->IsModified());
    QCOMPARE(readFile(file("new.sql")), QByteArray("GO\r\n"));
}

void ScriptWindowTest::failedSaveChangesNothing()
{
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("sub")));
    const QString path = dir_->filePath(QStringLiteral("sub/a.sql"));
    writeFile(path, "SELECT 1");
    std::unique_ptr<TChildScript> w(TChildScript::OpenScriptWindow(path));
    w->Editor()->appendPlainText(QStringLiteral("GO"));
    QVERIFY(QDir(dir_->filePath(QStringLiteral("sub"))).removeRecursively());
    try {
        w->SaveScript();
        QFAIL("no error");
    } catch (const EQMException& e) {
        QCOMPARE(e.Message, QStringLiteral("Error saving script."));
        QCOMPARE(int(e.Severity), int(EQMException::Warning));
        QVERIFY(!e.Details.isEmpty());
    }
    QVERIFY(w->IsModified());
    QCOMPARE(w->windowTitle(), QStringLiteral("a.sql *"));
    QCOMPARE(w->FilePath(), path);
}

void ScriptWindowTest::closeQuery_data()
{
    QTest::addColumn<bool>("untitled");
    QTest::addColumn<bool>("prompt");
    QTest::addColumn<int>("button");  // 1 Yes, 2 No, 3 Cancel, 0 closed without a button
    QTest::addColumn<QString>("saveAs");  // file chosen in the Save dialog, empty: cancelled
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("questions");

    QTest::newRow("yes saves a named script") << false << true << 1 << "" << true << 1;
    QTest::newRow("yes on untitled, dialog cancelled") << true << true << 1 << "" << false << 1;
    QTest::newRow("yes on untitled, saved as") << true << true << 1 << "kept.sql" << true << 1;
    QTest::newRow("no") << true << true << 2 << "" << true << 1;
    QTest::newRow("cancel") << true << true << 3 << "" << false << 1;
    QTest::newRow("closed without a button") << false << true << 0 << "" << false << 1;
    QTest::newRow("prompting off") << true << false << 0 << "" << true << 0;
}

void ScriptWindowTest::closeQuery()
{
    QFETCH(bool, untitled);
    QFETCH(bool, prompt);
    QFETCH(int, button);
    QFETCH(QString, saveAs);
    QFETCH(bool, closes);
    QFETCH(int, questions);

    VELKOptions().PromptOnClose = prompt;
    writeFile(file("named.sql"), "SELECT 1");
    std::unique_ptr<TChildScript> w(untitled ? TChildScript::NewScriptWindow(file("named.sql"))
                                             : TChildScript::OpenScriptWindow(file("named.sql")));
    w->Editor()->appendPlainText(QStringLiteral("GO"));
    ModalAnswerer answers;
    if (button) answers.buttons.push_back(button);
    if (!saveAs.isEmpty()) answers.files.push_back(file(saveAs));
    QCOMPARE(w->CloseQuery(), closes);
    QCOMPARE(answers.questions.size(), questions);
    if (questions)
        QCOMPARE(answers.questions[0],
                 QStringLiteral("Save changes to '%1'?").arg(untitled ? QStringLiteral("Untitled") : QStringLiteral("named.sql")));
    const bool saved = button == 1 && closes;
    QCOMPARE(!w->IsModified(), saved);
    if (saved) {
        const QString target = untitled ? file(saveAs) : file("named.sql");
        QCOMPARE(readFile(target), QByteArray("SELECT 1\nGO"));
        QCOMPARE(host_->recentScripts, QStringList{target});
    } else {
        QVERIFY(host_->recentScripts.isEmpty());
    }
}

void ScriptWindowTest::closeQueryKeepsWindowWhenSaveFails()
{
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("sub")));
    const QString path = dir_->filePath(QStringLiteral("sub/a.sql"));
    writeFile(path, "x");
    std::unique_ptr<TChildScript> w(TChildScript::OpenScriptWindow(path));
    w->Editor()->appendPlainText(QStringLiteral("y"));
    QVERIFY(QDir(dir_->filePath(QStringLiteral("sub"))).removeRecursively());
    ModalAnswerer answers;
    answers.buttons.push_back(1);
    QVERIFY(!w->CloseQuery());
    QCOMPARE(answers.errors, QStringList{QStringLiteral("Error saving script.")});
    QVERIFY(w->IsModified());
    QVERIFY(host_->recentScripts.isEmpty());
}

void ScriptWindowTest::closeBoxAsksAndStaysOnCancel()
{
    writeFile(file("a.sql"), "x");
    TChildScript* window = TChildScript::OpenScriptWindow(file("a.sql"));
    QPointer<TChildScript> alive(window);
    window->show();
    window->Editor()->appendPlainText(QStringLiteral("y"));
    {
        ModalAnswerer answers;
        answers.buttons.push_back(3);
        QVERIFY(!window->close());
        QCOMPARE(answers.questions.size(), 1);
    }
    QVERIFY(alive);
    QVERIFY(window->isVisible());
    ModalAnswerer answers;
    answers.buttons.push_back(2);
    QVERIFY(window->close());
    // A closed window is destroyed.
    QTRY_VERIFY(!alive);
}

void ScriptWindowTest::keys()
{
    std::unique_ptr<TChildScript> w(new TChildScript);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    TScriptEditor* e = w->Editor();
    e->setFocus();
    QTest::keyClicks(e, QStringLiteral("ab"));
    QTest::keyClick(e, Qt::Key_Tab);
    QTest::keyClick(e, Qt::Key_Escape);
    for (int key : {Qt::Key_E, Qt::Key_I, Qt::Key_J, Qt::Key_L, Qt::Key_M, Qt::Key_R})
        QTest::keyClick(e, key, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(w->isVisible());
    QCOMPARE(e->toPlainText(), QStringLiteral("ab\t"));

    // Copy and paste still work.
    e->selectAll();
    QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ab\t"));
    e->moveCursor(QTextCursor::End);
    QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(e->toPlainText(), QStringLiteral("ab\tab\t"));

    // Insert switches to overwriting.
    e->moveCursor(QTextCursor::Start);
    QTest::keyClick(e, Qt::Key_Insert);
    w->UpdateStatus();
    QCOMPARE(w->StatusText(1), QStringLiteral("OVR"));
    QTest::keyClicks(e, QStringLiteral("X"));
    QCOMPARE(e->toPlainText(), QStringLiteral("Xb\tab\t"));
    QTest::keyClick(e, Qt::Key_Insert);
    w->UpdateStatus();
    QCOMPARE(w->StatusText(1), QStringLiteral("INS"));
}

void ScriptWindowTest::keysTheMainWindowAlsoUses()
{
    // The main window has F1 (help contents) and Insert (Add) as shortcuts; in the editor they are
    // the script window's help topic and the overwrite switch.
    QWidget frame;
    auto* w = new TChildScript(&frame);
    QAction help(&frame), add(&frame);
    help.setShortcut(QKeySequence(Qt::Key_F1));
    add.setShortcut(QKeySequence(Qt::Key_Insert));
    frame.addAction(&help);
    frame.addAction(&add);
    QSignalSpy helpRuns(&help, &QAction::triggered), addRuns(&add, &QAction::triggered);
    QList<int> contexts;
    SetHelpHook([&](int context, QWidget*) { contexts << context; });
    frame.resize(500, 300);
    frame.show();
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    w->Editor()->setFocus();
    QTest::keyClick(w->Editor(), Qt::Key_F1);
    QTest::keyClick(w->Editor(), Qt::Key_Insert);
    SetHelpHook({});
    QCOMPARE(contexts, QList<int>{TChildScript::kHelpContext});
    QVERIFY(w->Editor()->overwriteMode());
    QCOMPARE(helpRuns.count(), 0);
    QCOMPARE(addRuns.count(), 0);
}

void ScriptWindowTest::statusPanels()
{
    std::unique_ptr<TChildScript> w(new TChildScript);
    w->Editor()->setPlainText(QStringLiteral("line one\nline two\nline three"));
    w->Editor()->moveCursor(QTextCursor::Start);
    w->UpdateStatus();
    QCOMPARE(w->StatusText(0), QStringLiteral("Ln 1 - Col 1"));
    w->GoToPosition(2, 4);
    w->UpdateStatus();
    QCOMPARE(w->StatusText(0), QStringLiteral("Ln 3 - Col 5"));
    // The caret is the start of the selection.
    select(w->Editor(), 9, 8);
    w->UpdateStatus();
    QCOMPARE(w->StatusText(0), QStringLiteral("Ln 2 - Col 1"));
    // Offscreen, the display server tells no lock state.
    QCOMPARE(w->StatusText(2), QString());
    QCOMPARE(w->StatusText(3), QString());
}

void ScriptWindowTest::statusTimerRestsWhenNothingChanges()
{
    std::unique_ptr<TChildScript> w(new TChildScript);
    w->show();
    QCOMPARE(w->StatusInterval(), TChildScript::kStatusInterval);
    for (int i = 0; i < TChildScript::kQuietTicks; ++i) w->UpdateStatus();
    QCOMPARE(w->StatusInterval(), TChildScript::kQuietInterval);
    // A key wakes it; so does a caret moved by the program.
    QTest::keyClick(w->Editor(), Qt::Key_A);
    QCOMPARE(w->StatusInterval(), TChildScript::kStatusInterval);
    for (int i = 0; i < TChildScript::kQuietTicks; ++i) w->UpdateStatus();
    w->GoToPosition(0, 0);
    QCOMPARE(w->StatusInterval(), TChildScript::kStatusInterval);
    w->UpdateStatus();
    QCOMPARE(w->StatusText(0), QStringLiteral("Ln 1 - Col 1"));
}

void ScriptWindowTest::displayLinesOfWrappedText()
{
    std::unique_ptr<TChildScript> w(new TChildScript);
    w->resize(260, 200);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QString longLine;
    for (int i = 0; i < 30; ++i) longLine += QStringLiteral("word%1 ").arg(i);
    w->Editor()->setPlainText(longLine + QStringLiteral("\nshort"));
    QApplication::processEvents();
    const QTextBlock first = w->Editor()->document()->firstBlock();
    const int wrapped = first.layout()->lineCount();
    QVERIFY(wrapped > 2);

    // The second block starts after the wrapped lines of the first.
    w->GoToPosition(wrapped, 3);
    QCOMPARE(caret(*w), std::make_pair(wrapped, 3));
    QCOMPARE(w->Editor()->textCursor().position(), first.length() + 3);

    // A display line inside the wrapped block, and a column past its end stays on that line.
    w->GoToPosition(1, 2);
    QCOMPARE(caret(*w), std::make_pair(1, 2));
    QCOMPARE(w->Editor()->textCursor().position(), first.layout()->lineAt(1).textStart() + 2);
    w->GoToPosition(1, 500);
    QCOMPARE(caret(*w).first, 1);
    w->UpdateStatus();
    QCOMPARE(w->StatusText(0).left(5), QStringLiteral("Ln 2 "));
}

void ScriptWindowTest::goToClamps_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("position");
    // "abc\nde\n\nxyz\n": lines 0..4, the last one empty after the final break.
    QTest::newRow("line 0") << 0 << 0 << 0;
    QTest::newRow("negative line and column") << -7 << -3 << 0;
    QTest::newRow("column past the end") << 1 << 50 << 6;
    QTest::newRow("empty line") << 2 << 4 << 7;
    QTest::newRow("inside a line") << 3 << 1 << 9;
    QTest::newRow("huge line is the empty last line") << 9999998 << 3 << 12;
}

void ScriptWindowTest::goToClamps()
{
    QFETCH(int, line);
    QFETCH(int, column);
    QFETCH(int, position);
    TChildScript w;
    w.Editor()->setPlainText(QStringLiteral("abc\nde\n\nxyz\n"));
    select(w.Editor(), 1, 2);
    w.GoToPosition(line, column);
    QCOMPARE(w.Editor()->textCursor().position(), position);
    QVERIFY(!w.Editor()->textCursor().hasSelection());
}

void ScriptWindowTest::findContinuesAfterSelection()
{
    TChildScript w;
    w.Editor()->setPlainText(QStringLiteral("GO\nselect 1\nGO\nselect 2\nGO"));
    select(w.Editor(), 12, 0);  // the caret on "select 2", no selection
    // Entire scope with nothing selected starts at the top, before the caret.
    QVERIFY(w.FindText(QStringLiteral("go"), false, true, false));
    QCOMPARE(w.Editor()->textCursor().selectionStart(), 0);
    // A found occurrence stays selected: the next search continues after it, whatever the origin.
    QVERIFY(w.FindText(QStringLiteral("go"), false, true, false));
    QCOMPARE(w.Editor()->textCursor().selectionStart(), 12);
    QVERIFY(w.FindText(QStringLiteral("go"), false, true, true));
    QCOMPARE(w.Editor()->textCursor().selectionStart(), 24);
    QCOMPARE(w.Editor()->textCursor().selectedText(), QStringLiteral("GO"));
    // No wrap-around; the selection stays where it was.
    QVERIFY(!w.FindText(QStringLiteral("go"), false, true, false));
    QCOMPARE(w.Editor()->textCursor().selectionStart(), 24);
    // Case and whole words.
    select(w.Editor(), 0, 0);
    QVERIFY(!w.FindText(QStringLiteral("go"), true, false, false));
    QVERIFY(!w.FindText(QStringLiteral("elect"), false, true, false));
}

void ScriptWindowTest::replaceAllAsksInTurn()
{
    writeFile(file("five.sql"), "t t t t t");
    std::unique_ptr<TChildScript> w(TChildScript::OpenScriptWindow(file("five.sql")));
    host_->active = w.get();
    ModalAnswerer answers;
    answers.buttons = {1, 2, 4};  // Yes, No, All
    try {
        host_->ReplaceAllInScript(QStringLiteral("t"), QStringLiteral("tt"), false, false, false);
        QFAIL("the walk ends with the not-found report");
    } catch (const EQMException& e) {
        QCOMPARE(e.Message, QStringLiteral("Search string 't' not found."));
        QCOMPARE(int(e.Severity), int(EQMException::Information));
    }
    QCOMPARE(w->Editor()->toPlainText(), QStringLiteral("tt t tt tt tt"));
    QCOMPARE(answers.questions, QStringList(3, QStringLiteral("Replace this occurrence of 't'?")));
    QVERIFY(w->IsModified());
    // The replacements after All are one undo step.
    w->Editor()->undo();
    QCOMPARE(w->Editor()->toPlainText(), QStringLiteral("tt t t t t"));
}

void ScriptWindowTest::replaceAllCancelledShowsNoMore()
{
    TChildScript w;
    w.Editor()->setPlainText(QStringLiteral("a a a a"));
    ModalAnswerer answers;
    answers.buttons = {1, 1, 3};
    QVERIFY(w.ReplaceAll(QStringLiteral("a"), QStringLiteral("b"), false, false, false));
    QCOMPARE(w.Editor()->toPlainText(), QStringLiteral("b b a a"));

    // Replace once: No keeps the text and leaves the occurrence selected.
    answers.buttons = {2};
    select(w.Editor(), 0, 0);
    QVERIFY(w.ReplaceOnce(QStringLiteral("a"), QStringLiteral("z"), false, false, true));
    QCOMPARE(w.Editor()->toPlainText(), QStringLiteral("b b a a"));
    QCOMPARE(w.Editor()->textCursor().selectionStart(), 4);
    QCOMPARE(answers.questions.size(), 4);
}

void ScriptWindowTest::transformsKeepSelection()
{
    writeFile(file("t.sql"), "select * from orders");
    std::unique_ptr<TChildScript> w(TChildScript::OpenScriptWindow(file("t.sql")));
    select(w->Editor(), 9, 11);
    w->ToUpperCase();
    QCOMPARE(w->Editor()->toPlainText(), QStringLiteral("select * FROM ORDERS"));
    QCOMPARE(w->Editor()->textCursor().selectionStart(), 9);
    QCOMPARE(w->Editor()->textCursor().selectedText(), QStringLiteral("FROM ORDERS"));
    QVERIFY(w->IsModified());

    // Without a selection the whole script; an unchanged text still counts as a change.
    w->SaveScript();
    w->Editor()->moveCursor(QTextCursor::Start);
    w->ToggleCase();
    QCOMPARE(w->Editor()->toPlainText(), QStringLiteral("SELECT * from orders"));
    QVERIFY(!w->Editor()->textCursor().hasSelection());
    w->SaveScript();
    w->ToUpperCase();
    w->ToUpperCase();
    QCOMPARE(w->Editor()->toPlainText(), QStringLiteral("SELECT * FROM ORDERS"));
    QVERIFY(w->IsModified());
    select(w->Editor(), 0, 20);
    w->ToTitleCase();
    QCOMPARE(w->Editor()->toPlainText(), QStringLiteral("Select * From Orders"));
    w->ToLowerCase();
    QCOMPARE(w->Editor()->textCursor().selectedText(), QStringLiteral("select * from orders"));
}

void ScriptWindowTest::insertTextSelectsIt()
{
    TChildScript w;
    w.Editor()->setPlainText(QStringLiteral("-- at XX"));
    select(w.Editor(), 6, 2);
    w.InsertText(QStringLiteral("05/03/2002"));
    QCOMPARE(w.Editor()->toPlainText(), QStringLiteral("-- at 05/03/2002"));
    QCOMPARE(w.Editor()->textCursor().selectionStart(), 6);
    QCOMPARE(w.Editor()->textCursor().selectedText(), QStringLiteral("05/03/2002"));
}

void ScriptWindowTest::insertFile()
{
    writeFile(file("part.sql"), "a\nb");
    TChildScript w;
    w.Editor()->setPlainText(QStringLiteral("[]"));
    select(w.Editor(), 1, 0);
    w.InsertFileContents(file("part.sql"));
    // Every line ends with a break, the last one too; the caret ends after the insertion.
    QCOMPARE(w.Editor()->toPlainText(), QStringLiteral("[a\nb\n]"));
    QCOMPARE(w.Editor()->textCursor().position(), 5);

    try {
        w.InsertFileContents(file("missing.sql"));
        QFAIL("no error");
    } catch (const EQMException& e) {
        QCOMPARE(e.Message, QStringLiteral("Unable to insert file '%1'.").arg(file("missing.sql")));
        QVERIFY(!e.Details.isEmpty());
    }
    QCOMPARE(w.Editor()->toPlainText(), QStringLiteral("[a\nb\n]"));

    // Through the dialog, cancelled and then confirmed.
    {
        ModalAnswerer cancel;
        w.InsertFile();
        QCOMPARE(cancel.fileDialogTitles, QStringList{QStringLiteral("Insert File...")});
    }
    QCOMPARE(w.Editor()->toPlainText(), QStringLiteral("[a\nb\n]"));
    ModalAnswerer answers;
    answers.files.push_back(file("part.sql"));
    w.Editor()->moveCursor(QTextCursor::End);
    w.InsertFile();
    QCOMPARE(w.Editor()->toPlainText(), QStringLiteral("[a\nb\n]a\nb\n"));
}

void ScriptWindowTest::clickOnCaretPanelRunsGoTo()
{
    std::unique_ptr<TChildScript> w(new TChildScript);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QAction* goTo = host_->actions.value(QStringLiteral("actEditGoTo"));
    QSignalSpy runs(goTo, &QAction::triggered);
    auto* panel = w->StatusBar()->findChild<QLabel*>(QStringLiteral("pPanel0"));
    QVERIFY(panel);
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(10, 5));
    QCOMPARE(runs.count(), 1);
    // The bar's top two pixels, the next panel, the right button: nothing.
    QTest::mouseClick(w->StatusBar(), Qt::LeftButton, {}, QPoint(panel->x() + 10, 1));
    QTest::mouseClick(w->StatusBar()->findChild<QLabel*>(QStringLiteral("pPanel1")), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(panel, Qt::RightButton, {}, QPoint(10, 5));
    QCOMPARE(runs.count(), 1);
    goTo->setEnabled(false);
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(10, 5));
    QCOMPARE(runs.count(), 1);
}

void ScriptWindowTest::placementStore()
{
    const Hive root = QMApp().RegistryRoot;
    const QString key = QMApp().AppKey + QStringLiteral("\\ScriptStorage");
    {
        TChildScript w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(420, 230);
        QApplication::processEvents();
    }
    QCOMPARE(RegReadInteger(root, key, QStringLiteral("Width"), 0), 420);
    QCOMPARE(RegReadInteger(root, key, QStringLiteral("Height"), 0), 230);
    {
        TChildScript w;
        w.show();
        QCOMPARE(w.size(), QSize(420, 230));
    }
    // With SaveWindow off nothing is read or written.
    VELKOptions().SaveWindow = false;
    {
        TChildScript w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.size(), QSize(TChildScript::kDefaultWidth, TChildScript::kDefaultHeight));
        w.resize(300, 150);
        QApplication::processEvents();
    }
    QCOMPARE(RegReadInteger(root, key, QStringLiteral("Width"), 0), 420);
}

void ScriptWindowTest::editQuestions()
{
    std::unique_ptr<TChildScript> w(new TChildScript);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    w->Editor()->setFocus();
    QVERIFY(w->CanPaste());
    QVERIFY(!w->CanDelete() && !w->CanSelectAll() && !w->CanUndo() && !w->CanCutCopy());
    QTest::keyClicks(w->Editor(), QStringLiteral("ab"));
    QVERIFY(w->CanDelete() && w->CanSelectAll() && w->CanUndo());
    QVERIFY(!w->CanCutCopy());
    w->Editor()->selectAll();
    QVERIFY(w->CanCutCopy());
    w->Editor()->clearFocus();
    QVERIFY(!w->CanCutCopy() && !w->CanPaste() && !w->CanDelete() && !w->CanUndo());
}

void ScriptWindowTest::popupMenuLists()
{
    std::unique_ptr<TChildScript> w(new TChildScript);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QStringList items;
    QTimer::singleShot(50, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* a : menu->actions()) items << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
            menu->close();
        }
    });
    emit w->Editor()->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(items, (QStringList{"actEditUndo", "-", "actEditCut", "actEditCopy", "actEditPaste", "-", "actEditDelete",
                                 "actEditSelectAll", "-", "actEditFind", "actEditFindNext", "actEditReplace", "-",
                                 "actEditGoTo", "-", "actScriptSave"}));
}

QTEST_MAIN(ScriptWindowTest)
#include "ScriptWindowTest.moc"
