// Order properties of whole scripts: nothing is used before it is created, drops come first
// and in reverse, loops never fail, and the same model always gives the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

#include "tests/script/Fixtures.h"

using namespace sqldmo;
using namespace fixtures;
namespace f = sqldmo::script::flags;

namespace {

std::string scriptOf(const std::shared_ptr<model::Database>& db, std::int32_t type, bool dependencies = false) {
    model::Server server;
    server.databases = {db};
    auto settings = everything(*db, type);
    settings.includeDependencies = dependencies;
    script::ScriptOptions options;
    options.newline = "\n";
    return script::scriptTransfer(server, *db, settings, options, nullptr);
}

// Position of a text that must occur exactly once.
std::size_t once(const std::string& script, const std::string& text) {
    std::size_t at = script.find(text);
    EXPECT_NE(at, std::string::npos) << "missing: " << text;
    if (at != std::string::npos) {
        EXPECT_EQ(script.find(text, at + 1), std::string::npos) << "twice: " << text;
    }
    return at;
}

std::string tableCreate(const std::string& n) { return "CREATE TABLE [dbo].[" + n + "] (\n"; }
std::string tableDrop(const std::string& n) { return "drop table [dbo].[" + n + "]\n"; }
std::string fkAdd(const std::string& n) { return "ADD CONSTRAINT [" + n + "] FOREIGN KEY"; }
std::string fkDrop(const std::string& n) { return "DROP CONSTRAINT [" + n + "]\n"; }

// Two tables referring to each other, one referring to itself, a trigger calling a procedure
// that touches the trigger's table, and two procedures calling each other.
std::shared_ptr<model::Database> loops() {
    auto db = std::make_shared<model::Database>();
    db->name = "Loops";
    auto a = table(1, "A", {column("id", "int", 0, false), column("b", "int")});
    auto b = table(2, "B", {column("id", "int", 0, false), column("a", "int"), column("parent", "int")});
    a.primaryKey = primaryKey("PK_A", {"id"});
    b.primaryKey = primaryKey("PK_B", {"id"});
    a.foreignKeys.push_back(foreignKey("FK_A_B", "b", b, "id"));
    b.foreignKeys.push_back(foreignKey("FK_B_A", "a", a, "id"));
    b.foreignKeys.push_back(foreignKey("FK_B_B", "parent", b, "id"));
    // A reader may record the references between the tables too; they never order tables.
    a.dependsOn = {2};
    b.dependsOn = {1};
    a.triggers.push_back(trigger(10, "trA", "CREATE TRIGGER trA ON dbo.A FOR INSERT AS EXEC dbo.Touch\n", {1, 20}));
    db->tables = {a, b};
    db->procedures.push_back(module<model::StoredProcedure>(20, "Touch", "CREATE PROCEDURE dbo.Touch AS UPDATE dbo.A SET b = b\n", {1, 10}));
    db->procedures.push_back(module<model::StoredProcedure>(21, "Ping", "CREATE PROCEDURE dbo.Ping AS EXEC dbo.Pong\n", {22}));
    db->procedures.push_back(module<model::StoredProcedure>(22, "Pong", "CREATE PROCEDURE dbo.Pong AS EXEC dbo.Ping\n", {21}));
    return db;
}

}  // namespace

