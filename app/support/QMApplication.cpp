// The application record: the program's identity and the places it uses.
#include "app/support/QMApplication.h"

#include "app/support/QMTools.h"
#include "platform/ProgramVersion.h"

#include "VersionInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tavil {

namespace {

const char* const kDefaultCopyright = "Copyright (C) 2001-2026 Quillomere. All rights reserved.";
const char* const kCredits =
    "Quillomere Tavilor writes Transact-SQL scripts of Microsoft SQL Server databases. "
    "Built with Qt, FreeTDS, SQLite and Crypto++. Thanks to everyone who tried the betas and told us what broke.";

QString runningProgram()
{
    if (QCoreApplication::instance()) {
        const QString path = QCoreApplication::applicationFilePath();
        if (!path.isEmpty()) return path;
    }
    const QString target = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return target.isEmpty() ? QStringLiteral("tavil") : target;
}

// The first of the candidates that exists, else the first.
QString firstExisting(const QStringList& candidates)
{
    for (const QString& c : candidates)
        if (QFileInfo::exists(c)) return c;
    return candidates.value(0);
}

}  // namespace

std::optional<TQMVersionInfo> CompiledVersionInfo()
{
    const auto v = platform::compiledVersion();
    if (!v) return std::nullopt;
    TQMVersionInfo info;
    info.Major = v->major;
    info.Minor = v->minor;
    info.Release = v->release;
    info.Build = v->build;
    info.LanguageId = v->languageId;
    info.LegalCopyright = QString::fromStdString(v->legalCopyright);
    return info;
}

std::uint8_t DialogLanguage(std::uint16_t languageId) { return (languageId == 2070 || languageId == 1046) ? 0 : 1; }

TQMApplication MakeQMApplication(const QString& exeName, const std::optional<TQMVersionInfo>& version, const QString& dataFolder)
{
    const QString data = dataFolder.isEmpty() ? QStringLiteral(TAVIL_INSTALL_DATADIR) : dataFolder;
    TQMApplication app;
    app.ExeName = exeName;
    app.ExePath = IncludeTrailingBackslash(QFileInfo(exeName).absolutePath());
    app.RegistryRoot = platform::Hive::LocalMachine;
    app.FamilyKey = QStringLiteral("Software\\Quillomere\\Quillomere SQL Server Tools");
    app.AppKey = app.FamilyKey + QStringLiteral("\\Tavilor");
    app.FamilyName = QStringLiteral("Quillomere SQL Server Tools");
    app.ReleaseLabel = QStringLiteral("Beta 3");
    app.FullName = QStringLiteral("Quillomere Tavilor");
    app.Version = version ? QString::asprintf("%d.%d.%d Build %d", version->Major, version->Minor, version->Release, version->Build)
                          : QStringLiteral("0.0.0");
    app.LanguageId = version ? DialogLanguage(version->LanguageId) : 1;
    app.Icon = QStringLiteral(":/tavil/tavil.png");
    app.Copyright = version && !version->LegalCopyright.isEmpty() ? version->LegalCopyright : QString::fromLatin1(kDefaultCopyright);
    app.Credits = QString::fromLatin1(kCredits);
    app.DialogFont = QStringLiteral("Tahoma");
    // Help is a folder of HTML topics, "help", beside the program or in the data folder.
    // An installation moved to another prefix (or unpacked below DESTDIR) has its data folder
    // beside the program's bin folder.
    const QString relativeData = QDir::cleanPath(app.ExePath + QStringLiteral("../share/tavilor")) + QLatin1Char('/');
    app.HelpFile = firstExisting({app.ExePath + QStringLiteral("help/index.html"), relativeData + QStringLiteral("help/index.html"),
                                  IncludeTrailingBackslash(data) + QStringLiteral("help/index.html")});
    app.WebAddress = QStringLiteral("https://www.quillomere.example/");
    app.SupportAddress = QStringLiteral("support@quillomere.example");
    app.AccentColor = 0xFF3A6EA5;
    const QString tip = QFileInfo(exeName).completeBaseName() + QStringLiteral(".tip");
    app.TipFile = firstExisting({app.ExePath + tip, relativeData + tip, IncludeTrailingBackslash(data) + tip});
    return app;
}

const TQMApplication& QMApp()
{
    static const TQMApplication app = MakeQMApplication(runningProgram(), CompiledVersionInfo());
    return app;
}

}  // namespace tavil
