// The object surface over a snapshot: connecting, collections, lookups by name, errors.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <ctime>
#include <memory>
#include <string>

#include "Fixtures.h"
#include "sqldmo/objects/Sqldmo.h"

using namespace sqldmo;
using fixtures::column;
using fixtures::table;

namespace {

model::Server shop() {
    model::Server s;
    s.name = "SHOP01";
    s.versionMajor = 8;
    s.login = "sa";
    s.logins = {{"sa", "Shop", "", false, false, false},
                {"reader", "master", "", false, false, false},
                {"OFFICE\\ann", "Shop", "", true, false, false},
                {"locked", "Shop", "", false, false, true}};
    auto master = std::make_shared<model::Database>();
    master->name = "master";
    master->systemObject = true;
    auto db = std::make_shared<model::Database>();
    db->name = "Shop";
    auto id = column("CustomerId", "int");
    id.identity = true;
    auto total = column("Total", "money");
    total.computedText = "([Net] * 1.2)";
    db->tables = {table(1, "dbo", "Customers", {id, column("Name", "nvarchar", 40), total}),
                  table(2, "sales", "Orders", {column("OrderId", "int")}),
                  table(3, "dbo", "Orders", {column("OrderId", "int")}),
                  table(4, "dbo", "Order]Lines x", {column("Qty ]x", "int")}),
                  table(5, "dbo", "Sales.2003", {column("Id", "int")}),
                  table(6, "dbo", "Ärger", {column("Id", "int")})};
    db->tables[0].systemObject = false;
    model::View v;
    v.id = 10;
    v.owner = "dbo";
    v.name = "CustomerList";
    v.systemObject = true;
    db->views = {v};
    model::StoredProcedure p;
    p.id = 11;
    p.owner = "sales";
    p.name = "PlaceOrder";
    db->procedures = {p};
    model::UserDefinedDatatype t;
    t.id = 12;
    t.owner = "dbo";
    t.name = "Phone";
    db->types = {t};
    s.databases = {master, db};
    return s;
}

class SurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.file("shop.snapshot");
        snapshot::writeSnapshot(path_, shop());
        server_.setLoginSecure(true);
        server_.connect("file:" + path_);
    }

    std::string failure(const std::function<void()>& f, std::int32_t* number = nullptr) {
        try {
            f();
        } catch (const Error& e) {
            if (number) *number = e.number();
            return e.description();
        }
        return "(no error)";
    }

    fixtures::TempDir dir_;
    std::string path_;
    Server server_;
};

TEST_F(SurfaceTest, DatabasesByIndexAndByName) {
    auto dbs = server_.databases();
    ASSERT_EQ(dbs.count(), 2);
    EXPECT_EQ(dbs.item(1).name(), "master");
    EXPECT_EQ(dbs.item(2).name(), "Shop");
    EXPECT_EQ(&dbs.item("SHOP"), &dbs.item(2)) << "the catalogue is read once and cached";
    EXPECT_EQ(dbs.item("[Shop]").name(), "Shop");
    std::int32_t number = 0;
    EXPECT_EQ(failure([&] { dbs.item("Nowhere"); }, &number), "[SQL-DMO]Database 'Nowhere' not found");
    EXPECT_EQ(number, errors::NotFound);
    EXPECT_EQ(failure([&] { dbs.item(3); }, &number), "[SQL-DMO]Item 3 is out of range: the Databases collection holds 2 items.");
    EXPECT_EQ(number, errors::OutOfRange);
    EXPECT_EQ(server_.versionMajor(), 8);
}

