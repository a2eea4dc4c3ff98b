// Small catalogue fixtures for the scripter tests, built in code through the model.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sqldmo/model/Catalog.h"
#include "sqldmo/script/Scripter.h"

namespace fixtures {

using namespace sqldmo;

inline model::Column column(std::string name, std::string type, int length = 0, bool nullable = true) {
    model::Column c;
    c.name = std::move(name);
    c.dataType = type;
    c.baseType = type;
    c.length = length;
    c.nullable = nullable;
    return c;
}

inline model::Table table(model::ObjectId id, std::string name, std::vector<model::Column> columns, std::string owner = "dbo") {
    model::Table t;
    t.id = id;
    t.owner = std::move(owner);
    t.name = std::move(name);
    t.columns = std::move(columns);
    return t;
}

inline model::KeyConstraint primaryKey(std::string name, std::vector<std::string> columns, bool clustered = true) {
    model::KeyConstraint k;
    k.name = std::move(name);
    k.primaryKey = true;
    k.clustered = clustered;
    for (auto& c : columns) k.columns.push_back({std::move(c), false});
    return k;
}

inline model::ForeignKey foreignKey(std::string name, std::string column, const model::Table& target, std::string targetColumn) {
    model::ForeignKey f;
    f.name = std::move(name);
    f.columns = {std::move(column)};
    f.referencedTableId = target.id;
    f.referencedOwner = target.owner;
    f.referencedTable = target.name;
    f.referencedColumns = {std::move(targetColumn)};
    return f;
}

template <class M>
M module(model::ObjectId id, std::string name, std::string text, std::vector<model::ObjectId> deps = {}) {
    M m;
    m.id = id;
    m.owner = "dbo";
    m.name = std::move(name);
    m.text = std::move(text);
    m.dependsOn = std::move(deps);
    return m;
}

inline model::Trigger trigger(model::ObjectId id, std::string name, std::string text, std::vector<model::ObjectId> deps = {}) {
    model::Trigger t;
    t.id = id;
    t.owner = "dbo";
    t.name = std::move(name);
    t.text = std::move(text);
    t.dependsOn = std::move(deps);
    t.onInsert = true;
    return t;
}

// A small shop: customers, orders referring to them, a view, a procedure, a type with a rule
// and a default bound to it.
inline std::shared_ptr<model::Database> shop() {
    auto db = std::make_shared<model::Database>();
    db->name = "Shop";
    db->owner = "sa";

    model::Rule positive;
    positive.id = 10;
    positive.owner = "dbo";
    positive.name = "Positive";
    positive.text = "CREATE RULE [dbo].[Positive] AS @value > 0\r\n";
    db->rules.push_back(positive);

    model::DefaultObject zero;
    zero.id = 11;
    zero.owner = "dbo";
    zero.name = "Zero";
    zero.text = "CREATE DEFAULT [dbo].[Zero] AS 0\r\n";
    db->defaults.push_back(zero);

    model::UserDefinedDatatype qty;
    qty.id = 12;
    qty.owner = "dbo";
    qty.name = "Quantity";
    qty.baseType = "int";
    qty.nullable = false;
    qty.boundRule = "dbo.Positive";
    db->types.push_back(qty);

    auto customers = table(1, "Customers", {column("CustomerID", "int", 0, false), column("Name", "nvarchar", 40, false)});
    customers.primaryKey = primaryKey("PK_Customers", {"CustomerID"});
    customers.permissions.push_back({model::Permission::Action::Grant, "SELECT", "public", "", false});

    auto orders = table(2, "Orders", {column("OrderID", "int", 0, false), column("CustomerID", "int", 0, false)});
    orders.columns[0].identity = true;
    model::Column q = column("Qty", "Quantity", 0, false);
    q.baseType = "int";
    q.boundDefault = "dbo.Zero";
    q.defaultConstraintText.clear();
    orders.columns.push_back(q);
    orders.primaryKey = primaryKey("PK_Orders", {"OrderID"});
    orders.foreignKeys.push_back(foreignKey("FK_Orders_Customers", "CustomerID", customers, "CustomerID"));
    orders.indexes.push_back({"IX_Orders_Customer", false, false, false, false, false, 0, "", {{"CustomerID", false}}, {}});
    orders.dependsOn = {12};
    orders.triggers.push_back(trigger(20, "trOrders", "CREATE TRIGGER trOrders ON dbo.Orders FOR INSERT AS\r\nEXEC dbo.Recalc\r\n", {2, 31}));

    db->tables.push_back(customers);
    db->tables.push_back(orders);

    auto view = module<model::View>(30, "OrderTotals",
                                    "CREATE VIEW dbo.OrderTotals AS\r\nSELECT CustomerID, COUNT(*) AS n FROM dbo.Orders GROUP BY CustomerID\r\n",
                                    {2});
    view.permissions.push_back({model::Permission::Action::Grant, "SELECT", "public", "", false});
    db->views.push_back(view);
    auto proc = module<model::StoredProcedure>(31, "Recalc", "CREATE PROCEDURE dbo.Recalc AS\r\nSELECT * FROM dbo.OrderTotals\r\n", {30});
    proc.permissions.push_back({model::Permission::Action::Grant, "EXECUTE", "public", "", false});
    db->procedures.push_back(proc);
    return db;
}

// One of nearly everything a script can hold: odd names, every constraint and index option,
// a full-text index, users, roles and logins, extended properties, modules created with the
// settings off and one that sqlcmd would cut.
inline std::shared_ptr<model::Database> kitchenSink() {
    auto db = shop();
    db->name = "Kitchen";
    auto& customers = db->tables[0];
    customers.owner = "sales";
    customers.columns.push_back(column("Notes", "ntext"));
    customers.columns.back().properties = {{"MS_Description", Value::ofText(SqlType::NVarChar, "Free text, it's long")}};
    customers.fullTextIndex = model::FullTextIndex{"Main", "PK_Customers", {{"Notes", 1033}}, true};
    customers.properties = {{"Rows", Value::ofInteger(SqlType::BigInt, 5)},
                            {"Born", Value::ofDateTime(SqlType::DateTime, {2002, 3, 5, 14, 7, 9, 123})}};
    customers.permissions.push_back({model::Permission::Action::Grant, "UPDATE", "clerks", "Name", false});
    customers.permissions.push_back({model::Permission::Action::Deny, "DELETE", "clerks", "", false});
    auto& orders = db->tables[1];
    orders.foreignKeys[0].referencedOwner = "sales";
    orders.foreignKeys[0].onDelete = model::ReferentialAction::Cascade;
    orders.foreignKeys[0].notForReplication = true;
    orders.columns.push_back(column("Placed", "datetime", 0, false));
    orders.columns.back().defaultConstraintName = "DF_Orders_Placed";
    orders.columns.back().defaultConstraintText = "(getdate())";
    orders.columns.push_back(column("Big", "bigint"));
    orders.checks.push_back({"CK_Orders_Big", "([Big] >= 0)", "Big", false, true, {}});
    orders.checks.push_back({"CK_Orders_Qty", "([Qty] < 1000)", "", true, false, {}});
    model::Index ix;
    ix.name = "IX_Orders_Placed";
    ix.columns = {{"Placed", true}};
    ix.fillFactor = 70;
    ix.padIndex = true;
    ix.fileGroup = "PRIMARY";
    orders.indexes.push_back(ix);
    orders.triggers[0].disabled = true;
    orders.triggers[0].settings = {false, true};

    auto odd = table(3, "Order]Lines 'x'", {column("Line]No", "int", 0, false), column("Order", "int", 0, false)});
    odd.primaryKey = primaryKey("PK_Order]Lines", {"Line]No", "Order"});
    odd.primaryKey->fillFactor = 90;
    odd.uniqueConstraints.push_back({"UQ_Lines", false, false, 0, "", {{"Order", false}}, {}});
    odd.foreignKeys.push_back(foreignKey("FK_Lines_Orders", "Order", orders, "OrderID"));
    db->tables.push_back(odd);

    auto fn = module<model::UserDefinedFunction>(40, "Twice", "CREATE FUNCTION dbo.Twice (@n int)\r\nRETURNS int AS\r\nBEGIN\r\n\tRETURN @n * 2\r\nEND\r\n");
    db->functions.push_back(fn);
    auto cut = module<model::StoredProcedure>(41, "Report", "CREATE PROCEDURE dbo.Report AS\r\nSELECT '\r\nGO\r\n' AS odd, '$(x)' AS var\r\n", {30});
    db->procedures.push_back(cut);
    auto secret = module<model::StoredProcedure>(42, "Secret", "");
    secret.encrypted = true;
    db->procedures.push_back(secret);
    db->views[0].settings = {false, false};

    db->users = {{"dbo", "sa", true}, {"sales", "sales", false}, {"ann", "DOM\\ann", false}};
    db->roles = {{"clerks", false, false, {"ann"}}, {"public", false, true, {}}, {"reporting", true, false, {}}};
    db->procedures[0].permissions.push_back({model::Permission::Action::Grant, "EXECUTE", "reporting", "", false});
    return db;
}

inline model::Server serverOf(const std::shared_ptr<model::Database>& db) {
    model::Server s;
    s.name = "TEST";
    s.databases = {db};
    s.logins = {{"sales", "Kitchen", "us_english", false, false, false}, {"DOM\\ann", "Kitchen", "", true, false, false}};
    return s;
}

inline script::TransferSettings everything(const model::Database& db, std::int32_t scriptType, std::int32_t script2Type = 0) {
    script::TransferSettings s;
    s.copySchema = true;
    s.scriptType = scriptType;
    s.script2Type = script2Type;
    for (const auto& t : db.tables) s.objects.push_back({t.name, model::ObjectType::UserTable, t.owner});
    for (const auto& v : db.views) s.objects.push_back({v.name, model::ObjectType::View, v.owner});
    for (const auto& p : db.procedures) s.objects.push_back({p.name, model::ObjectType::StoredProcedure, p.owner});
    for (const auto& d : db.defaults) s.objects.push_back({d.name, model::ObjectType::Default, d.owner});
    for (const auto& r : db.rules) s.objects.push_back({r.name, model::ObjectType::Rule, r.owner});
    for (const auto& u : db.types) s.objects.push_back({u.name, model::ObjectType::UserDefinedDatatype, u.owner});
    for (const auto& f : db.functions) s.objects.push_back({f.name, model::ObjectType::UserDefinedFunction, f.owner});
    return s;
}

inline constexpr std::int32_t kAllScriptType = 0x3F000000 | 0x00040080 | 0x00000004 | 0x00000001 | 0x00020000 |
                                               0x00000002 | 0x00012008 | 0x00000010;

}  // namespace fixtures
