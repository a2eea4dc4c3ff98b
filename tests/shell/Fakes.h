// Child windows and dialog drivers for the shell's tests.
#pragma once

#include "app/model/TCmdFile.h"
#include "app/shell/iface/TShellHooks.h"
#include "app/shell/messages/QMMessage.h"
#include "app/shell/messages/QMMessageDetails.h"

#include "app/support/EQMException.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <functional>
#include <memory>

namespace tavil::test {

// A command-file window with a line edit, an editable combo box and an object list.
class FakeCommandFile : public QWidget, public TCommandFileChild {
public:
    explicit FakeCommandFile(QString path, std::unique_ptr<TCmdFile> file = std::make_unique<TCmdFile>())
        : path_(std::move(path)), file_(std::move(file))
    {
        edit = new QLineEdit(this);
        combo = new QComboBox(this);
        combo->setEditable(true);
        list = new QTreeWidget(this);
        auto* v = new QVBoxLayout(this);
        v->addWidget(edit);
        v->addWidget(combo);
        v->addWidget(list);
        setWindowTitle(QFileInfo(path_).fileName());
        resize(300, 200);
    }

    QWidget* Widget() override { return this; }
    QString FilePath() const override { return path_; }
    bool IsModified() const override { return modified; }
    void ApplyOptions() override { ++applied; }
    bool CloseQuery() override { return allowClose; }
    bool CanUndo() const override { return edit->hasFocus() && edit->isUndoAvailable(); }
    bool CanCutCopy() const override { return edit->hasFocus() && edit->hasSelectedText(); }
    bool CanPaste() const override { return edit->hasFocus() || combo->hasFocus(); }
    bool CanDelete() const override
    {
        return (edit->hasFocus() && !edit->text().isEmpty()) || (combo->hasFocus() && !combo->currentText().isEmpty());
    }
    bool CanSelectAll() const override { return CanDelete() || (list->hasFocus() && list->topLevelItemCount() > 0); }

    bool SaveFile() override
    {
        ++saves;
        return true;
    }
    bool SaveFileAs() override
    {
        if (saveAsPath.isEmpty()) return false;
        path_ = saveAsPath;
        return true;
    }
    bool SaveCopyAs() override { return true; }
    void UpdateCommandFile() override { ++updates; }
    TCmdFile& CommandFile() override { return *file_; }
    void ShowPage(int page) override { this->page = page - 1; }
    int SelectedPageIndex() const override { return page; }
    int CurrentObjectCount() const override { return page >= 1 && page <= 7 ? list->topLevelItemCount() : 0; }
    int CurrentSelectedObjectCount() const override
    {
        return page >= 1 && page <= 7 ? static_cast<int>(list->selectedItems().size()) : 0;
    }
    void AddObjects() override { ++adds; }
    void AddAllObjects() override {}
    void RemoveObjects() override {}
    void RemoveAllObjects() override {}

    void closeEvent(QCloseEvent* e) override
    {
        if (!allowClose) e->ignore();
        else QWidget::closeEvent(e);
    }

    QLineEdit* edit;
    QComboBox* combo;
    QTreeWidget* list;
    int page = 0;
    bool modified = false;
    bool allowClose = true;
    int applied = 0, saves = 0, updates = 0, adds = 0;
    QString saveAsPath;

private:
    QString path_;
    std::unique_ptr<TCmdFile> file_;
};

// A script window over a plain-text editor.
class FakeScript : public QWidget, public TScriptChild {
public:
    explicit FakeScript(QString path) : path_(std::move(path))
    {
        editor = new QPlainTextEdit(this);
        auto* v = new QVBoxLayout(this);
        v->addWidget(editor);
        setWindowTitle(QFileInfo(path_).fileName());
        resize(300, 200);
    }

    QWidget* Widget() override { return this; }
    QString FilePath() const override { return path_; }
    bool IsModified() const override { return false; }
    void ApplyOptions() override {}
    bool CloseQuery() override { return true; }
    bool CanUndo() const override { return editor->hasFocus() && editor->document()->isUndoAvailable(); }
    bool CanCutCopy() const override { return editor->hasFocus() && editor->textCursor().hasSelection(); }
    bool CanPaste() const override { return editor->hasFocus(); }
    bool CanDelete() const override { return editor->hasFocus() && !editor->document()->isEmpty(); }
    bool CanSelectAll() const override { return CanDelete(); }
    bool SaveScript() override { return true; }
    bool SaveScriptAs() override { return false; }
    void CaretPosition(int& line, int& column) const override
    {
        line = editor->textCursor().blockNumber();
        column = editor->textCursor().positionInBlock();
    }
    void GoToPosition(int, int) override {}
    bool FindText(const QString& text, bool, bool, bool) override { return editor->find(text); }
    bool ReplaceOnce(const QString& text, const QString&, bool, bool, bool) override { return editor->find(text); }
    bool ReplaceAll(const QString&, const QString&, bool, bool, bool) override { return false; }
    void ToUpperCase() override {}
    void ToLowerCase() override {}
    void ToTitleCase() override {}
    void ToggleCase() override {}
    void InsertText(const QString& text) override { editor->insertPlainText(text); }
    void InsertFile() override {}

    QPlainTextEdit* editor;

private:
    QString path_;
};

// Fills the hooks with the fake windows. Opening a file whose content is "bad" fails as a
// command-file reader would.
inline void InstallFakeHooks()
{
    TShellHooks& h = ShellHooks();
    h = TShellHooks();
    h.NewCommandFileWindow = [](std::unique_ptr<TCmdFile> f) {
        auto* w = new FakeCommandFile(QStringLiteral("Untitled"), std::move(f));
        w->modified = true;
        return w;
    };
    h.OpenCommandFileWindow = [](const QString& path) -> TCommandFileChild* {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.readAll().startsWith("bad"))
            throw EQMException(QStringLiteral("Invalid command file '%1'.").arg(path), EQMException::Warning);
        return new FakeCommandFile(path);
    };
    h.NewScriptWindow = [](const QString&) { return new FakeScript(QStringLiteral("Untitled")); };
    h.OpenScriptWindow = [](const QString& path) { return new FakeScript(path); };
}

// Answers the modal dialogs that appear while it lives: message boxes with details are recorded
// and closed, QMMessage boxes get the button number given (0: Escape).
class ModalAnswerer {
public:
    explicit ModalAnswerer(int button = 0) : button_(button)
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

    struct Shown {
        QString message;
        QString details;
        bool hadDetailsButton;
    };
    QList<Shown> shown;
    QList<QString> questions;

private:
    void poll()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->isVisible() && (qobject_cast<TQMMessageDetails*>(top) || qobject_cast<TQMMessage*>(top))) w = top;
        }
        if (auto* d = qobject_cast<TQMMessageDetails*>(w)) {
            shown << Shown{d->MessageLabel()->text(), d->DetailsBox()->toPlainText(), d->DetailsButton()->isVisible()};
            d->accept();
        } else if (auto* m = qobject_cast<TQMMessage*>(w)) {
            questions << m->MessageLabel()->text();
            if (button_ > 0) m->Button(button_)->click();
            else m->reject();
        }
    }

    QTimer timer_;
    int button_;
};

}  // namespace tavil::test
