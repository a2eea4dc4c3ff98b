// The catalogue model: plain data describing one server and its databases, filled by a reader
// (live server or snapshot) and read by the scripter and the object surface. No behaviour
// beyond small lookups; standard C++ only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sqldmo/model/Value.h"

namespace sqldmo::model {

// Catalogue id of an object, unique among all objects of one database (readers guarantee it;
// user-defined data types get ids of their own in the same space).
using ObjectId = std::int32_t;

// Kinds of schema object, with the management layer's type codes.
enum class ObjectType : std::int32_t {
    UserDefinedDatatype = 1,
    SystemTable = 2,
    View = 4,
    UserTable = 8,
    StoredProcedure = 16,
    Default = 64,
    Rule = 128,
    Trigger = 256,
    UserDefinedFunction = 4096,
};

// An extended property (sp_addextendedproperty); the value is a sql_variant.
struct ExtendedProperty {
    std::string name;
    Value value;

    friend bool operator==(const ExtendedProperty&, const ExtendedProperty&) = default;
};

// One GRANT or DENY on an object or one of its columns.
struct Permission {
    enum class Action : std::uint8_t { Grant, Deny };
    Action action = Action::Grant;
    std::string privilege;  // SELECT, INSERT, UPDATE, DELETE, EXECUTE, REFERENCES
    std::string grantee;    // user or role
    std::string column;     // empty for the whole object
    bool withGrantOption = false;

    friend bool operator==(const Permission&, const Permission&) = default;
};

// What every schema object shares (the base record).
struct SchemaObject {
    ObjectId id = 0;
    std::string owner;
    std::string name;
    bool systemObject = false;
    std::vector<ObjectId> dependsOn;  // ids of objects of the same database this one uses, as the catalogue records them
    std::vector<Permission> permissions;
    std::vector<ExtendedProperty> properties;

    friend bool operator==(const SchemaObject&, const SchemaObject&) = default;
};

// SET options a module was created with.
struct ModuleSettings {
    bool quotedIdentifier = true;
    bool ansiNulls = true;

    friend bool operator==(const ModuleSettings&, const ModuleSettings&) = default;
};

struct Column {
    std::string name;
    std::string dataType;     // as the catalogue names it: "int", "nvarchar", or a user-defined type's name
    std::string baseType;     // the system type behind it ("varchar" for a user type over varchar); = dataType for system types
    int length = 0;           // declared length: characters for char/nchar/varchar/nvarchar, bytes for binary/varbinary; 0 where it has none
    int precision = 0;        // decimal/numeric
    int scale = 0;
    bool nullable = true;
    bool identity = false;
    std::int64_t identitySeed = 1;
    std::int64_t identityIncrement = 1;
    bool identityNotForReplication = false;
    std::string computedText;  // the expression of a computed column, empty otherwise
    std::string collation;     // empty when the database default applies or the type has none
    bool rowGuidCol = false;
    std::string defaultConstraintName;  // DEFAULT constraint on the column (empty when none)
    std::string defaultConstraintText;  // its expression as stored, e.g. "(getdate())"
    std::string boundDefault;           // a default object bound with sp_bindefault: "owner.name", empty when none
    std::string boundRule;              // a rule bound with sp_bindrule: "owner.name", empty when none
    std::vector<ExtendedProperty> properties;

    bool isComputed() const noexcept { return !computedText.empty(); }

    friend bool operator==(const Column&, const Column&) = default;
};

struct IndexColumn {
    std::string name;
    bool descending = false;

    friend bool operator==(const IndexColumn&, const IndexColumn&) = default;
};

struct Index {
    std::string name;
    bool clustered = false;
    bool unique = false;
    bool ignoreDupKey = false;
    bool padIndex = false;
    bool statisticsNoRecompute = false;
    int fillFactor = 0;         // 0 = server default
    std::string fileGroup;      // empty = default filegroup
    std::vector<IndexColumn> columns;
    std::vector<ExtendedProperty> properties;

    friend bool operator==(const Index&, const Index&) = default;
};

// PRIMARY KEY or UNIQUE constraint (and the index behind it).
struct KeyConstraint {
    std::string name;
    bool primaryKey = false;
    bool clustered = false;
    int fillFactor = 0;
    std::string fileGroup;
    std::vector<IndexColumn> columns;
    std::vector<ExtendedProperty> properties;

    friend bool operator==(const KeyConstraint&, const KeyConstraint&) = default;
};

enum class ReferentialAction : std::uint8_t { NoAction, Cascade };

struct ForeignKey {
    std::string name;
    std::vector<std::string> columns;
    ObjectId referencedTableId = 0;
    std::string referencedOwner;
    std::string referencedTable;
    std::vector<std::string> referencedColumns;
    ReferentialAction onDelete = ReferentialAction::NoAction;
    ReferentialAction onUpdate = ReferentialAction::NoAction;
    bool notForReplication = false;
    bool disabled = false;  // created or altered WITH NOCHECK / NOCHECK CONSTRAINT
    std::vector<ExtendedProperty> properties;

    friend bool operator==(const ForeignKey&, const ForeignKey&) = default;
};

struct CheckConstraint {
    std::string name;
    std::string text;     // the expression as stored, e.g. "([Quantity] > 0)"
    std::string column;   // the column of a column-level check, empty for a table-level one
    bool notForReplication = false;
    bool disabled = false;
    std::vector<ExtendedProperty> properties;

