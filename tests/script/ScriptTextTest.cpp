// Expected script text per switch, on small fixtures.
#include <gtest/gtest.h>

#include <functional>

#include "sqldmo/Error.h"
#include "sqldmo/script/LeftOut70.h"
#include "tests/script/Fixtures.h"

using namespace sqldmo;
using namespace fixtures;
namespace f = sqldmo::script::flags;
namespace f2 = sqldmo::script::flags2;

namespace {

struct ScriptRun {
    std::shared_ptr<model::Database> db = std::make_shared<model::Database>();
    model::Server server;
    script::TransferSettings settings;
    script::ScriptOptions options;

    ScriptRun() {
        db->name = "Shop";
        options.scriptDate = "3/5/2002";
        options.scriptTime = "2:07:09 PM";
        options.newline = "\n";
    }
    void add(std::string name, model::ObjectType type, std::string owner = "dbo") {
        settings.objects.push_back({std::move(name), type, std::move(owner)});
    }
    std::string operator()(std::int32_t type, std::int32_t type2 = 0, script::ScriptProgress* progress = nullptr) {
        settings.scriptType = type;
        settings.script2Type = type2;
        server.databases = {db};
        return script::scriptTransfer(server, *db, settings, options, progress);
    }
};

constexpr std::int32_t kCreate = f::PrimaryObject | f::OwnerQualify;

}  // namespace

TEST(ScriptText, CreateTableWritesEveryColumnKind) {
    ScriptRun run;
    auto t = table(1, "Items", {});
    auto id = column("ID", "int", 0, false);
    id.identity = true;
    id.identitySeed = 100;
    id.identityIncrement = 5;
    id.identityNotForReplication = true;
    auto code = column("Code", "varchar", 10, false);
    code.collation = "Latin1_General_CI_AS";
    auto price = column("Price", "decimal");
    price.precision = 10;
    price.scale = 2;
    auto total = column("Total", "int");
    total.computedText = "[Price] * 2";
    auto guid = column("Guid", "uniqueidentifier", 0, false);
    guid.rowGuidCol = true;
    auto weight = column("Weight", "Quantity", 0, false);
    weight.baseType = "int";
    auto odd = column("Name]x", "nvarchar", 40);
    odd.collation = "bad name";  // not a collation: never written
    t.columns = {id, code, price, total, guid, column("Notes", "ntext"), weight, column("Stamp", "timestamp", 0, false),
                 column("Who", "sysname", 128, false), odd};
    t.fileGroup = "PRIMARY";
    t.textFileGroup = "TEXTS";
    run.db->tables.push_back(t);
    run.add("Items", model::ObjectType::UserTable);
    EXPECT_EQ(run(kCreate),
              "CREATE TABLE [dbo].[Items] (\n"
              "\t[ID] [int] IDENTITY (100, 5) NOT FOR REPLICATION NOT NULL,\n"
              "\t[Code] [varchar] (10) COLLATE Latin1_General_CI_AS NOT NULL,\n"
              "\t[Price] [decimal] (10, 2) NULL,\n"
              "\t[Total] AS ([Price] * 2),\n"
              "\t[Guid] [uniqueidentifier] ROWGUIDCOL NOT NULL,\n"
              "\t[Notes] [ntext] NULL,\n"
              "\t[Weight] [Quantity] NOT NULL,\n"
              "\t[Stamp] [timestamp] NOT NULL,\n"
              "\t[Who] [sysname] NOT NULL,\n"
              "\t[Name]]x] [nvarchar] (40) NULL\n"
              ") ON [PRIMARY] TEXTIMAGE_ON [TEXTS]\n"
              "GO\n\n");
}

TEST(ScriptText, DropsGuardEveryKind) {
    ScriptRun run;
    run.db->tables.push_back(table(1, "T", {column("a", "int")}));
    run.db->views.push_back(module<model::View>(2, "V", "CREATE VIEW V AS SELECT 1 AS a\n"));
    run.db->procedures.push_back(module<model::StoredProcedure>(3, "P", "CREATE PROCEDURE P AS SELECT 1\n"));
    run.db->functions.push_back(module<model::UserDefinedFunction>(4, "F", "CREATE FUNCTION F() RETURNS int AS BEGIN RETURN 1 END\n"));
    model::DefaultObject d;
    d.id = 5, d.owner = "dbo", d.name = "D", d.text = "CREATE DEFAULT D AS 0\n";
    run.db->defaults.push_back(d);
    model::Rule r;
    r.id = 6, r.owner = "dbo", r.name = "R", r.text = "CREATE RULE R AS @v > 0\n";
    run.db->rules.push_back(r);
    model::UserDefinedDatatype u;
    u.id = 7, u.owner = "dbo", u.name = "U", u.baseType = "int";
    run.db->types.push_back(u);
    run.settings = everything(*run.db, 0);
    EXPECT_EQ(run(f::Drops | f::OwnerQualify),
              "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[P]') and OBJECTPROPERTY(id, N'IsProcedure') = 1)\n"
              "drop procedure [dbo].[P]\nGO\n\n"
              "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[V]') and OBJECTPROPERTY(id, N'IsView') = 1)\n"
              "drop view [dbo].[V]\nGO\n\n"
              "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[F]') and xtype in (N'FN', N'IF', N'TF'))\n"
              "drop function [dbo].[F]\nGO\n\n"
              "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[T]') and OBJECTPROPERTY(id, N'IsUserTable') = 1)\n"
              "drop table [dbo].[T]\nGO\n\n"
              "if exists (select * from dbo.systypes where name = N'U')\n"
              "exec sp_droptype N'U'\nGO\n\n"
              "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[D]') and OBJECTPROPERTY(id, N'IsDefault') = 1)\n"
              "drop default [dbo].[D]\nGO\n\n"
              "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[R]') and OBJECTPROPERTY(id, N'IsRule') = 1)\n"
              "drop rule [dbo].[R]\nGO\n\n");
}

TEST(ScriptText, HeadersNameTheKindAndCannotBreakOutOfTheComment) {
    ScriptRun run;
    run.db->tables.push_back(table(1, "Odd*/\nName", {column("a", "int")}));
    run.db->procedures.push_back(module<model::StoredProcedure>(3, "P", "CREATE PROCEDURE P AS SELECT 1\n"));
    run.add("Odd*/\nName", model::ObjectType::UserTable);
    run.add("P", model::ObjectType::StoredProcedure);
    const std::string s = run(kCreate | f::IncludeHeaders);
    EXPECT_NE(s.find("/****** Object:  Table [dbo].[Odd* / Name]    Script Date: 3/5/2002 2:07:09 PM ******/\n"
                     "CREATE TABLE [dbo].[Odd*/\nName] ("),
              std::string::npos)
        << s;
    EXPECT_NE(s.find("/****** Object:  Stored Procedure [dbo].[P]    Script Date: 3/5/2002 2:07:09 PM ******/\n"
                     "SET QUOTED_IDENTIFIER ON\nSET ANSI_NULLS ON\nGO\nCREATE PROCEDURE P AS SELECT 1\nGO\n"),
              std::string::npos)
        << s;
}

