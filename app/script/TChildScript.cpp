// The script window: loading and saving, change tracking, the status bar, the close query, the
// placement store, and the editor operations the main window forwards.
#include "app/script/TChildScript.h"

#include "app/script/TKeyboardLocks.h"
#include "app/script/TScriptEditor.h"
#include "app/script/TScriptSearch.h"
#include "app/script/TTextTransforms.h"
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
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextDocumentLayout>
#include <QPointer>
#include <QStatusBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>
#include <QVBoxLayout>
#include <exception>

namespace tavil {

const char* const TChildScript::kStorageKey = "ScriptStorage";

namespace {

const QString kUntitled = QStringLiteral("Untitled");

constexpr int kPanelWidths[5] = {100, 40, 40, 40, 50};

QString fileNamePart(const QString& path) { return QFileInfo(path).fileName(); }

QString storageKey() { return QMApp().AppKey + QLatin1Char('\\') + QLatin1String(TChildScript::kStorageKey); }

bool hasLineBreak(const QString& text)
{
    for (const QChar c : text)
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator) return true;
    return false;
}

// A search over the editor's document block by block, so that a search of a large script reads
// one line at a time instead of copying the whole text.
qsizetype findInDocument(const QTextDocument& doc, const QString& pattern, qsizetype from, TFindOptions options)
{
    if (pattern.isEmpty()) return -1;
    if (hasLineBreak(pattern)) return FindInText(doc.toPlainText(), pattern, from, options);
    for (QTextBlock b = doc.findBlock(static_cast<int>(std::max<qsizetype>(from, 0))); b.isValid(); b = b.next()) {
        const qsizetype local = std::max<qsizetype>(0, from - b.position());
        const qsizetype at = FindInText(b.text(), pattern, local, options);
        if (at >= 0) return b.position() + at;
    }
    return -1;
}

class TEditorSubject : public TSearchSubject {
public:
    explicit TEditorSubject(QPlainTextEdit* editor) : editor_(editor), cursor_(editor->textCursor()) {}

    qsizetype SelectionStart() const override { return cursor_.selectionStart(); }
    qsizetype SelectionLength() const override { return cursor_.selectionEnd() - cursor_.selectionStart(); }
    qsizetype Find(const QString& pattern, qsizetype from, TFindOptions options) const override
    {
        return findInDocument(*editor_->document(), pattern, from, options);
    }
    void Select(qsizetype start, qsizetype length) override
    {
        cursor_.setPosition(static_cast<int>(start));
        cursor_.setPosition(static_cast<int>(start + length), QTextCursor::KeepAnchor);
        if (!batch_) show();
    }
    void ReplaceSelection(const QString& text) override
    {
        cursor_.insertText(text);
        if (!batch_) show();
    }
    void BeginBatch() override
    {
        batch_ = true;
        cursor_.beginEditBlock();
    }
    void EndBatch() override
    {
        cursor_.endEditBlock();
        batch_ = false;
        show();
    }

private:
    void show()
    {
        // A found text out of sight comes to the middle of the editor, with lines around it.
        const bool inSight = editor_->viewport()->rect().contains(editor_->cursorRect(cursor_));
        editor_->setTextCursor(cursor_);
        if (!inSight) editor_->centerCursor();
    }

    QPlainTextEdit* editor_;
    QTextCursor cursor_;
    bool batch_ = false;
};

TReplaceAnswer askReplace(const QString& text, bool withAll)
{
    const QString question = QStringLiteral("Replace this occurrence of '%1'?").arg(text);
    const int r = QMAppMessage(question, qmtQuestion, 1, withAll ? qmbYesNoCancelAll : qmbYesNo);
    switch (r) {
    case qmYes: return TReplaceAnswer::Yes;
    case qmAll: return TReplaceAnswer::All;
    case qmNo: return TReplaceAnswer::No;
    default: return TReplaceAnswer::Cancel;
    }
}

QPlainTextDocumentLayout* plainLayout(const QTextDocument* doc)
{
    return qobject_cast<QPlainTextDocumentLayout*>(doc->documentLayout());
}

}  // namespace

