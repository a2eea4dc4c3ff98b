// Builds the synthetic catalogue: every table alike in shape, names numbered.
#include "bench/common/SyntheticCatalog.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace bench {
namespace {

using namespace sqldmo::model;

std::string numbered(const char* prefix, int n) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%05d", prefix, n);
    return buffer;
}

// The column types cycle through a realistic mix.
struct ColumnShape {
    const char* type;
    int length;
    int precision;
    int scale;
};
constexpr ColumnShape kShapes[] = {
    {"varchar", 50, 0, 0}, {"nvarchar", 100, 0, 0}, {"int", 0, 0, 0},       {"decimal", 0, 18, 2},
    {"datetime", 0, 0, 0}, {"bit", 0, 0, 0},        {"money", 0, 0, 0},     {"float", 0, 0, 0},
    {"char", 10, 0, 0},    {"bigint", 0, 0, 0},     {"smallint", 0, 0, 0},  {"ntext", 0, 0, 0},
};

}  // namespace

std::shared_ptr<Database> makeSyntheticDatabase(const SynthOptions& o) {
    auto db = std::make_shared<Database>();
    db->name = "Synth";
    db->owner = "sa";
    db->collation = "SQL_Latin1_General_CP1_CI_AS";
    db->tables.reserve(static_cast<std::size_t>(o.tables));
    ObjectId nextId = 1;
    const int columns = std::max(o.columnsPerTable, 3);

    for (int t = 1; t <= o.tables; ++t) {
        Table& table = db->tables.emplace_back();
        table.id = nextId++;
        table.owner = "dbo";
        table.name = numbered("Table", t);
        table.rowCount = 0;
        table.columns.reserve(static_cast<std::size_t>(columns));

        Column& key = table.columns.emplace_back();
        key.name = "Id";
        key.dataType = key.baseType = "int";
        key.nullable = false;
        key.identity = true;
        for (int r = 1; r <= o.foreignKeysPerTable && r < columns; ++r) {
            Column& ref = table.columns.emplace_back();
            ref.name = "Ref" + std::to_string(r) + "Id";
            ref.dataType = ref.baseType = "int";
        }
        for (int c = static_cast<int>(table.columns.size()); c < columns; ++c) {
            const auto& shape = kShapes[static_cast<std::size_t>(c) % std::size(kShapes)];
            Column& col = table.columns.emplace_back();
            col.name = numbered("Col", c);
            col.dataType = col.baseType = shape.type;
            col.length = shape.length;
            col.precision = shape.precision;
            col.scale = shape.scale;
            if (std::string_view(shape.type) == "datetime") {
                col.defaultConstraintName = "DF_" + table.name + "_" + col.name;
                col.defaultConstraintText = "(getdate())";
            }
        }

        table.primaryKey = KeyConstraint{"PK_" + table.name, true, true, 90, "", {{"Id", false}}, {}};
        // References go to the tables just before this one, so the graph is deep but acyclic.
        for (int r = 1; r <= o.foreignKeysPerTable; ++r) {
            const int parent = t - r;
            if (parent < 1 || r >= columns) continue;
            ForeignKey fk;
            fk.name = "FK_" + table.name + "_" + std::to_string(r);
            fk.columns = {"Ref" + std::to_string(r) + "Id"};
            fk.referencedTableId = static_cast<ObjectId>(db->tables[static_cast<std::size_t>(parent - 1)].id);
            fk.referencedOwner = "dbo";
            fk.referencedTable = numbered("Table", parent);
            fk.referencedColumns = {"Id"};
            table.foreignKeys.push_back(std::move(fk));
        }
        for (int i = 1; i <= o.indexesPerTable; ++i) {
            const int c = std::min(columns - 1, 2 + i);
            Index index;
            index.name = "IX_" + table.name + "_" + std::to_string(i);
            index.fillFactor = 80;
            index.columns = {{table.columns[static_cast<std::size_t>(c)].name, i % 2 == 0}};
            table.indexes.push_back(std::move(index));
        }
        for (int g = 1; g <= o.triggersPerTable; ++g) {
            Trigger trigger;
            trigger.id = nextId++;
            trigger.owner = "dbo";
            trigger.name = "tr" + table.name + "_" + std::to_string(g);
            trigger.onInsert = trigger.onUpdate = true;
            trigger.text = "CREATE TRIGGER [dbo].[" + trigger.name + "] ON [dbo].[" + table.name +
                           "] AFTER INSERT, UPDATE AS\r\nBEGIN\r\n    SET NOCOUNT ON\r\n    UPDATE t SET " +
                           table.columns.back().name + " = " + table.columns.back().name + " FROM [dbo].[" +
                           table.name + "] t JOIN inserted i ON i.Id = t.Id\r\nEND\r\n";
            table.triggers.push_back(std::move(trigger));
        }
    }

    for (int v = 1; v <= o.views; ++v) {
        View& view = db->views.emplace_back();
        view.id = nextId++;
        view.owner = "dbo";
        view.name = numbered("View", v);
        if (o.tables > 0) {
            const auto& a = db->tables[static_cast<std::size_t>((v - 1) % o.tables)];
            const auto& b = db->tables[static_cast<std::size_t>(v % o.tables)];
            view.text = "CREATE VIEW [dbo].[" + view.name + "] AS\r\nSELECT a.Id, a." + a.columns.back().name +
                        ", b.Id AS OtherId\r\nFROM [dbo].[" + a.name + "] a JOIN [dbo].[" + b.name +
                        "] b ON b.Id = a.Id\r\n";
            view.dependsOn = {a.id, b.id};
        } else {
            view.text = "CREATE VIEW [dbo].[" + view.name + "] AS SELECT 1 AS One\r\n";
        }
    }

    for (int p = 1; p <= o.procedures; ++p) {
        StoredProcedure& proc = db->procedures.emplace_back();
        proc.id = nextId++;
        proc.owner = "dbo";
        proc.name = numbered("Procedure", p);
        if (o.tables > 0) {
            const auto& t = db->tables[static_cast<std::size_t>((p - 1) % o.tables)];
            proc.text = "CREATE PROCEDURE [dbo].[" + proc.name + "] @Id int AS\r\nSET NOCOUNT ON\r\nSELECT * FROM [dbo].[" +
                        t.name + "] WHERE Id = @Id\r\n";
            proc.dependsOn = {t.id};
        } else {
            proc.text = "CREATE PROCEDURE [dbo].[" + proc.name + "] AS RETURN 0\r\n";
        }
    }
    db->users = {{"dbo", "sa", true}};
    return db;
}

Server makeSyntheticServer(const SynthOptions& options) {
    Server s;
    s.name = "SYNTH";
    s.versionMajor = 8;
    s.versionString = "8.00.2039";
    s.login = "sa";
    s.logins = {{"sa", "Synth", "us_english", false, false, false}};
    s.databases.push_back(makeSyntheticDatabase(options));
    return s;
}

}  // namespace bench
