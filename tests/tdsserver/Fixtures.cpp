// The in-code fixtures of the TDS tests.
#include "tests/tdsserver/Fixtures.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace tdstest {

using namespace sqldmo;
using namespace sqldmo::model;

namespace {

Column col(const std::string& name, const std::string& type, int length = 0, bool nullable = true) {
    Column c;
    c.name = name;
    c.dataType = type;
    c.baseType = type;
    c.length = length;
    c.nullable = nullable;
    return c;
}

Column decimalCol(const std::string& name, int precision, int scale, bool nullable = true) {
    Column c = col(name, "decimal", 0, nullable);
    c.precision = precision;
    c.scale = scale;
    return c;
}

ExtendedProperty prop(const std::string& name, Value v) {
    v.variant = true;
    return {name, std::move(v)};
}

Value nvarcharVariant(const std::string& text, int maxLength) {
    Value v = Value::ofText(SqlType::NVarChar, text);
    v.variant = true;
    v.maxLength = maxLength;
    return v;
}

Permission grant(const std::string& privilege, const std::string& grantee, const std::string& column = {},
                 bool withGrant = false) {
    Permission p;
    p.privilege = privilege;
    p.grantee = grantee;
    p.column = column;
    p.withGrantOption = withGrant;
    return p;
}

Permission deny(const std::string& privilege, const std::string& grantee) {
    Permission p = grant(privilege, grantee);
    p.action = Permission::Action::Deny;
    return p;
}

Value dt(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return Value::ofDateTime(SqlType::DateTime, DateTimeValue{y, mo, d, h, mi, s, ms});
}

Value sdt(int y, int mo, int d, int h, int mi) {
    return Value::ofDateTime(SqlType::SmallDateTime, DateTimeValue{y, mo, d, h, mi, 0, 0});
}

Value i32(std::int64_t v) { return Value::ofInteger(SqlType::Int, v); }
Value nv(const std::string& s) { return Value::ofText(SqlType::NVarChar, s); }
Value vc(const std::string& s) { return Value::ofText(SqlType::VarChar, s); }
Value null(SqlType t) { return Value::null(t); }

// A long text with characters outside Latin-1 every so often, to cross the 4000-character
// pieces of syscomments.
std::string longText(const std::string& head, std::size_t lines) {
    std::string s = head;
    for (std::size_t i = 0; i < lines; ++i) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "\r\n    -- line %zu of the long module: ", i);
        s += buf;
        s += (i % 7 == 0) ? "Ωmega ação" : "plain text";
    }
    return s;
}

Server baseServer(const std::string& version) {
    Server s;
    s.name = "TDSTEST";
    s.versionString = version;
    s.versionMajor = std::atoi(version.c_str());
    auto dot = version.find('.');
    s.versionMinor = dot == std::string::npos ? 0 : std::atoi(version.c_str() + dot + 1);
    s.login = "sa";
    Login sa;
    sa.name = "sa";
    sa.defaultDatabase = "master";
    sa.defaultLanguage = "us_english";
    s.logins.push_back(sa);
    auto master = std::make_shared<Database>();
    master->name = "master";
    master->owner = "sa";
    master->collation = "SQL_Latin1_General_CP1_CI_AS";
    master->compatibilityLevel = 80;
    master->systemObject = true;
    s.databases.push_back(master);
    return s;
}

