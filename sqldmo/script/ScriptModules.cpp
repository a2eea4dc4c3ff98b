// Emitters for objects defined by stored text (views, procedures, functions, triggers,
// defaults, rules) and for user-defined data types.
#include "sqldmo/script/Quoting.h"
#include "sqldmo/script/ScriptBuilder.h"

namespace sqldmo::script {
namespace {

Group groupOf(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::Table: return Group::Table;
        case ObjectKind::View: return Group::View;
        case ObjectKind::Procedure: return Group::Procedure;
        case ObjectKind::Default: return Group::Default;
        case ObjectKind::Rule: return Group::Rule;
        case ObjectKind::Type: return Group::Type;
        case ObjectKind::Function: return Group::Function;
    }
    return Group::Table;
}

bool restoresSettings(const model::ModuleSettings& s) { return !s.quotedIdentifier || !s.ansiNulls; }

// Defaults and rules do not record the settings they were created with. Their text only
// depends on QUOTED_IDENTIFIER, and only through a double-quoted string ("a"), which reads
// as a string with the setting off and as a name (an error in a default or rule) with it on.
model::ModuleSettings settingsForExpressionText(std::string_view text) {
    model::ModuleSettings s;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\'' || c == '[') {
            char close = c == '[' ? ']' : '\'';
            for (++i; i < text.size() && text[i] != close; ++i) {}
        } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            while (i < text.size() && text[i] != '\n') ++i;
        } else if (c == '"') {
            s.quotedIdentifier = false;
            break;
        }
    }
    return s;
}

}  // namespace

std::string ScriptBuilder::leftOutTextFor70(std::string_view text, const std::vector<model::ObjectId>& uses) {
    if (!sw_.only70) return {};
    for (model::ObjectId id : uses) {
        ObjectRef r = index_.byId(id);
        if (!r) continue;
        const std::string used = std::string(kindTitle(r.kind)) + ' ' + headerName(r.object->owner, r.object->name);
        if (r.kind == ObjectKind::Function) return ", which calls " + used;
        if (r.kind == ObjectKind::Table) {
            std::string column = leftOutFor70(static_cast<const model::Table&>(*r.object)).columnNamedIn(text);
            if (!column.empty()) return ", which names column " + column + " of " + used + ", left out";
        }
    }
    return {};
}

const std::string& ScriptBuilder::leftOutViewFor70(const model::View& v) {
    static const std::string kept;
    if (!sw_.only70) return kept;
    auto [it, added] = leftOutViews70_.try_emplace(&v);
    // The entry itself, not the iterator: the calls below add entries and may rehash the map,
    // which moves no element but invalidates iterators.
    std::string& why = it->second;
    if (!added) return why;  // known, or being decided (a loop keeps the view)
    std::string found = leftOutTextFor70(v.text, v.dependsOn);
    // A view cannot be created over a view that is missing; other modules resolve the names
    // they use when they run.
    for (std::size_t i = 0; found.empty() && i < v.dependsOn.size(); ++i) {
        ObjectRef r = index_.byId(v.dependsOn[i]);
        if (r && r.kind == ObjectKind::View && r.object != &v &&
            !leftOutViewFor70(static_cast<const model::View&>(*r.object)).empty())
            found = ", which uses View " + headerName(r.object->owner, r.object->name) + ", left out";
    }
    why = std::move(found);
    return why;
}

