// The registry helpers over the process-wide store, in a configuration folder of the test's own.
#include "app/support/QMRegistry.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <climits>

namespace tavil {
namespace {

constexpr Hive kRoot = Hive::LocalMachine;
const QString kKey = QStringLiteral("Software\\Quillomere\\Test");

class QMRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(config_.isValid());
        ::setenv("XDG_CONFIG_HOME", QFile::encodeName(config_.path()).constData(), 1);
        platform::SettingsStore::reopenAll();
    }

    QTemporaryDir config_;
};

TEST_F(QMRegistryTest, ReadsGiveTheDefaultWhenMissingOrOfAnotherType)
{
    RegWriteString(kRoot, kKey, QStringLiteral("Text"), QStringLiteral("7"));
    RegWriteInteger(kRoot, kKey, QStringLiteral("Number"), 7);
    const QString missingKey = kKey + QStringLiteral("\\Missing");
    for (const QString& key : {kKey, missingKey}) {
        EXPECT_EQ(RegReadString(kRoot, key, QStringLiteral("Number"), QStringLiteral("dflt")), QStringLiteral("dflt"));
        EXPECT_EQ(RegReadInteger(kRoot, key, QStringLiteral("Text"), 42), 42);
        EXPECT_TRUE(RegReadBool(kRoot, key, QStringLiteral("Text"), true));
        EXPECT_EQ(RegReadString(kRoot, key, QStringLiteral("Nothing"), QStringLiteral("dflt")), QStringLiteral("dflt"));
    }
    EXPECT_EQ(RegReadString(kRoot, kKey, QStringLiteral("Text"), QString()), QStringLiteral("7"));
    EXPECT_TRUE(RegReadBool(kRoot, kKey, QStringLiteral("Number"), false));  // non-zero is true
    EXPECT_EQ(RegReadString(kRoot, QStringLiteral("Bad\\\\Key"), QStringLiteral("x"), QStringLiteral("dflt")), QStringLiteral("dflt"));
}

TEST_F(QMRegistryTest, IntegersAndBooleansRoundTrip)
{
    for (int v : {0, 1, -1, INT_MAX, INT_MIN}) {
        EXPECT_TRUE(RegWriteInteger(kRoot, kKey, QStringLiteral("I"), v));
        EXPECT_EQ(RegReadInteger(kRoot, kKey, QStringLiteral("I"), 99), v);
    }
    EXPECT_EQ(platform::SettingsStore::hive(kRoot).readDword(kKey.toStdString(), "I"), 0x80000000u);
    RegWriteBool(kRoot, kKey, QStringLiteral("B"), true);
    EXPECT_EQ(platform::SettingsStore::hive(kRoot).readDword(kKey.toStdString(), "B"), 1u);
    RegWriteBool(kRoot, kKey, QStringLiteral("B"), false);
    EXPECT_FALSE(RegReadBool(kRoot, kKey, QStringLiteral("B"), true));
    const QString text = QStringLiteral("caf\u00e9 \"C:\\x\"\nline");
    RegWriteString(kRoot, kKey, QStringLiteral("S"), text);
    EXPECT_EQ(RegReadString(kRoot, kKey, QStringLiteral("S"), QString()), text);
}

TEST_F(QMRegistryTest, ValueNameListsReplaceTheSubkeyWhole)
{
    const QString sub = QStringLiteral("MRU");
    EXPECT_TRUE(RegReadValueNames(kRoot, kKey, sub).isEmpty());
    RegWriteValueNames(kRoot, kKey, sub, {QStringLiteral("/a/one.qvx"), QStringLiteral("/a/two.qvx"), QStringLiteral("/a/three.qvx")});
    RegWriteString(kRoot, kKey + QStringLiteral("\\MRU\\Inner"), QStringLiteral("x"), QStringLiteral("y"));

    const QStringList second = {QStringLiteral("/b/Z.qvx"), QStringLiteral("/b/z.qvx"), QStringLiteral("/a/one.qvx")};
    EXPECT_TRUE(RegWriteValueNames(kRoot, kKey, sub, second));
    EXPECT_EQ(RegReadValueNames(kRoot, kKey, sub), second);
    EXPECT_FALSE(platform::SettingsStore::hive(kRoot).keyExists((kKey + QStringLiteral("\\MRU\\Inner")).toStdString()));
    EXPECT_EQ(RegReadString(kRoot, kKey + QStringLiteral("\\MRU"), QStringLiteral("/b/Z.qvx"), QStringLiteral("dflt")), QString());

    EXPECT_TRUE(RegWriteValueNames(kRoot, kKey, sub, {}));
    EXPECT_TRUE(RegReadValueNames(kRoot, kKey, sub).isEmpty());
    EXPECT_TRUE(platform::SettingsStore::hive(kRoot).keyExists((kKey + QStringLiteral("\\MRU")).toStdString()));
}

TEST_F(QMRegistryTest, ListExistsAndDeleteValues)
{
    RegWriteString(kRoot, kKey, QStringLiteral("Tool0"), QStringLiteral("a"));
    RegWriteString(kRoot, kKey, QStringLiteral("Tool1"), QStringLiteral("b"));
    RegWriteString(kRoot, kKey + QStringLiteral("\\Sub"), QStringLiteral("kept"), QStringLiteral("c"));

    QStringList names = {QStringLiteral("already")};
    RegListValueNames(kRoot, kKey, names);
    EXPECT_EQ(names, (QStringList{QStringLiteral("already"), QStringLiteral("Tool0"), QStringLiteral("Tool1")}));
    EXPECT_TRUE(RegValueExists(kRoot, kKey, QStringLiteral("Tool1")));
    EXPECT_FALSE(RegValueExists(kRoot, kKey, QStringLiteral("Tool2")));
    EXPECT_FALSE(RegValueExists(kRoot, kKey + QStringLiteral("\\Missing"), QStringLiteral("Tool1")));

    RegDeleteValues(kRoot, kKey);
    RegDeleteValues(kRoot, kKey + QStringLiteral("\\Missing"));  // nothing happens
    EXPECT_FALSE(RegValueExists(kRoot, kKey, QStringLiteral("Tool0")));
    EXPECT_TRUE(RegValueExists(kRoot, kKey + QStringLiteral("\\Sub"), QStringLiteral("kept")));
    EXPECT_FALSE(platform::SettingsStore::hive(kRoot).keyExists((kKey + QStringLiteral("\\Missing")).toStdString()));
}

TEST_F(QMRegistryTest, ABatchReachesTheFileAtItsEnd)
{
    const QString file = QString::fromStdString(platform::SettingsStore::hive(kRoot).filePath());
    {
        TQMRegistryBatch batch(kRoot);
        RegWriteInteger(kRoot, kKey, QStringLiteral("A"), 1);
        RegWriteInteger(kRoot, kKey, QStringLiteral("B"), 2);
        EXPECT_FALSE(QFile::exists(file));
    }
    ASSERT_TRUE(QFile::exists(file));
    platform::SettingsStore fresh(kRoot, file.toStdString());
    EXPECT_EQ(fresh.readDword(kKey.toStdString(), "B"), 2u);
}

}  // namespace
}  // namespace tavil
