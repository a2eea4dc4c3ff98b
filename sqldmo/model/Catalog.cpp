// Small lookups of the catalogue model.
#include "sqldmo/model/Catalog.h"

#include "sqldmo/model/Names.h"

namespace sqldmo::model {
namespace {

template <class Range>
const SchemaObject* byId(const Range& range, ObjectId id) {
    for (const auto& o : range)
        if (o.id == id) return &o;
    return nullptr;
}

}  // namespace

const Column* Table::findColumn(const std::string& columnName) const {
    for (const auto& c : columns)
        if (sameName(c.name, columnName)) return &c;
    return nullptr;
}

const Table* Database::findTable(const std::string& tableOwner, const std::string& tableName) const {
    for (const auto& t : tables)
        if (sameName(t.name, tableName) && (tableOwner.empty() || sameName(t.owner, tableOwner))) return &t;
    return nullptr;
}

const SchemaObject* Database::findById(ObjectId id) const {
    if (auto* o = byId(tables, id)) return o;
    if (auto* o = byId(views, id)) return o;
    if (auto* o = byId(procedures, id)) return o;
    if (auto* o = byId(defaults, id)) return o;
    if (auto* o = byId(rules, id)) return o;
    if (auto* o = byId(types, id)) return o;
    if (auto* o = byId(functions, id)) return o;
    for (const auto& t : tables)
        if (auto* o = byId(t.triggers, id)) return o;
    return nullptr;
}

const Database* Server::findDatabase(const std::string& databaseName) const {
    for (const auto& d : databases)
        if (d && sameName(d->name, databaseName)) return d.get();
    return nullptr;
}

bool operator==(const Server& a, const Server& b) {
    if (a.name != b.name || a.versionMajor != b.versionMajor || a.versionMinor != b.versionMinor ||
        a.versionString != b.versionString || a.login != b.login || a.logins != b.logins ||
        a.databases.size() != b.databases.size())
        return false;
    for (std::size_t i = 0; i < a.databases.size(); ++i) {
        const auto& x = a.databases[i];
        const auto& y = b.databases[i];
        if (!x || !y) {
            if (x != y) return false;
        } else if (!(*x == *y)) {
            return false;
        }
    }
    return true;
}

const Login* Server::findLogin(const std::string& loginName) const {
    for (const auto& l : logins)
        if (sameName(l.name, loginName)) return &l;
    return nullptr;
}

}  // namespace sqldmo::model
