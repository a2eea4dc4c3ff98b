// The window pieces of the support library: dialog keys, the hourglass cursor, shell opening.
#include "app/support/QMCursor.h"
#include "app/support/QMDialogKeys.h"
#include "app/support/QMShell.h"
#include "app/support/QMTools.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <QVBoxLayout>

#include <thread>

namespace tavil {

// Receives what the desktop would have opened.
class UrlSink : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

// A field that keeps Escape for itself, as an open list or an edit being cancelled does.
class EscapeEatingEdit : public QLineEdit {
protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Escape) e->accept();
        else QLineEdit::keyPressEvent(e);
    }
};

class QMGuiTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        for (const char* scheme : {"http", "https", "mailto", "file"}) QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &sink_, "open");
        sink_.urls.clear();
    }
    void cleanup()
    {
        for (const char* scheme : {"http", "https", "mailto", "file"}) QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        SetHelpHook({});
    }

    void escapeClosesADialogAndF1AsksForItsHelp()
    {
        QDialog dialog;
        auto* edit = new QLineEdit(&dialog);
        (new QVBoxLayout(&dialog))->addWidget(edit);
        TQMDialogKeys::Install(&dialog, 4210);
        QList<int> asked;
        SetHelpHook([&](int context, QWidget* window) {
            asked << context;
            QCOMPARE(window, &dialog);
        });
        dialog.show();
        edit->setFocus();

        QTest::keyClick(edit, Qt::Key_F1);
        QCOMPARE(asked, QList<int>{4210});
        QVERIFY(dialog.isVisible());
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }

    void escapeKeptByAFieldLeavesTheDialogOpen()
    {
        QDialog dialog;
        auto* edit = new EscapeEatingEdit;
        edit->setParent(&dialog);
        TQMDialogKeys::Install(&dialog);
        dialog.show();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QTest::keyClick(edit, Qt::Key_Escape, Qt::ControlModifier);
        QVERIFY(dialog.isVisible());
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
    }

    void escapeClosesAnMdiChild()
    {
        QMdiArea area;
        auto* child = new QLineEdit;
        QPointer<QMdiSubWindow> sub = area.addSubWindow(child);
        TQMDialogKeys::Install(child, 7);
        QCOMPARE(HelpContext(child), 7);
        area.show();
        sub->show();
        child->setFocus();
        QTest::keyClick(child, Qt::Key_Escape);
        QTRY_VERIFY(sub.isNull());  // closed, and so deleted
    }

    void theHourglassIsNotCounted()
    {
        InstallHourglassCursor();
        HourglassOn();
        HourglassOn();
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        HourglassOff();
        QVERIFY(!QGuiApplication::overrideCursor());

        std::thread([] { HourglassOn(); }).join();  // posted to the interface thread
        QTRY_VERIFY(QGuiApplication::overrideCursor());
        HourglassOff();
        QVERIFY(!QGuiApplication::overrideCursor());
        SetHourglassHandler({});
    }

    void programsStartInTheirFolderWithTheirParameters()
    {
        QTemporaryDir dir;
        const QString folder = QFileInfo(dir.path()).canonicalFilePath();
        // The script writes aside and renames, so that the file appears whole.
        QCOMPARE(ShellOpen(QStringLiteral("/bin/sh"),
                           QStringLiteral("-c 'pwd > part; echo \"$1\" >> part; mv part \"out file\"' sh 'two words'"), folder),
                 int(seOk));
        QFile out(folder + QStringLiteral("/out file"));
        QTRY_VERIFY(out.exists());
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(out.readAll()), folder + QStringLiteral("\ntwo words\n"));

        QVERIFY(ShellOpen(QStringLiteral("sh"), QStringLiteral("-c 'touch marker'"), folder) > 32);  // found on PATH
        QTRY_VERIFY(QFile::exists(folder + QStringLiteral("/marker")));
    }

    void parametersSplitAsAShellWould_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("blanks") << "  a \t b  " << QStringList{"a", "b"};
        QTest::newRow("single quotes") << "'two words' 'it\"s' ''" << QStringList{"two words", "it\"s", ""};
        QTest::newRow("double quotes") << "\"a \\\"b\\\" \\\\ \\n\" x\"y z\"" << QStringList{"a \"b\" \\ \\n", "xy z"};
        QTest::newRow("backslash outside quotes") << "a\\ b \\'c" << QStringList{"a b", "'c"};
        QTest::newRow("unterminated") << "a 'b c" << QStringList{"a", "b c"};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void parametersSplitAsAShellWould()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, arguments);
        QCOMPARE(SplitParameters(text), arguments);
    }

    void failuresReturnSmallCodes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("code");
        QTest::newRow("nothing") << QString() << QString() << int(seFileNotFound);
        QTest::newRow("missing file") << QStringLiteral("/tmp/no-such-program-here") << QString() << int(seFileNotFound);
        QTest::newRow("missing folder of the file") << QStringLiteral("/no/such/folder/program") << QString() << int(sePathNotFound);
        QTest::newRow("missing working folder") << QStringLiteral("/bin/sh") << QStringLiteral("/no/such/folder") << int(sePathNotFound);
        QTest::newRow("not on PATH") << QStringLiteral("no-such-program-anywhere") << QString() << int(seFileNotFound);
    }
    void failuresReturnSmallCodes()
    {
        QFETCH(QString, file);
        QFETCH(QString, folder);
        QFETCH(int, code);
        QCOMPARE(ShellOpen(file, QString(), folder), code);
        QVERIFY(sink_.urls.isEmpty());
    }

    void documentsAndAddressesGoToTheDesktop()
    {
        QTemporaryDir dir;
        const QString doc = dir.filePath(QStringLiteral("notes.txt"));
        QFile f(doc);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QCOMPARE(ShellOpen(doc, QStringLiteral("ignored")), int(seOk));
        QCOMPARE(ShellOpen(QStringLiteral("https://www.quillomere.example/")), int(seOk));
        QCOMPARE(sink_.urls, (QList<QUrl>{QUrl::fromLocalFile(doc), QUrl(QStringLiteral("https://www.quillomere.example/"))}));
    }

    void webAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("url");
        QTest::newRow("bare") << "www.quillomere.example" << "http://www.quillomere.example";
        QTest::newRow("with port") << "www.quillomere.example:8080/x" << "http://www.quillomere.example:8080/x";
        QTest::newRow("http") << "http://a.example/" << "http://a.example/";
        QTest::newRow("https") << "https://a.example/" << "https://a.example/";
        QTest::newRow("upper case scheme") << "HTTP://a.example/" << "HTTP://a.example/";
        QTest::newRow("ftp") << "ftp://a.example/" << "ftp://a.example/";
        QTest::newRow("mail") << "mailto:support@quillomere.example" << "mailto:support@quillomere.example";
        QTest::newRow("empty") << "" << "";
    }
    void webAddresses()
    {
        QFETCH(QString, address);
        QFETCH(QString, url);
        QCOMPARE(WebAddressUrl(address), url);
    }

    void webAddressesAndMailOpen()
    {
        OpenWebAddress(QString());
        QVERIFY(sink_.urls.isEmpty());
        OpenWebAddress(QStringLiteral("www.quillomere.example"));
        QVERIFY(SendMailTo(QStringLiteral("support@quillomere.example"), QStringLiteral("Error report"), QStringLiteral("a&b c\nd")));
        QCOMPARE(sink_.urls.size(), 2);
        QCOMPARE(sink_.urls[0], QUrl(QStringLiteral("http://www.quillomere.example")));
        const QUrl mail = sink_.urls[1];
        QCOMPARE(mail.scheme(), QStringLiteral("mailto"));
        QCOMPARE(mail.path(), QStringLiteral("support@quillomere.example"));
        const QUrlQuery query(mail);
        QCOMPARE(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded), QStringLiteral("Error report"));
        QCOMPARE(query.queryItemValue(QStringLiteral("body"), QUrl::FullyDecoded), QStringLiteral("a&b c\nd"));
    }

private:
    UrlSink sink_;
};

}  // namespace tavil

QTEST_MAIN(tavil::QMGuiTest)
#include "QMGuiTest.moc"
