// Hash indexes over a database's catalogue.
#include "sqldmo/script/CatalogIndex.h"

namespace sqldmo::script {

std::string foldName(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string CatalogIndex::key(std::string_view owner, std::string_view name) {
    std::string k = foldName(owner);
    k += '\x1f';
    k += foldName(name);
    return k;
}

CatalogIndex::CatalogIndex(const model::Server& server, const model::Database& database) {
    auto add = [&](ObjectKind kind, const model::SchemaObject& o) {
        ObjectRef ref{kind, &o};
        byId_.emplace(o.id, ref);
        auto k = static_cast<std::size_t>(kind);
        byName_[k].emplace(key(o.owner, o.name), ref);
        byBareName_[k].emplace(foldName(o.name), ref);
    };
    for (const auto& t : database.tables) add(ObjectKind::Table, t);
    for (const auto& v : database.views) add(ObjectKind::View, v);
    for (const auto& p : database.procedures) add(ObjectKind::Procedure, p);
    for (const auto& d : database.defaults) add(ObjectKind::Default, d);
    for (const auto& r : database.rules) add(ObjectKind::Rule, r);
    for (const auto& u : database.types) {
        add(ObjectKind::Type, u);
        types_.emplace(foldName(u.name), &u);
    }
    for (const auto& f : database.functions) add(ObjectKind::Function, f);
    // Foreign keys by the table they refer to; a reader that gave no id still gave the name.
    for (const auto& t : database.tables) {
        for (const auto& fk : t.foreignKeys) {
            model::ObjectId target = fk.referencedTableId;
            if (target == 0)
                if (auto ref = find(ObjectKind::Table, fk.referencedOwner, fk.referencedTable)) target = ref.object->id;
            if (target != 0) referencing_[target].push_back({&t, &fk});
        }
    }
    for (const auto& u : database.users) users_.emplace(foldName(u.name), &u);
    for (const auto& r : database.roles) roles_.emplace(foldName(r.name), &r);
    for (const auto& l : server.logins) logins_.emplace(foldName(l.name), &l);
}

ObjectRef CatalogIndex::byId(model::ObjectId id) const {
    auto it = byId_.find(id);
    return it == byId_.end() ? ObjectRef{} : it->second;
}

ObjectRef CatalogIndex::find(ObjectKind kind, std::string_view owner, std::string_view name) const {
    auto k = static_cast<std::size_t>(kind);
    if (owner.empty()) {
        auto it = byBareName_[k].find(foldName(name));
        return it == byBareName_[k].end() ? ObjectRef{} : it->second;
    }
    auto it = byName_[k].find(key(owner, name));
    return it == byName_[k].end() ? ObjectRef{} : it->second;
}

const model::UserDefinedDatatype* CatalogIndex::type(std::string_view name) const {
    auto it = types_.find(foldName(name));
    return it == types_.end() ? nullptr : it->second;
}

ObjectRef CatalogIndex::bound(ObjectKind kind, std::string_view ownerDotName) const {
    if (ownerDotName.empty()) return {};
    auto dot = ownerDotName.find('.');
    if (dot != std::string_view::npos)
        if (auto ref = find(kind, ownerDotName.substr(0, dot), ownerDotName.substr(dot + 1))) return ref;
    return find(kind, {}, ownerDotName);
}

const std::vector<ReferencingKey>& CatalogIndex::referencing(model::ObjectId tableId) const {
    static const std::vector<ReferencingKey> none;
    auto it = referencing_.find(tableId);
    return it == referencing_.end() ? none : it->second;
}

const model::User* CatalogIndex::user(std::string_view name) const {
    auto it = users_.find(foldName(name));
    return it == users_.end() ? nullptr : it->second;
}

const model::Role* CatalogIndex::role(std::string_view name) const {
    auto it = roles_.find(foldName(name));
    return it == roles_.end() ? nullptr : it->second;
}

const model::Login* CatalogIndex::login(std::string_view name) const {
    auto it = logins_.find(foldName(name));
    return it == logins_.end() ? nullptr : it->second;
}

}  // namespace sqldmo::script
