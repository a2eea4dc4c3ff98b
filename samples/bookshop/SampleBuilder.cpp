// The sample vocabulary: chained descriptions filling the catalogue model.
#include "samples/bookshop/SampleBuilder.h"

#include <stdexcept>

#include "sqldmo/model/Names.h"

namespace sample {

using namespace sqldmo;
using namespace sqldmo::model;

std::string crlf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 20);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

ExtendedProperty description(const std::string& text) {
    Value v = Value::ofText(SqlType::NVarChar, text);
    v.variant = true;
    v.maxLength = static_cast<int>(text.size());
    return {"MS_Description", v};
}

Col::Col(const std::string& name, const std::string& type, int length) {
    column_.name = name;
    column_.dataType = type;
    column_.baseType = type == "sysname" ? "nvarchar" : type;
    column_.length = type == "sysname" ? 128 : length;
}

Col& Col::precision(int p, int s) {
    column_.precision = p;
    column_.scale = s;
    return *this;
}

Col& Col::notNull() {
    column_.nullable = false;
    return *this;
}

Col& Col::identity(std::int64_t seed, std::int64_t increment, bool notForReplication) {
    column_.identity = true;
    column_.nullable = false;
    column_.identitySeed = seed;
    column_.identityIncrement = increment;
    column_.identityNotForReplication = notForReplication;
    return *this;
}

Col& Col::computed(const std::string& expression) {
    column_.computedText = expression;
    return *this;
}

Col& Col::collate(const std::string& collation) {
    column_.collation = collation;
    return *this;
}

Col& Col::rowGuid() {
    column_.rowGuidCol = true;
    return *this;
}

Col& Col::byDefault(const std::string& constraintName, const std::string& expression) {
    column_.defaultConstraintName = constraintName;
    column_.defaultConstraintText = expression;
    return *this;
}

Col& Col::boundDefault(const std::string& ownerDotName) {
    column_.boundDefault = ownerDotName;
    return *this;
}

Col& Col::boundRule(const std::string& ownerDotName) {
    column_.boundRule = ownerDotName;
    return *this;
}

Col& Col::ofType(const std::string& typeName) {
    column_.dataType = typeName;
    return *this;
}

Col& Col::describe(const std::string& text) {
    column_.properties.push_back(description(text));
    return *this;
}

Col& Col::property(const std::string& name, Value value) {
    column_.properties.push_back({name, std::move(value)});
    return *this;
}

// ---- tables --------------------------------------------------------------------------------------

Table& TableDef::table() const { return catalog_->db_->tables[index_]; }

TableDef& TableDef::describe(const std::string& text) {
    table().properties.push_back(description(text));
    return *this;
}

TableDef& TableDef::property(const std::string& name, Value value) {
    table().properties.push_back({name, std::move(value)});
    return *this;
}

TableDef& TableDef::primaryKey(const std::string& name, std::vector<IndexColumn> columns, bool clustered,
                               int fillFactor, const std::string& text) {
    KeyConstraint k;
    k.name = name;
    k.primaryKey = true;
    k.clustered = clustered;
    k.fillFactor = fillFactor;
    k.columns = std::move(columns);
    if (!text.empty()) k.properties.push_back(description(text));
    table().primaryKey = std::move(k);
    return *this;
}

TableDef& TableDef::unique(const std::string& name, std::vector<IndexColumn> columns, bool clustered,
                           const std::string& text) {
    KeyConstraint k;
    k.name = name;
    k.clustered = clustered;
    k.columns = std::move(columns);
    if (!text.empty()) k.properties.push_back(description(text));
    table().uniqueConstraints.push_back(std::move(k));
    return *this;
}