TEST_F(SurfaceTest, TableLookupsAcceptPlainQualifiedAndBracketedNames) {
    auto tables = server_.databases().item("Shop").tables();
    const struct {
        const char* given;
        const char* owner;
        const char* name;
    } cases[] = {
        {"Customers", "dbo", "Customers"},
        {"dbo.Customers", "dbo", "Customers"},
        {"[dbo].[Customers]", "dbo", "Customers"},
        {"DBO.CUSTOMERS", "dbo", "Customers"},
        {" [dbo] . [Customers] ", "dbo", "Customers"},
        {"Shop.dbo.Customers", "dbo", "Customers"},
        {"Orders", "dbo", "Orders"},  // without an owner dbo's object is meant
        {"sales.Orders", "sales", "Orders"},
        {"[SALES].[orders]", "sales", "Orders"},
        {"[dbo].[Order]]Lines x]", "dbo", "Order]Lines x"},
        {"Order]Lines x", "dbo", "Order]Lines x"},
        {"[Sales.2003]", "dbo", "Sales.2003"},
        {"Sales.2003", "dbo", "Sales.2003"},  // no owner "Sales": the whole text is the name
        {"[dbo].[äRGER]", "dbo", "Ärger"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        Table t = tables.item(std::string(c.given));
        EXPECT_EQ(t.owner(), c.owner);
        EXPECT_EQ(t.name(), c.name);
    }
    EXPECT_EQ(tables.count(), 6);
    EXPECT_EQ(tables.item(2).owner(), "sales");
}

TEST_F(SurfaceTest, MissingObjectsNameTheObjectAndTheCollection) {
    auto& db = server_.databases().item("Shop");
    const auto tail = " collection. If the name is a qualified name, use [] to separate various parts of the name, and try again.";
    const struct {
        std::function<void()> call;
        std::string message;
    } cases[] = {
        {[&] { db.tables().item("[dbo].[Nope]"); }, "[SQL-DMO]The name '[dbo].[Nope]' was not found in the Tables" + std::string(tail)},
        {[&] { db.tables().item("sales.Customers"); }, "[SQL-DMO]The name 'sales.Customers' was not found in the Tables" + std::string(tail)},
        {[&] { db.tables().item("[dbo].[Order]Lines x]"); }, "[SQL-DMO]The name '[dbo].[Order]Lines x]' was not found in the Tables" + std::string(tail)},
        {[&] { db.tables().item("[unclosed"); }, "[SQL-DMO]The name '[unclosed' was not found in the Tables" + std::string(tail)},
        {[&] { db.views().item("Customers"); }, "[SQL-DMO]The name 'Customers' was not found in the Views" + std::string(tail)},
        {[&] { db.storedProcedures().item("dbo.PlaceOrder"); }, "[SQL-DMO]The name 'dbo.PlaceOrder' was not found in the StoredProcedures" + std::string(tail)},
        {[&] { db.defaults().item("x"); }, "[SQL-DMO]The name 'x' was not found in the Defaults" + std::string(tail)},
        {[&] { db.rules().item("x"); }, "[SQL-DMO]The name 'x' was not found in the Rules" + std::string(tail)},
        {[&] { db.userDefinedDatatypes().item("x"); }, "[SQL-DMO]The name 'x' was not found in the UserDefinedDatatypes" + std::string(tail)},
        {[&] { db.userDefinedFunctions().item("x"); }, "[SQL-DMO]The name 'x' was not found in the UserDefinedFunctions" + std::string(tail)},
        {[&] { db.tables().item("Customers").columns().item("Nope"); }, "[SQL-DMO]The name 'Nope' was not found in the Columns" + std::string(tail)},
        {[&] { server_.logins().item("nobody"); }, "[SQL-DMO]The name 'nobody' was not found in the Logins" + std::string(tail)},
    };
    for (const auto& c : cases) {
        std::int32_t number = 0;
        EXPECT_EQ(failure(c.call, &number), c.message);
        EXPECT_EQ(number, errors::NotFound) << c.message;
    }
    std::int32_t number = 0;
    failure([&] { db.views().item(0); }, &number);
    EXPECT_EQ(number, errors::OutOfRange);
    failure([&] { db.tables().item("Customers").columns().item(4); }, &number);
    EXPECT_EQ(number, errors::OutOfRange);
}

TEST_F(SurfaceTest, ObjectsAndColumnsShowTheirProperties) {
    auto& db = server_.databases().item("Shop");
    EXPECT_TRUE(db.views().item(1).systemObject());
    EXPECT_EQ(db.storedProcedures().item("PlaceOrder").owner(), "sales");
    EXPECT_EQ(db.userDefinedDatatypes().item(1).name(), "Phone");
    auto columns = db.tables().item("Customers").columns();
    ASSERT_EQ(columns.count(), 3);
    EXPECT_TRUE(columns.item(1).identity());
    EXPECT_FALSE(columns.item(1).isComputed());
    EXPECT_EQ(columns.item("name").datatype(), "nvarchar");
    EXPECT_TRUE(columns.item("[Total]").isComputed());
}

TEST_F(SurfaceTest, LoginsAndTheirDefaultDatabase) {
    EXPECT_EQ(server_.login(), "sa");
    EXPECT_EQ(server_.logins().item(server_.login()).database(), "Shop");
    EXPECT_EQ(server_.logins().count(), 4);
    EXPECT_EQ(server_.logins().item(2).name(), "reader");
}

TEST_F(SurfaceTest, ConnectionStates) {
    std::int32_t number = 0;
    failure([&] { server_.connect("file:" + path_); }, &number);
    EXPECT_EQ(number, errors::AlreadyConnected);

    Database& before = server_.databases().item("Shop");
    server_.disconnect();
    EXPECT_FALSE(server_.isConnected());
    EXPECT_EQ(before.name(), "Shop") << "handles stay valid after the connection ends";
    failure([&] { server_.databases().count(); }, &number);
    EXPECT_EQ(number, errors::NotConnected);
    failure([&] { server_.disconnect(); }, &number);
    EXPECT_EQ(number, errors::NotConnected);
    failure([&] { server_.login(); }, &number);
    EXPECT_EQ(number, errors::NotConnected);

    server_.connect("FILE:" + path_);
    EXPECT_EQ(server_.databases().count(), 2);
}

TEST_F(SurfaceTest, SqlServerLoginsAreCheckedAgainstTheSnapshot) {
    server_.disconnect();
    server_.setLoginSecure(false);
    server_.setOdbcPrefix(false);
    const struct {
        const char* login;
        std::string message;
    } refused[] = {
        {"mallory", "Login failed for user 'mallory'."},
        {"locked", "Login failed for user 'locked'."},
        {"OFFICE\\ann", "Login failed for user 'OFFICE\\ann'. Reason: Not associated with a trusted SQL Server connection."},
    };
    for (const auto& c : refused) {
        std::int32_t number = 0;
        EXPECT_EQ(failure([&] { server_.connect("file:" + path_, c.login, "secret"); }, &number), c.message);
        EXPECT_EQ(number, errors::LoginFailed);
        EXPECT_FALSE(server_.isConnected());
    }
    server_.setOdbcPrefix(true);
    EXPECT_EQ(failure([&] { server_.connect("file:" + path_, "mallory", ""); }), "[SQL Server]Login failed for user 'mallory'.");

    server_.connect("file:" + path_, "READER", "any");
    EXPECT_EQ(server_.login(), "READER");
    EXPECT_EQ(server_.logins().item(server_.login()).database(), "master");
}

TEST_F(SurfaceTest, TransferTakesOnlyKnownTypesAndAdvisesEachSinkOnce) {
    Transfer transfer;
    transfer.addObjectByName("Customers", 8, "dbo");
    transfer.addObjectByName("Customers", 8, "dbo");
    std::int32_t number = 0;
    EXPECT_NE(failure([&] { transfer.addObjectByName("Customers", 2, "dbo"); }, &number).find("'Customers'"),
              std::string::npos);
    EXPECT_EQ(number, errors::InvalidArgument);
    EXPECT_EQ(transfer.settings().objects.size(), 2u) << "duplicates are kept, in order";

    struct Sink : TransferEvents {
        void statusMessage(const std::string&) override {}
        void scriptTransferPercentComplete(const std::string&, std::int32_t) override {}
    } a, b;
    transfer.advise(&a);
    transfer.advise(&b);
    transfer.advise(&a);
    EXPECT_EQ(transfer.sinks(), (std::vector<TransferEvents*>{&a, &b}));
    transfer.unadvise(&a);
    EXPECT_EQ(transfer.sinks(), (std::vector<TransferEvents*>{&b}));
}

TEST_F(SurfaceTest, ScriptTransferRaisesEveryEventToEverySink) {
    auto& db = server_.databases().item("Shop");
    Transfer transfer;
    transfer.addObjectByName("Customers", 8, "dbo");
    transfer.addObjectByName("Orders", 8, "sales");
    transfer.setCopySchema(true);
    transfer.setScriptType(script::flags::PrimaryObject | script::flags::OwnerQualify);

    struct Sink : TransferEvents {
        std::vector<std::string> messages;
        std::vector<std::int32_t> percents;
        void statusMessage(const std::string& m) override { messages.push_back(m); }
        void scriptTransferPercentComplete(const std::string&, std::int32_t p) override { percents.push_back(p); }
    } a, b;
    transfer.advise(&a);
    transfer.advise(&b);
    const auto path = dir_.file("out.sql");
    const std::string text = db.scriptTransfer(transfer, 1, path);
    EXPECT_NE(text.find("[dbo].[Customers]"), std::string::npos);
    EXPECT_NE(text.find("[sales].[Orders]"), std::string::npos);
    EXPECT_EQ(fixtures::readFile(path), text);

    EXPECT_FALSE(a.messages.empty());
    ASSERT_FALSE(a.percents.empty());
    EXPECT_EQ(a.percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(a.percents.begin(), a.percents.end()));
    EXPECT_EQ(a.messages, b.messages);
    EXPECT_EQ(a.percents, b.percents);

    std::int32_t number = 0;
    failure([&] { db.scriptTransfer(transfer, 4); }, &number);
    EXPECT_EQ(number, errors::NotSupported);
    failure([&] { db.scriptTransfer(transfer, 1, dir_.file("no/such/folder/out.sql")); }, &number);
    EXPECT_EQ(number, errors::FileWriteFailed);
}

// 5 March 2002, 14:07:09 local time.
std::time_t stampMoment(std::tm* out) {
    std::tm tm{};
    tm.tm_year = 102;
    tm.tm_mon = 2;
    tm.tm_mday = 5;
    tm.tm_hour = 14;
    tm.tm_min = 7;
    tm.tm_sec = 9;
    tm.tm_isdst = -1;
    const std::time_t when = std::mktime(&tm);
    *out = tm;
    return when;
}

// Sets LC_TIME for one test and puts the previous one back. The first stamp takes LC_TIME from
// the environment, so one is made before the locale is changed.
struct TimeLocale {
    std::string saved;
    bool set = false;
    explicit TimeLocale(const char* name) {
        (void)scriptStampNow();
        saved = std::setlocale(LC_TIME, nullptr);
        set = std::setlocale(LC_TIME, name) != nullptr;
    }
    ~TimeLocale() { std::setlocale(LC_TIME, saved.c_str()); }
};

TEST(ScriptStamp, UsesTheShortDateAndLongTimeOfTheLocale) {
    // The C locale has no date of its own worth keeping; a named one is needed (any installed).
    std::unique_ptr<TimeLocale> locale;
    for (const char* name : {"en_US.UTF-8", "en_GB.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", "en_US.utf8"}) {
        locale = std::make_unique<TimeLocale>(name);
        if (locale->set) break;
        locale.reset();
    }
    if (!locale) GTEST_SKIP() << "no named locale is installed";
    std::tm tm{};
    const auto stamp = scriptStamp(stampMoment(&tm));
    char date[64], time[64];
    std::strftime(date, sizeof date, "%x", &tm);
    std::strftime(time, sizeof time, "%X", &tm);
    EXPECT_EQ(stamp.date, date);
    EXPECT_EQ(stamp.time, time);
    EXPECT_NE(stamp.time.find("07"), std::string::npos);
}

// The C locale's short date ("03/05/02") has a two-digit year and an order no reader can be
// sure of: the stamp is ISO 8601 there, with a 24-hour time.
TEST(ScriptStamp, IsoUnderTheCLocale) {
    for (const char* name : {"C", "POSIX", "C.UTF-8"}) {
        TimeLocale locale(name);
        if (!locale.set) continue;  // C.UTF-8 is not built into every C library
        std::tm tm{};
        const auto stamp = scriptStamp(stampMoment(&tm));
        EXPECT_EQ(stamp.date, "2002-03-05") << name;
        EXPECT_EQ(stamp.time, "14:07:09") << name;
    }
}

}  // namespace
