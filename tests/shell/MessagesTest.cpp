// The message box, the error box with details, the error handler and the mail address.
#include "app/shell/messages/QMErrorHandler.h"
#include "app/shell/messages/QMMessage.h"
#include "app/shell/messages/QMMessageDetails.h"
#include "app/shell/messages/TQMMapi.h"
#include "app/support/EQMException.h"
#include "app/support/QMApplication.h"
#include "tests/shell/Fakes.h"
#include "tests/shell/TempStore.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <stdexcept>

using namespace tavil;

namespace {

// Shows the dialog modally and runs `drive` on it once it is up; returns QMMessage's result.
int runMessage(TQMMessage& dlg, const std::function<void(TQMMessage&)>& drive)
{
    QTimer::singleShot(0, &dlg, [&dlg, drive] {
        QTRY_VERIFY(dlg.isVisible());
        drive(dlg);
    });
    dlg.exec();
    return dlg.Result();
}

}  // namespace

class MessagesTest : public QObject {
    Q_OBJECT

private slots:
    void buttonSets_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QList<int>>("lefts");
        QTest::addColumn<QList<int>>("results");  // per button
        QTest::addColumn<int>("closed");          // closed without a button
        QTest::newRow("OK") << 0 << 1 << QStringList{"&OK"} << QList<int>{168} << QList<int>{0} << 0;
        QTest::newRow("Yes/No") << 1 << 1 << QStringList{"&Yes", "&No"} << QList<int>{120, 208} << QList<int>{1, 3} << 3;
        QTest::newRow("Yes/No/Cancel pt") << 2 << 0 << QStringList{"&Sim", "&Não", "&Cancelar"}
                                          << QList<int>{88, 168, 248} << QList<int>{1, 3, 5} << 5;
        QTest::newRow("Yes/No/Cancel/All") << 3 << 1 << QStringList{"&Yes", "&No", "&Cancel", "&All"}
                                           << QList<int>{48, 128, 208, 288} << QList<int>{1, 3, 5, 6} << 5;
        QTest::newRow("five pt") << 4 << 0 << QStringList{"&Sim", "S&im a Todos", "&Não", "Não &a Todos", "&Cancelar"}
                                 << QList<int>{8, 88, 168, 248, 328} << QList<int>{1, 2, 3, 4, 5} << 5;
        QTest::newRow("five en") << 4 << 1 << QStringList{"&Yes", "Y&es to All", "&No", "No &to All", "&Cancel"}
                                 << QList<int>{8, 88, 168, 248, 328} << QList<int>{1, 2, 3, 4, 5} << 5;
    }

    void buttonSets()
    {
        QFETCH(int, set);
        QFETCH(int, language);
        QFETCH(QStringList, captions);
        QFETCH(QList<int>, lefts);
        QFETCH(QList<int>, results);
        QFETCH(int, closed);
        const auto make = [&] {
            return std::make_unique<TQMMessage>(QStringLiteral("Text"), QStringLiteral("Caption"), qmtQuestion, QString(),
                                                language, 1, set);
        };
        auto dlg = make();
        QCOMPARE(dlg->ButtonCount(), captions.size());
        for (int i = 0; i < captions.size(); ++i) {
            QCOMPARE(dlg->Button(i + 1)->text(), captions[i]);
            QCOMPARE(dlg->Button(i + 1)->geometry().left(), lefts[i]);
            QCOMPARE(dlg->Button(i + 1)->size(), QSize(75, 25));
        }
        for (int i = captions.size(); i < 5; ++i) QVERIFY(dlg->Button(i + 1)->isHidden());
        for (int i = 0; i < results.size(); ++i) {
            auto d = make();
            QCOMPARE(runMessage(*d, [i](TQMMessage& m) { m.Button(i + 1)->click(); }), results[i]);
        }
        auto escaped = make();
        QCOMPARE(runMessage(*escaped, [](TQMMessage& m) { QTest::keyClick(&m, Qt::Key_Escape); }), closed);
        auto xed = make();
        QCOMPARE(runMessage(*xed, [](TQMMessage& m) { m.close(); }), closed);
    }

    void defaultButtonHasFocusAndEnterPressesIt_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("focused");
        QTest::addColumn<int>("result");
        QTest::newRow("set 2, No") << 2 << 2 << 2 << 3;
        QTest::newRow("set 0, out of range") << 0 << 4 << 1 << 0;
        QTest::newRow("set 1, below 1") << 1 << 0 << 1 << 1;
        QTest::newRow("set 4, last") << 4 << 5 << 5 << 5;
    }

    void defaultButtonHasFocusAndEnterPressesIt()
    {
        QFETCH(int, set);
        QFETCH(int, defaultButton);
        QFETCH(int, focused);
        QFETCH(int, result);
        TQMMessage dlg(QStringLiteral("Save changes to 'a.qvx'?"), QString(), qmtQuestion, QString(), 1, defaultButton, set);
        int got = runMessage(dlg, [focused](TQMMessage& m) {
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m.Button(focused)));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        QCOMPARE(got, result);
    }

    void tabOrderRunsFromTheDefaultButtonRound()
    {
        TQMMessage dlg(QStringLiteral("x"), QString(), qmtQuestion, QString(), 1, 3, 4);
        QList<int> order;
        runMessage(dlg, [&order](TQMMessage& m) {
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m.Button(3)));
            for (int k = 0; k < 5; ++k) {
                for (int b = 1; b <= 5; ++b)
                    if (QApplication::focusWidget() == m.Button(b)) order << b;
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            m.reject();
        });
        QCOMPARE(order, (QList<int>{3, 4, 5, 1, 2}));
    }

    void invalidArgumentsRaiseStandardExceptions_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("message");
        QTest::newRow("language") << 0 << 2 << 0 << "Invalid language id. in call to QMMessage.";
        QTest::newRow("type") << 4 << 1 << 0 << "Invalid message type in call to QMMessage.";
        QTest::newRow("set") << 0 << 1 << 5 << "Invalid button definition in call to QMMessage.";
    }

    void invalidArgumentsRaiseStandardExceptions()
    {
        QFETCH(int, type);
        QFETCH(int, language);
        QFETCH(int, set);
        QFETCH(QString, message);
        try {
            TQMMessage dlg(QStringLiteral("x"), QString(), type, QString(), language, 1, set);
            QFAIL("no exception");
        } catch (const std::invalid_argument& e) {
            QCOMPARE(QString::fromLatin1(e.what()), message);
        }
    }

    void emptyCaptionMeansTheApplicationTitle()
    {
        // The application title, not the process's display name (here the test's own).
        QVERIFY(QGuiApplication::applicationDisplayName() != QMApp().FullName);
        TQMMessage dlg(QStringLiteral("x"), QString(), qmtInformation, QStringLiteral("No Such Font"), 1, 1, 0);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Quillomere Tavilor"));
        TQMMessageDetails details(QStringLiteral("x"), QString(), QString(), false, QString(), 1, 2);
        QCOMPARE(details.windowTitle(), QStringLiteral("Quillomere Tavilor"));
    }

    void longMessagesMakeTheBoxTallerInsteadOfBeingCut()
    {
        TQMMessage shortOne(QStringLiteral("Short."), QString(), qmtError, QString(), 1, 1, 0);
        QCOMPARE(shortOne.size(), QSize(410, 83));
        TQMMessage longOne(QString(600, u'w').replace(QRegularExpression(QStringLiteral("(w{9})")), QStringLiteral("\\1 ")),
                           QString(), qmtError, QString(), 1, 1, 0);
        QCOMPARE(longOne.width(), 410);
        QVERIFY(longOne.height() > 83);
        QVERIFY(longOne.Button(1)->geometry().top() >= longOne.MessageLabel()->geometry().bottom());
    }

    void detailsToggleAndCaptions()
    {
        TQMMessageDetails en(QStringLiteral("Failed."), QStringLiteral("why"), QString(), false, QString(), 1, 1);
        QVERIFY(!en.Expanded());
        QCOMPARE(en.DetailsButton()->text(), QStringLiteral("&Details >>"));
        QCOMPARE(en.height(), TQMMessageDetails::kCollapsedHeight - TQMMessageDetails::kTitleAllowance);
        QVERIFY(en.DetailsBox()->isHidden());
        en.DetailsButton()->click();
        QVERIFY(en.Expanded());
        QCOMPARE(en.DetailsButton()->text(), QStringLiteral("&Details <<"));
        QCOMPARE(en.height(), TQMMessageDetails::kExpandedHeight - TQMMessageDetails::kTitleAllowance);
        QVERIFY(!en.DetailsBox()->isHidden());
        en.DetailsButton()->click();
        QCOMPARE(en.height(), TQMMessageDetails::kCollapsedHeight - TQMMessageDetails::kTitleAllowance);

        TQMMessageDetails pt(QStringLiteral("Falhou."), QStringLiteral("d"), QString(), true, QString(), 0, 0);
        QVERIFY(pt.Expanded());
        QCOMPARE(pt.DetailsButton()->text(), QStringLiteral("&Detalhes <<"));
        QCOMPARE(pt.OkButton()->text(), QStringLiteral("&OK"));
    }

    void noDetailsButtonWithoutDetailsEvenWhenAskedToShowThem()
    {
        TQMMessageDetails dlg(QStringLiteral("File 'x' not found."), QString(), QString(), true, QString(), 1, 1);
        QVERIFY(dlg.DetailsButton()->isHidden());
        QVERIFY(!dlg.Expanded());
    }

    void invalidDetailsArguments()
    {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                                 TQMMessageDetails(QStringLiteral("x"), QString(), QString(), false, QString(), 7, 1));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                                 TQMMessageDetails(QStringLiteral("x"), QString(), QString(), false, QString(), 1, 3));
    }

    void normalisation_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("lone LF") << "two\nwords" << "two\nwords";
        QTest::newRow("final LF dropped") << "line\n" << "line";
        QTest::newRow("CR LF") << "a\r\nb" << "a\nb";
        QTest::newRow("LF CR, the order of detail lists") << "a\n\rb" << "a\nb";
        QTest::newRow("lone CR") << "a\rb" << "a\nb";
        QTest::newRow("blank line kept") << "a\n\nb" << "a\n\nb";
        QTest::newRow("only the last break dropped") << "a\n\n" << "a\n";
        QTest::newRow("no breaks") << "plain" << "plain";
    }

    void normalisation()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(NormalizeMessageText(in), out);
        TQMMessageDetails dlg(in, in, QString(), false, QString(), 1, 1);
        QCOMPARE(dlg.DetailsBox()->toPlainText(), out);
    }

    void errorHandlerBySeverity_data()
    {
        QTest::addColumn<int>("kind");  // 0..2 EQMException severity, 3 std::exception, 4 anything else
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("details");
        QTest::addColumn<bool>("fatal");
        QTest::newRow("critical") << 0 << "Broken." << "inner" << true;
        QTest::newRow("warning") << 1 << "Could not open Microsoft ADO interface." << "d" << false;
        QTest::newRow("information") << 2 << "Search string 'x' not found." << "" << false;
        QTest::newRow("other exception") << 3 << "Unexpected error." << "access violation" << true;
        QTest::newRow("not an exception class") << 4 << "Unexpected error." << "" << true;
    }

    void errorHandlerBySeverity()
    {
        QFETCH(int, kind);
        QFETCH(QString, message);
        QFETCH(QString, details);
        QFETCH(bool, fatal);
        test::TempStore store;
        bool ended = false;
        SetFatalExitHandler([&ended] { ended = true; });
        test::ModalAnswerer answer;
        RunGuarded([&] {
            switch (kind) {
            case 3: throw std::runtime_error("access violation");
            case 4: throw 42;
            default: throw EQMException(message, static_cast<std::uint8_t>(kind), details);
            }
        });
        SetFatalExitHandler(nullptr);
        QCOMPARE(answer.shown.size(), 1);
        QCOMPARE(answer.shown[0].message, message);
        QCOMPARE(answer.shown[0].details, details);
        QCOMPARE(answer.shown[0].hadDetailsButton, !details.isEmpty());
        QCOMPARE(ended, fatal);
    }

    void supportMailCarriesProductAndVersion()
    {
        test::TempStore store;
        QString opened;
        TQMMapi::SetOpener([&opened](const QString& url) {
            opened = url;
            return true;
        });
        SendSupportEmail();
        const TQMApplication& app = QMApp();
        QCOMPARE(opened, QStringLiteral("mailto:%1?subject=%2&body=%20")
                             .arg(app.SupportAddress,
                                  QString::fromLatin1(QUrl::toPercentEncoding(app.FullName + u' ' + app.Version))));

        TQMMapi mail;
        mail.Recipients = QStringLiteral("a@x.example\r\nb@x.example\n");
        mail.CopyTo = QStringLiteral("c@x.example");
        mail.Subject = QStringLiteral("a&b=c");
        QCOMPARE(mail.MailtoUrl(), QStringLiteral("mailto:a@x.example,b@x.example?cc=c@x.example&subject=a%26b%3Dc"));
        int aborted = 0;
        mail.OnUserAbort = [&aborted] { ++aborted; };
        TQMMapi::SetOpener([](const QString&) { return false; });
        QCOMPARE(mail.Send(), 1);
        QCOMPARE(aborted, 1);
        TQMMapi::SetOpener(nullptr);
    }
};

QTEST_MAIN(MessagesTest)
#include "MessagesTest.moc"
