// Reading and writing command files: the writer's exact bytes, the reader's rules and checks,
// round trips, and saving safely.
#include "app/model/TCmdFile.h"
#include "app/model/TIniDocument.h"
#include "app/support/EQMException.h"
#include "app/support/cipher/LegacyText.h"
#include "app/support/cipher/PasswordCipher.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <functional>
#include <initializer_list>
#include <iterator>

namespace tavil {
namespace {

// Lines joined with CR LF, each line ended.
QByteArray lines(std::initializer_list<const char*> list)
{
    QByteArray out;
    for (const char* l : list)
        out += QByteArray(l) + "\r\n";
    return out;
}

const QByteArray kHeader = lines({"[Header]", "Application=Quillomere Tavilor", "Version=0.3.0 Build 52", ""});

QByteArray fileWith(const QByteArray& body) { return kHeader + body; }

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QStringList fullNames(const TDBObjects& list)
{
    QStringList out;
    for (int i = 0; i < list.Count(); ++i)
        out << list.Items(i)->FullName();
    return out;
}

// Loads bytes and returns the exception, if any.
std::optional<EQMException> loadError(TCmdFile& f, const QByteArray& bytes, const QString& path = QStringLiteral("/x/a.qvx"))
{
    try {
        f.LoadFromBytes(bytes, path);
    } catch (const EQMException& e) {
        return e;
    }
    return std::nullopt;
}

// Every switch of a command file, in file order.
using SwitchRef = std::function<bool&(TCmdFile&)>;
const std::vector<std::pair<const char*, SwitchRef>>& allSwitches()
{
    static const std::vector<std::pair<const char*, SwitchRef>> s = {
        {"ScriptSchema", [](TCmdFile& f) -> bool& { return f.TableOptions.ScriptSchema; }},
        {"ScriptData", [](TCmdFile& f) -> bool& { return f.TableOptions.ScriptData; }},
        {"GenerateCreateCommand", [](TCmdFile& f) -> bool& { return f.FormatOptions.GenerateCreateCommand; }},
        {"GenerateDropCommand", [](TCmdFile& f) -> bool& { return f.FormatOptions.GenerateDropCommand; }},
        {"ScriptDependantObjects", [](TCmdFile& f) -> bool& { return f.FormatOptions.ScriptDependantObjects; }},
        {"IncludeHeaders", [](TCmdFile& f) -> bool& { return f.FormatOptions.IncludeHeaders; }},
        {"IncludeExtendedProperties", [](TCmdFile& f) -> bool& { return f.FormatOptions.IncludeExtendedProperties; }},
        {"ScriptOnly70Compatible", [](TCmdFile& f) -> bool& { return f.FormatOptions.ScriptOnly70Compatible; }},
        {"ScriptUsersRoles", [](TCmdFile& f) -> bool& { return f.OtherOptions.ScriptUsersRoles; }},
        {"ScriptLogins", [](TCmdFile& f) -> bool& { return f.OtherOptions.ScriptLogins; }},
        {"ScriptObjectPermissions", [](TCmdFile& f) -> bool& { return f.OtherOptions.ScriptObjectPermissions; }},
        {"ScriptTableIndexes", [](TCmdFile& f) -> bool& { return f.OtherOptions.ScriptTableIndexes; }},
        {"ScriptTableFullTextIndexes", [](TCmdFile& f) -> bool& { return f.OtherOptions.ScriptTableFullTextIndexes; }},
        {"ScriptTableTriggers", [](TCmdFile& f) -> bool& { return f.OtherOptions.ScriptTableTriggers; }},
        {"ScriptTableConstraints", [](TCmdFile& f) -> bool& { return f.OtherOptions.ScriptTableConstraints; }},
        {"ScriptTableIncludeColumnNames", [](TCmdFile& f) -> bool& { return f.OtherOptions.ScriptTableIncludeColumnNames; }},
    };
    return s;
}

const QByteArray kFormattingAllOff = lines({"[Formatting]", "GenerateCreateCommand=0", "GenerateDropCommand=0",
                                            "ScriptDependantObjects=0", "IncludeHeaders=0", "IncludeExtendedProperties=0",
                                            "ScriptOnly70Compatible=0", ""});
const QByteArray kAdvancedAllOff = lines({"[Advanced]", "ScriptUsersRoles=0", "ScriptLogins=0", "ScriptObjectPermissions=0",
                                          "ScriptTableIndexes=0", "ScriptTableFullTextIndexes=0", "ScriptTableTriggers=0",
                                          "ScriptTableConstraints=0", "ScriptTableIncludeColumnNames=0", ""});

// ---- Writing ----------------------------------------------------------------------------------

TEST(CmdFileWriter, NewCommandFileBytes)
{
    const TCmdFile f;
    EXPECT_EQ(f.SaveToBytes(), lines({
        "[Header]", "Application=Quillomere Tavilor", "Version=0.3.0 Build 52", "",
        "[Connection]", "ServerName=(local)", "WindowsAuthentication=1", "Username=", "Password=", "DatabaseName=(default)", "",
        "[Tables]", "ScriptSchema=1", "ScriptData=1", "",
        "[Formatting]", "GenerateCreateCommand=1", "GenerateDropCommand=1", "ScriptDependantObjects=1", "IncludeHeaders=1",
        "IncludeExtendedProperties=0", "ScriptOnly70Compatible=0", "",
        "[Advanced]", "ScriptUsersRoles=0", "ScriptLogins=0", "ScriptObjectPermissions=0", "ScriptTableIndexes=1",
        "ScriptTableFullTextIndexes=0", "ScriptTableTriggers=1", "ScriptTableConstraints=1", "ScriptTableIncludeColumnNames=1", "",
    }));
}

TEST(CmdFileWriter, ObjectSectionsAndNumbering)
{
    TCmdFile f;
    f.Connection.ServerName = QStringLiteral("srv\\inst");
    f.Connection.WindowsAuthentication = false;
    f.Connection.Username = QStringLiteral("sa");
    f.Connection.Password = QStringLiteral("secret");
    f.Connection.DatabaseName = QStringLiteral("Northwind");
    f.Tables.Add(new TDBObject(QStringLiteral("dbo"), QStringLiteral("Orders")));
    f.Tables.Add(new TDBObject(QStringLiteral("dbo"), QStringLiteral("Order Details")));
    f.Views.Add(new TDBObject(QStringLiteral("sales"), QStringLiteral("v.Totals")));
    for (int i = 0; i < 11; ++i)
        f.Functions.Add(new TDBObject(QStringLiteral("dbo"), QStringLiteral("f%1").arg(i)));
    f.TableOptions.ScriptData = false;
    for (const auto& [name, ref] : allSwitches())
        if (QByteArray(name) != "ScriptSchema" && QByteArray(name) != "ScriptData")
            ref(f) = false;

    QByteArray functions = "[Functions]\r\n";
    for (int i = 0; i < 11; ++i)
        functions += "Function" + QByteArray::number(i) + "=dbo.f" + QByteArray::number(i) + "\r\n";
    functions += "\r\n";
    EXPECT_EQ(f.SaveToBytes(),
              kHeader
                  + lines({"[Connection]", "ServerName=srv\\inst", "WindowsAuthentication=0", "Username=sa",
                           "Password=5I+r8h0d", "DatabaseName=Northwind", "",
                           "[Tables]", "Table0=dbo.Orders", "Table1=dbo.Order Details", "ScriptSchema=1", "ScriptData=0", "",
                           "[Views]", "View0=sales.v.Totals", ""})
                  + functions + kFormattingAllOff + kAdvancedAllOff);
}

TEST(CmdFileWriter, EveryKindHasItsSectionAndPrefix)
{
    TCmdFile f;
    for (int kind = 0; kind < TCmdFile::KindCount; ++kind)
        f.Objects(kind).Add(new TDBObject(QStringLiteral("o"), QStringLiteral("n%1").arg(kind)));
    const QByteArray bytes = f.SaveToBytes();
    const char* expected[] = {"[Tables]\r\nTable0=o.n0\r\nScriptSchema=1", "[Views]\r\nView0=o.n1\r\n\r\n",
                              "[StoredProcs]\r\nStoredProc0=o.n2\r\n\r\n", "[Defaults]\r\nDefault0=o.n3\r\n\r\n",
                              "[Rules]\r\nRule0=o.n4\r\n\r\n", "[Types]\r\nType0=o.n5\r\n\r\n",
                              "[Functions]\r\nFunction0=o.n6\r\n\r\n[Formatting]"};
    qsizetype last = -1;
    for (const char* e : expected) {
        const qsizetype at = bytes.indexOf(e);
        EXPECT_GT(at, last) << e;
        last = at;
    }
}

// A line break in a value would end its line early; the rest could be read as keys of its own.
TEST(CmdFileWriter, RefusesLineBreaksInValues)
{
    const std::function<void(TCmdFile&)> cases[] = {
        [](TCmdFile& f) { f.Tables.Add(new TDBObject(QStringLiteral("dbo"), QStringLiteral("x\r\n[Connection]\r\nServerName=evil"))); },
        [](TCmdFile& f) { f.Functions.Add(new TDBObject(QStringLiteral("d\nbo"), QStringLiteral("x"))); },
        [](TCmdFile& f) { f.Connection.ServerName = QStringLiteral("a\rb"); },
        [](TCmdFile& f) { f.Connection.Username = QStringLiteral("a\nb"); },
        [](TCmdFile& f) { f.Connection.DatabaseName = QStringLiteral("a\nb"); },
    };
    for (const auto& makeBad : cases) {
        TCmdFile f;
        makeBad(f);
        try {
            f.SaveToBytes(QStringLiteral("/tmp/t.qvx"));
            ADD_FAILURE() << "no exception";
        } catch (const EQMException& e) {
            EXPECT_EQ(e.Severity, 1);
            EXPECT_EQ(e.Message, QStringLiteral("Unable to save file '/tmp/t.qvx'."));
            EXPECT_TRUE(e.Details.contains(QLatin1String("line break"))) << e.Details.toStdString();
        }
    }
    TCmdFile withBreakInPassword;  // enciphered, so harmless
    withBreakInPassword.Connection.WindowsAuthentication = false;
    withBreakInPassword.Connection.Password = QStringLiteral("a\r\nb");
    EXPECT_NO_THROW(withBreakInPassword.SaveToBytes());
}

// ---- Reading ----------------------------------------------------------------------------------

TEST(CmdFileReader, HeaderAndVersionChecks)
{
    const QString invalidHeader = QStringLiteral("Invalid file header in '/x/a.qvx'.");
    const QString badVersion = QStringLiteral("File '/x/a.qvx' was saved with a version of Tavilor that is not compatible "
                                              "with the version you are using.");
    struct Case { QByteArray header; QString details; };  // empty details: accepted
    const Case cases[] = {
        {lines({"[Header]", "Application=Quillomere Tavilor", "Version=0.3.0 Build 52"}), {}},
        {lines({"[header]", "application=QUILLOMERE tavilor", "VERSION=0.1"}), {}},
        {lines({"[Header]", "Application=Quillomere Tavilor", "Version=1.0 Build 7"}), {}},
        {lines({"[Header]", "Application=Quillomere Tavilor", "Version=0.9.9"}), {}},
        {lines({"[Header]", "Application=Quillomere Tavilor", "Version=1.1.0 Build 3"}), badVersion},
        {lines({"[Header]", "Application=Quillomere Tavilor", "Version=0.0.0"}), badVersion},
        {lines({"[Header]", "Application=Quillomere Tavilor", "Version=2"}), badVersion},
        {lines({"[Header]", "Application=Quillomere Tavilor", "Version="}), invalidHeader},
        {lines({"[Header]", "Application=Quillomere Tavilor"}), invalidHeader},
        {lines({"[Header]", "Application=Other Tool", "Version=0.3.0"}), invalidHeader},
        {lines({"[Header]", "Version=0.3.0"}), invalidHeader},
        {lines({"Application=Quillomere Tavilor", "Version=0.3.0", "[Header]"}), invalidHeader},
        {lines({"[Tables]", "Table0=a.b", "[Header]", "Application=Quillomere Tavilor", "Version=0.3"}), {}},
        {lines({"[Header]", "Application=Quillomere Tavilor", "[Tables]", "Version=9", "[HEADER]", "Version=0.3"}), {}},
        {lines({"[Header]", "Application=Other Tool", "Application=Quillomere Tavilor", "Version=0.3"}), invalidHeader},
        {lines({"[Header]", "Version=0.3", "Application=Quillomere Tavilor", "Version=7"}), {}},
        {QByteArray(), invalidHeader},
        {QByteArray("\x00\xff\xfe garbage", 12), invalidHeader},
    };
    for (const Case& c : cases) {
        TCmdFile f;
        const auto error = loadError(f, c.header);
        if (c.details.isEmpty()) {
            EXPECT_FALSE(error.has_value()) << c.header.constData() << error->Details.toStdString();
            continue;
        }
        ASSERT_TRUE(error.has_value()) << c.header.constData();
        EXPECT_EQ(error->Severity, 1);
        EXPECT_EQ(error->Message, QStringLiteral("'a.qvx' is not a valid command file."));
        EXPECT_EQ(error->Details, c.details) << c.header.constData();
    }
}

TEST(CmdFileReader, RejectedFileLeavesObjectUntouched)
{
    TCmdFile f;
    f.Tables.Add(new TDBObject(QStringLiteral("dbo"), QStringLiteral("Kept")));
    f.Connection.ServerName = QStringLiteral("mine");
    const QByteArray before = f.SaveToBytes();
    const QByteArray rejected = lines({"[Header]", "Application=Quillomere Tavilor", "Version=9.0",
                                       "[Connection]", "ServerName=other", "[Tables]", "Table0=dbo.New", "ScriptSchema=0"});
    EXPECT_TRUE(loadError(f, rejected).has_value());
    EXPECT_EQ(f.SaveToBytes(), before);
}

TEST(CmdFileReader, ReadDefaultsDifferFromNewFile)
{
    TCmdFile f;
    ASSERT_FALSE(loadError(f, kHeader));
    EXPECT_TRUE(f.Connection.ServerName.isEmpty());
    EXPECT_TRUE(f.Connection.WindowsAuthentication);
    EXPECT_TRUE(f.Connection.DatabaseName.isEmpty());
    for (const auto& [name, ref] : allSwitches())
        EXPECT_EQ(ref(f), QByteArray(name) == "ScriptSchema") << name;
}

TEST(CmdFileReader, BooleanValues)
{
    struct Case { const char* value; bool windowsAuth; bool createCommand; };  // read defaults: true, false
    const Case cases[] = {
        {"0", false, false}, {"1", true, true}, {"2", true, true}, {"-1", true, true},
        {"0x0", false, false}, {"0X1", true, true}, {"0x10", true, true},
        {"yes", true, false}, {"", true, false}, {"0x", true, false}, {"true", true, false}, {" 0 ", false, false},
    };
    for (const Case& c : cases) {
        TCmdFile f;
        const QByteArray v(c.value);
        ASSERT_FALSE(loadError(f, fileWith("[Connection]\r\nWindowsAuthentication=" + v + "\r\n[Formatting]\r\nGenerateCreateCommand=" + v + "\r\n")));
        EXPECT_EQ(f.Connection.WindowsAuthentication, c.windowsAuth) << c.value;
        EXPECT_EQ(f.FormatOptions.GenerateCreateCommand, c.createCommand) << c.value;
    }
}

TEST(CmdFileReader, ObjectKeysAndValues)
{
    struct Case { const char* rule; QByteArray section; QStringList expected; };
    const Case cases[] = {
        {"file order, number not read", lines({"[Tables]", "Table5=dbo.A", "Table1=dbo.B"}), {"dbo.A", "dbo.B"}},
        {"prefix with exact case", lines({"[Tables]", "Table=a.1", "Table7=a.2", "TableX=a.3", "Tables=a.4", "table0=a.5", "TABLE1=a.6"}),
         {"a.1", "a.2", "a.3", "a.4"}},
        {"switches are not objects", lines({"[Tables]", "ScriptSchema=0", "ScriptData=1"}), {}},
        {"values need a dot", lines({"[Tables]", "Table0=Orders", "Table1=", "Table2=.Orders", "Table3=dbo."}), {".Orders", "dbo."}},
        {"value split at first = and dot", lines({"[Tables]", "Table0 = dbo.a=b.c "}), {"dbo.a=b.c"}},
        {"section name any case", lines({"[tABLES]", "Table0=x.y"}), {"x.y"}},
        {"duplicates kept", lines({"[Tables]", "Table0=x.y", "Table0=x.y"}), {"x.y", "x.y"}},
        {"key without = is an empty value", lines({"[Tables]", "Table0"}), {}},
    };
    for (const Case& c : cases) {
        TCmdFile f;
        ASSERT_FALSE(loadError(f, fileWith(c.section))) << c.rule;
        EXPECT_EQ(fullNames(f.Tables), c.expected) << c.rule;
    }

    TCmdFile dotted;
    ASSERT_FALSE(loadError(dotted, fileWith(lines({"[Tables]", "Table0=.Orders", "Table1=dbo.Order.Details"}))));
    EXPECT_TRUE(dotted.Tables.Items(0)->Owner.isEmpty());
    EXPECT_EQ(dotted.Tables.Items(0)->Name, QStringLiteral("Orders"));
    EXPECT_EQ(dotted.Tables.Items(1)->Name, QStringLiteral("Order.Details"));
}

TEST(CmdFileReader, EveryKindReadsItsSectionAndPrefix)
{
    TCmdFile f;
    const QByteArray body = lines({"[Functions]", "Function0=o.f", "View0=o.wrong", "[Types]", "Type0=o.t", "[Rules]", "Rule0=o.r",
                                   "[Defaults]", "Default0=o.d", "[StoredProcs]", "StoredProc0=o.p", "[Views]", "View0=o.v",
                                   "Table0=o.wrong", "[Tables]", "Table0=o.t0"});
    ASSERT_FALSE(loadError(f, fileWith(body)));
    const char* expected[] = {"o.t0", "o.v", "o.p", "o.d", "o.r", "o.t", "o.f"};
    for (int kind = 0; kind < TCmdFile::KindCount; ++kind)
        EXPECT_EQ(fullNames(f.Objects(kind)), QStringList{QString::fromLatin1(expected[kind])}) << kind;
}

TEST(CmdFileReader, LoadingAppendsObjectsAndOverwritesSettings)
{
    TCmdFile f;
    f.Tables.Add(new TDBObject(QStringLiteral("dbo"), QStringLiteral("First")));
    f.Connection.Username = QStringLiteral("old");
    ASSERT_FALSE(loadError(f, fileWith(lines({"[Connection]", "ServerName=s", "WindowsAuthentication=0", "[Tables]", "Table0=dbo.Second"}))));
    EXPECT_EQ(fullNames(f.Tables), (QStringList{"dbo.First", "dbo.Second"}));
    EXPECT_EQ(f.Connection.ServerName, QStringLiteral("s"));
    EXPECT_TRUE(f.Connection.Username.isEmpty());
    EXPECT_FALSE(f.TableOptions.ScriptData);  // read default, not the new file's value
    EXPECT_EQ(f.FileName, QStringLiteral("Untitled"));
}

TEST(CmdFileReader, WindowsAuthenticationClearsLogin)
{
    const QByteArray stored = EncipherPasswordBytes(kCmdFileCipherKey, "pw");
    struct Case { const char* auth; const char* user; const char* password; };
    const Case cases[] = {{"1", "", ""}, {"", "", ""}, {"yes", "", ""}, {"0", "sa", "pw"}};
    for (const Case& c : cases) {
        TCmdFile f;
        ASSERT_FALSE(loadError(f, fileWith("[Connection]\r\nWindowsAuthentication=" + QByteArray(c.auth)
                                           + "\r\nUsername=sa\r\nPassword=" + stored + "\r\n")));
        EXPECT_EQ(f.Connection.Username, QString::fromLatin1(c.user)) << c.auth;
        EXPECT_EQ(f.Connection.Password, QString::fromLatin1(c.password)) << c.auth;
    }
}

TEST(CmdFileReader, TextEncodings)
{
    // Windows-1252 file (not valid UTF-8), with a password stored from Windows-1252 bytes.
    TCmdFile legacy;
    ASSERT_FALSE(loadError(legacy, fileWith("[Connection]\r\nWindowsAuthentication=0\r\nUsername=Jos\xe9\r\nPassword="
                                            + EncipherPasswordBytes(kCmdFileCipherKey, "p\xe4ss")
                                            + "\r\n[Tables]\r\nTable0=dbo.Caf\xe9\x80\r\n")));
    EXPECT_EQ(legacy.Connection.Username, QStringLiteral("José"));
    EXPECT_EQ(legacy.Connection.Password, QStringLiteral("päss"));
    EXPECT_EQ(legacy.Tables.Items(0)->Name, QStringLiteral("Café€"));

    // UTF-8 with a byte-order mark, as editors may save it.
    TCmdFile utf8;
    ASSERT_FALSE(loadError(utf8, "\xef\xbb\xbf" + fileWith("[Tables]\r\nTable0=dbo.\xe6\x97\xa5\xe6\x9c\xac\r\n")));
    EXPECT_EQ(utf8.Tables.Items(0)->Name, QStringLiteral("日本"));
}

TEST(CmdFileReader, ArbitraryBytesNeverBreakTheReader)
{
    QRandomGenerator random(3);
    const QByteArray alphabet("[]=;.\r\n \tTableViewx0123\x80\xc3\xff");
    for (int round = 0; round < 300; ++round) {
        QByteArray junk;
        const int n = int(random.bounded(400));
        for (int i = 0; i < n; ++i)
            junk += alphabet[int(random.bounded(alphabet.size()))];
        TCmdFile f;
        const auto error = loadError(f, fileWith(junk));  // accepted or a header complaint, nothing else
        if (error) {
            EXPECT_EQ(error->Severity, 1);
        }
    }
}

// The reader takes what it uses from the file in one pass; the document reader, which keeps
// every line, must find the same in any mix of the lines a command file may hold.
TEST(CmdFileReader, ReadsWhatTheDocumentRulesFind)
{
    const char* const sections[] = {"[Tables]", "[tables]", "[ Views ]", "[Formatting]", "[Connection]", "[Header]",
                                    "[Other]", "[Tables", "Tables]"};
    const char* const keys[] = {"Table", "table", "Table7", "View", "ScriptData", "scriptschema", "GenerateDropCommand",
                                "ServerName", "Application", "Version", " Table1 ", ";Table", ""};
    const char* const values[] = {"0", "1", "0x", "x.y", " dbo.t ", "a=b.c", "", "[x.y]", ";x.y"};
    const char* const ends[] = {"\r\n", "\n", "\r", "\r\n\r\n"};
    const char* const kinds[] = {"Tables", "Views"};
    const char* const prefixes[] = {"Table", "View"};
    const auto pick = [](QRandomGenerator& random, const auto& list) { return list[random.bounded(int(std::size(list)))]; };
    QRandomGenerator random(5);
    for (int round = 0; round < 300; ++round) {
        QByteArray body;
        const int n = int(random.bounded(40));
        for (int i = 0; i < n; ++i) {
            if (random.bounded(5) == 0) {
                body += pick(random, sections);
            } else {
                body += pick(random, keys);
                if (random.bounded(6) != 0)
                    body += QByteArray("=") + pick(random, values);
            }
            body += pick(random, ends);
        }
        const QByteArray bytes = fileWith(body);
        TCmdFile f;
        ASSERT_FALSE(loadError(f, bytes)) << body.constData();

        const TIniDocument doc = TIniDocument::Parse(DecodeLegacyText(bytes, true));
        for (int kind = 0; kind < 2; ++kind) {
            QStringList expected;
            if (const auto* entries = doc.Section(QString::fromLatin1(kinds[kind])))
                for (const auto& e : *entries)
                    if (e.Key.startsWith(QLatin1String(prefixes[kind])) && e.Value.contains(QLatin1Char('.')))
                        expected << e.Value;
            EXPECT_EQ(fullNames(f.Objects(kind)), expected) << body.constData();
        }
        EXPECT_EQ(f.TableOptions.ScriptData, doc.ReadBool(QStringLiteral("Tables"), QStringLiteral("ScriptData"), false)) << body.constData();
        EXPECT_EQ(f.TableOptions.ScriptSchema, doc.ReadBool(QStringLiteral("Tables"), QStringLiteral("ScriptSchema"), true)) << body.constData();
        EXPECT_EQ(f.FormatOptions.GenerateDropCommand, doc.ReadBool(QStringLiteral("Formatting"), QStringLiteral("GenerateDropCommand"), false))
            << body.constData();
        EXPECT_EQ(f.Connection.ServerName, doc.ReadString(QStringLiteral("Connection"), QStringLiteral("ServerName"))) << body.constData();
    }
}

// A file of a hundred thousand objects, with its switches after them and a second part of the
// section at the end, reads every object in order.
TEST(CmdFileReader, LargeFileReadsEveryObject)
{
    constexpr int n = 100000;
    QByteArray body = "[Tables]\r\n";
    for (int i = 0; i < n; ++i)
        body += "Table" + QByteArray::number(i) + "=dbo.t" + QByteArray::number(i) + "\r\n";
    body += "ScriptData=1\r\n[Formatting]\r\nIncludeHeaders=1\r\n[TABLES]\r\nScriptData=0\r\nTable0=x.last\r\n";
    TCmdFile f;
    ASSERT_FALSE(loadError(f, fileWith(body)));
    ASSERT_EQ(f.Tables.Count(), n + 1);
    EXPECT_EQ(f.Tables.Items(0)->FullName(), QStringLiteral("dbo.t0"));
    EXPECT_EQ(f.Tables.Items(n - 1)->FullName(), QStringLiteral("dbo.t%1").arg(n - 1));
    EXPECT_EQ(f.Tables.Items(n)->FullName(), QStringLiteral("x.last"));
    EXPECT_TRUE(f.TableOptions.ScriptData);
    EXPECT_TRUE(f.FormatOptions.IncludeHeaders);
}

// ---- Round trips ------------------------------------------------------------------------------

TEST(CmdFileRoundTrip, EverySwitch)
{
    const auto& switches = allSwitches();
    for (size_t flip = 0; flip <= switches.size(); ++flip)
        for (bool base : {false, true}) {
            TCmdFile f;
            for (size_t i = 0; i < switches.size(); ++i)
                switches[i].second(f) = (i == flip) ? !base : base;
            TCmdFile g;
            ASSERT_FALSE(loadError(g, f.SaveToBytes()));
            for (size_t i = 0; i < switches.size(); ++i)
                EXPECT_EQ(switches[i].second(g), switches[i].second(f)) << switches[i].first << " flip " << flip;
        }
}

TEST(CmdFileRoundTrip, OddNames)
{
    const std::pair<QString, QString> names[] = {
        {QStringLiteral("dbo"), QStringLiteral("Order.Details")},
        {QStringLiteral("a.b"), QStringLiteral("c")},  // reads back split at the first dot
        {QStringLiteral("dbo"), QStringLiteral("x=y=z")},
        {QStringLiteral("we=ird"), QStringLiteral("[Views]")},
        {QStringLiteral("dbo"), QStringLiteral(";not a comment")},
        {QStringLiteral("dbo"), QStringLiteral("  leading blanks")},
        {QStringLiteral("dbo"), QStringLiteral("inner  \t blanks")},
        {QStringLiteral("スキーマ"), QStringLiteral("Ünïcødé 表 \U0001F600")},
        {QStringLiteral("dbo"), QStringLiteral("\u00a0nbsp\u00a0")},
        {QString(), QStringLiteral("no owner")},
        {QStringLiteral("dbo"), QStringLiteral("[bracketed]]")},
    };
    TCmdFile f;
    f.Connection.WindowsAuthentication = false;
    f.Connection.ServerName = QStringLiteral("host,1433");
    f.Connection.Username = QStringLiteral("Jörg=admin");
    f.Connection.DatabaseName = QStringLiteral("db;with=odd.chars");
    for (int kind = 0; kind < TCmdFile::KindCount; ++kind)
        for (const auto& [owner, name] : names)
            f.Objects(kind).Add(new TDBObject(owner, name));

    TCmdFile g;
    ASSERT_FALSE(loadError(g, f.SaveToBytes()));
    EXPECT_EQ(g.Connection.ServerName, f.Connection.ServerName);
    EXPECT_EQ(g.Connection.Username, f.Connection.Username);
    EXPECT_EQ(g.Connection.DatabaseName, f.Connection.DatabaseName);
    for (int kind = 0; kind < TCmdFile::KindCount; ++kind)
        EXPECT_EQ(fullNames(g.Objects(kind)), fullNames(f.Objects(kind))) << kind;
    EXPECT_EQ(g.Tables.Items(1)->Owner, QStringLiteral("a"));
    EXPECT_EQ(g.Tables.Items(1)->Name, QStringLiteral("b.c"));
    EXPECT_EQ(g.SaveToBytes(), f.SaveToBytes());
}

TEST(CmdFileRoundTrip, PasswordsUpTo64Bytes)
{
    QRandomGenerator random(5);
    const QString pool = QStringLiteral("abcXYZ019 !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~éß€日");
    for (int n = 0; n <= 64; ++n) {
        QString password;
        while (password.toUtf8().size() < n)
            password += pool[int(random.bounded(pool.size()))];
        while (password.toUtf8().size() > n)
            password.chop(1);
        if (n == 64)
            password = QStringLiteral(" ").repeated(2) + QString(62, QLatin1Char('p'));  // blanks at the ends survive
        TCmdFile f;
        f.Connection.WindowsAuthentication = false;
        f.Connection.Username = QStringLiteral("u");
        f.Connection.Password = password;
        TCmdFile g;
        ASSERT_FALSE(loadError(g, f.SaveToBytes()));
        EXPECT_EQ(g.Connection.Password, password) << n;
    }
}

// ---- Files ------------------------------------------------------------------------------------

class CmdFileOnDisk : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot); }
    QTemporaryDir dir;
};

