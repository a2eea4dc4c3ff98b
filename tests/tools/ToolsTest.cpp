// External tools: the stored records, the two dialogs, the menu and launching; the SQL Server
// tools' failure messages.
#include "app/shell/tools/TEditToolDlg.h"
#include "app/shell/tools/TExternalTools.h"
#include "app/shell/tools/TExternalToolsDlg.h"
#include "app/shell/tools/TShellTools.h"
#include "app/shell/tools/TSqlServerTools.h"
#include "app/shell/messages/QMErrorHandler.h"
#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"
#include "app/support/QMRegistry.h"
#include "platform/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <cstdlib>

using namespace tavil;

namespace {

const QString kKey = QStringLiteral("Software\\Test\\Tools");
const Hive kHive = Hive::CurrentUser;

QString writeFile(const QString& path, const QByteArray& content = "x", bool executable = false)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    f.close();
    if (executable) f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return path;
}

// Runs f and returns the EQMException it raised; fails the test when it raised none.
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

class ToolsTest : public QObject {
    Q_OBJECT

    QTemporaryDir config_;
    QTemporaryDir files_;

private slots:
    void initTestCase()
    {
        ::setenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()).constData(), 1);
        platform::SettingsStore::reopenAll();
    }
    void init() { platform::SettingsStore::hive(kHive).deleteKeyTree("Software\\Test"); }

    void parseStoredValues_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("four fields") << "Edit|/usr/bin/vi|-R|/tmp" << true << QStringList{"Edit", "/usr/bin/vi", "-R", "/tmp"};
        QTest::newRow("empty parts") << "|||" << true << QStringList{"", "", "", ""};
        QTest::newRow("folder keeps bars") << "Diff|/usr/bin/diff||/srv/a|b" << true << QStringList{"Diff", "/usr/bin/diff", "", "/srv/a|b"};
        QTest::newRow("one bar") << "Edit|/usr/bin/vi" << false << QStringList{};
        QTest::newRow("two bars") << "Edit|/usr/bin/vi|-R" << false << QStringList{};
        QTest::newRow("empty") << "" << false << QStringList{};
    }
    void parseStoredValues()
    {
        QFETCH(QString, value);
        QFETCH(bool, valid);
        QFETCH(QStringList, fields);
        const auto tool = TExternalTool::Parse(value);
        QCOMPARE(tool.has_value(), valid);
        if (!valid) return;
        QCOMPARE((QStringList{tool->Caption, tool->Command, tool->Parameters, tool->WorkingDir}), fields);
        QCOMPARE(tool->Joined(), value);
    }

    void twelveToolsComeBackInOrder()
    {
        TExternalTools tools(kHive, kKey);
        for (int i = 0; i < 12; ++i)
            tools.Items << TExternalTool{QStringLiteral("Tool %1").arg(i), QStringLiteral("/bin/t%1").arg(i), QString(), QString()};
        tools.Save();
        TExternalTools again(kHive, kKey);
        again.Load();
        QCOMPARE(again.Items, tools.Items);
        QCOMPARE(RegReadString(kHive, kKey, QStringLiteral("Tool11"), QString()), QStringLiteral("Tool 11|/bin/t11||"));
    }

    void loadOrdersByNumberAndSkipsBrokenValues()
    {
        // Written out of order, with a broken value in the middle.
        RegWriteString(kHive, kKey, QStringLiteral("Tool10"), QStringLiteral("ten|/bin/ten||"));
        RegWriteString(kHive, kKey, QStringLiteral("Tool2"), QStringLiteral("two|/bin/two"));
        RegWriteString(kHive, kKey, QStringLiteral("Tool9"), QStringLiteral("nine|/bin/nine|-x|/srv/a|b"));
        RegWriteString(kHive, kKey, QStringLiteral("Tool0"), QStringLiteral("zero|/bin/zero||"));
        TExternalTools tools(kHive, kKey);
        tools.Load();
        QStringList captions;
        for (const auto& t : tools.Items) captions << t.Caption;
        QCOMPARE(captions, (QStringList{"zero", "nine", "ten"}));
        QCOMPARE(tools.Items[1].WorkingDir, QStringLiteral("/srv/a|b"));

        // Saving renumbers and drops what was not read.
        tools.Save();
        QStringList names;
        RegListValueNames(kHive, kKey, names);
        QCOMPARE(names, (QStringList{"Tool0", "Tool1", "Tool2"}));
    }

    void missingKeyGivesAnEmptyList()
    {
        TExternalTools tools(kHive, kKey);
        tools.Items << TExternalTool{"a", "b", "", ""};
        tools.Load();
        QVERIFY(tools.Items.isEmpty());
    }

    void menuIsFilledWhenItOpens()
    {
        QMenu menu;
        TExternalTools tools(kHive, kKey);
        FillExternalToolsMenu(&menu, tools);
        QCOMPARE(menu.actions().size(), 1);
        QCOMPARE(menu.actions()[0]->text(), QStringLiteral("<empty>"));
        QVERIFY(!menu.actions()[0]->isEnabled());

        tools.Items << TExternalTool{"&Editor", "/usr/bin/vi", "", ""} << TExternalTool{"Diff", "/usr/bin/diff", "", ""};
        FillExternalToolsMenu(&menu, tools);
        QCOMPARE(menu.actions().size(), 2);
        QCOMPARE(menu.actions()[1]->text(), QStringLiteral("Diff"));
        QCOMPARE(menu.actions()[1]->statusTip(), QStringLiteral("/usr/bin/diff"));
        QCOMPARE(menu.actions()[1]->data().toInt(), 1);
    }

    void launchPassesParametersAndFolder()
    {
        // A program that writes its folder and arguments into a file of that folder.
        const QString program = writeFile(files_.filePath("record.sh"),
                                          "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > launched.tmp && mv launched.tmp launched.txt\n", true);
        QDir().mkpath(files_.filePath("work dir"));
        TExternalTools tools(kHive, kKey);
        tools.Items << TExternalTool{"Record", program, "one 'two words' \"three\"", files_.filePath("work dir")};
        tools.Launch(0);
        const QString out = files_.filePath("work dir/launched.txt");
        QTRY_VERIFY(QFile::exists(out));
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()),
                 QDir(files_.filePath("work dir")).canonicalPath() + "\n[one]\n[two words]\n[three]\n");
    }

    void launchFailuresAreReported()
    {
        TExternalTools tools(kHive, kKey);
        const QString gone = files_.filePath("deleted-program");
        tools.Items << TExternalTool{"Gone", gone, "", ""};
        tools.Launch(5);  // outside the list: nothing
        const auto e = raised([&] { tools.Launch(0); });
        QVERIFY(e);
        QCOMPARE(e->Severity, EQMException::Warning);
        QCOMPARE(e->Message, QStringLiteral("Unable to open '%1'.").arg(gone));
        QCOMPARE(e->Details, QStringLiteral("Operating System raised an error executing the following command: '%1'.").arg(gone));
    }

    void sqlServerToolsReportTheirOwnMessages_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("command");
        QTest::newRow("enterprise manager") << "actToolsEnterpriseManager" << "Unable to open Microsoft SQL Server Enterprise Manager."
                                           << "\"SQL Server Enterprise Manager.msc\"";
        QTest::newRow("query analyzer") << "actToolsQueryAnalyzer" << "Unable to open Microsoft SQL Server Query Analyzer." << "\"isqlw.exe\"";
        QTest::newRow("profiler") << "actToolsProfiler" << "Unable to open Microsoft SQL Server Profiler." << "\"profiler.exe\"";
        QTest::newRow("import export") << "actToolsImportExport" << "Unable to open Microsoft SQL Server Import and Export Wizard."
                                       << "\"dtswiz.exe\"";
        QTest::newRow("client network") << "actToolsClientNetwork" << "Unable to open Microsoft SQL Server Client Network Utility."
                                        << "\"cliconfg.exe\"";
    }
    void sqlServerToolsReportTheirOwnMessages()
    {
        QFETCH(QString, action);
        QFETCH(QString, message);
        QFETCH(QString, command);
        // An empty PATH and a folder without the document: none of them can be found.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", files_.filePath("no-such-folder").toLocal8Bit());
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(files_.path());
        const auto e = raised([&] { RunSqlServerTool(action); });
        QDir::setCurrent(cwd);
        qputenv("PATH", path);
        QVERIFY(e);
        QCOMPARE(e->Severity, EQMException::Warning);
        QCOMPARE(e->Message, message);
        QCOMPARE(e->Details, QStringLiteral("Operating System raised an error executing the following command: '%1'.").arg(command));
    }

    void commandFieldShowsAndYields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("yielded");
        const QString spaced = writeFile(files_.filePath("my tool"));
        QTest::newRow("plain") << "/usr/bin/vi" << "/usr/bin/vi";
        QTest::newRow("quoted blank") << "\"/opt/my apps/x\"" << "/opt/my apps/x";
        QTest::newRow("with arguments") << "/usr/bin/vi -R file" << "/usr/bin/vi";
        QTest::newRow("quoted with arguments") << "\"/opt/my apps/x\" --y" << "/opt/my apps/x";
        QTest::newRow("existing file with a blank") << spaced << spaced;
        QTest::newRow("empty") << "" << "";
    }
    void commandFieldShowsAndYields()
    {
        QFETCH(QString, text);
        QFETCH(QString, yielded);
        QCOMPARE(TCommandField::Yielded(text), yielded);
        QCOMPARE(TCommandField::Yielded(TCommandField::Shown(yielded)), yielded);
    }

    void editDialogValidates_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("message");
        const QString program = writeFile(files_.filePath("prog"));
        QTest::newRow("empty command") << "\"\"" << "" << "You must specify the command for this External Tool.";
        QTest::newRow("missing file") << "/no/such/prog" << "/no/such/dir" << "File '/no/such/prog' not found.";
        QTest::newRow("folder given for a command") << files_.path() << "" << QStringLiteral("File '%1' not found.").arg(files_.path());
        QTest::newRow("missing folder") << program << "/no/such/dir" << "Directory '/no/such/dir' not found.";
        QTest::newRow("bar in the command") << "/bin/a|b" << "" << "The command cannot contain the character '|'.";
        QTest::newRow("valid") << program << files_.path() << "";
    }
    void editDialogValidates()
    {
        QFETCH(QString, command);
        QFETCH(QString, folder);
        QFETCH(QString, message);
        TExternalTool tool{"Old", "/old", "-o", "/"};
        const TExternalTool before = tool;
        TEditToolDlg dlg(tool, false);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Edit External Tool..."));
        QCOMPARE(dlg.txtCaption->text(), QStringLiteral("Old"));
        dlg.txtCommand->setText(command);
        dlg.txtWorkingDir->setText(folder);
        dlg.txtParameters->setText("-n");
        const auto e = raised([&] { dlg.Confirm(); });
        if (message.isEmpty()) {
            QVERIFY(!e);
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QCOMPARE(tool, (TExternalTool{"Old", command, "-n", folder}));
        } else {
            QVERIFY(e);
            QCOMPARE(e->Severity, EQMException::Information);
            QCOMPARE(e->Message, message);
            QCOMPARE(tool, before);
        }
    }

    void editDialogRejectsBarsThatWouldShiftTheFields()
    {
        const QString program = writeFile(files_.filePath("prog2"));
        TExternalTool tool;
        TEditToolDlg dlg(tool, true);
        dlg.txtCommand->setText(program);
        dlg.txtCaption->setText("a|b");
        auto e = raised([&] { dlg.Confirm(); });
        QVERIFY(e);
        QCOMPARE(e->Message, QStringLiteral("The menu caption cannot contain the character '|'."));
        dlg.txtCaption->setText("ab");
        dlg.txtParameters->setText("x | y");
        e = raised([&] { dlg.Confirm(); });
        QVERIFY(e);
        QCOMPARE(e->Message, QStringLiteral("The parameters cannot contain the character '|'."));
        // The working folder may hold one: it is the last field.
        QDir().mkpath(files_.filePath("a|b"));
        dlg.txtParameters->setText("x y");
        dlg.txtWorkingDir->setText(files_.filePath("a|b"));
        QVERIFY(!raised([&] { dlg.Confirm(); }));
        QCOMPARE(TExternalTool::Parse(tool.Joined()), std::optional<TExternalTool>(tool));
    }

    void editDialogButtonsAndBrowse()
    {
        TExternalTool tool;
        TEditToolDlg dlg(tool, true);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Add External Tool..."));
        QVERIFY(!dlg.cmdOK->isEnabled());
        dlg.CommandChosen("/opt/win/edit.exe");
        QCOMPARE(dlg.txtCaption->text(), QStringLiteral("edit"));
        QVERIFY(dlg.cmdOK->isEnabled());
        // A caption that is there already stays.
        dlg.CommandChosen("/opt/win folder/notepad.exe");
        QCOMPARE(dlg.txtCaption->text(), QStringLiteral("edit"));
        QCOMPARE(dlg.txtCommand->text(), QStringLiteral("\"/opt/win folder/notepad.exe\""));
        dlg.txtCaption->clear();
        QVERIFY(!dlg.cmdOK->isEnabled());

        // A file dropped onto the command field becomes the command.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile("/usr/bin/dropped tool")});
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // Straight to the field, as no drag is under way.
        static_cast<QObject*>(dlg.txtCommand)->event(&drop);
        QCOMPARE(dlg.txtCommand->Command(), QStringLiteral("/usr/bin/dropped tool"));

        // Cancel leaves the record alone.
        dlg.txtCaption->setText("x");
        dlg.cmdCancel->click();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(tool, TExternalTool{});
    }

    void configureDialogEditsAndSavesOnEveryClose()
    {
        TExternalTools tools(kHive, kKey);
        tools.Items << TExternalTool{"A", "/a", "-a", ""} << TExternalTool{"B", "/b", "", "/tmp"} << TExternalTool{"C", "/c", "", ""};
        tools.Save();
        TExternalToolsDlg dlg(tools);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Configure External Tools..."));
        QCOMPARE(dlg.lvTools->currentRow(), 0);
        QCOMPARE(dlg.txtCommand->text(), QStringLiteral("/a"));
        QCOMPARE(dlg.txtParameters->text(), QStringLiteral("-a"));
        QVERIFY(dlg.txtCommand->isReadOnly());

        // Add and edit go through the edit dialog.
        dlg.RunEditDialog = [](TExternalTool& t, bool add) {
            t = add ? TExternalTool{"D", "/d", "", ""} : TExternalTool{t.Caption + "2", t.Command, "-e", t.WorkingDir};
            return true;
        };
        dlg.cmdAdd->click();
        QCOMPARE(dlg.lvTools->currentRow(), 3);
        QCOMPARE(dlg.txtCaption->text(), QStringLiteral("D"));
        dlg.lvTools->Focus(1);
        dlg.cmdEdit->click();
        QCOMPARE(dlg.lvTools->item(1)->text(), QStringLiteral("B2"));
        QCOMPARE(dlg.txtParameters->text(), QStringLiteral("-e"));
        // A confirmed-less edit changes nothing.
        dlg.RunEditDialog = [](TExternalTool& t, bool) {
            t.Caption = "lost";
            return false;
        };
        dlg.cmdEdit->click();
        QCOMPARE(dlg.lvTools->item(1)->text(), QStringLiteral("B2"));

        // Remove without confirmation; nothing selected disables Edit, Remove and the fields.
        dlg.lvTools->Focus(0);
        dlg.cmdRemove->click();
        QCOMPARE(dlg.lvTools->count(), 3);
        dlg.lvTools->clearSelection();
        QVERIFY(!dlg.cmdEdit->isEnabled());
        QVERIFY(!dlg.cmdRemove->isEnabled());
        QVERIFY(!dlg.txtCaption->isEnabled());
        QVERIFY(dlg.txtCaption->text().isEmpty());

        // Nothing is stored before the dialog closes; Escape closes it and stores everything.
        TExternalTools stored(kHive, kKey);
        stored.Load();
        QCOMPARE(stored.Items.size(), 3);
        QCOMPARE(stored.Items[0].Caption, QStringLiteral("A"));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        stored.Load();
        QStringList captions;
        for (const auto& t : stored.Items) captions << t.Caption;
        QCOMPARE(captions, (QStringList{"B2", "C", "D"}));
        QCOMPARE(tools.Items, stored.Items);
    }

    void draggingMovesTheSelectedRow_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("onto");  // -1: below the last row
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("order");
        QTest::newRow("down before a row") << 0 << 2 << true << "BACD";
        QTest::newRow("up before a row") << 3 << 1 << true << "ADBC";
        QTest::newRow("below the rows") << 1 << -1 << true << "ACDB";
        QTest::newRow("onto itself") << 2 << 2 << false << "ABCD";
        QTest::newRow("onto the next row") << 1 << 2 << true << "ABCD";
    }
    void draggingMovesTheSelectedRow()
    {
        QFETCH(int, from);
        QFETCH(int, onto);
        QFETCH(bool, accepted);
        QFETCH(QString, order);
        TToolList list;
        for (QChar c : QStringLiteral("ABCD")) list.AppendTool(TExternalTool{c, QString(), QString(), QString()});
        list.Focus(from);
        // Only a drag that started in the list itself may drop.
        QCOMPARE(list.CanDrop(&list, onto), accepted);
        QVERIFY(!list.CanDrop(nullptr, onto));
        if (accepted) list.MoveSelectedBefore(onto);
        QString now;
        for (const auto& t : list.Tools()) now += t.Caption;
        QCOMPARE(now, order);
        if (accepted) QCOMPARE(list.item(list.currentRow())->text(), QString(QChar(u'A' + from)));
    }
};

QTEST_MAIN(ToolsTest)
#include "ToolsTest.moc"