std::shared_ptr<Database> sampleDatabase(int major) {
    auto db = std::make_shared<Database>();
    Database& d = *db;
    d.name = "Sample";
    d.owner = "sa";
    d.collation = "SQL_Latin1_General_CP1_CI_AS";
    d.compatibilityLevel = major >= 9 ? 90 : 80;
    d.properties.push_back(prop("MS_Description", nvarcharVariant("The sample database", 19)));

    // Users and roles.
    d.users = {{"dbo", "sa", true}, {"guest", "", true}, {"app_user", "app_login", false}};
    Role pub;
    pub.name = "public";
    pub.fixedRole = true;
    Role owner;
    owner.name = "db_owner";
    owner.fixedRole = true;
    owner.members = {"dbo"};
    Role readers;
    readers.name = "Readers";
    readers.members = {"app_user"};
    Role app;
    app.name = "ReportApp";
    app.applicationRole = true;
    d.roles = {pub, owner, readers, app};

    // Defaults, rules and a user-defined type bound to them.
    DefaultObject zero;
    zero.id = 101;
    zero.owner = "dbo";
    zero.name = "ZeroDefault";
    zero.text = "CREATE DEFAULT dbo.ZeroDefault AS 0";
    d.defaults.push_back(zero);
    Rule positive;
    positive.id = 102;
    positive.owner = "dbo";
    positive.name = "PositiveRule";
    positive.text = "CREATE RULE dbo.PositiveRule AS @value > 0";
    positive.properties.push_back(prop("Purpose", nvarcharVariant("keeps amounts positive", 22)));
    d.rules.push_back(positive);
    UserDefinedDatatype phone;
    phone.id = -257;
    phone.owner = "dbo";
    phone.name = "PhoneNumber";
    phone.baseType = "varchar";
    phone.length = 24;
    phone.nullable = false;
    phone.boundRule = "dbo.PositiveRule";
    d.types.push_back(phone);
    UserDefinedDatatype amount;
    amount.id = -258;
    amount.owner = "dbo";
    amount.name = "Amount";
    amount.baseType = "decimal";
    amount.precision = 18;
    amount.scale = 4;
    amount.boundDefault = "dbo.ZeroDefault";
    d.types.push_back(amount);

    // dbo.Customers
    Table customers;
    customers.id = 1001;
    customers.owner = "dbo";
    customers.name = "Customers";
    customers.rowCount = 3;
    {
        Column id = col("CustomerID", "int", 0, false);
        id.identity = true;
        id.identitySeed = 1000;
        id.identityIncrement = 5;
        id.identityNotForReplication = true;
        Column name = col("Name", "nvarchar", 40, false);
        name.properties.push_back(prop("MS_Description", nvarcharVariant("Customer name", 13)));
        Column ph = col("Phone", "PhoneNumber", 24, false);
        ph.baseType = "varchar";
        Column notes = col("Notes", "ntext");
        Column created = col("Created", "datetime", 0, false);
        created.defaultConstraintName = "DF_Customers_Created";
        created.defaultConstraintText = "(getdate())";
        Column balance = col("Balance", "money");
        balance.boundDefault = "dbo.ZeroDefault";
        Column guid = col("RowGuid", "uniqueidentifier", 0, false);
        guid.rowGuidCol = true;
        guid.defaultConstraintName = "DF_Customers_RowGuid";
        guid.defaultConstraintText = "(newid())";
        Column latin = col("LatinName", "varchar", 30);
        latin.collation = "Latin1_General_BIN";
        Column credit = col("Credit", "Amount");
        credit.baseType = "decimal";
        credit.precision = 18;
        credit.scale = 4;
        customers.columns = {id, name, ph, notes, created, balance, guid, latin, credit};
    }
    KeyConstraint pk;
    pk.name = "PK_Customers";
    pk.primaryKey = true;
    pk.clustered = true;
    pk.fillFactor = 90;
    pk.columns = {{"CustomerID", false}};
    pk.properties.push_back(prop("MS_Description", nvarcharVariant("key", 3)));
    customers.primaryKey = pk;
    KeyConstraint uq;
    uq.name = "UQ_Customers_RowGuid";
    uq.columns = {{"RowGuid", false}};
    uq.fileGroup = "SECONDARY";
    customers.uniqueConstraints.push_back(uq);
    Index ixName;
    ixName.name = "IX_Customers_Name";
    ixName.columns = {{"Name", false}, {"Created", true}};
    ixName.padIndex = true;
    ixName.fillFactor = 80;
    ixName.statisticsNoRecompute = true;
    ixName.properties.push_back(prop("Note", Value::ofInteger(SqlType::Int, 42)));
    customers.indexes.push_back(ixName);
    Index ixGuid;
    ixGuid.name = "IX_Customers_Guid";
    ixGuid.unique = true;
    ixGuid.ignoreDupKey = true;
    ixGuid.columns = {{"RowGuid", false}};
    customers.indexes.push_back(ixGuid);
    Trigger audit;
    audit.id = 1101;
    audit.owner = "dbo";
    audit.name = "trCustomersAudit";
    audit.text = "CREATE TRIGGER trCustomersAudit ON dbo.Customers FOR INSERT, UPDATE AS\r\nSET NOCOUNT ON";
    audit.onInsert = true;
    audit.onUpdate = true;
    audit.settings.ansiNulls = false;
    audit.properties.push_back(prop("Owner", Value::ofInteger(SqlType::SmallInt, 7)));
    Trigger off;
    off.id = 1102;
    off.owner = "dbo";
    off.name = "trCustomersDelete";
    off.text = "CREATE TRIGGER trCustomersDelete ON dbo.Customers FOR DELETE AS\r\nRETURN";
    off.onDelete = true;
    off.disabled = true;
    customers.triggers = {audit, off};
    FullTextIndex ft;
    ft.catalog = "SampleCatalog";
    ft.keyIndex = "PK_Customers";
    ft.columns = {{"Notes", 1033}, {"Name", 0}};
    ft.active = true;
    customers.fullTextIndex = ft;
    customers.permissions = {grant("SELECT", "public"), deny("DELETE", "guest"), grant("UPDATE", "app_user", "Name"),
                             grant("INSERT", "Readers", "", true)};
    customers.properties.push_back(prop("MS_Description", nvarcharVariant("People who buy", 14)));
    customers.textFileGroup = "TEXTS";
    d.tables.push_back(customers);

    // dbo.Orders
    Table orders;
    orders.id = 1002;
    orders.owner = "dbo";
    orders.name = "Orders";
    orders.fileGroup = "SECONDARY";
    orders.rowCount = 4;
    {
        Column id = col("OrderID", "int", 0, false);
        id.identity = true;
        Column cust = col("CustomerID", "int", 0, false);
        Column when = col("OrderDate", "smalldatetime");
        Column total = decimalCol("Total", 12, 2);
        Column qty = col("Quantity", "smallint", 0, false);
        Column status = col("Status", "char", 1);
        Column discount = col("Discount", "real");
        Column weight = col("Weight", "float");
        Column paid = col("IsPaid", "bit", 0, false);
        Column code = col("Code", "bigint");
        Column tiny = col("Tiny", "tinyint");
        Column fee = col("Fee", "smallmoney");
        Column num = col("Ratio", "numeric");
        num.precision = 38;
        num.scale = 10;
        Column line = col("LineValue", "decimal");
        line.precision = 13;
        line.scale = 2;
        line.computedText = "([Total] * 2)";
        orders.columns = {id, cust, when, total, qty, status, discount, weight, paid, code, tiny, fee, num, line};
    }
    KeyConstraint opk;
    opk.name = "PK_Orders";
    opk.primaryKey = true;
    opk.columns = {{"OrderID", false}};
    orders.primaryKey = opk;
    ForeignKey fk;
    fk.name = "FK_Orders_Customers";
    fk.columns = {"CustomerID"};
    fk.referencedTableId = 1001;
    fk.referencedOwner = "dbo";
    fk.referencedTable = "Customers";
    fk.referencedColumns = {"CustomerID"};
    fk.onDelete = ReferentialAction::Cascade;
    fk.notForReplication = true;
    fk.properties.push_back(prop("MS_Description", nvarcharVariant("who ordered", 11)));
    orders.foreignKeys.push_back(fk);
    CheckConstraint qtyCheck;
    qtyCheck.name = "CK_Orders_Quantity";
    qtyCheck.text = "([Quantity] > 0)";
    qtyCheck.column = "Quantity";
    CheckConstraint tableCheck;
    tableCheck.name = "CK_Orders_Total";
    tableCheck.text = "([Total] >= 0 OR [Status] = 'R')";
    tableCheck.disabled = true;
    tableCheck.notForReplication = true;
    orders.checks = {qtyCheck, tableCheck};
    Index clustered;
    clustered.name = "IX_Orders_Date";
    clustered.clustered = true;
    clustered.columns = {{"OrderDate", true}, {"CustomerID", false}};
    orders.indexes.push_back(clustered);
    orders.dependsOn = {1001};
    d.tables.push_back(orders);

    // sales.[Odd]Name]: names with "]" and the remaining types.
    Table odd;
    odd.id = 1003;
    odd.owner = "sales";
    odd.name = "Odd]Name";
    odd.rowCount = 3;
    {
        Column k = col("Key]Col", "int", 0, false);
        Column txt = col("Memo", "text");
        Column bin = col("Fixed", "binary", 4);
        Column vbin = col("Bytes", "varbinary", 16);
        Column img = col("Picture", "image");
        Column var = col("Anything", "sql_variant");
        Column ts = col("Stamp", "timestamp", 0, false);
        Column nch = col("Short", "nchar", 5);
        Column vch = col("Label", "varchar", 50);
        odd.columns = {k, txt, bin, vbin, img, var, ts, nch, vch};
        if (major >= 9) {
            odd.columns.push_back(col("BigText", "varchar", -1));
            odd.columns.push_back(col("BigUnicode", "nvarchar", -1));
            odd.columns.push_back(col("BigBytes", "varbinary", -1));
        }
    }
    odd.permissions = {grant("SELECT", "Readers"), grant("REFERENCES", "app_user", "Key]Col")};
    d.tables.push_back(odd);

    // Views, one with a text longer than two syscomments pieces and an INSTEAD OF trigger.
    View v;
    v.id = 2001;
    v.owner = "dbo";
    v.name = "vCustomers";
    v.text = longText("CREATE VIEW dbo.vCustomers AS SELECT CustomerID, Name FROM dbo.Customers", 180);
    v.dependsOn = {1001};
    v.permissions = {grant("SELECT", "Readers")};
    Trigger insteadOf;
    insteadOf.id = 2101;
    insteadOf.owner = "dbo";
    insteadOf.name = "trViewInsert";
    insteadOf.text = "CREATE TRIGGER trViewInsert ON dbo.vCustomers INSTEAD OF INSERT AS RETURN";
    insteadOf.insteadOf = true;
    insteadOf.onInsert = true;
    v.triggers.push_back(insteadOf);
    v.properties.push_back(prop("MS_Description", nvarcharVariant("Customer list", 13)));
    d.views.push_back(v);
    View bound;
    bound.id = 2002;
    bound.owner = "dbo";
    bound.name = "vOrderTotals";
    bound.text = "CREATE VIEW dbo.vOrderTotals WITH SCHEMABINDING AS SELECT CustomerID, COUNT_BIG(*) AS N FROM dbo.Orders GROUP BY CustomerID";
    bound.settings.quotedIdentifier = false;
    Index vix;
    vix.name = "IX_vOrderTotals";
    vix.clustered = true;
    vix.unique = true;
    vix.columns = {{"CustomerID", false}};
    bound.indexes.push_back(vix);
    bound.dependsOn = {1002};
    d.views.push_back(bound);

    StoredProcedure get;
    get.id = 3001;
    get.owner = "dbo";
    get.name = "GetCustomer";
    get.text = "CREATE PROCEDURE dbo.GetCustomer @id int AS SELECT * FROM dbo.Customers WHERE CustomerID = @id";
    get.dependsOn = {1001};
    get.permissions = {grant("EXECUTE", "app_user")};
    d.procedures.push_back(get);
    StoredProcedure secret;
    secret.id = 3002;
    secret.owner = "dbo";
    secret.name = "Secret";
    secret.encrypted = true;
    d.procedures.push_back(secret);

    UserDefinedFunction twice;
    twice.id = 4001;
    twice.owner = "dbo";
    twice.name = "fnTwice";
    twice.kind = FunctionKind::Scalar;
    twice.text = "CREATE FUNCTION dbo.fnTwice (@x int) RETURNS int AS BEGIN RETURN @x * 2 END";
    d.functions.push_back(twice);
    UserDefinedFunction inlineFn;
    inlineFn.id = 4002;
    inlineFn.owner = "sales";
    inlineFn.name = "fnOrders";
    inlineFn.kind = FunctionKind::InlineTable;
    inlineFn.text = "CREATE FUNCTION sales.fnOrders (@c int) RETURNS TABLE AS RETURN (SELECT * FROM dbo.Orders WHERE CustomerID = @c)";
    inlineFn.dependsOn = {1002};
    d.functions.push_back(inlineFn);
    UserDefinedFunction tableFn;
    tableFn.id = 4003;
    tableFn.owner = "dbo";
    tableFn.name = "fnTable";
    tableFn.kind = FunctionKind::Table;
    tableFn.text = "CREATE FUNCTION dbo.fnTable () RETURNS @t TABLE (n int) AS BEGIN INSERT @t VALUES (1) RETURN END";
    d.functions.push_back(tableFn);
    return db;
}

