// The library's entry points: registration in the settings store, object creation by class
// id, the unload test and the error information.
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <string>
#include <utility>
#include <vector>

#include "component/ComError.h"
#include "component/KorvaInterface.h"
#include "component/ScripterObject.h"
#include "platform/SettingsStore.h"

#define KORVA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

using namespace korva;
using tavil::platform::Hive;
using tavil::platform::SettingsStore;

// This library's own path, as the dynamic loader found it.
std::string libraryPath() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&KorvaRegisterServer), &info) || !info.dli_fname) return {};
    // Recorded as an absolute path: the library may have been loaded by a relative one.
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved)) return resolved;
    return info.dli_fname;
}

struct ClassEntry {
    const char* name;
    Guid clsid;
    Guid iid;
};

// The public classes; only Scripter is creatable.
const std::vector<ClassEntry>& classes() {
    static const std::vector<ClassEntry> list = {
        {"Scripter", ids::CLSID_Scripter, ids::IID_Scripter},
        {"Settings", ids::CLSID_Settings, ids::IID_Settings},
        {"Connection", ids::CLSID_Connection, ids::IID_Connection},
        {"TableOptions", ids::CLSID_TableOptions, ids::IID_TableOptions},
        {"FormatOptions", ids::CLSID_FormatOptions, ids::IID_FormatOptions},
        {"AdvancedOptions", ids::CLSID_AdvancedOptions, ids::IID_AdvancedOptions},
        {"Dependencies", ids::CLSID_Dependencies, ids::IID_Dependencies},
    };
    return list;
}

std::vector<std::pair<std::string, Guid>> interfaces() {
    std::vector<std::pair<std::string, Guid>> list;
    for (const ClassEntry& c : classes()) list.emplace_back(std::string("_") + c.name, c.iid);
    list.emplace_back("__Scripter", ids::DIID_ScripterEvents);
    return list;
}

const std::string kTypeLibraryVersion = "3.0";

}  // namespace

KORVA_EXPORT korva::HResult KorvaRegisterServer() {
    return detail::guarded([] {
        const std::string path = libraryPath();
        if (path.empty())
            throw detail::ComError(status::RegistryError, detail::kComponentSource,
                                   "The component cannot tell the path of its own library.");
        SettingsStore& store = SettingsStore::hive(Hive::ClassesRoot);
        const std::string libid = ids::LIBID_KORVA.toString();
        bool ok = true;
        {
            SettingsStore::Batch batch(store);
            for (const ClassEntry& c : classes()) {
                const std::string key = "CLSID\\" + c.clsid.toString();
                const std::string progId = std::string("KORVA.") + c.name;
                ok &= store.writeString(key, "", progId);
                ok &= store.writeString(key + "\\InprocServer32", "", path);
                ok &= store.writeString(key + "\\InprocServer32", "ThreadingModel", "Apartment");
                ok &= store.writeString(key + "\\ProgID", "", progId);
                ok &= store.writeString(key + "\\TypeLib", "", libid);
                ok &= store.writeString(key + "\\VERSION", "", kTypeLibraryVersion);
                ok &= store.writeString(progId, "", progId);
                ok &= store.writeString(progId + "\\CLSID", "", c.clsid.toString());
            }
            for (const auto& [name, iid] : interfaces()) {
                const std::string key = "Interface\\" + iid.toString();
                ok &= store.writeString(key, "", name);
                ok &= store.writeString(key + "\\TypeLib", "", libid);
                ok &= store.writeString(key + "\\TypeLib", "Version", kTypeLibraryVersion);
            }
            const std::string lib = "TypeLib\\" + libid + "\\" + kTypeLibraryVersion;
            ok &= store.writeString(lib, "", "KORVA");
            ok &= store.writeString(lib + "\\0\\linux", "", path);
            ok &= store.writeString(lib + "\\FLAGS", "", "0");
        }
        if (!store.flush() || !ok)
            throw detail::ComError(status::RegistryError, detail::kComponentSource,
                                   "The component could not be registered in " + store.filePath() + ".");
    });
}

KORVA_EXPORT korva::HResult KorvaUnregisterServer() {
    return detail::guarded([] {
        SettingsStore& store = SettingsStore::hive(Hive::ClassesRoot);
        {
            SettingsStore::Batch batch(store);
            for (const ClassEntry& c : classes()) {
                store.deleteKeyTree("CLSID\\" + c.clsid.toString());
                store.deleteKeyTree(std::string("KORVA.") + c.name);
            }
            for (const auto& [name, iid] : interfaces()) store.deleteKeyTree("Interface\\" + iid.toString());
            store.deleteKeyTree("TypeLib\\" + ids::LIBID_KORVA.toString());
        }
        if (!store.flush())
            throw detail::ComError(status::RegistryError, detail::kComponentSource,
                                   "The component could not be unregistered in " + store.filePath() + ".");
    });
}

KORVA_EXPORT korva::HResult KorvaCreateObject(const korva::Guid* clsid, const korva::Guid* iid, void** object) {
    if (!object) return status::Pointer;
    *object = nullptr;
    if (!clsid || !iid) return status::Pointer;
    if (!(*clsid == ids::CLSID_Scripter)) {
        detail::clearErrorInfo();
        return detail::fail(status::ClassNotAvailable, detail::kComponentSource,
                            "Class " + clsid->toString() + " is not a creatable class of KORVA.");
    }
    void* result = nullptr;
    HResult hr = detail::guarded([&] {
        auto* scripter = new detail::ScripterObject();
        HResult q = scripter->QueryInterface(*iid, &result);
        scripter->Release();
        if (failed(q))
            throw detail::ComError(q, detail::kComponentSource,
                                   "The Scripter has no interface " + iid->toString() + ".");
    });
    if (succeeded(hr)) *object = result;
    return hr;
}

KORVA_EXPORT korva::HResult KorvaCanUnloadNow() { return detail::liveObjects() == 0 ? status::Ok : status::False; }

KORVA_EXPORT korva::HResult KorvaGetErrorInfo(korva::ErrorInfo* info) {
    if (!info) return status::Pointer;
    try {
        return detail::takeErrorInfo(*info) ? status::Ok : status::False;
    } catch (...) {
        return status::OutOfMemory;
    }
}