TEST(ScriptText, PermissionsAreGroupedGrantsBeforeDenies) {
    ScriptRun run;
    auto t = table(1, "T", {column("a", "int"), column("b", "int")});
    using A = model::Permission::Action;
    t.permissions = {
        {A::Deny, "DELETE", "clerk", "", false},     {A::Grant, "insert", "clerk", "", false},
        {A::Grant, "SELECT", "clerk", "", false},    {A::Grant, "SELECT", "boss", "", true},
        {A::Grant, "UPDATE", "clerk", "b", false},   {A::Grant, "UPDATE", "clerk", "a", false},
        {A::Grant, "SELECT; DROP", "clerk", "", false},
    };
    run.db->tables.push_back(t);
    run.add("T", model::ObjectType::UserTable);
    const std::string s = run(f::ObjectPermissions | f::OwnerQualify);
    EXPECT_EQ(s,
              "-- Permission SELECT; DROP of [clerk] on Table [dbo].[T] is not one a script can grant.\n"
              "GRANT SELECT, INSERT ON [dbo].[T] TO [clerk]\n"
              "GRANT SELECT ON [dbo].[T] TO [boss] WITH GRANT OPTION\n"
              "GRANT UPDATE ON [dbo].[T] ([b], [a]) TO [clerk]\n"
              "DENY DELETE ON [dbo].[T] TO [clerk]\n"
              "GO\n\n");
}

namespace {

model::Table keyedTable() {
    auto t = table(1, "T", {column("a", "int", 0, false), column("b", "int"), column("c", "int")});
    t.columns[2].computedText = "[a] + 1";
    t.columns[1].defaultConstraintName = "DF_T_b";
    t.columns[1].defaultConstraintText = "(0)";
    auto pk = primaryKey("PK_T", {"a"}, false);
    pk.fillFactor = 90;
    pk.fileGroup = "INDEXES";
    t.primaryKey = pk;
    model::KeyConstraint u;
    u.name = "UQ_T_b";
    u.clustered = true;
    u.columns = {{"b", true}};
    t.uniqueConstraints.push_back(u);
    t.checks.push_back({"CK_T_b", "[b] >= 0", "b", true, true, {}});
    t.checks.push_back({"CK_T", "([a] <> [b])", "", false, false, {}});
    model::Index ix;
    ix.name = "IX_T_c";
    ix.columns = {{"c", false}};
    ix.padIndex = true;
    ix.fillFactor = 80;
    ix.ignoreDupKey = true;
    ix.unique = true;
    ix.statisticsNoRecompute = true;
    t.indexes.push_back(ix);
    model::Index cx;
    cx.name = "CX_T";
    cx.clustered = true;
    cx.columns = {{"a", false}, {"b", true}};
    t.indexes.push_back(cx);
    return t;
}

}  // namespace

TEST(ScriptText, KeysConstraintsAndIndexesPerSwitch) {
    struct Case {
        const char* what;
        std::int32_t type;
        const char* expected;
    };
    const Case cases[] = {
        {"primary and unique keys", f::DRI_PrimaryKey | f::DRI_Unique | f::OwnerQualify,
         "ALTER TABLE [dbo].[T] ADD CONSTRAINT [UQ_T_b] UNIQUE CLUSTERED ([b] DESC)\n"
         "ALTER TABLE [dbo].[T] ADD CONSTRAINT [PK_T] PRIMARY KEY NONCLUSTERED ([a]) WITH FILLFACTOR = 90 ON [INDEXES]\n"
         "GO\n\n"},
        {"key indexes without constraints", f::DRIIndexes | f::OwnerQualify,
         "CREATE UNIQUE CLUSTERED INDEX [UQ_T_b] ON [dbo].[T] ([b] DESC)\n"
         "CREATE UNIQUE NONCLUSTERED INDEX [PK_T] ON [dbo].[T] ([a]) WITH FILLFACTOR = 90 ON [INDEXES]\n"
         "GO\n\n"},
        {"constraints win over key indexes", f::DRI_PrimaryKey | f::DRIIndexes | f::OwnerQualify,
         "CREATE UNIQUE CLUSTERED INDEX [UQ_T_b] ON [dbo].[T] ([b] DESC)\n"
         "ALTER TABLE [dbo].[T] ADD CONSTRAINT [PK_T] PRIMARY KEY NONCLUSTERED ([a]) WITH FILLFACTOR = 90 ON [INDEXES]\n"
         "GO\n\n"},
        {"checks", f::DRI_Checks | f::OwnerQualify,
         "ALTER TABLE [dbo].[T] ADD CONSTRAINT [CK_T_b] CHECK NOT FOR REPLICATION ([b] >= 0)\n"
         "ALTER TABLE [dbo].[T] NOCHECK CONSTRAINT [CK_T_b]\n"
         "ALTER TABLE [dbo].[T] ADD CONSTRAINT [CK_T] CHECK ([a] <> [b])\n"
         "GO\n\n"},
        {"checks with no check", f::DRI_Checks | f::DRIWithNoCheck | f::OwnerQualify,
         "ALTER TABLE [dbo].[T] WITH NOCHECK ADD CONSTRAINT [CK_T_b] CHECK NOT FOR REPLICATION ([b] >= 0)\n"
         "ALTER TABLE [dbo].[T] NOCHECK CONSTRAINT [CK_T_b]\n"
         "ALTER TABLE [dbo].[T] WITH NOCHECK ADD CONSTRAINT [CK_T] CHECK ([a] <> [b])\n"
         "GO\n\n"},
        {"defaults", f::DRI_Defaults | f::OwnerQualify,
         "ALTER TABLE [dbo].[T] ADD CONSTRAINT [DF_T_b] DEFAULT (0) FOR [b]\nGO\n\n"},
        {"clustered indexes", f::ClusteredIndexes | f::OwnerQualify,
         "CREATE CLUSTERED INDEX [CX_T] ON [dbo].[T] ([a], [b] DESC)\nGO\n\n"},
        {"nonclustered indexes on a computed column", f::NonClusteredIndexes | f::OwnerQualify,
         "SET ARITHABORT ON\n"
         "CREATE UNIQUE NONCLUSTERED INDEX [IX_T_c] ON [dbo].[T] ([c]) WITH PAD_INDEX, FILLFACTOR = 80, IGNORE_DUP_KEY, "
         "STATISTICS_NORECOMPUTE\nGO\n\n"},
        {"without owner", f::ClusteredIndexes, "CREATE CLUSTERED INDEX [CX_T] ON [T] ([a], [b] DESC)\nGO\n\n"},
    };
    for (const auto& c : cases) {
        ScriptRun run;
        run.db->tables.push_back(keyedTable());
        run.add("T", model::ObjectType::UserTable);
        EXPECT_EQ(run(c.type), c.expected) << c.what;
    }
}

