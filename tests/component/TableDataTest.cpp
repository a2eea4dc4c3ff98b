// The data section of one table inside the library: rows are written as they arrive, and a
// failure anywhere leaves nothing of the section, with the error under "_ScriptTableData".
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "component/ComError.h"
#include "component/TableData.h"
#include "sqldmo/Error.h"
#include "tests/component/SnapshotFixture.h"

namespace {

using korva::detail::ComError;
using korva::detail::ScriptBuffer;
using korva::detail::TableDataContext;
using sqldmo::SqlType;
using sqldmo::Value;

// Rows served from memory; `onNext` sees every fetch.
class FakeRows final : public sqldmo::RowSet {
public:
    FakeRows(std::vector<sqldmo::ResultColumn> columns, std::vector<std::vector<Value>> rows,
             std::function<void(std::size_t)> onNext)
        : columns_(std::move(columns)), rows_(std::move(rows)), onNext_(std::move(onNext)) {}
    const std::vector<sqldmo::ResultColumn>& columns() const override { return columns_; }
    bool next() override {
        if (onNext_) onNext_(position_);
        if (position_ >= rows_.size()) return false;
        current_ = rows_[position_++];
        return true;
    }
    const Value& value(std::size_t column) const override { return current_.at(column); }

private:
    std::vector<sqldmo::ResultColumn> columns_;
    std::vector<std::vector<Value>> rows_;
    std::function<void(std::size_t)> onNext_;
    std::size_t position_ = 0;
    std::vector<Value> current_;
};

class FakeConnection final : public sqldmo::RowConnection {
public:
    explicit FakeConnection(std::function<std::unique_ptr<sqldmo::RowSet>(const std::string&)> run) : run_(std::move(run)) {}
    std::unique_ptr<sqldmo::RowSet> execute(const std::string& sql) override { return run_(sql); }

private:
    std::function<std::unique_ptr<sqldmo::RowSet>(const std::string&)> run_;
};

struct KorvaTableData : ::testing::Test {
    korvatest::SnapshotFixture snapshot{{{"T", {korvatest::column("n", "int"), korvatest::column("d", "decimal")}, {}}}};
    sqldmo::Server server;
    ScriptBuffer out;
    std::vector<std::string> queries;

    void SetUp() override {
        server.connect(snapshot.serverName(), "sa", "");
        out.append("-- schema\r\n");
    }
    TableDataContext context(std::vector<std::vector<Value>> rows, std::function<void(std::size_t)> onNext = {}) {
        TableDataContext c;
        c.server = &server;
        c.databaseName = "Shop";
        c.openRowConnection = [this, rows, onNext] {
            return std::make_unique<FakeConnection>([this, rows, onNext](const std::string& sql) {
                queries.push_back(sql);
                std::vector<sqldmo::ResultColumn> columns(2);
                columns[0].name = "n";
                columns[0].type = SqlType::Int;
                columns[1].name = "D";  // the catalogue lookup ignores letter case
                columns[1].type = SqlType::Decimal;
                return std::make_unique<FakeRows>(columns, rows, onNext);
            });
        };
        return c;
    }
};

TEST_F(KorvaTableData, RowsAreWrittenAsTheyArrive) {
    std::vector<std::vector<Value>> rows;
    for (int i = 0; i < 3; ++i) rows.push_back({Value::ofInteger(SqlType::Int, i), Value::ofExact(SqlType::Decimal, "1.0")});
    std::vector<std::size_t> linesAtFetch;
    auto c = context(rows, [&](std::size_t) {
        std::string_view text = out.view();
        linesAtFetch.push_back(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) - 1);
    });
    korva::detail::scriptTableData(out, c, "[dbo].[T]");
    // Nothing before the first row; then the two lines that open the load, and one line a row.
    EXPECT_EQ(linesAtFetch, (std::vector<std::size_t>{0, 3, 4, 5}));
    EXPECT_EQ(queries, (std::vector<std::string>{"SELECT [n], [d] FROM [dbo].[T]"}));
    EXPECT_EQ(out.view(), "-- schema\r\n"
                          "ALTER TABLE [dbo].[T] NOCHECK CONSTRAINT ALL\r\nALTER TABLE [dbo].[T] DISABLE TRIGGER ALL\r\n"
                          "INSERT INTO [dbo].[T] VALUES (0, 1.0)\r\nINSERT INTO [dbo].[T] VALUES (1, 1.0)\r\n"
                          "INSERT INTO [dbo].[T] VALUES (2, 1.0)\r\n"
                          "ALTER TABLE [dbo].[T] ENABLE TRIGGER ALL\r\nALTER TABLE [dbo].[T] CHECK CONSTRAINT ALL\r\n"
                          "GO\r\n\r\n");
}

