// The program's help: a window over the HTML topics of the help folder, opened at the topic of a
// help context number (0: the contents). F1 in every window comes here through the help hook of
// QMDialogKeys.h.
#pragma once

#include <QMap>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QToolBar;

namespace tavil {

// Context numbers and their topics, read from "context.map" beside the help's index page: one
// "<number> <topic>" per line, the topic a file of the help folder (with an optional "#anchor");
// blank lines and lines starting with "#" are skipped.
class THelpMap {
public:
    static constexpr const char* kFileName = "context.map";

    static THelpMap Read(const QString& mapFile);
    // The topic of a context number; empty when none is mapped.
    QString Topic(int context) const { return Entries.value(context); }

    QMap<int, QString> Entries;
};

// The help window: contents on the left, the topic on the right, Back, Forward and Contents, and
// a search field for the page shown. One lives for the rest of the program once it was opened.
class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* owner = nullptr);

    // Shows the topic (a file URL, possibly with an anchor) of the help whose index page is
    // `indexFile`, above `owner`. Raises EQMException when the topic cannot be read.
    void ShowTopic(const QString& indexFile, const QUrl& topic, QWidget* owner);

    QTextBrowser* Browser() const { return browser_; }
    QListWidget* Contents() const { return contents_; }
    QString IndexFile() const { return index_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillContents();
    void find(bool backward);
    void adopt(QWidget* owner);

    QTextBrowser* browser_ = nullptr;
    QListWidget* contents_ = nullptr;
    QLineEdit* search_ = nullptr;
    QToolBar* bar_ = nullptr;
    QString index_;
    QPointer<QWidget> owner_;
    QPointer<QWidget> home_;
};

// The topic URL of a context for the help whose index page is `indexFile`: the index for 0 and
// for numbers the map does not know. Empty when the mapped topic's file is missing.
QUrl HelpTopicUrl(const QString& indexFile, int context, QString* missingTopic = nullptr);

// ShowHelp over the application record's help file.
void ShowHelp(int context, QWidget* window = nullptr);
// Does nothing when the file is empty or missing; beeps when the help window cannot be made (no
// window system); otherwise opens the help window at the context's topic. Failures raise
// EQMException (severity 1) "Unable to show help file '%s'." with the cause as details.
void ShowHelpFile(const QString& helpFile, int context, QWidget* window = nullptr);

// The help window once it was opened, else null.
THelpWindow* OpenHelpWindow();

// Installs ShowHelp as the help hook of QMDialogKeys.h.
void InstallHelp();

// Whether the help window can be made at all; the default asks for a widget application. And the
// short beep given when it cannot. Tests replace both; an empty function brings the default back.
void SetHelpEngineCheck(std::function<bool()> check);
void SetHelpBeep(std::function<void()> beep);

}  // namespace tavil