TableDef& TableDef::foreignKey(const std::string& name, std::vector<std::string> columns,
                               const std::string& referenced, std::vector<std::string> referencedColumns,
                               bool cascadeDelete, bool cascadeUpdate, bool notForReplication, bool disabled,
                               const std::string& text) {
    ForeignKey fk;
    fk.name = name;
    fk.columns = std::move(columns);
    const auto q = parseQualifiedName(referenced);
    if (!q) throw std::runtime_error("bad table name " + referenced);
    fk.referencedOwner = q->owner;
    fk.referencedTable = q->name;
    fk.referencedColumns = std::move(referencedColumns);
    fk.onDelete = cascadeDelete ? ReferentialAction::Cascade : ReferentialAction::NoAction;
    fk.onUpdate = cascadeUpdate ? ReferentialAction::Cascade : ReferentialAction::NoAction;
    fk.notForReplication = notForReplication;
    fk.disabled = disabled;
    if (!text.empty()) fk.properties.push_back(description(text));
    table().foreignKeys.push_back(std::move(fk));
    return *this;
}

TableDef& TableDef::check(const std::string& name, const std::string& expression, const std::string& column,
                          bool notForReplication, bool disabled, const std::string& text) {
    CheckConstraint c;
    c.name = name;
    c.text = expression;
    c.column = column;
    c.notForReplication = notForReplication;
    c.disabled = disabled;
    if (!text.empty()) c.properties.push_back(description(text));
    table().checks.push_back(std::move(c));
    return *this;
}

TableDef& TableDef::index(Index index, const std::string& text) {
    if (!text.empty()) index.properties.push_back(description(text));
    table().indexes.push_back(std::move(index));
    return *this;
}

TableDef& TableDef::trigger(const std::string& name, const std::string& text, bool insteadOf, bool onInsert,
                            bool onUpdate, bool onDelete, std::initializer_list<std::string> uses,
                            bool quotedIdentifier, bool ansiNulls, const std::string& about) {
    Trigger t;
    t.id = catalog_->nextId();
    t.owner = table().owner;
    t.name = name;
    t.text = crlf(text);
    t.insteadOf = insteadOf;
    t.onInsert = onInsert;
    t.onUpdate = onUpdate;
    t.onDelete = onDelete;
    t.settings = {quotedIdentifier, ansiNulls};
    if (!about.empty()) t.properties.push_back(description(about));
    table().triggers.push_back(std::move(t));
    catalog_->addUses({ObjectType::UserTable, index_, static_cast<int>(table().triggers.size() - 1)}, uses);
    return *this;
}

TableDef& TableDef::fullText(const std::string& catalog, const std::string& keyIndex, std::vector<FullTextColumn> columns) {
    table().fullTextIndex = FullTextIndex{catalog, keyIndex, std::move(columns), true};
    return *this;
}

TableDef& TableDef::fileGroups(const std::string& data, const std::string& text) {
    table().fileGroup = data;
    table().textFileGroup = text;
    return *this;
}

TableDef& TableDef::uses(std::initializer_list<std::string> names) {
    catalog_->addUses({ObjectType::UserTable, index_}, names);
    return *this;
}

TableDef& TableDef::grant(const std::string& privilege, const std::string& grantee, bool withGrantOption,
                          const std::string& column) {
    table().permissions.push_back({Permission::Action::Grant, privilege, grantee, column, withGrantOption});
    return *this;
}

TableDef& TableDef::deny(const std::string& privilege, const std::string& grantee, const std::string& column) {
    table().permissions.push_back({Permission::Action::Deny, privilege, grantee, column, false});
    return *this;
}

// ---- other objects -------------------------------------------------------------------------------

SchemaObject& ObjectDef::object() const { return catalog_->resolve({type_, index_}); }

ObjectDef& ObjectDef::describe(const std::string& text) {
    object().properties.push_back(description(text));
    return *this;
}

ObjectDef& ObjectDef::uses(std::initializer_list<std::string> names) {
    catalog_->addUses({type_, index_}, names);
    return *this;
}

ObjectDef& ObjectDef::grant(const std::string& privilege, const std::string& grantee, bool withGrantOption) {
    object().permissions.push_back({Permission::Action::Grant, privilege, grantee, "", withGrantOption});
    return *this;
}