TEST(ScriptOrder, LoopsNeverFailAndForeignKeysComeAfterAllTables) {
    const std::string s = scriptOf(loops(), kAllScriptType);
    const std::size_t createA = once(s, tableCreate("A")), createB = once(s, tableCreate("B"));
    for (const char* fk : {"FK_A_B", "FK_B_A", "FK_B_B"}) {
        const std::size_t add = once(s, fkAdd(fk));
        EXPECT_GT(add, std::max(createA, createB)) << fk;
        EXPECT_GT(add, once(s, "CONSTRAINT [PK_A] PRIMARY KEY")) << fk;
        EXPECT_GT(add, once(s, "CONSTRAINT [PK_B] PRIMARY KEY")) << fk;
    }
    // The keys between the two tables are dropped before either table; a table's key to
    // itself goes with the table.
    for (const char* fk : {"FK_A_B", "FK_B_A"}) {
        const std::size_t drop = once(s, fkDrop(fk));
        EXPECT_LT(drop, once(s, tableDrop("A"))) << fk;
        EXPECT_LT(drop, once(s, tableDrop("B"))) << fk;
    }
    EXPECT_EQ(s.find(fkDrop("FK_B_B")), std::string::npos);
    // The trigger follows its table and the procedure it calls.
    const std::size_t trigger = once(s, "CREATE TRIGGER trA");
    EXPECT_GT(trigger, createA);
    EXPECT_GT(trigger, once(s, "CREATE PROCEDURE dbo.Touch"));
    EXPECT_GT(once(s, "CREATE PROCEDURE dbo.Touch"), createA);
    // Both procedures of the loop are there; a loop the fixers know leaves no note.
    once(s, "CREATE PROCEDURE dbo.Ping");
    once(s, "CREATE PROCEDURE dbo.Pong");
    EXPECT_EQ(s.find("Dependency loop"), std::string::npos);
}

TEST(ScriptOrder, SameModelSameBytesWhateverTheOrderOfItsLists) {
    auto db = shop();
    const std::string first = scriptOf(db, kAllScriptType);
    EXPECT_EQ(scriptOf(db, kAllScriptType), first);
    auto shuffled = std::make_shared<model::Database>(*db);
    std::reverse(shuffled->tables.begin(), shuffled->tables.end());
    std::reverse(shuffled->views.begin(), shuffled->views.end());
    model::Server server;
    server.databases = {shuffled};
    auto settings = everything(*shuffled, kAllScriptType);
    std::reverse(settings.objects.begin(), settings.objects.end());
    settings.objects.push_back(settings.objects.front());  // handed over twice, scripted once
    script::ScriptOptions options;
    options.newline = "\n";
    EXPECT_EQ(script::scriptTransfer(server, *shuffled, settings, options, nullptr), first);
}