TEST(ScriptText, ForeignKeysWithActionsAndNoCheck) {
    ScriptRun run;
    auto a = table(1, "A", {column("id", "int", 0, false)});
    auto b = table(2, "B", {column("id", "int", 0, false), column("a", "int")});
    auto fk = foreignKey("FK_B_A", "a", a, "id");
    fk.onDelete = model::ReferentialAction::Cascade;
    fk.onUpdate = model::ReferentialAction::Cascade;
    fk.notForReplication = true;
    fk.disabled = true;
    b.foreignKeys.push_back(fk);
    run.db->tables = {a, b};
    run.add("B", model::ObjectType::UserTable);
    EXPECT_EQ(run(f::DRI_ForeignKeys | f::DRIWithNoCheck | f::OwnerQualify),
              "ALTER TABLE [dbo].[B] WITH NOCHECK ADD CONSTRAINT [FK_B_A] FOREIGN KEY ([a]) REFERENCES [dbo].[A] ([id]) "
              "ON DELETE CASCADE ON UPDATE CASCADE NOT FOR REPLICATION\n"
              "ALTER TABLE [dbo].[B] NOCHECK CONSTRAINT [FK_B_A]\n"
              "GO\n\n");
}

TEST(ScriptText, BindingsForColumnsAndTypes) {
    ScriptRun run;
    model::DefaultObject d;
    d.id = 5, d.owner = "dbo", d.name = "Zero", d.text = "CREATE DEFAULT Zero AS 0\n";
    model::Rule r;
    r.id = 6, r.owner = "dbo", r.name = "Positive", r.text = "CREATE RULE Positive AS @v > 0\n";
    model::UserDefinedDatatype u;
    u.id = 7, u.owner = "dbo", u.name = "Qty", u.baseType = "decimal", u.precision = 9, u.scale = 2;
    u.nullable = false;
    u.boundRule = "dbo.Positive";
    run.db->defaults = {d};
    run.db->rules = {r};
    run.db->types = {u};
    auto q = column("q", "Qty", 0, false);
    q.baseType = "decimal";
    q.boundRule = "dbo.Positive";  // inherited from the type: not bound again
    q.boundDefault = "dbo.Zero";
    run.db->tables.push_back(table(1, "T", {q}));
    run.add("T", model::ObjectType::UserTable);
    run.add("Qty", model::ObjectType::UserDefinedDatatype);
    EXPECT_EQ(run(kCreate | f::Bindings),
              "EXEC sp_addtype N'Qty', N'decimal (9, 2)', N'NOT NULL', N'dbo'\nGO\n"
              "EXEC sp_bindrule N'[dbo].[Positive]', N'Qty'\nGO\n\n"
              "CREATE TABLE [dbo].[T] (\n\t[q] [Qty] NOT NULL\n)\nGO\n\n"
              "EXEC sp_bindefault N'[dbo].[Zero]', N'[dbo].[T].[q]'\nGO\n\n");
}

TEST(ScriptText, ExtendedPropertiesKeepTheirValueTypes) {
    ScriptRun run;
    auto t = table(1, "T", {column("a", "int")});
    t.properties = {{"MS_Description", Value::ofText(SqlType::NVarChar, "Bob's table")},
                    {"Rows", Value::ofInteger(SqlType::Int, -42)},
                    {"Ratio", Value::ofFloat(SqlType::Float, 1.5)},
                    {"Born", Value::ofDateTime(SqlType::DateTime, {2002, 3, 5, 14, 7, 9, 123})}};
    t.columns[0].properties = {{"Flag", Value::ofInteger(SqlType::Bit, 1)}, {"Code", Value::ofText(SqlType::VarChar, "x")}};
    run.db->tables.push_back(t);
    run.add("T", model::ObjectType::UserTable);
    EXPECT_EQ(run(kCreate, f2::ExtendedProperty),
              "CREATE TABLE [dbo].[T] (\n\t[a] [int] NULL\n)\nGO\n\n"
              "DECLARE @value sql_variant\n"
              "exec sp_addextendedproperty N'MS_Description', N'Bob''s table', N'user', N'dbo', N'table', N'T'\n"
              "exec sp_addextendedproperty N'Rows', -42, N'user', N'dbo', N'table', N'T'\n"
              "exec sp_addextendedproperty N'Ratio', 1.5E0, N'user', N'dbo', N'table', N'T'\n"
              "SET @value = CONVERT(datetime, N'2002-03-05T14:07:09.123', 126)\n"
              "exec sp_addextendedproperty N'Born', @value, N'user', N'dbo', N'table', N'T'\n"
              "SET @value = CAST(1 AS bit)\n"
              "exec sp_addextendedproperty N'Flag', @value, N'user', N'dbo', N'table', N'T', N'column', N'a'\n"
              "SET @value = CAST(N'x' AS varchar(1))\n"
              "exec sp_addextendedproperty N'Code', @value, N'user', N'dbo', N'table', N'T', N'column', N'a'\n"
              "GO\n\n");
}

