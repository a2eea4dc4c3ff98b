// Connection and generation driven the way the program drives the component (create, set,
// connect, add, fill Dependencies, generate, close), over snapshot fixtures.
#include <gtest/gtest.h>

#include <functional>
#include <cmath>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "sqldmo/Error.h"
#include "sqldmo/objects/Sqldmo.h"
#include "tests/component/KorvaLoader.h"
#include "tests/component/SnapshotFixture.h"

namespace {

using namespace korva;
using korvatest::column;
using korvatest::lastError;
using korvatest::Scripter;
using korvatest::u16;
using sqldmo::SqlType;
using sqldmo::Value;

std::vector<korvatest::FixtureTable> shopTables() {
    using korvatest::computedColumn;
    using korvatest::identityColumn;
    sqldmo::model::Column phone = column("p", "Phone", 12);
    phone.baseType = "varchar";
    return {
        {"Plain",
         {column("a", "int"), column("b", "varchar", 10)},
         {{Value::ofInteger(SqlType::Int, 1), Value::ofText(SqlType::VarChar, "x")},
          {Value::ofInteger(SqlType::Int, 2), Value::null(SqlType::VarChar)}}},
        {"Items",
         {identityColumn("id"), column("name", "nvarchar", 20), column("price", "money"), column("ts", "timestamp"),
          computedColumn("twice", "([id] * 2)")},
         {{Value::ofInteger(SqlType::Int, 7), Value::ofText(SqlType::NVarChar, "\xCE\xA9's"),
           Value::ofExact(SqlType::Money, "12.5000"), Value::ofBinary(SqlType::Timestamp, std::string(8, '\1')),
           Value::ofInteger(SqlType::Int, 14)}}},
        {"Empty", {column("a", "int")}, {}},
        {"A*/B", {column("a", "int")}, {}},
        {"Stamps", {column("ts", "timestamp"), computedColumn("c", "(1)")}, {}},
        {"We]ird", {column("a]b", "int")}, {{Value::ofInteger(SqlType::Int, 5)}}},
        {"Typed", {phone}, {{Value::ofText(SqlType::VarChar, "555-0100")}}},
        {"Kinds",
         {column("f", "float"), column("r", "real"), column("d", "datetime"), column("g", "uniqueidentifier"),
          column("v", "varbinary", 4), column("n", "ntext"), column("s", "sql_variant")},
         {{Value::ofFloat(SqlType::Float, 1.5), Value::ofFloat(SqlType::Real, static_cast<double>(0.1f)),
           Value::ofDateTime(SqlType::DateTime, {2002, 3, 5, 14, 7, 9, 123}),
           Value::ofGuid("6F9619FF-8B86-D011-B42D-00C04FC964FF"), Value::ofBinary(SqlType::VarBinary, "\x01\xAB"),
           Value::ofText(SqlType::NText, "\xE6\x97\xA5"), [] {
               Value v = Value::ofText(SqlType::NVarChar, "abc");
               v.variant = true;
               v.maxLength = 3;
               return v;
           }()}}},
    };
}

void addViews(sqldmo::model::Database& db) {
    sqldmo::model::ObjectId id = 500;
    for (const char* name : {"V1", "V2"}) {
        sqldmo::model::View v;
        v.id = id++;
        v.owner = "dbo";
        v.name = name;
        v.text = std::string("CREATE VIEW dbo.") + name + " AS SELECT a FROM dbo.Plain";
        db.views.push_back(v);
    }
}

const korvatest::SnapshotFixture& shop() {
    static korvatest::SnapshotFixture fixture(shopTables(), addViews);
    return fixture;
}

// A run: the component set up as the program sets it up, connected to the fixture.
struct ScriptRun {
    Scripter s;
    korvatest::RecordingSink sink;
    korvatest::Advised advised{s, &sink};

