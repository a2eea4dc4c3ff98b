// Loading the component and wrapping its Scripter.
#include "app/runs/TScripter.h"

#include <dlfcn.h>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>

#include "platform/SettingsStore.h"
#include "sqldmo/rows/RowConnection.h"

namespace tavil {
namespace {

struct Component {
    void* handle = nullptr;
    korva::CreateObjectFn createObject = nullptr;
    korva::GetErrorInfoFn getErrorInfo = nullptr;
};

std::mutex gLoadMutex;
Component* gComponent = nullptr;  // loaded once; the library stays loaded for the process

QString executableFolder() {
    QFileInfo exe(QStringLiteral("/proc/self/exe"));
    return QFileInfo(exe.canonicalFilePath()).absolutePath();
}

QString besideExecutable() { return executableFolder() + QLatin1Char('/') + QLatin1String(korva::kLibraryName); }

QString registeredPath() {
    const std::string key = "CLSID\\" + korva::ids::CLSID_Scripter.toString() + "\\InprocServer32";
    auto& store = platform::SettingsStore::hive(platform::Hive::ClassesRoot);
    std::optional<std::string> path = store.readString(key, "");
    return path ? QString::fromStdString(*path) : QString();
}

[[noreturn]] void throwLoadError(const QString& text) { throw EScripterError(text, 0, QStringLiteral("dlopen")); }

void* openLibrary(const QString& path, QString& error) {
    const QByteArray file = QFile::encodeName(path);
    void* handle = dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* text = dlerror();
        error = text ? QString::fromLocal8Bit(text) : QStringLiteral("%1 cannot be loaded.").arg(path);
    }
    return handle;
}

const Component& component() {
    std::lock_guard lock(gLoadMutex);
    if (gComponent) return *gComponent;
    // A registered path that no longer loads falls back to the library beside the program;
    // when neither loads, the registered path's error is the one reported.
    QString error;
    void* handle = nullptr;
    const QString registered = registeredPath();
    if (!registered.isEmpty()) handle = openLibrary(registered, error);
    if (!handle) {
        QString besideError;
        const QString beside = besideExecutable();
        if (registered.isEmpty() || QFileInfo::exists(beside)) handle = openLibrary(beside, besideError);
        if (!handle && error.isEmpty()) error = besideError;
    }
    if (!handle) throwLoadError(error);
    auto* c = new Component;
    c->handle = handle;
    c->createObject = reinterpret_cast<korva::CreateObjectFn>(dlsym(handle, korva::kCreateObject));
    c->getErrorInfo = reinterpret_cast<korva::GetErrorInfoFn>(dlsym(handle, korva::kGetErrorInfo));
    if (!c->createObject || !c->getErrorInfo) {
        delete c;
        throwLoadError(QStringLiteral("The library %1 is not the scripting component.").arg(registered.isEmpty() ? besideExecutable() : registered));
    }
    gComponent = c;
    return *gComponent;
}

// Throws the component's error for a failed status.
void check(korva::HResult status) {
    if (korva::succeeded(status)) return;
    korva::ErrorInfo info;
    if (gComponent && gComponent->getErrorInfo(&info) == korva::status::Ok)
        throw EScripterError(QString::fromStdU16String(info.Description), info.Number,
                             QString::fromStdU16String(info.Source));
    throw EScripterError(QStringLiteral("The scripting component failed (status 0x%1).")
                             .arg(static_cast<std::uint32_t>(status), 8, 16, QLatin1Char('0')),
                         status, QString());
}

std::u16string u16(const QString& text) { return text.toStdU16String(); }

template <class Object, class T>
T getValue(Object* o, korva::HResult (Object::*get)(T*)) {
    T value{};
    check((o->*get)(&value));
    return value;
}

bool getBool(korva::HResult status, korva::Bool16 value) {
    check(status);
    return value != 0;
}

}  // namespace

// ---- Option objects -------------------------------------------------------------------------

