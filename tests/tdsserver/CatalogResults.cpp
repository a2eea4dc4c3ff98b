// Catalogue result sets built from a model, row for row what SQL Server's system tables would
// give for the queries of sqldmo/tds/CatalogQueries.cpp.
#include "tests/tdsserver/CatalogResults.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <strings.h>

#include "sqldmo/tds/CatalogQueries.h"
#include "tests/tdsserver/Wire.h"

namespace tdstest {

using namespace sqldmo;
using model::Database;

namespace {

Value vint(std::int64_t i) { return Value::ofInteger(SqlType::Int, i); }
Value vbig(std::int64_t i) { return Value::ofInteger(SqlType::BigInt, i); }
Value vstr(const std::string& s) { return Value::ofText(SqlType::NVarChar, s); }
Value vstrOrNull(const std::string& s) { return s.empty() ? Value::null(SqlType::NVarChar) : vstr(s); }
Value vchar(const std::string& s) { return Value::ofText(SqlType::Char, s); }
Value vnull() { return Value::null(); }

bool iequals(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// Splits a text into pieces of at most `units` UTF-16 code units without breaking a character.
std::vector<std::string> pieces(const std::string& utf8, std::size_t units) {
    std::vector<std::string> out;
    std::string cur;
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        auto b = static_cast<unsigned char>(utf8[i]);
        std::size_t len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
        std::size_t u = len == 4 ? 2 : 1;
        if (n + u > units) {
            out.push_back(cur);
            cur.clear();
            n = 0;
        }
        cur.append(utf8, i, len);
        n += u;
        i += len;
    }
    if (!cur.empty() || out.empty()) out.push_back(cur);
    return out;
}

// Storage length in bytes of a column or type, as syscolumns.length reports it.
int storageLength(const std::string& baseType, int length, int precision) {
    switch (sqlTypeFromName(baseType)) {
    case SqlType::Char: case SqlType::VarChar: case SqlType::Binary: case SqlType::VarBinary: return length;
    case SqlType::NChar: case SqlType::NVarChar: return length < 0 ? -1 : length * 2;
    case SqlType::Text: case SqlType::NText: case SqlType::Image: return 16;
    case SqlType::Bit: case SqlType::TinyInt: return 1;
    case SqlType::SmallInt: return 2;
    case SqlType::Int: case SqlType::Real: case SqlType::SmallMoney: case SqlType::SmallDateTime: return 4;
    case SqlType::BigInt: case SqlType::Float: case SqlType::Money: case SqlType::DateTime: case SqlType::Timestamp: return 8;
    case SqlType::UniqueIdentifier: return 16;
    case SqlType::SqlVariant: return 8016;
    case SqlType::Decimal: case SqlType::Numeric: return decimalBytes(precision);
    default: return length;
    }
}

bool isCharType(const std::string& baseType) {
    switch (sqlTypeFromName(baseType)) {
    case SqlType::Char: case SqlType::VarChar: case SqlType::Text:
    case SqlType::NChar: case SqlType::NVarChar: case SqlType::NText: return true;
    default: return false;
    }
}

std::vector<ColumnDef> columnsOf(const tds::CatalogQuery& q, int major) {
    std::vector<ColumnDef> out;
    for (const auto& c : q.columns) {
        ColumnDef d;
        d.name = std::string(c.name);
        d.type = c.type;
        d.length = c.length < 0 ? (major >= 9 ? -1 : 4000) : c.length;
        d.nullable = true;
        out.push_back(d);
    }
    return out;
}

// Ids the model does not carry (constraints, indexes, principals), given out in a fixed order.
struct Ids {
    std::map<const void*, std::int32_t> constraint;  // KeyConstraint, ForeignKey, CheckConstraint, Column (its default)
    std::map<const void*, std::int32_t> index;       // KeyConstraint and Index -> indid
    std::map<std::string, std::int32_t> objectByName;  // "owner.name" of defaults and rules, lower case
};

std::string lowerKey(const std::string& owner, const std::string& name) {
    std::string k = owner + "." + name;
    std::transform(k.begin(), k.end(), k.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return k;
}

Ids planIds(const Database& db) {
    Ids ids;
    std::int32_t next = 1;
    auto bump = [&](std::int32_t id) { next = std::max(next, id + 1); };
    for (const auto& t : db.tables) { bump(t.id); for (const auto& g : t.triggers) bump(g.id); }
    for (const auto& v : db.views) { bump(v.id); for (const auto& g : v.triggers) bump(g.id); }
    for (const auto& p : db.procedures) bump(p.id);
    for (const auto& f : db.functions) bump(f.id);
    for (const auto& d : db.defaults) bump(d.id);
    for (const auto& r : db.rules) bump(r.id);
    next = std::max(next, 1000000);
    for (const auto& t : db.tables) {
        if (t.primaryKey) ids.constraint[&*t.primaryKey] = next++;
        for (const auto& u : t.uniqueConstraints) ids.constraint[&u] = next++;
        for (const auto& f : t.foreignKeys) ids.constraint[&f] = next++;
        for (const auto& c : t.checks) ids.constraint[&c] = next++;
        for (const auto& c : t.columns)
            if (!c.defaultConstraintName.empty()) ids.constraint[&c] = next++;
        // The clustered index (or constraint) is indid 1, the others follow from 2.
        std::int32_t indid = 2;
        auto place = [&](const void* key, bool clustered) { ids.index[key] = clustered ? 1 : indid++; };
        if (t.primaryKey) place(&*t.primaryKey, t.primaryKey->clustered);
        for (const auto& u : t.uniqueConstraints) place(&u, u.clustered);
        for (const auto& i : t.indexes) place(&i, i.clustered);
    }
    for (const auto& v : db.views) {
        std::int32_t indid = 2;
        for (const auto& i : v.indexes) ids.index[&i] = i.clustered ? 1 : indid++;
    }
    for (const auto& d : db.defaults) ids.objectByName[lowerKey(d.owner, d.name)] = d.id;
    for (const auto& r : db.rules) ids.objectByName[lowerKey(r.owner, r.name)] = r.id;
    return ids;
}

std::int32_t boundId(const Ids& ids, const std::string& ownerDotName) {
    if (ownerDotName.empty()) return 0;
    auto dot = ownerDotName.find('.');
    std::string owner = dot == std::string::npos ? "dbo" : ownerDotName.substr(0, dot);
    std::string name = dot == std::string::npos ? ownerDotName : ownerDotName.substr(dot + 1);
    auto it = ids.objectByName.find(lowerKey(owner, name));
    return it == ids.objectByName.end() ? 0 : it->second;
}

std::int32_t typeId(const model::UserDefinedDatatype& t) { return t.id < 0 ? -t.id : t.id; }

using Rows = std::vector<std::vector<Value>>;

struct ObjectRow {
    std::int32_t id = 0;
    std::string owner, name, xtype;
    std::int32_t parent = 0;
    bool system = false;
    model::ModuleSettings settings;
    bool encrypted = false, insteadOf = false, onInsert = false, onUpdate = false, onDelete = false;
    bool disabled = false, notRepl = false;
    std::int32_t colid = 0;
};

void objectRow(Rows& rows, const ObjectRow& o) {
    rows.push_back({vint(o.id), vstr(o.owner), vstr(o.name), vchar(o.xtype), vint(o.parent), vint(o.system),
                    vint(o.settings.quotedIdentifier), vint(o.settings.ansiNulls), vint(o.encrypted), vint(o.insteadOf),
                    vint(o.onInsert), vint(o.onUpdate), vint(o.onDelete), vint(o.disabled), vint(o.notRepl),
                    vint(o.colid)});
}

ObjectRow obj(std::int32_t id, const std::string& owner, const std::string& name, const char* xtype,
              std::int32_t parent = 0, bool system = false) {
    ObjectRow o;
    o.id = id;
    o.owner = owner;
    o.name = name;
    o.xtype = xtype;
    o.parent = parent;
    o.system = system;
    return o;
}

template <class M>
ObjectRow moduleObj(const M& m, const char* xtype) {
    ObjectRow o = obj(m.id, m.owner, m.name, xtype, 0, m.systemObject);
    o.settings = m.settings;
    o.encrypted = m.encrypted;
    return o;
}

void triggerRows(Rows& rows, const std::vector<model::Trigger>& triggers, std::int32_t parent) {
    for (const auto& g : triggers) {
        ObjectRow o = moduleObj(g, "TR");
        o.parent = parent;
        o.insteadOf = g.insteadOf;
        o.onInsert = g.onInsert;
        o.onUpdate = g.onUpdate;
        o.onDelete = g.onDelete;
        o.disabled = g.disabled;
        objectRow(rows, o);
    }
}

Rows objects(const Database& db, const Ids& ids) {
    Rows rows;
    for (const auto& t : db.tables) objectRow(rows, obj(t.id, t.owner, t.name, "U ", 0, t.systemObject));
    for (const auto& v : db.views) objectRow(rows, moduleObj(v, "V "));
    for (const auto& p : db.procedures) objectRow(rows, moduleObj(p, "P "));
    for (const auto& d : db.defaults) objectRow(rows, obj(d.id, d.owner, d.name, "D ", 0, d.systemObject));
    for (const auto& r : db.rules) objectRow(rows, obj(r.id, r.owner, r.name, "R ", 0, r.systemObject));
    for (const auto& f : db.functions) {
        const char* x = f.kind == model::FunctionKind::Scalar ? "FN" : f.kind == model::FunctionKind::InlineTable ? "IF" : "TF";
        objectRow(rows, moduleObj(f, x));
    }
    for (const auto& t : db.tables) triggerRows(rows, t.triggers, t.id);
    for (const auto& v : db.views) triggerRows(rows, v.triggers, v.id);
    for (const auto& t : db.tables) {
        if (t.primaryKey) objectRow(rows, obj(ids.constraint.at(&*t.primaryKey), t.owner, t.primaryKey->name, "PK", t.id));
        for (const auto& u : t.uniqueConstraints) objectRow(rows, obj(ids.constraint.at(&u), t.owner, u.name, "UQ", t.id));
        for (const auto& f : t.foreignKeys) {
            ObjectRow o = obj(ids.constraint.at(&f), t.owner, f.name, "F ", t.id);
            o.disabled = f.disabled;
            o.notRepl = f.notForReplication;
            objectRow(rows, o);
        }
        for (const auto& c : t.checks) {
            ObjectRow o = obj(ids.constraint.at(&c), t.owner, c.name, "C ", t.id);
            o.disabled = c.disabled;
            o.notRepl = c.notForReplication;
            for (std::size_t k = 0; k < t.columns.size(); ++k)
                if (!c.column.empty() && iequals(t.columns[k].name, c.column)) o.colid = static_cast<std::int32_t>(k + 1);
            objectRow(rows, o);
        }
        for (std::size_t k = 0; k < t.columns.size(); ++k) {
            const auto& c = t.columns[k];
            if (c.defaultConstraintName.empty()) continue;
            ObjectRow o = obj(ids.constraint.at(&c), t.owner, c.defaultConstraintName, "D ", t.id);
            o.colid = static_cast<std::int32_t>(k + 1);
            objectRow(rows, o);
        }
    }
    return rows;
}

Rows columns(const Database& db, const Ids& ids) {
    Rows rows;
    for (const auto& t : db.tables) {
        for (std::size_t k = 0; k < t.columns.size(); ++k) {
            const auto& c = t.columns[k];
            std::string base = c.baseType.empty() ? c.dataType : c.baseType;
            std::int32_t defaultId = !c.defaultConstraintName.empty() ? ids.constraint.at(&c) : boundId(ids, c.boundDefault);
            Value collation = isCharType(base) ? vstr(c.collation.empty() ? db.collation : c.collation) : vnull();
            rows.push_back({vint(t.id), vint(static_cast<std::int64_t>(k + 1)), vstr(c.name), vstr(c.dataType), vstr(base),
                            vint(storageLength(base, c.length, c.precision)), vint(c.precision), vint(c.scale),
                            vint(c.nullable), vint(c.identity),
                            c.identity ? vbig(c.identitySeed) : Value::null(SqlType::BigInt),
                            c.identity ? vbig(c.identityIncrement) : Value::null(SqlType::BigInt),
                            vint(c.identityNotForReplication), collation, vint(c.rowGuidCol), vint(defaultId),
                            vint(boundId(ids, c.boundRule)), vint(c.isComputed())});
        }
    }
    return rows;
}

Rows texts(const Database& db, const Ids& ids, int major) {
    Rows rows;
    auto add = [&](std::int32_t id, std::int32_t subid, const std::string& text) {
        if (major >= 9) {
            rows.push_back({vint(id), vint(subid), vint(1), vstr(text)});
            return;
        }
        std::int64_t seq = 1;
        for (const auto& p : pieces(text, 4000)) rows.push_back({vint(id), vint(subid), vint(seq++), vstr(p)});
    };
    auto modules = [&](const auto& list) {
        for (const auto& m : list)
            if (!m.encrypted) add(m.id, 0, m.text);
    };
    modules(db.views);
    modules(db.procedures);
    modules(db.functions);
    for (const auto& d : db.defaults) add(d.id, 0, d.text);
    for (const auto& r : db.rules) add(r.id, 0, r.text);
    for (const auto& t : db.tables) {
        modules(t.triggers);
        for (std::size_t k = 0; k < t.columns.size(); ++k) {
            const auto& c = t.columns[k];
            if (c.isComputed()) add(t.id, static_cast<std::int32_t>(k + 1), c.computedText);
            if (!c.defaultConstraintName.empty()) add(ids.constraint.at(&c), 0, c.defaultConstraintText);
        }
        for (const auto& c : t.checks) add(ids.constraint.at(&c), 0, c.text);
    }
    for (const auto& v : db.views) modules(v.triggers);
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return std::tie(a[0].integer, a[1].integer, a[2].integer) < std::tie(b[0].integer, b[1].integer, b[2].integer);
    });
    return rows;
}

void indexRow(Rows& rows, std::int32_t table, std::int32_t indid, const std::string& name, bool clustered, bool unique,
              bool ignoreDup, bool pad, bool noRecompute, int fill, const std::string& fg, bool pk, bool uq) {
    rows.push_back({vint(table), vint(indid), vstr(name), vint(clustered), vint(unique), vint(ignoreDup), vint(pad),
                    vint(noRecompute), vint(fill), vstrOrNull(fg), vint(pk), vint(uq)});
}

Rows indexes(const Database& db, const Ids& ids) {
    Rows rows;
    for (const auto& t : db.tables) {
        if (const auto& k = t.primaryKey)
            indexRow(rows, t.id, ids.index.at(&*k), k->name, k->clustered, true, false, false, false, k->fillFactor,
                     k->fileGroup, true, false);
        for (const auto& u : t.uniqueConstraints)
            indexRow(rows, t.id, ids.index.at(&u), u.name, u.clustered, true, false, false, false, u.fillFactor,
                     u.fileGroup, false, true);
        for (const auto& i : t.indexes)
            indexRow(rows, t.id, ids.index.at(&i), i.name, i.clustered, i.unique, i.ignoreDupKey, i.padIndex,
                     i.statisticsNoRecompute, i.fillFactor, i.fileGroup, false, false);
    }
    for (const auto& v : db.views)
        for (const auto& i : v.indexes)
            indexRow(rows, v.id, ids.index.at(&i), i.name, i.clustered, i.unique, i.ignoreDupKey, i.padIndex,
                     i.statisticsNoRecompute, i.fillFactor, i.fileGroup, false, false);
    return rows;
}

Rows indexColumns(const Database& db, const Ids& ids) {
    Rows rows;
    auto add = [&](std::int32_t table, const void* key, const std::vector<model::IndexColumn>& cols) {
        std::int64_t keyno = 1;
        for (const auto& c : cols)
            rows.push_back({vint(table), vint(ids.index.at(key)), vint(keyno++), vstr(c.name), vint(c.descending)});
    };
    for (const auto& t : db.tables) {
        if (t.primaryKey) add(t.id, &*t.primaryKey, t.primaryKey->columns);
        for (const auto& u : t.uniqueConstraints) add(t.id, &u, u.columns);
        for (const auto& i : t.indexes) add(t.id, &i, i.columns);
    }
    for (const auto& v : db.views)
        for (const auto& i : v.indexes) add(v.id, &i, i.columns);
    return rows;
}

Rows foreignKeys(const Database& db, const Ids& ids) {
    Rows rows;
    for (const auto& t : db.tables)
        for (const auto& f : t.foreignKeys) {
            std::int32_t ref = f.referencedTableId;
            if (ref == 0)
                if (const auto* rt = db.findTable(f.referencedOwner, f.referencedTable)) ref = rt->id;
            for (std::size_t k = 0; k < f.columns.size(); ++k)
                rows.push_back({vint(ids.constraint.at(&f)), vstr(f.name), vint(t.id), vint(ref), vstr(f.referencedOwner),
                                vstr(f.referencedTable), vint(static_cast<std::int64_t>(k + 1)), vstr(f.columns[k]),
                                vstr(k < f.referencedColumns.size() ? f.referencedColumns[k] : std::string()),
                                vint(f.onDelete == model::ReferentialAction::Cascade),
                                vint(f.onUpdate == model::ReferentialAction::Cascade), vint(f.notForReplication),
                                vint(f.disabled)});
        }
    return rows;
}

Rows permissions(const Database& db) {
    Rows rows;
    auto add = [&](const model::SchemaObject& o) {
        for (const auto& p : o.permissions) {
            std::string state = p.action == model::Permission::Action::Deny ? "D" : p.withGrantOption ? "W" : "G";
            rows.push_back({vint(o.id), vstrOrNull(p.column), vstr(p.grantee), Value::ofText(SqlType::VarChar, p.privilege),
                            vchar(state)});
        }
    };
    for (const auto& t : db.tables) add(t);
    for (const auto& v : db.views) add(v);
    for (const auto& p : db.procedures) add(p);
    for (const auto& f : db.functions) add(f);
    for (const auto& d : db.defaults) add(d);
    for (const auto& r : db.rules) add(r);
    return rows;
}

Rows properties(const Database& db, const Ids& ids) {
    Rows rows;
    auto add = [&](const char* cls, std::int32_t major, std::int32_t minor, const std::vector<model::ExtendedProperty>& ps) {
        for (const auto& p : ps) {
            Value v = p.value;
            v.variant = true;
            std::vector<Value> row = {vchar(cls), vint(major), vint(minor), vstr(p.name)};
            for (auto& part : variantParts(v)) row.push_back(std::move(part));
            rows.push_back(std::move(row));
        }
    };
    add("D", 0, 0, db.properties);
    auto triggers = [&](const std::vector<model::Trigger>& list) {
        for (const auto& g : list) add("O", g.id, 0, g.properties);
    };
    for (const auto& t : db.tables) {
        add("O", t.id, 0, t.properties);
        for (std::size_t k = 0; k < t.columns.size(); ++k) add("C", t.id, static_cast<std::int32_t>(k + 1), t.columns[k].properties);
        if (t.primaryKey) add("O", ids.constraint.at(&*t.primaryKey), 0, t.primaryKey->properties);
        for (const auto& u : t.uniqueConstraints) add("O", ids.constraint.at(&u), 0, u.properties);
        for (const auto& f : t.foreignKeys) add("O", ids.constraint.at(&f), 0, f.properties);
        for (const auto& c : t.checks) add("O", ids.constraint.at(&c), 0, c.properties);
        for (const auto& i : t.indexes) add("I", t.id, ids.index.at(&i), i.properties);
        triggers(t.triggers);
    }
    for (const auto& v : db.views) {
        add("O", v.id, 0, v.properties);
        for (const auto& i : v.indexes) add("I", v.id, ids.index.at(&i), i.properties);
        triggers(v.triggers);
    }
    for (const auto& p : db.procedures) add("O", p.id, 0, p.properties);
    for (const auto& f : db.functions) add("O", f.id, 0, f.properties);
    for (const auto& d : db.defaults) add("O", d.id, 0, d.properties);
    for (const auto& r : db.rules) add("O", r.id, 0, r.properties);
    for (const auto& t : db.types) add("T", typeId(t), 0, t.properties);
    return rows;
}

Rows dependencies(const Database& db, int major) {
    Rows rows;
    // Uses of types are recorded from 2008 on, and name the type by its negated id.
    std::map<std::int32_t, std::int32_t> typeIds;
    for (const auto& t : db.types) typeIds[t.id] = typeId(t);
    auto add = [&](const model::SchemaObject& o) {
        for (auto d : o.dependsOn) {
            auto t = typeIds.find(d);
            if (t == typeIds.end())
                rows.push_back({vint(o.id), vint(d)});
            else if (major >= 10)
                rows.push_back({vint(o.id), vint(-t->second)});
        }
    };
    for (const auto& t : db.tables) { add(t); for (const auto& g : t.triggers) add(g); }
    for (const auto& v : db.views) { add(v); for (const auto& g : v.triggers) add(g); }
    for (const auto& p : db.procedures) add(p);
    for (const auto& f : db.functions) add(f);
    for (const auto& d : db.defaults) add(d);
    for (const auto& r : db.rules) add(r);
    return rows;
}

std::vector<std::int32_t> roleIds(const Database& db) {
    std::vector<std::int32_t> ids;
    std::int32_t fixed = 16384, other = static_cast<std::int32_t>(db.users.size()) + 1;
    for (const auto& r : db.roles) ids.push_back(r.name == "public" ? 0 : r.fixedRole ? fixed++ : other++);
    return ids;
}

Rows principals(const Database& db) {
    Rows rows;
    std::int64_t id = 1;
    for (const auto& u : db.users)
        rows.push_back({vint(id++), vstr(u.name), vchar("U"), vstrOrNull(u.login), vint(0), vint(u.systemObject)});
    auto rids = roleIds(db);
    for (std::size_t k = 0; k < db.roles.size(); ++k) {
        const auto& r = db.roles[k];
        rows.push_back({vint(rids[k]), vstr(r.name), vchar(r.applicationRole ? "A" : "R"), Value::null(SqlType::NVarChar),
                        vint(r.fixedRole), vint(0)});
    }
    return rows;
}

Rows roleMembers(const Database& db) {
    Rows rows;
    auto rids = roleIds(db);
    for (std::size_t k = 0; k < db.roles.size(); ++k)
        for (const auto& m : db.roles[k].members) rows.push_back({vint(rids[k]), vstr(m)});
    return rows;
}

Rows types(const Database& db, const Ids& ids) {
    Rows rows;
    for (const auto& t : db.types)
        rows.push_back({vint(typeId(t)), vstr(t.owner), vstr(t.name), vstr(t.baseType),
                        vint(storageLength(t.baseType, t.length, t.precision)), vint(t.precision), vint(t.scale),
                        vint(t.nullable), vint(boundId(ids, t.boundDefault)), vint(boundId(ids, t.boundRule))});
    return rows;
}

Rows fullText(const Database& db) {
    Rows rows;
    for (const auto& t : db.tables)
        if (t.fullTextIndex)
            rows.push_back({vint(t.id), vstr(t.fullTextIndex->catalog), vstrOrNull(t.fullTextIndex->keyIndex),
                            vint(t.fullTextIndex->active)});
    return rows;
}

Rows fullTextColumns(const Database& db) {
    Rows rows;
    for (const auto& t : db.tables)
        if (t.fullTextIndex)
            for (const auto& c : t.fullTextIndex->columns) rows.push_back({vint(t.id), vstr(c.name), vint(c.language)});
    return rows;
}

Rows tableStorage(const Database& db) {
    Rows rows;
    for (const auto& t : db.tables)
        rows.push_back({vint(t.id), vstrOrNull(t.fileGroup), vstrOrNull(t.textFileGroup), vbig(t.rowCount)});
    return rows;
}

}  // namespace

