// The sample database, served over TDS from its snapshot, reads back equal; a snapshot written
// from the live backend holds what the first one held.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <unistd.h>

#include "samples/bookshop/SampleBuilder.h"
#include "sqldmo/snapshot/Snapshot.h"
#include "tests/tds/Harness.h"
#include "tests/tdsserver/ModelText.h"

namespace tdstest {
namespace {

namespace fs = std::filesystem;
using namespace sqldmo;

// Where a catalogue built by hand says things differently from a live server, the hand-built
// one is brought to the server's way of saying them; each difference is one named step.
void asALiveServerSaysIt(model::Database& db, int versionMajor) {
    // Extended property values are sql_variants carrying the declared length of character and
    // binary values.
    auto variantOf = [](std::vector<model::ExtendedProperty>& ps) {
        for (auto& p : ps) {
            p.value.variant = true;
            const SqlType t = p.value.type;
            if (p.value.maxLength == 0 && (t == SqlType::Char || t == SqlType::VarChar || t == SqlType::NChar ||
                                           t == SqlType::NVarChar || t == SqlType::Binary || t == SqlType::VarBinary))
                p.value.maxLength = static_cast<int>(p.value.text.size());
        }
    };
    // Precision and scale belong to decimal and numeric only, a length to the character and
    // binary types only.
    auto exactOnly = [](const std::string& base, int& length, int& precision, int& scale) {
        SqlType t = sqlTypeFromName(base);
        if (t != SqlType::Decimal && t != SqlType::Numeric) precision = scale = 0;
        if (t != SqlType::Char && t != SqlType::VarChar && t != SqlType::NChar && t != SqlType::NVarChar &&
            t != SqlType::Binary && t != SqlType::VarBinary)
            length = 0;
    };
    // A user-defined type is numbered by its negated user type id; uses of types are recorded
    // from 2008 on only.
    std::map<model::ObjectId, model::ObjectId> typeIds;
    for (auto& t : db.types) {
        model::ObjectId live = t.id > 0 ? -t.id : t.id;
        typeIds[t.id] = live;
        t.id = live;
        exactOnly(t.baseType, t.length, t.precision, t.scale);
        variantOf(t.properties);
    }
    auto deps = [&](model::SchemaObject& o) {
        std::vector<model::ObjectId> kept;
        for (auto d : o.dependsOn) {
            auto it = typeIds.find(d);
            if (it == typeIds.end()) kept.push_back(d);
            else if (versionMajor >= 10) kept.push_back(it->second);
        }
        o.dependsOn = kept;
        variantOf(o.properties);
    };
    variantOf(db.properties);
    for (auto& t : db.tables) {
        deps(t);
        for (auto& c : t.columns) {
            exactOnly(c.baseType.empty() ? c.dataType : c.baseType, c.length, c.precision, c.scale);
            variantOf(c.properties);
        }
        if (t.primaryKey) variantOf(t.primaryKey->properties);
        for (auto& u : t.uniqueConstraints) variantOf(u.properties);
        for (auto& f : t.foreignKeys) variantOf(f.properties);
        for (auto& k : t.checks) variantOf(k.properties);
        for (auto& i : t.indexes) variantOf(i.properties);
        for (auto& g : t.triggers) deps(g);
    }
    for (auto& v : db.views) {
        deps(v);
        for (auto& i : v.indexes) variantOf(i.properties);
        for (auto& g : v.triggers) deps(g);
    }
    for (auto& p : db.procedures) deps(p);
    for (auto& f : db.functions) deps(f);
    for (auto& d : db.defaults) deps(d);
    for (auto& r : db.rules) deps(r);
}

// money and smallmoney values come from a server with their four decimals; a NULL carries its
// column's type.
Value asALiveServerSendsIt(Value v, SqlType column) {
    if (v.isNull()) v.type = column;
    if (v.kind == Value::Kind::Exact && (v.type == SqlType::Money || v.type == SqlType::SmallMoney)) {
        std::size_t dot = v.text.find('.');
        if (dot == std::string::npos) v.text += ".";
        dot = v.text.find('.');
        while (v.text.size() - dot - 1 < 4) v.text += "0";
    }
    return v;
}

std::string rowsOf(sqldmo::ServerBackend& b, const sqldmo::model::Database& db, const sqldmo::model::Table& t,
                   bool normalise = false) {
    std::string sql = "SELECT ";
    for (std::size_t i = 0; i < t.columns.size(); ++i) sql += (i ? ", " : "") + bracket(t.columns[i].name);
    sql += " FROM " + bracket(t.owner) + "." + bracket(t.name);
    auto rs = b.query(db.name, sql);
    std::string out;
    while (rs->next()) {
        for (std::size_t i = 0; i < rs->columns().size(); ++i)
            out += valueText(normalise ? asALiveServerSendsIt(rs->value(i), rs->columns()[i].type) : rs->value(i)) + " | ";
        out += "\n";
    }
    return out;
}

TEST(SnapshotOverTds, TheSampleReadsBackEqual) {
    const fs::path dir = fs::temp_directory_path() / ("tavil-tds-snap-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string original = (dir / "bookshop.snapshot").string();
    const std::string copy = (dir / "copy.snapshot").string();

    const auto server = sample::bookshopServer();
    const auto& bookshop = *server.databases.back();
    const auto rows = sample::bookshopRows(bookshop);
    sqldmo::snapshot::writeSnapshot(original, server, [&](const sqldmo::model::Database& db, const sqldmo::model::Table& t,
                                                          sqldmo::snapshot::RowWriter& out) {
        if (db.name != bookshop.name) return;
        for (const auto& row : rows.at(t.name)) out.add(row);
    });

    sqldmo::LoginOptions asSa;
    asSa.login = "sa";
    std::shared_ptr<sqldmo::ServerBackend> snapshot = sqldmo::openServerBackend("file:" + original, asSa);
    auto data = std::make_shared<BackendData>(snapshot);
    Running run(data);
    auto live = run.open();

    ASSERT_EQ(live->databaseNames(), snapshot->databaseNames());
    for (const auto& name : snapshot->databaseNames()) {
        SCOPED_TRACE(name);
        auto expected = std::make_shared<model::Database>(*snapshot->database(name));
        asALiveServerSaysIt(*expected, server.versionMajor);
        auto got = live->database(name);
        EXPECT_EQ(databaseText(*expected), databaseText(*got));
        for (const auto& t : expected->tables) {
            SCOPED_TRACE(t.name);
            EXPECT_EQ(rowsOf(*snapshot, *expected, t, true), rowsOf(*live, *got, t));
        }
    }

    // The snapshot writer over the live backend.
    sqldmo::snapshot::writeSnapshot(copy, *live);
    const auto a = sqldmo::snapshot::readSnapshot(original);
    const auto b = sqldmo::snapshot::readSnapshot(copy);
    // The copy was read with the login sa.
    model::Server expectedServer = a;
    expectedServer.login = "sa";
    EXPECT_EQ(serverText(expectedServer), serverText(b));
    ASSERT_EQ(a.databases.size(), b.databases.size());
    for (std::size_t i = 0; i < a.databases.size(); ++i) {
        model::Database expected = *a.databases[i];
        asALiveServerSaysIt(expected, server.versionMajor);
        EXPECT_EQ(databaseText(expected), databaseText(*b.databases[i]));
    }
    auto copied = sqldmo::openServerBackend("file:" + copy, asSa);
    auto db = copied->database(bookshop.name);
    for (const auto& t : db->tables) EXPECT_EQ(rowsOf(*snapshot, *db, t, true), rowsOf(*copied, *db, t)) << t.name;
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tdstest
