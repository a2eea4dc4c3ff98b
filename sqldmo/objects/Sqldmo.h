// The management-object surface both deliverables use: a server object with its connection
// properties, database and object collections, table columns, dependency enumeration, and the
// transfer object whose ScriptTransfer produces the schema script. Collections are 1-based and
// look items up by index or by name; names may be given as "name", "owner.name" or
// "[owner].[name]" (with "]]" standing for "]" inside brackets). Every failure throws
// sqldmo::Error with a description in SQL Server's style that names the object.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sqldmo/Error.h"
#include "sqldmo/model/Catalog.h"
#include "sqldmo/script/Scripter.h"

namespace sqldmo {

class ServerBackend;
class Server;
class Database;
struct LoginOptions;

// The date and time written into script header comments: the system's short date and long time
// (strftime's %x and %X under the user's LC_TIME); under the C locale (C, POSIX, C.UTF-8),
// whose short date has a two-digit year, ISO 8601 "2026-12-10" and "14:07:09". Every header of
// the layer and of the scripting component takes its text from here.
struct ScriptStamp {
    std::string date;
    std::string time;
};
ScriptStamp scriptStamp(std::time_t when);
ScriptStamp scriptStampNow();

// A list of names (ListAvailableSQLServers, ListInstalledInstances).
class NameList {
public:
    NameList() = default;
    explicit NameList(std::vector<std::string> names) : names_(std::move(names)) {}
    std::int32_t count() const noexcept { return static_cast<std::int32_t>(names_.size()); }
    const std::string& item(std::int32_t index) const;  // 1-based; throws Error outside 1..count
    const std::vector<std::string>& names() const noexcept { return names_; }

private:
    std::vector<std::string> names_;
};

// Result of EnumDependencies: rows and columns counted from 1.
class QueryResults {
public:
    QueryResults() = default;
    QueryResults(std::vector<std::string> columnNames, std::vector<std::vector<Value>> rows)
        : columnNames_(std::move(columnNames)), rows_(std::move(rows)) {}
    std::int32_t rows() const noexcept { return static_cast<std::int32_t>(rows_.size()); }
    std::int32_t columns() const noexcept { return static_cast<std::int32_t>(columnNames_.size()); }
    std::int32_t getColumnLong(std::int32_t row, std::int32_t column) const;
    std::string getColumnString(std::int32_t row, std::int32_t column) const;

private:
    const Value& at(std::int32_t row, std::int32_t column) const;
    std::vector<std::string> columnNames_;
    std::vector<std::vector<Value>> rows_;
};

// A column of a table.
class Column {
public:
    explicit Column(const model::Column& column) : column_(&column) {}
    const std::string& name() const noexcept { return column_->name; }
    const std::string& datatype() const noexcept { return column_->dataType; }
    const std::string& baseType() const noexcept { return column_->baseType; }
    bool identity() const noexcept { return column_->identity; }
    bool isComputed() const noexcept { return column_->isComputed(); }
    std::int32_t length() const noexcept { return column_->length; }
    bool allowNulls() const noexcept { return column_->nullable; }
    const model::Column& model() const noexcept { return *column_; }

private:
    const model::Column* column_;
};

class Columns {
public:
    explicit Columns(const model::Table& table) : table_(&table) {}
    std::int32_t count() const noexcept;
    Column item(std::int32_t index) const;        // 1-based
    Column item(const std::string& name) const;   // case-insensitive

private:
    const model::Table* table_;
};

// Any named schema object of a collection: owner, name, system flag.
class DBObject {
public:
    DBObject(const Database& database, const model::SchemaObject& object, model::ObjectType type)
        : database_(&database), object_(&object), type_(type) {}
    const std::string& name() const noexcept { return object_->name; }
    const std::string& owner() const noexcept { return object_->owner; }
    bool systemObject() const noexcept { return object_->systemObject; }
    model::ObjectType type() const noexcept { return type_; }
    const model::SchemaObject& model() const noexcept { return *object_; }

protected:
    const Database* database_;
    const model::SchemaObject* object_;
    model::ObjectType type_;
};

class Table : public DBObject {
public:
    Table(const Database& database, const model::Table& table)
        : DBObject(database, table, model::ObjectType::UserTable) {}
    Columns columns() const { return Columns(table()); }
    // The objects this table depends on (type 0 = all of them, the only one used): one row per
    // object with columns 1 object type, 2 name, 3 owner, 4 sequence (dependency level, 1 = an
    // object that depends on nothing further in the chain), ordered by sequence.
    QueryResults enumDependencies(std::int32_t type) const;
    const model::Table& table() const noexcept { return static_cast<const model::Table&>(*object_); }
};

// A collection of one kind of object in a database.
template <class Item>
class ObjectCollection {
public:
    ObjectCollection(const Database& database, model::ObjectType type) : database_(&database), type_(type) {}
    std::int32_t count() const;
    Item item(std::int32_t index) const;        // 1-based
    Item item(const std::string& name) const;   // "name", "owner.name" or "[owner].[name]"

private:
    const Database* database_;
    model::ObjectType type_;
};

using Tables = ObjectCollection<Table>;
using DBObjects = ObjectCollection<DBObject>;

class Transfer;

class Database {
public:
    Database(Server& server, std::shared_ptr<const model::Database> model)
        : server_(&server), model_(std::move(model)) {}
    const std::string& name() const noexcept { return model_->name; }
    Tables tables() const { return Tables(*this, model::ObjectType::UserTable); }
    DBObjects views() const { return DBObjects(*this, model::ObjectType::View); }
    DBObjects storedProcedures() const { return DBObjects(*this, model::ObjectType::StoredProcedure); }
    DBObjects defaults() const { return DBObjects(*this, model::ObjectType::Default); }
    DBObjects rules() const { return DBObjects(*this, model::ObjectType::Rule); }
    DBObjects userDefinedDatatypes() const { return DBObjects(*this, model::ObjectType::UserDefinedDatatype); }
    DBObjects userDefinedFunctions() const { return DBObjects(*this, model::ObjectType::UserDefinedFunction); }
    // The schema script of everything handed to the transfer (mode 1: one text, no file).
    // Raises the transfer's events while it runs.
    std::string scriptTransfer(Transfer& transfer, std::int32_t mode, const std::string& path = {}) const;
    const model::Database& model() const noexcept { return *model_; }
    Server& server() const noexcept { return *server_; }

