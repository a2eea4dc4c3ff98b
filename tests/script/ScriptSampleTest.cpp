// Order properties on the sample database (built into a snapshot with the tree): every object
// is created after what it uses and dropped before it. Skipped until the snapshot is built.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "sqldmo/script/Quoting.h"
#include "sqldmo/snapshot/Snapshot.h"
#include "tests/script/Fixtures.h"

using namespace sqldmo;
namespace q = sqldmo::script::quote;

namespace {

std::size_t at(const std::string& s, const std::string& text) {
    std::size_t p = s.find(text);
    EXPECT_NE(p, std::string::npos) << "missing: " << text;
    return p;
}

}  // namespace

TEST(ScriptSample, ObjectsFollowWhatTheyUse) {
    const std::string path = TAVIL_SAMPLE_SNAPSHOT;
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not built";
    model::Server server = snapshot::readSnapshot(path);
    for (const auto& db : server.databases) {
        if (!db || db->systemObject) continue;
        auto settings = fixtures::everything(*db, fixtures::kAllScriptType, script::flags2::ExtendedProperty);
        script::ScriptOptions options;
        options.newline = "\n";
        const std::string s = script::scriptTransfer(server, *db, settings, options, nullptr);
        ASSERT_FALSE(s.empty()) << db->name;
        EXPECT_EQ(script::scriptTransfer(server, *db, settings, options, nullptr), s) << db->name;

        // Header of each object's CREATE, and its drop.
        std::map<model::ObjectId, std::pair<std::size_t, std::size_t>> where;
        auto note = [&](const model::SchemaObject& o, const char* kind, const char* drop) {
            const std::string n = q::qualified(o.owner, o.name, true);
            where[o.id] = {at(s, std::string("/****** Object:  ") + kind + " " + q::commentText(n) + "    Script Date:"),
                           drop ? at(s, std::string(drop) + " " + n + "\n") : std::string::npos};
        };
        for (const auto& t : db->tables) note(t, "Table", "drop table");
        for (const auto& v : db->views) note(v, "View", v.encrypted ? nullptr : "drop view");
        for (const auto& f : db->functions) note(f, "User Defined Function", f.encrypted ? nullptr : "drop function");
        for (const auto& p : db->procedures) note(p, "Stored Procedure", p.encrypted ? nullptr : "drop procedure");
        for (const auto& r : db->rules) note(r, "Rule", "drop rule");
        for (const auto& d : db->defaults) note(d, "Default", "drop default");
        auto check = [&](const model::SchemaObject& o) {
            for (model::ObjectId dep : o.dependsOn) {
                auto u = where.find(dep);
                if (u == where.end() || dep == o.id) continue;
                EXPECT_LT(u->second.first, where[o.id].first) << o.name << " uses " << dep;
                if (u->second.second != std::string::npos && where[o.id].second != std::string::npos) {
                    EXPECT_GT(u->second.second, where[o.id].second) << o.name << " dropped after " << dep;
                }
            }
        };
        // Views and inline functions must follow what they use; procedures may not (they
        // resolve names when they run, and may call each other).
        for (const auto& v : db->views) check(v);
        for (const auto& f : db->functions)
            if (f.kind == model::FunctionKind::InlineTable) check(f);
        for (const auto& t : db->tables)
            for (const auto& fk : t.foreignKeys) {
                std::size_t add = at(s, "ADD CONSTRAINT " + q::identifier(fk.name) + " FOREIGN KEY");
                EXPECT_GT(add, where[t.id].first);
                if (where.count(fk.referencedTableId)) {
                    EXPECT_GT(add, where[fk.referencedTableId].first);
                }
            }
        EXPECT_EQ(s.find("Dependency loop"), std::string::npos) << db->name;
    }
}
