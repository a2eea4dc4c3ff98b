// Emitters for a table and its parts: the CREATE TABLE, column bindings, keys, checks and
// defaults, indexes, full-text index, foreign keys and triggers.
#include <algorithm>

#include "sqldmo/model/Value.h"
#include "sqldmo/script/LeftOut70.h"
#include "sqldmo/script/Quoting.h"
#include "sqldmo/script/ScriptBuilder.h"

namespace sqldmo::script {
namespace {

bool isSystemTypeName(std::string_view name) {
    return sqlTypeFromName(name) != SqlType::Unknown && foldName(name) != "sysname";
}

// [type] with its length or precision: [nvarchar] (40), [decimal] (10, 2), [zipcode].
std::string columnType(const model::Column& c) {
    std::string out = quote::identifier(c.dataType);
    if (!isSystemTypeName(c.dataType)) return out;
    switch (sqlTypeFromName(c.dataType)) {
        case SqlType::Char:
        case SqlType::VarChar:
        case SqlType::NChar:
        case SqlType::NVarChar:
        case SqlType::Binary:
        case SqlType::VarBinary:
            if (c.length == -1) out += " (max)";
            else if (c.length > 0) out += " (" + std::to_string(c.length) + ")";
            break;
        case SqlType::Decimal:
        case SqlType::Numeric:
            if (c.precision > 0) out += " (" + std::to_string(c.precision) + ", " + std::to_string(c.scale) + ")";
            break;
        default: break;
    }
    return out;
}

bool isLargeObject(const model::Column& c) {
    auto t = sqlTypeFromName(c.baseType.empty() ? c.dataType : c.baseType);
    return t == SqlType::Text || t == SqlType::NText || t == SqlType::Image;
}

std::string keyColumns(const std::vector<model::IndexColumn>& columns) {
    std::string out;
    for (const auto& c : columns) {
        if (!out.empty()) out += ", ";
        quote::appendIdentifier(out, c.name);
        if (c.descending) out += " DESC";
    }
    return out;
}

std::string columnList(const std::vector<std::string>& columns) {
    std::string out;
    for (const auto& c : columns) {
        if (!out.empty()) out += ", ";
        quote::appendIdentifier(out, c);
    }
    return out;
}

std::string indexOptions(bool padIndex, int fillFactor, bool ignoreDupKey, bool noRecompute) {
    std::vector<std::string> o;
    if (padIndex) o.emplace_back("PAD_INDEX");
    if (fillFactor > 0) o.push_back("FILLFACTOR = " + std::to_string(fillFactor));
    if (ignoreDupKey) o.emplace_back("IGNORE_DUP_KEY");
    if (noRecompute) o.emplace_back("STATISTICS_NORECOMPUTE");
    std::string out;
    for (const auto& s : o) {
        out += out.empty() ? " WITH " : ", ";
        out += s;
    }
    return out;
}

std::string onFileGroup(const std::string& fileGroup) {
    return fileGroup.empty() ? std::string() : " ON " + quote::identifier(fileGroup);
}

}  // namespace

LeftOutFor70 ScriptBuilder::leftOutFor70(const model::Table& t) const {
    if (!sw_.only70) return {};
    std::vector<const model::SchemaObject*> functions;
    for (model::ObjectId id : t.dependsOn)
        if (ObjectRef r = index_.byId(id); r && r.kind == ObjectKind::Function) functions.push_back(r.object);
    return LeftOutFor70(t, functions);
}

void ScriptBuilder::emitTable(const PlannedObject& p) {
    const auto& t = static_cast<const model::Table&>(*p.ref.object);
    const std::string tn = name(t);
    const std::string tt = title(p);
    const LeftOutFor70 leftOut = leftOutFor70(t);

    if (leftOut.everyColumn()) {
        Entry e;
        e.group = Group::Table;
        e.rank = p.rank;
        e.label = tt;
        e.comment = "-- Left out for SQL Server 7.0: every column of " + tt + " has a type it lacks." + nl_;
        addCreate(std::move(e));
        return;
    }

    // The entries of the table's parts wait for the CREATE TABLE when the script has one.
    std::vector<EntryId> tableDeps;
    auto partEntry = [&](Group group, std::string label) {
        Entry e;
        e.group = group;
        e.rank = p.rank;
        e.label = std::move(label);
        e.deps = tableDeps;
        return e;
    };

    if (sw_.primaryObject) {
        Entry e;
        e.group = Group::Table;
        e.rank = p.rank;
        e.header = tt;
        e.label = tt;
        bool collationLeftOut = false;
        bool largeObjects = false;
        std::vector<std::string> lines;
        for (const auto& c : t.columns) {
            if (auto missing = typeMissingIn70(c); sw_.only70 && !missing.empty()) {
                e.comment += "-- Left out for SQL Server 7.0, which has no " + std::string(missing) + ": column " +
                             quote::commentText(quote::identifier(c.name)) +
                             ", with the keys, indexes and constraints on it." + nl_;
                continue;
            }
            if (c.isComputed() && leftOut.column(c.name)) {
                const std::string column = quote::commentText(quote::identifier(c.name));
                if (std::string f = leftOut.functionCalledBy(c.computedText); !f.empty())
                    e.comment += "-- Left out for SQL Server 7.0, which has no user-defined functions: computed column " +
                                 column + ", which calls " + f + ", with the keys, indexes and constraints on it." + nl_;
                else
                    e.comment += "-- Left out for SQL Server 7.0: computed column " + column +
                                 ", which uses a column left out above." + nl_;
                continue;
            }
            largeObjects = largeObjects || isLargeObject(c);
            std::string l = "\t" + quote::identifier(c.name);
            if (c.isComputed()) {
                l += " AS " + quote::parenthesized(c.computedText);
                lines.push_back(std::move(l));
                continue;
            }
            l += ' ';
            l += columnType(c);
            if (!c.collation.empty()) {
                if (sw_.only70) collationLeftOut = true;
                // Collation names are plain words; anything else cannot be one and is not written.
                else if (quote::isPlainWord(c.collation)) l += " COLLATE " + c.collation;
            }
            if (c.identity) {
                l += " IDENTITY (" + std::to_string(c.identitySeed) + ", " + std::to_string(c.identityIncrement) + ")";
                if (c.identityNotForReplication) l += " NOT FOR REPLICATION";
            }
            if (c.rowGuidCol) l += " ROWGUIDCOL";
            l += c.nullable ? " NULL" : " NOT NULL";
            lines.push_back(std::move(l));
        }
        if (collationLeftOut)
            e.comment += "-- Left out for SQL Server 7.0, which has no column collations: the COLLATE clauses." + nl_;
        std::string b = "CREATE TABLE " + tn + " (" + nl_;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            b += lines[i];
            if (i + 1 < lines.size()) b += ',';
            b += nl_;
        }
        b += ')';
        b += onFileGroup(t.fileGroup);
        if (largeObjects && !t.textFileGroup.empty()) b += " TEXTIMAGE_ON " + quote::identifier(t.textFileGroup);
        b += nl_;
        e.batches.push_back(std::move(b));
        EntryId id = addCreate(std::move(e));
        createEntry_[&t] = id;
        tableDeps.push_back(id);
        needOwner(id, t.owner);
        for (ObjectRef u : p.uses)
            if (u.kind != ObjectKind::Default && u.kind != ObjectKind::Rule) needObject(id, u.object);

        std::vector<PropertyTarget> props{{{}, {}, &t.properties}};
        for (const auto& c : t.columns)
            if (!leftOut.column(c.name)) props.push_back({"column", c.name, &c.properties});
        emitProperties(p, Group::Table, 2, id, true, tt, props);

        // sp_bindefault / sp_bindrule for columns. A column of a user-defined type inherits the
        // type's bindings when it is created, so only bindings of its own are written.
        if (sw_.bindings) {
            Entry bind = partEntry(Group::ColumnBinding, "bindings of " + tt);
            std::vector<const model::SchemaObject*> bound;
            std::string s;
            auto bindOne = [&](std::string_view proc, ObjectKind kind, const model::Column& c,
                               const std::string& ownerDotName, const std::string& inherited) {
                if (ownerDotName.empty() || foldName(ownerDotName) == foldName(inherited)) return;
                std::string objectName;
                if (ObjectRef ref = index_.bound(kind, ownerDotName)) {
                    objectName = name(*ref.object);
                    bound.push_back(ref.object);
                } else {
                    auto dot = ownerDotName.find('.');
                    objectName = dot == std::string::npos
                                     ? name({}, ownerDotName)
                                     : name(std::string_view(ownerDotName).substr(0, dot),
                                            std::string_view(ownerDotName).substr(dot + 1));
                }
                s += "EXEC ";
                s += proc;
                s += ' ';
                quote::appendUnicode(s, objectName);
                s += ", ";
                quote::appendUnicode(s, tn + "." + quote::identifier(c.name));
                s += nl_;
            };
            for (const auto& c : t.columns) {
                if (leftOut.column(c.name)) continue;
                const auto* type = index_.type(c.dataType);
                bindOne("sp_bindefault", ObjectKind::Default, c, c.boundDefault, type ? type->boundDefault : std::string());
                bindOne("sp_bindrule", ObjectKind::Rule, c, c.boundRule, type ? type->boundRule : std::string());
            }
            if (!s.empty()) {
                bind.batches.push_back(std::move(s));
                EntryId bid = addCreate(std::move(bind));
                for (const auto* o : bound) needObject(bid, o);
            }
        }
    }

