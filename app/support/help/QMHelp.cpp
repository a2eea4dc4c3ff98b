// The help window and the help hook.
#include "app/support/help/QMHelp.h"

#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"
#include "app/support/QMDialogKeys.h"
#include "app/support/QMTools.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QVBoxLayout>

namespace tavil {

namespace {

std::function<bool()>& engineCheck()
{
    static std::function<bool()> check;
    return check;
}

std::function<void()>& beepHook()
{
    static std::function<void()> beep;
    return beep;
}

QPointer<THelpWindow>& helpWindow()
{
    static QPointer<THelpWindow> window;
    return window;
}

bool engineAvailable()
{
    if (engineCheck()) return engineCheck()();
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

void beep()
{
    if (beepHook()) beepHook()();
    else if (qobject_cast<QApplication*>(QCoreApplication::instance())) QApplication::beep();
}

QString readText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(f.readAll());
}

EQMException helpError(const QString& helpFile, const QString& details)
{
    return EQMException(QStringLiteral("Unable to show help file '%1'.").arg(helpFile), EQMException::Warning, details);
}

}  // namespace

// ---- Map ----------------------------------------------------------------------------------------

THelpMap THelpMap::Read(const QString& mapFile)
{
    THelpMap map;
    const QStringList lines = readText(mapFile).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    static const QRegularExpression entry(QStringLiteral("^\\s*(\\d{1,9})\\s+(\\S+)\\s*$"));
    for (const QString& line : lines) {
        const QRegularExpressionMatch m = entry.match(line);
        if (m.hasMatch()) map.Entries.insert(m.captured(1).toInt(), m.captured(2));
    }
    return map;
}

QUrl HelpTopicUrl(const QString& indexFile, int context, QString* missingTopic)
{
    const QFileInfo index(indexFile);
    QString topic = context == 0 ? QString() : THelpMap::Read(index.dir().filePath(QLatin1String(THelpMap::kFileName))).Topic(context);
    if (topic.isEmpty()) return QUrl::fromLocalFile(index.absoluteFilePath());
    const qsizetype hash = topic.indexOf(QLatin1Char('#'));
    const QString file = hash < 0 ? topic : topic.left(hash);
    const QString path = index.dir().absoluteFilePath(file);
    // A map entry may not leave the help folder.
    if (file.isEmpty() || !QFileInfo(path).absoluteFilePath().startsWith(index.absolutePath() + QLatin1Char('/')) ||
        !QFileInfo(path).isFile()) {
        if (missingTopic) *missingTopic = topic;
        return QUrl();
    }
    QUrl url = QUrl::fromLocalFile(path);
    if (hash >= 0) url.setFragment(topic.mid(hash + 1));
    return url;
}

// ---- Window -------------------------------------------------------------------------------------

THelpWindow::THelpWindow(QWidget* owner) : QWidget(owner, Qt::Window), home_(owner)
{
    setObjectName(QStringLiteral("THelpWindow"));
    setWindowTitle(QMApp().FullName + QStringLiteral(" Help"));
    setAttribute(Qt::WA_QuitOnClose, false);
    owner_ = owner;

    bar_ = new QToolBar(this);
    bar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar_->setIconSize(QSize(16, 16));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("Browser"));
    browser_->setOpenExternalLinks(true);
    contents_ = new QListWidget(this);
    contents_->setObjectName(QStringLiteral("Contents"));
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("Search"));
    search_->setPlaceholderText(QStringLiteral("Find in topic"));
    search_->setClearButtonEnabled(true);
    search_->setMaximumWidth(200);

    QAction* back = bar_->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("&Back"));
    QAction* forward = bar_->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("&Forward"));
    QAction* home = bar_->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("&Contents"));
    back->setObjectName(QStringLiteral("actBack"));
    forward->setObjectName(QStringLiteral("actForward"));
    home->setObjectName(QStringLiteral("actContents"));
    back->setShortcut(QKeySequence::Back);
    forward->setShortcut(QKeySequence::Forward);
    back->setEnabled(false);
    forward->setEnabled(false);
    auto* spacer = new QWidget(bar_);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar_->addWidget(spacer);
    bar_->addWidget(new QLabel(QStringLiteral("&Find: "), bar_));
    bar_->addWidget(search_);
    if (auto* label = bar_->findChild<QLabel*>()) label->setBuddy(search_);

    connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, [this] {
        if (!index_.isEmpty()) browser_->setSource(QUrl::fromLocalFile(index_));
    });
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
        // The contents entry of the topic shown is selected.
        for (int r = 0; r < contents_->count(); ++r) {
            const QUrl entry = contents_->item(r)->data(Qt::UserRole).toUrl();
            if (entry.adjusted(QUrl::RemoveFragment) == url.adjusted(QUrl::RemoveFragment)) {
                QSignalBlocker block(contents_);
                contents_->setCurrentRow(r);
                break;
            }
        }
    });
    connect(contents_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item) browser_->setSource(item->data(Qt::UserRole).toUrl());
    });
    connect(search_, &QLineEdit::returnPressed, this, [this] { find(false); });

    auto* split = new QSplitter(this);
    split->addWidget(contents_);
    split->addWidget(browser_);
    split->setStretchFactor(1, 1);
    split->setSizes({240, 560});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar_);
    layout->addWidget(split);
    resize(840, 580);

    // Escape closes the window; F1 shows the contents.
    TQMDialogKeys::Install(this, 0);
}

void THelpWindow::find(bool backward)
{
    const QString text = search_->text();
    if (text.isEmpty()) return;
    QTextDocument::FindFlags flags;
    if (backward) flags |= QTextDocument::FindBackward;
    if (!browser_->find(text, flags)) {
        // Once more from the start of the page.
        QTextCursor c = browser_->textCursor();
        c.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        browser_->setTextCursor(c);
        browser_->find(text, flags);
    }
}

