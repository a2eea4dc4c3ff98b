// Planning and the helpers the emitters share.
#include "sqldmo/script/ScriptBuilder.h"

#include <algorithm>
#include <unordered_set>

#include "sqldmo/script/Quoting.h"

namespace sqldmo::script {

Switches Switches::decode(const TransferSettings& s) {
    const auto t = s.scriptType;
    const auto t2 = s.script2Type;
    Switches w;
    w.primaryObject = t & flags::PrimaryObject;
    w.drops = t & flags::Drops;
    w.headers = t & flags::IncludeHeaders;
    w.permissions = t & flags::ObjectPermissions;
    w.clusteredIndexes = t & flags::ClusteredIndexes;
    w.nonClusteredIndexes = t & flags::NonClusteredIndexes;
    w.keyIndexes = t & flags::DRIIndexes;
    w.triggers = t & flags::Triggers;
    w.bindings = t & flags::Bindings;
    w.ownerQualify = t & flags::OwnerQualify;
    w.primaryKeys = t & flags::DRI_PrimaryKey;
    w.uniqueKeys = t & flags::DRI_Unique;
    w.checks = t & flags::DRI_Checks;
    w.defaults = t & flags::DRI_Defaults;
    w.foreignKeys = t & flags::DRI_ForeignKeys;
    w.withNoCheck = t & flags::DRIWithNoCheck;
    w.extendedProperties = t2 & flags2::ExtendedProperty;
    w.only70 = t2 & flags2::Only70;
    w.fullText = t2 & flags2::FullTextIndex;
    w.includeDependencies = s.includeDependencies;
    w.includeUsers = s.includeUsers;
    w.includeLogins = s.includeLogins;
    return w;
}

ScriptBuilder::ScriptBuilder(const model::Server& server, const model::Database& database, const CatalogIndex& index,
                             const Switches& switches, std::string_view newline)
    : server_(server), database_(database), index_(index), sw_(switches), nl_(newline) {}

std::string_view ScriptBuilder::kindTitle(ObjectKind kind) noexcept {
    switch (kind) {
        case ObjectKind::Table: return "Table";
        case ObjectKind::View: return "View";
        case ObjectKind::Procedure: return "Stored Procedure";
        case ObjectKind::Default: return "Default";
        case ObjectKind::Rule: return "Rule";
        case ObjectKind::Type: return "User Defined Datatype";
        case ObjectKind::Function: return "User Defined Function";
    }
    return "Object";
}

namespace {

// What an object needs: the objects its catalogue entry names, the types of its columns, the
// defaults and rules bound to it. With `closure`, also what its other parts need (the tables
// its foreign keys refer to, what its triggers use), which IncludeDependencies pulls in but
// which never orders the object itself.
std::vector<ObjectRef> collectUses(const CatalogIndex& index, const Switches& sw, ObjectRef r, bool closure) {
    std::vector<ObjectRef> out;
    auto add = [&](ObjectRef u) {
        if (!u || u.object == r.object) return;
        if (!closure && r.kind == ObjectKind::Table && u.kind == ObjectKind::Table) return;
        out.push_back(u);
    };
    for (model::ObjectId id : r.object->dependsOn) add(index.byId(id));
    if (r.kind == ObjectKind::Table) {
        const auto& t = static_cast<const model::Table&>(*r.object);
        for (const auto& c : t.columns) {
            if (const auto* type = index.type(c.dataType)) add({ObjectKind::Type, type});
            add(index.bound(ObjectKind::Default, c.boundDefault));
            add(index.bound(ObjectKind::Rule, c.boundRule));
        }
        if (closure && sw.foreignKeys)
            for (const auto& fk : t.foreignKeys) {
                ObjectRef target = index.byId(fk.referencedTableId);
                if (!target) target = index.find(ObjectKind::Table, fk.referencedOwner, fk.referencedTable);
                add(target);
            }
        if (closure && sw.triggers)
            for (const auto& tr : t.triggers)
                for (model::ObjectId id : tr.dependsOn) add(index.byId(id));
    } else if (r.kind == ObjectKind::Type) {
        const auto& u = static_cast<const model::UserDefinedDatatype&>(*r.object);
        add(index.bound(ObjectKind::Default, u.boundDefault));
        add(index.bound(ObjectKind::Rule, u.boundRule));
    } else if (r.kind == ObjectKind::View && closure && sw.triggers) {
        for (const auto& tr : static_cast<const model::View&>(*r.object).triggers)
            for (model::ObjectId id : tr.dependsOn) add(index.byId(id));
    }
    return out;
}

}  // namespace

void ScriptBuilder::plan(const std::vector<ObjectRef>& chosen) {
    std::vector<ObjectRef> list;
    std::unordered_set<const model::SchemaObject*> seen;
    auto take = [&](ObjectRef r) {
        if (r && seen.insert(r.object).second) list.push_back(r);
    };
    for (ObjectRef r : chosen) take(r);
    if (sw_.includeDependencies)
        for (std::size_t i = 0; i < list.size(); ++i)
            for (ObjectRef u : collectUses(index_, sw_, list[i], true)) take(u);

    struct Key {
        ObjectKind kind;
        std::string owner, name;
        const model::SchemaObject* object;
    };
    std::vector<Key> keys;
    keys.reserve(list.size());
    for (ObjectRef r : list) keys.push_back({r.kind, foldName(r.object->owner), foldName(r.object->name), r.object});
    std::vector<std::size_t> order(list.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const Key& x = keys[a];
        const Key& y = keys[b];
        if (x.kind != y.kind) return x.kind < y.kind;
        if (int c = x.owner.compare(y.owner)) return c < 0;
        if (int c = x.name.compare(y.name)) return c < 0;
        if (int c = x.object->owner.compare(y.object->owner)) return c < 0;
        if (int c = x.object->name.compare(y.object->name)) return c < 0;
        return x.object->id < y.object->id;
    });

