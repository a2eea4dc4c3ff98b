// What the script-window tests share: a settings store of their own, a main window stand-in
// that offers the host's operations and actions, and an answerer for modal dialogs.
#pragma once

#include "app/shell/iface/TShellHooks.h"
#include "app/shell/messages/QMMessage.h"
#include "app/shell/messages/QMMessageDetails.h"
#include "app/support/EQMException.h"
#include "platform/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <deque>
#include <functional>

namespace tavil::test {

// XDG_CONFIG_HOME in a temporary folder for the test's lifetime.
class TempStore {
public:
    TempStore()
    {
        ::setenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path()).constData(), 1);
        platform::SettingsStore::reopenAll();
    }
    ~TempStore()
    {
        ::unsetenv("XDG_CONFIG_HOME");
        platform::SettingsStore::reopenAll();
    }
    TempStore(const TempStore&) = delete;
    TempStore& operator=(const TempStore&) = delete;

private:
    QTemporaryDir dir_;
};

// The main window as the script library sees it: actions by name (all enabled), the active
// child, and the search entry points with the main window's rules.
class FakeHost : public TShellHost {
public:
    FakeHost()
    {
        for (const char* name : {"actEditUndo", "actEditCut", "actEditCopy", "actEditPaste", "actEditDelete",
                                 "actEditSelectAll", "actEditFind", "actEditFindNext", "actEditReplace", "actEditGoTo",
                                 "actScriptSave"}) {
            auto* a = new QAction(QString::fromLatin1(name), &main);
            a->setObjectName(QString::fromLatin1(name));
            actions.insert(a->objectName(), a);
        }
        ShellHostSlot() = this;
    }
    ~FakeHost() override
    {
        if (ShellHostSlot() == this) ShellHostSlot() = nullptr;
    }

    QWidget* MainWidget() override { return &main; }
    QAction* FindAction(const QString& name) const override { return actions.value(name); }
    TShellChild* ActiveChild() const override { return active; }
    bool ServersAvailable() const override { return true; }
    TCommandFileChild* OpenCommandFile(const QString&) override { return nullptr; }
    TScriptChild* OpenScript(const QString&) override { return nullptr; }
    void AddRecentCommandFile(const QString&) override {}
    void RemoveRecentCommandFile(const QString&) override {}
    void AddRecentScript(const QString& path) override { recentScripts << path; }
    void RemoveRecentScript(const QString&) override {}
    bool SearchScript(const QString& text, bool matchCase, bool fromCaret, bool wholeWord) override
    {
        return active && active->FindText(text, matchCase, wholeWord, fromCaret);
    }
    void ReplaceInScript(const QString& text, const QString& replacement, bool matchCase, bool fromCaret,
                         bool wholeWord) override
    {
        if (active && !active->ReplaceOnce(text, replacement, matchCase, wholeWord, fromCaret)) throw notFound(text);
    }
    void ReplaceAllInScript(const QString& text, const QString& replacement, bool matchCase, bool fromCaret,
                            bool wholeWord) override
    {
        if (active && !active->ReplaceAll(text, replacement, matchCase, wholeWord, fromCaret)) throw notFound(text);
    }

    static EQMException notFound(const QString& text)
    {
        return EQMException(QStringLiteral("Search string '%1' not found.").arg(text), EQMException::Information);
    }

    QWidget main;
    QHash<QString, QAction*> actions;
    TScriptChild* active = nullptr;
    QStringList recentScripts;
};

// Answers the modal dialogs that appear while it lives, in order: every question box takes the
// next button number of `buttons` (none left: closed without a button), every file dialog the
// next path of `files` (none left: cancelled), other dialogs the next handler of `handlers`
// (none left: rejected). Texts of question and error boxes are recorded.
class ModalAnswerer {
public:
    ModalAnswerer()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

    std::deque<int> buttons;
    std::deque<QString> files;
    std::deque<std::function<void(QDialog*)>> handlers;
    QStringList questions;
    QStringList errors;
    QStringList errorDetails;
    // What the file dialogs showed: folder and the file-name field.
    QStringList fileDialogFolders;
    QStringList fileDialogNames;
    QStringList fileDialogTitles;

private:
    void poll()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) return;
        if (auto* m = qobject_cast<TQMMessage*>(w)) {
            questions << m->MessageLabel()->text();
            if (buttons.empty()) {
                m->reject();
                return;
            }
            const int b = buttons.front();
            buttons.pop_front();
            m->Button(b)->click();
        } else if (auto* d = qobject_cast<TQMMessageDetails*>(w)) {
            errors << d->MessageLabel()->text();
            errorDetails << d->DetailsBox()->toPlainText();
            d->accept();
        } else if (auto* f = qobject_cast<QFileDialog*>(w)) {
            fileDialogTitles << f->windowTitle();
            fileDialogFolders << f->directory().absolutePath();
            auto* name = f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            fileDialogNames << (name ? name->text() : QString());
            if (files.empty()) {
                f->reject();
                return;
            }
            f->selectFile(files.front());
            files.pop_front();
            static_cast<QDialog*>(f)->accept();
        } else if (auto* dlg = qobject_cast<QDialog*>(w)) {
            if (handlers.empty()) {
                dlg->reject();
                return;
            }
            auto handler = std::move(handlers.front());
            handlers.pop_front();
            handler(dlg);
        }
    }

    QTimer timer_;
};

}  // namespace tavil::test