void ScriptBuilder::emitModule(const PlannedObject& p) {
    const auto& m = static_cast<const model::Module&>(*p.ref.object);
    const std::string tt = title(p);
    Entry e;
    e.group = groupOf(p.ref.kind);
    e.rank = p.rank;
    e.label = tt;
    if (p.ref.kind == ObjectKind::Function && sw_.only70) {
        e.comment = "-- Left out for SQL Server 7.0, which has no user-defined functions: " + tt + "." + nl_;
        addCreate(std::move(e));
        return;
    }
    if (sw_.only70 && p.ref.kind != ObjectKind::Function) {
        const std::string why = p.ref.kind == ObjectKind::View ? leftOutViewFor70(static_cast<const model::View&>(m))
                                                               : leftOutTextFor70(m.text, m.dependsOn);
        if (!why.empty()) {
            e.comment = "-- Left out for SQL Server 7.0: " + tt + why + "." + nl_;
            addCreate(std::move(e));
            return;
        }
    }
    bool creates = false;
    if (sw_.primaryObject) {
        e.header = tt;
        if (m.encrypted) {
            e.comment = "-- " + tt + " is encrypted: its text cannot be scripted." + nl_;
        } else if (m.text.empty()) {
            e.comment = "-- " + tt + " has no stored text: it cannot be scripted." + nl_;
        } else {
            e.batches.push_back(settingsBatch(m.settings));
            e.batches.push_back(m.text);
            if (restoresSettings(m.settings)) e.batches.push_back(settingsBatch({}));
            creates = true;
        }
        if (p.ref.kind == ObjectKind::Procedure) e.lateBound = true;
        if (p.ref.kind == ObjectKind::Function &&
            static_cast<const model::UserDefinedFunction&>(m).kind != model::FunctionKind::InlineTable)
            e.lateBound = true;
    }
    EntryId id = 0;
    bool hasEntry = false;
    if (!e.comment.empty() || !e.batches.empty()) {
        id = addCreate(std::move(e));
        hasEntry = true;
        if (creates) {
            createEntry_[&m] = id;
            needOwner(id, m.owner);
            for (ObjectRef u : p.uses) needObject(id, u.object);
        }
    }
    // A module the script does not create (encrypted, or without stored text) may be missing
    // where the script runs: its permissions are granted only where it exists. Its extended
    // properties are left out: where it exists, it still has them.
    emitPermissions(p, groupOf(p.ref.kind), id, hasEntry, sw_.primaryObject && !creates);
    if (creates) emitProperties(p, groupOf(p.ref.kind), 2, id, true, tt, {{{}, {}, &m.properties}});

    if (p.ref.kind == ObjectKind::View) {
        const auto& v = static_cast<const model::View&>(m);
        if (sw_.primaryObject && !creates) {
            // Where the view exists it keeps its indexes and triggers (it is not dropped), and
            // where it is missing they cannot be made: either way creating them would fail.
            bool indexes = false;
            for (const auto& ix : v.indexes)
                indexes = indexes || (ix.clustered ? sw_.clusteredIndexes : sw_.nonClusteredIndexes);
            const bool triggers = sw_.triggers && !v.triggers.empty();
            if (indexes || triggers) {
                Entry k;
                k.group = Group::ViewIndex;
                k.rank = p.rank;
                k.label = "indexes and triggers of " + tt;
                k.comment = std::string("-- Not scripted: the ") +
                            (indexes && triggers ? "indexes and triggers" : indexes ? "indexes" : "triggers") + " of " + tt +
                            ", which the script does not create; where it exists, it keeps them." + nl_;
                addCreate(std::move(k));
            }
            return;
        }
        emitViewIndexes(p);
        if (sw_.triggers)
            for (const auto& tr : v.triggers) emitTrigger(p, tr, name(v), true);
    }
}

