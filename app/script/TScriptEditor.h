// The script window's editor: plain text, word wrap, a vertical scroll bar only, Tab inserts a
// tab, the selection stays visible without the focus, Insert switches overwrite mode.
#pragma once

#include <QPlainTextEdit>

namespace tavil {

class TScriptEditor : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TScriptEditor(QWidget* parent = nullptr);

    // True for the key presses the editor discards: exactly Ctrl with E, I, J, L, M or R, and
    // exactly Ctrl and Shift with L (rich-text and control-character keys of a plain script).
    static bool IsDiscardedKey(int key, Qt::KeyboardModifiers modifiers);

signals:
    // F1 was pressed in the editor.
    void HelpRequested();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void keepSelectionVisible();
};

}  // namespace tavil
