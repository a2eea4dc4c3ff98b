// Dependency levels: chains, diamonds, cycles, and the kinds of edge a table has.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "sqldmo/objects/DependencyGraph.h"
#include "sqldmo/objects/Sqldmo.h"

using namespace sqldmo;
using fixtures::column;
using fixtures::table;

namespace {

// A database of tables T1..Tn; `fks` lists (from, to) foreign keys by table number.
model::Database tables(int n, const std::vector<std::pair<int, int>>& fks) {
    model::Database db;
    db.name = "D";
    for (int i = 1; i <= n; ++i) db.tables.push_back(table(i, "dbo", "T" + std::to_string(i), {column("Id", "int")}));
    for (const auto& [from, to] : fks) {
        model::ForeignKey fk;
        fk.name = "FK";
        fk.referencedTableId = to;
        fk.referencedOwner = "dbo";
        fk.referencedTable = "T" + std::to_string(to);
        db.tables[static_cast<std::size_t>(from - 1)].foreignKeys.push_back(fk);
    }
    return db;
}

// "name:level" per row, in the order given.
std::string levels(const model::Database& db, const model::SchemaObject& root) {
    std::string out;
    for (const auto& r : DependencyGraph(db).enumerate(root)) {
        if (!out.empty()) out += ' ';
        out += r.name + ":" + std::to_string(r.sequence);
    }
    return out;
}

}  // namespace

TEST(Dependencies, LevelsOfTableGraphs) {
    const struct {
        const char* what;
        int n;
        std::vector<std::pair<int, int>> fks;
        const char* expected;  // for T1
    } cases[] = {
        {"no parents", 2, {}, ""},
        {"chain", 3, {{1, 2}, {2, 3}}, "T3:1 T2:2"},
        {"diamond", 4, {{1, 2}, {1, 3}, {2, 4}, {3, 4}}, "T4:1 T2:2 T3:2"},
        {"uneven branches", 5, {{1, 2}, {1, 3}, {3, 4}, {4, 5}}, "T2:1 T5:1 T4:2 T3:3"},
        {"self reference", 1, {{1, 1}}, ""},
        {"cycle through the root", 2, {{1, 2}, {2, 1}}, "T2:1"},
        {"cycle below the root", 4, {{1, 2}, {2, 3}, {3, 2}, {3, 4}}, "T4:1 T2:2 T3:2"},
        {"long cycle", 5, {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 2}}, "T2:1 T3:1 T4:1 T5:1"},
        {"two fks to one parent", 2, {{1, 2}, {1, 2}}, "T2:1"},
    };
    for (const auto& c : cases) {
        const auto db = tables(c.n, c.fks);
        EXPECT_EQ(levels(db, db.tables[0]), c.expected) << c.what;
    }
}

TEST(Dependencies, TablesDependOnTypesBindingsAndWhatTheCatalogueRecords) {
    model::Database db;
    model::Rule rule;
    rule.id = 50;
    rule.owner = "dbo";
    rule.name = "Positive";
    model::DefaultObject zero;
    zero.id = 51;
    zero.owner = "dbo";
    zero.name = "Zero";
    model::DefaultObject today;
    today.id = 52;
    today.owner = "acct";
    today.name = "Today";
    model::UserDefinedDatatype amount;
    amount.id = 53;
    amount.owner = "dbo";
    amount.name = "Amount";
    amount.boundRule = "dbo.Positive";
    amount.boundDefault = "Zero";
    model::UserDefinedFunction tax;
    tax.id = 54;
    tax.owner = "dbo";
    tax.name = "fnTax";
    tax.dependsOn = {60};  // reads a rates table
    db.rules = {rule};
    db.defaults = {zero, today};
    db.types = {amount};
    db.functions = {tax};

    auto price = column("Price", "Amount");
    auto when = column("Since", "datetime");
    when.boundDefault = "[acct].[Today]";
    auto gross = column("Gross", "decimal");
    gross.computedText = "(dbo.fnTax([Price]))";
    auto orders = table(61, "dbo", "Orders", {price, when, gross});
    orders.dependsOn = {54, 9999};  // an id the database does not have is ignored
    model::ForeignKey byName;  // no id: found by owner and name
    byName.referencedTable = "Rates";
    orders.foreignKeys = {byName};
    model::ForeignKey missing;
    missing.referencedOwner = "dbo";
    missing.referencedTable = "Gone";
    orders.foreignKeys.push_back(missing);
    db.tables = {table(60, "dbo", "Rates", {column("Rate", "float")}), orders};

    EXPECT_EQ(levels(db, db.tables[1]), "Positive:1 Rates:1 Today:1 Zero:1 Amount:2 fnTax:2");

    const auto rows = DependencyGraph(db).enumerate(db.tables[1]);
    std::map<std::string, model::ObjectType> types;
    for (const auto& r : rows) types[r.name] = r.type;
    EXPECT_EQ(types["Positive"], model::ObjectType::Rule);
    EXPECT_EQ(types["Today"], model::ObjectType::Default);
    EXPECT_EQ(types["Amount"], model::ObjectType::UserDefinedDatatype);
    EXPECT_EQ(types["fnTax"], model::ObjectType::UserDefinedFunction);
    EXPECT_EQ(types["Rates"], model::ObjectType::UserTable);
}

TEST(Dependencies, EnumDependenciesGivesTheQueryResultsColumns) {
    fixtures::TempDir dir;
    model::Server s;
    auto db = std::make_shared<model::Database>(tables(3, {{1, 2}, {2, 3}}));
    db->tables[2].owner = "ref";
    db->tables[1].foreignKeys[0].referencedOwner = "ref";
    s.databases = {db};
    const auto path = dir.file("deps.snapshot");
    snapshot::writeSnapshot(path, s);

    Server server;
    server.setLoginSecure(true);
    server.connect("file:" + path);
    const auto q = server.databases().item("D").tables().item("[dbo].[T1]").enumDependencies(0);
    ASSERT_EQ(q.rows(), 2);
    EXPECT_EQ(q.getColumnLong(1, 1), 8);
    EXPECT_EQ(q.getColumnString(1, 2), "T3");
    EXPECT_EQ(q.getColumnString(1, 3), "ref");
    EXPECT_EQ(q.getColumnLong(1, 4), 1);
    EXPECT_EQ(q.getColumnString(2, 2), "T2");
    EXPECT_EQ(q.getColumnLong(2, 4), 2);
    EXPECT_EQ(q.getColumnString(2, 4), "2");
    EXPECT_THROW(q.getColumnLong(3, 1), Error);
    EXPECT_THROW(q.getColumnLong(1, 5), Error);
}