void ScriptBuilder::emitViewIndexes(const PlannedObject& p) {
    const auto& v = static_cast<const model::View&>(*p.ref.object);
    const std::string vn = name(v);
    std::string s;
    std::vector<PropertyTarget> props;
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& ix : v.indexes) {
            if (ix.clustered != (pass == 0) || !(ix.clustered ? sw_.clusteredIndexes : sw_.nonClusteredIndexes)) continue;
            s += "CREATE ";
            if (ix.unique) s += "UNIQUE ";
            s += ix.clustered ? "CLUSTERED" : "NONCLUSTERED";
            s += " INDEX " + quote::identifier(ix.name) + " ON " + vn + " (";
            for (std::size_t i = 0; i < ix.columns.size(); ++i) {
                if (i) s += ", ";
                quote::appendIdentifier(s, ix.columns[i].name);
                if (ix.columns[i].descending) s += " DESC";
            }
            s += ')';
            if (ix.fillFactor > 0) s += " WITH FILLFACTOR = " + std::to_string(ix.fillFactor);
            if (!ix.fileGroup.empty()) s += " ON " + quote::identifier(ix.fileGroup);
            s += nl_;
            props.push_back({"index", ix.name, &ix.properties});
        }
    if (s.empty()) return;
    Entry e;
    e.group = Group::ViewIndex;
    e.rank = p.rank;
    e.label = "indexes of " + title(p);
    // An indexed view needs ARITHABORT on, which sqlcmd leaves off; the other settings it
    // needs are sqlcmd's defaults.
    e.batches.push_back("SET ARITHABORT ON" + nl_ + s);
    EntryId id = addCreate(std::move(e));
    needObject(id, &v);
    emitProperties(p, Group::ViewIndex, 1, id, true, "the indexes of " + title(p), props);
}

void ScriptBuilder::emitTrigger(const PlannedObject& p, const model::Trigger& tr, std::string_view parentName, bool parentIsView) {
    const auto& parent = *p.ref.object;
    const std::string& owner = tr.owner.empty() ? parent.owner : tr.owner;
    const std::string tt = "Trigger " + headerName(owner, tr.name);
    Entry e;
    e.group = Group::Trigger;
    e.rank = p.rank;
    e.label = tt;
    e.lateBound = true;
    bool creates = false;
    std::string why;
    if (sw_.only70 && tr.insteadOf) {
        e.comment = "-- Left out for SQL Server 7.0, which has no INSTEAD OF triggers: " + tt + "." + nl_;
    } else if (why = leftOutTextFor70(tr.text, tr.dependsOn); !why.empty()) {
        e.comment = "-- Left out for SQL Server 7.0: " + tt + why + "." + nl_;
    } else if (tr.encrypted) {
        e.header = tt;
        e.comment = "-- " + tt + " on " + title(p) + " is encrypted: its text cannot be scripted." + nl_;
    } else if (tr.text.empty()) {
        e.comment = "-- " + tt + " has no stored text: it cannot be scripted." + nl_;
    } else {
        e.header = tt;
        e.batches.push_back(settingsBatch(tr.settings));
        e.batches.push_back(sw_.only70 ? triggerTextFor70(tr.text) : tr.text);
        if (restoresSettings(tr.settings)) e.batches.push_back(settingsBatch({}));
        if (tr.disabled && !parentIsView)
            e.batches.push_back("ALTER TABLE " + std::string(parentName) + " DISABLE TRIGGER " + quote::identifier(tr.name) + nl_);
        creates = true;
    }
    EntryId id = addCreate(std::move(e));
    if (!creates) return;
    needObject(id, &parent);
    for (model::ObjectId dep : tr.dependsOn)
        if (ObjectRef r = index_.byId(dep); r && r.object != &parent) needObject(id, r.object);
    if (sw_.extendedProperties && !tr.properties.empty()) {
        // A trigger's properties hang below its table or view.
        emitProperties(p, Group::Trigger, 1, id, true, tt, {{"trigger", tr.name, &tr.properties}});
    }
}

void ScriptBuilder::emitDefaultOrRule(const PlannedObject& p) {
    if (!sw_.primaryObject) return;
    const bool isDefault = p.ref.kind == ObjectKind::Default;
    const std::string& text = isDefault ? static_cast<const model::DefaultObject&>(*p.ref.object).text
                                        : static_cast<const model::Rule&>(*p.ref.object).text;
    const std::string tt = title(p);
    Entry e;
    e.group = groupOf(p.ref.kind);
    e.rank = p.rank;
    e.label = tt;
    e.header = tt;
    if (text.empty()) {
        e.comment = "-- " + tt + " has no stored text: it cannot be scripted." + nl_;
        addCreate(std::move(e));
        return;
    }
    model::ModuleSettings settings = settingsForExpressionText(text);
    e.batches.push_back(settingsBatch(settings));
    e.batches.push_back(text);
    if (restoresSettings(settings)) e.batches.push_back(settingsBatch({}));
    EntryId id = addCreate(std::move(e));
    createEntry_[p.ref.object] = id;
    needOwner(id, p.ref.object->owner);
    for (ObjectRef u : p.uses) needObject(id, u.object);
    emitProperties(p, groupOf(p.ref.kind), 2, id, true, tt, {{{}, {}, &p.ref.object->properties}});
}