TChildScript::TChildScript(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TChildScript"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(style()->standardIcon(QStyle::SP_FileIcon));
    SetHelpContext(this, kHelpContext);

    editor_ = new TScriptEditor(this);
    status_ = new QStatusBar(this);
    status_->setObjectName(QStringLiteral("StatusBar"));
    status_->setSizeGripEnabled(false);
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(status_);
        label->setObjectName(QStringLiteral("pPanel%1").arg(i));
        label->setAlignment((i >= 1 && i <= 3 ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(kPanelWidths[i]);
        if (i < 4) {
            label->setFixedWidth(kPanelWidths[i]);
            status_->addWidget(label);
        } else {
            // The path takes the rest of the bar, so that it can be read.
            label->setTextInteractionFlags(Qt::NoTextInteraction);
            status_->addWidget(label, 1);
        }
        panels_[i] = label;
    }
    // The panels leave mouse clicks to the bar.
    status_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(editor_, 1);
    layout->addWidget(status_);
    setFocusProxy(editor_);

    connect(editor_, &QPlainTextEdit::textChanged, this, [this] {
        if (!suppressChange_) SetSaved(false);
    });
    connect(editor_, &TScriptEditor::HelpRequested, this, [this] { RunGuarded([this] { RequestHelp(kHelpContext, this); }); });
    connect(editor_, &QWidget::customContextMenuRequested, this, &TChildScript::showContextMenu);

    statusTimer_.setInterval(kStatusInterval);
    connect(&statusTimer_, &QTimer::timeout, this, &TChildScript::UpdateStatus);
    connect(editor_, &QPlainTextEdit::cursorPositionChanged, this, &TChildScript::wakeStatus);
    editor_->installEventFilter(this);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &TChildScript::wakeStatus);

    resize(kDefaultWidth, kDefaultHeight);
    SetFilePath(kUntitled);
    ApplyOptions();
    UpdateStatus();
}

TChildScript::~TChildScript()
{
    savePlacement();
}

TChildScript* TChildScript::NewScriptWindow(const QString& resultFile)
{
    auto* w = new TChildScript;
    w->SetFilePath(kUntitled);
    w->SetSaved(false);
    try {
        w->LoadFromFile(resultFile);
    } catch (const TScriptFileError& e) {
        // The window stays, empty; the error is shown once the window is in place.
        const EQMException error(QStringLiteral("Error reading script from temporary file '%1'.").arg(resultFile),
                                 EQMException::Warning, e.Reason);
        QTimer::singleShot(0, w, [error] { RunGuarded([&] { throw error; }); });
    }
    return w;
}

TChildScript* TChildScript::OpenScriptWindow(const QString& path)
{
    auto* w = new TChildScript;
    w->SetFilePath(path);
    try {
        w->LoadFromFile(path);
    } catch (const TScriptFileError& e) {
        delete w;
        throw EQMException(QStringLiteral("Error reading script file '%1'.").arg(path), EQMException::Warning, e.Reason);
    }
    w->SetSaved(true);
    return w;
}

void TChildScript::LoadFromFile(const QString& path)
{
    THourglass hourglass;
    TScriptText script = ReadScriptFile(path);
    format_ = script.Format;
    editor_->setPlainText(script.Text);
}

// ---- Options and placement -------------------------------------------------------------------