TEST(ScriptText, Only70LeavesOutWhatSqlServer70LacksWithAComment) {
    ScriptRun run;
    auto a = table(1, "A", {column("id", "int", 0, false)});
    a.primaryKey = primaryKey("PK_A", {"id"});
    auto b = table(2, "B", {column("id", "int", 0, false), column("big", "bigint"), column("name", "varchar", 10),
                            column("a", "int"), column("twice", "int")});
    b.columns[4].computedText = "([Big] * 2)";
    b.columns[2].collation = "Latin1_General_BIN";
    b.properties = {{"MS_Description", Value::ofText(SqlType::NVarChar, "x")}};
    model::Index ix;
    ix.name = "IX_B_big";
    ix.columns = {{"big", false}};
    b.indexes.push_back(ix);
    auto fk = foreignKey("FK_B_A", "a", a, "id");
    fk.onDelete = model::ReferentialAction::Cascade;
    b.foreignKeys.push_back(fk);
    auto instead = trigger(20, "trB", "CREATE TRIGGER trB ON B INSTEAD OF INSERT AS SELECT 1\n");
    instead.insteadOf = true;
    b.triggers.push_back(instead);
    run.db->tables = {a, b};
    run.db->functions.push_back(module<model::UserDefinedFunction>(4, "F", "CREATE FUNCTION F() RETURNS int AS BEGIN RETURN 1 END\n"));
    run.add("B", model::ObjectType::UserTable);
    run.add("F", model::ObjectType::UserDefinedFunction);
    EXPECT_EQ(run(kCreate | f::Drops | f::NonClusteredIndexes | f::DRI_ForeignKeys | f::Triggers,
                  f2::Only70 | f2::ExtendedProperty),
              "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[trB]') and OBJECTPROPERTY(id, N'IsTrigger') = 1)\n"
              "drop trigger [dbo].[trB]\nGO\n\n"
              "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[B]') and OBJECTPROPERTY(id, N'IsUserTable') = 1)\n"
              "drop table [dbo].[B]\nGO\n\n"
              "-- Left out for SQL Server 7.0, which has no bigint: column [big], with the keys, indexes and constraints on it.\n"
              "-- Left out for SQL Server 7.0: computed column [twice], which uses a column left out above.\n"
              "-- Left out for SQL Server 7.0, which has no column collations: the COLLATE clauses.\n"
              "CREATE TABLE [dbo].[B] (\n\t[id] [int] NOT NULL,\n\t[name] [varchar] (10) NULL,\n\t[a] [int] NULL\n)\nGO\n\n"
              "-- Left out for SQL Server 7.0, which has no extended properties: those of Table [dbo].[B].\n\n"
              "-- Left out for SQL Server 7.0, which has no cascading actions: ON DELETE / ON UPDATE CASCADE of [FK_B_A].\n"
              "ALTER TABLE [dbo].[B] ADD CONSTRAINT [FK_B_A] FOREIGN KEY ([a]) REFERENCES [dbo].[A] ([id])\nGO\n\n"
              "-- Left out for SQL Server 7.0, which has no user-defined functions: User Defined Function [dbo].[F].\n\n"
              "-- Left out for SQL Server 7.0, which has no INSTEAD OF triggers: Trigger [dbo].[trB].\n\n");
}

// SQL Server 7.0 has no user-defined functions, so the script leaves every one out; what calls
// one (a computed column, a default, a check) goes with it, and so does what uses that column.
// A name that only looks like a function (a column named as one) is no call.
TEST(ScriptText, Only70WritesTheAfterOfATriggerHeaderAsFor) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"CREATE TRIGGER trA ON dbo.T AFTER INSERT AS select 1", "CREATE TRIGGER trA ON dbo.T FOR INSERT AS select 1"},
        {"create trigger [x] on [dbo] . [After] with encryption after update, delete as return",
         "create trigger [x] on [dbo] . [After] with encryption FOR update, delete as return"},
        // A table named After, comments and a FOR trigger keep their text.
        {"CREATE TRIGGER t /* on x after */ ON After FOR INSERT AS -- after", "CREATE TRIGGER t /* on x after */ ON After FOR INSERT AS -- after"},
        {"CREATE TRIGGER t ON \"q\".after\nAFTER\nINSERT AS select 'after'", "CREATE TRIGGER t ON \"q\".after\nFOR\nINSERT AS select 'after'"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(script::triggerTextFor70(c.text), c.expected) << c.text;

    ScriptRun run;
    auto t = table(1, "T", {column("id", "int", 0, false)});
    t.triggers.push_back(trigger(9, "trT", "CREATE TRIGGER trT ON dbo.T AFTER INSERT AS select 1\n", {}));
    run.db->tables.push_back(t);
    run.add("T", model::ObjectType::UserTable);
    EXPECT_NE(run(kCreate | f::Triggers, f2::Only70).find("ON dbo.T FOR INSERT AS"), std::string::npos);
    EXPECT_NE(run(kCreate | f::Triggers).find("ON dbo.T AFTER INSERT AS"), std::string::npos);
}

TEST(ScriptText, Only70LeavesOutWhatCallsAFunction) {
    ScriptRun run;
    auto t = table(1, "L", {column("id", "int", 0, false), column("q", "int"), column("total", "int"),
                            column("stamp", "int"), column("fnTotal", "int")});
    t.columns[2].computedText = "([dbo].[fnTotal]([q]))";
    t.columns[3].defaultConstraintName = "DF_L_stamp";
    t.columns[3].defaultConstraintText = "(dbo.fnNext ())";
    t.columns[1].defaultConstraintName = "DF_L_q";
    t.columns[1].defaultConstraintText = "(0)";
    t.checks.push_back({"CK_L_q", "([dbo].[fnTotal]([q]) > 0)", "", false, false, {}});
    t.checks.push_back({"CK_L_total", "([total] < 100)", "", false, false, {}});
    t.checks.push_back({"CK_L_fnTotal", "([fnTotal] > 'fnNext(')", "fnTotal", false, false, {}});
    model::Index ix;
    ix.name = "IX_L_total";
    ix.columns = {{"total", false}};
    t.indexes.push_back(ix);
    t.dependsOn = {4, 5};
    run.db->tables.push_back(t);
    run.db->functions.push_back(module<model::UserDefinedFunction>(4, "fnTotal", "CREATE FUNCTION dbo.fnTotal (@q int) RETURNS int AS BEGIN RETURN @q END\n"));
    run.db->functions.push_back(module<model::UserDefinedFunction>(5, "fnNext", "CREATE FUNCTION dbo.fnNext () RETURNS int AS BEGIN RETURN 1 END\n"));
    run.add("L", model::ObjectType::UserTable);
    const std::int32_t type = kCreate | f::DRI_Checks | f::DRI_Defaults | f::NonClusteredIndexes;
    EXPECT_EQ(run(type, f2::Only70),
              "-- Left out for SQL Server 7.0, which has no user-defined functions: computed column [total], which calls "
              "[dbo].[fnTotal], with the keys, indexes and constraints on it.\n"
              "CREATE TABLE [dbo].[L] (\n\t[id] [int] NOT NULL,\n\t[q] [int] NULL,\n\t[stamp] [int] NULL,\n"
              "\t[fnTotal] [int] NULL\n)\nGO\n\n"
              "-- Left out for SQL Server 7.0, which has no user-defined functions: the default [DF_L_stamp] of column "
              "[stamp], which calls [dbo].[fnNext].\n"
              "-- Left out for SQL Server 7.0, which has no user-defined functions: the check [CK_L_q], which calls "
              "[dbo].[fnTotal].\n"
              "ALTER TABLE [dbo].[L] ADD CONSTRAINT [DF_L_q] DEFAULT (0) FOR [q]\n"
              "ALTER TABLE [dbo].[L] ADD CONSTRAINT [CK_L_fnTotal] CHECK ([fnTotal] > 'fnNext(')\nGO\n\n");
    // Without the 7.0 switch all of it is scripted.
    const std::string full = run(type);
    for (const char* part : {"[total] AS ([dbo].[fnTotal]([q]))", "[DF_L_stamp]", "[CK_L_q]", "[CK_L_total]", "[IX_L_total]"})
        EXPECT_NE(full.find(part), std::string::npos) << part;
}