int versionMajorOf(const model::Server& server) {
    if (server.versionString.empty()) return server.versionMajor;
    return std::atoi(server.versionString.c_str());
}

Value variantProperty(const Value& v, const std::string& property) {
    if (v.isNull()) return iequals(property, "BaseType") ? Value::null(SqlType::NVarChar) : Value::null(SqlType::Int);
    if (iequals(property, "BaseType")) return vstr(std::string(sqlTypeName(v.type)));
    const bool n = v.type == SqlType::NChar || v.type == SqlType::NVarChar;
    int precision = 0, scale = 0, maxLength = 0;
    switch (v.type) {
    case SqlType::Bit: precision = 1; maxLength = 1; break;
    case SqlType::TinyInt: precision = 3; maxLength = 1; break;
    case SqlType::SmallInt: precision = 5; maxLength = 2; break;
    case SqlType::Int: precision = 10; maxLength = 4; break;
    case SqlType::BigInt: precision = 19; maxLength = 8; break;
    case SqlType::Real: precision = 24; maxLength = 4; break;
    case SqlType::Float: precision = 53; maxLength = 8; break;
    case SqlType::Money: precision = 19; scale = 4; maxLength = 8; break;
    case SqlType::SmallMoney: precision = 10; scale = 4; maxLength = 4; break;
    case SqlType::DateTime: precision = 23; scale = 3; maxLength = 8; break;
    case SqlType::SmallDateTime: precision = 16; maxLength = 4; break;
    case SqlType::UniqueIdentifier: maxLength = 16; break;
    case SqlType::Decimal: case SqlType::Numeric:
        precision = v.precision; scale = v.scale; maxLength = decimalBytes(v.precision); break;
    case SqlType::Char: case SqlType::VarChar: case SqlType::NChar: case SqlType::NVarChar: {
        std::size_t chars = v.maxLength > 0 ? static_cast<std::size_t>(v.maxLength)
                                            : (n ? ucs2Length(v.text) : utf8ToCp1252(v.text).size());
        maxLength = static_cast<int>(chars) * (n ? 2 : 1);
        break;
    }
    case SqlType::Binary: case SqlType::VarBinary:
        maxLength = v.maxLength > 0 ? v.maxLength : static_cast<int>(v.text.size()); break;
    default: break;
    }
    if (iequals(property, "Precision")) return vint(precision);
    if (iequals(property, "Scale")) return vint(scale);
    return vint(maxLength);
}

