// Writes the seed corpus of fuzz_snapshot into a folder: a small snapshot made by the writer (two
// databases, tables with rows of several types, a view with a trigger, keys, properties), the
// same file with small pages, and copies of it damaged in plausible ways (meta rows changed,
// values of the wrong type in the rows table, catalogue rows pointing elsewhere), so that the
// fuzzer starts from files the reader gets far into.
//   fuzz_snapshot_seeds FOLDER
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sqldmo/Error.h"
#include "sqldmo/model/Catalog.h"
#include "sqldmo/snapshot/Snapshot.h"

namespace {

using namespace sqldmo;
using namespace sqldmo::model;

Column column(const std::string& name, const std::string& type, int length = 0, bool nullable = true) {
    Column c;
    c.name = name;
    c.dataType = c.baseType = type;
    c.length = length;
    c.nullable = nullable;
    return c;
}

Server tinyServer() {
    Server s;
    s.name = "SEED01";
    s.versionString = "8.00.2039";
    s.login = "sa";
    s.logins = {{"sa", "Shop", "us_english", false, false, false}, {"OFFICE\\Clerks", "master", "", true, true, false}};

    auto shop = std::make_shared<Database>();
    shop->name = "Shop";
    shop->owner = "sa";
    shop->collation = "Latin1_General_CI_AS";
    Value note = Value::ofText(SqlType::NVarChar, "Seed");
    note.variant = true;
    note.maxLength = 20;
    shop->properties = {{"MS_Description", note}};

    Table customer;
    customer.id = 100;
    customer.owner = "dbo";
    customer.name = "Customer";
    customer.columns = {column("Id", "int", 0, false), column("Name", "nvarchar", 40), column("Balance", "decimal"),
                        column("Since", "datetime"), column("Active", "bit"), column("Photo", "varbinary", 16),
                        column("Ref", "uniqueidentifier"), column("Extra", "sql_variant")};
    customer.columns[0].identity = true;
    customer.columns[2].precision = 10;
    customer.columns[2].scale = 2;
    customer.columns[1].properties = {{"Caption", Value::ofText(SqlType::VarChar, "Name")}};
    customer.primaryKey = KeyConstraint{"PK_Customer", true, true, 0, "", {{"Id", false}}, {}};
    customer.indexes = {Index{"IX_Customer_Name", false, false, false, false, false, 0, "", {{"Name", true}}, {}}};
    customer.checks = {CheckConstraint{"CK_Customer_Balance", "([Balance] >= 0)", "Balance", false, false, {}}};
    customer.permissions = {{Permission::Action::Grant, "SELECT", "public", "", false}};
    Trigger audit;
    audit.id = 101;
    audit.owner = "dbo";
    audit.name = "trCustomer";
    audit.text = "CREATE TRIGGER trCustomer ON dbo.Customer FOR UPDATE AS RETURN";
    audit.onUpdate = true;
    customer.triggers = {audit};

    Table orders;
    orders.id = 110;
    orders.owner = "books";
    orders.name = "Orders";
    orders.columns = {column("CustomerId", "int"), column("Amount", "money"), column("Weight", "float"),
                      column("Note", "text"), column("Code", "char", 4)};
    orders.foreignKeys = {ForeignKey{"FK_Orders_Customer", {"CustomerId"}, 100, "dbo", "Customer", {"Id"},
                                     ReferentialAction::Cascade, ReferentialAction::NoAction, false, false, {}}};

    View names;
    names.id = 120;
    names.owner = "dbo";
    names.name = "Names";
    names.text = "CREATE VIEW dbo.Names AS SELECT Name FROM dbo.Customer";
    names.dependsOn = {100};
    Trigger insteadOf;
    insteadOf.id = 121;
    insteadOf.owner = "dbo";
    insteadOf.name = "trNames";
    insteadOf.text = "CREATE TRIGGER trNames ON dbo.Names INSTEAD OF INSERT AS RETURN";
    insteadOf.insteadOf = insteadOf.onInsert = true;
    names.triggers = {insteadOf};

    StoredProcedure list;
    list.id = 130;
    list.owner = "dbo";
    list.name = "ListCustomers";
    list.text = "CREATE PROCEDURE dbo.ListCustomers AS SELECT * FROM dbo.Names";
    list.dependsOn = {120};

    shop->tables = {customer, orders};
    shop->views = {names};
    shop->procedures = {list};
    shop->users = {{"dbo", "sa", true}, {"clerk", "OFFICE\\Clerks", false}};
    shop->roles = {{"clerks", false, false, {"clerk"}}, {"public", false, true, {}}};

    auto empty = std::make_shared<Database>();
    empty->name = "master";
    empty->systemObject = true;
    empty->tables = {Table{}};
    empty->tables[0].id = 1;
    empty->tables[0].owner = "dbo";
    empty->tables[0].name = "Settings";
    empty->tables[0].columns = {column("Key", "varchar", 20), column("Value", "sql_variant")};

    s.databases = {shop, empty};
    return s;
}

void rowsOf(const Database&, const Table& t, snapshot::RowWriter& out) {
    if (t.name == "Customer") {
        Value amount = Value::ofExact(SqlType::Decimal, "12.50");
        amount.variant = true;
        amount.precision = 10;
        amount.scale = 2;
        out.add({Value::ofInteger(SqlType::Int, 1), Value::ofText(SqlType::NVarChar, "Ana \"A\" O'Neil"),
                 Value::ofExact(SqlType::Decimal, "100.25"),
                 Value::ofDateTime(SqlType::DateTime, {2002, 3, 5, 14, 7, 9, 123}), Value::ofInteger(SqlType::Bit, 1),
                 Value::ofBinary(SqlType::VarBinary, std::string("\x00\xff\x10", 3)),
                 Value::ofGuid("6F9619FF-8B86-D011-B42D-00C04FC964FF"), amount});
        out.add({Value::ofInteger(SqlType::Int, 2), Value::null(SqlType::NVarChar), Value::null(SqlType::Decimal),
                 Value::null(SqlType::DateTime), Value::ofInteger(SqlType::Bit, 0), Value::null(SqlType::VarBinary),
                 Value::null(SqlType::UniqueIdentifier), Value::null(SqlType::SqlVariant)});
        Value when = Value::ofDateTime(SqlType::SmallDateTime, {2079, 6, 6, 23, 59, 0, 0});
        when.variant = true;
        out.add({Value::ofInteger(SqlType::Int, 3), Value::ofText(SqlType::NVarChar, "Grüße"),
                 Value::ofExact(SqlType::Decimal, "-0.01"), Value::ofDateTime(SqlType::DateTime, {1753, 1, 1, 0, 0, 0, 0}),
                 Value::null(SqlType::Bit), Value::ofBinary(SqlType::VarBinary, ""),
                 Value::ofGuid("00000000-0000-0000-0000-000000000000"), when});
    } else if (t.name == "Orders") {
        out.add({Value::ofInteger(SqlType::Int, 1), Value::ofExact(SqlType::Money, "19.9900"),
                 Value::ofFloat(SqlType::Float, 0.5), Value::ofText(SqlType::Text, "first; order"),
                 Value::ofText(SqlType::Char, "AB  ")});
        out.add({Value::ofInteger(SqlType::Int, 3), Value::ofExact(SqlType::Money, "-922337203685477.5808"),
                 Value::ofFloat(SqlType::Float, -1e300), Value::null(SqlType::Text), Value::null(SqlType::Char)});
    } else if (t.name == "Settings") {
        Value big = Value::ofInteger(SqlType::BigInt, 9007199254740993);
        big.variant = true;
        out.add({Value::ofText(SqlType::VarChar, "limit"), big});
    }
}

bool edited(const std::string& from, const std::string& to, const char* sql) {
    std::error_code ec;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) return false;
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(to.c_str(), &db) == SQLITE_OK;
    char* message = nullptr;
    if (ok && sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", to.c_str(), message ? message : "failed");
        ok = false;
    }
    sqlite3_free(message);
    sqlite3_close(db);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: %s FOLDER\nWrites the seed corpus of fuzz_snapshot into FOLDER.\n", argv[0]);
        return argc == 2 ? 0 : 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const std::string written = (folder / "written.snapshot").string();
    try {
        snapshot::writeSnapshot(written, tinyServer(), rowsOf);
    } catch (const Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    // Small pages make small inputs: the fuzzer's mutations land on fewer, denser pages.
    const std::string small = (folder / "small.snapshot").string();
    if (!edited(written, small, "PRAGMA page_size=512; VACUUM;")) return 1;

    const struct {
        const char* name;
        const char* sql;
    } variants[] = {
        {"meta-format", "UPDATE meta SET value = 'other-format' WHERE key = 'format';"},
        {"meta-version", "UPDATE meta SET value = 'x99999999999999999999' WHERE key LIKE 'version%';"
                         "DELETE FROM meta WHERE key = 'server_name';"},
        {"meta-types", "UPDATE meta SET value = CAST(value AS BLOB); UPDATE meta SET value = 8 WHERE key = 'login';"},
        {"user-version", "PRAGMA user_version = 0;"},
        {"rows-text-in-int", "UPDATE rows SET c1 = 'one' WHERE rowid = (SELECT min(rowid) FROM rows);"},
        {"rows-blob-in-text", "UPDATE rows SET c2 = x'00ff', c4 = 12 WHERE rowid = (SELECT min(rowid) FROM rows);"},
        {"rows-real-in-datetime", "UPDATE rows SET c4 = 1.5, c5 = 'yes', c7 = x'01';"},
        {"rows-bad-tags", "UPDATE rows SET t8 = 'decimal(10' WHERE t8 IS NOT NULL AND rowid % 3 = 1;"
                          "UPDATE rows SET t8 = '#nothing' WHERE rowid % 3 = 2;"
                          "UPDATE rows SET t8 = 'int(1,2,3,4)' WHERE rowid % 3 = 0;"
                          "UPDATE rows SET t2 = 'sql_variant' WHERE t2 IS NOT NULL;"},
        {"rows-missing", "DELETE FROM rows WHERE rowid = (SELECT max(rowid) FROM rows);"},
        {"range-extreme", "UPDATE objects SET first_row = -9223372036854775808, last_row = 9223372036854775807 "
                          "WHERE kind = 8;"},
        {"range-shifted", "UPDATE objects SET first_row = first_row + 1, last_row = last_row + 1 WHERE kind = 8;"},
        {"row-count", "UPDATE objects SET row_count = 9223372036854775807, column_count = -1 WHERE kind = 8;"},
        {"storage-types", "UPDATE columns SET storage_type = 'sql_variant' WHERE ordinal = 1;"
                          "UPDATE columns SET storage_type = 'nosuchtype' WHERE ordinal = 2;"},
        {"objects-kinds", "UPDATE objects SET kind = 256, parent = oid WHERE oid = 1;"
                          "UPDATE objects SET kind = 3 WHERE kind = 16;"},
        {"objects-sequence", "UPDATE objects SET oid = oid + 5 WHERE oid = (SELECT max(oid) FROM objects);"},
        {"details-elsewhere", "UPDATE OR IGNORE columns SET oid = 99 WHERE ordinal = 0;"
                              "UPDATE OR IGNORE index_columns SET ordinal = 7;"
                              "UPDATE properties SET target = 'Q' WHERE target = 'C';"},
        {"details-ordinals", "UPDATE columns SET ordinal = ordinal + 100 WHERE ordinal > 2;"
                             "UPDATE permissions SET action = 'REVOKE';"
                             "UPDATE foreign_keys SET on_delete = 7;"},
        {"property-values", "UPDATE properties SET value = x'41', value_type = 'nvarchar(abc)';"},
        {"databases", "UPDATE databases SET name = 'SHOP', db = db + 10 WHERE name = 'master';"},
        {"tables-renamed", "UPDATE objects SET name_key = 'elsewhere', owner_key = NULL WHERE kind = 8;"},
        {"columns-cells", "UPDATE columns SET ordinal = ordinal + 40 WHERE ordinal = 4;"},
        // Schema entries that compute while read (the reader refuses them).
        {"schema-view", "DROP TABLE logins; CREATE VIEW logins AS SELECT 1 AS position, 'sa' AS name, "
                        "'' AS default_database, '' AS default_language, 0 AS windows_login, 0 AS windows_group, "
                        "0 AS deny_login;"},
        {"schema-generated", "ALTER TABLE rows ADD COLUMN g AS (c1 + 1);"},
    };
    for (const auto& v : variants)
        if (!edited(small, (folder / (std::string(v.name) + ".snapshot")).string(), v.sql)) return 1;
    return 0;
}