// A module whose text would not compile on SQL Server 7.0 is left out with a comment, and not
// dropped either: it calls a function, names a column left out, or (a view) uses a view left
// out. Procedures may name a missing view, which they resolve when they run.
TEST(ScriptText, Only70LeavesOutModulesOverWhatItLeftOut) {
    ScriptRun run;
    auto t = table(1, "T", {column("id", "int", 0, false), column("big", "bigint")});
    t.triggers.push_back(trigger(9, "trT", "CREATE TRIGGER trT ON T FOR INSERT AS SELECT big FROM inserted\n", {1}));
    run.db->tables.push_back(t);
    run.db->functions.push_back(module<model::UserDefinedFunction>(2, "F", "CREATE FUNCTION F() RETURNS int AS BEGIN RETURN 1 END\n"));
    run.db->views.push_back(module<model::View>(3, "Kept", "CREATE VIEW Kept AS SELECT id, 'big' AS x FROM T\n", {1}));
    run.db->views.push_back(module<model::View>(4, "Big", "CREATE VIEW Big AS SELECT t.[Big] FROM T AS t\n", {1}));
    run.db->views.push_back(module<model::View>(5, "OverBig", "CREATE VIEW OverBig AS SELECT * FROM Big\n", {4}));
    run.db->procedures.push_back(module<model::StoredProcedure>(6, "Calls", "CREATE PROCEDURE Calls AS SELECT dbo.F()\n", {2}));
    run.db->procedures.push_back(module<model::StoredProcedure>(7, "ReadsBig", "CREATE PROCEDURE ReadsBig AS SELECT * FROM Big\n", {4}));
    for (const auto& v : run.db->views) run.add(v.name, model::ObjectType::View);
    for (const auto& p : run.db->procedures) run.add(p.name, model::ObjectType::StoredProcedure);
    run.add("T", model::ObjectType::UserTable);
    const std::string script = run(kCreate | f::Drops | f::Triggers, f2::Only70);
    for (const char* s : {"-- Left out for SQL Server 7.0: View [dbo].[Big], which names column [big] of Table [dbo].[T], left out.\n",
                          "-- Left out for SQL Server 7.0: View [dbo].[OverBig], which uses View [dbo].[Big], left out.\n",
                          "-- Left out for SQL Server 7.0: Stored Procedure [dbo].[Calls], which calls User Defined Function [dbo].[F].\n",
                          "-- Left out for SQL Server 7.0: Trigger [dbo].[trT], which names column [big] of Table [dbo].[T], left out.\n",
                          "CREATE VIEW Kept", "drop view [dbo].[Kept]", "CREATE PROCEDURE ReadsBig", "drop procedure [dbo].[ReadsBig]"})
        EXPECT_NE(script.find(s), std::string::npos) << s << "\n" << script;
    for (const char* s : {"CREATE VIEW Big", "CREATE VIEW OverBig", "CREATE PROCEDURE Calls", "CREATE TRIGGER", "drop view [dbo].[Big]",
                          "drop view [dbo].[OverBig]", "drop procedure [dbo].[Calls]"})
        EXPECT_EQ(script.find(s), std::string::npos) << s << "\n" << script;
    // Other scripts keep them all.
    const std::string full = run(kCreate | f::Triggers);
    for (const char* s : {"CREATE VIEW Big", "CREATE VIEW OverBig", "CREATE PROCEDURE Calls", "CREATE TRIGGER trT"})
        EXPECT_NE(full.find(s), std::string::npos) << s;
}

// An encrypted view is not dropped and not created: where it exists it keeps its indexes and
// triggers, and where it is missing they cannot be made.
TEST(ScriptText, IndexesAndTriggersOfAViewNotCreatedAreLeftOut) {
    const std::int32_t type = kCreate | f::Drops | f::ClusteredIndexes | f::Triggers;
    struct Case {
        const char* what;
        bool encrypted;
        std::int32_t type;
        std::vector<std::string> present, absent;
    };
    const std::vector<Case> cases = {
        {"encrypted", true, type,
         {"-- Not scripted: the indexes and triggers of View [dbo].[V], which the script does not create; where it exists, "
          "it keeps them.\n"},
         {"CREATE UNIQUE CLUSTERED INDEX", "CREATE TRIGGER", "drop view"}},
        {"encrypted, no triggers switch", true, type & ~f::Triggers,
         {"-- Not scripted: the indexes of View [dbo].[V]"}, {"CREATE UNIQUE CLUSTERED INDEX"}},
        {"created", false, type, {"drop view", "CREATE UNIQUE CLUSTERED INDEX [IX_V] ON [dbo].[V] ([a])", "CREATE TRIGGER trV"},
         {"Not scripted"}},
    };
    for (const Case& c : cases) {
        ScriptRun run;
        auto v = module<model::View>(2, "V", c.encrypted ? "" : "CREATE VIEW V WITH SCHEMABINDING AS SELECT a FROM dbo.T\n");
        v.encrypted = c.encrypted;
        model::Index ix;
        ix.name = "IX_V";
        ix.clustered = true;
        ix.unique = true;
        ix.columns = {{"a", false}};
        v.indexes.push_back(ix);
        auto tr = trigger(3, "trV", "CREATE TRIGGER trV ON V INSTEAD OF INSERT AS SELECT 1\n");
        tr.insteadOf = true;
        v.triggers.push_back(tr);
        run.db->views.push_back(v);
        run.add("V", model::ObjectType::View);
        const std::string script = run(c.type);
        for (const auto& s : c.present) EXPECT_NE(script.find(s), std::string::npos) << c.what << ": " << s << "\n" << script;
        for (const auto& s : c.absent) EXPECT_EQ(script.find(s), std::string::npos) << c.what << ": " << s << "\n" << script;
    }
}