TEST_F(KorvaTableData, FailuresLeaveNothingOfTheSection) {
    struct Case {
        const char* what;
        std::function<TableDataContext()> make;
        std::string table;
        std::int32_t number;
    };
    const std::vector<Case> cases = {
        {"a value without a literal (GetValue)",
         [&] {
             return context({{Value::ofInteger(SqlType::Int, 1), Value::ofExact(SqlType::Decimal, "1.0")},
                             {Value::ofInteger(SqlType::Int, 2), Value::ofExact(SqlType::Decimal, "1;DROP")}});
         },
         "[dbo].[T]", korva::status::InvalidArgument},
        {"the row connection cannot be opened",
         [&] {
             TableDataContext c = context({});
             c.openRowConnection = []() -> std::unique_ptr<sqldmo::RowConnection> {
                 throw sqldmo::Error(sqldmo::errors::LoginFailed, "Login failed for user 'sa'.");
             };
             return c;
         },
         "[dbo].[T]", sqldmo::errors::LoginFailed},
        {"the rows break off",
         [&] {
             return context({{Value::ofInteger(SqlType::Int, 1), Value::ofExact(SqlType::Decimal, "1.0")}},
                            [](std::size_t position) {
                                if (position == 1) throw sqldmo::Error(sqldmo::errors::ConnectionBroken, "broken");
                            });
         },
         "[dbo].[T]", sqldmo::errors::ConnectionBroken},
        {"a table the catalogue does not know", [&] { return context({}); }, "[dbo].[Nope]", sqldmo::errors::NotFound},
    };
    for (const Case& c : cases) {
        out.truncate(0);
        out.append("-- schema\r\n");
        try {
            korva::detail::scriptTableData(out, c.make(), c.table);
            ADD_FAILURE() << c.what << ": no error";
        } catch (const ComError& e) {
            EXPECT_EQ(e.source(), "_ScriptTableData") << c.what;
            EXPECT_EQ(e.number(), c.number) << c.what;
        }
        EXPECT_EQ(out.view(), "-- schema\r\n") << c.what;
    }
}

// For a server without max types, a row whose long value needs pieces goes through EXEC; the
// variables it uses are declared once in the table's batch. (A text value's literal does not
// depend on the catalogue's type of its column beyond Unicode or not.)
TEST_F(KorvaTableData, LongValuesOfOldServersGoThroughExec) {
    const std::string x9000(9000, 'x');
    std::vector<std::vector<Value>> rows;
    for (int i = 1; i <= 2; ++i)
        rows.push_back({Value::ofInteger(SqlType::Int, i), Value::ofText(SqlType::Text, x9000 + "\ngo")});
    rows.push_back({Value::ofInteger(SqlType::Int, 3), Value::ofText(SqlType::Text, "\ngo")});
    auto c = context(rows);
    c.maxTypes = false;
    korva::detail::scriptTableData(out, c, "[dbo].[T]");
    // Pieces of 4000 bytes: the statement's first 34 and the first 3966 characters of the value.
    const std::string value = "''" + std::string(3966, 'x') + "' + N'" + std::string(4000, 'x') + "' + N'" +
                              std::string(1034, 'x') + "' + @lf\r\n\t+ N'go'')')\r\n";
    EXPECT_EQ(out.view(), "-- schema\r\n"
                          "ALTER TABLE [dbo].[T] NOCHECK CONSTRAINT ALL\r\nALTER TABLE [dbo].[T] DISABLE TRIGGER ALL\r\n"
                          "-- Run through EXEC: a value too long to be joined from pieces holds lines that batch "
                          "tools would read as commands.\r\n"
                          "DECLARE @cr nchar(1), @lf nchar(1), @nul nchar(1)\r\n"
                          "SELECT @cr = NCHAR(13), @lf = NCHAR(10), @nul = NCHAR(0)\r\n"
                          "EXEC (N'INSERT INTO [dbo].[T] VALUES (1, " +
                              value + "EXEC (N'INSERT INTO [dbo].[T] VALUES (2, " + value +
                              "INSERT INTO [dbo].[T] VALUES (3, CHAR(10) + 'go')\r\n"
                              "ALTER TABLE [dbo].[T] ENABLE TRIGGER ALL\r\nALTER TABLE [dbo].[T] CHECK CONSTRAINT ALL\r\n"
                              "GO\r\n\r\n");
}