std::string bytes(std::initializer_list<int> b) {
    std::string s;
    for (int x : b) s.push_back(static_cast<char>(x));
    return s;
}

void sampleRows(FixtureData& data, int major) {
    const std::string longNotes = [] {
        std::string s;
        for (int i = 0; i < 1200; ++i) s += "Ünïcode ÿ € ☃ line " + std::to_string(i) + "\n";
        return s;
    }();
    data.setRows("Sample", "dbo", "Customers",
                 {{i32(1000), nv("Ada Lovelace"), vc("+44 20 7946 0000"), Value::ofText(SqlType::NText, longNotes),
                   dt(2002, 3, 5, 14, 7, 9, 123), Value::ofExact(SqlType::Money, "1234.5678"),
                   Value::ofGuid("6F9619FF-8B86-D011-B42D-00C04FC964FF"), vc("Zoë d'Arc €"),
                   Value::ofExact(SqlType::Decimal, "-0.0001")},
                  {i32(1005), nv("Jo\xC3\xA3o \xE2\x80\x9CQuoted\xE2\x80\x9D O'Brien \xF0\x9F\x98\x80"), vc("0"),
                   null(SqlType::NText), dt(1900, 1, 1, 0, 0, 0, 0), Value::ofExact(SqlType::Money, "-922337203685477.5808"),
                   Value::ofGuid("00000000-0000-0000-0000-000000000001"), null(SqlType::VarChar),
                   Value::ofExact(SqlType::Decimal, "99999999999999.9999")},
                  {i32(1010), nv(""), vc("x"), Value::ofText(SqlType::NText, ""), dt(9999, 12, 31, 23, 59, 59, 997),
                   null(SqlType::Money), Value::ofGuid("FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF"), vc(""),
                   null(SqlType::Decimal)}});
    data.setRows("Sample", "dbo", "Orders",
                 {{i32(1), i32(1000), sdt(2002, 3, 5, 14, 7), Value::ofExact(SqlType::Decimal, "1234567890.12"),
                   Value::ofInteger(SqlType::SmallInt, 3), Value::ofText(SqlType::Char, "N"),
                   Value::ofFloat(SqlType::Real, 1.5), Value::ofFloat(SqlType::Float, 0.1),
                   Value::ofInteger(SqlType::Bit, 1), Value::ofInteger(SqlType::BigInt, std::numeric_limits<std::int64_t>::min()),
                   Value::ofInteger(SqlType::TinyInt, 255), Value::ofExact(SqlType::SmallMoney, "-214748.3648"),
                   Value::ofExact(SqlType::Numeric, "-1234567890123456789012345678.0123456789"),
                   Value::ofExact(SqlType::Decimal, "2469135780.24")},
                  {i32(2), i32(1005), sdt(1900, 1, 1, 0, 0), Value::ofExact(SqlType::Decimal, "-0.01"),
                   Value::ofInteger(SqlType::SmallInt, -32768), Value::ofText(SqlType::Char, " "),
                   Value::ofFloat(SqlType::Real, -3.4028234663852886e38), Value::ofFloat(SqlType::Float, -1.7976931348623157e308),
                   Value::ofInteger(SqlType::Bit, 0), Value::ofInteger(SqlType::BigInt, std::numeric_limits<std::int64_t>::max()),
                   Value::ofInteger(SqlType::TinyInt, 0), Value::ofExact(SqlType::SmallMoney, "214748.3647"),
                   Value::ofExact(SqlType::Numeric, "0.0000000001"), Value::ofExact(SqlType::Decimal, "-0.02")},
                  {i32(3), i32(1010), sdt(2079, 6, 6, 23, 59), Value::ofExact(SqlType::Decimal, "0.00"),
                   Value::ofInteger(SqlType::SmallInt, 1), null(SqlType::Char), Value::ofFloat(SqlType::Real, 1.1754943508222875e-38),
                   Value::ofFloat(SqlType::Float, 4.9406564584124654e-324), Value::ofInteger(SqlType::Bit, 1),
                   Value::ofInteger(SqlType::BigInt, 0), null(SqlType::TinyInt), Value::ofExact(SqlType::SmallMoney, "0.0001"),
                   null(SqlType::Numeric), Value::ofExact(SqlType::Decimal, "0.00")},
                  {i32(4), i32(1000), null(SqlType::SmallDateTime), null(SqlType::Decimal), Value::ofInteger(SqlType::SmallInt, 32767),
                   Value::ofText(SqlType::Char, "R"), null(SqlType::Real), null(SqlType::Float), Value::ofInteger(SqlType::Bit, 0),
                   null(SqlType::BigInt), Value::ofInteger(SqlType::TinyInt, 1), null(SqlType::SmallMoney),
                   Value::ofExact(SqlType::Numeric, "9999999999999999999999999999.9999999999"), null(SqlType::Decimal)}});

    auto variant = [](Value v) {
        v.variant = true;
        return v;
    };
    Value vdec = Value::ofExact(SqlType::Decimal, "-12.340");
    vdec.precision = 10;
    vdec.scale = 3;
    Value vvc = Value::ofText(SqlType::VarChar, "it's €5");
    vvc.maxLength = 20;
    Value vnv = Value::ofText(SqlType::NVarChar, "Ωmega");
    vnv.maxLength = 8;
    Value vbin = Value::ofBinary(SqlType::VarBinary, bytes({0, 1, 0xFF}));
    vbin.maxLength = 3;
    std::string bigText(9000, 'x');
    bigText += "é end";
    std::string picture;
    for (int i = 0; i < 70000; ++i) picture.push_back(static_cast<char>(i * 7));
    std::vector<std::vector<Value>> rows = {
        {i32(1), Value::ofText(SqlType::Text, bigText), Value::ofBinary(SqlType::Binary, bytes({0xDE, 0xAD, 0, 0})),
         Value::ofBinary(SqlType::VarBinary, bytes({0, 0, 0x7F})), Value::ofBinary(SqlType::Image, picture),
         variant(i32(-7)), Value::ofBinary(SqlType::Timestamp, bytes({0, 0, 0, 0, 0, 0, 0x07, 0xD1})),
         Value::ofText(SqlType::NChar, "ab   "), vc("quote ' and \"double\"")},
        {i32(2), null(SqlType::Text), null(SqlType::Binary), Value::ofBinary(SqlType::VarBinary, ""),
         null(SqlType::Image), variant(vdec), Value::ofBinary(SqlType::Timestamp, bytes({0, 0, 0, 0, 0, 0, 0x07, 0xD2})),
         null(SqlType::NChar), null(SqlType::VarChar)},
        {i32(3), Value::ofText(SqlType::Text, ""), Value::ofBinary(SqlType::Binary, bytes({1, 2, 3, 4})),
         null(SqlType::VarBinary), Value::ofBinary(SqlType::Image, ""), variant(vnv),
         Value::ofBinary(SqlType::Timestamp, bytes({0, 0, 0, 0, 0, 0, 0x07, 0xD3})), Value::ofText(SqlType::NChar, "Ωωω  "),
         vc("")},
    };
    // More variant base types, one row each.
    const std::vector<Value> moreVariants = {
        variant(vvc), variant(vbin), variant(Value::ofFloat(SqlType::Float, 2.5)),
        variant(Value::ofFloat(SqlType::Real, 0.25)), variant(Value::ofInteger(SqlType::BigInt, 1LL << 40)),
        variant(Value::ofInteger(SqlType::Bit, 1)), variant(Value::ofInteger(SqlType::TinyInt, 9)),
        variant(Value::ofExact(SqlType::Money, "-5.0001")), variant(Value::ofExact(SqlType::SmallMoney, "3.5000")),
        variant(dt(2004, 2, 29, 1, 2, 3, 7)), variant(Value::ofDateTime(SqlType::SmallDateTime, {2001, 1, 1, 12, 30, 0, 0})),
        variant(Value::ofGuid("12345678-9ABC-DEF0-1234-56789ABCDEF0")), Value::null(SqlType::SqlVariant)};
    int key = 4;
    for (const auto& v : moreVariants) {
        rows.push_back({i32(key), null(SqlType::Text), null(SqlType::Binary), null(SqlType::VarBinary), null(SqlType::Image),
                        v.isNull() ? Value::null(SqlType::SqlVariant) : v,
                        Value::ofBinary(SqlType::Timestamp, bytes({0, 0, 0, 0, 0, 0, 0x08, static_cast<int>(key)})),
                        null(SqlType::NChar), null(SqlType::VarChar)});
        ++key;
    }
    if (major >= 9) {
        std::string big(20000, 'y');
        std::string bigU;
        for (int i = 0; i < 5000; ++i) bigU += "Ω€";
        for (auto& r : rows) {
            bool first = r[0].integer == 1;
            r.push_back(first ? vc(big) : null(SqlType::VarChar));
            r.push_back(first ? nv(bigU) : null(SqlType::NVarChar));
            r.push_back(first ? Value::ofBinary(SqlType::VarBinary, picture) : null(SqlType::VarBinary));
        }
    }
    data.setRows("Sample", "sales", "Odd]Name", std::move(rows));
}

}  // namespace