    friend bool operator==(const CheckConstraint&, const CheckConstraint&) = default;
};

struct Trigger : SchemaObject {
    std::string text;     // CREATE TRIGGER ... as stored
    ModuleSettings settings;
    bool encrypted = false;
    bool insteadOf = false;
    bool onInsert = false;
    bool onUpdate = false;
    bool onDelete = false;
    bool disabled = false;

    friend bool operator==(const Trigger&, const Trigger&) = default;
};

struct FullTextColumn {
    std::string name;
    int language = 0;  // LCID, 0 = neutral/server default

    friend bool operator==(const FullTextColumn&, const FullTextColumn&) = default;
};

struct FullTextIndex {
    std::string catalog;    // full-text catalogue name
    std::string keyIndex;   // unique index the full-text index is keyed on
    std::vector<FullTextColumn> columns;
    bool active = true;

    friend bool operator==(const FullTextIndex&, const FullTextIndex&) = default;
};

struct Table : SchemaObject {
    std::vector<Column> columns;
    std::optional<KeyConstraint> primaryKey;
    std::vector<KeyConstraint> uniqueConstraints;
    std::vector<ForeignKey> foreignKeys;
    std::vector<CheckConstraint> checks;
    std::vector<Index> indexes;  // indexes that are not behind a PRIMARY KEY or UNIQUE constraint
    std::vector<Trigger> triggers;
    std::optional<FullTextIndex> fullTextIndex;
    std::string fileGroup;      // empty = default
    std::string textFileGroup;  // TEXTIMAGE_ON, empty = default
    std::int64_t rowCount = 0;  // as known to the reader (snapshot: rows stored)

    const Column* findColumn(const std::string& columnName) const;

    friend bool operator==(const Table&, const Table&) = default;
};

// A module whose definition is stored text: views, procedures, functions.
struct Module : SchemaObject {
    std::string text;  // CREATE ... exactly as stored
    ModuleSettings settings;
    bool encrypted = false;

    friend bool operator==(const Module&, const Module&) = default;
};

struct View : Module {
    std::vector<Trigger> triggers;  // INSTEAD OF triggers on the view
    std::vector<Index> indexes;     // indexes of an indexed view

    friend bool operator==(const View&, const View&) = default;
};

struct StoredProcedure : Module {
    friend bool operator==(const StoredProcedure&, const StoredProcedure&) = default;
};

enum class FunctionKind : std::uint8_t { Scalar, InlineTable, Table };

struct UserDefinedFunction : Module {
    FunctionKind kind = FunctionKind::Scalar;

    friend bool operator==(const UserDefinedFunction&, const UserDefinedFunction&) = default;
};

// CREATE DEFAULT / CREATE RULE objects.
struct DefaultObject : SchemaObject {
    std::string text;  // CREATE DEFAULT ... AS ... as stored

    friend bool operator==(const DefaultObject&, const DefaultObject&) = default;
};

struct Rule : SchemaObject {
    std::string text;  // CREATE RULE ... AS ... as stored

    friend bool operator==(const Rule&, const Rule&) = default;
};

struct UserDefinedDatatype : SchemaObject {
    std::string baseType;  // system type name
    int length = 0;
    int precision = 0;
    int scale = 0;
    bool nullable = true;
    std::string boundDefault;  // "owner.name", empty when none
    std::string boundRule;

    friend bool operator==(const UserDefinedDatatype&, const UserDefinedDatatype&) = default;
};

struct User {
    std::string name;
    std::string login;          // empty for users without a login (guest, dbo mapping kept as given)
    bool systemObject = false;  // dbo, guest, INFORMATION_SCHEMA, sys

    friend bool operator==(const User&, const User&) = default;
};

struct Role {
    std::string name;
    bool applicationRole = false;
    bool fixedRole = false;           // db_owner, db_datareader ... and public
    std::vector<std::string> members; // users and roles

    friend bool operator==(const Role&, const Role&) = default;
};

struct Login {
    std::string name;
    std::string defaultDatabase;
    std::string defaultLanguage;
    bool windowsLogin = false;
    bool windowsGroup = false;
    bool denyLogin = false;

    friend bool operator==(const Login&, const Login&) = default;
};

struct Database {
    std::string name;
    std::string owner;      // login that owns the database
    std::string collation;
    int compatibilityLevel = 80;
    bool systemObject = false;  // master, model, msdb, tempdb
    std::vector<ExtendedProperty> properties;

    std::vector<Table> tables;
    std::vector<View> views;
    std::vector<StoredProcedure> procedures;
    std::vector<DefaultObject> defaults;
    std::vector<Rule> rules;
    std::vector<UserDefinedDatatype> types;
    std::vector<UserDefinedFunction> functions;

    std::vector<User> users;
    std::vector<Role> roles;

    // Lookups by owner and name with SQL Server's default (case-insensitive) comparison;
    // nullptr when there is none. An empty owner matches any owner (the first found).
    const Table* findTable(const std::string& owner, const std::string& name) const;
    const SchemaObject* findById(ObjectId id) const;

    friend bool operator==(const Database&, const Database&) = default;
};

struct Server {
    std::string name;          // as connected to
    int versionMajor = 8;      // 8 = SQL Server 2000, 9 = 2005 ...
    int versionMinor = 0;
    std::string versionString; // e.g. "8.00.2039"
    std::string login;         // login of the connection that read the catalogue
    std::vector<Login> logins;
    std::vector<std::shared_ptr<Database>> databases;  // in the server's order (sysdatabases)

    const Database* findDatabase(const std::string& databaseName) const;
    const Login* findLogin(const std::string& loginName) const;

    // Equal when every field and every database (compared by content) are equal.
    friend bool operator==(const Server& a, const Server& b);
};

}  // namespace sqldmo::model
