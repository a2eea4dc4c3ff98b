// Reading the catalogue of a live server. Each query's columns are looked up by name once,
// before its rows are read; the model is then assembled from the results by catalogue id.
#include "sqldmo/tds/LiveCatalogReader.h"

#include <cstdlib>
#include <map>
#include <strings.h>
#include <unordered_map>

#include "sqldmo/Error.h"
#include "sqldmo/tds/CatalogQueries.h"
#include "sqldmo/tds/TdsRowSet.h"
#include "sqldmo/tds/ValueForms.h"

namespace sqldmo::tds {

using namespace sqldmo::model;

namespace {

// The rows of one catalogue query.
struct Result {
    std::string tag;
    std::vector<std::string> names;
    std::vector<std::vector<Value>> rows;

    int col(const char* name) const {
        for (std::size_t i = 0; i < names.size(); ++i)
            if (strcasecmp(names[i].c_str(), name) == 0) return static_cast<int>(i);
        throw Error(errors::InvalidArgument, "The catalogue query '" + tag + "' returned no column '" + name + "'.");
    }
};

Result run(TdsConnection& c, const char* tag) {
    const CatalogQuery* q = findCatalogQuery(tag);
    Result r;
    r.tag = tag;
    TdsRowSet rs(c, catalogSql(*q, c.versionMajor()));
    for (const auto& col : rs.columns()) r.names.push_back(col.name);
    while (rs.next()) {
        std::vector<Value> row(r.names.size());
        for (std::size_t i = 0; i < row.size(); ++i) row[i] = rs.value(i);
        r.rows.push_back(std::move(row));
    }
    return r;
}

std::int64_t num(const Value& v) {
    if (v.isNull()) return 0;
    if (v.kind == Value::Kind::Integer) return v.integer;
    return std::atoll(v.text.c_str());
}
bool flag(const Value& v) { return num(v) != 0; }
std::string str(const Value& v) { return v.isNull() ? std::string() : v.text; }
std::string trimmed(const Value& v) {
    std::string s = str(v);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}
std::optional<std::string> optionalText(const Value& v) {
    if (v.isNull()) return std::nullopt;
    return v.text;
}

bool sameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

bool isSystemDatabase(const std::string& name) {
    for (const char* s : {"master", "model", "msdb", "tempdb"})
        if (sameName(name, s)) return true;
    return false;
}

bool hasPrecision(const std::string& baseType) {
    SqlType t = sqlTypeFromName(baseType);
    return t == SqlType::Decimal || t == SqlType::Numeric;
}

using Key = std::pair<std::int32_t, std::int32_t>;

struct ObjectRow {
    std::int32_t id = 0;
    std::string owner, name, xtype;
    std::int32_t parent = 0;
    bool system = false, quotedIdent = true, ansiNulls = true, encrypted = false, insteadOf = false, onInsert = false,
         onUpdate = false, onDelete = false, disabled = false, notRepl = false;
    std::int32_t colid = 0;
};

}  // namespace

model::Server LiveCatalogReader::server() {
    Result r = run(c_, "server");
    model::Server s;
    if (!r.rows.empty()) {
        const auto& row = r.rows.front();
        s.name = str(row[static_cast<std::size_t>(r.col("servername"))]);
        s.versionString = str(row[static_cast<std::size_t>(r.col("productversion"))]);
        s.login = str(row[static_cast<std::size_t>(r.col("login"))]);
    }
    if (s.versionString.empty()) s.versionString = c_.versionString();
    s.versionMajor = std::atoi(s.versionString.c_str());
    if (s.versionMajor == 0) s.versionMajor = c_.versionMajor();
    if (auto dot = s.versionString.find('.'); dot != std::string::npos)
        s.versionMinor = std::atoi(s.versionString.c_str() + dot + 1);
    return s;
}

std::vector<DatabaseHeader> LiveCatalogReader::databases() {
    Result r = run(c_, "databases");
    const int cName = r.col("name"), cOwner = r.col("owner"), cCollation = r.col("collation"), cLevel = r.col("cmptlevel");
    std::vector<DatabaseHeader> out;
    for (const auto& row : r.rows) {
        DatabaseHeader h;
        h.name = str(row[static_cast<std::size_t>(cName)]);
        h.owner = str(row[static_cast<std::size_t>(cOwner)]);
        h.collation = str(row[static_cast<std::size_t>(cCollation)]);
        h.compatibilityLevel = static_cast<int>(num(row[static_cast<std::size_t>(cLevel)]));
        h.systemObject = isSystemDatabase(h.name);
        out.push_back(std::move(h));
    }
    return out;
}

std::vector<model::Login> LiveCatalogReader::logins() {
    Result r = run(c_, "logins");
    const int cName = r.col("name"), cDb = r.col("dbname"), cLang = r.col("language"), cNt = r.col("isntname"),
              cGroup = r.col("isntgroup"), cDeny = r.col("denylogin");
    std::vector<model::Login> out;
    for (const auto& row : r.rows) {
        model::Login l;
        l.name = str(row[static_cast<std::size_t>(cName)]);
        l.defaultDatabase = str(row[static_cast<std::size_t>(cDb)]);
        l.defaultLanguage = str(row[static_cast<std::size_t>(cLang)]);
        l.windowsLogin = flag(row[static_cast<std::size_t>(cNt)]);
        l.windowsGroup = flag(row[static_cast<std::size_t>(cGroup)]);
        l.denyLogin = flag(row[static_cast<std::size_t>(cDeny)]);
        out.push_back(std::move(l));
    }
    return out;
}

std::shared_ptr<model::Database> LiveCatalogReader::database(const DatabaseHeader& header) {
    auto result = std::make_shared<model::Database>();
    Database& db = *result;
    db.name = header.name;
    db.owner = header.owner;
    db.collation = header.collation;
    db.compatibilityLevel = header.compatibilityLevel;
    db.systemObject = header.systemObject;

    // The queries, each once.
    const Result objects = run(c_, "objects");
    const Result columns = run(c_, "columns");
    const Result texts = run(c_, "texts");
    const Result indexes = run(c_, "indexes");
    const Result indexColumns = run(c_, "indexcolumns");
    const Result foreignKeys = run(c_, "foreignkeys");
    const Result permissions = run(c_, "permissions");
    const Result properties = run(c_, "properties");
    const Result dependencies = run(c_, "dependencies");
    const Result principals = run(c_, "principals");
    const Result roleMembers = run(c_, "rolemembers");
    const Result types = run(c_, "types");
    const Result fullText = run(c_, "fulltext");
    const Result fullTextColumns = run(c_, "fulltextcolumns");
    const Result storage = run(c_, "tablestorage");

    // Stored texts, joined in order (on 2000 they come in 4000-character pieces).
    std::map<Key, std::string> text;
    {
        const int cId = texts.col("id"), cSub = texts.col("subid"), cText = texts.col("text");
        for (const auto& row : texts.rows)
            text[{static_cast<std::int32_t>(num(row[static_cast<std::size_t>(cId)])),
                  static_cast<std::int32_t>(num(row[static_cast<std::size_t>(cSub)]))}] += str(row[static_cast<std::size_t>(cText)]);
    }
    auto textOf = [&](std::int32_t id, std::int32_t sub = 0) {
        auto it = text.find({id, sub});
        return it == text.end() ? std::string() : it->second;
    };

    // Objects.
    std::vector<ObjectRow> objs;
    {
        const int cId = objects.col("id"), cOwner = objects.col("owner"), cName = objects.col("name"),
                  cX = objects.col("xtype"), cParent = objects.col("parent"), cSys = objects.col("issystem"),
                  cQi = objects.col("quotedident"), cAn = objects.col("ansinulls"), cEnc = objects.col("encrypted"),
                  cInst = objects.col("insteadof"), cIns = objects.col("oninsert"), cUpd = objects.col("onupdate"),
                  cDel = objects.col("ondelete"), cDis = objects.col("disabled"), cRepl = objects.col("notrepl"),
                  cCol = objects.col("colid");
        for (const auto& row : objects.rows) {
            auto at = [&](int c) -> const Value& { return row[static_cast<std::size_t>(c)]; };
            ObjectRow o;
            o.id = static_cast<std::int32_t>(num(at(cId)));
            o.owner = str(at(cOwner));
            o.name = str(at(cName));
            o.xtype = trimmed(at(cX));
            o.parent = static_cast<std::int32_t>(num(at(cParent)));
            o.system = flag(at(cSys));
            o.quotedIdent = flag(at(cQi));
            o.ansiNulls = flag(at(cAn));
            o.encrypted = flag(at(cEnc));
            o.insteadOf = flag(at(cInst));
            o.onInsert = flag(at(cIns));
            o.onUpdate = flag(at(cUpd));
            o.onDelete = flag(at(cDel));
            o.disabled = flag(at(cDis));
            o.notRepl = flag(at(cRepl));
            o.colid = static_cast<std::int32_t>(num(at(cCol)));
            objs.push_back(std::move(o));
        }
    }
    auto base = [](SchemaObject& s, const ObjectRow& o) {
        s.id = o.id;
        s.owner = o.owner;
        s.name = o.name;
        s.systemObject = o.system;
    };
    auto module = [&](auto& m, const ObjectRow& o) {
        base(m, o);
        m.settings.quotedIdentifier = o.quotedIdent;
        m.settings.ansiNulls = o.ansiNulls;
        m.encrypted = o.encrypted;
        if (!o.encrypted) m.text = textOf(o.id);
    };
    for (const auto& o : objs) {
        if (o.xtype == "U") {
            Table t;
            base(t, o);
            db.tables.push_back(std::move(t));
        } else if (o.xtype == "V") {
            View v;
            module(v, o);
            db.views.push_back(std::move(v));
        } else if (o.xtype == "P") {
            StoredProcedure p;
            module(p, o);
            db.procedures.push_back(std::move(p));
        } else if (o.xtype == "FN" || o.xtype == "IF" || o.xtype == "TF") {
            UserDefinedFunction f;
            module(f, o);
            f.kind = o.xtype == "FN" ? FunctionKind::Scalar : o.xtype == "IF" ? FunctionKind::InlineTable : FunctionKind::Table;
            db.functions.push_back(std::move(f));
        } else if (o.xtype == "D" && o.parent == 0) {
            DefaultObject d;
            base(d, o);
            d.text = textOf(o.id);
            db.defaults.push_back(std::move(d));
        } else if (o.xtype == "R") {
            Rule r;
            base(r, o);
            r.text = textOf(o.id);
            db.rules.push_back(std::move(r));
        }
    }
    std::unordered_map<std::int32_t, Table*> tableById;
    std::unordered_map<std::int32_t, View*> viewById;
    std::unordered_map<std::int32_t, std::string> boundName;  // defaults and rules: "owner.name"
    for (auto& t : db.tables) tableById[t.id] = &t;
    for (auto& v : db.views) viewById[v.id] = &v;
    for (auto& d : db.defaults) boundName[d.id] = d.owner + "." + d.name;
    for (auto& r : db.rules) boundName[r.id] = r.owner + "." + r.name;

    // Triggers of tables and views.
    for (const auto& o : objs) {
        if (o.xtype != "TR") continue;
        Trigger g;
        module(g, o);
        g.insteadOf = o.insteadOf;
        g.onInsert = o.onInsert;
        g.onUpdate = o.onUpdate;
        g.onDelete = o.onDelete;
        g.disabled = o.disabled;
        if (auto t = tableById.find(o.parent); t != tableById.end())
            t->second->triggers.push_back(std::move(g));
        else if (auto v = viewById.find(o.parent); v != viewById.end())
            v->second->triggers.push_back(std::move(g));
    }

    // Columns.
    std::unordered_map<std::int32_t, const ObjectRow*> defaultConstraints;
    for (const auto& o : objs)
        if (o.xtype == "D" && o.parent != 0) defaultConstraints[o.id] = &o;
    std::map<Key, std::pair<Table*, std::size_t>> columnAt;
    {
        const int cTable = columns.col("tableid"), cColid = columns.col("colid"), cName = columns.col("name"),
                  cType = columns.col("typename"), cBase = columns.col("basetype"), cLen = columns.col("length"),
                  cPrec = columns.col("prec"), cScale = columns.col("scale"), cNull = columns.col("nullable"),
                  cIdent = columns.col("isidentity"), cSeed = columns.col("seed"), cIncr = columns.col("incr"),
                  cRepl = columns.col("notrepl"), cColl = columns.col("collation"), cGuid = columns.col("rowguidcol"),
                  cDef = columns.col("defaultid"), cRule = columns.col("ruleid"), cComp = columns.col("iscomputed");
        for (const auto& row : columns.rows) {
            auto at = [&](int c) -> const Value& { return row[static_cast<std::size_t>(c)]; };
            auto tableId = static_cast<std::int32_t>(num(at(cTable)));
            auto t = tableById.find(tableId);
            if (t == tableById.end()) continue;
            Column c;
            auto colid = static_cast<std::int32_t>(num(at(cColid)));
            c.name = str(at(cName));
            c.dataType = str(at(cType));
            c.baseType = str(at(cBase));
            if (c.baseType.empty()) c.baseType = c.dataType;
            c.length = declaredLength(c.baseType, num(at(cLen)));
            if (hasPrecision(c.baseType)) {
                c.precision = static_cast<int>(num(at(cPrec)));
                c.scale = static_cast<int>(num(at(cScale)));
            }
            c.nullable = flag(at(cNull));
            c.identity = flag(at(cIdent));
            if (c.identity) {
                c.identitySeed = num(at(cSeed));
                c.identityIncrement = num(at(cIncr));
                c.identityNotForReplication = flag(at(cRepl));
            }
            c.collation = str(at(cColl));
            if (sameName(c.collation, db.collation)) c.collation.clear();
            c.rowGuidCol = flag(at(cGuid));
            auto def = static_cast<std::int32_t>(num(at(cDef)));
            if (auto dc = defaultConstraints.find(def); dc != defaultConstraints.end()) {
                c.defaultConstraintName = dc->second->name;
                c.defaultConstraintText = textOf(def);
            } else if (auto b = boundName.find(def); b != boundName.end()) {
                c.boundDefault = b->second;
            }
            if (auto b = boundName.find(static_cast<std::int32_t>(num(at(cRule)))); b != boundName.end()) c.boundRule = b->second;
            if (flag(at(cComp))) c.computedText = textOf(tableId, colid);
            columnAt[{tableId, colid}] = {t->second, t->second->columns.size()};
            t->second->columns.push_back(std::move(c));
        }
    }
    auto columnName = [&](std::int32_t table, std::int32_t colid) {
        auto it = columnAt.find({table, colid});
        return it == columnAt.end() ? std::string() : it->second.first->columns[it->second.second].name;
    };

    // Check constraints.
    for (const auto& o : objs) {
        if (o.xtype != "C") continue;
        auto t = tableById.find(o.parent);
        if (t == tableById.end()) continue;
        CheckConstraint k;
        k.name = o.name;
        k.text = textOf(o.id);
        k.column = o.colid > 0 ? columnName(o.parent, o.colid) : std::string();
        k.notForReplication = o.notRepl;
        k.disabled = o.disabled;
        t->second->checks.push_back(std::move(k));
    }

    // Indexes and the keys behind PRIMARY KEY and UNIQUE constraints.
    std::map<Key, std::vector<IndexColumn>> keyColumns;
    {
        const int cTable = indexColumns.col("tableid"), cInd = indexColumns.col("indid"), cName = indexColumns.col("colname"),
                  cDesc = indexColumns.col("isdescending");
        for (const auto& row : indexColumns.rows)
            keyColumns[{static_cast<std::int32_t>(num(row[static_cast<std::size_t>(cTable)])),
                        static_cast<std::int32_t>(num(row[static_cast<std::size_t>(cInd)]))}]
                .push_back({str(row[static_cast<std::size_t>(cName)]), flag(row[static_cast<std::size_t>(cDesc)])});
    }
    struct IndexSlot {
        enum class Where { PrimaryKey, Unique, TableIndex, ViewIndex } where;
        std::int32_t owner;
        std::size_t at;
    };
    std::map<Key, IndexSlot> indexAt;
    {
        const int cTable = indexes.col("tableid"), cInd = indexes.col("indid"), cName = indexes.col("name"),
                  cClust = indexes.col("isclustered"), cUnique = indexes.col("isunique"), cDup = indexes.col("ignoredupkey"),
                  cPad = indexes.col("padindex"), cNoRe = indexes.col("norecompute"), cFill = indexes.col("fill"),
                  cFg = indexes.col("fgroup"), cPk = indexes.col("primarykey"), cUq = indexes.col("uniqueconstraint");
        for (const auto& row : indexes.rows) {
            auto at = [&](int c) -> const Value& { return row[static_cast<std::size_t>(c)]; };
            auto owner = static_cast<std::int32_t>(num(at(cTable)));
            auto indid = static_cast<std::int32_t>(num(at(cInd)));
            auto cols = keyColumns[{owner, indid}];
            if (flag(at(cPk)) || flag(at(cUq))) {
                auto t = tableById.find(owner);
                if (t == tableById.end()) continue;
                KeyConstraint k;
                k.name = str(at(cName));
                k.primaryKey = flag(at(cPk));
                k.clustered = flag(at(cClust));
                k.fillFactor = static_cast<int>(num(at(cFill)));
                k.fileGroup = str(at(cFg));
                k.columns = std::move(cols);
                if (k.primaryKey) {
                    t->second->primaryKey = std::move(k);
                    indexAt[{owner, indid}] = {IndexSlot::Where::PrimaryKey, owner, 0};
                } else {
                    indexAt[{owner, indid}] = {IndexSlot::Where::Unique, owner, t->second->uniqueConstraints.size()};
                    t->second->uniqueConstraints.push_back(std::move(k));
                }
                continue;
            }
            Index ix;
            ix.name = str(at(cName));
            ix.clustered = flag(at(cClust));
            ix.unique = flag(at(cUnique));
            ix.ignoreDupKey = flag(at(cDup));
            ix.padIndex = flag(at(cPad));
            ix.statisticsNoRecompute = flag(at(cNoRe));
            ix.fillFactor = static_cast<int>(num(at(cFill)));
            ix.fileGroup = str(at(cFg));
            ix.columns = std::move(cols);
            if (auto t = tableById.find(owner); t != tableById.end()) {
                indexAt[{owner, indid}] = {IndexSlot::Where::TableIndex, owner, t->second->indexes.size()};
                t->second->indexes.push_back(std::move(ix));
            } else if (auto v = viewById.find(owner); v != viewById.end()) {
                indexAt[{owner, indid}] = {IndexSlot::Where::ViewIndex, owner, v->second->indexes.size()};
                v->second->indexes.push_back(std::move(ix));
            }
        }
    }

    // Foreign keys, one row per column pair.
    std::unordered_map<std::int32_t, std::pair<Table*, std::size_t>> foreignKeyAt;
    {
        const int cConst = foreignKeys.col("constid"), cName = foreignKeys.col("name"), cTable = foreignKeys.col("tableid"),
                  cRef = foreignKeys.col("reftableid"), cRefOwner = foreignKeys.col("refowner"),
                  cRefTable = foreignKeys.col("reftable"), cCol = foreignKeys.col("colname"),
                  cRefCol = foreignKeys.col("refcolname"), cDel = foreignKeys.col("deletecascade"),
                  cUpd = foreignKeys.col("updatecascade"), cRepl = foreignKeys.col("notrepl"), cDis = foreignKeys.col("disabled");
        for (const auto& row : foreignKeys.rows) {
            auto at = [&](int c) -> const Value& { return row[static_cast<std::size_t>(c)]; };
            auto id = static_cast<std::int32_t>(num(at(cConst)));
            auto slot = foreignKeyAt.find(id);
            if (slot == foreignKeyAt.end()) {
                auto t = tableById.find(static_cast<std::int32_t>(num(at(cTable))));
                if (t == tableById.end()) continue;
                ForeignKey fk;
                fk.name = str(at(cName));
                fk.referencedTableId = static_cast<ObjectId>(num(at(cRef)));
                fk.referencedOwner = str(at(cRefOwner));
                fk.referencedTable = str(at(cRefTable));
                fk.onDelete = flag(at(cDel)) ? ReferentialAction::Cascade : ReferentialAction::NoAction;
                fk.onUpdate = flag(at(cUpd)) ? ReferentialAction::Cascade : ReferentialAction::NoAction;
                fk.notForReplication = flag(at(cRepl));
                fk.disabled = flag(at(cDis));
                slot = foreignKeyAt.emplace(id, std::make_pair(t->second, t->second->foreignKeys.size())).first;
                t->second->foreignKeys.push_back(std::move(fk));
            }
            ForeignKey& fk = slot->second.first->foreignKeys[slot->second.second];
            fk.columns.push_back(str(at(cCol)));
            fk.referencedColumns.push_back(str(at(cRefCol)));
        }
    }

    // Every schema object by id (now that no vector grows any more).
    std::unordered_map<std::int32_t, SchemaObject*> objectById;
    for (auto& t : db.tables) {
        objectById[t.id] = &t;
        for (auto& g : t.triggers) objectById[g.id] = &g;
    }
    for (auto& v : db.views) {
        objectById[v.id] = &v;
        for (auto& g : v.triggers) objectById[g.id] = &g;
    }
    for (auto& p : db.procedures) objectById[p.id] = &p;
    for (auto& f : db.functions) objectById[f.id] = &f;
    for (auto& d : db.defaults) objectById[d.id] = &d;
    for (auto& r : db.rules) objectById[r.id] = &r;

    // Permissions.
    {
        const int cId = permissions.col("id"), cCol = permissions.col("colname"), cGrantee = permissions.col("grantee"),
                  cPriv = permissions.col("privilege"), cState = permissions.col("permstate");
        for (const auto& row : permissions.rows) {
            auto at = [&](int c) -> const Value& { return row[static_cast<std::size_t>(c)]; };
            auto o = objectById.find(static_cast<std::int32_t>(num(at(cId))));
            if (o == objectById.end()) continue;
            Permission p;
            std::string state = trimmed(at(cState));
            p.action = state == "D" ? Permission::Action::Deny : Permission::Action::Grant;
            p.withGrantOption = state == "W";
            p.privilege = trimmed(at(cPriv));
            p.grantee = str(at(cGrantee));
            p.column = str(at(cCol));
            o->second->permissions.push_back(std::move(p));
        }
    }

    // User-defined data types: their ids are the negated type ids, apart from object ids.
    {
        const int cId = types.col("id"), cOwner = types.col("owner"), cName = types.col("name"), cBase = types.col("basetype"),
                  cLen = types.col("length"), cPrec = types.col("prec"), cScale = types.col("scale"),
                  cNull = types.col("nullable"), cDef = types.col("defaultid"), cRule = types.col("ruleid");
        for (const auto& row : types.rows) {
            auto at = [&](int c) -> const Value& { return row[static_cast<std::size_t>(c)]; };
            UserDefinedDatatype t;
            t.id = -static_cast<ObjectId>(num(at(cId)));
            t.owner = str(at(cOwner));
            t.name = str(at(cName));
            t.baseType = str(at(cBase));
            t.length = declaredLength(t.baseType, num(at(cLen)));
            if (hasPrecision(t.baseType)) {
                t.precision = static_cast<int>(num(at(cPrec)));
                t.scale = static_cast<int>(num(at(cScale)));
            }
            t.nullable = flag(at(cNull));
            if (auto b = boundName.find(static_cast<std::int32_t>(num(at(cDef)))); b != boundName.end()) t.boundDefault = b->second;
            if (auto b = boundName.find(static_cast<std::int32_t>(num(at(cRule)))); b != boundName.end()) t.boundRule = b->second;
            db.types.push_back(std::move(t));
        }
    }

    // Extended properties.
    {
        std::unordered_map<std::int32_t, std::vector<ExtendedProperty>*> constraintProps;
        for (const auto& o : objs) {
            auto t = tableById.find(o.parent);
            if (t == tableById.end()) continue;
            Table& tb = *t->second;
            if (o.xtype == "PK" && tb.primaryKey && sameName(tb.primaryKey->name, o.name))
                constraintProps[o.id] = &tb.primaryKey->properties;
            if (o.xtype == "UQ")
                for (auto& u : tb.uniqueConstraints)
                    if (sameName(u.name, o.name)) constraintProps[o.id] = &u.properties;
            if (o.xtype == "C")
                for (auto& k : tb.checks)
                    if (sameName(k.name, o.name)) constraintProps[o.id] = &k.properties;
        }
        for (auto& [id, slot] : foreignKeyAt) constraintProps[id] = &slot.first->foreignKeys[slot.second].properties;
        auto indexProps = [&](std::int32_t owner, std::int32_t indid) -> std::vector<ExtendedProperty>* {
            auto it = indexAt.find({owner, indid});
            if (it == indexAt.end()) return nullptr;
            const IndexSlot& s = it->second;
            switch (s.where) {
            case IndexSlot::Where::PrimaryKey: return &tableById.at(s.owner)->primaryKey->properties;
            case IndexSlot::Where::Unique: return &tableById.at(s.owner)->uniqueConstraints[s.at].properties;
            case IndexSlot::Where::TableIndex: return &tableById.at(s.owner)->indexes[s.at].properties;
            case IndexSlot::Where::ViewIndex: return &viewById.at(s.owner)->indexes[s.at].properties;
            }
            return nullptr;
        };
        const int cClass = properties.col("propclass"), cMajor = properties.col("majorid"), cMinor = properties.col("minorid"),
                  cName = properties.col("name"), cT = properties.col("value_t"), cP = properties.col("value_p"),
                  cS = properties.col("value_s"), cM = properties.col("value_m"), cN = properties.col("value_n"),
                  cC = properties.col("value_c"), cB = properties.col("value_b");
        for (const auto& row : properties.rows) {
            auto at = [&](int c) -> const Value& { return row[static_cast<std::size_t>(c)]; };
            VariantParts parts;
            parts.baseType = optionalText(at(cT));
            parts.precision = static_cast<int>(num(at(cP)));
            parts.scale = static_cast<int>(num(at(cS)));
            parts.maxLength = static_cast<int>(num(at(cM)));
            parts.unicodeText = optionalText(at(cN));
            parts.charText = optionalText(at(cC));
            parts.binary = optionalText(at(cB));
            ExtendedProperty p{str(at(cName)), variantFromParts(parts)};
            const std::string cls = trimmed(at(cClass));
            auto major = static_cast<std::int32_t>(num(at(cMajor)));
            auto minor = static_cast<std::int32_t>(num(at(cMinor)));
            std::vector<ExtendedProperty>* target = nullptr;
            if (cls == "D") {
                target = &db.properties;
            } else if (cls == "O") {
                if (auto o = objectById.find(major); o != objectById.end())
                    target = &o->second->properties;
                else if (auto k = constraintProps.find(major); k != constraintProps.end())
                    target = k->second;
            } else if (cls == "C") {
                if (auto c = columnAt.find({major, minor}); c != columnAt.end())
                    target = &c->second.first->columns[c->second.second].properties;
            } else if (cls == "I") {
                target = indexProps(major, minor);
            } else if (cls == "T") {
                for (auto& t : db.types)
                    if (t.id == -major) target = &t.properties;
            }
            if (target) target->push_back(std::move(p));
        }
    }

    // Dependencies.
    {
        const int cId = dependencies.col("id"), cDep = dependencies.col("depid");
        for (const auto& row : dependencies.rows)
            if (auto o = objectById.find(static_cast<std::int32_t>(num(row[static_cast<std::size_t>(cId)]))); o != objectById.end())
                o->second->dependsOn.push_back(static_cast<ObjectId>(num(row[static_cast<std::size_t>(cDep)])));
    }

    // Users and roles.
    {
        std::unordered_map<std::int32_t, std::size_t> roleAt;
        const int cId = principals.col("id"), cName = principals.col("name"), cKind = principals.col("kind"),
                  cLogin = principals.col("loginname"), cFixed = principals.col("fixed"), cSys = principals.col("issystem");
        for (const auto& row : principals.rows) {
            auto at = [&](int c) -> const Value& { return row[static_cast<std::size_t>(c)]; };
            const std::string kind = trimmed(at(cKind));
            if (kind == "U") {
                db.users.push_back({str(at(cName)), str(at(cLogin)), flag(at(cSys))});
            } else {
                Role r;
                r.name = str(at(cName));
                r.applicationRole = kind == "A";
                r.fixedRole = flag(at(cFixed));
                roleAt[static_cast<std::int32_t>(num(at(cId)))] = db.roles.size();
                db.roles.push_back(std::move(r));
            }
        }
        const int cRole = roleMembers.col("roleid"), cMember = roleMembers.col("member");
        for (const auto& row : roleMembers.rows)
            if (auto r = roleAt.find(static_cast<std::int32_t>(num(row[static_cast<std::size_t>(cRole)]))); r != roleAt.end())
                db.roles[r->second].members.push_back(str(row[static_cast<std::size_t>(cMember)]));
    }

    // Full-text indexes.
    {
        const int cTable = fullText.col("tableid"), cCat = fullText.col("catalogname"), cKey = fullText.col("keyindex"),
                  cActive = fullText.col("active");
        for (const auto& row : fullText.rows) {
            auto t = tableById.find(static_cast<std::int32_t>(num(row[static_cast<std::size_t>(cTable)])));
            if (t == tableById.end()) continue;
            FullTextIndex f;
            f.catalog = str(row[static_cast<std::size_t>(cCat)]);
            f.keyIndex = str(row[static_cast<std::size_t>(cKey)]);
            f.active = flag(row[static_cast<std::size_t>(cActive)]);
            t->second->fullTextIndex = std::move(f);
        }
        const int cFtTable = fullTextColumns.col("tableid"), cCol = fullTextColumns.col("colname"),
                  cLcid = fullTextColumns.col("lcid");
        for (const auto& row : fullTextColumns.rows) {
            auto t = tableById.find(static_cast<std::int32_t>(num(row[static_cast<std::size_t>(cFtTable)])));
            if (t == tableById.end() || !t->second->fullTextIndex) continue;
            t->second->fullTextIndex->columns.push_back(
                {str(row[static_cast<std::size_t>(cCol)]), static_cast<int>(num(row[static_cast<std::size_t>(cLcid)]))});
        }
    }

    // Storage and row counts.
    {
        const int cTable = storage.col("tableid"), cFg = storage.col("fgroup"), cText = storage.col("textfgroup"),
                  cRows = storage.col("rowcnt");
        for (const auto& row : storage.rows) {
            auto t = tableById.find(static_cast<std::int32_t>(num(row[static_cast<std::size_t>(cTable)])));
            if (t == tableById.end()) continue;
            t->second->fileGroup = str(row[static_cast<std::size_t>(cFg)]);
            t->second->textFileGroup = str(row[static_cast<std::size_t>(cText)]);
            t->second->rowCount = num(row[static_cast<std::size_t>(cRows)]);
        }
    }
    return result;
}

}  // namespace sqldmo::tds