namespace {

std::string bigEndianBytes(std::uint64_t v, int n) {
    std::string out(static_cast<std::size_t>(n), '\0');
    for (int i = n - 1; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = static_cast<char>(v & 0xFF);
        v >>= 8;
    }
    return out;
}

}  // namespace

std::vector<Value> variantParts(const Value& v) {
    std::vector<Value> out = {variantProperty(v, "BaseType"), variantProperty(v, "Precision"), variantProperty(v, "Scale"),
                              variantProperty(v, "MaxLength"), Value::null(SqlType::NVarChar), Value::null(SqlType::VarChar),
                              Value::null(SqlType::VarBinary)};
    if (v.isNull()) return out;
    auto bin = [&](std::string b) { out[6] = Value::ofBinary(SqlType::VarBinary, std::move(b)); };
    switch (v.type) {
    case SqlType::Bit: case SqlType::TinyInt: bin(bigEndianBytes(static_cast<std::uint64_t>(v.integer), 1)); break;
    case SqlType::SmallInt: bin(bigEndianBytes(static_cast<std::uint64_t>(v.integer), 2)); break;
    case SqlType::Int: bin(bigEndianBytes(static_cast<std::uint64_t>(v.integer), 4)); break;
    case SqlType::BigInt: bin(bigEndianBytes(static_cast<std::uint64_t>(v.integer), 8)); break;
    case SqlType::Real: {
        float f = static_cast<float>(v.real);
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        bin(bigEndianBytes(u, 4));
        break;
    }
    case SqlType::Float: {
        std::uint64_t u;
        std::memcpy(&u, &v.real, 8);
        bin(bigEndianBytes(u, 8));
        break;
    }
    case SqlType::Money: bin(bigEndianBytes(static_cast<std::uint64_t>(moneyUnits(v.text)), 8)); break;
    case SqlType::SmallMoney: bin(bigEndianBytes(static_cast<std::uint64_t>(moneyUnits(v.text)), 4)); break;
    case SqlType::DateTime: {
        std::int32_t days;
        std::uint32_t ticks;
        dateTimeParts(v.dateTime, days, ticks);
        bin(bigEndianBytes(static_cast<std::uint32_t>(days), 4) + bigEndianBytes(ticks, 4));
        break;
    }
    case SqlType::SmallDateTime: {
        std::int32_t days;
        std::uint32_t ticks;
        dateTimeParts(v.dateTime, days, ticks);
        bin(bigEndianBytes(static_cast<std::uint32_t>(days), 2) +
            bigEndianBytes(static_cast<std::uint32_t>(v.dateTime.hour * 60 + v.dateTime.minute), 2));
        break;
    }
    case SqlType::Binary: case SqlType::VarBinary: bin(v.text); break;
    case SqlType::Char: case SqlType::VarChar:
        if (utf8ToCp1252(v.text).size() > 4000)
            out[5] = Value::ofText(SqlType::VarChar, v.text);
        else
            out[4] = Value::ofText(SqlType::NVarChar, v.text);
        break;
    default:
        out[4] = Value::ofText(SqlType::NVarChar, v.text);
        break;
    }
    return out;
}