    // Name lookups and the dependency graph of the catalogue, built on first use.
    struct Lookup;
    const Lookup& lookup() const;

private:
    Server* server_;
    std::shared_ptr<const model::Database> model_;
    mutable std::shared_ptr<const Lookup> lookup_;
};

class Databases {
public:
    explicit Databases(Server& server) : server_(&server) {}
    std::int32_t count() const;
    Database& item(std::int32_t index) const;       // 1-based
    Database& item(const std::string& name) const;  // case-insensitive

private:
    Server* server_;
};

class LoginObject {
public:
    explicit LoginObject(model::Login login) : login_(std::move(login)) {}
    const std::string& name() const noexcept { return login_.name; }
    const std::string& database() const noexcept { return login_.defaultDatabase; }

private:
    model::Login login_;
};

class Logins {
public:
    explicit Logins(Server& server) : server_(&server) {}
    std::int32_t count() const;
    LoginObject item(const std::string& name) const;
    LoginObject item(std::int32_t index) const;

private:
    Server* server_;
};

// The application object: server discovery.
class Application {
public:
    // Servers named in the freetds.conf files (system and user); never a network broadcast.
    NameList listAvailableSQLServers() const;
};

// Events of the transfer object; the surface raises them during ScriptTransfer.
class TransferEvents {
public:
    virtual ~TransferEvents() = default;
    virtual void statusMessage(const std::string& message) = 0;
    virtual void scriptTransferPercentComplete(const std::string& message, std::int32_t percent) = 0;
    virtual void transferPercentComplete(const std::string&, std::int32_t) {}
    virtual void percentCompleteAtStep(const std::string&, std::int32_t) {}
};

class Transfer {
public:
    void addObjectByName(const std::string& name, std::int32_t type, const std::string& owner);
    bool copySchema() const noexcept { return settings_.copySchema; }
    void setCopySchema(bool value) noexcept { settings_.copySchema = value; }
    std::int32_t copyData() const noexcept { return settings_.copyData; }
    void setCopyData(std::int32_t value) noexcept { settings_.copyData = value; }
    std::int32_t scriptType() const noexcept { return settings_.scriptType; }
    void setScriptType(std::int32_t value) noexcept { settings_.scriptType = value; }
    std::int32_t script2Type() const noexcept { return settings_.script2Type; }
    void setScript2Type(std::int32_t value) noexcept { settings_.script2Type = value; }
    bool includeDependencies() const noexcept { return settings_.includeDependencies; }
    void setIncludeDependencies(bool value) noexcept { settings_.includeDependencies = value; }
    bool includeUsers() const noexcept { return settings_.includeUsers; }
    void setIncludeUsers(bool value) noexcept { settings_.includeUsers = value; }
    bool includeLogins() const noexcept { return settings_.includeLogins; }
    void setIncludeLogins(bool value) noexcept { settings_.includeLogins = value; }

