// Registering the installed scripting component.
#include "app/support/setup/QMComponentSetup.h"

#include "app/support/QMApplication.h"
#include "app/support/QMTools.h"
#include "component/KorvaInterface.h"
#include "platform/SettingsStore.h"

#include "VersionInfo.h"

#include <dlfcn.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tavil {

namespace {

QString registeredLibrary()
{
    const std::string key = "CLSID\\" + korva::ids::CLSID_Scripter.toString() + "\\InprocServer32";
    const auto path = platform::SettingsStore::hive(platform::Hive::ClassesRoot).readString(key, "");
    return path ? QString::fromStdString(*path) : QString();
}

}  // namespace

QStringList InstalledComponentCandidates(const QString& exePath)
{
    const QString library = QString::fromLatin1(korva::kLibraryName);
    QStringList list;
    auto add = [&](const QString& folder) {
        const QString path = QDir::cleanPath(QDir(folder).absoluteFilePath(library));
        if (!list.contains(path)) list << path;
    };
    add(IncludeTrailingBackslash(exePath) + QStringLiteral(TAVIL_COMPONENT_RELATIVE_DIR));
    add(QStringLiteral(TAVIL_INSTALL_LIBDIR));
    return list;
}

TComponentSetup EnsureComponentRegistered() { return EnsureComponentRegistered(QMApp().ExePath); }

TComponentSetup EnsureComponentRegistered(const QString& exePath)
{
    TComponentSetup setup;
    try {
        const QString registered = registeredLibrary();
        if (!registered.isEmpty() && QFileInfo(registered).isFile()) {
            setup.Result = TComponentSetup::AlreadyRegistered;
            setup.Library = registered;
            return setup;
        }
        // A build tree (or a program unpacked with its libraries) finds the component beside
        // itself; registering it would make other copies of the program load this one.
        const QString beside = IncludeTrailingBackslash(exePath) + QString::fromLatin1(korva::kLibraryName);
        if (QFileInfo(beside).isFile()) {
            setup.Result = TComponentSetup::BesideProgram;
            setup.Library = beside;
            return setup;
        }
        for (const QString& candidate : InstalledComponentCandidates(exePath)) {
            const QFileInfo info(candidate);
            if (!info.isFile()) continue;
            // The component registers the path it was loaded from: load it by its real path.
            setup.Library = info.canonicalFilePath();
            void* handle = dlopen(QFile::encodeName(setup.Library).constData(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) {
                const char* text = dlerror();
                setup.Result = TComponentSetup::Failed;
                setup.Error = text ? QString::fromLocal8Bit(text) : QStringLiteral("%1 cannot be loaded.").arg(setup.Library);
                return setup;
            }
            auto registerServer = reinterpret_cast<korva::RegisterServerFn>(dlsym(handle, korva::kRegisterServer));
            if (!registerServer) {
                setup.Result = TComponentSetup::Failed;
                setup.Error = QStringLiteral("%1 is not the scripting component.").arg(setup.Library);
            } else if (!korva::succeeded(registerServer())) {
                setup.Result = TComponentSetup::Failed;
                setup.Error = QStringLiteral("%1 could not register itself in the settings store.").arg(setup.Library);
            } else {
                setup.Result = TComponentSetup::Registered;
            }
            // The store's file was written by the component's own copy of the store.
            platform::SettingsStore::hive(platform::Hive::ClassesRoot).reload();
            return setup;
        }
        setup.Result = TComponentSetup::NotFound;
    } catch (...) {
        setup.Result = TComponentSetup::Failed;
        if (setup.Error.isEmpty()) setup.Error = QStringLiteral("The component could not be registered.");
    }
    return setup;
}

}  // namespace tavil
