// The script editor's rules as plain functions: searching, the replace walks, histories, case
// conversions, line handling, file formats, date/time entries, the Go To correction and the
// editor's discarded keys.
#include "app/script/TGoToDlg.h"
#include "app/script/TScriptEditor.h"
#include "app/script/TScriptFile.h"
#include "app/script/TScriptSearch.h"
#include "app/script/TTextTransforms.h"

#include <QPlainTextDocumentLayout>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

using namespace tavil;

namespace {

// A subject whose answers come from a list; records the selection at every question.
struct Walk {
    explicit Walk(TStringSubject s, QList<TReplaceAnswer> a = {}) : subject(std::move(s)), answers(std::move(a)) {}
    TStringSubject subject;
    QList<TReplaceAnswer> answers;
    QList<qsizetype> askedAt;
    int asked = 0;
    TReplaceQuestion ask()
    {
        return [this] {
            askedAt << subject.SelectionStart();
            return answers.value(asked++, TReplaceAnswer::Cancel);
        };
    }
};

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class ScriptTextTest : public QObject {
    Q_OBJECT
private slots:
    void findInText_data();
    void findInText();
    void findTextStartsAfterSelection_data();
    void findTextStartsAfterSelection();
    void replaceAll_data();
    void replaceAll();
    void replaceOnceAsksAndReplaces();
    void historyKeepsLatestSpelling();
    void convertCase_data();
    void convertCase();
    void convertCaseKeepsLength();
    void linesOfInsertedFile_data();
    void linesOfInsertedFile();
    void decodeKeepsFormat_data();
    void decodeKeepsFormat();
    void writeKeepsLineBreaksAndCharacterSet();
    void windows1252FallsBackToUtf8();
    void failedWriteRaises();
    void dateTimeEntries();
    void goToCorrection_data();
    void goToCorrection();
    void discardedKeys();
};

void ScriptTextTest::findInText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("expected");

    QTest::newRow("ignoring case") << "select * from Orders" << "ORDERS" << 0 << false << false << 14;
    QTest::newRow("case sensitive misses") << "select * from Orders" << "ORDERS" << 0 << true << false << -1;
    QTest::newRow("from after the only one") << "abc abc" << "abc" << 1 << false << false << 4;
    QTest::newRow("at the very end") << "xxabc" << "abc" << 2 << false << false << 2;
    QTest::newRow("nothing after the end") << "abc" << "abc" << 3 << false << false << -1;
    QTest::newRow("empty pattern") << "abc" << "" << 0 << false << false << -1;
    QTest::newRow("whole word skips identifier parts")
        << "Order_Id, OrderDate, Order" << "Order" << 0 << false << true << 21;
    QTest::newRow("whole word skips digits") << "t1 t" << "t" << 0 << false << true << 3;
    QTest::newRow("whole word between brackets") << "[Order].[Id]" << "order" << 0 << false << true << 1;
    QTest::newRow("whole word next to a non-latin letter") << "\u00e9tat etat" << "tat" << 0 << false << true << -1;
}

void ScriptTextTest::findInText()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(int, from);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(int, expected);
    QCOMPARE(FindInText(text, pattern, from, TFindOptions{matchCase, wholeWord}), qsizetype(expected));
}

void ScriptTextTest::findTextStartsAfterSelection_data()
{
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<bool>("fromCursor");
    QTest::addColumn<int>("found");  // -1: not found, selection unchanged

    // "ab ab ab": occurrences at 0, 3 and 6.
    QTest::newRow("entire scope, caret in the middle, finds before the caret") << 4 << 0 << false << 0;
    QTest::newRow("from cursor, caret in the middle") << 4 << 0 << true << 6;
    QTest::newRow("entire scope continues after a found selection") << 3 << 2 << false << 6;
    QTest::newRow("no wrap-around after the last one") << 6 << 2 << false << -1;
    QTest::newRow("from cursor past the last one") << 7 << 0 << true << -1;
}

void ScriptTextTest::findTextStartsAfterSelection()
{
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(bool, fromCursor);
    QFETCH(int, found);
    TStringSubject s(QStringLiteral("ab ab ab"), selStart, selLength);
    QCOMPARE(FindText(s, QStringLiteral("AB"), {}, fromCursor), found >= 0);
    QCOMPARE(s.SelectionStart(), qsizetype(found >= 0 ? found : selStart));
    QCOMPARE(s.SelectionLength(), qsizetype(found >= 0 ? 2 : selLength));
}

