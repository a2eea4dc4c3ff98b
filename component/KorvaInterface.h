// The object interface of the scripting component libkorva.so: abstract classes with the
// component's members in interface order, their dispatch ids, class and interface ids, the
// status and error conventions, and the C entry points a client resolves with dlsym.
// Header-only: a client includes it and loads the library at run time; it never links it.
//
// Conventions (those of an in-process COM server):
//  - every member returns a 32-bit status: 0 (Ok) or 1 (False) for success, negative for failure;
//  - after a failure, KorvaGetErrorInfo gives the error's number, source and description
//    (the error info of the calling thread, taken once);
//  - texts are UTF-16; Booleans are 16-bit, True = -1, False = 0, and the component reads any
//    non-zero value as true; counts and list indexes are signed 16-bit, settings signed 32-bit;
//  - the Scripter is reference counted (AddRef/Release); the objects its getters return are
//    owned by it, stay the same for its whole life, and are valid as long as it lives: a client
//    never releases them.
//  - the component is apartment-threaded: every call and every event on the creating thread.
//
// The interface names of the type library begin with underscores (_Scripter, __Scripter ...),
// which C++ reserves; here they are IScripter, IScripterEvents and so on, with the type
// library's name beside each.
#pragma once

#include <cstdint>
#include <string>

namespace sqldmo {
class Server;
}

namespace korva {

using HResult = std::int32_t;
using Bool16 = std::int16_t;
using DispId = std::int32_t;

inline constexpr Bool16 True = -1;
inline constexpr Bool16 False = 0;

inline constexpr bool succeeded(HResult status) noexcept { return status >= 0; }
inline constexpr bool failed(HResult status) noexcept { return status < 0; }

namespace status {
inline constexpr HResult Ok = 0;
inline constexpr HResult False = 1;
inline constexpr HResult NotImplemented = static_cast<HResult>(0x80004001u);
inline constexpr HResult NoInterface = static_cast<HResult>(0x80004002u);
inline constexpr HResult Pointer = static_cast<HResult>(0x80004003u);
inline constexpr HResult Fail = static_cast<HResult>(0x80004005u);
inline constexpr HResult Unexpected = static_cast<HResult>(0x8000FFFFu);
inline constexpr HResult OutOfMemory = static_cast<HResult>(0x8007000Eu);
inline constexpr HResult InvalidArgument = static_cast<HResult>(0x80070057u);
inline constexpr HResult ClassNotAvailable = static_cast<HResult>(0x80040111u);
inline constexpr HResult NoConnection = static_cast<HResult>(0x80040200u);   // Unadvise: unknown cookie
inline constexpr HResult RegistryError = static_cast<HResult>(0x80040151u);  // (un)registration failed
// Errors raised with a positive (application) number travel as this facility's statuses.
inline constexpr HResult ControlFacility = static_cast<HResult>(0x800A0000u);
}  // namespace status

// The status that carries an error number: a negative number is already a status; a positive
// one is placed in the control facility (0x800A0000 | number), as Automation does.
inline constexpr HResult statusOfNumber(std::int32_t number) noexcept {
    if (number < 0) return number;
    return static_cast<HResult>(0x800A0000u | (static_cast<std::uint32_t>(number) & 0xFFFFu));
}

// Error numbers the component raises itself (platform errors keep their own numbers).
namespace errors {
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t DivisionByZero = 11;
inline constexpr std::int32_t NotSupported = static_cast<std::int32_t>(0x800403E8u);  // object-error base + 1000
}  // namespace errors

// A class or interface identifier.
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};

    friend constexpr bool operator==(const Guid& a, const Guid& b) noexcept {
        if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
        for (int i = 0; i < 8; ++i)
            if (a.data4[i] != b.data4[i]) return false;
        return true;
    }

    // Parses "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX", with or without braces. Meant for constants:
    // a malformed text is not diagnosed.
    static constexpr Guid parse(const char* text) noexcept {
        Guid g;
        if (*text == '{') ++text;
        auto hex = [](char c) -> std::uint32_t {
            if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c - '0');
            if (c >= 'a' && c <= 'f') return static_cast<std::uint32_t>(c - 'a' + 10);
            if (c >= 'A' && c <= 'F') return static_cast<std::uint32_t>(c - 'A' + 10);
            return 0;
        };
        auto take = [&](int digits) {
            std::uint32_t v = 0;
            for (int i = 0; i < digits; ++i) {
                if (*text == '-') ++text;
                v = (v << 4) | hex(*text++);
            }
            return v;
        };
        g.data1 = take(8);
        g.data2 = static_cast<std::uint16_t>(take(4));
        g.data3 = static_cast<std::uint16_t>(take(4));
        for (int i = 0; i < 8; ++i) g.data4[i] = static_cast<std::uint8_t>(take(2));
        return g;
    }

    // "{C245764A-2371-4644-B651-20107A1AC0F5}": upper case, in braces, as the registry keeps it.
    std::string toString() const {
        static constexpr char digits[] = "0123456789ABCDEF";
        std::string s = "{";
        auto put = [&](std::uint32_t v, int count) {
            for (int i = count - 1; i >= 0; --i) s += digits[(v >> (4 * i)) & 0xF];
        };
        put(data1, 8);
        s += '-';
        put(data2, 4);
        s += '-';
        put(data3, 4);
        s += '-';
        put(data4[0], 2);
        put(data4[1], 2);
        s += '-';
        for (int i = 2; i < 8; ++i) put(data4[i], 2);
        s += '}';
        return s;
    }
};

