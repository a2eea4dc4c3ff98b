// The sample database shows every feature at least once, and its command files are in the
// command-file format. Reads what the build made in ${PROJECT_BINARY_DIR}/samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string_view>

#include "Fixtures.h"
#include "sqldmo/Backend.h"
#include "sqldmo/model/Names.h"
#include "sqldmo/objects/Sqldmo.h"

using namespace sqldmo;

namespace {

const std::string kSamples = TAVIL_SAMPLES_DIR;

template <class Range, class Pred>
bool any(const Range& r, Pred p) {
    return std::any_of(r.begin(), r.end(), p);
}

}  // namespace

TEST(Sample, HasEveryFeatureAtLeastOnce) {
    const auto server = snapshot::readSnapshot(kSamples + "/bookshop.snapshot");
    const model::Database* found = server.findDatabase("Bookshop");
    ASSERT_TRUE(found);
    const auto& db = *found;
    const auto columns = [&](auto pred) {
        return any(db.tables, [&](const model::Table& t) { return any(t.columns, pred); });
    };
    const auto tables = [&](auto pred) { return any(db.tables, pred); };
    using T = const model::Table&;
    using C = const model::Column&;
    const struct {
        const char* feature;
        bool present;
    } features[] = {
        {"identity", columns([](C c) { return c.identity; })},
        {"identity with a seed other than 1", columns([](C c) { return c.identity && c.identitySeed != 1; })},
        {"computed column", columns([](C c) { return c.isComputed(); })},
        {"rowguidcol", columns([](C c) { return c.rowGuidCol; })},
        {"column collation", columns([](C c) { return !c.collation.empty(); })},
        {"default constraint", columns([](C c) { return !c.defaultConstraintName.empty(); })},
        {"default bound to a column", columns([](C c) { return !c.boundDefault.empty(); })},
        {"rule bound to a column", columns([](C c) { return !c.boundRule.empty(); })},
        {"column of a user type", columns([](C c) { return sqlTypeFromName(c.dataType) == SqlType::Unknown; })},
        {"type with a bound rule and default",
         any(db.types, [](const auto& t) { return !t.boundRule.empty() && !t.boundDefault.empty(); })},
        {"primary key", tables([](T t) { return t.primaryKey.has_value(); })},
        {"nonclustered primary key", tables([](T t) { return t.primaryKey && !t.primaryKey->clustered; })},
        {"unique constraint", tables([](T t) { return !t.uniqueConstraints.empty(); })},
        {"foreign key", tables([](T t) { return !t.foreignKeys.empty(); })},
        {"cascading foreign key", tables([](T t) {
             return any(t.foreignKeys, [](const auto& f) { return f.onDelete == model::ReferentialAction::Cascade; });
         })},
        {"foreign key cascading updates", tables([](T t) {
             return any(t.foreignKeys, [](const auto& f) { return f.onUpdate == model::ReferentialAction::Cascade; });
         })},
        {"foreign key NOT FOR REPLICATION",
         tables([](T t) { return any(t.foreignKeys, [](const auto& f) { return f.notForReplication; }); })},
        {"disabled foreign key", tables([](T t) { return any(t.foreignKeys, [](const auto& f) { return f.disabled; }); })},
        {"column check", tables([](T t) { return any(t.checks, [](const auto& c) { return !c.column.empty(); }); })},
        {"table check", tables([](T t) { return any(t.checks, [](const auto& c) { return c.column.empty(); }); })},
        {"check NOT FOR REPLICATION", tables([](T t) { return any(t.checks, [](const auto& c) { return c.notForReplication; }); })},
        {"clustered index", tables([](T t) { return any(t.indexes, [](const auto& i) { return i.clustered; }); })},
        {"nonclustered index", tables([](T t) { return any(t.indexes, [](const auto& i) { return !i.clustered; }); })},
        {"descending index column", tables([](T t) {
             return any(t.indexes, [](const auto& i) { return any(i.columns, [](const auto& c) { return c.descending; }); });
         })},
        {"fill factor", tables([](T t) { return any(t.indexes, [](const auto& i) { return i.fillFactor > 0; }); })},
        {"unique index ignoring duplicate keys",
         tables([](T t) { return any(t.indexes, [](const auto& i) { return i.unique && i.ignoreDupKey; }); })},
        {"AFTER trigger", tables([](T t) { return any(t.triggers, [](const auto& g) { return !g.insteadOf; }); })},
        {"INSTEAD OF trigger",
         any(db.views, [](const auto& v) { return any(v.triggers, [](const auto& g) { return g.insteadOf; }); })},
        {"module with QUOTED_IDENTIFIER OFF",
         tables([](T t) { return any(t.triggers, [](const auto& g) { return !g.settings.quotedIdentifier; }); })},
        {"module with ANSI_NULLS OFF", any(db.procedures, [](const auto& p) { return !p.settings.ansiNulls; })},
        {"view", !db.views.empty()},
        {"procedure", !db.procedures.empty()},
        {"scalar function", any(db.functions, [](const auto& f) { return f.kind == model::FunctionKind::Scalar; })},
        {"inline function", any(db.functions, [](const auto& f) { return f.kind == model::FunctionKind::InlineTable; })},
        {"table function", any(db.functions, [](const auto& f) { return f.kind == model::FunctionKind::Table; })},
        {"encrypted module", any(db.procedures, [](const auto& p) { return p.encrypted; })},
        {"default object", !db.defaults.empty()},
        {"rule object", !db.rules.empty()},
        {"second owner", tables([](T t) { return t.owner != "dbo"; })},
        {"users", db.users.size() > 3},
        {"role with members", any(db.roles, [](const auto& r) { return !r.fixedRole && !r.members.empty(); })},
        {"application role", any(db.roles, [](const auto& r) { return r.applicationRole; })},
        {"GRANT", tables([](T t) { return any(t.permissions, [](const auto& p) { return p.action == model::Permission::Action::Grant; }); })},
        {"DENY", tables([](T t) { return any(t.permissions, [](const auto& p) { return p.action == model::Permission::Action::Deny; }); })},
        {"WITH GRANT OPTION", tables([](T t) { return any(t.permissions, [](const auto& p) { return p.withGrantOption; }); })},
        {"column permission", tables([](T t) { return any(t.permissions, [](const auto& p) { return !p.column.empty(); }); })},
        {"permission on a module", any(db.procedures, [](const auto& p) { return !p.permissions.empty(); })},
        {"database property", !db.properties.empty()},
        {"table property", tables([](T t) { return !t.properties.empty(); })},
        {"column property", columns([](C c) { return !c.properties.empty(); })},
        {"index property", tables([](T t) { return any(t.indexes, [](const auto& i) { return !i.properties.empty(); }); })},
        {"key property", tables([](T t) { return t.primaryKey && !t.primaryKey->properties.empty(); })},
        {"foreign key property", tables([](T t) { return any(t.foreignKeys, [](const auto& f) { return !f.properties.empty(); }); })},
        {"check property", tables([](T t) { return any(t.checks, [](const auto& c) { return !c.properties.empty(); }); })},
        {"view property", any(db.views, [](const auto& v) { return !v.properties.empty(); })},
        {"full-text index", tables([](T t) { return t.fullTextIndex.has_value(); })},
        {"name with \"]\" and a space",
         tables([](T t) { return t.name.find(']') != std::string::npos && t.name.find(' ') != std::string::npos; })},
        {"windows login", any(server.logins, [](const auto& l) { return l.windowsLogin; })},
        {"sql server login", any(server.logins, [](const auto& l) { return !l.windowsLogin; })},
    };
    for (const auto& f : features) EXPECT_TRUE(f.present) << "the sample lacks: " << f.feature;

    // Two tables that refer to each other.
    Server s;
    s.setLoginSecure(true);
    s.connect("file:" + kSamples + "/bookshop.snapshot");
    auto& bookshop = s.databases().item("Bookshop");
    const auto refersTo = [&](const char* from, const char* to) {
        const auto q = bookshop.tables().item(from).enumDependencies(0);
        for (int r = 1; r <= q.rows(); ++r)
            if (q.getColumnString(r, 2) == to) return true;
        return false;
    };
    EXPECT_TRUE(refersTo("Shops", "Staff") && refersTo("Staff", "Shops"));
    EXPECT_EQ(s.logins().item(s.login()).database(), "Bookshop") << "the login's default database is the sample";
}