ObjectDef& ObjectDef::deny(const std::string& privilege, const std::string& grantee) {
    object().permissions.push_back({Permission::Action::Deny, privilege, grantee, "", false});
    return *this;
}

ObjectDef& ObjectDef::settings(bool quotedIdentifier, bool ansiNulls) {
    auto& db = *catalog_->db_;
    ModuleSettings s{quotedIdentifier, ansiNulls};
    switch (type_) {
        case ObjectType::View: db.views[index_].settings = s; break;
        case ObjectType::StoredProcedure: db.procedures[index_].settings = s; break;
        case ObjectType::UserDefinedFunction: db.functions[index_].settings = s; break;
        default: throw std::runtime_error("settings on an object that is not a module");
    }
    return *this;
}

ObjectDef& ObjectDef::encrypted() {
    auto& db = *catalog_->db_;
    // An encrypted module's text cannot be read back from the catalogue.
    Module* m = nullptr;
    switch (type_) {
        case ObjectType::View: m = &db.views[index_]; break;
        case ObjectType::StoredProcedure: m = &db.procedures[index_]; break;
        case ObjectType::UserDefinedFunction: m = &db.functions[index_]; break;
        default: throw std::runtime_error("encryption on an object that is not a module");
    }
    m->encrypted = true;
    m->text.clear();
    return *this;
}

ObjectDef& ObjectDef::insteadOfTrigger(const std::string& name, const std::string& text, bool onInsert, bool onUpdate,
                                       bool onDelete, std::initializer_list<std::string> uses) {
    if (type_ != ObjectType::View) throw std::runtime_error("INSTEAD OF triggers here are for views");
    auto& view = catalog_->db_->views[index_];
    Trigger t;
    t.id = catalog_->nextId();
    t.owner = view.owner;
    t.name = name;
    t.text = crlf(text);
    t.insteadOf = true;
    t.onInsert = onInsert;
    t.onUpdate = onUpdate;
    t.onDelete = onDelete;
    view.triggers.push_back(std::move(t));
    catalog_->addUses({ObjectType::View, index_, static_cast<int>(view.triggers.size() - 1)}, uses);
    return *this;
}

// ---- catalogue -----------------------------------------------------------------------------------

Catalog::Catalog(const std::string& databaseName) : db_(std::make_shared<Database>()) { db_->name = databaseName; }

SchemaObject& Catalog::resolve(const Ref& ref) {
    auto& db = *db_;
    switch (ref.kind) {
        case ObjectType::UserTable:
            return ref.trigger >= 0 ? static_cast<SchemaObject&>(db.tables[ref.index].triggers[static_cast<std::size_t>(ref.trigger)])
                                    : db.tables[ref.index];
        case ObjectType::View:
            return ref.trigger >= 0 ? static_cast<SchemaObject&>(db.views[ref.index].triggers[static_cast<std::size_t>(ref.trigger)])
                                    : db.views[ref.index];
        case ObjectType::StoredProcedure: return db.procedures[ref.index];
        case ObjectType::UserDefinedFunction: return db.functions[ref.index];
        case ObjectType::Default: return db.defaults[ref.index];
        case ObjectType::Rule: return db.rules[ref.index];
        default: return db.types[ref.index];
    }
}

void Catalog::addUses(const Ref& ref, std::initializer_list<std::string> names) {
    if (names.size() != 0) uses_.push_back({ref, std::vector<std::string>(names)});
}

TableDef Catalog::table(const std::string& owner, const std::string& name, std::initializer_list<Col> columns) {
    Table t;
    t.id = nextId();
    t.owner = owner;
    t.name = name;
    for (const auto& c : columns) t.columns.push_back(c);
    db_->tables.push_back(std::move(t));
    return TableDef(*this, db_->tables.size() - 1);
}