void ScriptBuilder::emitType(const PlannedObject& p) {
    if (!sw_.primaryObject) return;
    const auto& u = static_cast<const model::UserDefinedDatatype&>(*p.ref.object);
    const std::string tt = title(p);
    Entry e;
    e.group = Group::Type;
    e.rank = p.rank;
    e.label = tt;
    const std::string base = foldName(u.baseType);
    if (sw_.only70 && (base == "bigint" || base == "sql_variant")) {
        e.comment = "-- Left out for SQL Server 7.0, which has no " + base + ": " + tt + "." + nl_;
        addCreate(std::move(e));
        return;
    }
    e.header = tt;
    std::string physical = u.baseType;
    if (base == "char" || base == "varchar" || base == "nchar" || base == "nvarchar" || base == "binary" ||
        base == "varbinary") {
        if (u.length == -1) physical += " (max)";
        else if (u.length > 0) physical += " (" + std::to_string(u.length) + ")";
    } else if ((base == "decimal" || base == "numeric") && u.precision > 0) {
        physical += " (" + std::to_string(u.precision) + ", " + std::to_string(u.scale) + ")";
    }
    std::string s = "EXEC sp_addtype " + quote::unicode(u.name) + ", " + quote::unicode(physical) + ", " +
                    (u.nullable ? "N'NULL'" : "N'NOT NULL'");
    if (sw_.ownerQualify && !u.owner.empty()) s += ", " + quote::unicode(u.owner);
    s += nl_;
    e.batches.push_back(std::move(s));

    // Bindings go with the type, so that the columns created after it inherit them. A plain
    // type name is what sp_bindefault and sp_bindrule read as a type (a dotted one is a column).
    std::vector<const model::SchemaObject*> bound;
    if (sw_.bindings) {
        const bool plain = u.name.find_first_of(".[]") == std::string::npos;
        const std::string typeName = quote::unicode(plain ? u.name : quote::identifier(u.name));
        std::string b;
        auto bindOne = [&](std::string_view proc, ObjectKind kind, const std::string& ownerDotName) {
            if (ownerDotName.empty()) return;
            ObjectRef ref = index_.bound(kind, ownerDotName);
            std::string objectName;
            if (ref) {
                objectName = name(*ref.object);
                bound.push_back(ref.object);
            } else {
                auto dot = ownerDotName.find('.');
                objectName = dot == std::string::npos ? name({}, ownerDotName)
                                                      : name(std::string_view(ownerDotName).substr(0, dot),
                                                             std::string_view(ownerDotName).substr(dot + 1));
            }
            b += "EXEC " + std::string(proc) + ' ' + quote::unicode(objectName) + ", " + typeName + nl_;
        };
        bindOne("sp_bindefault", ObjectKind::Default, u.boundDefault);
        bindOne("sp_bindrule", ObjectKind::Rule, u.boundRule);
        if (!b.empty()) e.batches.push_back(std::move(b));
    }
    EntryId id = addCreate(std::move(e));
    createEntry_[&u] = id;
    needOwner(id, u.owner);
    for (ObjectRef r : p.uses) needObject(id, r.object);
    for (const auto* o : bound) needObject(id, o);
    emitProperties(p, Group::Type, 2, id, true, tt, {{{}, {}, &u.properties}});
}

}  // namespace sqldmo::script