void TChildScript::ApplyOptions()
{
    const TVELKOptions& o = VELKOptions();
    QFont font(o.EditorFontName);
    font.setPointSize(o.EditorFontSize > 0 ? o.EditorFontSize : 8);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // A font change is no change of the script.
    suppressChange_ = true;
    editor_->setFont(font);
    editor_->setTabStopDistance(QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')) * 4);
    suppressChange_ = false;
    placementActive_ = o.SaveWindow;
}

QWidget* TChildScript::frame() const { return PlacementFrame(this); }

void TChildScript::restorePlacement()
{
    QWidget* f = frame();
    if (!f) return;
    if (f != watchedFrame_) {
        if (watchedFrame_) watchedFrame_->removeEventFilter(this);
        watchedFrame_ = f;
        f->installEventFilter(this);
        f->setMinimumSize(200, 100);
    }
    if (placementRestored_) return;
    placementRestored_ = true;
    const Hive root = QMApp().RegistryRoot;
    const QString key = storageKey();
    TQMPlacement p{f->x(), f->y(), kDefaultWidth, kDefaultHeight};
    if (placementActive_ && ReadPlacement(root, key, p)) {
        f->setGeometry(p.Left, p.Top, std::max(p.Width, 200), std::max(p.Height, 100));
    } else if (f != this) {
        f->resize(kDefaultWidth, kDefaultHeight);
    }
    lastGeometry_ = f->geometry();
}

void TChildScript::savePlacement() const
{
    if (!placementActive_ || !lastGeometry_.isValid()) return;
    const Hive root = QMApp().RegistryRoot;
    const QString key = storageKey();
    TQMRegistryBatch batch(root);
    WritePlacement(root, key, lastGeometry_);
}

// ---- Path and saved state ------------------------------------------------------------------

void TChildScript::SetFilePath(const QString& path)
{
    path_ = path;
    const QString name = fileNamePart(path);
    setWindowTitle(saved_ ? name : name + QStringLiteral(" *"));
    setPanel(4, path == kUntitled ? QString() : path);
}

void TChildScript::SetSaved(bool saved)
{
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

void TChildScript::writeTo(const QString& path)
{
    THourglass hourglass;
    try {
        format_ = WriteScriptFile(path, *editor_->document(), format_);
    } catch (const TScriptFileError& e) {
        throw EQMException(QStringLiteral("Error saving script."), EQMException::Warning, e.Reason);
    }
}

bool TChildScript::SaveScript()
{
    if (path_ == kUntitled) return SaveScriptAs();
    writeTo(path_);
    SetSaved(true);
    return true;
}

bool TChildScript::SaveScriptAs()
{
    const TVELKOptions& o = VELKOptions();
    QFileDialog dlg(this, QStringLiteral("Save Script..."));
    dlg.setObjectName(QStringLiteral("dlgSaveScript"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, false);
    dlg.setDefaultSuffix(o.ScriptExtension);
    dlg.setNameFilter(ScriptFileFilter(o.ScriptExtension));
    if (!o.DefaultScriptsPath.isEmpty()) dlg.setDirectory(o.DefaultScriptsPath);
    else if (path_ != kUntitled) dlg.setDirectory(QFileInfo(path_).absolutePath());
    dlg.selectFile(fileNamePart(path_));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    const QString target = dlg.selectedFiles().first();
    writeTo(target);
    // The new name is taken only once the text is there.
    SetFilePath(target);
    SetSaved(true);
    return true;
}

// ---- Closing ----------------------------------------------------------------------------------

bool TChildScript::CloseQuery()
{
    if (saved_ || !VELKOptions().PromptOnClose) return true;
    const int answer = QMAppMessage(QStringLiteral("Save changes to '%1'?").arg(fileNamePart(path_)), qmtQuestion, 1,
                                    qmbYesNoCancel);
    if (answer == qmNo) return true;
    if (answer != qmYes) return false;
    bool saved = false;
    try {
        saved = path_ == kUntitled ? SaveScriptAs() : SaveScript();
    } catch (...) {
        // A failed save keeps the window open; the error is shown here because a close may be
        // asked from inside the framework's event delivery.
        HandleApplicationException(std::current_exception());
        return false;
    }
    if (saved) {
        if (TShellHost* host = ShellHost()) host->AddRecentScript(path_);
    }
    return saved;
}

void TChildScript::closeEvent(QCloseEvent* event)
{
    if (!CloseQuery()) {
        event->ignore();
        return;
    }
    statusTimer_.stop();
    event->accept();
}

// ---- Edit questions ------------------------------------------------------------------------

bool TChildScript::CanUndo() const { return editor_->hasFocus() && editor_->document()->isUndoAvailable(); }
bool TChildScript::CanCutCopy() const { return editor_->hasFocus() && editor_->textCursor().hasSelection(); }
bool TChildScript::CanPaste() const { return editor_->hasFocus(); }
bool TChildScript::CanDelete() const { return editor_->hasFocus() && !editor_->document()->isEmpty(); }
bool TChildScript::CanSelectAll() const { return CanDelete(); }

// ---- Caret -----------------------------------------------------------------------------------

void TChildScript::CaretPosition(int& line, int& column) const
{
    // Display lines: a block counts the lines its layout has; blocks never laid out (never
    // shown) count one each.
    const QTextDocument* doc = editor_->document();
    const int pos = editor_->textCursor().selectionStart();
    const QTextBlock block = doc->findBlock(pos);
    if (QPlainTextDocumentLayout* layout = plainLayout(doc)) layout->ensureBlockLayout(block);
    const int inBlock = pos - block.position();
    const QTextLine textLine = block.layout() ? block.layout()->lineForTextPosition(inBlock) : QTextLine();
    line = block.firstLineNumber() + (textLine.isValid() ? textLine.lineNumber() : 0);
    column = inBlock - (textLine.isValid() ? textLine.textStart() : 0);
}

void TChildScript::GoToPosition(int line, int column)
{
    QTextDocument* doc = editor_->document();
    const int last = std::max(0, doc->lineCount() - 1);
    line = std::clamp(line, 0, last);
    column = std::max(column, 0);
    QTextBlock block = doc->findBlockByLineNumber(line);
    if (!block.isValid()) block = doc->lastBlock();
    if (QPlainTextDocumentLayout* layout = plainLayout(doc)) layout->ensureBlockLayout(block);
    QTextLayout* tl = block.layout();
    const int lines = tl ? tl->lineCount() : 0;
    const int inBlock = std::clamp(line - block.firstLineNumber(), 0, std::max(0, lines - 1));
    int start = 0;
    int end = block.length() - 1;  // before the block's line break
    if (lines > 0) {
        const QTextLine l = tl->lineAt(inBlock);
        start = l.textStart();
        // A wrapped line ends before its last character: the position after it is the next
        // display line's start.
        if (inBlock < lines - 1) end = std::max(start, l.textStart() + l.textLength() - 1);
    }
    const int pos = block.position() + std::min(start + column, end);
    QTextCursor c(doc);
    c.setPosition(pos);
    editor_->setTextCursor(c);
    editor_->ensureCursorVisible();
}

// ---- Search ----------------------------------------------------------------------------------

bool TChildScript::FindText(const QString& text, bool matchCase, bool wholeWord, bool fromCursor)
{
    TEditorSubject subject(editor_);
    return tavil::FindText(subject, text, TFindOptions{matchCase, wholeWord}, fromCursor);
}

bool TChildScript::ReplaceOnce(const QString& text, const QString& replacement, bool matchCase, bool wholeWord,
                               bool fromCursor)
{
    TEditorSubject subject(editor_);
    return tavil::ReplaceOnce(subject, text, replacement, TFindOptions{matchCase, wholeWord}, fromCursor,
                              [&] { return askReplace(text, false); });
}

bool TChildScript::ReplaceAll(const QString& text, const QString& replacement, bool matchCase, bool wholeWord,
                              bool fromCursor)
{
    TEditorSubject subject(editor_);
    return tavil::ReplaceAll(subject, text, replacement, TFindOptions{matchCase, wholeWord}, fromCursor,
                             [&] { return askReplace(text, true); });
}

// ---- Transforms ------------------------------------------------------------------------------

void TChildScript::applyCase(int conversion)
{
    const auto how = static_cast<TCaseConversion>(conversion);
    THourglass hourglass;
    QTextCursor c = editor_->textCursor();
    if (!c.hasSelection()) {
        // The whole text; the caret stays where it was.
        const int caret = c.position();
        const QString converted = ConvertCase(editor_->toPlainText(), how);
        c.select(QTextCursor::Document);
        c.insertText(converted);
        c.setPosition(std::min(caret, editor_->document()->characterCount() - 1));
        editor_->setTextCursor(c);
        return;
    }
    const int start = c.selectionStart();
    const int end = c.selectionEnd();
    const QString converted = ConvertCase(c.selectedText(), how);
    c.insertText(converted);
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    editor_->setTextCursor(c);
}

void TChildScript::ToUpperCase() { applyCase(static_cast<int>(TCaseConversion::Upper)); }
void TChildScript::ToLowerCase() { applyCase(static_cast<int>(TCaseConversion::Lower)); }
void TChildScript::ToTitleCase() { applyCase(static_cast<int>(TCaseConversion::Title)); }
void TChildScript::ToggleCase() { applyCase(static_cast<int>(TCaseConversion::Toggle)); }

void TChildScript::InsertText(const QString& text)
{
    QTextCursor c = editor_->textCursor();
    const int start = c.selectionStart();
    c.insertText(text);
    const int end = c.position();
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    editor_->setTextCursor(c);
    editor_->ensureCursorVisible();
}

void TChildScript::InsertFile()
{
    QString chosen;
    try {
        const TVELKOptions& o = VELKOptions();
        QFileDialog dlg(this, QStringLiteral("Insert File..."));
        dlg.setObjectName(QStringLiteral("dlgInsertFile"));
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::ExistingFile);
        dlg.setDefaultSuffix(o.ScriptExtension);
        dlg.setNameFilter(ScriptFileFilter(o.ScriptExtension));
        dlg.selectFile(QString());
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
        chosen = dlg.selectedFiles().first();
    } catch (const std::exception& e) {
        throw EQMException(QStringLiteral("Unable to insert file '%1'.").arg(chosen), EQMException::Warning,
                           QString::fromLocal8Bit(e.what()));
    }
    InsertFileContents(chosen);
}

void TChildScript::InsertFileContents(const QString& path)
{
    QString text;
    try {
        THourglass hourglass;
        text = JoinLinesCrLf(SplitTextLines(ReadScriptFile(path).Text));
    } catch (const TScriptFileError& e) {
        throw EQMException(QStringLiteral("Unable to insert file '%1'.").arg(path), EQMException::Warning, e.Reason);
    }
    QTextCursor c = editor_->textCursor();
    c.insertText(text);
    editor_->setTextCursor(c);
    editor_->ensureCursorVisible();
}

// ---- Status bar ------------------------------------------------------------------------------

bool TChildScript::setPanel(int panel, const QString& text)
{
    if (panels_[panel]->text() == text) return false;
    panels_[panel]->setText(text);
    return true;
}

void TChildScript::wakeStatus()
{
    quietTicks_ = 0;
    if (statusTimer_.isActive() && statusTimer_.interval() != kStatusInterval) statusTimer_.start(kStatusInterval);
}

QString TChildScript::StatusText(int panel) const
{
    return panel >= 0 && panel < 5 ? panels_[panel]->text() : QString();
}

void TChildScript::UpdateStatus()
{
    int line = 0, column = 0;
    CaretPosition(line, column);
    bool changed = setPanel(0, QStringLiteral("Ln %1 - Col %2").arg(line + 1).arg(column + 1));
    changed |= setPanel(1, editor_->overwriteMode() ? QStringLiteral("OVR") : QStringLiteral("INS"));
    const TKeyboardLocks locks = ReadKeyboardLocks();
    changed |= setPanel(2, locks.Known && locks.CapsLock ? QStringLiteral("CAPS") : QString());
    changed |= setPanel(3, locks.Known && locks.NumLock ? QStringLiteral("NUM") : QString());
    quietTicks_ = changed ? 0 : quietTicks_ + 1;
    if (quietTicks_ == kQuietTicks && statusTimer_.isActive()) statusTimer_.setInterval(kQuietInterval);
}

void TChildScript::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    restorePlacement();
    UpdateStatus();
    quietTicks_ = 0;
    statusTimer_.start(kStatusInterval);
}

void TChildScript::hideEvent(QHideEvent* event)
{
    statusTimer_.stop();
    QWidget::hideEvent(event);
}

void TChildScript::keyPressEvent(QKeyEvent* event)
{
    // Escape never closes the script window; F1 shows its help.
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (event->key() == Qt::Key_Escape) {
            event->accept();
            return;
        }
        if (event->key() == Qt::Key_F1) {
            event->accept();
            if (!event->isAutoRepeat()) RunGuarded([this] { RequestHelp(kHelpContext, this); });
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

bool TChildScript::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editor_) {
        // Keys (Caps Lock and Num Lock among them), clicks and the focus wake the status bar.
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::FocusIn: wakeStatus(); break;
        default: break;
        }
        return false;
    }
    if (watched == watchedFrame_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        TrackNormalGeometry(watchedFrame_, lastGeometry_);
    } else if (watched == status_ && event->type() == QEvent::MouseButtonRelease) {
        // A click on the caret position runs Go To.
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        const QRect panel = panels_[0]->geometry();
        if (mouse->button() == Qt::LeftButton && at.x() >= panel.left() && at.x() <= panel.right() && at.y() > 2) {
            if (TShellHost* host = ShellHost()) {
                QAction* goTo = host->FindAction(QStringLiteral("actEditGoTo"));
                if (goTo && goTo->isEnabled()) goTo->trigger();
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TChildScript::showContextMenu(const QPoint& pos)
{
    TShellHost* host = ShellHost();
    if (!host) return;
    static const char* const kItems[] = {"actEditUndo",    "",           "actEditCut",     "actEditCopy",
                                         "actEditPaste",   "",           "actEditDelete",  "actEditSelectAll",
                                         "",               "actEditFind", "actEditFindNext", "actEditReplace",
                                         "",               "actEditGoTo", "",              "actScriptSave"};
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("popScript"));
    for (const char* name : kItems) {
        if (!*name) {
            menu.addSeparator();
            continue;
        }
        if (QAction* a = host->FindAction(QString::fromLatin1(name))) menu.addAction(a);
    }
    if (menu.isEmpty()) return;
    menu.exec(editor_->viewport()->mapToGlobal(pos));
}

}  // namespace tavil