#define TAVIL_INT(Class, Name)                                                                           \
    int Class::Name() const { return getValue(o_, &std::remove_pointer_t<decltype(o_)>::get_##Name); }   \
    void Class::Set##Name(int value) { check(o_->put_##Name(value)); }
#define TAVIL_BOOL(Class, Name)                                                                          \
    bool Class::Name() const {                                                                           \
        korva::Bool16 v = 0;                                                                             \
        korva::HResult s = o_->get_##Name(&v);                                                           \
        return getBool(s, v);                                                                            \
    }                                                                                                    \
    void Class::Set##Name(bool value) { check(o_->put_##Name(value ? korva::True : korva::False)); }
#define TAVIL_TEXT(Class, Name)                                                                          \
    QString Class::Name() const {                                                                        \
        std::u16string v;                                                                                \
        check(o_->get_##Name(&v));                                                                       \
        return QString::fromStdU16String(v);                                                             \
    }                                                                                                    \
    void Class::Set##Name(const QString& value) { check(o_->put_##Name(u16(value))); }

TAVIL_INT(TScripterSettings, LoginTimeout)
TAVIL_INT(TScripterSettings, QueryTimeout)
TAVIL_INT(TScripterSettings, BlockingTimeout)
TAVIL_INT(TScripterSettings, NetPacketSize)

TAVIL_TEXT(TScripterConnection, ServerName)
TAVIL_BOOL(TScripterConnection, WindowsAuthentication)
TAVIL_TEXT(TScripterConnection, Username)
TAVIL_TEXT(TScripterConnection, Password)
TAVIL_TEXT(TScripterConnection, DatabaseName)

TAVIL_BOOL(TScripterTableOptions, ScriptSchema)
TAVIL_BOOL(TScripterTableOptions, ScriptData)

TAVIL_BOOL(TScripterFormatOptions, GenerateCreateCommand)
TAVIL_BOOL(TScripterFormatOptions, GenerateDropCommand)
TAVIL_BOOL(TScripterFormatOptions, ScriptDependentObjects)
TAVIL_BOOL(TScripterFormatOptions, IncludeHeaders)
TAVIL_BOOL(TScripterFormatOptions, IncludeExtendedProperties)
TAVIL_BOOL(TScripterFormatOptions, ScriptOnly70Compatible)

TAVIL_BOOL(TScripterAdvancedOptions, ScriptUsersRoles)
TAVIL_BOOL(TScripterAdvancedOptions, ScriptLogins)
TAVIL_BOOL(TScripterAdvancedOptions, ScriptObjectPermissions)
TAVIL_BOOL(TScripterAdvancedOptions, ScriptTableIndexes)
TAVIL_BOOL(TScripterAdvancedOptions, ScriptTableFullTextIndexes)
TAVIL_BOOL(TScripterAdvancedOptions, ScriptTableTriggers)
TAVIL_BOOL(TScripterAdvancedOptions, ScriptTableConstraints)
TAVIL_BOOL(TScripterAdvancedOptions, ScriptTableIncludeColumnNames)

#undef TAVIL_INT
#undef TAVIL_BOOL
#undef TAVIL_TEXT

void TScripterDependencies::Add(const QString& TableName) { check(o_->Add(u16(TableName))); }

QString TScripterDependencies::Item(int Index) const {
    if (Index < -32768 || Index > 32767)
        throw EScripterError(QStringLiteral("Subscript out of range: index %1.").arg(Index),
                             korva::errors::SubscriptOutOfRange, QString());
    std::u16string v;
    check(o_->Item(static_cast<std::int16_t>(Index), &v));
    return QString::fromStdU16String(v);
}

int TScripterDependencies::Count() const {
    std::int16_t n = 0;
    check(o_->Count(&n));
    return n;
}

// ---- Events ---------------------------------------------------------------------------------

class TScripter::Sink final : public korva::IScripterEvents {
public:
    explicit Sink(TScripter* owner) : owner_(owner) {}
    korva::HResult ScriptTransferPercentComplete(std::int32_t* Percent) override {
        if (owner_->OnScriptTransferPercentComplete && Percent)
            owner_->OnScriptTransferPercentComplete(owner_, *Percent);
        return korva::status::Ok;
    }
    korva::HResult ScriptTransferMessage(std::u16string* Message) override {
        if (owner_->OnScriptTransferMessage && Message)
            owner_->OnScriptTransferMessage(owner_, QString::fromStdU16String(*Message));
        return korva::status::Ok;
    }

private:
    TScripter* owner_;
};

// ---- TScripter ------------------------------------------------------------------------------

TScripter::TScripter() = default;

TScripter::~TScripter() {
    if (events_) {
        events_->Unadvise(cookie_);
        events_->Release();
    }
    if (scripter_) scripter_->Release();
    delete sink_;
}

korva::IScripter* TScripter::instance() {
    if (scripter_) return scripter_;
    const Component& c = component();
    void* object = nullptr;
    check(c.createObject(&korva::ids::CLSID_Scripter, &korva::ids::IID_Scripter, &object));
    auto* scripter = static_cast<korva::IScripter*>(object);
    void* source = nullptr;
    korva::HResult hr = scripter->QueryInterface(korva::ids::IID_ConnectionPoint, &source);
    if (korva::failed(hr)) {
        scripter->Release();
        check(hr);
    }
    auto* events = static_cast<korva::IScripterEventSource*>(source);
    auto* sink = new Sink(this);
    std::uint32_t cookie = 0;
    hr = events->Advise(sink, &cookie);
    if (korva::failed(hr)) {
        events->Release();
        scripter->Release();
        delete sink;
        check(hr);
    }
    scripter_ = scripter;
    events_ = events;
    sink_ = sink;
    cookie_ = cookie;
    return scripter_;
}

sqldmo::Server* TScripter::Server() {
    sqldmo::Server* server = nullptr;
    check(instance()->get_Server(&server));
    return server;
}

TScripterSettings TScripter::Settings() {
    korva::ISettings* o = nullptr;
    check(instance()->get_Settings(&o));
    return TScripterSettings(o);
}

TScripterConnection TScripter::Connection() {
    korva::IConnection* o = nullptr;
    check(instance()->get_Connection(&o));
    return TScripterConnection(o);
}

TScripterTableOptions TScripter::TableOptions() {
    korva::ITableOptions* o = nullptr;
    check(instance()->get_TableOptions(&o));
    return TScripterTableOptions(o);
}

TScripterFormatOptions TScripter::FormatOptions() {
    korva::IFormatOptions* o = nullptr;
    check(instance()->get_FormatOptions(&o));
    return TScripterFormatOptions(o);
}

TScripterAdvancedOptions TScripter::AdvancedOptions() {
    korva::IAdvancedOptions* o = nullptr;
    check(instance()->get_AdvancedOptions(&o));
    return TScripterAdvancedOptions(o);
}

TScripterDependencies TScripter::Dependencies() {
    korva::IDependencies* o = nullptr;
    check(instance()->get_Dependencies(&o));
    return TScripterDependencies(o);
}

void TScripter::AddTable(const QString& Owner, const QString& Name) { check(instance()->AddTable(u16(Owner), u16(Name))); }
void TScripter::AddView(const QString& Owner, const QString& Name) { check(instance()->AddView(u16(Owner), u16(Name))); }
void TScripter::AddStoredProcedure(const QString& Owner, const QString& Name) {
    check(instance()->AddStoredProcedure(u16(Owner), u16(Name)));
}
void TScripter::AddDefault(const QString& Owner, const QString& Name) { check(instance()->AddDefault(u16(Owner), u16(Name))); }
void TScripter::AddRule(const QString& Owner, const QString& Name) { check(instance()->AddRule(u16(Owner), u16(Name))); }
void TScripter::AddUserDefinedDatatype(const QString& Owner, const QString& Name) {
    check(instance()->AddUserDefinedDatatype(u16(Owner), u16(Name)));
}
void TScripter::AddUserDefinedFunction(const QString& Owner, const QString& Name) {
    check(instance()->AddUserDefinedFunction(u16(Owner), u16(Name)));
}

QString TScripter::GenerateScript() {
    std::u16string script;
    check(instance()->GenerateScript(&script));
    return QString::fromStdU16String(script);
}

void TScripter::EstablishConnection() { check(instance()->EstablishConnection()); }
void TScripter::CloseConnection() { check(instance()->CloseConnection()); }

QString TScripter::LibraryPath() {
    const QString registered = registeredPath();
    return registered.isEmpty() ? besideExecutable() : registered;
}

bool IsScripterInstalled() noexcept {
    try {
        const Component& c = component();
        void* object = nullptr;
        if (korva::failed(c.createObject(&korva::ids::CLSID_Scripter, &korva::ids::IID_Scripter, &object)) || !object)
            return false;
        static_cast<korva::IScripter*>(object)->Release();
        return true;
    } catch (...) {
        return false;
    }
}

bool IsAdoInstalled() noexcept { return sqldmo::rowLayerAvailable(); }

}  // namespace tavil