    explicit ScriptRun(const korvatest::SnapshotFixture& fixture = shop()) {
        s.settings()->put_LoginTimeout(-1);
        s.settings()->put_QueryTimeout(0);
        s.settings()->put_BlockingTimeout(-1);
        s.settings()->put_NetPacketSize(4096);
        s.connection()->put_ServerName(fixture.serverName16());
        s.connection()->put_WindowsAuthentication(False);
        s.connection()->put_Username(u"sa");
        s.connection()->put_Password(u"secret");
        s.connection()->put_DatabaseName(u"Shop");
    }
    void connect() { ASSERT_EQ(s->EstablishConnection(), status::Ok) << korvatest::narrow(lastError().Description); }
    // Lists the tables for data only (no schema), in Dependencies order.
    void dataOf(const std::vector<std::string>& tables, bool columnNames) {
        for (const std::string& t : tables) {
            s->AddTable(u"dbo", u16(t));
            std::string entry = "[dbo].[";
            for (char c : t) entry += c == ']' ? std::string("]]") : std::string(1, c);
            s.dependencies()->Add(u16(entry + "]"));
        }
        s.tableOptions()->put_ScriptData(True);
        s.advancedOptions()->put_ScriptTableIncludeColumnNames(columnNames ? True : False);
    }
    std::string generate() {
        std::u16string script;
        HResult hr = s->GenerateScript(&script);
        EXPECT_EQ(hr, status::Ok) << (failed(hr) ? korvatest::narrow(lastError().Description) : "");
        return korvatest::utf8(script);
    }
};

// A table's rows as the data section loads them: its constraints and triggers off around them,
// `after` the lines that disable again what the catalogue records as disabled.
std::string loaded(const std::string& table, const std::string& rows, const std::string& after = {}) {
    return "ALTER TABLE " + table + " NOCHECK CONSTRAINT ALL\r\nALTER TABLE " + table + " DISABLE TRIGGER ALL\r\n" + rows +
           "ALTER TABLE " + table + " ENABLE TRIGGER ALL\r\nALTER TABLE " + table + " CHECK CONSTRAINT ALL\r\n" + after +
           "GO\r\n\r\n";
}

TEST(KorvaGeneration, DataSections) {
    struct Case {
        std::vector<std::string> tables;
        bool columnNames;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{"Plain"}, false,
         loaded("[dbo].[Plain]",
                "INSERT INTO [dbo].[Plain] VALUES (1, 'x')\r\nINSERT INTO [dbo].[Plain] VALUES (2, NULL)\r\n")},
        {{"Plain"}, true,
         loaded("[dbo].[Plain]", "INSERT INTO [dbo].[Plain] ([a], [b]) VALUES (1, 'x')\r\n"
                                 "INSERT INTO [dbo].[Plain] ([a], [b]) VALUES (2, NULL)\r\n")},
        // The identity column is written; the server needs the column list for it.
        {{"Items"}, false,
         loaded("[dbo].[Items]", "SET IDENTITY_INSERT [dbo].[Items] ON\r\n"
                                 "INSERT INTO [dbo].[Items] ([id], [name], [price]) VALUES (7, N'\xCE\xA9''s', 12.5000)\r\n"
                                 "SET IDENTITY_INSERT [dbo].[Items] OFF\r\n")},
        {{"Empty"}, true, "\r\n"},
        {{"Stamps"}, true, "\r\n"},
        {{"We]ird"}, true, loaded("[dbo].[We]]ird]", "INSERT INTO [dbo].[We]]ird] ([a]]b]) VALUES (5)\r\n")},
        // A user-defined type's values are written by its base type.
        {{"Typed"}, false, loaded("[dbo].[Typed]", "INSERT INTO [dbo].[Typed] VALUES ('555-0100')\r\n")},
        {{"Kinds"}, false,
         loaded("[dbo].[Kinds]", "INSERT INTO [dbo].[Kinds] VALUES (1.5, 0.1, '2002-03-05T14:07:09.123', "
                                 "'6F9619FF-8B86-D011-B42D-00C04FC964FF', 0x01AB, N'\xE6\x97\xA5', CAST(N'abc' AS nvarchar(3)))\r\n")},
        {{"Empty", "Plain", "Empty"}, false,
         "\r\n" +
             loaded("[dbo].[Plain]",
                    "INSERT INTO [dbo].[Plain] VALUES (1, 'x')\r\nINSERT INTO [dbo].[Plain] VALUES (2, NULL)\r\n") +
             "\r\n"},
    };
    for (const Case& c : cases) {
        ScriptRun run;
        run.connect();
        run.dataOf(c.tables, c.columnNames);
        EXPECT_EQ(run.generate(), c.expected) << c.tables.front();
        EXPECT_EQ(run.s->CloseConnection(), status::Ok);
    }
}

