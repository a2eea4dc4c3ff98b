// What a generation hands to the transfer object (objects, type codes, flag sets, Boolean
// properties) and how it relays the transfer's progress, seen inside the library: the
// Scripter is not connected, so each generation stops at the schema step with everything
// before it done.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "component/ScripterObject.h"
#include "tests/component/KorvaLoader.h"

namespace {

using korva::Bool16;
using korva::detail::ScripterObject;

struct Object {
    std::string name;
    int type;
    std::string owner;
    friend bool operator==(const Object&, const Object&) = default;
};

// A Scripter made inside the library, with helpers to set switches.
struct Fixture {
    ScripterObject* s = new ScripterObject();
    ~Fixture() { s->Release(); }
    korva::ITableOptions* table() { korva::ITableOptions* o; s->get_TableOptions(&o); return o; }
    korva::IFormatOptions* format() { korva::IFormatOptions* o; s->get_FormatOptions(&o); return o; }
    korva::IAdvancedOptions* advanced() { korva::IAdvancedOptions* o; s->get_AdvancedOptions(&o); return o; }
    korva::IDependencies* dependencies() { korva::IDependencies* o; s->get_Dependencies(&o); return o; }
    // Runs the generation up to the schema step (which fails: not connected).
    void generate() {
        std::u16string script;
        EXPECT_LT(s->GenerateScript(&script), 0);
    }
    std::vector<Object> objects() const {
        std::vector<Object> list;
        for (const auto& o : s->transfer().settings().objects)
            list.push_back({o.name, static_cast<int>(o.type), o.owner});
        return list;
    }
};

TEST(KorvaTransferSettings, ScriptTypeFromTheSwitches) {
    struct Case {
        const char* what;
        std::function<void(Fixture&)> set;
        std::int32_t scriptType;
        std::int32_t script2Type;
    };
    const Bool16 t = korva::True;
    const std::vector<Case> cases = {
        {"no switch: 0 stays 0", [](Fixture&) {}, 0, 0},
        {"create", [&](Fixture& f) { f.format()->put_GenerateCreateCommand(t); }, 0x00040084, 0},
        {"create and drop",
         [&](Fixture& f) {
             f.format()->put_GenerateCreateCommand(t);
             f.format()->put_GenerateDropCommand(t);
         },
         0x00040085, 0},
        {"a non-zero Boolean other than -1 is true", [](Fixture& f) { f.format()->put_GenerateDropCommand(1); },
         0x00040081, 0},
        {"headers", [&](Fixture& f) { f.format()->put_IncludeHeaders(t); }, 0x00060080, 0},
        {"permissions", [&](Fixture& f) { f.advanced()->put_ScriptObjectPermissions(t); }, 0x00040082, 0},
        {"indexes", [&](Fixture& f) { f.advanced()->put_ScriptTableIndexes(t); }, 0x00052088, 0},
        {"triggers", [&](Fixture& f) { f.advanced()->put_ScriptTableTriggers(t); }, 0x00040090, 0},
        {"constraints", [&](Fixture& f) { f.advanced()->put_ScriptTableConstraints(t); }, 0x3F040080, 0},
        {"Script2Type bits alone leave ScriptType 0",
         [&](Fixture& f) {
             f.format()->put_IncludeExtendedProperties(t);
             f.format()->put_ScriptOnly70Compatible(t);
             f.advanced()->put_ScriptTableFullTextIndexes(t);
         },
         0, 0x01480000},
        {"everything",
         [&](Fixture& f) {
             for (auto put : {&korva::IFormatOptions::put_GenerateCreateCommand,
                              &korva::IFormatOptions::put_GenerateDropCommand, &korva::IFormatOptions::put_IncludeHeaders,
                              &korva::IFormatOptions::put_IncludeExtendedProperties,
                              &korva::IFormatOptions::put_ScriptOnly70Compatible})
                 (f.format()->*put)(t);
             for (auto put : {&korva::IAdvancedOptions::put_ScriptObjectPermissions,
                              &korva::IAdvancedOptions::put_ScriptTableIndexes,
                              &korva::IAdvancedOptions::put_ScriptTableFullTextIndexes,
                              &korva::IAdvancedOptions::put_ScriptTableTriggers,
                              &korva::IAdvancedOptions::put_ScriptTableConstraints})
                 (f.advanced()->*put)(t);
         },
         0x3F07209F, 0x01480000},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.s->AddView(u"dbo", u"v");
        c.set(f);
        f.generate();
        EXPECT_EQ(f.s->transfer().scriptType(), c.scriptType) << c.what;
        EXPECT_EQ(f.s->transfer().script2Type(), c.script2Type) << c.what;
        EXPECT_TRUE(f.s->transfer().copySchema()) << c.what;
        EXPECT_EQ(f.s->transfer().copyData(), 0) << c.what;
    }
}

TEST(KorvaTransferSettings, ObjectsKindByKindAndTheBooleanProperties) {
    Fixture f;
    f.s->AddUserDefinedFunction(u"dbo", u"fn");
    f.s->AddView(u"o", u"v");
    f.s->AddTable(u"dbo", u"T");
    f.s->AddTable(u"dbo", u"T");
    f.s->AddRule(u"dbo", u"r");
    f.s->AddDefault(u"dbo", u"d");
    f.s->AddStoredProcedure(u"dbo", u"p");
    f.s->AddUserDefinedDatatype(u"dbo", u"udt");
    f.table()->put_ScriptSchema(korva::True);
    f.format()->put_ScriptDependentObjects(korva::True);
    f.advanced()->put_ScriptLogins(-1);
    f.generate();
    const std::vector<Object> expected = {{"T", 8, "dbo"},   {"T", 8, "dbo"},  {"v", 4, "o"},    {"p", 16, "dbo"},
                                          {"d", 64, "dbo"},  {"r", 128, "dbo"}, {"udt", 1, "dbo"}, {"fn", 4096, "dbo"}};
    EXPECT_EQ(f.objects(), expected);
    EXPECT_TRUE(f.s->transfer().includeDependencies());
    EXPECT_FALSE(f.s->transfer().includeUsers());
    EXPECT_TRUE(f.s->transfer().includeLogins());
    EXPECT_EQ(f.s->objectTotal(), 8);
}

TEST(KorvaTransferSettings, TablesWithoutSchemaAreNotHandedOver) {
    Fixture f;
    f.s->AddTable(u"dbo", u"T");
    f.table()->put_ScriptData(korva::True);
    f.format()->put_GenerateCreateCommand(korva::True);
    f.format()->put_ScriptDependentObjects(korva::True);
    f.dependencies()->Add(u"[dbo].[T]");
    f.generate();
    EXPECT_TRUE(f.objects().empty());
    EXPECT_FALSE(f.s->objectsAdded());
    EXPECT_TRUE(f.s->dataWanted());
    // Nothing handed over: no switch reaches the transfer.
    EXPECT_EQ(f.s->transfer().scriptType(), 0);
    EXPECT_FALSE(f.s->transfer().includeDependencies());
    EXPECT_TRUE(f.s->transfer().copySchema());
    // The table still counts among the objects: 1 of 2.
    EXPECT_EQ(f.s->transferShare(), 50);
    EXPECT_EQ(f.s->dataShare(), 50);
}

// The transfer's own progress, relayed into the Scripter's range.
TEST(KorvaTransferSettings, RelayedProgress) {
    struct Case {
        const char* what;
        bool data;
        std::int32_t share;
        std::vector<std::int32_t> transfer;
        std::vector<std::int32_t> reported;
    };
    const std::vector<Case> cases = {
        {"3 objects and 1 table of data: 75/25", true, 75, {0, 50, 100}, {5, 42, 80}},
        {"no data: 5 .. 100", false, 100, {0, 50, 100}, {5, 52, 100}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.s->AddTable(u"dbo", u"T");
        f.s->AddView(u"dbo", u"v1");
        f.s->AddView(u"dbo", u"v2");
        f.table()->put_ScriptSchema(korva::True);
        f.table()->put_ScriptData(c.data ? korva::True : korva::False);
        f.dependencies()->Add(u"[dbo].[T]");
        f.generate();
        EXPECT_EQ(f.s->dataWanted(), c.data) << c.what;
        EXPECT_EQ(f.s->transferShare(), 75) << c.what;
        EXPECT_EQ(f.s->dataShare(), 25) << c.what;

        korvatest::RecordingSink first, second;
        std::uint32_t a = 0, b = 0;
        ASSERT_EQ(f.s->Advise(&first, &a), korva::status::Ok);
        ASSERT_EQ(f.s->Advise(&second, &b), korva::status::Ok);
        ASSERT_EQ(f.s->transfer().sinks().size(), 1u);
        sqldmo::TransferEvents* relay = f.s->transfer().sinks().front();
        relay->statusMessage("Scripting [dbo].[v1]");
        for (std::int32_t p : c.transfer) relay->scriptTransferPercentComplete("ignored", p);
        relay->transferPercentComplete("ignored", 10);
        relay->percentCompleteAtStep("ignored", 10);
        EXPECT_EQ(first.percents(), c.reported) << c.what;
        EXPECT_EQ(second.percents(), c.reported) << c.what;
        EXPECT_EQ(first.messages(), std::vector<std::string>{"Scripting [dbo].[v1]..."}) << c.what;
        ASSERT_EQ(f.s->Unadvise(a), korva::status::Ok);
        relay->scriptTransferPercentComplete("", 100);
        EXPECT_EQ(first.percents().size(), c.reported.size()) << "unadvised sink still called";
        EXPECT_EQ(second.percents().size(), c.reported.size() + 1);
        f.s->Unadvise(b);
    }
}

}  // namespace

namespace {

// Unadvises another sink from inside its own event.
class UnadvisingSink final : public korva::IScripterEvents {
public:
    ScripterObject* scripter = nullptr;
    std::uint32_t victim = 0;
    int calls = 0;
    korva::HResult ScriptTransferPercentComplete(std::int32_t*) override {
        ++calls;
        if (victim) scripter->Unadvise(victim);
        victim = 0;
        return korva::status::Ok;
    }
    korva::HResult ScriptTransferMessage(std::u16string*) override { return korva::status::Ok; }
};

TEST(KorvaTransferSettings, ASinkUnadvisedDuringAnEventIsNotCalledAgain) {
    Fixture f;
    f.s->AddView(u"dbo", u"v");
    f.generate();
    UnadvisingSink first;
    korvatest::RecordingSink second;
    std::uint32_t a = 0, b = 0;
    ASSERT_EQ(f.s->Advise(&first, &a), korva::status::Ok);
    ASSERT_EQ(f.s->Advise(&second, &b), korva::status::Ok);
    first.scripter = f.s;
    first.victim = b;
    sqldmo::TransferEvents* relay = f.s->transfer().sinks().front();
    relay->scriptTransferPercentComplete("", 50);
    relay->scriptTransferPercentComplete("", 100);
    EXPECT_EQ(first.calls, 2);
    EXPECT_TRUE(second.percents().empty());
    f.s->Unadvise(a);
}

}  // namespace