// Identifiers of type library KORVA, version 3.0, locale 1033.
namespace ids {
inline constexpr Guid LIBID_KORVA = Guid::parse("{E67D2D43-E6AF-4B6B-85D4-255299C4DF67}");
inline constexpr Guid CLSID_Scripter = Guid::parse("{C245764A-2371-4644-B651-20107A1AC0F5}");
inline constexpr Guid IID_Scripter = Guid::parse("{57A4E20B-50EB-45C7-8E86-D5C9DFB4AB83}");         // _Scripter
inline constexpr Guid DIID_ScripterEvents = Guid::parse("{D974B6BD-14E2-449C-81D2-F98E4E3F73E6}");  // __Scripter
inline constexpr Guid CLSID_Connection = Guid::parse("{33DDC629-8E22-4EC7-9AD6-EC491797CA9F}");
inline constexpr Guid IID_Connection = Guid::parse("{65B33F90-EE3C-4129-B4C3-28AFC27D0F77}");       // _Connection
inline constexpr Guid CLSID_FormatOptions = Guid::parse("{045B21C4-3659-41C2-9938-B17785C14A61}");
inline constexpr Guid IID_FormatOptions = Guid::parse("{60683DA8-9118-4E54-A28E-F47685379FBE}");    // _FormatOptions
inline constexpr Guid CLSID_TableOptions = Guid::parse("{AFCF116D-73B8-4475-97AE-D66DE12319E5}");
inline constexpr Guid IID_TableOptions = Guid::parse("{BE412C7F-08AD-4E1B-8DED-3C4050362DCE}");     // _TableOptions
inline constexpr Guid CLSID_AdvancedOptions = Guid::parse("{BF163566-6715-427D-9846-EC41F1402C42}");
inline constexpr Guid IID_AdvancedOptions = Guid::parse("{77E502C4-F279-4682-A4FB-A4381533D3D6}");  // _AdvancedOptions
inline constexpr Guid CLSID_Settings = Guid::parse("{C526FAB8-6E73-4D97-83BF-5C8F4D5EC2FD}");
inline constexpr Guid IID_Settings = Guid::parse("{91D5F658-267C-4B7D-9FD1-84AE23C2BB1A}");         // _Settings
inline constexpr Guid CLSID_Dependencies = Guid::parse("{E690E153-60BD-444A-A260-A1E11A6AC5FD}");
inline constexpr Guid IID_Dependencies = Guid::parse("{D9384992-F7DB-4AFE-91C3-6764124C47D0}");     // _Dependencies
inline constexpr Guid IID_DatabaseObjects = Guid::parse("{9A803D4A-B495-4450-9040-0F98AAC0A896}");  // private
inline constexpr Guid IID_DatabaseObject = Guid::parse("{DB2A8D2E-ECC7-4F1F-9F64-F0A2624A6ABB}");   // private
// The two interfaces every object of this model answers to (IUnknown, IConnectionPoint).
inline constexpr Guid IID_Unknown = Guid::parse("{00000000-0000-0000-C000-000000000046}");
inline constexpr Guid IID_ConnectionPoint = Guid::parse("{B196B286-BAB4-101A-B69C-00DD010EF3AA}");
}  // namespace ids