// The database's own properties come once, before any object, without levels, with the
// objects' CREATE statements. A script that drops its objects can run again, so it replaces
// them; 7.0 has none.
TEST(ScriptText, DatabasePropertiesComeFirst) {
    const std::string table = "CREATE TABLE [dbo].[T] (\n\t[a] [int] NULL\n)\nGO\n\n";
    const std::string adds = "DECLARE @value sql_variant\n"
                             "exec sp_addextendedproperty N'MS_Description', N'Bob''s shop'\n"
                             "SET @value = CAST(3 AS smallint)\n"
                             "exec sp_addextendedproperty N'Version', @value\nGO\n\n";
    struct Case {
        const char* what;
        std::int32_t type, type2;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"added", kCreate, f2::ExtendedProperty, adds + table},
        {"switch off", kCreate, 0, table},
        {"no objects created", f::ObjectPermissions | f::OwnerQualify, f2::ExtendedProperty, ""},
        {"replaced where the objects are dropped", kCreate | f::Drops, f2::ExtendedProperty,
         "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[T]') and OBJECTPROPERTY(id, N'IsUserTable') = 1)\n"
         "drop table [dbo].[T]\nGO\n\n"
         "DECLARE @value sql_variant\n"
         "if exists (select * from ::fn_listextendedproperty(N'MS_Description', NULL, NULL, NULL, NULL, NULL, NULL))\n"
         "\texec sp_dropextendedproperty N'MS_Description'\n"
         "exec sp_addextendedproperty N'MS_Description', N'Bob''s shop'\n"
         "if exists (select * from ::fn_listextendedproperty(N'Version', NULL, NULL, NULL, NULL, NULL, NULL))\n"
         "\texec sp_dropextendedproperty N'Version'\n"
         "SET @value = CAST(3 AS smallint)\n"
         "exec sp_addextendedproperty N'Version', @value\nGO\n\n" + table},
        {"SQL Server 7.0", kCreate, f2::ExtendedProperty | f2::Only70,
         "-- Left out for SQL Server 7.0, which has no extended properties: those of the database.\n\n" + table},
    };
    for (const Case& c : cases) {
        ScriptRun run;
        run.db->properties = {{"MS_Description", Value::ofText(SqlType::NVarChar, "Bob's shop")},
                              {"Version", Value::ofInteger(SqlType::SmallInt, 3)}};
        run.db->tables.push_back(fixtures::table(1, "T", {column("a", "int")}));
        run.add("T", model::ObjectType::UserTable);
        EXPECT_EQ(run(c.type, c.type2), c.expected) << c.what;
    }
}

TEST(ScriptText, FullTextIndex) {
    ScriptRun run;
    auto t = table(1, "Docs", {column("id", "int", 0, false), column("body", "ntext")});
    t.primaryKey = primaryKey("PK_Docs", {"id"});
    t.fullTextIndex = model::FullTextIndex{"DocCatalog", "PK_Docs", {{"body", 1033}}, true};
    run.db->tables.push_back(t);
    run.add("Docs", model::ObjectType::UserTable);
    EXPECT_EQ(run(f::OwnerQualify | f::DRI_PrimaryKey, f2::FullTextIndex),
              "ALTER TABLE [dbo].[Docs] ADD CONSTRAINT [PK_Docs] PRIMARY KEY CLUSTERED ([id])\nGO\n\n"
              "if (select DATABASEPROPERTY(DB_NAME(), N'IsFullTextEnabled')) <> 1\n"
              "\texec sp_fulltext_database N'enable'\nGO\n\n"
              "if not exists (select * from dbo.sysfulltextcatalogs where name = N'DocCatalog')\n"
              "\texec sp_fulltext_catalog N'DocCatalog', N'create'\nGO\n\n"
              "exec sp_fulltext_table N'[dbo].[Docs]', N'create', N'DocCatalog', N'PK_Docs'\n"
              "exec sp_fulltext_column N'[dbo].[Docs]', N'body', N'add', 1033\n"
              "exec sp_fulltext_table N'[dbo].[Docs]', N'activate'\nGO\n\n");
}

TEST(ScriptText, UsersRolesAndLoginsNeverHoldAPassword) {
    ScriptRun run;
    auto t = table(1, "T", {column("a", "int")}, "sales");
    t.permissions = {{model::Permission::Action::Grant, "SELECT", "readers", "", false},
                     {model::Permission::Action::Grant, "SELECT", "public", "", false}};
    run.db->tables.push_back(t);
    run.db->users = {{"dbo", "sa", true}, {"sales", "sales", false}, {"ann", "DOM\\ann", false}};
    run.db->roles = {{"readers", false, false, {"ann", "dbo"}}, {"public", false, true, {}}};
    run.server.logins = {{"sales", "Shop", "us_english", false, false, false},
                         {"DOM\\ann", "Shop", "", true, false, false}};
    run.settings.includeUsers = true;
    run.settings.includeLogins = true;
    run.add("T", model::ObjectType::UserTable, "sales");
    EXPECT_EQ(run(f::ObjectPermissions | f::OwnerQualify | f::IncludeHeaders),
              "/****** Object:  Login [DOM\\ann]    Script Date: 3/5/2002 2:07:09 PM ******/\n"
              "if not exists (select * from master.dbo.syslogins where loginname = N'DOM\\ann')\n"
              "BEGIN\n"
              "\texec sp_grantlogin N'DOM\\ann'\n"
              "\tif exists (select * from master.dbo.sysdatabases where name = N'Shop')\n"
              "\t\texec sp_defaultdb N'DOM\\ann', N'Shop'\n"
              "END\nGO\n\n"
              "/****** Object:  Login [sales]    Script Date: 3/5/2002 2:07:09 PM ******/\n"
              "-- The login gets a random password that nobody knows: set its password with sp_password.\n"
              "if not exists (select * from master.dbo.syslogins where loginname = N'sales')\n"
              "BEGIN\n"
              "\tdeclare @logindb sysname, @loginlang sysname, @password sysname\n"
              "\tselect @logindb = N'Shop', @loginlang = N'us_english', @password = convert(sysname, newid())\n"
              "\tif not exists (select * from master.dbo.sysdatabases where name = @logindb)\n"
              "\t\tselect @logindb = N'master'\n"
              "\tif not exists (select * from master.dbo.syslanguages where name = @loginlang) and @loginlang <> N'us_english'\n"
              "\t\tselect @loginlang = @@language\n"
              "\texec sp_addlogin N'sales', @password, @logindb, @loginlang\n"
              "END\nGO\n\n"
              "/****** Object:  User [ann]    Script Date: 3/5/2002 2:07:09 PM ******/\n"
              "if not exists (select * from dbo.sysusers where name = N'ann')\n"
              "\tEXEC sp_grantdbaccess N'DOM\\ann', N'ann'\nGO\n\n"
              "/****** Object:  User [sales]    Script Date: 3/5/2002 2:07:09 PM ******/\n"
              "if not exists (select * from dbo.sysusers where name = N'sales')\n"
              "\tEXEC sp_grantdbaccess N'sales', N'sales'\nGO\n\n"
              "/****** Object:  Role [readers]    Script Date: 3/5/2002 2:07:09 PM ******/\n"
              "if not exists (select * from dbo.sysusers where name = N'readers' and issqlrole = 1)\n"
              "\tEXEC sp_addrole N'readers'\nGO\n\n"
              "if not exists (select * from dbo.sysmembers where groupuid = user_id(N'readers') and memberuid = user_id(N'ann'))\n"
              "\tEXEC sp_addrolemember N'readers', N'ann'\nGO\n\n"
              "GRANT SELECT ON [sales].[T] TO [readers]\n"
              "GRANT SELECT ON [sales].[T] TO [public]\nGO\n\n");
}