void ScriptTextTest::replaceAll_data()
{
    using A = TReplaceAnswer;
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QList<TReplaceAnswer>>("answers");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("cancelled");

    QTest::newRow("yes, no, then all") << "x x x x x" << "x" << "yy" << QList<A>{A::Yes, A::No, A::All}
                                       << "yy x yy yy yy" << 3 << false;
    QTest::newRow("a letter doubled ends after one pass") << "a-a-a" << "a" << "aa" << QList<A>{A::All}
                                                          << "aa-aa-aa" << 1 << false;
    QTest::newRow("cancelled at the third") << "k k k k" << "k" << "m" << QList<A>{A::Yes, A::Yes, A::Cancel}
                                            << "m m k k" << 3 << true;
    QTest::newRow("nothing to replace") << "abc" << "z" << "y" << QList<A>{} << "abc" << 0 << false;
    QTest::newRow("shorter replacement keeps positions right")
        << "[dbo].[dbo_t] dbo" << "dbo" << "x" << QList<A>{A::All} << "[x].[x_t] x" << 1 << false;
}

void ScriptTextTest::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(QString, replacement);
    QFETCH(QList<TReplaceAnswer>, answers);
    QFETCH(QString, result);
    QFETCH(int, questions);
    QFETCH(bool, cancelled);
    Walk w{TStringSubject(text), answers};
    QCOMPARE(ReplaceAll(w.subject, pattern, replacement, {}, false, w.ask()), cancelled);
    QCOMPARE(w.subject.Text(), result);
    QCOMPARE(w.asked, questions);
}

void ScriptTextTest::replaceOnceAsksAndReplaces()
{
    Walk yes{TStringSubject(QStringLiteral("go GO go"), 2, 0), {TReplaceAnswer::Yes}};
    QVERIFY(ReplaceOnce(yes.subject, QStringLiteral("go"), QStringLiteral("run"), {true, false}, true, yes.ask()));
    QCOMPARE(yes.subject.Text(), QStringLiteral("go GO run"));
    QCOMPARE(yes.askedAt, QList<qsizetype>{6});

    Walk no{TStringSubject(QStringLiteral("go go")), {TReplaceAnswer::No}};
    QVERIFY(ReplaceOnce(no.subject, QStringLiteral("go"), QStringLiteral("run"), {}, false, no.ask()));
    QCOMPARE(no.subject.Text(), QStringLiteral("go go"));
    QCOMPARE(no.subject.SelectionLength(), qsizetype(2));

    Walk none{TStringSubject(QStringLiteral("abc"))};
    QVERIFY(!ReplaceOnce(none.subject, QStringLiteral("z"), QStringLiteral("y"), {}, false, none.ask()));
    QCOMPARE(none.asked, 0);
}

void ScriptTextTest::historyKeepsLatestSpelling()
{
    QStringList h{QStringLiteral("orders"), QStringLiteral("Customers"), QStringLiteral("ORDERS")};
    PushHistory(h, QStringLiteral("Orders"));
    QCOMPARE(h, (QStringList{QStringLiteral("Orders"), QStringLiteral("Customers")}));
    PushHistory(h, QStringLiteral("customers"));
    QCOMPARE(h, (QStringList{QStringLiteral("customers"), QStringLiteral("Orders")}));
}

void ScriptTextTest::convertCase_data()
{
    QTest::addColumn<int>("conversion");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const int title = int(TCaseConversion::Title), toggle = int(TCaseConversion::Toggle);
    QTest::newRow("title apostrophe and hyphen") << title << "o'neil-smith" << "O'Neil-Smith";
    QTest::newRow("title digits and underscore") << title << "sql_server2000db" << "Sql_Server2000Db";
    QTest::newRow("title lowers the rest") << title << "McDonald" << "Mcdonald";
    QTest::newRow("title accented letters") << title << "\u00e9COLE \u00c9T\u00c9" << "\u00c9cole \u00c9t\u00e9";
    QTest::newRow("toggle") << toggle << "Select 1, [x];" << "sELECT 1, [X];";
    QTest::newRow("upper") << int(TCaseConversion::Upper) << "select \u00e7a" << "SELECT \u00c7A";
    QTest::newRow("lower") << int(TCaseConversion::Lower) << "SELECT \u00c7A" << "select \u00e7a";
    // Full mappings would change the length: sharp s stays, the ligature stays.
    QTest::newRow("upper keeps sharp s") << int(TCaseConversion::Upper) << "stra\u00dfe \ufb01" << "STRA\u00dfE \ufb01";
    QTest::newRow("upper of a supplementary letter") << int(TCaseConversion::Upper) << "\U00010428x" << "\U00010400X";
}

