// The application record.
#include "app/support/QMApplication.h"

#include "VersionInfo.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace tavil {
namespace {

TQMVersionInfo version(std::uint16_t languageId, const QString& copyright = QString())
{
    TQMVersionInfo v;
    v.Major = 0;
    v.Minor = 3;
    v.Release = 0;
    v.Build = 52;
    v.LanguageId = languageId;
    v.LegalCopyright = copyright;
    return v;
}

TEST(QMApplication, IdentityAndPlacesOfAnInstalledProgram)
{
    const TQMApplication app = MakeQMApplication(QStringLiteral("/opt/tools/tavil"), version(1033, QStringLiteral("(C) Q")),
                                                 QStringLiteral("/nonexistent/share"));
    EXPECT_EQ(app.ExeName, QStringLiteral("/opt/tools/tavil"));
    EXPECT_EQ(app.ExePath, QStringLiteral("/opt/tools/"));
    EXPECT_EQ(app.RegistryRoot, platform::Hive::LocalMachine);
    EXPECT_EQ(app.FamilyKey, QStringLiteral("Software\\Quillomere\\Quillomere SQL Server Tools"));
    EXPECT_EQ(app.AppKey, QStringLiteral("Software\\Quillomere\\Quillomere SQL Server Tools\\Tavilor"));
    EXPECT_EQ(app.FamilyName, QStringLiteral("Quillomere SQL Server Tools"));
    EXPECT_EQ(app.FullName, QStringLiteral("Quillomere Tavilor"));
    EXPECT_EQ(app.ReleaseLabel, QStringLiteral("Beta 3"));
    EXPECT_EQ(app.Version, QStringLiteral("0.3.0 Build 52"));
    EXPECT_EQ(app.LanguageId, 1);
    EXPECT_EQ(app.Copyright, QStringLiteral("(C) Q"));
    EXPECT_FALSE(app.Credits.isEmpty());
    EXPECT_EQ(app.DialogFont, QStringLiteral("Tahoma"));
    EXPECT_EQ(app.AccentColor & 0xFFFFFF, 0x3A6EA5u);  // red 58, green 110, blue 165
    // Neither beside the program nor in the data folder: the names beside the program.
    EXPECT_EQ(app.HelpFile, QStringLiteral("/opt/tools/help/index.html"));
    EXPECT_EQ(app.TipFile, QStringLiteral("/opt/tools/tavil.tip"));
    EXPECT_TRUE(app.WebAddress.startsWith(QLatin1String("https://")));
    EXPECT_TRUE(app.SupportAddress.contains(QLatin1Char('@')));
}

TEST(QMApplication, LanguageAndVersionFromTheVersionInformation)
{
    const QString exe = QStringLiteral("/x/tavil");
    EXPECT_EQ(MakeQMApplication(exe, version(2070)).LanguageId, 0);
    EXPECT_EQ(MakeQMApplication(exe, version(1046)).LanguageId, 0);
    EXPECT_EQ(MakeQMApplication(exe, version(2058)).LanguageId, 1);

    const TQMApplication bare = MakeQMApplication(exe, std::nullopt);
    EXPECT_EQ(bare.Version, QStringLiteral("0.0.0"));
    EXPECT_EQ(bare.LanguageId, 1);
    EXPECT_TRUE(bare.Copyright.contains(QLatin1String("Quillomere")));
    EXPECT_EQ(MakeQMApplication(exe, version(1033)).Copyright, bare.Copyright);  // no copyright text: the default
}

TEST(QMApplication, HelpAndTipsAreFoundBesideTheProgramThenInTheDataFolder)
{
    QTemporaryDir bin;
    QTemporaryDir data;
    const QString exe = bin.filePath(QStringLiteral("tavil.bin"));
    QDir(data.path()).mkpath(QStringLiteral("help"));
    for (const QString& f : {data.filePath(QStringLiteral("tavil.tip")), data.filePath(QStringLiteral("help/index.html"))}) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    TQMApplication app = MakeQMApplication(exe, version(1033), data.path());
    EXPECT_EQ(app.TipFile, data.filePath(QStringLiteral("tavil.tip")));
    EXPECT_EQ(app.HelpFile, data.filePath(QStringLiteral("help/index.html")));

    QFile beside(bin.filePath(QStringLiteral("tavil.tip")));
    ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
    beside.close();
    app = MakeQMApplication(exe, version(1033), data.path());
    EXPECT_EQ(app.ExePath, bin.path() + QLatin1Char('/'));
    EXPECT_EQ(app.TipFile, bin.filePath(QStringLiteral("tavil.tip")));
}

TEST(QMApplication, TheProcessRecordDescribesTheRunningProgram)
{
    const TQMApplication& app = QMApp();
    EXPECT_EQ(&app, &QMApp());
    EXPECT_EQ(QFileInfo(app.ExeName).canonicalFilePath(), QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
    EXPECT_EQ(app.ExePath, QFileInfo(app.ExeName).absolutePath() + QLatin1Char('/'));
    EXPECT_EQ(app.Version, QStringLiteral("%1.%2.%3 Build %4")
                               .arg(TAVIL_VERSION_MAJOR)
                               .arg(TAVIL_VERSION_MINOR)
                               .arg(TAVIL_VERSION_PATCH)
                               .arg(TAVIL_VERSION_BUILD));
    EXPECT_EQ(app.LanguageId, DialogLanguage(TAVIL_LANGUAGE_ID));
    EXPECT_EQ(app.Copyright, QStringLiteral(TAVIL_LEGAL_COPYRIGHT));
}

}  // namespace
}  // namespace tavil
