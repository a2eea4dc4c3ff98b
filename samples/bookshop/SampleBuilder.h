// A small vocabulary for writing a sample catalogue readably: columns, tables and modules are
// described with chained calls, objects name what they use, and the builder gives every object
// an id and turns the names into catalogue dependencies at the end.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "sqldmo/model/Catalog.h"

namespace sample {

using sqldmo::model::Column;
using sqldmo::model::ExtendedProperty;

// Module texts are written with "\n" and stored with "\r\n", as SQL Server keeps text that
// came from Windows tools.
std::string crlf(const std::string& text);
ExtendedProperty description(const std::string& text);

// A column, described step by step: col("Title", "nvarchar", 200).notNull().describe("...").
class Col {
public:
    Col(const std::string& name, const std::string& type, int length = 0);
    Col& precision(int p, int s);
    Col& notNull();
    Col& identity(std::int64_t seed = 1, std::int64_t increment = 1, bool notForReplication = false);
    Col& computed(const std::string& expression);
    Col& collate(const std::string& collation);
    Col& rowGuid();
    Col& byDefault(const std::string& constraintName, const std::string& expression);
    Col& boundDefault(const std::string& ownerDotName);
    Col& boundRule(const std::string& ownerDotName);
    // A column of a user-defined type: the type's name, over its system type.
    Col& ofType(const std::string& typeName);
    Col& describe(const std::string& text);
    Col& property(const std::string& name, sqldmo::Value value);
    operator const Column&() const { return column_; }

private:
    Column column_;
};

class Catalog;

// A table being described; methods return *this for chaining.
class TableDef {
public:
    TableDef& describe(const std::string& text);
    TableDef& property(const std::string& name, sqldmo::Value value);
    TableDef& primaryKey(const std::string& name, std::vector<sqldmo::model::IndexColumn> columns, bool clustered = true,
                         int fillFactor = 0, const std::string& description = {});
    TableDef& unique(const std::string& name, std::vector<sqldmo::model::IndexColumn> columns, bool clustered = false,
                     const std::string& description = {});
    TableDef& foreignKey(const std::string& name, std::vector<std::string> columns, const std::string& referencedOwnerDotName,
                         std::vector<std::string> referencedColumns, bool cascadeDelete = false, bool cascadeUpdate = false,
                         bool notForReplication = false, bool disabled = false, const std::string& description = {});
    TableDef& check(const std::string& name, const std::string& expression, const std::string& column = {},
                    bool notForReplication = false, bool disabled = false, const std::string& description = {});
    TableDef& index(sqldmo::model::Index index, const std::string& description = {});
    TableDef& trigger(const std::string& name, const std::string& text, bool insteadOf, bool onInsert, bool onUpdate,
                      bool onDelete, std::initializer_list<std::string> uses = {}, bool quotedIdentifier = true,
                      bool ansiNulls = true, const std::string& description = {});
    TableDef& fullText(const std::string& catalog, const std::string& keyIndex,
                       std::vector<sqldmo::model::FullTextColumn> columns);
    TableDef& fileGroups(const std::string& data, const std::string& text = {});
    TableDef& uses(std::initializer_list<std::string> names);
    TableDef& grant(const std::string& privilege, const std::string& grantee, bool withGrantOption = false,
                    const std::string& column = {});
    TableDef& deny(const std::string& privilege, const std::string& grantee, const std::string& column = {});

private:
    friend class Catalog;
    TableDef(Catalog& catalog, std::size_t index) : catalog_(&catalog), index_(index) {}
    sqldmo::model::Table& table() const;
    Catalog* catalog_;
    std::size_t index_;
};

// Any other object (view, procedure, function, default, rule, type): permissions, properties,
// what it uses.
class ObjectDef {
public:
    ObjectDef& describe(const std::string& text);
    ObjectDef& uses(std::initializer_list<std::string> names);
    ObjectDef& grant(const std::string& privilege, const std::string& grantee, bool withGrantOption = false);
    ObjectDef& deny(const std::string& privilege, const std::string& grantee);
    ObjectDef& settings(bool quotedIdentifier, bool ansiNulls);
    ObjectDef& encrypted();
    // Views only.
    ObjectDef& insteadOfTrigger(const std::string& name, const std::string& text, bool onInsert, bool onUpdate,
                                bool onDelete, std::initializer_list<std::string> uses = {});

private:
    friend class Catalog;
    ObjectDef(Catalog& catalog, sqldmo::model::ObjectType type, std::size_t index)
        : catalog_(&catalog), type_(type), index_(index) {}
    sqldmo::model::SchemaObject& object() const;
    Catalog* catalog_;
    sqldmo::model::ObjectType type_;
    std::size_t index_;
};

class Catalog {
public:
    explicit Catalog(const std::string& databaseName);

    sqldmo::model::Database& database() { return *db_; }

    TableDef table(const std::string& owner, const std::string& name, std::initializer_list<Col> columns);
    ObjectDef view(const std::string& owner, const std::string& name, const std::string& text);
    ObjectDef procedure(const std::string& owner, const std::string& name, const std::string& text);
    ObjectDef function(const std::string& owner, const std::string& name, sqldmo::model::FunctionKind kind,
                       const std::string& text);
    ObjectDef defaultObject(const std::string& owner, const std::string& name, const std::string& text);
    ObjectDef rule(const std::string& owner, const std::string& name, const std::string& text);
    ObjectDef type(const std::string& owner, const std::string& name, const std::string& baseType, int length,
                   int precision, int scale, bool nullable, const std::string& boundDefault = {},
                   const std::string& boundRule = {});

    // Turns the names each object uses into the ids of those objects. Throws std::runtime_error
    // naming an unknown name, so a typing mistake in the sample stops the build.
    std::shared_ptr<sqldmo::model::Database> finish();

private:
    friend class TableDef;
    friend class ObjectDef;
    // Where an object sits in the database: vectors grow while the sample is described, so
    // objects are found again by position, not by pointer.
    struct Ref {
        sqldmo::model::ObjectType kind;
        std::size_t index;
        int trigger = -1;
    };
    sqldmo::model::ObjectId nextId() { return next_++; }
    sqldmo::model::SchemaObject& resolve(const Ref& ref);
    void addUses(const Ref& ref, std::initializer_list<std::string> names);

    std::shared_ptr<sqldmo::model::Database> db_;
    sqldmo::model::ObjectId next_ = 1977058079;
    std::vector<std::pair<Ref, std::vector<std::string>>> uses_;  // resolved in finish()
};

// The sample's two halves (Bookshop.cpp and BookshopRows.cpp).
sqldmo::model::Server bookshopServer();
// Rows by table name, each row a value per column in column order.
std::map<std::string, std::vector<std::vector<sqldmo::Value>>> bookshopRows(const sqldmo::model::Database& database);

}  // namespace sample