    emitPermissions(p, Group::Table, tableDeps.empty() ? 0 : tableDeps.front(), !tableDeps.empty());

    // PRIMARY KEY and UNIQUE constraints, or the unique indexes behind them.
    {
        Entry e = partEntry(Group::Key, "keys of " + tt);
        std::string s;
        std::vector<PropertyTarget> props;
        auto key = [&](const model::KeyConstraint& k) {
            if (leftOut.anyColumn(k.columns)) return;
            const char* kind = k.primaryKey ? "PRIMARY KEY" : "UNIQUE";
            const char* clustering = k.clustered ? "CLUSTERED" : "NONCLUSTERED";
            if (k.primaryKey ? sw_.primaryKeys : sw_.uniqueKeys) {
                s += "ALTER TABLE " + tn + " ADD ";
                if (!k.name.empty()) s += "CONSTRAINT " + quote::identifier(k.name) + ' ';
                s += std::string(kind) + ' ' + clustering + " (" + keyColumns(k.columns) + ')';
                s += indexOptions(false, k.fillFactor, false, false) + onFileGroup(k.fileGroup) + nl_;
                props.push_back({"constraint", k.name, &k.properties});
            } else if (sw_.keyIndexes && !k.name.empty()) {
                s += std::string("CREATE UNIQUE ") + clustering + " INDEX " + quote::identifier(k.name) + " ON " + tn +
                     " (" + keyColumns(k.columns) + ')';
                s += indexOptions(false, k.fillFactor, false, false) + onFileGroup(k.fileGroup) + nl_;
                props.push_back({"index", k.name, &k.properties});
            }
        };
        // The clustered one first, so that the others are not built twice.
        std::vector<const model::KeyConstraint*> keys;
        if (t.primaryKey) keys.push_back(&*t.primaryKey);
        for (const auto& u : t.uniqueConstraints) keys.push_back(&u);
        std::stable_partition(keys.begin(), keys.end(), [](const auto* k) { return k->clustered; });
        for (const auto* k : keys) key(*k);
        if (!s.empty()) {
            e.batches.push_back(std::move(s));
            EntryId id = addCreate(std::move(e));
            tableParts_[&t].keys.push_back(id);
            emitProperties(p, Group::Key, 1, id, true, "the keys of " + tt, props);
        }
    }

