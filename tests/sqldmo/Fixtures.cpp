#include "Fixtures.h"

#include <unistd.h>

#include <fstream>
#include <limits>
#include <random>

namespace fixtures {

using namespace sqldmo;
using namespace sqldmo::model;

TempDir::TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("sqldmo-test-" + std::to_string(::getpid()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return {};
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

Column column(const std::string& name, const std::string& type, int length) {
    Column c;
    c.name = name;
    c.dataType = type;
    c.baseType = type;
    c.length = length;
    return c;
}

Table table(ObjectId id, const std::string& owner, const std::string& name, std::vector<Column> columns) {
    Table t;
    t.id = id;
    t.owner = owner;
    t.name = name;
    t.columns = std::move(columns);
    return t;
}

namespace {

ExtendedProperty prop(const std::string& name, Value v) { return {name, std::move(v)}; }

Value variantText(const std::string& s, int maxLength) {
    Value v = Value::ofText(SqlType::NVarChar, s);
    v.variant = true;
    v.maxLength = maxLength;
    return v;
}

}  // namespace

Server everyField() {
    Server s;
    s.name = "ARCHIVE01";
    s.versionMajor = 8;
    s.versionMinor = 2;
    s.versionString = "8.00.2039";
    s.login = "archivist";
    s.logins = {{"archivist", "Ledger", "us_english", false, false, false},
                {"OFFICE\\Clerks", "master", "Português", true, true, true}};

    auto db = std::make_shared<Database>();
    db->name = "Ledger";
    db->owner = "archivist";
    db->collation = "Latin1_General_CI_AS";
    db->compatibilityLevel = 70;
    db->systemObject = true;
    db->properties = {prop("MS_Description", variantText("Books of account", 200))};

    UserDefinedDatatype money;
    money.id = 300;
    money.owner = "dbo";
    money.name = "Amount";
    money.baseType = "decimal";
    money.length = 9;
    money.precision = 12;
    money.scale = 2;
    money.nullable = false;
    money.boundDefault = "dbo.ZeroAmount";
    money.boundRule = "dbo.NonNegative";
    money.properties = {prop("Unit", Value::ofText(SqlType::VarChar, "EUR"))};
    db->types.push_back(money);

    DefaultObject zero;
    zero.id = 301;
    zero.owner = "dbo";
    zero.name = "ZeroAmount";
    zero.text = "CREATE DEFAULT dbo.ZeroAmount AS 0";
    db->defaults.push_back(zero);

    Rule nonNegative;
    nonNegative.id = 302;
    nonNegative.owner = "dbo";
    nonNegative.name = "NonNegative";
    nonNegative.text = "CREATE RULE dbo.NonNegative AS @v >= 0";
    nonNegative.systemObject = true;
    db->rules.push_back(nonNegative);

    Table account = table(100, "dbo", "Account", {});
    Column id = column("AccountId", "int");
    id.nullable = false;
    id.identity = true;
    id.identitySeed = 1000;
    id.identityIncrement = 5;
    id.identityNotForReplication = true;
    Column code = column("Code", "varchar", 12);
    code.collation = "Latin1_General_BIN";
    code.properties = {prop("MS_Description", variantText("Ledger code", 100)),
                       prop("Width", Value::ofInteger(SqlType::SmallInt, 12))};
    Column balance = column("Balance", "Amount");
    balance.baseType = "decimal";
    balance.precision = 12;
    balance.scale = 2;
    balance.boundDefault = "dbo.ZeroAmount";
    balance.boundRule = "dbo.NonNegative";
    balance.defaultConstraintName = "DF_Account_Balance";
    balance.defaultConstraintText = "(0)";
    Column guid = column("RowGuid", "uniqueidentifier");
    guid.rowGuidCol = true;
    Column twice = column("Twice", "decimal");
    twice.computedText = "([Balance] * 2)";
    twice.precision = 13;
    twice.scale = 2;
    account.columns = {id, code, balance, guid, twice};
    account.primaryKey = KeyConstraint{"PK_Account", true, true, 90, "PRIMARY", {{"AccountId", false}},
                                       {prop("Kind", Value::ofText(SqlType::VarChar, "surrogate"))}};
    account.uniqueConstraints = {KeyConstraint{"UQ_Account_Code", false, false, 70, "SECONDARY",
                                               {{"Code", true}, {"RowGuid", false}}, {}}};
    account.indexes = {Index{"IX_Account_Balance", false, true, true, true, true, 80, "INDEXES",
                             {{"Balance", true}, {"Code", false}},
                             {prop("Purpose", Value::ofText(SqlType::VarChar, "reports"))}}};
    account.checks = {CheckConstraint{"CK_Account_Code", "(len([Code]) > 2)", "Code", true, true,
                                      {prop("Why", Value::ofText(SqlType::VarChar, "short codes"))}}};
    Trigger audit;
    audit.id = 101;
    audit.owner = "dbo";
    audit.name = "trAccountAudit";
    audit.text = "CREATE TRIGGER trAccountAudit ON dbo.Account AFTER UPDATE AS RETURN";
    audit.settings = {false, false};
    audit.encrypted = true;
    audit.insteadOf = true;
    audit.onInsert = true;
    audit.onUpdate = true;
    audit.onDelete = true;
    audit.disabled = true;
    audit.dependsOn = {102};
    audit.properties = {prop("Owner", Value::ofText(SqlType::VarChar, "audit"))};
    account.triggers = {audit};
    account.fullTextIndex = FullTextIndex{"LedgerCatalog", "UQ_Account_Code", {{"Code", 1033}, {"Balance", 0}}, false};
    account.fileGroup = "DATA";
    account.textFileGroup = "BLOBS";
    account.systemObject = true;
    account.dependsOn = {300, 301, 302};
    account.permissions = {{Permission::Action::Grant, "SELECT", "clerks", "", true},
                           {Permission::Action::Deny, "UPDATE", "guest", "Balance", false}};
    account.properties = {prop("MS_Description", variantText("Accounts", 200))};

    Table entry = table(110, "books", "Entry", {column("AccountId", "int"), column("Amount", "money")});
    entry.foreignKeys = {ForeignKey{"FK_Entry_Account", {"AccountId"}, 100, "dbo", "Account", {"AccountId"},
                                    ReferentialAction::Cascade, ReferentialAction::Cascade, true, true,
                                    {prop("Note", Value::ofText(SqlType::VarChar, "cascades"))}}};
    db->tables = {account, entry};

    View v;
    v.id = 102;
    v.owner = "dbo";
    v.name = "Balances";
    v.text = "CREATE VIEW dbo.Balances WITH SCHEMABINDING AS SELECT Code, Balance FROM dbo.Account";
    v.settings = {false, true};
    v.encrypted = true;
    v.dependsOn = {100};
    v.indexes = {Index{"IXV_Balances", true, true, false, false, false, 0, "", {{"Code", false}}, {}}};
    Trigger insteadOf;
    insteadOf.id = 103;
    insteadOf.owner = "dbo";
    insteadOf.name = "trBalancesInsert";
    insteadOf.text = "CREATE TRIGGER trBalancesInsert ON dbo.Balances INSTEAD OF INSERT AS RETURN";
    insteadOf.insteadOf = true;
    insteadOf.onInsert = true;
    v.triggers = {insteadOf};
    v.permissions = {{Permission::Action::Grant, "SELECT", "public", "", false}};
    db->views.push_back(v);

    StoredProcedure p;
    p.id = 104;
    p.owner = "books";
    p.name = "PostEntry";
    p.text = "CREATE PROCEDURE books.PostEntry @a int AS SELECT @a";
    p.settings = {true, false};
    p.permissions = {{Permission::Action::Grant, "EXECUTE", "clerks", "", false}};
    db->procedures.push_back(p);

    for (auto kind : {FunctionKind::Scalar, FunctionKind::InlineTable, FunctionKind::Table}) {
        UserDefinedFunction f;
        f.id = 105 + static_cast<int>(kind);
        f.owner = "dbo";
        f.name = "fn" + std::to_string(static_cast<int>(kind));
        f.text = "CREATE FUNCTION dbo." + f.name + "() RETURNS int AS BEGIN RETURN 1 END";
        f.kind = kind;
        f.encrypted = kind == FunctionKind::Table;
        db->functions.push_back(f);
    }

    db->users = {{"dbo", "archivist", true}, {"clerk", "OFFICE\\Clerks", false}, {"orphan", "", false}};
    db->roles = {{"clerks", false, false, {"clerk", "orphan"}}, {"reporting", true, false, {}},
                 {"db_owner", false, true, {"dbo"}}};
    s.databases.push_back(db);

    auto empty = std::make_shared<Database>();
    empty->name = "Empty";
    s.databases.push_back(empty);
    return s;
}

Server allTypes() {
    Server s;
    s.name = "TYPES";
    auto db = std::make_shared<Database>();
    db->name = "Types";
    Table t = table(1, "dbo", "AllTypes", {});
    for (const char* type : {"bit", "tinyint", "smallint", "int", "bigint", "real", "float", "decimal", "numeric",
                             "money", "smallmoney", "char", "varchar", "text", "nchar", "nvarchar", "ntext", "binary",
                             "varbinary", "image", "datetime", "smalldatetime", "uniqueidentifier", "timestamp",
                             "sql_variant"})
        t.columns.push_back(column(std::string("c_") + type, type));
    db->tables.push_back(t);
    s.databases.push_back(db);
    return s;
}

std::vector<std::vector<Value>> allTypesRows() {
    const auto dt = [](int y, int mo, int d, int h, int mi, int se, int ms) {
        return DateTimeValue{y, mo, d, h, mi, se, ms};
    };
    Value variantDecimal = Value::ofExact(SqlType::Decimal, "-12345678901234567890.123456");
    variantDecimal.variant = true;
    variantDecimal.precision = 38;
    variantDecimal.scale = 6;
    Value variantText = Value::ofText(SqlType::NVarChar, "Grüße, 日本");
    variantText.variant = true;
    variantText.maxLength = 40;
    Value variantDate = Value::ofDateTime(SqlType::DateTime, dt(1753, 1, 1, 0, 0, 0, 0));
    variantDate.variant = true;

    std::vector<std::vector<Value>> rows;
    rows.push_back({
        Value::ofInteger(SqlType::Bit, 1),
        Value::ofInteger(SqlType::TinyInt, 255),
        Value::ofInteger(SqlType::SmallInt, -32768),
        Value::ofInteger(SqlType::Int, -2147483647 - 1),
        Value::ofInteger(SqlType::BigInt, std::numeric_limits<std::int64_t>::min()),
        Value::ofFloat(SqlType::Real, static_cast<double>(3.4028235e38f)),
        Value::ofFloat(SqlType::Float, 0.1 + 0.2),
        Value::ofExact(SqlType::Decimal, "-99999999999999999999999999999999999999"),
        Value::ofExact(SqlType::Numeric, "0.0000000001"),
        Value::ofExact(SqlType::Money, "-922337203685477.5808"),
        Value::ofExact(SqlType::SmallMoney, "214748.3647"),
        Value::ofText(SqlType::Char, "O'Brien   "),
        Value::ofText(SqlType::VarChar, ""),
        Value::ofText(SqlType::Text, std::string(100000, 'x')),
        Value::ofText(SqlType::NChar, "ñ"),
        Value::ofText(SqlType::NVarChar, "Ελληνικά 😀 \"quoted\" ]] ;"),
        Value::ofText(SqlType::NText, "line\r\nbreak\ttab"),
        Value::ofBinary(SqlType::Binary, std::string("\x00\x01\xff\x00", 4)),
        Value::ofBinary(SqlType::VarBinary, ""),
        Value::ofBinary(SqlType::Image, std::string("\x89PNG\r\n\x1a\n\x00", 9)),
        Value::ofDateTime(SqlType::DateTime, dt(9999, 12, 31, 23, 59, 59, 997)),
        Value::ofDateTime(SqlType::SmallDateTime, dt(2079, 6, 6, 23, 59, 0, 0)),
        Value::ofGuid("6F9619FF-8B86-D011-B42D-00C04FC964FF"),
        Value::ofBinary(SqlType::Timestamp, std::string("\x00\x00\x00\x00\x00\x00\x07\xd1", 8)),
        variantDecimal,
    });
    std::vector<Value> nulls;
    for (const auto& v : rows[0]) nulls.push_back(Value::null(v.type == SqlType::Timestamp ? SqlType::Timestamp : v.type));
    nulls.back() = Value::null(SqlType::SqlVariant);
    rows.push_back(nulls);
    auto third = rows[0];
    third[0] = Value::ofInteger(SqlType::Bit, 0);
    third[6] = Value::ofFloat(SqlType::Float, -0.0);
    third[20] = Value::ofDateTime(SqlType::DateTime, dt(2002, 3, 5, 14, 7, 9, 123));
    third[24] = variantText;
    rows.push_back(third);
    auto fourth = rows[0];
    fourth[24] = variantDate;
    rows.push_back(fourth);
    return rows;
}

snapshot::RowProvider rowsFor(const std::string& tableName, std::vector<std::vector<Value>> rows) {
    return [tableName, rows = std::move(rows)](const Database&, const Table& t, snapshot::RowWriter& out) {
        if (t.name != tableName) return;
        for (const auto& r : rows) out.add(r);
    };
}

}  // namespace fixtures
