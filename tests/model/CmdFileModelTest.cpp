// The command-file model: a new file's values, qualified names and the owning object lists.
#include "app/model/TCmdFile.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace tavil {
namespace {

TEST(CmdFileModel, NewCommandFileValues)
{
    const TCmdFile f;
    EXPECT_EQ(f.FileName, QStringLiteral("Untitled"));
    EXPECT_EQ(f.Connection.ServerName, QStringLiteral("(local)"));
    EXPECT_TRUE(f.Connection.WindowsAuthentication);
    EXPECT_TRUE(f.Connection.Username.isEmpty());
    EXPECT_TRUE(f.Connection.Password.isEmpty());
    EXPECT_EQ(f.Connection.DatabaseName, QStringLiteral("(default)"));
    for (int kind = 0; kind < TCmdFile::KindCount; ++kind)
        EXPECT_EQ(f.Objects(kind).Count(), 0) << kind;

    const bool on[] = {
        f.TableOptions.ScriptSchema, f.TableOptions.ScriptData,
        f.FormatOptions.GenerateCreateCommand, f.FormatOptions.GenerateDropCommand,
        f.FormatOptions.ScriptDependantObjects, f.FormatOptions.IncludeHeaders,
        f.OtherOptions.ScriptTableIndexes, f.OtherOptions.ScriptTableTriggers,
        f.OtherOptions.ScriptTableConstraints, f.OtherOptions.ScriptTableIncludeColumnNames,
    };
    const bool off[] = {
        f.FormatOptions.IncludeExtendedProperties, f.FormatOptions.ScriptOnly70Compatible,
        f.OtherOptions.ScriptUsersRoles, f.OtherOptions.ScriptLogins,
        f.OtherOptions.ScriptObjectPermissions, f.OtherOptions.ScriptTableFullTextIndexes,
    };
    for (bool b : on)
        EXPECT_TRUE(b);
    for (bool b : off)
        EXPECT_FALSE(b);
}

TEST(CmdFileModel, ObjectsFollowKindOrder)
{
    TCmdFile f;
    TDBObjects* lists[] = {&f.Tables, &f.Views, &f.StoredProcs, &f.Defaults, &f.Rules, &f.Types, &f.Functions};
    for (int kind = 0; kind < TCmdFile::KindCount; ++kind)
        EXPECT_EQ(&f.Objects(kind), lists[kind]) << kind;
    EXPECT_THROW(f.Objects(-1), std::out_of_range);
    EXPECT_THROW(f.Objects(TCmdFile::KindCount), std::out_of_range);
}

TEST(DBObject, SetFullNameSplitsAtFirstDot)
{
    struct Case { const char* text; const char* owner; const char* name; };
    const Case cases[] = {
        {"dbo.Orders", "dbo", "Orders"},
        {"dbo.Order.Details", "dbo", "Order.Details"},
        {".Orders", "", "Orders"},
        {"dbo.", "dbo", ""},
        {"Orders", "old", "kept"},  // no dot: unchanged
        {"", "old", "kept"},
    };
    for (const Case& c : cases) {
        TDBObject o(QStringLiteral("old"), QStringLiteral("kept"));
        o.SetFullName(QString::fromUtf8(c.text));
        EXPECT_EQ(o.Owner, QString::fromUtf8(c.owner)) << c.text;
        EXPECT_EQ(o.Name, QString::fromUtf8(c.name)) << c.text;
    }
    const TDBObject empty;
    EXPECT_TRUE(empty.Owner.isEmpty());
    EXPECT_TRUE(empty.Name.isEmpty());
}

TEST(DBObjects, KeepsOrderAndDuplicatesAndOwns)
{
    TDBObjects list;
    EXPECT_TRUE(list.OwnsObjects);
    EXPECT_EQ(list.Add(new TDBObject(QStringLiteral("dbo"), QStringLiteral("A"))), 0);
    EXPECT_EQ(list.Add(new TDBObject(QStringLiteral("dbo"), QStringLiteral("A"))), 1);
    EXPECT_EQ(list.Add(std::make_unique<TDBObject>(QStringLiteral("x"), QStringLiteral("B"))), 2);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_NE(list.Items(0), list.Items(1));
    EXPECT_EQ(list.Items(1)->Name, QStringLiteral("A"));
    EXPECT_EQ(list.Items(2)->Owner, QStringLiteral("x"));
    EXPECT_THROW(list.Items(3), std::out_of_range);
    EXPECT_THROW(list.Items(-1), std::out_of_range);
    EXPECT_THROW(list.Add(static_cast<TDBObject*>(nullptr)), std::invalid_argument);

    list.Clear();  // frees the objects (the sanitizer build checks that nothing leaks)
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Add(new TDBObject), 0);
}

}  // namespace
}  // namespace tavil