// A synthetic database with random dependencies that follow SQL Server's rules (a view or
// function uses only what exists before it; procedures and triggers call anything), random
// foreign keys (loops included) and types: every dependency is created before its user and
// dropped after it.
TEST(ScriptOrder, RandomDatabasesAreOrderedByTheirDependencies) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        auto db = std::make_shared<model::Database>();
        db->name = "Random";
        const int types = 3, tables = 12, functions = 5, views = 8, procedures = 8;
        for (int i = 0; i < types; ++i) {
            model::UserDefinedDatatype u;
            u.id = 1000 + i, u.owner = "dbo", u.name = "U" + std::to_string(i), u.baseType = "int";
            db->types.push_back(u);
        }
        struct Node { std::string create, drop; std::vector<model::ObjectId> deps; };
        std::map<model::ObjectId, Node> nodes;
        std::vector<model::ObjectId> made;  // ids of modules and tables, in an order SQL Server could create them
        for (int i = 0; i < types; ++i)
            nodes[1000 + i] = {"EXEC sp_addtype N'U" + std::to_string(i) + "'", "exec sp_droptype N'U" + std::to_string(i) + "'", {}};
        for (int i = 0; i < tables; ++i) {
            std::string n = "T" + std::to_string(i);
            auto t = table(100 + i, n, {column("id", "int", 0, false), column("ref", "int")});
            t.primaryKey = primaryKey("PK_" + n, {"id"});
            if (pick(2)) {
                auto c = column("u", "U" + std::to_string(pick(types)));
                c.baseType = "int";
                t.columns.push_back(c);
            }
            db->tables.push_back(t);
            nodes[t.id] = {tableCreate(n), tableDrop(n), {}};
            made.push_back(t.id);
        }
        for (auto& t : db->tables) {
            const auto& target = db->tables[static_cast<std::size_t>(pick(tables))];
            t.foreignKeys.push_back(foreignKey("FK_" + t.name, "ref", target, "id"));
            for (const auto& c : t.columns)
                if (c.dataType[0] == 'U') nodes[t.id].deps.push_back(1000 + (c.dataType[1] - '0'));
        }
        auto deps = [&](int count) {
            std::vector<model::ObjectId> d;
            for (int k = 0; k < count; ++k) d.push_back(made[static_cast<std::size_t>(pick(static_cast<int>(made.size())))]);
            return d;
        };
        for (int i = 0; i < functions + views; ++i) {
            bool isView = i >= functions;
            std::string n = (isView ? "V" : "F") + std::to_string(i);
            model::ObjectId id = 200 + i;
            auto d = deps(1 + pick(3));
            std::string create = isView ? "CREATE VIEW dbo." + n + " AS SELECT 1 AS a\n"
                                        : "CREATE FUNCTION dbo." + n + "() RETURNS TABLE AS RETURN SELECT 1 AS a\n";
            if (isView) db->views.push_back(module<model::View>(id, n, create, d));
            else {
                auto fn = module<model::UserDefinedFunction>(id, n, create, d);
                fn.kind = model::FunctionKind::InlineTable;
                db->functions.push_back(fn);
            }
            nodes[id] = {create, (isView ? "drop view [dbo].[" : "drop function [dbo].[") + n + "]\n", d};
            made.push_back(id);
        }
        for (int i = 0; i < procedures; ++i) {
            std::string n = "P" + std::to_string(i);
            auto d = deps(1 + pick(3));
            std::string create = "CREATE PROCEDURE dbo." + n + " AS SELECT 1\n";
            db->procedures.push_back(module<model::StoredProcedure>(300 + i, n, create, d));
            nodes[300 + i] = {create, "drop procedure [dbo].[" + n + "]\n", d};
        }
        // Procedures calling procedures in both directions, triggers calling procedures.
        for (int i = 0; i < procedures; ++i) db->procedures[static_cast<std::size_t>(i)].dependsOn.push_back(300 + pick(procedures));
        for (int i = 0; i < tables; i += 3) {
            auto& t = db->tables[static_cast<std::size_t>(i)];
            t.triggers.push_back(trigger(400 + i, "tr" + t.name, "CREATE TRIGGER tr" + t.name + " ON dbo." + t.name + " FOR INSERT AS SELECT 1\n",
                                         {300 + pick(procedures)}));
        }

        const std::string s = scriptOf(db, kAllScriptType);
        std::size_t lastDrop = 0, firstCreate = std::string::npos;
        for (const auto& [id, node] : nodes) {
            std::size_t c = once(s, node.create), d = once(s, node.drop);
            lastDrop = std::max(lastDrop, d);
            firstCreate = std::min(firstCreate, c);
            for (model::ObjectId dep : node.deps) {
                if (dep == id) continue;
                EXPECT_LT(once(s, nodes[dep].create), c) << "seed " << seed << ": " << node.create << " uses " << nodes[dep].create;
                EXPECT_GT(once(s, nodes[dep].drop), d) << "seed " << seed << ": " << node.drop << " before " << nodes[dep].drop;
            }
        }
        EXPECT_LT(lastDrop, firstCreate) << "seed " << seed;
        for (const auto& t : db->tables) {
            const auto& fk = t.foreignKeys[0];
            std::size_t add = once(s, fkAdd(fk.name));
            EXPECT_GT(add, once(s, tableCreate(t.name)));
            EXPECT_GT(add, once(s, "CONSTRAINT [PK_" + fk.referencedTable + "] PRIMARY KEY"));
            if (fk.referencedTable != t.name) {
                EXPECT_LT(once(s, fkDrop(fk.name)), once(s, tableDrop(fk.referencedTable)));
            }
            for (const auto& tr : t.triggers) {
                std::size_t at = once(s, "CREATE TRIGGER " + tr.name + " ");
                EXPECT_GT(at, once(s, tableCreate(t.name)));
                EXPECT_GT(at, once(s, nodes[tr.dependsOn[0]].create));
            }
        }
        EXPECT_EQ(s, scriptOf(db, kAllScriptType)) << "seed " << seed;
        // With every object chosen, IncludeDependencies has nothing to add.
        const std::string withDeps = scriptOf(db, kAllScriptType, true);
        EXPECT_EQ(withDeps, s) << "seed " << seed;
    }
}