void ScriptTextTest::convertCase()
{
    QFETCH(int, conversion);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(ConvertCase(text, static_cast<TCaseConversion>(conversion)), expected);
}

void ScriptTextTest::convertCaseKeepsLength()
{
    // Every BMP code point through every conversion: the length never changes, and a surrogate
    // pair is never split or merged.
    QString all;
    for (char32_t c = 1; c < 0x10000; ++c)
        if (!QChar::isSurrogate(c)) all += QChar(char16_t(c));
    all += QStringLiteral("\U00010428\U0001E922");
    for (auto conversion : {TCaseConversion::Upper, TCaseConversion::Lower, TCaseConversion::Title, TCaseConversion::Toggle}) {
        const QString out = ConvertCase(all, conversion);
        QCOMPARE(out.size(), all.size());
        for (qsizetype i = 0; i < out.size(); ++i) QCOMPARE(out[i].isHighSurrogate(), all[i].isHighSurrogate());
    }
}

void ScriptTextTest::linesOfInsertedFile_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("joined");
    QTest::newRow("last line without a break") << "a\r\nb" << "a\r\nb\r\n";
    QTest::newRow("bare line feeds") << "a\nb\n" << "a\r\nb\r\n";
    QTest::newRow("bare carriage returns and an empty line") << "a\r\rb" << "a\r\n\r\nb\r\n";
    QTest::newRow("empty file") << "" << "";
    QTest::newRow("only a break") << "\n" << "\r\n";
}

void ScriptTextTest::linesOfInsertedFile()
{
    QFETCH(QString, text);
    QFETCH(QString, joined);
    QCOMPARE(JoinLinesCrLf(SplitTextLines(text)), joined);
}

void ScriptTextTest::decodeKeepsFormat_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("lineBreak");
    QTest::newRow("generated script") << QByteArray("GO\r\nSELECT 1\r\n") << "GO\r\nSELECT 1\r\n"
                                      << int(TScriptFileFormat::Utf8) << "\r\n";
    QTest::newRow("unix, utf-8") << QByteArray("-- caf\xc3\xa9\nGO\n") << "-- caf\u00e9\nGO\n"
                                 << int(TScriptFileFormat::Utf8) << "\n";
    QTest::newRow("bom is no part of the text") << QByteArray("\xef\xbb\xbfGO\r") << "GO\r"
                                                << int(TScriptFileFormat::Utf8WithBom) << "\r";
    QTest::newRow("windows-1252") << QByteArray("-- caf\xe9 \x80\r\n") << "-- caf\u00e9 \u20ac\r\n"
                                  << int(TScriptFileFormat::Windows1252) << "\r\n";
    QTest::newRow("no line break") << QByteArray("GO") << "GO" << int(TScriptFileFormat::Utf8) << "\n";
}

void ScriptTextTest::decodeKeepsFormat()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, encoding);
    QFETCH(QString, lineBreak);
    const TScriptText s = DecodeScript(bytes);
    QCOMPARE(s.Text, text);
    QCOMPARE(int(s.Format.Encoding), encoding);
    QCOMPARE(s.Format.LineBreak, lineBreak);
}

void ScriptTextTest::writeKeepsLineBreaksAndCharacterSet()
{
    QTemporaryDir dir;
    const QList<QByteArray> files{
        QByteArray("CREATE TABLE t (a int)\r\nGO\r\n\r\n"),
        QByteArray("\xef\xbb\xbf-- caf\xc3\xa9\nGO"),
        QByteArray("-- caf\xe9\rGO\r"),
    };
    for (const QByteArray& bytes : files) {
        const TScriptText s = DecodeScript(bytes);
        QTextDocument doc;
        doc.setDocumentLayout(new QPlainTextDocumentLayout(&doc));
        doc.setPlainText(s.Text);
        const QString path = dir.filePath(QStringLiteral("out.sql"));
        WriteScriptFile(path, doc, s.Format);
        QCOMPARE(readAll(path), bytes);
    }
}