TEST(ScriptText, ModulesKeepTheirTextAndSettings) {
    ScriptRun run;
    auto v = module<model::View>(2, "V", "create view V as select \"a\" = 1");
    v.settings = {false, false};
    run.db->views.push_back(v);
    auto p = module<model::StoredProcedure>(3, "Secret", "");
    p.encrypted = true;
    run.db->procedures.push_back(p);
    run.add("V", model::ObjectType::View);
    run.add("Secret", model::ObjectType::StoredProcedure);
    EXPECT_EQ(run(kCreate | f::Drops),
              // The encrypted procedure cannot be created again, so it is not dropped either.
              "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[V]') and OBJECTPROPERTY(id, N'IsView') = 1)\n"
              "drop view [dbo].[V]\nGO\n\n"
              "SET QUOTED_IDENTIFIER OFF\nSET ANSI_NULLS OFF\nGO\n"
              "create view V as select \"a\" = 1\nGO\n"
              "SET QUOTED_IDENTIFIER ON\nSET ANSI_NULLS ON\nGO\n\n"
              "-- Stored Procedure [dbo].[Secret] is encrypted: its text cannot be scripted.\n\n");
}

// A module the script cannot create may be missing where the script runs: its permissions are
// granted only where it exists. Modules the script creates, and a run that creates nothing (the
// objects are there), grant them plainly.
TEST(ScriptText, PermissionsOfModulesNotCreatedAreGuarded) {
    const std::string guarded = "if object_id(N'[dbo].[Secret]') is not null\n"
                                "BEGIN\n"
                                "\tGRANT EXECUTE ON [dbo].[Secret] TO [clerks]\n"
                                "\tDENY EXECUTE ON [dbo].[Secret] TO [guest]\n"
                                "END\nGO\n\n";
    const std::string plain = "GRANT EXECUTE ON [dbo].[Secret] TO [clerks]\n"
                              "DENY EXECUTE ON [dbo].[Secret] TO [guest]\nGO\n\n";
    const std::string comment = "-- Stored Procedure [dbo].[Secret] is encrypted: its text cannot be scripted.\n\n";
    struct Case {
        const char* what;
        bool encrypted;
        std::string text;
        std::int32_t type;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"encrypted", true, "", kCreate | f::Drops | f::ObjectPermissions, comment + guarded},
        // Nor is it dropped: the drop would lose it.
        {"without stored text", false, "", kCreate | f::Drops | f::ObjectPermissions,
         "-- Stored Procedure [dbo].[Secret] has no stored text: it cannot be scripted.\n\n" + guarded},
        {"created", false, "CREATE PROCEDURE Secret AS SELECT 1\n", kCreate | f::ObjectPermissions,
         "SET QUOTED_IDENTIFIER ON\nSET ANSI_NULLS ON\nGO\nCREATE PROCEDURE Secret AS SELECT 1\nGO\n\n" + plain +
             "exec sp_addextendedproperty N'MS_Description', N'kept where it exists', N'user', N'dbo', "
             "N'procedure', N'Secret'\nGO\n\n"},
        {"permissions only", true, "", f::ObjectPermissions | f::OwnerQualify, plain},
    };
    for (const Case& c : cases) {
        ScriptRun run;
        auto p = module<model::StoredProcedure>(3, "Secret", c.text);
        p.encrypted = c.encrypted;
        p.permissions = {{model::Permission::Action::Grant, "EXECUTE", "clerks", "", false},
                         {model::Permission::Action::Deny, "EXECUTE", "guest", "", false}};
        p.properties = {{"MS_Description", Value::ofText(SqlType::NVarChar, "kept where it exists")}};
        run.db->procedures.push_back(p);
        run.add("Secret", model::ObjectType::StoredProcedure);
        EXPECT_EQ(run(c.type, f2::ExtendedProperty), c.expected) << c.what;
    }
}

TEST(ScriptText, TextThatSqlcmdWouldCutRunsThroughExec) {
    ScriptRun run;
    run.db->procedures.push_back(module<model::StoredProcedure>(3, "P", "CREATE PROCEDURE P AS\nSELECT '\nGO\n'\n"));
    run.add("P", model::ObjectType::StoredProcedure);
    EXPECT_EQ(run(kCreate),
              "SET QUOTED_IDENTIFIER ON\nSET ANSI_NULLS ON\nGO\n"
              "-- Run through EXEC: the text holds lines that sqlcmd would read as commands.\n"
              "DECLARE @cr nchar(1), @lf nchar(1)\n"
              "SELECT @cr = NCHAR(13), @lf = NCHAR(10)\n"
              "EXEC (N'CREATE PROCEDURE P AS' + @lf\n"
              "\t+ N'SELECT ''' + @lf\n"
              "\t+ N'GO' + @lf\n"
              "\t+ N'''' + @lf)\n"
              "GO\n\n");
}

TEST(ScriptText, TriggersKeepTheirSettingsAndDisabledState) {
    ScriptRun run;
    auto t = table(1, "T", {column("a", "int")});
    auto tr = trigger(20, "trT", "CREATE TRIGGER trT ON T FOR INSERT AS SELECT 1\n");
    tr.disabled = true;
    tr.settings.ansiNulls = false;
    t.triggers.push_back(tr);
    run.db->tables.push_back(t);
    run.add("T", model::ObjectType::UserTable);
    EXPECT_EQ(run(f::Triggers | f::OwnerQualify),
              "SET QUOTED_IDENTIFIER ON\nSET ANSI_NULLS OFF\nGO\n"
              "CREATE TRIGGER trT ON T FOR INSERT AS SELECT 1\nGO\n"
              "SET QUOTED_IDENTIFIER ON\nSET ANSI_NULLS ON\nGO\n"
              "ALTER TABLE [dbo].[T] DISABLE TRIGGER [trT]\nGO\n\n");
}