std::shared_ptr<FixtureData> richFixture(const std::string& version) {
    Server s = baseServer(version);
    const int major = s.versionMajor;
    Login app;
    app.name = "app_login";
    app.defaultDatabase = "Sample";
    app.defaultLanguage = "us_english";
    s.logins.push_back(app);
    Login group;
    group.name = "DOMAIN\\Reporting";
    group.defaultDatabase = "master";
    group.windowsLogin = true;
    group.windowsGroup = true;
    group.denyLogin = true;
    s.logins.push_back(group);
    s.databases.push_back(sampleDatabase(major));
    auto data = std::make_shared<FixtureData>(std::move(s));
    sampleRows(*data, major);
    return data;
}

std::shared_ptr<FixtureData> syntheticFixture(int tables, const std::string& version) {
    Server s = baseServer(version);
    auto db = std::make_shared<Database>();
    db->name = "Synth";
    db->owner = "sa";
    db->collation = "SQL_Latin1_General_CP1_CI_AS";
    db->users = {{"dbo", "sa", true}};
    for (int i = 1; i <= tables; ++i) {
        Table t;
        t.id = 10000 + i;
        t.owner = "dbo";
        t.name = "Table" + std::to_string(i);
        Column id = col("ID", "int", 0, false);
        id.identity = true;
        Column parent = col("ParentID", "int");
        Column name = col("Name", "nvarchar", 50, false);
        Column amount = decimalCol("Amount", 10, 2);
        Column created = col("Created", "datetime");
        created.defaultConstraintName = "DF_" + t.name + "_Created";
        created.defaultConstraintText = "(getdate())";
        t.columns = {id, parent, name, amount, created};
        KeyConstraint pk;
        pk.name = "PK_" + t.name;
        pk.primaryKey = true;
        pk.clustered = true;
        pk.columns = {{"ID", false}};
        t.primaryKey = pk;
        Index ix;
        ix.name = "IX_" + t.name + "_Name";
        ix.columns = {{"Name", false}};
        t.indexes.push_back(ix);
        if (i > 1) {
            ForeignKey fk;
            fk.name = "FK_" + t.name + "_Parent";
            fk.columns = {"ParentID"};
            fk.referencedTableId = 10000 + i - 1;
            fk.referencedOwner = "dbo";
            fk.referencedTable = "Table" + std::to_string(i - 1);
            fk.referencedColumns = {"ID"};
            t.foreignKeys.push_back(fk);
            t.dependsOn = {10000 + i - 1};
        }
        t.permissions = {grant("SELECT", "public")};
        db->tables.push_back(std::move(t));
        if (i % 10 == 0) {
            View v;
            v.id = 500000 + i;
            v.owner = "dbo";
            v.name = "View" + std::to_string(i);
            v.text = "CREATE VIEW dbo.View" + std::to_string(i) + " AS SELECT * FROM dbo.Table" + std::to_string(i);
            v.dependsOn = {10000 + i};
            db->views.push_back(std::move(v));
            StoredProcedure p;
            p.id = 700000 + i;
            p.owner = "dbo";
            p.name = "Proc" + std::to_string(i);
            p.text = "CREATE PROCEDURE dbo.Proc" + std::to_string(i) + " AS SELECT COUNT(*) FROM dbo.Table" + std::to_string(i);
            db->procedures.push_back(std::move(p));
        }
    }
    s.databases.push_back(db);
    return std::make_shared<FixtureData>(std::move(s));
}

