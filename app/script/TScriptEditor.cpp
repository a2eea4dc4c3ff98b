// The script editor's keys and looks.
#include "app/script/TScriptEditor.h"

#include <QKeyEvent>
#include <QScrollBar>

namespace tavil {

namespace {

Qt::KeyboardModifiers plainModifiers(Qt::KeyboardModifiers m) { return m & ~Qt::KeypadModifier; }

}  // namespace

TScriptEditor::TScriptEditor(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("txtScript"));
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
    setUndoRedoEnabled(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    keepSelectionVisible();
}

bool TScriptEditor::IsDiscardedKey(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers m = plainModifiers(modifiers);
    if (m == Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_E:
        case Qt::Key_I:
        case Qt::Key_J:
        case Qt::Key_L:
        case Qt::Key_M:
        case Qt::Key_R: return true;
        default: return false;
        }
    }
    return m == (Qt::ControlModifier | Qt::ShiftModifier) && key == Qt::Key_L;
}

bool TScriptEditor::event(QEvent* event)
{
    // These keys belong to the editor even where the main window has a shortcut for them
    // (F1 opens the script window's own help topic, Insert is the Add command's key).
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (plainModifiers(key->modifiers()) == Qt::NoModifier &&
            (key->key() == Qt::Key_F1 || key->key() == Qt::Key_Escape || key->key() == Qt::Key_Insert)) {
            event->accept();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

void TScriptEditor::keyPressEvent(QKeyEvent* event)
{
    if (IsDiscardedKey(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    if (plainModifiers(event->modifiers()) == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Insert:
            if (!event->isAutoRepeat()) setOverwriteMode(!overwriteMode());
            event->accept();
            return;
        case Qt::Key_Escape:
            // The script window does not close on Escape.
            event->accept();
            return;
        case Qt::Key_F1:
            if (!event->isAutoRepeat()) emit HelpRequested();
            event->accept();
            return;
        default: break;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TScriptEditor::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) keepSelectionVisible();
}

void TScriptEditor::keepSelectionVisible()
{
    // The inactive selection is drawn as the active one, so a found text stays visible while
    // the Find dialog has the focus.
    QPalette p = palette();
    const QColor highlight = p.color(QPalette::Active, QPalette::Highlight);
    const QColor text = p.color(QPalette::Active, QPalette::HighlightedText);
    if (p.color(QPalette::Inactive, QPalette::Highlight) == highlight &&
        p.color(QPalette::Inactive, QPalette::HighlightedText) == text)
        return;
    p.setColor(QPalette::Inactive, QPalette::Highlight, highlight);
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, text);
    setPalette(p);
}

}  // namespace tavil
