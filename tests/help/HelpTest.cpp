// Help: the context map of the shipped help, the help window and its owner, the beep and the
// silent cases; the tip of the day; the about box and System Info.
#include "app/editing/TAddObjectDlg.h"
#include "app/editing/TChildFile.h"
#include "app/editing/TNewWizard.h"
#include "app/runs/dialog/TProgressDlg.h"
#include "app/script/TChildScript.h"
#include "app/script/TFindDlg.h"
#include "app/script/TGoToDlg.h"
#include "app/script/TReplaceDlg.h"
#include "app/script/TSelDateTime.h"
#include "app/shell/TOptionsDlg.h"
#include "app/shell/messages/QMMessage.h"
#include "app/shell/tools/TEditToolDlg.h"
#include "app/shell/tools/TExternalToolsDlg.h"
#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"
#include "app/support/QMDialogKeys.h"
#include "app/support/QMRegistry.h"
#include "app/support/help/QMAbout.h"
#include "app/support/help/QMHelp.h"
#include "app/support/help/QMTipOfTheDay.h"
#include "platform/SettingsStore.h"

#include "VersionInfo.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <cstdlib>
#include <functional>

using namespace tavil;

namespace {

const QString kShippedHelp = QStringLiteral(TAVIL_SOURCE_DIR "/help/index.html");

QString writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}

// Runs `open` (which shows a modal window) and hands the window to `drive` once it is up.
// Returns whether a modal window came up at all.
bool whileModal(const std::function<void()>& open, const std::function<void(QWidget*)>& drive)
{
    bool seen = false;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && !seen) {
            seen = true;
            timer.stop();
            drive(modal);
            if (modal->isVisible()) modal->close();
        }
    });
    timer.start();
    open();
    return seen;
}

// Runs f and returns the EQMException it raised.
template <class F>
std::optional<EQMException> raised(F&& f)
{
    try {
        f();
    } catch (const EQMException& e) {
        return e;
    }
    return std::nullopt;
}

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT

    QTemporaryDir config_;
    QTemporaryDir files_;
    int beeps_ = 0;

