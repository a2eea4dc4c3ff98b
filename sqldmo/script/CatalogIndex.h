// Hash indexes over one database's catalogue for the scripter: objects by id and by name,
// types, defaults and rules by the names columns use, foreign keys by the table they refer
// to, users, roles and logins by name. Built once per script, in one pass.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sqldmo/model/Catalog.h"

namespace sqldmo::script {

// The seven kinds of object a script is made of, in the order of their lists.
enum class ObjectKind : std::uint8_t { Table, View, Procedure, Default, Rule, Type, Function };

struct ObjectRef {
    ObjectKind kind = ObjectKind::Table;
    const model::SchemaObject* object = nullptr;

    explicit operator bool() const noexcept { return object != nullptr; }
};

struct ReferencingKey {
    const model::Table* table;
    const model::ForeignKey* key;
};

// Lower-cased (ASCII letters only, as the catalogue compares names) copy of a name.
std::string foldName(std::string_view name);

class CatalogIndex {
public:
    CatalogIndex(const model::Server& server, const model::Database& database);

    // By catalogue id; a trigger's id gives nothing (triggers come with their table).
    ObjectRef byId(model::ObjectId id) const;
    // By kind, owner and name, case-insensitive; an empty owner takes the first of that name.
    ObjectRef find(ObjectKind kind, std::string_view owner, std::string_view name) const;
    // A user-defined data type by name (type names are unique in a database).
    const model::UserDefinedDatatype* type(std::string_view name) const;
    // A default or rule named "owner.name" (or "name") as bindings record them.
    ObjectRef bound(ObjectKind kind, std::string_view ownerDotName) const;
    // Foreign keys of every table that refer to the table with this id.
    const std::vector<ReferencingKey>& referencing(model::ObjectId tableId) const;
    const model::User* user(std::string_view name) const;
    const model::Role* role(std::string_view name) const;
    const model::Login* login(std::string_view name) const;

private:
    static std::string key(std::string_view owner, std::string_view name);

    std::unordered_map<model::ObjectId, ObjectRef> byId_;
    std::unordered_map<std::string, ObjectRef> byName_[7];       // key(owner, name)
    std::unordered_map<std::string, ObjectRef> byBareName_[7];   // foldName(name): the first one
    std::unordered_map<std::string, const model::UserDefinedDatatype*> types_;
    std::unordered_map<model::ObjectId, std::vector<ReferencingKey>> referencing_;
    std::unordered_map<std::string, const model::User*> users_;
    std::unordered_map<std::string, const model::Role*> roles_;
    std::unordered_map<std::string, const model::Login*> logins_;
};

}  // namespace sqldmo::script