    // DEFAULT and CHECK constraints.
    {
        Entry e = partEntry(Group::CheckAndDefault, "constraints of " + tt);
        std::string s;
        std::vector<PropertyTarget> props;
        auto named = [](const std::string& constraint) {
            return constraint.empty() ? std::string() : ' ' + quote::commentText(quote::identifier(constraint));
        };
        if (sw_.defaults)
            for (const auto& c : t.columns) {
                if (c.defaultConstraintText.empty() || leftOut.column(c.name)) continue;
                if (leftOut.defaultOf(c)) {
                    e.comment += "-- Left out for SQL Server 7.0, which has no user-defined functions: the default" +
                                 named(c.defaultConstraintName) + " of column " + quote::commentText(quote::identifier(c.name)) +
                                 ", which calls " + leftOut.functionCalledBy(c.defaultConstraintText) + "." + nl_;
                    continue;
                }
                s += "ALTER TABLE " + tn + " ADD ";
                if (!c.defaultConstraintName.empty()) s += "CONSTRAINT " + quote::identifier(c.defaultConstraintName) + ' ';
                s += "DEFAULT " + quote::parenthesized(c.defaultConstraintText) + " FOR " + quote::identifier(c.name) + nl_;
            }
        if (sw_.checks)
            for (const auto& k : t.checks) {
                if (leftOut.check(k)) {
                    if (std::string f = leftOut.functionCalledBy(k.text); !f.empty())
                        e.comment += "-- Left out for SQL Server 7.0, which has no user-defined functions: the check" +
                                     named(k.name) + ", which calls " + f + "." + nl_;
                    continue;
                }
                s += "ALTER TABLE " + tn + (sw_.withNoCheck ? " WITH NOCHECK ADD " : " ADD ");
                if (!k.name.empty()) s += "CONSTRAINT " + quote::identifier(k.name) + ' ';
                s += "CHECK ";
                if (k.notForReplication) s += "NOT FOR REPLICATION ";
                s += quote::parenthesized(k.text) + nl_;
                if (k.disabled && !k.name.empty())
                    s += "ALTER TABLE " + tn + " NOCHECK CONSTRAINT " + quote::identifier(k.name) + nl_;
                props.push_back({"constraint", k.name, &k.properties});
            }
        if (!s.empty()) {
            e.batches.push_back(std::move(s));
            EntryId id = addCreate(std::move(e));
            emitProperties(p, Group::CheckAndDefault, 1, id, true, "the constraints of " + tt, props);
        } else if (!e.comment.empty()) {
            addCreate(std::move(e));
        }
    }