ObjectDef Catalog::view(const std::string& owner, const std::string& name, const std::string& text) {
    View v;
    v.id = nextId();
    v.owner = owner;
    v.name = name;
    v.text = crlf(text);
    db_->views.push_back(std::move(v));
    return ObjectDef(*this, ObjectType::View, db_->views.size() - 1);
}

ObjectDef Catalog::procedure(const std::string& owner, const std::string& name, const std::string& text) {
    StoredProcedure p;
    p.id = nextId();
    p.owner = owner;
    p.name = name;
    p.text = crlf(text);
    db_->procedures.push_back(std::move(p));
    return ObjectDef(*this, ObjectType::StoredProcedure, db_->procedures.size() - 1);
}

ObjectDef Catalog::function(const std::string& owner, const std::string& name, FunctionKind kind, const std::string& text) {
    UserDefinedFunction f;
    f.id = nextId();
    f.owner = owner;
    f.name = name;
    f.kind = kind;
    f.text = crlf(text);
    db_->functions.push_back(std::move(f));
    return ObjectDef(*this, ObjectType::UserDefinedFunction, db_->functions.size() - 1);
}

ObjectDef Catalog::defaultObject(const std::string& owner, const std::string& name, const std::string& text) {
    DefaultObject d;
    d.id = nextId();
    d.owner = owner;
    d.name = name;
    d.text = crlf(text);
    db_->defaults.push_back(std::move(d));
    return ObjectDef(*this, ObjectType::Default, db_->defaults.size() - 1);
}

ObjectDef Catalog::rule(const std::string& owner, const std::string& name, const std::string& text) {
    Rule r;
    r.id = nextId();
    r.owner = owner;
    r.name = name;
    r.text = crlf(text);
    db_->rules.push_back(std::move(r));
    return ObjectDef(*this, ObjectType::Rule, db_->rules.size() - 1);
}

ObjectDef Catalog::type(const std::string& owner, const std::string& name, const std::string& baseType, int length,
                        int precision, int scale, bool nullable, const std::string& boundDefault,
                        const std::string& boundRule) {
    UserDefinedDatatype t;
    t.id = nextId();
    t.owner = owner;
    t.name = name;
    t.baseType = baseType;
    t.length = length;
    t.precision = precision;
    t.scale = scale;
    t.nullable = nullable;
    t.boundDefault = boundDefault;
    t.boundRule = boundRule;
    db_->types.push_back(std::move(t));
    return ObjectDef(*this, ObjectType::UserDefinedDatatype, db_->types.size() - 1);
}

std::shared_ptr<Database> Catalog::finish() {
    auto& db = *db_;
    std::map<std::string, ObjectId> ids;
    const auto add = [&](const SchemaObject& o) { ids[foldName(o.owner) + "." + foldName(o.name)] = o.id; };
    for (const auto& t : db.tables) add(t);
    for (const auto& v : db.views) add(v);
    for (const auto& p : db.procedures) add(p);
    for (const auto& f : db.functions) add(f);
    for (const auto& d : db.defaults) add(d);
    for (const auto& r : db.rules) add(r);
    for (const auto& t : db.types) add(t);
    for (const auto& [ref, names] : uses_) {
        auto& o = resolve(ref);
        for (const auto& name : names) {
            const auto q = parseQualifiedName(name);
            const auto it = q ? ids.find(foldName(q->owner) + "." + foldName(q->name)) : ids.end();
            if (it == ids.end()) throw std::runtime_error(o.name + " uses " + name + ", which the sample does not have");
            o.dependsOn.push_back(it->second);
        }
    }
    // Foreign keys carry the id of the table they refer to, as the catalogue does.
    for (auto& t : db.tables)
        for (auto& fk : t.foreignKeys) {
            const auto it = ids.find(foldName(fk.referencedOwner) + "." + foldName(fk.referencedTable));
            if (it == ids.end())
                throw std::runtime_error(fk.name + " refers to " + fk.referencedOwner + "." + fk.referencedTable +
                                         ", which the sample does not have");
            fk.referencedTableId = it->second;
        }
    return db_;
}

}  // namespace sample