    planned_.clear();
    planned_.reserve(list.size());
    plannedIndex_.reserve(list.size());
    createEntry_.reserve(list.size());
    dropEntry_.reserve(sw_.drops ? list.size() : 0);
    tableParts_.reserve(list.size());
    // Roughly a dozen entries per table at most (the table, its parts, its drops).
    creates.reserve(list.size() * 6);
    drops.reserve(sw_.drops ? list.size() * 3 : 0);
    for (std::size_t i : order) {
        PlannedObject p;
        p.ref = list[i];
        p.rank = static_cast<std::uint32_t>(planned_.size());
        plannedIndex_.emplace(p.ref.object, p.rank);
        planned_.push_back(std::move(p));
    }
    for (auto& p : planned_) {
        for (ObjectRef u : collectUses(index_, sw_, p.ref, false))
            if (isPlanned(u.object)) p.uses.push_back(u);
    }
}

void ScriptBuilder::emitObject(const PlannedObject& p) {
    if (sw_.drops) emitDrops(p);
    switch (p.ref.kind) {
        case ObjectKind::Table: emitTable(p); break;
        case ObjectKind::View:
        case ObjectKind::Procedure:
        case ObjectKind::Function: emitModule(p); break;
        case ObjectKind::Default:
        case ObjectKind::Rule: emitDefaultOrRule(p); break;
        case ObjectKind::Type: emitType(p); break;
    }
}

EntryId ScriptBuilder::addCreate(Entry entry) {
    creates.push_back(std::move(entry));
    return static_cast<EntryId>(creates.size() - 1);
}

EntryId ScriptBuilder::addDrop(Entry entry) {
    drops.push_back(std::move(entry));
    return static_cast<EntryId>(drops.size() - 1);
}

std::string ScriptBuilder::name(const model::SchemaObject& o) const { return name(o.owner, o.name); }

std::string ScriptBuilder::name(std::string_view owner, std::string_view n) const {
    return quote::qualified(owner, n, sw_.ownerQualify);
}

std::string ScriptBuilder::headerName(std::string_view owner, std::string_view n) const {
    return quote::commentText(quote::qualified(owner, n, true));
}

std::string ScriptBuilder::title(const PlannedObject& p) const {
    std::string t(kindTitle(p.ref.kind));
    t += ' ';
    t += headerName(p.ref.object->owner, p.ref.object->name);
    return t;
}

void ScriptBuilder::needPrincipal(EntryId entry, std::string_view principal) {
    auto it = principalEntry_.find(foldName(principal));
    if (it != principalEntry_.end()) creates[entry].deps.push_back(it->second);
}

void ScriptBuilder::needOwner(EntryId entry, std::string_view owner) { needPrincipal(entry, owner); }

void ScriptBuilder::needObject(EntryId entry, const model::SchemaObject* object) {
    if (object) pendingObjects_.emplace_back(entry, object);
}

std::string ScriptBuilder::settingsBatch(const model::ModuleSettings& s) const {
    std::string b;
    b += s.quotedIdentifier ? "SET QUOTED_IDENTIFIER ON" : "SET QUOTED_IDENTIFIER OFF";
    b += nl_;
    b += s.ansiNulls ? "SET ANSI_NULLS ON" : "SET ANSI_NULLS OFF";
    b += nl_;
    return b;
}

void ScriptBuilder::resolvePending() {
    for (auto [entry, object] : pendingObjects_) {
        auto it = createEntry_.find(object);
        if (it != createEntry_.end() && it->second != entry) creates[entry].deps.push_back(it->second);
    }
    for (auto [entry, table] : pendingKeys_) {
        auto it = createEntry_.find(table);
        if (it != createEntry_.end()) creates[entry].deps.push_back(it->second);
        auto parts = tableParts_.find(table);
        if (parts != tableParts_.end())
            for (EntryId k : parts->second.keys) creates[entry].deps.push_back(k);
    }
    // A thing is dropped only after everything that uses it.
    for (const auto& p : planned_) {
        auto mine = dropEntry_.find(p.ref.object);
        if (mine == dropEntry_.end()) continue;
        for (ObjectRef u : p.uses) {
            auto theirs = dropEntry_.find(u.object);
            if (theirs != dropEntry_.end()) drops[theirs->second].deps.push_back(mine->second);
        }
    }
}

}  // namespace sqldmo::script
