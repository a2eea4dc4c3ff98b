// The order of the tables whose rows are scripted: the list type, and the orders built over
// snapshot servers whose tables refer to each other.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "app/catalogue/TDBDependencies.h"
#include "app/model/TDBObjects.h"
#include "app/support/EQMException.h"
#include "sqldmo/objects/Sqldmo.h"
#include "tests/catalogue/CatalogueFixture.h"

namespace {

using cattest::ServerSpec;
using cattest::Snapshot;
using tavil::TDBDependencies;
using tavil::TDBDependency;

cattest::TempConfig gConfig;

TDBDependency* entry(int sequence, const QString& name) { return new TDBDependency{sequence, name}; }

TEST(DependencyList, IndexOfIsExactAndSortOrdersBySequenceThenName)
{
    TDBDependencies r;
    r.Add(entry(2, "[dbo].[Orders]"));
    r.Add(entry(1, "[dbo].[Zones]"));
    r.Add(entry(2, "[dbo].[Customers]"));
    r.Add(entry(1, "[DBO].[Orders]"));
    EXPECT_EQ(r.IndexOf(TDBDependency{9, "[dbo].[Orders]"}), 0);
    EXPECT_EQ(r.IndexOf(TDBDependency{9, "[DBO].[Orders]"}), 3);
    EXPECT_EQ(r.IndexOf(TDBDependency{9, "[dbo].[orders]"}), -1);

    r.Sort();
    QStringList order;
    for (int i = 0; i < r.Count(); ++i) order << QString::number(r.Items(i)->Sequence) + r.Items(i)->Name;
    EXPECT_EQ(order, (QStringList{"1[DBO].[Orders]", "1[dbo].[Zones]", "2[dbo].[Customers]", "2[dbo].[Orders]"}));
    EXPECT_THROW(r.Items(4), std::out_of_range);
}

TEST(DependencyList, BracketedNamesDoubleClosingBrackets)
{
    EXPECT_EQ(tavil::BracketedName("dbo", "Orders"), "[dbo].[Orders]");
    EXPECT_EQ(tavil::BracketedName("a]b", "x]]y"), "[a]]b].[x]]]]y]");
}

// Selected tables as a command file lists them.
struct Selection {
    tavil::TDBObjects tables;
    explicit Selection(std::initializer_list<const char*> names)
    {
        for (const char* n : names) {
            auto* o = new tavil::TDBObject;
            o->SetFullName(QString::fromUtf8(n));
            tables.Add(o);
        }
    }
};

class Ordering : public ::testing::Test {
protected:
    void Open(const ServerSpec& spec)
    {
        snapshot_ = std::make_unique<Snapshot>(spec);
        server_ = std::make_unique<sqldmo::Server>();
        server_->connect(snapshot_->serverName(), "sa", "");
    }
    QStringList Order(std::initializer_list<const char*> selected, bool dependants, const char* database = "Shop")
    {
        Selection s(selected);
        QStringList list{"stale"};
        tavil::ListTableDependencies(server_.get(), database, s.tables, list, dependants);
        return list;
    }
    std::unique_ptr<Snapshot> snapshot_;
    std::unique_ptr<sqldmo::Server> server_;
};

ServerSpec ordersAndCustomers()
{
    ServerSpec spec;
    spec.functions = {{"dbo", "Tax"}};
    spec.views = {{"dbo", "Totals"}};
    spec.tables = {{"Customers"}, {"Orders", {"Customers"}, "dbo", false, {}, {"Tax"}}};
    return spec;
}

TEST_F(Ordering, WithoutDependantObjectsTheSelectionIsSortedAndTheServerNotAsked)
{
    Selection s({"dbo.Orders", "dbo.Customers"});
    QStringList list;
    tavil::ListTableDependencies(nullptr, "Shop", s.tables, list, false);
    EXPECT_EQ(list, (QStringList{"[dbo].[Customers]", "[dbo].[Orders]"}));

    Selection none({});
    tavil::ListTableDependencies(nullptr, "Shop", none.tables, list, true);
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(Ordering, ParentsFoundOnTheServerComeFirst)
{
    Open(ordersAndCustomers());
    const QStringList expected{"[dbo].[Customers]", "[dbo].[Orders]"};
    // Orders alone brings Customers; selected too, Customers keeps the level it was found at.
    // The function Orders uses is no table and stays out.
    EXPECT_EQ(Order({"dbo.Orders"}, true), expected);
    EXPECT_EQ(Order({"dbo.Orders", "dbo.Customers"}, true), expected);
    EXPECT_EQ(Order({"dbo.Customers", "dbo.Orders"}, true), expected);
}

TEST_F(Ordering, ATableReachedTwiceIsListedOnce)
{
    ServerSpec spec;
    spec.tables = {{"Zones"}, {"Customers", {"Zones"}}, {"Stores", {"Zones"}}};
    Open(spec);
    EXPECT_EQ(Order({"dbo.Customers", "dbo.Stores"}, true),
              (QStringList{"[dbo].[Zones]", "[dbo].[Customers]", "[dbo].[Stores]"}));
}

TEST_F(Ordering, SelectedTablesFollowEveryParentWhateverTheirDepth)
{
    // A refers to P3, P3 to P2, P2 to P1 (levels 1 to 3); C, enumerated last, refers to Q1
    // (level 1). Every parent precedes both selected tables, so their rows can be inserted.
    ServerSpec spec;
    spec.tables = {{"P1"}, {"P2", {"P1"}}, {"P3", {"P2"}}, {"A", {"P3"}}, {"Q1"}, {"C", {"Q1"}}};
    Open(spec);
    EXPECT_EQ(Order({"dbo.A", "dbo.C"}, true),
              (QStringList{"[dbo].[P1]", "[dbo].[Q1]", "[dbo].[P2]", "[dbo].[P3]", "[dbo].[A]", "[dbo].[C]"}));
}

TEST_F(Ordering, ATableTypedInAnotherCaseTakesTheCatalogueSpellingAndIsListedOnce)
{
    Open(ordersAndCustomers());
    const QStringList expected{"[dbo].[Customers]", "[dbo].[Orders]"};
    EXPECT_EQ(Order({"dbo.orders", "DBO.customers"}, true), expected);
    EXPECT_EQ(Order({"dbo.Orders", "dbo.ORDERS", "dbo.Customers"}, false), expected);
    // A table the server does not know keeps its spelling when nothing is asked of it.
    EXPECT_EQ(Order({"dbo.orders", "x.Gone"}, false), (QStringList{"[dbo].[Orders]", "[x].[Gone]"}));
}

TEST_F(Ordering, NamesWithBracketsAreQuotedAndFound)
{
    ServerSpec spec;
    spec.tables = {{"Par]ent", {}, "od]d"}, {"Child]", {"od]d.Par]ent"}}};
    Open(spec);
    EXPECT_EQ(Order({"dbo.Child]"}, true), (QStringList{"[od]]d].[Par]]ent]", "[dbo].[Child]]]"}));
}

TEST_F(Ordering, FailuresNameTheDatabase)
{
    Open(ordersAndCustomers());
    struct Case {
        const char* database;
        const char* table;
        const char* details;
    };
    const Case cases[] = {{"Shop", "dbo.Gone", "Gone"}, {"Nowhere", "dbo.Orders", "Nowhere"}};
    for (const Case& c : cases) {
        try {
            Order({"dbo.Customers", c.table}, true, c.database);
            ADD_FAILURE() << c.table << " in " << c.database;
        } catch (const tavil::EQMException& e) {
            EXPECT_EQ(e.Message, QStringLiteral("Unable to list dependencies from the selected tables in '%1'.")
                                     .arg(c.database));
            EXPECT_EQ(e.Severity, tavil::EQMException::Warning);
            EXPECT_TRUE(e.Details.contains(c.details)) << e.Details.toStdString();
        }
    }
    // A run without a connection fails the same way instead of crashing.
    Selection s({"dbo.Orders"});
    QStringList list;
    EXPECT_THROW(tavil::ListTableDependencies(nullptr, "Shop", s.tables, list, true), tavil::EQMException);
}

}  // namespace