// Dispatch ids, interface by interface.
namespace dispid {
namespace Scripter {
inline constexpr DispId Server = 0x68030006;
inline constexpr DispId Settings = 0x68030005;
inline constexpr DispId Connection = 0x68030004;
inline constexpr DispId TableOptions = 0x68030003;
inline constexpr DispId FormatOptions = 0x68030002;
inline constexpr DispId AdvancedOptions = 0x68030001;
inline constexpr DispId Dependencies = 0x68030000;
inline constexpr DispId AddTable = 0x60030007;
inline constexpr DispId AddView = 0x60030008;
inline constexpr DispId AddStoredProcedure = 0x60030009;
inline constexpr DispId AddDefault = 0x6003000A;
inline constexpr DispId AddRule = 0x6003000B;
inline constexpr DispId AddUserDefinedDatatype = 0x6003000C;
inline constexpr DispId AddUserDefinedFunction = 0x6003000D;
inline constexpr DispId GenerateScript = 0x6003000E;
inline constexpr DispId VerifyScript = 0x6003000F;
inline constexpr DispId EstablishConnection = 0x6003001B;
inline constexpr DispId CloseConnection = 0x6003001C;
}  // namespace Scripter
namespace ScripterEvents {
inline constexpr DispId ScriptTransferPercentComplete = 1;
inline constexpr DispId ScriptTransferMessage = 2;
}  // namespace ScripterEvents
namespace Settings {
inline constexpr DispId LoginTimeout = 0x40030000;
inline constexpr DispId QueryTimeout = 0x40030001;
inline constexpr DispId BlockingTimeout = 0x40030002;
inline constexpr DispId NetPacketSize = 0x40030003;
}  // namespace Settings
namespace Connection {
inline constexpr DispId ServerName = 0x40030000;
inline constexpr DispId WindowsAuthentication = 0x40030001;
inline constexpr DispId Username = 0x40030002;
inline constexpr DispId Password = 0x40030003;
inline constexpr DispId DatabaseName = 0x40030004;
}  // namespace Connection
namespace TableOptions {
inline constexpr DispId ScriptSchema = 0x40030000;
inline constexpr DispId ScriptData = 0x40030001;
}  // namespace TableOptions
namespace FormatOptions {
inline constexpr DispId GenerateCreateCommand = 0x40030000;
inline constexpr DispId GenerateDropCommand = 0x40030001;
inline constexpr DispId ScriptDependentObjects = 0x40030002;
inline constexpr DispId IncludeHeaders = 0x40030003;
inline constexpr DispId IncludeExtendedProperties = 0x40030004;
inline constexpr DispId ScriptOnly70Compatible = 0x40030005;
}  // namespace FormatOptions
namespace AdvancedOptions {
inline constexpr DispId ScriptUsersRoles = 0x40030000;
inline constexpr DispId ScriptLogins = 0x40030001;
inline constexpr DispId ScriptObjectPermissions = 0x40030002;
inline constexpr DispId ScriptTableIndexes = 0x40030003;
inline constexpr DispId ScriptTableFullTextIndexes = 0x40030004;
inline constexpr DispId ScriptTableTriggers = 0x40030005;
inline constexpr DispId ScriptTableConstraints = 0x40030006;
inline constexpr DispId ScriptTableIncludeColumnNames = 0x40030007;
}  // namespace AdvancedOptions
namespace Dependencies {
inline constexpr DispId Add = 0x60030000;
inline constexpr DispId Item = 0x60030001;
inline constexpr DispId Count = 0x60030002;
}  // namespace Dependencies
}  // namespace dispid

// The error information of a failed call.
struct ErrorInfo {
    std::int32_t Number = 0;       // the error's own number (a negative status, or a positive number)
    std::u16string Source;         // e.g. u"_GenerateScript"
    std::u16string Description;    // the text a user reads
};

// IUnknown: identity and lifetime of a creatable object.
class IObject {
public:
    virtual HResult QueryInterface(const Guid& iid, void** object) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    ~IObject() = default;  // destroyed by its last Release
};

// _Settings: timeouts and packet size. A get then a put per field.
class ISettings {
public:
    virtual HResult get_LoginTimeout(std::int32_t* value) = 0;      // seconds; -1 = the connection layer's default
    virtual HResult put_LoginTimeout(std::int32_t value) = 0;
    virtual HResult get_QueryTimeout(std::int32_t* value) = 0;      // seconds; 0 = no limit
    virtual HResult put_QueryTimeout(std::int32_t value) = 0;
    virtual HResult get_BlockingTimeout(std::int32_t* value) = 0;   // seconds; -1 = the server layer's default
    virtual HResult put_BlockingTimeout(std::int32_t value) = 0;
    virtual HResult get_NetPacketSize(std::int32_t* value) = 0;     // bytes
    virtual HResult put_NetPacketSize(std::int32_t value) = 0;

protected:
    ~ISettings() = default;
};