// Two tables that refer to each other (a manager of a shop works in a shop), each with a
// trigger that would write elsewhere, and the states the catalogue records as disabled; a
// table with a trigger but no rows.
std::vector<korvatest::FixtureTable> cycleTables() {
    using korvatest::identityColumn;
    return {
        {"Shops",
         {column("ShopId", "int"), column("ManagerId", "int")},
         {{Value::ofInteger(SqlType::Int, 1), Value::ofInteger(SqlType::Int, 1)},
          {Value::ofInteger(SqlType::Int, 2), Value::null(SqlType::Int)}}},
        {"Staff",
         {identityColumn("StaffId"), column("ShopId", "int"), column("Salary", "int")},
         {{Value::ofInteger(SqlType::Int, 1), Value::ofInteger(SqlType::Int, 1), Value::ofInteger(SqlType::Int, 0)}}},
        {"Log", {column("What", "varchar", 50)}, {}},
    };
}

void addCycle(sqldmo::model::Database& db) {
    auto table = [&](const std::string& name) -> sqldmo::model::Table& {
        for (auto& t : db.tables)
            if (t.name == name) return t;
        throw std::logic_error(name);
    };
    auto foreignKey = [](const std::string& name, const std::string& col, const sqldmo::model::Table& to,
                         const std::string& toCol) {
        sqldmo::model::ForeignKey fk;
        fk.name = name;
        fk.columns = {col};
        fk.referencedTableId = to.id;
        fk.referencedOwner = to.owner;
        fk.referencedTable = to.name;
        fk.referencedColumns = {toCol};
        return fk;
    };
    auto trigger = [](sqldmo::model::ObjectId id, const std::string& name, const std::string& on) {
        sqldmo::model::Trigger tr;
        tr.id = id;
        tr.owner = "dbo";
        tr.name = name;
        tr.onInsert = true;
        tr.text = "CREATE TRIGGER " + name + " ON dbo." + on + " AFTER INSERT AS INSERT INTO dbo.Log VALUES ('x')";
        return tr;
    };
    sqldmo::model::Table& shops = table("Shops");
    sqldmo::model::Table& staff = table("Staff");
    shops.foreignKeys.push_back(foreignKey("FK_Shops_Manager", "ManagerId", staff, "StaffId"));
    shops.triggers.push_back(trigger(300, "trShops_Log", "Shops"));
    sqldmo::model::ForeignKey works = foreignKey("FK_Staff_Shops", "ShopId", shops, "ShopId");
    works.disabled = true;
    staff.foreignKeys.push_back(works);
    staff.checks.push_back({"CK_Staff_Salary", "([Salary] > 0)", "Salary", false, true, {}});
    staff.checks.push_back({"CK_Staff_Shop", "([ShopId] > 0)", "ShopId", false, false, {}});
    sqldmo::model::Trigger paused = trigger(301, "trStaff]Log", "Staff");
    paused.disabled = true;
    staff.triggers.push_back(paused);
    table("Log").triggers.push_back(trigger(302, "trLog", "Log"));
}

