// The Scripter's object model through the library's interface, loaded with dlopen: defaults,
// option records, lists, identity of the owned objects, VerifyScript, creation and the
// failures a generation meets before it needs a server.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sqldmo/Error.h"
#include "tests/component/KorvaLoader.h"

namespace {

using korvatest::lastError;
using korvatest::narrow;
using korvatest::Scripter;
using namespace korva;

TEST(KorvaObjectModel, NewScripterHoldsZeroEverywhere) {
    Scripter s;
    ISettings* settings = s.settings();
    IConnection* connection = s.connection();
    ITableOptions* table = s.tableOptions();
    IFormatOptions* format = s.formatOptions();
    IAdvancedOptions* advanced = s.advancedOptions();
    ASSERT_TRUE(settings && connection && table && format && advanced && s.dependencies());

    using IntGet = std::function<HResult(std::int32_t*)>;
    const std::vector<std::pair<const char*, IntGet>> ints = {
        {"LoginTimeout", [&](std::int32_t* v) { return settings->get_LoginTimeout(v); }},
        {"QueryTimeout", [&](std::int32_t* v) { return settings->get_QueryTimeout(v); }},
        {"BlockingTimeout", [&](std::int32_t* v) { return settings->get_BlockingTimeout(v); }},
        {"NetPacketSize", [&](std::int32_t* v) { return settings->get_NetPacketSize(v); }},
    };
    for (const auto& [name, get] : ints) {
        std::int32_t v = 77;
        EXPECT_EQ(get(&v), status::Ok) << name;
        EXPECT_EQ(v, 0) << name;
    }

    using TextGet = std::function<HResult(std::u16string*)>;
    const std::vector<std::pair<const char*, TextGet>> texts = {
        {"ServerName", [&](std::u16string* v) { return connection->get_ServerName(v); }},
        {"Username", [&](std::u16string* v) { return connection->get_Username(v); }},
        {"Password", [&](std::u16string* v) { return connection->get_Password(v); }},
        {"DatabaseName", [&](std::u16string* v) { return connection->get_DatabaseName(v); }},
    };
    for (const auto& [name, get] : texts) {
        std::u16string v = u"x";
        EXPECT_EQ(get(&v), status::Ok) << name;
        EXPECT_TRUE(v.empty()) << name;
    }

    using BoolGet = std::function<HResult(Bool16*)>;
    const std::vector<std::pair<const char*, BoolGet>> bools = {
        {"WindowsAuthentication", [&](Bool16* v) { return connection->get_WindowsAuthentication(v); }},
        {"ScriptSchema", [&](Bool16* v) { return table->get_ScriptSchema(v); }},
        {"ScriptData", [&](Bool16* v) { return table->get_ScriptData(v); }},
        {"GenerateCreateCommand", [&](Bool16* v) { return format->get_GenerateCreateCommand(v); }},
        {"GenerateDropCommand", [&](Bool16* v) { return format->get_GenerateDropCommand(v); }},
        {"ScriptDependentObjects", [&](Bool16* v) { return format->get_ScriptDependentObjects(v); }},
        {"IncludeHeaders", [&](Bool16* v) { return format->get_IncludeHeaders(v); }},
        {"IncludeExtendedProperties", [&](Bool16* v) { return format->get_IncludeExtendedProperties(v); }},
        {"ScriptOnly70Compatible", [&](Bool16* v) { return format->get_ScriptOnly70Compatible(v); }},
        {"ScriptUsersRoles", [&](Bool16* v) { return advanced->get_ScriptUsersRoles(v); }},
        {"ScriptLogins", [&](Bool16* v) { return advanced->get_ScriptLogins(v); }},
        {"ScriptObjectPermissions", [&](Bool16* v) { return advanced->get_ScriptObjectPermissions(v); }},
        {"ScriptTableIndexes", [&](Bool16* v) { return advanced->get_ScriptTableIndexes(v); }},
        {"ScriptTableFullTextIndexes", [&](Bool16* v) { return advanced->get_ScriptTableFullTextIndexes(v); }},
        {"ScriptTableTriggers", [&](Bool16* v) { return advanced->get_ScriptTableTriggers(v); }},
        {"ScriptTableConstraints", [&](Bool16* v) { return advanced->get_ScriptTableConstraints(v); }},
        {"ScriptTableIncludeColumnNames", [&](Bool16* v) { return advanced->get_ScriptTableIncludeColumnNames(v); }},
    };
    for (const auto& [name, get] : bools) {
        Bool16 v = True;
        EXPECT_EQ(get(&v), status::Ok) << name;
        EXPECT_EQ(v, False) << name;
    }

    std::int16_t count = -1;
    EXPECT_EQ(s.dependencies()->Count(&count), status::Ok);
    EXPECT_EQ(count, 0);
}

TEST(KorvaObjectModel, OwnedObjectsAreTheSameOnEveryCall) {
    Scripter s;
    EXPECT_EQ(s.settings(), s.settings());
    EXPECT_EQ(s.connection(), s.connection());
    EXPECT_EQ(s.tableOptions(), s.tableOptions());
    EXPECT_EQ(s.formatOptions(), s.formatOptions());
    EXPECT_EQ(s.advancedOptions(), s.advancedOptions());
    EXPECT_EQ(s.dependencies(), s.dependencies());
    Scripter other;
    EXPECT_NE(s.settings(), other.settings());

    // Server before EstablishConnection: an object, not an error.
    sqldmo::Server* server = nullptr;
    sqldmo::Server* again = nullptr;
    EXPECT_EQ(s->get_Server(&server), status::Ok);
    EXPECT_EQ(s->get_Server(&again), status::Ok);
    EXPECT_NE(server, nullptr);
    EXPECT_EQ(server, again);
}

TEST(KorvaObjectModel, FieldsKeepWhatIsPut) {
    Scripter s;
    ISettings* settings = s.settings();
    for (std::int32_t v : {-1, 0, 30, 2147483647}) {
        std::int32_t got = 0;
        ASSERT_EQ(settings->put_BlockingTimeout(v), status::Ok);
        ASSERT_EQ(settings->get_BlockingTimeout(&got), status::Ok);
        EXPECT_EQ(got, v);
    }
    const std::u16string name = u"srv\\inst;x=\u00e9\U0001F600";
    ASSERT_EQ(s.connection()->put_ServerName(name), status::Ok);
    std::u16string back;
    ASSERT_EQ(s.connection()->get_ServerName(&back), status::Ok);
    EXPECT_EQ(back, name);
    // A Boolean keeps the value given; the component reads any non-zero value as true.
    for (Bool16 v : {True, Bool16(1), Bool16(0)}) {
        Bool16 got = 5;
        ASSERT_EQ(s.tableOptions()->put_ScriptData(v), status::Ok);
        ASSERT_EQ(s.tableOptions()->get_ScriptData(&got), status::Ok);
        EXPECT_EQ(got, v);
    }
    EXPECT_EQ(settings->get_LoginTimeout(nullptr), status::Pointer);
}

TEST(KorvaObjectModel, DependenciesKeepOrderAndDuplicates) {
    Scripter s;
    IDependencies* d = s.dependencies();
    std::u16string item = u"untouched";
    EXPECT_EQ(d->Item(1, &item), statusOfNumber(errors::SubscriptOutOfRange));
    korva::ErrorInfo e = lastError();
    EXPECT_EQ(e.Number, errors::SubscriptOutOfRange);
    EXPECT_EQ(item, u"untouched");

    for (const char16_t* t : {u"[dbo].[A]", u"[dbo].[B]", u"[dbo].[A]"}) ASSERT_EQ(d->Add(t), status::Ok);
    std::int16_t count = 0;
    ASSERT_EQ(d->Count(&count), status::Ok);
    EXPECT_EQ(count, 3);
    ASSERT_EQ(d->Item(2, &item), status::Ok);
    EXPECT_EQ(item, u"[dbo].[B]");
    ASSERT_EQ(d->Item(3, &item), status::Ok);
    EXPECT_EQ(item, u"[dbo].[A]");
    for (std::int16_t bad : {std::int16_t(0), std::int16_t(4), std::int16_t(-1)})
        EXPECT_EQ(d->Item(bad, &item), statusOfNumber(errors::SubscriptOutOfRange)) << bad;
    // A successful call leaves no error information behind.
    ASSERT_EQ(d->Count(&count), status::Ok);
    korva::ErrorInfo none;
    EXPECT_EQ(korvatest::library().getErrorInfo(&none), status::False);
}

TEST(KorvaObjectModel, CountOverflowsPast32767Entries) {
    Scripter s;
    IDependencies* d = s.dependencies();
    for (int i = 0; i < 32767; ++i) ASSERT_EQ(d->Add(u"t"), status::Ok);
    std::int16_t count = 0;
    ASSERT_EQ(d->Count(&count), status::Ok);
    EXPECT_EQ(count, 32767);
    ASSERT_EQ(d->Add(u"last"), status::Ok);
    EXPECT_EQ(d->Count(&count), statusOfNumber(errors::Overflow));
    EXPECT_EQ(lastError().Number, errors::Overflow);
    EXPECT_EQ(count, 32767);
    std::u16string item;
    EXPECT_EQ(d->Item(32767, &item), status::Ok);
}

TEST(KorvaObjectModel, VerifyScriptAlwaysFails) {
    Scripter s;
    std::u16string messages = u"keep me";
    Bool16 result = 7;
    EXPECT_EQ(s->VerifyScript(&messages, &result), static_cast<HResult>(0x800403E8u));
    korva::ErrorInfo e = lastError();
    EXPECT_EQ(e.Number, -2147220504);
    EXPECT_EQ(e.Source, u"_VerifyScript");
    EXPECT_EQ(e.Description, u"Operation not supported in this version of Quillomere Korvane.");
    EXPECT_EQ(messages, u"keep me");
    EXPECT_EQ(result, 7);
}

TEST(KorvaObjectModel, CreationByClassIdAndUnloading) {
    const auto& lib = korvatest::library();
    EXPECT_EQ(lib.canUnloadNow(), status::Ok);
    {
        Scripter s;
        EXPECT_EQ(lib.canUnloadNow(), status::False);
        void* source = nullptr;
        ASSERT_EQ(s->QueryInterface(ids::IID_ConnectionPoint, &source), status::Ok);
        static_cast<IScripterEventSource*>(source)->Release();
        void* none = reinterpret_cast<void*>(1);
        EXPECT_EQ(s->QueryInterface(ids::IID_Settings, &none), status::NoInterface);
        EXPECT_EQ(none, nullptr);
        // Unadvise of a cookie never given.
        ASSERT_EQ(s->QueryInterface(ids::IID_ConnectionPoint, &source), status::Ok);
        auto* events = static_cast<IScripterEventSource*>(source);
        EXPECT_EQ(events->Unadvise(12345), status::NoConnection);
        events->Release();
    }
    EXPECT_EQ(lib.canUnloadNow(), status::Ok);

    void* object = reinterpret_cast<void*>(1);
    for (const Guid& notCreatable : {ids::CLSID_Settings, ids::CLSID_Dependencies, ids::IID_Scripter}) {
        EXPECT_EQ(lib.createObject(&notCreatable, &ids::IID_Scripter, &object), status::ClassNotAvailable);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(lib.createObject(&ids::CLSID_Scripter, &ids::IID_Settings, &object), status::NoInterface);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(lib.canUnloadNow(), status::Ok);
    ASSERT_EQ(lib.createObject(&ids::CLSID_Scripter, &ids::IID_Unknown, &object), status::Ok);
    EXPECT_EQ(static_cast<IObject*>(object)->Release(), 0u);
}

// Failures a generation meets before it asks the server.
TEST(KorvaObjectModel, GenerationFailuresBeforeTheServer) {
    struct Case {
        const char* what;
        std::function<void(Scripter&)> fill;
        std::int32_t number;
        std::vector<std::int32_t> percents;
    };
    const std::vector<Case> cases = {
        {"nothing to script: 0 / 0 after the 5 % event", [](Scripter&) {}, errors::DivisionByZero, {5}},
        {"more than 32,767 objects",
         [](Scripter& s) {
             for (int i = 0; i < 20000; ++i) s->AddView(u"dbo", u"v");
             for (int i = 0; i < 12768; ++i) s->AddRule(u"dbo", u"r");
         },
         errors::Overflow, {}},
        {"not connected", [](Scripter& s) { s->AddView(u"dbo", u"v"); }, sqldmo::errors::NotConnected, {5}},
    };
    for (const Case& c : cases) {
        Scripter s;
        korvatest::RecordingSink sink;
        korvatest::Advised advised(s, &sink);
        c.fill(s);
        std::u16string script = u"untouched";
        EXPECT_EQ(s->GenerateScript(&script), statusOfNumber(c.number)) << c.what;
        korva::ErrorInfo e = lastError();
        EXPECT_EQ(e.Number, c.number) << c.what;
        EXPECT_EQ(e.Source, u"_GenerateScript") << c.what;
        EXPECT_FALSE(e.Description.empty()) << c.what;
        EXPECT_EQ(script, u"untouched") << c.what;
        EXPECT_EQ(sink.percents(), c.percents) << c.what;
    }
}

}  // namespace
