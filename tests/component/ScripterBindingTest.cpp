// The program's binding TScripter: finds and loads libkorva.so with dlopen (registered path or
// beside the executable), wraps the Scripter and turns failures into EScripterError.
#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <vector>

#include "app/runs/TScripter.h"
#include "platform/SettingsStore.h"
#include "sqldmo/rows/RowConnection.h"
#include "tests/component/KorvaLoader.h"
#include "tests/component/SnapshotFixture.h"
#include "sqldmo/objects/Sqldmo.h"
#include "tests/component/TempConfig.h"

namespace {

korvatest::TempConfig gConfig;  // before anything reads the settings store

using tavil::EScripterError;
using tavil::TScripter;
using tavil::platform::Hive;
using tavil::platform::SettingsStore;

const std::string kServerKey = "CLSID\\" + korva::ids::CLSID_Scripter.toString() + "\\InprocServer32";

QString beside() { return QString::fromStdString(korvatest::executableFolder() + "/libkorva.so"); }

TEST(ScripterBinding, LoadsTheLibraryBesideTheExecutable) {
    EXPECT_EQ(TScripter::LibraryPath(), beside());
    EXPECT_TRUE(tavil::IsScripterInstalled());

    TScripter s;
    EXPECT_NE(s.Server(), nullptr);
    s.Settings().SetBlockingTimeout(30);
    EXPECT_EQ(s.Settings().BlockingTimeout(), 30);
    s.Connection().SetDatabaseName(QStringLiteral("(default)"));
    EXPECT_EQ(s.Connection().DatabaseName(), QStringLiteral("(default)"));
    s.Connection().SetWindowsAuthentication(true);
    EXPECT_TRUE(s.Connection().WindowsAuthentication());
    EXPECT_FALSE(s.AdvancedOptions().ScriptTableIncludeColumnNames());
    s.Dependencies().Add(QStringLiteral("[dbo].[\u00c5rsplan]"));
    EXPECT_EQ(s.Dependencies().Count(), 1);
    EXPECT_EQ(s.Dependencies().Item(1), QStringLiteral("[dbo].[\u00c5rsplan]"));
}

TEST(ScripterBinding, FailuresCarryTheComponentsDescription) {
    TScripter s;
    try {
        s.Dependencies().Item(1);
        FAIL() << "Item(1) of an empty list";
    } catch (const EScripterError& e) {
        EXPECT_EQ(e.Number, korva::errors::SubscriptOutOfRange);
        EXPECT_EQ(e.Severity, tavil::EQMException::Warning);
        EXPECT_TRUE(e.Message.startsWith(QStringLiteral("Subscript out of range"))) << e.Message.toStdString();
    }
    try {
        s.GenerateScript();
        FAIL() << "nothing to script";
    } catch (const EScripterError& e) {
        EXPECT_EQ(e.Source, QStringLiteral("_GenerateScript"));
        EXPECT_EQ(e.Number, korva::errors::DivisionByZero);
        EXPECT_FALSE(e.Message.isEmpty());
    }
}

TEST(ScripterBinding, RegistrationPointsTheProgramAtTheLibrary) {
    const auto& lib = korvatest::library();
    ASSERT_EQ(lib.registerServer(), korva::status::Ok);
    SettingsStore& store = SettingsStore::hive(Hive::ClassesRoot);
    store.reload();
    EXPECT_EQ(store.readString(kServerKey, ""), lib.path);
    EXPECT_EQ(store.readString(kServerKey, "ThreadingModel"), std::string("Apartment"));
    EXPECT_EQ(store.readString("KORVA.Scripter\\CLSID", ""), korva::ids::CLSID_Scripter.toString());
    EXPECT_TRUE(store.keyExists("Interface\\" + korva::ids::IID_Scripter.toString()));
    EXPECT_TRUE(store.keyExists("TypeLib\\" + korva::ids::LIBID_KORVA.toString() + "\\3.0"));
    EXPECT_EQ(TScripter::LibraryPath(), QString::fromStdString(lib.path));

    ASSERT_EQ(lib.unregisterServer(), korva::status::Ok);
    store.reload();
    EXPECT_FALSE(store.keyExists("CLSID\\" + korva::ids::CLSID_Scripter.toString()));
    EXPECT_FALSE(store.keyExists("TypeLib\\" + korva::ids::LIBID_KORVA.toString()));
    EXPECT_EQ(TScripter::LibraryPath(), beside());
}

TEST(ScripterBinding, AStaleRegistrationFallsBackBesideTheExecutable) {
    SettingsStore& store = SettingsStore::hive(Hive::ClassesRoot);
    ASSERT_TRUE(store.writeString(kServerKey, "", gConfig.path() + "/gone/libkorva.so"));
    EXPECT_TRUE(tavil::IsScripterInstalled());
    TScripter s;
    EXPECT_EQ(s.Dependencies().Count(), 0);
}

// A whole run as the program makes it, with both event handlers set.
TEST(ScripterBinding, ARunWithEvents) {
    korvatest::SnapshotFixture shop({{"Plain", {korvatest::column("a", "int")}, {{sqldmo::Value::ofInteger(sqldmo::SqlType::Int, 3)}}}});
    TScripter s;
    std::vector<int> percents;
    QStringList messages;
    s.OnScriptTransferPercentComplete = [&](TScripter* sender, int percent) {
        EXPECT_EQ(sender, &s);
        percents.push_back(percent);
    };
    s.OnScriptTransferMessage = [&](TScripter*, const QString& message) { messages << message; };
    s.Settings().SetLoginTimeout(-1);
    s.Settings().SetQueryTimeout(0);
    s.Settings().SetBlockingTimeout(-1);
    s.Settings().SetNetPacketSize(4096);
    s.Connection().SetServerName(QString::fromStdString(shop.serverName()));
    s.Connection().SetUsername(QStringLiteral("sa"));
    s.Connection().SetDatabaseName(QStringLiteral("Shop"));
    s.AddTable(QStringLiteral("dbo"), QStringLiteral("Plain"));
    s.TableOptions().SetScriptSchema(true);
    s.TableOptions().SetScriptData(true);
    s.FormatOptions().SetGenerateCreateCommand(true);
    s.EstablishConnection();
    ASSERT_TRUE(s.Server()->isConnected());
    EXPECT_EQ(s.Server()->databases().item("Shop").tables().count(), 1);
    s.Dependencies().Add(QStringLiteral("[dbo].[Plain]"));
    const QString script = s.GenerateScript();
    s.CloseConnection();
    EXPECT_TRUE(script.contains(QStringLiteral("CREATE TABLE [dbo].[Plain]"))) << script.toStdString();
    EXPECT_TRUE(script.endsWith(QStringLiteral("INSERT INTO [dbo].[Plain] VALUES (3)\r\n"
                                               "ALTER TABLE [dbo].[Plain] ENABLE TRIGGER ALL\r\n"
                                               "ALTER TABLE [dbo].[Plain] CHECK CONSTRAINT ALL\r\nGO\r\n\r\n")))
        << script.toStdString();
    ASSERT_GE(percents.size(), 3u);
    EXPECT_EQ(percents.front(), 5);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(messages.contains(QStringLiteral("Scripting [dbo].[Plain] data...")));
}

TEST(ScripterBinding, AdoStandInIsTheRowLayer) { EXPECT_EQ(tavil::IsAdoInstalled(), sqldmo::rowLayerAvailable()); }

}  // namespace