// Rows go in with constraints and triggers off, whatever order the tables come in: Shops refers
// to a Staff row not yet loaded, and no trigger fires. Afterwards everything is on again except
// what was disabled in the catalogue.
TEST(KorvaGeneration, DataLoadsWithConstraintsAndTriggersOff) {
    korvatest::SnapshotFixture cycle(cycleTables(), addCycle);
    ScriptRun run(cycle);
    run.connect();
    run.dataOf({"Shops", "Staff", "Log"}, false);
    EXPECT_EQ(run.generate(),
              "ALTER TABLE [dbo].[Shops] NOCHECK CONSTRAINT ALL\r\n"
              "ALTER TABLE [dbo].[Shops] DISABLE TRIGGER ALL\r\n"
              "INSERT INTO [dbo].[Shops] VALUES (1, 1)\r\n"
              "INSERT INTO [dbo].[Shops] VALUES (2, NULL)\r\n"
              "ALTER TABLE [dbo].[Shops] ENABLE TRIGGER ALL\r\n"
              "ALTER TABLE [dbo].[Shops] CHECK CONSTRAINT ALL\r\n"
              "GO\r\n\r\n"
              "ALTER TABLE [dbo].[Staff] NOCHECK CONSTRAINT ALL\r\n"
              "ALTER TABLE [dbo].[Staff] DISABLE TRIGGER ALL\r\n"
              "SET IDENTITY_INSERT [dbo].[Staff] ON\r\n"
              "INSERT INTO [dbo].[Staff] ([StaffId], [ShopId], [Salary]) VALUES (1, 1, 0)\r\n"
              "SET IDENTITY_INSERT [dbo].[Staff] OFF\r\n"
              "ALTER TABLE [dbo].[Staff] ENABLE TRIGGER ALL\r\n"
              "ALTER TABLE [dbo].[Staff] CHECK CONSTRAINT ALL\r\n"
              "ALTER TABLE [dbo].[Staff] NOCHECK CONSTRAINT [FK_Staff_Shops]\r\n"
              "ALTER TABLE [dbo].[Staff] NOCHECK CONSTRAINT [CK_Staff_Salary]\r\n"
              "ALTER TABLE [dbo].[Staff] DISABLE TRIGGER [trStaff]]Log]\r\n"
              "GO\r\n\r\n"
              "\r\n");
}

// A long text value with a GO line: joined as a max type only where the script's server has
// one (version 9 and later, and not a script for SQL Server 7.0); otherwise its row goes
// through EXEC.
TEST(KorvaGeneration, LongValuesFollowTheServerVersion) {
    const std::string x9000(9000, 'x');
    const std::vector<korvatest::FixtureTable> tables = {
        {"Doc", {column("t", "text")}, {{Value::ofText(SqlType::Text, x9000 + "\nGO")}}}};
    struct Case {
        int versionMajor;
        bool only70;
        bool exec;
    };
    for (Case c : std::vector<Case>{{8, false, true}, {9, false, false}, {9, true, true}}) {
        korvatest::SnapshotFixture fixture(tables, {}, c.versionMajor);
        ScriptRun run(fixture);
        run.connect();
        run.dataOf({"Doc"}, false);
        run.s.formatOptions()->put_ScriptOnly70Compatible(c.only70 ? True : False);
        const std::string script = run.generate();
        const std::string direct =
            "INSERT INTO [dbo].[Doc] VALUES (CAST('' AS varchar(max)) + '" + x9000 + "' + CHAR(10) + 'GO')\r\n";
        EXPECT_EQ(script.find("EXEC (N'INSERT INTO [dbo].[Doc] VALUES (''") != std::string::npos, c.exec)
            << c.versionMajor << " " << c.only70;
        EXPECT_EQ(script.find(direct) != std::string::npos, !c.exec) << c.versionMajor << " " << c.only70;
    }
}

TEST(KorvaGeneration, DataHeaderLines) {
    ScriptRun run;
    run.connect();
    run.dataOf({"Empty", "Plain"}, false);
    run.s.formatOptions()->put_IncludeHeaders(True);
    const std::string script = run.generate();
    const std::regex header(R"(/\*{6} Object:  Table \[dbo\]\.\[(\w+)\]    Script Date: ([^\r\n]+) \*{6}/\r\n)");
    std::vector<std::string> tables;
    for (auto it = std::sregex_iterator(script.begin(), script.end(), header); it != std::sregex_iterator(); ++it) {
        tables.push_back((*it)[1]);
        const sqldmo::ScriptStamp stamp = sqldmo::scriptStampNow();
        EXPECT_NE((*it)[2].str().find(stamp.date), std::string::npos) << (*it)[2];
    }
    EXPECT_EQ(tables, (std::vector<std::string>{"Empty", "Plain"}));
    EXPECT_NE(script.find(" ******/\r\n\r\n/****** Object:  Table [dbo].[Plain]"), std::string::npos) << script;
}

TEST(KorvaGeneration, NamesInHeaderLinesCannotEndTheComment) {
    ScriptRun run;
    run.connect();
    run.dataOf({"A*/B"}, false);
    run.s.formatOptions()->put_IncludeHeaders(True);
    const std::string script = run.generate();
    EXPECT_EQ(script.rfind("/****** Object:  Table [dbo].[A* /B]    Script Date: ", 0), 0u) << script;
    EXPECT_EQ(script.find("*/B"), std::string::npos) << script;
}