    // Sinks are not owned; every advised sink receives every event, in advise order.
    void advise(TransferEvents* sink);
    void unadvise(TransferEvents* sink);
    const std::vector<TransferEvents*>& sinks() const noexcept { return sinks_; }
    const script::TransferSettings& settings() const noexcept { return settings_; }

private:
    script::TransferSettings settings_;
    std::vector<TransferEvents*> sinks_;
};

class Server {
public:
    Server();
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Connection properties, used by the next connect().
    const std::string& applicationName() const noexcept { return applicationName_; }
    void setApplicationName(const std::string& value) { applicationName_ = value; }
    bool odbcPrefix() const noexcept { return odbcPrefix_; }
    void setOdbcPrefix(bool value) noexcept { odbcPrefix_ = value; }
    bool autoReconnect() const noexcept { return autoReconnect_; }
    void setAutoReconnect(bool value) noexcept { autoReconnect_ = value; }
    std::int32_t loginTimeout() const noexcept { return loginTimeout_; }        // seconds, -1 = default
    void setLoginTimeout(std::int32_t value) noexcept { loginTimeout_ = value; }
    std::int32_t queryTimeout() const noexcept { return queryTimeout_; }        // seconds, 0 = none
    void setQueryTimeout(std::int32_t value) noexcept { queryTimeout_ = value; }
    std::int32_t blockingTimeout() const noexcept { return blockingTimeout_; }  // milliseconds, -1 = default
    void setBlockingTimeout(std::int32_t value) noexcept { blockingTimeout_ = value; }
    std::int32_t netPacketSize() const noexcept { return netPacketSize_; }
    void setNetPacketSize(std::int32_t value) noexcept { netPacketSize_ = value; }
    bool loginSecure() const noexcept { return loginSecure_; }
    void setLoginSecure(bool value) noexcept { loginSecure_ = value; }

    // Integrated login (LoginSecure) or SQL Server login. Throws Error (AlreadyConnected,
    // ConnectionFailed, LoginFailed, SnapshotInvalid...).
    void connect(const std::string& serverName);
    void connect(const std::string& serverName, const std::string& login, const std::string& password);
    void disconnect();  // throws Error(NotConnected) when not connected
    bool isConnected() const noexcept;
    const std::string& serverName() const noexcept { return serverName_; }

    Databases databases() { return Databases(*this); }
    std::string login() const;   // the login of the open connection
    Logins logins() { return Logins(*this); }
    std::int32_t versionMajor() const;
    Application application() const { return Application(); }
    // Instances of SQL Server on this machine, as the SQL Server Browser on the loopback
    // address reports them ("(local)" style names: "HOST\INSTANCE").
    NameList listInstalledInstances() const;

    // For the collections: the backend of the open connection and the databases read so far.
    ServerBackend& backend() const;
    const std::vector<std::string>& databaseNames();
    Database& database(const std::string& name);  // reads and caches the catalogue on first use
    // The server's information and logins as the scripter needs them (no databases).
    const model::Server& scriptingModel();

private:
    LoginOptions loginOptions(const std::string& login, const std::string& password) const;
    void open(const std::string& serverName, const LoginOptions& options);
    // Runs f on the backend; with AutoReconnect a broken connection is opened again and f
    // retried once.
    void withBackend(const std::function<void(ServerBackend&)>& f);

    std::string applicationName_;
    bool odbcPrefix_ = true;
    bool autoReconnect_ = true;
    std::int32_t loginTimeout_ = -1;
    std::int32_t queryTimeout_ = 0;
    std::int32_t blockingTimeout_ = -1;
    std::int32_t netPacketSize_ = 0;
    bool loginSecure_ = false;
    std::string serverName_;
    std::unique_ptr<ServerBackend> backend_;
    struct Cache;
    std::unique_ptr<Cache> cache_;
};

}  // namespace sqldmo