TEST(ScriptText, DroppedTableGetsBackTheForeignKeysOfTablesLeftAsTheyAre) {
    ScriptRun run;
    auto a = table(1, "A", {column("id", "int", 0, false)});
    a.primaryKey = primaryKey("PK_A", {"id"});
    auto b = table(2, "B", {column("a", "int")});
    b.foreignKeys.push_back(foreignKey("FK_B_A", "a", a, "id"));
    run.db->tables = {a, b};
    run.add("A", model::ObjectType::UserTable);
    EXPECT_EQ(run(kCreate | f::Drops | f::DRI_PrimaryKey),
              "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[FK_B_A]') and OBJECTPROPERTY(id, N'IsForeignKey') = 1)\n"
              "ALTER TABLE [dbo].[B] DROP CONSTRAINT [FK_B_A]\nGO\n\n"
              "if exists (select * from dbo.sysobjects where id = object_id(N'[dbo].[A]') and OBJECTPROPERTY(id, N'IsUserTable') = 1)\n"
              "drop table [dbo].[A]\nGO\n\n"
              "CREATE TABLE [dbo].[A] (\n\t[id] [int] NOT NULL\n)\nGO\n\n"
              "ALTER TABLE [dbo].[A] ADD CONSTRAINT [PK_A] PRIMARY KEY CLUSTERED ([id])\nGO\n\n"
              "-- Puts back foreign key [FK_B_A] of [dbo].[B], dropped above.\n"
              "ALTER TABLE [dbo].[B] WITH NOCHECK ADD CONSTRAINT [FK_B_A] FOREIGN KEY ([a]) REFERENCES [dbo].[A] ([id])\nGO\n\n");
}

TEST(ScriptText, IncludeDependenciesAddsWhatTheObjectsNeed) {
    auto db = shop();
    ScriptRun run;
    run.db = db;
    run.add("Recalc", model::ObjectType::StoredProcedure);
    const std::string without = run(kCreate);
    EXPECT_EQ(without.find("CREATE VIEW"), std::string::npos);
    run.settings.includeDependencies = true;
    const std::string with = run(kCreate);
    // The procedure needs the view, the view the orders, the orders their type, the type its rule.
    for (const char* text : {"CREATE VIEW dbo.OrderTotals", "CREATE TABLE [dbo].[Orders]", "EXEC sp_addtype N'Quantity'",
                             "CREATE RULE [dbo].[Positive]", "CREATE PROCEDURE dbo.Recalc"})
        EXPECT_NE(with.find(text), std::string::npos) << text;
    EXPECT_EQ(with.find("CREATE TABLE [dbo].[Customers]"), std::string::npos);  // no foreign keys asked for
    EXPECT_NE(run(kCreate | f::DRI_ForeignKeys).find("CREATE TABLE [dbo].[Customers]"), std::string::npos);
}

TEST(ScriptText, NothingToScriptGivesAnEmptyScript) {
    auto db = shop();
    ScriptRun run;
    run.db = db;
    run.settings = everything(*db, 0);
    EXPECT_EQ(run(0), "");
    EXPECT_EQ(run(0, f2::ExtendedProperty), "");
}

TEST(ScriptText, NamesNotInTheDatabaseAreErrorsNamingThem) {
    struct Case {
        script::TransferObject object;
        std::int32_t number;
        const char* message;
    };
    const Case cases[] = {
        {{"Nope", model::ObjectType::UserTable, "dbo"}, errors::NotFound,
         "[SQL-DMO]The name 'dbo.Nope' was not found in the Tables collection. If the name is a qualified name, use [] to "
         "separate various parts of the name, and try again."},
        {{"Recalc", model::ObjectType::View, ""}, errors::NotFound,
         "[SQL-DMO]The name 'Recalc' was not found in the Views collection. If the name is a qualified name, use [] to "
         "separate various parts of the name, and try again."},
        {{"Orders", model::ObjectType::Trigger, ""}, errors::InvalidArgument,
         "[SQL-DMO]The object type 256 given for 'Orders' is not one a transfer can script."},
    };
    for (const auto& c : cases) {
        ScriptRun run;
        run.db = shop();
        run.settings.objects = {c.object};
        try {
            run(0);
            ADD_FAILURE() << c.message;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), c.number);
            EXPECT_EQ(e.description(), c.message);
        }
    }
}

TEST(ScriptText, NamesAreFoundInEveryWrittenForm) {
    for (auto [name, owner] : {std::pair{"orders", "DBO"}, std::pair{"dbo.Orders", ""}, std::pair{"[dbo].[Orders]", ""},
                               std::pair{"[Orders]", ""}, std::pair{"Orders", ""}}) {
        ScriptRun run;
        run.db = shop();
        run.add(name, model::ObjectType::UserTable, owner);
        EXPECT_NE(run(kCreate).find("CREATE TABLE [dbo].[Orders]"), std::string::npos) << name;
    }
}

TEST(ScriptText, WindowsLineBreaksByDefault) {
    ScriptRun run;
    run.options.newline = script::ScriptOptions{}.newline;
    run.db->tables.push_back(table(1, "T", {column("a", "int")}));
    run.add("T", model::ObjectType::UserTable);
    EXPECT_EQ(run(kCreate), "CREATE TABLE [dbo].[T] (\r\n\t[a] [int] NULL\r\n)\r\nGO\r\n\r\n");
}

namespace {

struct Recorder : script::ScriptProgress {
    std::vector<std::string> messages;
    std::vector<int> percents;
    void statusMessage(std::string_view m) override { messages.emplace_back(m); }
    void percentComplete(std::string_view, std::int32_t p) override { percents.push_back(p); }
};

}  // namespace

TEST(ScriptText, ProgressNamesEachObjectAndRisesTo100) {
    ScriptRun run;
    run.db = shop();
    run.settings = everything(*run.db, 0);
    Recorder r;
    run(kCreate, 0, &r);
    EXPECT_EQ(r.messages, (std::vector<std::string>{
                              "Scripting Table [dbo].[Customers]", "Scripting Table [dbo].[Orders]",
                              "Scripting View [dbo].[OrderTotals]", "Scripting Stored Procedure [dbo].[Recalc]",
                              "Scripting Default [dbo].[Zero]", "Scripting Rule [dbo].[Positive]",
                              "Scripting User Defined Datatype [dbo].[Quantity]"}));
    ASSERT_FALSE(r.percents.empty());
    EXPECT_TRUE(std::is_sorted(r.percents.begin(), r.percents.end()));
    EXPECT_EQ(r.percents.back(), 100);
}
