// The program's binding to the scripting component: loads libkorva.so at run time (the path the
// settings store registers for the Scripter's class id, else the library beside the
// executable), creates one Scripter on first use, relays its two events, and turns every
// failed call into an EScripterError carrying the component's error description.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>

#include "app/support/EQMException.h"
#include "component/KorvaInterface.h"

namespace sqldmo {
class Server;
}

namespace tavil {

// A failure of the component (or of loading it): Message is the component's error
// description; severity 1 (warning).
class EScripterError : public EQMException {
public:
    EScripterError(const QString& description, std::int32_t number, const QString& source)
        : EQMException(description, Warning), Number(number), Source(source) {}
    std::int32_t Number;  // the component's error number (0 when loading failed)
    QString Source;       // e.g. "_GenerateScript"
};

class TScripter;

// The option objects, as the Scripter owns them. Each getter and setter throws EScripterError.
class TScripterSettings {
public:
    explicit TScripterSettings(korva::ISettings* object) : o_(object) {}
    int LoginTimeout() const;
    void SetLoginTimeout(int value);
    int QueryTimeout() const;
    void SetQueryTimeout(int value);
    int BlockingTimeout() const;
    void SetBlockingTimeout(int value);
    int NetPacketSize() const;
    void SetNetPacketSize(int value);

private:
    korva::ISettings* o_;
};

class TScripterConnection {
public:
    explicit TScripterConnection(korva::IConnection* object) : o_(object) {}
    QString ServerName() const;
    void SetServerName(const QString& value);
    bool WindowsAuthentication() const;
    void SetWindowsAuthentication(bool value);
    QString Username() const;
    void SetUsername(const QString& value);
    QString Password() const;
    void SetPassword(const QString& value);
    QString DatabaseName() const;
    void SetDatabaseName(const QString& value);

private:
    korva::IConnection* o_;
};

class TScripterTableOptions {
public:
    explicit TScripterTableOptions(korva::ITableOptions* object) : o_(object) {}
    bool ScriptSchema() const;
    void SetScriptSchema(bool value);
    bool ScriptData() const;
    void SetScriptData(bool value);

private:
    korva::ITableOptions* o_;
};

class TScripterFormatOptions {
public:
    explicit TScripterFormatOptions(korva::IFormatOptions* object) : o_(object) {}
    bool GenerateCreateCommand() const;
    void SetGenerateCreateCommand(bool value);
    bool GenerateDropCommand() const;
    void SetGenerateDropCommand(bool value);
    bool ScriptDependentObjects() const;
    void SetScriptDependentObjects(bool value);
    bool IncludeHeaders() const;
    void SetIncludeHeaders(bool value);
    bool IncludeExtendedProperties() const;
    void SetIncludeExtendedProperties(bool value);
    bool ScriptOnly70Compatible() const;
    void SetScriptOnly70Compatible(bool value);

private:
    korva::IFormatOptions* o_;
};

class TScripterAdvancedOptions {
public:
    explicit TScripterAdvancedOptions(korva::IAdvancedOptions* object) : o_(object) {}
    bool ScriptUsersRoles() const;
    void SetScriptUsersRoles(bool value);
    bool ScriptLogins() const;
    void SetScriptLogins(bool value);
    bool ScriptObjectPermissions() const;
    void SetScriptObjectPermissions(bool value);
    bool ScriptTableIndexes() const;
    void SetScriptTableIndexes(bool value);
    bool ScriptTableFullTextIndexes() const;
    void SetScriptTableFullTextIndexes(bool value);
    bool ScriptTableTriggers() const;
    void SetScriptTableTriggers(bool value);
    bool ScriptTableConstraints() const;
    void SetScriptTableConstraints(bool value);
    bool ScriptTableIncludeColumnNames() const;
    void SetScriptTableIncludeColumnNames(bool value);

private:
    korva::IAdvancedOptions* o_;
};

class TScripterDependencies {
public:
    explicit TScripterDependencies(korva::IDependencies* object) : o_(object) {}
    void Add(const QString& TableName);
    QString Item(int Index) const;  // 1-based
    int Count() const;

private:
    korva::IDependencies* o_;
};

// One Scripter instance. Not copyable; destroying it unsubscribes and releases the instance.
class TScripter {
public:
    using TPercentEvent = std::function<void(TScripter* Sender, int Percent)>;
    using TMessageEvent = std::function<void(TScripter* Sender, const QString& Message)>;

    TScripter();
    ~TScripter();
    TScripter(const TScripter&) = delete;
    TScripter& operator=(const TScripter&) = delete;

    // Called while GenerateScript runs, on the calling thread; unset handlers are ignored.
    // A handler must not call back into this TScripter.
    TPercentEvent OnScriptTransferPercentComplete;
    TMessageEvent OnScriptTransferMessage;

    // The component's management-layer server (owned by the component; valid while this
    // TScripter lives, connected between EstablishConnection and CloseConnection).
    sqldmo::Server* Server();
    TScripterSettings Settings();
    TScripterConnection Connection();
    TScripterTableOptions TableOptions();
    TScripterFormatOptions FormatOptions();
    TScripterAdvancedOptions AdvancedOptions();
    TScripterDependencies Dependencies();

    void AddTable(const QString& Owner, const QString& Name);
    void AddView(const QString& Owner, const QString& Name);
    void AddStoredProcedure(const QString& Owner, const QString& Name);
    void AddDefault(const QString& Owner, const QString& Name);
    void AddRule(const QString& Owner, const QString& Name);
    void AddUserDefinedDatatype(const QString& Owner, const QString& Name);
    void AddUserDefinedFunction(const QString& Owner, const QString& Name);

    QString GenerateScript();
    void EstablishConnection();
    void CloseConnection();

    // Where the component is loaded from: the path registered for the Scripter's class id in
    // HKEY_CLASSES_ROOT of the settings store, else libkorva.so in the executable's folder.
    static QString LibraryPath();

private:
    class Sink;
    korva::IScripter* instance();

    korva::IScripter* scripter_ = nullptr;
    korva::IScripterEventSource* events_ = nullptr;
    std::uint32_t cookie_ = 0;
    Sink* sink_ = nullptr;
};

// Start-up checks; they never throw.
// The component's Scripter can be created (and is released at once).
bool IsScripterInstalled() noexcept;
// The row-reading layer can be created.
bool IsAdoInstalled() noexcept;

}  // namespace tavil