private slots:
    void initTestCase()
    {
        ::setenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()).constData(), 1);
        platform::SettingsStore::reopenAll();
        SetHelpBeep([this] { ++beeps_; });
    }
    void cleanup()
    {
        SetHelpEngineCheck({});
        if (THelpWindow* w = OpenHelpWindow()) w->hide();
    }

    // ---- help ---------------------------------------------------------------------------------

    void everyContextOfTheProgramHasItsTopic()
    {
        const QList<int> contexts = {0,
                                     TOptionsDlg::kHelpContext,
                                     TAddObjectDlg::kHelpContext,
                                     TChildFile::kHelpContext,
                                     TExternalToolsDlg::kHelpContext,
                                     TEditToolDlg::kHelpContext,
                                     TFindDlg::kHelpContext,
                                     TGoToDlg::kHelpContext,
                                     TNewWizard::kHelpContext,
                                     TReplaceDlg::kHelpContext,
                                     TChildScript::kHelpContext,
                                     TSelDateTime::kHelpContext,
                                     TProgressDlg::kHelpContext,
                                     TAboutForm::kSupportContext};
        const THelpMap map = THelpMap::Read(QFileInfo(kShippedHelp).dir().filePath(THelpMap::kFileName));
        QSet<QString> topics;
        for (int context : contexts) {
            QString missing;
            const QUrl url = HelpTopicUrl(kShippedHelp, context, &missing);
            QVERIFY2(url.isValid() && !url.isEmpty(), qPrintable(QStringLiteral("context %1: %2").arg(context).arg(missing)));
            if (context != 0) {
                QVERIFY2(!map.Topic(context).isEmpty(), qPrintable(QStringLiteral("context %1 is not mapped").arg(context)));
                topics << url.toString(QUrl::RemoveFragment);
            }
        }
        // Each dialog has a topic of its own, apart from the two tool dialogs that share one.
        QCOMPARE(topics.size(), contexts.size() - 2);

        // Every page the shipped help links to is there.
        const QDir dir = QFileInfo(kShippedHelp).dir();
        const QRegularExpression link(QStringLiteral("href=\"([^\":#]+\\.html)"));
        for (const QString& page : dir.entryList({"*.html"})) {
            QFile f(dir.filePath(page));
            QVERIFY(f.open(QIODevice::ReadOnly));
            auto it = link.globalMatch(QString::fromUtf8(f.readAll()));
            while (it.hasNext()) {
                const QString target = it.next().captured(1);
                QVERIFY2(QFileInfo::exists(dir.filePath(target)), qPrintable(page + " links to " + target));
            }
        }
    }

    void mapReading()
    {
        const QString index = writeFile(files_.filePath("h1/index.html"), "<html><body>Index</body></html>");
        writeFile(files_.filePath("h1/a.html"), "<html><body>A</body></html>");
        writeFile(files_.filePath("h1/context.map"),
                  "# comment\r\n500 a.html\r\n\r\n  501   a.html#part  \n502 missing.html\n503 ../outside.html\nbad line\n");
        writeFile(files_.filePath("outside.html"), "x");
        const THelpMap map = THelpMap::Read(files_.filePath("h1/context.map"));
        QCOMPARE(map.Entries.size(), 4);
        QCOMPARE(HelpTopicUrl(index, 0), QUrl::fromLocalFile(index));
        QCOMPARE(HelpTopicUrl(index, 500), QUrl::fromLocalFile(files_.filePath("h1/a.html")));
        QCOMPARE(HelpTopicUrl(index, 501).fragment(), QStringLiteral("part"));
        QCOMPARE(HelpTopicUrl(index, 999), QUrl::fromLocalFile(index));  // unmapped: the contents
        QString missing;
        QVERIFY(HelpTopicUrl(index, 502, &missing).isEmpty());
        QCOMPARE(missing, QStringLiteral("missing.html"));
        QVERIFY(HelpTopicUrl(index, 503).isEmpty());  // never outside the help folder
    }

    void showHelpOpensTheTopic()
    {
        ShowHelpFile(kShippedHelp, TOptionsDlg::kHelpContext);
        THelpWindow* w = OpenHelpWindow();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        const QString expected = HelpTopicUrl(kShippedHelp, TOptionsDlg::kHelpContext).toLocalFile();
        QCOMPARE(w->Browser()->source().toLocalFile(), expected);
        QVERIFY(w->Browser()->toPlainText().contains("Preferences"));
        QVERIFY(w->Contents()->count() > 5);
        // The same window is used again; context 0 shows the contents page.
        ShowHelpFile(kShippedHelp, 0);
        QCOMPARE(OpenHelpWindow(), w);
        QCOMPARE(w->Browser()->source().toLocalFile(), QFileInfo(kShippedHelp).absoluteFilePath());
    }

    void helpIsUsableFromAModalDialog()
    {
        QWidget main;
        main.show();
        ShowHelpFile(kShippedHelp, 0, &main);
        THelpWindow* w = OpenHelpWindow();
        QVERIFY(w);
        QWidget* ownerWhileModal = nullptr;
        QDialog dlg(&main);
        QTimer::singleShot(0, &dlg, [&] {
            SetHelpHook([](int context, QWidget* window) { ShowHelpFile(kShippedHelp, context, window); });
            RequestHelp(TEditToolDlg::kHelpContext, &dlg);
            ownerWhileModal = w->parentWidget();
            dlg.close();
        });
        dlg.exec();
        SetHelpHook({});
        // A modal dialog blocks every window but its children: the help was its child, and
        // went back to the main window when it closed, still open.
        QCOMPARE(ownerWhileModal, &dlg);
        QVERIFY(w->parentWidget() != &dlg);
        QVERIFY(w->isVisible());
        w->setParent(nullptr, Qt::Window);  // outlives `main`
    }

    void silentCasesAndTheBeep()
    {
        const int before = beeps_;
        // No help file: nothing, not even a beep.
        ShowHelpFile(QString(), 500);
        ShowHelpFile(files_.filePath("no-such/index.html"), 500);
        QCOMPARE(beeps_, before);
        // No help engine: a beep and nothing else.
        SetHelpEngineCheck([] { return false; });
        if (THelpWindow* w = OpenHelpWindow()) w->hide();
        ShowHelpFile(kShippedHelp, 500);
        QCOMPARE(beeps_, before + 1);
        QVERIFY(!OpenHelpWindow() || !OpenHelpWindow()->isVisible());
    }

    void aMissingTopicIsReported()
    {
        const QString index = writeFile(files_.filePath("h2/index.html"), "<html><body>Index</body></html>");
        writeFile(files_.filePath("h2/context.map"), "602 tools.html\n");
        const auto e = raised([&] { ShowHelpFile(index, 602); });
        QVERIFY(e);
        QCOMPARE(e->Severity, EQMException::Warning);
        QCOMPARE(e->Message, QStringLiteral("Unable to show help file '%1'.").arg(index));
        QVERIFY(e->Details.contains("tools.html"));
    }

    void installedProgramFindsItsHelpAndTips()
    {
        // An installation below some prefix: bin/tavil, share/tavilor/help, share/tavilor/tavil.tip.
        const QString prefix = files_.filePath("prefix");
        QDir().mkpath(prefix + "/bin");
        writeFile(prefix + "/share/tavilor/help/index.html", "<html></html>");
        writeFile(prefix + "/share/tavilor/tavil.tip", "tip\n");
        const TQMApplication app = MakeQMApplication(prefix + "/bin/tavil", std::nullopt, files_.filePath("elsewhere"));
        QCOMPARE(app.HelpFile, prefix + "/share/tavilor/help/index.html");
        QCOMPARE(app.TipFile, prefix + "/share/tavilor/tavil.tip");
    }

    // ---- tip of the day -----------------------------------------------------------------------

    void tipLines_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("line feeds") << QByteArray("a\nb\nc\n") << QStringList{"a", "b", "c"};
        QTest::newRow("carriage returns") << QByteArray("a\rb\rc") << QStringList{"a", "b", "c"};
        QTest::newRow("both, mixed") << QByteArray("a\r\nb\nc\r\n") << QStringList{"a", "b", "c"};
        QTest::newRow("empty lines count") << QByteArray("a\n\nb\n") << QStringList{"a", "", "b"};
        QTest::newRow("one empty line") << QByteArray("\n") << QStringList{""};
        QTest::newRow("no lines") << QByteArray("") << QStringList{};
        QTest::newRow("windows-1252") << QByteArray("caf\xe9 \x93quoted\x94\r\n") << QStringList{"caf\u00e9 \u201cquoted\u201d"};
        QTest::newRow("utf-8 with mark") << QByteArray("\xef\xbb\xbf\xc3\xa9t\xc3\xa9\n") << QStringList{"\u00e9t\u00e9"};
    }
    void tipLines()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, lines);
        const auto read = ReadTipLines(writeFile(files_.filePath("lines.tip"), content));
        QVERIFY(read);
        QCOMPARE(*read, lines);
        QVERIFY(!ReadTipLines(files_.filePath("none.tip")));
    }

    void nextTipCyclesThroughAll()
    {
        const QString tips = writeFile(files_.filePath("three.tip"), "one\ntwo\nthree\n");
        QStringList shown;
        bool checked = false;
        const bool opened = whileModal([&] { checked = ShowTipOfTheDayFrom(tips, true, false); }, [&](QWidget* w) {
            auto* form = qobject_cast<TTipOfTheDayForm*>(w);
            QVERIFY(form);
            QCOMPARE(form->windowTitle(), QStringLiteral("Tip Of The Day..."));
            QCOMPARE(form->lblHeading->text(), QStringLiteral("Did you know..."));
            QVERIFY(form->chkShowTips->isChecked());
            QVERIFY(form->cmdClose->isDefault());
            for (int i = 0; i < 4; ++i) {
                shown << form->CurrentTip();
                form->cmdNext->click();
            }
            form->chkShowTips->setChecked(false);
            form->cmdClose->click();
        });
        QVERIFY(opened);
        QVERIFY(!checked);
        QCOMPARE(shown.size(), 4);
        QCOMPARE(shown[3], shown[0]);
        QCOMPARE(QSet<QString>(shown.begin(), shown.begin() + 3), (QSet<QString>{"one", "two", "three"}));
    }

    void tipRules_data()
    {
        QTest::addColumn<QString>("file");  // "missing", "empty" or "tips"
        QTest::addColumn<bool>("showTips");
        QTest::addColumn<bool>("forced");
        QTest::addColumn<QString>("window");  // what comes up: "", "tips" or "message"
        QTest::addColumn<bool>("result");
        QTest::newRow("tips off at start-up") << "tips" << false << false << "" << false;
        QTest::newRow("start-up, no file") << "missing" << true << false << "" << false;
        QTest::newRow("menu, no file") << "missing" << true << true << "message" << false;
        QTest::newRow("menu, no lines, on") << "empty" << true << true << "" << true;
        QTest::newRow("menu, no lines, off") << "empty" << false << true << "" << false;
        QTest::newRow("menu, tips off") << "tips" << false << true << "tips" << false;
    }
    void tipRules()
    {
        QFETCH(QString, file);
        QFETCH(bool, showTips);
        QFETCH(bool, forced);
        QFETCH(QString, window);
        QFETCH(bool, result);
        QString path = files_.filePath("rules-" + file + ".tip");
        if (file == "empty") writeFile(path, "");
        if (file == "tips") writeFile(path, "a tip\n");
        QString seen;
        bool returned = !result;
        whileModal([&] { returned = ShowTipOfTheDayFrom(path, showTips, forced); }, [&](QWidget* w) {
            if (auto* form = qobject_cast<TTipOfTheDayForm*>(w)) {
                seen = "tips";
                QCOMPARE(form->chkShowTips->isChecked(), showTips);
                QCOMPARE(form->CurrentTip(), QStringLiteral("a tip"));
            } else if (auto* message = qobject_cast<TQMMessage*>(w)) {
                seen = "message";
                QCOMPARE(message->MessageLabel()->text(), NoTipsMessage(path));
            }
        });
        QCOMPARE(seen, window);
        QCOMPARE(returned, result);
    }

    // ---- about box ----------------------------------------------------------------------------

    void aboutBox()
    {
        TAboutForm form;
        const TQMApplication& app = QMApp();
        QCOMPARE(form.windowTitle(), QStringLiteral("About %1...").arg(app.FullName));
        QCOMPARE(form.lblName->text(), app.FullName);
        QVERIFY(form.lblName->font().bold());
        QCOMPARE(form.lblVersion->text(), QStringLiteral("Version ") + app.Version);
        QCOMPARE(form.lblRelease->text(), app.ReleaseLabel);
        QCOMPARE(form.lblCopyright->text(), app.Copyright);
        QCOMPARE(form.lblCredits->text(), app.Credits);
        QVERIFY(form.cmdOK->isDefault());
        QVERIFY(!form.imgIcon->pixmap().isNull());
        QCOMPARE(form.size(), QSize(425, 382));

        // Tech. Support asks for help context 60000.
        int asked = -1;
        SetHelpHook([&](int context, QWidget*) { asked = context; });
        form.cmdSupport->click();
        SetHelpHook({});
        QCOMPARE(asked, 60000);
    }

    void systemInformation_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("details");
        QTest::newRow("empty value") << "" << "The Operating System registry contains an empty path definition for System Info.";
        QTest::newRow("missing program") << "/no/such/msinfo" << "An error was raised by the Operating System while running System Info.";
        QTest::newRow("runs") << "/bin/true" << "";
    }
    void systemInformation()
    {
        QFETCH(QString, program);
        QFETCH(QString, details);
        RegWriteString(Hive::LocalMachine, kSystemInfoKey, kSystemInfoValue, program);
        const auto e = raised([] { RunSystemInformation(); });
        if (details.isEmpty()) {
            QVERIFY(!e);
            return;
        }
        QVERIFY(e);
        QCOMPARE(e->Severity, EQMException::Warning);
        QCOMPARE(e->Message, QStringLiteral("Unable to run System Info at this time."));
        QCOMPARE(e->Details, details);
    }
};

QTEST_MAIN(HelpTest)
#include "HelpTest.moc"