TEST_F(KorvaTableData, BuildQuerySQLLeavesOutOnlyWhatCannotBeInserted) {
    sqldmo::model::Table t;
    t.name = "X";
    t.columns = {korvatest::identityColumn("id"), korvatest::column("ts", "timestamp"),
                 korvatest::computedColumn("c", "(1)"), korvatest::column("img", "image"),
                 korvatest::column("g", "uniqueidentifier"), korvatest::column("v", "sql_variant"),
                 korvatest::column("x]y", "text")};
    sqldmo::model::Column rowversion = korvatest::column("rv", "MyStamp");
    rowversion.baseType = "timestamp";
    t.columns.push_back(rowversion);
    sqldmo::Database& db = server.databases().item("Shop");
    sqldmo::Table table(db, t);
    bool identity = false;
    EXPECT_EQ(korva::detail::buildQuerySQL(table, &identity), "[id], [img], [g], [v], [x]]y]");
    EXPECT_TRUE(identity);

    t.columns = {korvatest::column("ts", "timestamp")};
    sqldmo::Table none(db, t);
    EXPECT_EQ(korva::detail::buildQuerySQL(none, &identity), "");
    EXPECT_FALSE(identity);
}

}  // namespace

namespace {

// A schema scripted for SQL Server 7.0 has no bigint or sql_variant column, nor a computed
// column calling a function; the data section neither loads them nor turns off what went with
// them. Without an identity column left, there is no IDENTITY_INSERT either.
TEST(KorvaTableData70, LeavesOutWhatTheSchemaLeftOut) {
    using korvatest::column;
    sqldmo::model::Column id = column("id", "bigint");
    id.identity = true;
    id.nullable = false;
    korvatest::SnapshotFixture snapshot{
        {{"T", {id, column("name", "varchar", 10), column("v", "sql_variant"), korvatest::computedColumn("c", "([dbo].[f]([name]))")}, {}}},
        [](sqldmo::model::Database& db) {
            sqldmo::model::UserDefinedFunction f;
            f.id = 7;
            f.owner = "dbo";
            f.name = "f";
            f.text = "CREATE FUNCTION dbo.f (@s varchar(10)) RETURNS int AS BEGIN RETURN 1 END";
            db.functions.push_back(f);
            auto& t = db.tables[0];
            t.dependsOn = {7};
            t.checks = {{"CK_T_v", "([v] is not null)", "v", false, true, {}},
                        {"CK_T_c", "([c] > 0)", "", false, true, {}},
                        {"CK_T_name", "([name] <> '')", "name", false, true, {}}};
            sqldmo::model::Trigger instead;
            instead.id = 8;
            instead.name = "trInstead";
            instead.insteadOf = true;
            instead.disabled = true;
            sqldmo::model::Trigger after;
            after.id = 9;
            after.name = "trAfter";
            after.disabled = true;
            t.triggers = {instead, after};
        }};
    sqldmo::Server server;
    server.connect(snapshot.serverName(), "sa", "");
    struct Case {
        bool only70;
        std::string query;
    };
    for (const Case& c : {Case{false, "SELECT [id], [name], [v] FROM [dbo].[T]"}, Case{true, "SELECT [name] FROM [dbo].[T]"}}) {
        std::vector<std::string> queries;
        TableDataContext context;
        context.server = &server;
        context.databaseName = "Shop";
        context.only70 = c.only70;
        context.openRowConnection = [&] {
            return std::make_unique<FakeConnection>([&](const std::string& sql) {
                queries.push_back(sql);
                std::vector<sqldmo::ResultColumn> fields(1);
                fields[0].name = "name";
                fields[0].type = SqlType::VarChar;
                std::vector<std::vector<Value>> rows;
                if (c.only70) rows.push_back({Value::ofText(SqlType::VarChar, "a")});
                return std::make_unique<FakeRows>(fields, rows, nullptr);
            });
        };
        ScriptBuffer out;
        korva::detail::scriptTableData(out, context, "[dbo].[T]");
        EXPECT_EQ(queries, std::vector<std::string>{c.query}) << c.only70;
        if (!c.only70) continue;
        EXPECT_EQ(out.view(), "ALTER TABLE [dbo].[T] NOCHECK CONSTRAINT ALL\r\nALTER TABLE [dbo].[T] DISABLE TRIGGER ALL\r\n"
                              "INSERT INTO [dbo].[T] VALUES ('a')\r\n"
                              "ALTER TABLE [dbo].[T] ENABLE TRIGGER ALL\r\nALTER TABLE [dbo].[T] CHECK CONSTRAINT ALL\r\n"
                              "ALTER TABLE [dbo].[T] NOCHECK CONSTRAINT [CK_T_name]\r\n"
                              "ALTER TABLE [dbo].[T] DISABLE TRIGGER [trAfter]\r\n"
                              "GO\r\n\r\n");
    }
}

}  // namespace