void ScriptTextTest::windows1252FallsBackToUtf8()
{
    QTemporaryDir dir;
    TScriptFileFormat format;
    format.Encoding = TScriptFileFormat::Windows1252;
    format.LineBreak = QStringLiteral("\r\n");
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("-- \u20ac \u0416\nGO"));
    const QString path = dir.filePath(QStringLiteral("out.sql"));
    const TScriptFileFormat written = WriteScriptFile(path, doc, format);
    QCOMPARE(int(written.Encoding), int(TScriptFileFormat::Utf8));
    QCOMPARE(readAll(path), QByteArray("-- \xe2\x82\xac \xd0\x96\r\nGO"));
}

void ScriptTextTest::failedWriteRaises()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("new text"));
    for (const QString& target : {dir.filePath(QStringLiteral("missing/out.sql")), dir.filePath(QStringLiteral("folder"))}) {
        bool raised = false;
        try {
            WriteScriptFile(target, doc, {});
        } catch (const TScriptFileError& e) {
            raised = !e.Reason.isEmpty();
        }
        QVERIFY2(raised, qPrintable(target));
    }
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("folder")});
}

void ScriptTextTest::dateTimeEntries()
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QDateTime afternoon(QDate(2002, 3, 5), QTime(14, 7, 9));
    const QDateTime midnight(QDate(2002, 3, 5), QTime(0, 0, 0, 500));
    const QString shortDate = us.toString(afternoon, us.dateFormat(QLocale::ShortFormat));
    const QString longDate = us.toString(afternoon, us.dateFormat(QLocale::LongFormat));
    const QString shortTime = us.toString(afternoon, us.timeFormat(QLocale::ShortFormat));
    const QString longTime = us.toString(afternoon, us.timeFormat(QLocale::LongFormat));
    const QStringList expected{shortDate + u' ' + longTime, shortDate, longDate, shortTime, longTime,
                               shortDate + u' ' + shortTime, longDate + u' ' + shortTime, longDate + u' ' + longTime};
    for (int i = 0; i < kDateTimeFormatCount; ++i) QCOMPARE(FormatDateTimeEntry(afternoon, i, us), expected[i]);
    QVERIFY(shortDate.contains(QLatin1String("02")) || shortDate.contains(QLatin1String("2002")));
    QVERIFY(shortTime.contains(QLatin1String("2:07")));
    // Exactly midnight (milliseconds aside): the date alone.
    QCOMPARE(FormatDateTimeEntry(midnight, 0, us), us.toString(midnight, us.dateFormat(QLocale::ShortFormat)));
    QCOMPARE(FormatDateTimeEntry(afternoon, kDateTimeFormatCount, us), QString());
}

void ScriptTextTest::goToCorrection_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("empty") << "" << 1;
    QTest::newRow("unreadable") << "12a" << 1;
    QTest::newRow("zero") << "0" << 1;
    QTest::newRow("negative") << "-5" << 1;
    QTest::newRow("in range") << " 42 " << 42;
    QTest::newRow("maximum") << "9999999" << 9999999;
    QTest::newRow("above") << "10000000" << 9999999;
    QTest::newRow("too many digits") << "99999999999999999999999" << 9999999;
}

void ScriptTextTest::goToCorrection()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(TGoToSpinBox::Corrected(text), value);
}

void ScriptTextTest::discardedKeys()
{
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    for (int key : {Qt::Key_E, Qt::Key_I, Qt::Key_J, Qt::Key_L, Qt::Key_M, Qt::Key_R})
        QVERIFY(TScriptEditor::IsDiscardedKey(key, ctrl));
    QVERIFY(TScriptEditor::IsDiscardedKey(Qt::Key_L, ctrlShift));
    QVERIFY(!TScriptEditor::IsDiscardedKey(Qt::Key_E, ctrlShift));
    QVERIFY(!TScriptEditor::IsDiscardedKey(Qt::Key_C, ctrl));
    QVERIFY(!TScriptEditor::IsDiscardedKey(Qt::Key_V, ctrl));
    QVERIFY(!TScriptEditor::IsDiscardedKey(Qt::Key_L, Qt::ControlModifier | Qt::AltModifier));
    QVERIFY(!TScriptEditor::IsDiscardedKey(Qt::Key_L, Qt::NoModifier));
}

QTEST_MAIN(ScriptTextTest)
#include "ScriptTextTest.moc"