// _Connection: server, authentication, database.
class IConnection {
public:
    virtual HResult get_ServerName(std::u16string* value) = 0;
    virtual HResult put_ServerName(const std::u16string& value) = 0;
    virtual HResult get_WindowsAuthentication(Bool16* value) = 0;
    virtual HResult put_WindowsAuthentication(Bool16 value) = 0;
    virtual HResult get_Username(std::u16string* value) = 0;
    virtual HResult put_Username(const std::u16string& value) = 0;
    virtual HResult get_Password(std::u16string* value) = 0;
    virtual HResult put_Password(const std::u16string& value) = 0;
    virtual HResult get_DatabaseName(std::u16string* value) = 0;
    virtual HResult put_DatabaseName(const std::u16string& value) = 0;

protected:
    ~IConnection() = default;
};

// _TableOptions: whether tables give schema and/or data.
class ITableOptions {
public:
    virtual HResult get_ScriptSchema(Bool16* value) = 0;
    virtual HResult put_ScriptSchema(Bool16 value) = 0;
    virtual HResult get_ScriptData(Bool16* value) = 0;
    virtual HResult put_ScriptData(Bool16 value) = 0;

protected:
    ~ITableOptions() = default;
};

// _FormatOptions: script format switches.
class IFormatOptions {
public:
    virtual HResult get_GenerateCreateCommand(Bool16* value) = 0;
    virtual HResult put_GenerateCreateCommand(Bool16 value) = 0;
    virtual HResult get_GenerateDropCommand(Bool16* value) = 0;
    virtual HResult put_GenerateDropCommand(Bool16 value) = 0;
    virtual HResult get_ScriptDependentObjects(Bool16* value) = 0;
    virtual HResult put_ScriptDependentObjects(Bool16 value) = 0;
    virtual HResult get_IncludeHeaders(Bool16* value) = 0;
    virtual HResult put_IncludeHeaders(Bool16 value) = 0;
    virtual HResult get_IncludeExtendedProperties(Bool16* value) = 0;
    virtual HResult put_IncludeExtendedProperties(Bool16 value) = 0;
    virtual HResult get_ScriptOnly70Compatible(Bool16* value) = 0;
    virtual HResult put_ScriptOnly70Compatible(Bool16 value) = 0;

protected:
    ~IFormatOptions() = default;
};

// _AdvancedOptions: users, logins, permissions, table sub-objects, INSERT column names.
class IAdvancedOptions {
public:
    virtual HResult get_ScriptUsersRoles(Bool16* value) = 0;
    virtual HResult put_ScriptUsersRoles(Bool16 value) = 0;
    virtual HResult get_ScriptLogins(Bool16* value) = 0;
    virtual HResult put_ScriptLogins(Bool16 value) = 0;
    virtual HResult get_ScriptObjectPermissions(Bool16* value) = 0;
    virtual HResult put_ScriptObjectPermissions(Bool16 value) = 0;
    virtual HResult get_ScriptTableIndexes(Bool16* value) = 0;
    virtual HResult put_ScriptTableIndexes(Bool16 value) = 0;
    virtual HResult get_ScriptTableFullTextIndexes(Bool16* value) = 0;
    virtual HResult put_ScriptTableFullTextIndexes(Bool16 value) = 0;
    virtual HResult get_ScriptTableTriggers(Bool16* value) = 0;
    virtual HResult put_ScriptTableTriggers(Bool16 value) = 0;
    virtual HResult get_ScriptTableConstraints(Bool16* value) = 0;
    virtual HResult put_ScriptTableConstraints(Bool16 value) = 0;
    virtual HResult get_ScriptTableIncludeColumnNames(Bool16* value) = 0;
    virtual HResult put_ScriptTableIncludeColumnNames(Bool16 value) = 0;

protected:
    ~IAdvancedOptions() = default;
};

// _Dependencies: the tables whose rows are scripted, in insertion order; duplicates stay.
class IDependencies {
public:
    virtual HResult Add(const std::u16string& TableName) = 0;
    // 1-based; an index outside 1..Count fails with error 9 (subscript out of range).
    virtual HResult Item(std::int16_t Index, std::u16string* result) = 0;
    // Fails with error 6 (overflow) past 32,767 entries.
    virtual HResult Count(std::int16_t* result) = 0;

protected:
    ~IDependencies() = default;
};