    // Indexes: clustered first.
    {
        Entry e = partEntry(Group::Index, "indexes of " + tt);
        for (EntryId k : tableParts_[&t].keys) e.deps.push_back(k);
        std::string s;
        bool computed = false;
        std::vector<PropertyTarget> props;
        for (int pass = 0; pass < 2; ++pass) {
            for (const auto& ix : t.indexes) {
                if (ix.clustered != (pass == 0)) continue;
                if (!(ix.clustered ? sw_.clusteredIndexes : sw_.nonClusteredIndexes) || leftOut.anyColumn(ix.columns)) continue;
                for (const auto& c : ix.columns)
                    if (const auto* col = t.findColumn(c.name); col && col->isComputed()) computed = true;
                s += "CREATE ";
                if (ix.unique) s += "UNIQUE ";
                s += ix.clustered ? "CLUSTERED" : "NONCLUSTERED";
                s += " INDEX " + quote::identifier(ix.name) + " ON " + tn + " (" + keyColumns(ix.columns) + ')';
                s += indexOptions(ix.padIndex, ix.fillFactor, ix.ignoreDupKey, ix.statisticsNoRecompute);
                s += onFileGroup(ix.fileGroup) + nl_;
                props.push_back({"index", ix.name, &ix.properties});
            }
        }
        if (!s.empty()) {
            // An index on a computed column needs ARITHABORT on, which sqlcmd leaves off.
            if (computed) s = "SET ARITHABORT ON" + nl_ + s;
            e.batches.push_back(std::move(s));
            EntryId id = addCreate(std::move(e));
            tableParts_[&t].keys.push_back(id);
            emitProperties(p, Group::Index, 1, id, true, "the indexes of " + tt, props);
        }
    }

    if (sw_.fullText && t.fullTextIndex) emitFullText(p, t, tableDeps);

    if (sw_.foreignKeys) {
        Entry e = partEntry(Group::ForeignKey, "foreign keys of " + tt);
        std::vector<PropertyTarget> props;
        std::string s;
        std::vector<const model::Table*> targets;
        for (const auto& fk : t.foreignKeys) {
            const model::Table* target = foreignKeyTarget(fk);
            if (leftOut.foreignKey(fk, target ? leftOutFor70(*target) : LeftOutFor70())) continue;
            s += foreignKeyStatement(t, fk, sw_.withNoCheck, e.comment);
            props.push_back({"constraint", fk.name, &fk.properties});
            if (target) targets.push_back(target);
        }
        if (!s.empty()) {
            e.batches.push_back(std::move(s));
            EntryId id = addCreate(std::move(e));
            for (const auto* target : targets) pendingKeys_.emplace_back(id, target);
            emitProperties(p, Group::ForeignKey, 1, id, true, "the foreign keys of " + tt, props);
        }
    }

    if (sw_.triggers)
        for (const auto& tr : t.triggers) emitTrigger(p, tr, tn, false);
}

const model::Table* ScriptBuilder::foreignKeyTarget(const model::ForeignKey& fk) const {
    ObjectRef ref = index_.byId(fk.referencedTableId);
    if (!ref || ref.kind != ObjectKind::Table) ref = index_.find(ObjectKind::Table, fk.referencedOwner, fk.referencedTable);
    return ref && ref.kind == ObjectKind::Table ? static_cast<const model::Table*>(ref.object) : nullptr;
}

