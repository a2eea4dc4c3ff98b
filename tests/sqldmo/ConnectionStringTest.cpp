// Connection strings: ADO's parsing rules, quoting of hostile values, and the row connection
// opened from a string over a snapshot.
#include <gtest/gtest.h>

#include "Fixtures.h"
#include "sqldmo/Error.h"
#include "sqldmo/rows/ConnectionString.h"
#include "sqldmo/rows/RowConnection.h"

using namespace sqldmo;

TEST(ConnectionString, ParsesKeysAndValuesByAdoRules) {
    const auto cs = ConnectionString::parse(
        "Provider=SQLOLEDB.1; integrated security = SSPI ;Initial Catalog=\"a;b=\"\"c\"\"\";"
        "Data Source=' spaced ' ;Empty=;Key==With==Equals=v=w;;Application Name=Quillomere Korvane;"
        "DATA SOURCE=later");
    EXPECT_EQ(cs.valueOr("provider", "?"), "SQLOLEDB.1");
    EXPECT_EQ(cs.valueOr("Integrated Security", "?"), "SSPI");
    EXPECT_EQ(cs.valueOr("Initial Catalog", "?"), "a;b=\"c\"");
    EXPECT_EQ(cs.valueOr("Data Source", "?"), "later") << "a later key replaces an earlier one";
    EXPECT_EQ(cs.valueOr("Empty", "?"), "");
    EXPECT_EQ(cs.valueOr("Key=With=Equals", "?"), "v=w");
    EXPECT_EQ(cs.valueOr("Application Name", "?"), "Quillomere Korvane");
    EXPECT_FALSE(cs.value("Password"));
    EXPECT_EQ(cs.entries().size(), 7u);
}

// A long string of distinct keys (once quadratic in the number of keys): every key kept in the
// order of its first appearance, a repeat in another letter case, accented letters included,
// replacing the value in place.
TEST(ConnectionString, ManyKeysKeepTheirOrderAndLaterValuesWin) {
    constexpr int kKeys = 20000;
    std::string text;
    for (int i = 0; i < kKeys; ++i) text += "Key\xC3\x9C" + std::to_string(i) + "=v" + std::to_string(i) + ";";
    text += "key\xC3\xBC" "7=seven;KEY\xC3\x9C" "19999=last";
    const auto cs = ConnectionString::parse(text);
    ASSERT_EQ(cs.entries().size(), static_cast<std::size_t>(kKeys));
    EXPECT_EQ(cs.entries()[0].key, "Key\xC3\x9C" "0");
    EXPECT_EQ(cs.entries()[7].key, "Key\xC3\x9C" "7") << "the key keeps its first spelling";
    EXPECT_EQ(cs.entries()[7].value, "seven");
    EXPECT_EQ(cs.entries()[8].value, "v8");
    EXPECT_EQ(cs.entries().back().value, "last");
    EXPECT_EQ(cs.valueOr("KEY\xC3\x9C" "12345", "?"), "v12345");
}

TEST(ConnectionString, MalformedStringsAreRefused) {
    for (const char* text : {"JustAKey", "A=1;B", "A=\"unclosed", "A='x' junk;B=1", "=value"}) {
        try {
            ConnectionString::parse(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), errors::InvalidArgument) << text;
        }
    }
}

TEST(ConnectionString, QuotedValuesCannotInjectKeys) {
    for (const std::string value :
         {"plain", "", "x;Data Source=evil", "a=b", "say \"hi\"", "it's", "'both\" kinds'", " lead", "trail ",
          "\"", ";", "=", "line\r\nbreak", "Ünïcødé"}) {
        SCOPED_TRACE(value);
        const auto quoted = quoteConnectionValue(value);
        if (value == "plain" || value == "Ünïcødé" || value.empty()) {
            EXPECT_EQ(quoted, value) << "left as it is when safe";
        }
        const auto cs = ConnectionString::parse("Initial Catalog=" + quoted + ";Data Source=server");
        EXPECT_EQ(cs.valueOr("Initial Catalog", "?"), value);
        EXPECT_EQ(cs.valueOr("Data Source", "?"), "server");
        EXPECT_EQ(cs.entries().size(), 2u);
    }
}

namespace {

std::string shopSnapshot(const fixtures::TempDir& dir, const std::string& name) {
    model::Server s;
    s.logins = {{"sa", "Shop", "", false, false, false}};
    auto db = std::make_shared<model::Database>();
    db->name = "Shop; Ltd";
    db->tables = {fixtures::table(1, "dbo", "T", {fixtures::column("A", "int")})};
    s.databases = {db};
    const auto path = dir.file(name);
    snapshot::writeSnapshot(path, s, [](const model::Database&, const model::Table&, snapshot::RowWriter& w) {
        w.add({Value::ofInteger(SqlType::Int, 42)});
    });
    return path;
}

}  // namespace

TEST(RowConnection, OpensASnapshotFromTheComponentsString) {
    fixtures::TempDir dir;
    const auto path = shopSnapshot(dir, "odd;name=x.snapshot");
    const std::string cs = "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=" +
                           quoteConnectionValue("Shop; Ltd") + ";Data Source=" + quoteConnectionValue("file:" + path) +
                           ";Packet Size=4096;Application Name=Quillomere Korvane";
    auto connection = openRowConnection(cs, "ignored", "ignored", {});
    auto rows = connection->execute("SELECT [A] FROM [dbo].[T]");
    ASSERT_TRUE(rows->next());
    EXPECT_EQ(rows->value(0).integer, 42);
    EXPECT_FALSE(rows->next());

    const struct {
        std::string text;
        std::string user;
        std::int32_t number;
    } failures[] = {
        {"Provider=SQLOLEDB.1;Initial Catalog=Nope;Data Source=" + quoteConnectionValue("file:" + path), "sa", 4060},
        {"Provider=SQLOLEDB.1;Initial Catalog=Shop;Data Source=" + quoteConnectionValue("file:" + path), "nobody",
         errors::LoginFailed},
        {"Provider=Other.1;Data Source=x", "sa", errors::ConnectionFailed},
        {"Provider=SQLOLEDB.1;Packet Size=big;Data Source=x", "sa", errors::InvalidArgument},
        // Unquoted, the ";" in the path and in the name split the string: refused, never read
        // as other keys.
        {"Provider=SQLOLEDB.1;Data Source=file:" + path + ";Initial Catalog=Shop; Ltd", "sa", errors::InvalidArgument},
    };
    for (const auto& f : failures) {
        try {
            openRowConnection(f.text, f.user, "pw", {});
            ADD_FAILURE() << "opened: " << f.text;
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), f.number) << f.text << ": " << e.description();
        }
    }
    EXPECT_TRUE(rowLayerAvailable());
}
