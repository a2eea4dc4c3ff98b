// Small lookups of the catalogue model.
#include "sqldmo/model/Catalog.h"

namespace sqldmo::model {
namespace {

bool sameName(const std::string& a, const std::string& b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

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

const Login* Server::findLogin(const std::string& loginName) const {
    for (const auto& l : logins)
        if (sameName(l.name, loginName)) return &l;
    return nullptr;
}

}  // namespace sqldmo::model