void THelpWindow::fillContents()
{
    QSignalBlocker block(contents_);
    contents_->clear();
    const QString html = readText(index_);
    // The contents are the links of the index page's list with class "contents".
    static const QRegularExpression list(QStringLiteral("<ul class=\"contents\">(.*?)</ul>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression link(QStringLiteral("<a href=\"([^\"#]+)(#[^\"]*)?\">(.*?)</a>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    auto* first = new QListWidgetItem(QStringLiteral("Contents"), contents_);
    first->setData(Qt::UserRole, QUrl::fromLocalFile(index_));
    const QDir dir = QFileInfo(index_).dir();
    const QRegularExpressionMatch m = list.match(html);
    if (!m.hasMatch()) return;
    auto it = link.globalMatch(m.captured(1));
    while (it.hasNext()) {
        const QRegularExpressionMatch l = it.next();
        QString title = l.captured(3);
        title.remove(tag);
        QTextDocument decode;
        decode.setHtml(title);
        auto* item = new QListWidgetItem(decode.toPlainText().simplified(), contents_);
        item->setData(Qt::UserRole, QUrl::fromLocalFile(dir.absoluteFilePath(l.captured(1))));
    }
}

void THelpWindow::ShowTopic(const QString& indexFile, const QUrl& topic, QWidget* owner)
{
    if (indexFile != index_) {
        index_ = indexFile;
        browser_->setSearchPaths({QFileInfo(indexFile).absolutePath()});
        // The topics' style sheet, applied by the browser itself (linked sheets are not always
        // honoured by the rich-text engine).
        browser_->document()->setDefaultStyleSheet(readText(QFileInfo(indexFile).dir().filePath(QStringLiteral("style.css"))));
        fillContents();
    }
    QFile check(topic.toLocalFile());
    if (!check.open(QIODevice::ReadOnly)) throw helpError(indexFile, check.errorString());
    check.close();
    adopt(owner);
    if (browser_->source().adjusted(QUrl::RemoveFragment) == topic.adjusted(QUrl::RemoveFragment) && topic.hasFragment())
        browser_->scrollToAnchor(topic.fragment());
    else
        browser_->setSource(topic);
    show();
    raise();
    activateWindow();
}

void THelpWindow::adopt(QWidget* owner)
{
    // A modal dialog blocks every window but its own children: help opened from one is made
    // its child while it is up, and handed back to the dialog's own owner when it goes.
    if (QWidget* modal = QApplication::activeModalWidget()) owner = modal;
    else if (!owner) owner = home_;
    if (owner) owner = owner->window();
    if (owner == this) return;
    if (!home_ && owner && !owner->isModal()) home_ = owner;
    if (owner == owner_ && parentWidget() == owner) return;
    if (owner_) owner_->removeEventFilter(this);
    const bool visible = isVisible();
    const QRect frame = geometry();
    setParent(owner, Qt::Window);
    owner_ = owner;
    if (owner_) owner_->installEventFilter(this);
    if (visible) {
        setGeometry(frame);
        show();
    }
}

bool THelpWindow::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* owner = owner_.data();
    // A minimised owner hides spontaneously and keeps its windows; only a closing one counts.
    if (owner && watched == owner && event->type() == QEvent::Hide && !event->spontaneous()) {
        if (owner == home_) {
            // The program's own window closes: the help goes with it.
            hide();
            return QWidget::eventFilter(watched, event);
        }
        // A modal dialog closing: hand the window on to the dialog's own owner.
        QWidget* parent = owner->parentWidget();
        QWidget* next = parent ? parent->window() : home_.data();
        if (next == owner) next = nullptr;
        owner->removeEventFilter(this);
        const bool visible = isVisible();
        const QRect frame = geometry();
        setParent(next, Qt::Window);
        owner_ = next;
        if (next) next->installEventFilter(this);
        if (visible) {
            setGeometry(frame);
            show();
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Entry points -------------------------------------------------------------------------------

void ShowHelpFile(const QString& helpFile, int context, QWidget* window)
{
    if (helpFile.isEmpty() || !FileExistsSafe(helpFile)) return;
    if (!engineAvailable()) {
        beep();
        return;
    }
    try {
        QString missing;
        const QUrl topic = HelpTopicUrl(helpFile, context, &missing);
        if (topic.isEmpty())
            throw helpError(helpFile, QStringLiteral("The topic '%1' of help context %2 is not in the help folder.").arg(missing).arg(context));
        THelpWindow* w = helpWindow().data();
        if (!w) {
            // The engine is made once and kept: its owner is the window asking, or the
            // owner of that window when it is a modal dialog that goes away.
            QWidget* owner = window ? window->window() : QApplication::activeWindow();
            if (owner && owner->isModal()) owner = owner->parentWidget() ? owner->parentWidget()->window() : nullptr;
            w = new THelpWindow(owner);
            helpWindow() = w;
        }
        w->ShowTopic(helpFile, topic, window);
    } catch (const EQMException&) {
        throw;
    } catch (const std::exception& e) {
        throw helpError(helpFile, QString::fromLocal8Bit(e.what()));
    }
}

void ShowHelp(int context, QWidget* window) { ShowHelpFile(QMApp().HelpFile, context, window); }

THelpWindow* OpenHelpWindow() { return helpWindow().data(); }

void InstallHelp()
{
    SetHelpHook([](int context, QWidget* window) { ShowHelp(context, window); });
}

void SetHelpEngineCheck(std::function<bool()> check) { engineCheck() = std::move(check); }
void SetHelpBeep(std::function<void()> beep) { beepHook() = std::move(beep); }

}  // namespace tavil