TEST(KorvaGeneration, NoDataWithoutTablesOrWithoutScriptData) {
    {
        ScriptRun run;  // ScriptData true but no table listed: Dependencies are not scripted
        run.connect();
        run.s->AddView(u"dbo", u"V1");
        run.s.dependencies()->Add(u"[dbo].[Plain]");
        run.s.tableOptions()->put_ScriptData(True);
        EXPECT_EQ(run.generate().find("INSERT"), std::string::npos);
        EXPECT_EQ(run.sink.messages().size(), 0u);
    }
    {
        ScriptRun run;  // a table listed but ScriptData false
        run.connect();
        run.dataOf({"Plain"}, false);
        run.s.tableOptions()->put_ScriptData(False);
        EXPECT_EQ(run.generate(), "");
        EXPECT_EQ(run.sink.percents().back(), 100);
    }
}

TEST(KorvaGeneration, EventsOfADataRun) {
    ScriptRun run;
    run.connect();
    run.dataOf({"Plain", "Items", "Empty"}, false);
    run.generate();
    const auto& events = run.sink.events;
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front().id, 1);
    EXPECT_EQ(events.front().percent, 5);
    // Schema share 3 / (3 + 3) = 50 %; the per-table values rise from the schema phase's last
    // value to 100, and the last event is 100 again.
    std::int32_t last = 5;
    std::vector<std::string> messages;
    std::vector<std::int32_t> afterTables;
    bool inData = false;
    for (const auto& e : events) {
        if (e.id == 2 && e.message.rfind("Scripting [dbo].[", 0) == 0 && e.message.find(" data...") != std::string::npos) {
            inData = true;
            messages.push_back(e.message);
        } else if (e.id == 1) {
            EXPECT_GE(e.percent, last);
            if (inData) afterTables.push_back(e.percent);
            else last = e.percent;
        }
    }
    EXPECT_EQ(messages, (std::vector<std::string>{"Scripting [dbo].[Plain] data...", "Scripting [dbo].[Items] data...",
                                                  "Scripting [dbo].[Empty] data..."}));
    std::vector<std::int32_t> expected;
    for (int i = 1; i <= 3; ++i)
        expected.push_back(static_cast<std::int32_t>(std::nearbyint(last + (100.0 - last) * i / 3)));
    expected.push_back(100);
    EXPECT_EQ(afterTables, expected);
    EXPECT_LE(last, 55);  // at most TransferShare + 5
}

// 3 objects and 1 table of data: the schema phase reports 5 .. 80 (75 % share), then 100.
TEST(KorvaGeneration, EventsOfASchemaAndDataRun) {
    ScriptRun run;
    run.connect();
    run.s.tableOptions()->put_ScriptSchema(True);
    run.s.formatOptions()->put_GenerateCreateCommand(True);
    run.dataOf({"Plain"}, false);
    run.s->AddView(u"dbo", u"V1");
    run.s->AddView(u"dbo", u"V2");
    const std::string script = run.generate();
    EXPECT_NE(script.find("V2"), std::string::npos);
    EXPECT_NE(script.find("INSERT INTO [dbo].[Plain] VALUES (1, 'x')"), std::string::npos);
    std::vector<std::int32_t> p = run.sink.percents();
    ASSERT_GE(p.size(), 3u);
    EXPECT_EQ(p.front(), 5);
    EXPECT_EQ(p[p.size() - 3], 80) << "the transfer's 100 % is 75 + 5";
    EXPECT_EQ(p[p.size() - 2], 100);
    EXPECT_EQ(p.back(), 100);
    for (std::size_t i = 1; i + 2 < p.size(); ++i) EXPECT_LE(p[i], 80);
    // The transfer's status messages come through with "..." added.
    std::vector<std::string> m = run.sink.messages();
    ASSERT_GE(m.size(), 2u);
    EXPECT_EQ(m.back(), "Scripting [dbo].[Plain] data...");
    for (std::size_t i = 0; i + 1 < m.size(); ++i) EXPECT_EQ(m[i].substr(m[i].size() - 3), "...") << m[i];
}