// __Scripter: the events, raised synchronously on the thread that runs GenerateScript, to
// every advised sink in advise order; a sink returns before the component goes on. The
// arguments are the sink's own copies (by reference, as Automation passes them); what a sink
// does with them, and the status it returns, do not affect the component.
class IScripterEvents {
public:
    virtual HResult ScriptTransferPercentComplete(std::int32_t* Percent) = 0;  // dispatch id 1
    virtual HResult ScriptTransferMessage(std::u16string* Message) = 0;        // dispatch id 2

protected:
    ~IScripterEvents() = default;
};

// The Scripter's event source (IConnectionPoint for __Scripter), reached by QueryInterface
// with ids::IID_ConnectionPoint. Sinks are not owned; a sink must stay valid until Unadvise.
class IScripterEventSource : public IObject {
public:
    virtual HResult Advise(IScripterEvents* sink, std::uint32_t* cookie) = 0;
    virtual HResult Unadvise(std::uint32_t cookie) = 0;

protected:
    ~IScripterEventSource() = default;
};

// _Scripter, the default interface of the creatable class Scripter: members in interface order.
class IScripter : public IObject {
public:
    // The management-layer server object the component connects and scripts with (not owned by
    // the caller; lives as long as the Scripter). Unconnected before EstablishConnection.
    virtual HResult get_Server(sqldmo::Server** server) = 0;
    virtual HResult get_Settings(ISettings** settings) = 0;
    virtual HResult get_Connection(IConnection** connection) = 0;
    virtual HResult get_TableOptions(ITableOptions** options) = 0;
    virtual HResult get_FormatOptions(IFormatOptions** options) = 0;
    virtual HResult get_AdvancedOptions(IAdvancedOptions** options) = 0;
    virtual HResult get_Dependencies(IDependencies** dependencies) = 0;
    virtual HResult AddTable(const std::u16string& Owner, const std::u16string& Name) = 0;
    virtual HResult AddView(const std::u16string& Owner, const std::u16string& Name) = 0;
    virtual HResult AddStoredProcedure(const std::u16string& Owner, const std::u16string& Name) = 0;
    virtual HResult AddDefault(const std::u16string& Owner, const std::u16string& Name) = 0;
    virtual HResult AddRule(const std::u16string& Owner, const std::u16string& Name) = 0;
    virtual HResult AddUserDefinedDatatype(const std::u16string& Owner, const std::u16string& Name) = 0;
    virtual HResult AddUserDefinedFunction(const std::u16string& Owner, const std::u16string& Name) = 0;
    // The whole script; the caller owns the text. On failure the text is left untouched.
    virtual HResult GenerateScript(std::u16string* script) = 0;
    // Always fails with errors::NotSupported; Messages is not touched.
    virtual HResult VerifyScript(std::u16string* Messages, Bool16* result) = 0;
    virtual HResult EstablishConnection() = 0;
    virtual HResult CloseConnection() = 0;

protected:
    ~IScripter() = default;
};

}  // namespace korva

// Entry points of libkorva.so (the four of an in-process server, plus the error info).
extern "C" {
// Records the classes, interfaces and type library with this library's path in the settings
// store (HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32 and so on).
korva::HResult KorvaRegisterServer();
// Removes what KorvaRegisterServer recorded.
korva::HResult KorvaUnregisterServer();
// Creates an object of a creatable class and returns the interface `iid` of it (with one
// reference, released by Release). ClassNotAvailable for a class that is not creatable.
korva::HResult KorvaCreateObject(const korva::Guid* clsid, const korva::Guid* iid, void** object);
// Ok when no object of the library is alive (it may be unloaded), False otherwise.
korva::HResult KorvaCanUnloadNow();
// Moves the calling thread's error information of the last failed call into *info: Ok, or
// False (and *info left alone) when there is none.
korva::HResult KorvaGetErrorInfo(korva::ErrorInfo* info);
}

namespace korva {
// Types and names for dlsym.
using RegisterServerFn = HResult (*)();
using UnregisterServerFn = HResult (*)();
using CreateObjectFn = HResult (*)(const Guid*, const Guid*, void**);
using CanUnloadNowFn = HResult (*)();
using GetErrorInfoFn = HResult (*)(ErrorInfo*);
inline constexpr const char* kRegisterServer = "KorvaRegisterServer";
inline constexpr const char* kUnregisterServer = "KorvaUnregisterServer";
inline constexpr const char* kCreateObject = "KorvaCreateObject";
inline constexpr const char* kCanUnloadNow = "KorvaCanUnloadNow";
inline constexpr const char* kGetErrorInfo = "KorvaGetErrorInfo";
inline constexpr const char* kLibraryName = "libkorva.so";
inline constexpr const char* kProgId = "KORVA.Scripter";
}  // namespace korva