TEST_F(CmdFileOnDisk, SaveVariantsWriteTheFormatAndSetFileName)
{
    TCmdFile f;
    f.Tables.Add(new TDBObject(QStringLiteral("dbo"), QStringLiteral("T")));
    f.SaveAs(path("a.qvx"));
    EXPECT_EQ(f.FileName, path("a.qvx"));
    EXPECT_EQ(readAll(path("a.qvx")), f.SaveToBytes());

    f.SaveCopyAs(path("copy.qvx"));
    EXPECT_EQ(f.FileName, path("a.qvx"));
    EXPECT_EQ(readAll(path("copy.qvx")), f.SaveToBytes());

    f.Views.Add(new TDBObject(QStringLiteral("dbo"), QStringLiteral("V")));
    f.Save();
    EXPECT_EQ(readAll(path("a.qvx")), f.SaveToBytes());
    EXPECT_EQ(entries(), (QStringList{"a.qvx", "copy.qvx"}));  // no temporary file left behind

    TCmdFile g;
    g.LoadFromFile(path("a.qvx"));
    EXPECT_EQ(g.SaveToBytes(), f.SaveToBytes());
    EXPECT_EQ(g.FileName, QStringLiteral("Untitled"));
}

TEST_F(CmdFileOnDisk, FailedSaveChangesNothing)
{
    const QByteArray old = "old content";
    writeFile(path("ro.qvx"), old);
    ASSERT_TRUE(QFile::setPermissions(path("ro.qvx"), QFileDevice::ReadOwner));
    const QString cases[] = {
        path("missing/folder/x.qvx"),
        path("ro.qvx"),  // refused even for root, who could write it
        dir.path(),      // a folder
    };
    for (const QString& target : cases) {
        TCmdFile f;
        f.FileName = path("before.qvx");
        try {
            f.SaveAs(target);
            ADD_FAILURE() << "saved to " << target.toStdString();
        } catch (const EQMException& e) {
            EXPECT_EQ(e.Severity, 1);
            EXPECT_EQ(e.Message, QStringLiteral("Unable to save file '%1'.").arg(target));
            EXPECT_FALSE(e.Details.isEmpty());
        }
        EXPECT_EQ(f.FileName, path("before.qvx"));
    }
    EXPECT_EQ(readAll(path("ro.qvx")), old);
    EXPECT_EQ(entries(), QStringList{"ro.qvx"});
}