ColumnDef variantPartColumn(char suffix, const std::string& name) {
    ColumnDef d;
    d.name = name;
    switch (suffix) {
    case 't': d.type = SqlType::NVarChar; d.length = 128; break;
    case 'n': d.type = SqlType::NVarChar; d.length = 4000; break;
    case 'c': d.type = SqlType::VarChar; d.length = 8000; break;
    case 'b': d.type = SqlType::VarBinary; d.length = 8000; break;
    default: d.type = SqlType::Int; break;
    }
    return d;
}

ResultSet tableColumnsResult(const model::Table* table, int major) {
    Rows rows;
    if (table)
        for (const auto& c : table->columns) {
            std::string base = c.baseType.empty() ? c.dataType : c.baseType;
            rows.push_back({vstr(c.name), vstr(base), vint(storageLength(base, c.length, c.precision)), vint(c.precision),
                            vint(c.scale)});
        }
    return {columnsOf(tds::tableColumnsQuery(), major), std::make_unique<VectorRows>(std::move(rows))};
}

ResultSet catalogResult(const std::string& tag, const model::Server& server, const Database* db, CatalogCache& cache) {
    const tds::CatalogQuery* q = tds::findCatalogQuery(tag);
    if (!q) throw std::invalid_argument("unknown catalogue query " + tag);
    const int major = versionMajorOf(server);
    Rows rows;
    if (tag == "server") {
        rows.push_back({vstr(server.name), vstr(server.versionString), vstr(server.login)});
    } else if (tag == "databases") {
        std::int64_t dbid = 1;
        for (const auto& d : server.databases)
            rows.push_back({vstr(d->name), vstrOrNull(d->owner), vstrOrNull(d->collation), vint(d->compatibilityLevel),
                            vint(dbid++)});
    } else if (tag == "logins") {
        for (const auto& l : server.logins)
            rows.push_back({vstr(l.name), vstrOrNull(l.defaultDatabase), vstrOrNull(l.defaultLanguage),
                            vint(l.windowsLogin), vint(l.windowsGroup), vint(l.denyLogin)});
    } else if (db) {
        auto& slot = cache.plans[db];
        if (!slot) slot = std::make_shared<Ids>(planIds(*db));
        const Ids& ids = *std::static_pointer_cast<const Ids>(slot);
        if (tag == "objects") rows = objects(*db, ids);
        else if (tag == "columns") rows = columns(*db, ids);
        else if (tag == "texts") rows = texts(*db, ids, major);
        else if (tag == "indexes") rows = indexes(*db, ids);
        else if (tag == "indexcolumns") rows = indexColumns(*db, ids);
        else if (tag == "foreignkeys") rows = foreignKeys(*db, ids);
        else if (tag == "permissions") rows = permissions(*db);
        else if (tag == "properties") rows = properties(*db, ids);
        else if (tag == "dependencies") rows = dependencies(*db, major);
        else if (tag == "principals") rows = principals(*db);
        else if (tag == "rolemembers") rows = roleMembers(*db);
        else if (tag == "types") rows = types(*db, ids);
        else if (tag == "fulltext") rows = fullText(*db);
        else if (tag == "fulltextcolumns") rows = fullTextColumns(*db);
        else if (tag == "tablestorage") rows = tableStorage(*db);
    }
    return {columnsOf(*q, major), std::make_unique<VectorRows>(std::move(rows))};
}

}  // namespace tdstest
