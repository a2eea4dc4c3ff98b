// The row queries a snapshot answers, and the ones it refuses.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "sqldmo/Backend.h"
#include "sqldmo/Error.h"
#include "sqldmo/snapshot/RowQuery.h"

using namespace sqldmo;
using snapshot::detail::parseRowQuery;

TEST(RowQuery, ParsesTheFormsTheComponentSends) {
    using V = std::vector<std::string>;
    const struct {
        const char* sql;
        V columns;
        V table;
    } cases[] = {
        {"SELECT [a], [b] FROM [dbo].[T]", {"a", "b"}, {"dbo", "T"}},
        {"select a,b from T", {"a", "b"}, {"T"}},
        {"SELECT [x]]y], [ spaced ] FROM [own]]er].[t]]]]]", {"x]y", " spaced "}, {"own]er", "t]]"}},
        {"SELECT \"q\"\"x\" FROM \"o\".\"t\";", {"q\"x"}, {"o", "t"}},
        {"\r\n SELECT\t[a]\r\n,[b]FROM[dbo] . [T] ; ", {"a", "b"}, {"dbo", "T"}},
        {"SELECT [FROM] FROM [SELECT]", {"FROM"}, {"SELECT"}},
        {"SELECT a FROM Db..T", {"a"}, {"Db", "", "T"}},
        {"SELECT Größe FROM Maße", {"Größe"}, {"Maße"}},
        {"SELECT [a] FROM [db].[dbo].[T]", {"a"}, {"db", "dbo", "T"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        const auto q = parseRowQuery(c.sql);
        ASSERT_TRUE(q);
        EXPECT_FALSE(q->allColumns);
        EXPECT_EQ(q->columns, c.columns);
        EXPECT_EQ(q->table, c.table);
    }
    const auto star = parseRowQuery("SELECT * FROM T");
    ASSERT_TRUE(star);
    EXPECT_TRUE(star->allColumns);
}

TEST(RowQuery, RefusesEverythingElse) {
    for (const char* sql : {"", "DELETE FROM T", "SELECT FROM T", "SELECT a FROM", "SELECT a, FROM T", "SELECT a b FROM T",
                            "SELECT a FROM T WHERE 1=1", "SELECT a FROM T; DROP TABLE T", "SELECT [a FROM T",
                            "SELECT a FROM [T", "SELECT a FROM a.b.c.d", "SELECT a FROM T.", "SELECT 1 FROM T",
                            "SELECT a FROM T ORDER BY a", "SELECT a FROM T;;", "SELECT a, * FROM T"}) {
        EXPECT_FALSE(parseRowQuery(sql)) << sql;
    }
}

namespace {

model::Server oddNames() {
    model::Server s;
    auto db = std::make_shared<model::Database>();
    db->name = "Odd";
    db->tables = {fixtures::table(1, "own]er", "Order]Lines x",
                                  {fixtures::column("Qty ]x", "int"), fixtures::column("Naïve", "nvarchar", 10)}),
                  fixtures::table(2, "sales", "Orders", {fixtures::column("Id", "int")}),
                  fixtures::table(3, "dbo", "Orders", {fixtures::column("Id", "int")})};
    s.databases = {db};
    return s;
}

std::vector<std::string> run(ServerBackend& b, const std::string& sql) {
    auto set = b.query("Odd", sql);
    std::vector<std::string> out;
    for (const auto& c : set->columns()) out.push_back(c.name);
    while (set->next())
        for (std::size_t i = 0; i < set->columns().size(); ++i) {
            const auto& v = set->value(i);
            out.push_back(v.kind == Value::Kind::Integer ? std::to_string(v.integer) : v.text);
        }
    return out;
}

}  // namespace

TEST(RowQuery, SnapshotAnswersWithTheColumnsAskedForInTheirOrder) {
    fixtures::TempDir dir;
    const auto path = dir.file("odd.snapshot");
    snapshot::writeSnapshot(path, oddNames(), [](const model::Database&, const model::Table& t, snapshot::RowWriter& w) {
        if (t.id == 1) w.add({Value::ofInteger(SqlType::Int, 7), Value::ofText(SqlType::NVarChar, "ünï")});
        if (t.id == 2) w.add({Value::ofInteger(SqlType::Int, 2)});
        if (t.id == 3) w.add({Value::ofInteger(SqlType::Int, 3)});
    });
    auto b = openServerBackend("file:" + path, {});
    using V = std::vector<std::string>;
    EXPECT_EQ(run(*b, "SELECT [naïve], [Qty ]]x] FROM [own]]er].[order]]lines X]"), (V{"Naïve", "Qty ]x", "ünï", "7"}));
    EXPECT_EQ(run(*b, "SELECT [Qty ]]x], [Qty ]]x] FROM [Order]]Lines x]"), (V{"Qty ]x", "Qty ]x", "7", "7"}));
    EXPECT_EQ(run(*b, "SELECT Id FROM Orders"), (V{"Id", "3"})) << "without an owner, dbo's table";
    EXPECT_EQ(run(*b, "SELECT Id FROM sales.Orders"), (V{"Id", "2"}));
    EXPECT_EQ(run(*b, "SELECT Id FROM Odd..Orders"), (V{"Id", "3"}));

    const struct {
        const char* sql;
        std::int32_t number;
        const char* message;
    } failures[] = {
        {"SELECT Id FROM nobody.Orders", 208, "Invalid object name 'nobody.Orders'."},
        {"SELECT Id FROM [Order]Lines x]", errors::NotSupported, "cannot run this statement"},  // "]" not doubled
        {"SELECT Nope FROM Orders", 207, "Invalid column name 'Nope'."},
        {"SELECT Id FROM Elsewhere.dbo.Orders", 911, "Could not locate entry in sysdatabases for database 'Elsewhere'"},
        {"UPDATE Orders SET Id = 1", errors::NotSupported, "cannot run this statement"},
    };
    for (const auto& f : failures) {
        try {
            run(*b, f.sql);
            ADD_FAILURE() << "no error for " << f.sql;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), f.number) << f.sql;
            EXPECT_NE(e.description().find(f.message), std::string::npos) << e.description();
        }
    }
}