std::string ScriptBuilder::foreignKeyStatement(const model::Table& t, const model::ForeignKey& fk, bool withNoCheck,
                                               std::string& comment) const {
    const std::string tn = name(t);
    std::string s = "ALTER TABLE " + tn + (withNoCheck ? " WITH NOCHECK ADD " : " ADD ");
    if (!fk.name.empty()) s += "CONSTRAINT " + quote::identifier(fk.name) + ' ';
    const model::Table* target = foreignKeyTarget(fk);
    std::string rn = target ? name(*target) : name(fk.referencedOwner, fk.referencedTable);
    s += "FOREIGN KEY (" + columnList(fk.columns) + ") REFERENCES " + rn + " (" + columnList(fk.referencedColumns) + ')';
    bool cascades = fk.onDelete == model::ReferentialAction::Cascade || fk.onUpdate == model::ReferentialAction::Cascade;
    if (cascades && sw_.only70) {
        comment += "-- Left out for SQL Server 7.0, which has no cascading actions: ON DELETE / ON UPDATE CASCADE of " +
                   quote::commentText(quote::identifier(fk.name)) + "." + nl_;
    } else {
        if (fk.onDelete == model::ReferentialAction::Cascade) s += " ON DELETE CASCADE";
        if (fk.onUpdate == model::ReferentialAction::Cascade) s += " ON UPDATE CASCADE";
    }
    if (fk.notForReplication) s += " NOT FOR REPLICATION";
    s += nl_;
    if (fk.disabled && !fk.name.empty()) s += "ALTER TABLE " + tn + " NOCHECK CONSTRAINT " + quote::identifier(fk.name) + nl_;
    return s;
}

void ScriptBuilder::emitFullText(const PlannedObject& p, const model::Table& t, const std::vector<EntryId>& tableDeps) {
    const model::FullTextIndex& ft = *t.fullTextIndex;
    const std::string tn = name(t);
    if (!fullTextDatabase_) {
        Entry e;
        e.group = Group::FullTextDatabase;
        e.label = "full-text indexing of the database";
        // Enabling drops every full-text catalogue of the database, so it is done only when off.
        e.batches.push_back("if (select DATABASEPROPERTY(DB_NAME(), N'IsFullTextEnabled')) <> 1" + nl_ +
                            "\texec sp_fulltext_database N'enable'" + nl_);
        fullTextDatabase_ = addCreate(std::move(e));
    }
    EntryId catalog;
    auto it = fullTextCatalogs_.find(foldName(ft.catalog));
    if (it != fullTextCatalogs_.end()) {
        catalog = it->second;
    } else {
        Entry e;
        e.group = Group::FullTextCatalog;
        e.rank = static_cast<std::uint32_t>(fullTextCatalogs_.size());
        e.label = "full-text catalog " + quote::commentText(quote::identifier(ft.catalog));
        e.batches.push_back("if not exists (select * from dbo.sysfulltextcatalogs where name = " + quote::unicode(ft.catalog) +
                            ")" + nl_ + "\texec sp_fulltext_catalog " + quote::unicode(ft.catalog) + ", N'create'" + nl_);
        e.deps.push_back(*fullTextDatabase_);
        catalog = addCreate(std::move(e));
        fullTextCatalogs_.emplace(foldName(ft.catalog), catalog);
    }
    Entry e;
    e.group = Group::FullTextIndex;
    e.rank = p.rank;
    e.label = "full-text index of " + title(p);
    e.deps = tableDeps;
    e.deps.push_back(catalog);
    for (EntryId k : tableParts_[&t].keys) e.deps.push_back(k);
    const std::string target = quote::unicode(tn);
    std::string s = "exec sp_fulltext_table " + target + ", N'create', " + quote::unicode(ft.catalog) + ", " +
                    quote::unicode(ft.keyIndex) + nl_;
    for (const auto& c : ft.columns) {
        const auto* col = t.findColumn(c.name);
        if (sw_.only70 && col && !typeMissingIn70(*col).empty()) continue;
        s += "exec sp_fulltext_column " + target + ", " + quote::unicode(c.name) + ", N'add'";
        if (c.language != 0) s += ", " + std::to_string(c.language);
        s += nl_;
    }
    if (ft.active) s += "exec sp_fulltext_table " + target + ", N'activate'" + nl_;
    e.batches.push_back(std::move(s));
    addCreate(std::move(e));
}

}  // namespace sqldmo::script