TEST(Sample, RowsCoverEveryTypeWithNullsAndGaps) {
    LoginOptions login;
    login.integrated = true;
    auto backend = openServerBackend("file:" + kSamples + "/bookshop.snapshot", login);
    const auto db = backend->database("Bookshop");
    std::set<SqlType> types, nullable;
    bool unicode = false, gap = false;
    for (const auto& t : db->tables) {
        EXPECT_GT(t.rowCount, 0) << t.name;
        auto rows = backend->query("Bookshop", "SELECT * FROM " + model::quoteName(t.owner) + "." + model::quoteName(t.name));
        const auto& columns = rows->columns();
        std::vector<std::int64_t> identity;
        while (rows->next()) {
            for (std::size_t i = 0; i < columns.size(); ++i) {
                const auto& v = rows->value(i);
                if (v.isNull()) {
                    nullable.insert(columns[i].type);
                    continue;
                }
                types.insert(v.variant ? SqlType::SqlVariant : v.type);
                if (v.variant) types.insert(v.type);
                if (v.kind == Value::Kind::Text && std::any_of(v.text.begin(), v.text.end(), [](char c) { return c & 0x80; }))
                    unicode = true;
                if (t.columns[i].identity) identity.push_back(v.integer);
            }
        }
        for (std::size_t k = 1; k < identity.size(); ++k) gap = gap || identity[k] > identity[k - 1] + 1;
    }
    for (int t = static_cast<int>(SqlType::Bit); t <= static_cast<int>(SqlType::SqlVariant); ++t)
        EXPECT_TRUE(types.count(static_cast<SqlType>(t))) << "no value of type " << sqlTypeName(static_cast<SqlType>(t));
    EXPECT_GE(nullable.size(), 8u) << "NULLs in columns of several types";
    EXPECT_TRUE(unicode);
    EXPECT_TRUE(gap) << "identity values with gaps";
}

TEST(Sample, CommandFilesUseTheCommandFileFormat) {
    for (const char* name : {"bookshop-all.qvx", "bookshop-schema.qvx", "bookshop-data.qvx", "bookshop-sql70.qvx"}) {
        SCOPED_TRACE(name);
        const auto text = fixtures::readFile(kSamples + "/" + name);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.rfind("[Header]\r\nApplication=Quillomere Tavilor\r\nVersion=0.3.0 Build 52\r\n\r\n", 0), 0u);
        EXPECT_NE(text.find("[Connection]\r\nServerName=file:bookshop.snapshot\r\nWindowsAuthentication=1\r\n"
                            "Username=\r\nPassword=\r\nDatabaseName=Bookshop\r\n\r\n"),
                  std::string::npos);
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text[i] == '\n') {
                ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at " << i;
            }
        EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
        if (std::string_view(name) == "bookshop-sql70.qvx") {
            EXPECT_NE(text.find("\r\nScriptOnly70Compatible=1\r\n"), std::string::npos);
        }
    }
}