namespace {

// Rows of the bench table, made as they are asked for.
class BenchRows : public RowSource {
public:
    explicit BenchRows(std::int64_t n) : n_(n) {}
    bool next(std::vector<Value>& row) override {
        if (i_ >= n_) return false;
        const std::int64_t i = i_++;
        row.resize(8);
        row[0] = Value::ofInteger(SqlType::Int, i + 1);
        char name[48];
        std::snprintf(name, sizeof name, "Customer %lld ação", static_cast<long long>(i));
        row[1] = Value::ofText(SqlType::NVarChar, name);
        char money[32];
        std::snprintf(money, sizeof money, "%lld.%04lld", static_cast<long long>(i % 100000), static_cast<long long>(i % 10000));
        row[2] = Value::ofExact(SqlType::Money, money);
        row[3] = Value::ofDateTime(SqlType::DateTime,
                                   DateTimeValue{2000 + static_cast<int>(i % 20), 1 + static_cast<int>(i % 12),
                                                 1 + static_cast<int>(i % 28), static_cast<int>(i % 24),
                                                 static_cast<int>(i % 60), static_cast<int>(i % 60), 0});
        row[4] = Value::ofFloat(SqlType::Float, static_cast<double>(i) / 7.0);
        char code[24];
        std::snprintf(code, sizeof code, "C-%08lld", static_cast<long long>(i));
        row[5] = Value::ofText(SqlType::VarChar, code);
        row[6] = Value::ofInteger(SqlType::Bit, i & 1);
        row[7] = (i % 5 == 0) ? Value::null(SqlType::Decimal) : Value::ofExact(SqlType::Decimal, std::to_string(i % 1000) + ".25");
        return true;
    }

private:
    std::int64_t n_;
    std::int64_t i_ = 0;
};

}  // namespace

void addBenchTable(FixtureData& data, std::int64_t rows) {
    auto db = std::make_shared<Database>();
    db->name = "Bench";
    db->owner = "sa";
    db->collation = "SQL_Latin1_General_CP1_CI_AS";
    Table t;
    t.id = 90001;
    t.owner = "dbo";
    t.name = "Rows";
    t.rowCount = rows;
    t.columns = {col("ID", "int", 0, false), col("Name", "nvarchar", 40), col("Amount", "money"), col("Created", "datetime"),
                 col("Ratio", "float"), col("Code", "varchar", 20), col("Flag", "bit"), decimalCol("Price", 9, 2)};
    db->tables.push_back(std::move(t));
    data.mutableServer().databases.push_back(db);
    data.setRowFactory("Bench", "dbo", "Rows", [rows] { return std::make_unique<BenchRows>(rows); });
}

}  // namespace tdstest