TEST_F(CmdFileOnDisk, RefusedContentLeavesTargetAlone)
{
    writeFile(path("t.qvx"), "old");
    TCmdFile f;
    f.Tables.Add(new TDBObject(QStringLiteral("dbo"), QStringLiteral("a\nb")));
    EXPECT_THROW(f.SaveAs(path("t.qvx")), EQMException);
    EXPECT_EQ(readAll(path("t.qvx")), QByteArray("old"));
    EXPECT_EQ(f.FileName, QStringLiteral("Untitled"));
}

TEST_F(CmdFileOnDisk, SavingThroughALinkKeepsTheLink)
{
    writeFile(path("real.qvx"), "old");
    ASSERT_TRUE(QFile::link(path("real.qvx"), path("link.qvx")));
    TCmdFile f;
    f.SaveAs(path("link.qvx"));
    EXPECT_TRUE(QFileInfo(path("link.qvx")).isSymLink());
    EXPECT_EQ(readAll(path("real.qvx")), f.SaveToBytes());
}

TEST_F(CmdFileOnDisk, FileWithPasswordIsPrivate)
{
    writeFile(path("p.qvx"), "old");
    ASSERT_TRUE(QFile::setPermissions(path("p.qvx"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                                         | QFileDevice::ReadOther));
    TCmdFile f;
    f.Connection.WindowsAuthentication = false;
    f.Connection.Password = QStringLiteral("secret");
    f.SaveAs(path("p.qvx"));
    f.SaveAs(path("new.qvx"));
    const auto privateOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    const auto mask = privateOnly | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                      | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther | QFileDevice::ExeOwner;
    EXPECT_EQ(QFile::permissions(path("p.qvx")) & mask, privateOnly);
    EXPECT_EQ(QFile::permissions(path("new.qvx")) & mask, privateOnly);

    TCmdFile g;
    g.LoadFromFile(path("p.qvx"));
    EXPECT_EQ(g.Connection.Password, QStringLiteral("secret"));
}

TEST_F(CmdFileOnDisk, MissingOrUnreadableFile)
{
    struct Case { QString path; QString message; };
    const Case cases[] = {
        {path("none.qvx"), QStringLiteral("File '%1' not found.").arg(path("none.qvx"))},
        {dir.path(), QStringLiteral("File '%1' not found.").arg(dir.path())},
        {QString(), QStringLiteral("File '' not found.")},
    };
    for (const Case& c : cases) {
        TCmdFile f;
        try {
            f.LoadFromFile(c.path);
            ADD_FAILURE() << c.path.toStdString();
        } catch (const EQMException& e) {
            EXPECT_EQ(e.Severity, 1);
            EXPECT_EQ(e.Message, c.message);
            EXPECT_TRUE(e.Details.isEmpty());
        }
    }
    if (QFileInfo::exists(QStringLiteral("/dev/zero"))) {  // a device never loads, nor hangs
        TCmdFile f;
        EXPECT_THROW(f.LoadFromFile(QStringLiteral("/dev/zero")), EQMException);
    }
}

}  // namespace
}  // namespace tavil