TEST(KorvaGeneration, FailuresDiscardTheScript) {
    struct Case {
        const char* what;
        std::function<void(ScriptRun&)> set;
        std::int32_t number;
    };
    const std::vector<Case> cases = {
        {"a Dependencies entry the catalogue does not know",
         [](ScriptRun& r) {
             r.dataOf({"Plain"}, false);
             r.s.dependencies()->Add(u"[dbo].[Missing]");
         },
         sqldmo::errors::NotFound},
        {"a database the server does not have",
         [](ScriptRun& r) {
             r.s.connection()->put_DatabaseName(u"Nowhere");
             r.s->AddView(u"dbo", u"v");
         },
         sqldmo::errors::NotFound},
    };
    for (const Case& c : cases) {
        ScriptRun run;
        run.connect();
        c.set(run);
        std::u16string script = u"untouched";
        EXPECT_EQ(run.s->GenerateScript(&script), statusOfNumber(c.number)) << c.what;
        korva::ErrorInfo e = lastError();
        EXPECT_EQ(e.Number, c.number) << c.what;
        EXPECT_EQ(e.Source, u"_GenerateScript") << c.what;
        EXPECT_FALSE(e.Description.empty());
        EXPECT_EQ(script, u"untouched");
        std::vector<std::int32_t> p = run.sink.percents();
        ASSERT_FALSE(p.empty());
        EXPECT_EQ(p.front(), 5);
        EXPECT_NE(p.back(), 100) << c.what << ": no final 100 after a failure";
    }
}

TEST(KorvaConnection, SettingsReachTheServerObject) {
    struct Case {
        std::int32_t login, query, blocking, packet;
        bool windows;
        std::int32_t blockingMs;
    };
    for (Case c : std::vector<Case>{{-1, 0, -1, 4096, false, -1}, {0, 30, 30, 512, true, 30000}, {15, 5, 0, 0, false, 0}}) {
        ScriptRun run;
        run.s.settings()->put_LoginTimeout(c.login);
        run.s.settings()->put_QueryTimeout(c.query);
        run.s.settings()->put_BlockingTimeout(c.blocking);
        run.s.settings()->put_NetPacketSize(c.packet);
        run.s.connection()->put_WindowsAuthentication(c.windows ? True : False);
        run.connect();
        sqldmo::Server* server = nullptr;
        ASSERT_EQ(run.s->get_Server(&server), status::Ok);
        EXPECT_TRUE(server->isConnected());
        EXPECT_EQ(server->applicationName(), "Quillomere Korvane");
        EXPECT_FALSE(server->odbcPrefix());
        EXPECT_FALSE(server->autoReconnect());
        EXPECT_EQ(server->loginTimeout(), c.login);
        EXPECT_EQ(server->queryTimeout(), c.query);
        EXPECT_EQ(server->blockingTimeout(), c.blockingMs);
        EXPECT_EQ(server->netPacketSize(), c.packet);
        EXPECT_EQ(server->loginSecure(), c.windows);
        EXPECT_EQ(run.s->CloseConnection(), status::Ok);
        EXPECT_FALSE(server->isConnected());
    }
}

TEST(KorvaConnection, FailuresPassThroughAndLeaveTheServerUsable) {
    ScriptRun run;
    run.s.connection()->put_ServerName(u"file:/nonexistent/folder/none.qvsnap");
    run.s.settings()->put_BlockingTimeout(12);
    EXPECT_TRUE(failed(run.s->EstablishConnection()));
    korva::ErrorInfo e = lastError();
    EXPECT_EQ(e.Number, sqldmo::errors::SnapshotInvalid);
    EXPECT_NE(e.Source, u"_GenerateScript");
    sqldmo::Server* server = nullptr;
    run.s->get_Server(&server);
    EXPECT_FALSE(server->isConnected());
    EXPECT_EQ(server->blockingTimeout(), 12000);  // applied before the failing step

    run.s.connection()->put_ServerName(shop().serverName16());
    run.connect();
    EXPECT_EQ(run.s->CloseConnection(), status::Ok);
    EXPECT_TRUE(failed(run.s->CloseConnection()));
    EXPECT_EQ(lastError().Number, sqldmo::errors::NotConnected);

    run.s.settings()->put_BlockingTimeout(3000000);  // 3e9 ms does not fit
    EXPECT_EQ(run.s->EstablishConnection(), statusOfNumber(errors::Overflow));
}

}  // namespace
