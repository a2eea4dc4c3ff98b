// The snapshot's catalogue reader: one statement per kind of detail, rows in key order, each
// attached to its object through a table indexed by oid.
#include "sqldmo/snapshot/Reader.h"

#include <algorithm>
#include <cstdlib>

#include "sqldmo/Error.h"
#include "sqldmo/snapshot/Format.h"
#include "sqldmo/snapshot/Snapshot.h"
#include "sqldmo/snapshot/ValueCodec.h"

namespace sqldmo::snapshot::detail {
namespace {

// Where the object of an oid lives in the model being built.
struct Ref {
    model::ObjectType kind = model::ObjectType::UserTable;
    std::size_t index = 0;
    std::size_t trigger = 0;  // for triggers: position in the parent's list
    std::int64_t parent = 0;
    bool used = false;
};

template <class T>
T enumValue(const Connection& c, std::int64_t v, std::int64_t max, const char* what) {
    if (v < 0 || v > max) damaged(c, std::string("bad ") + what);
    return static_cast<T>(v);
}

void readModule(const Statement& s, model::Module& m) {
    m.text.assign(s.textView(7));
    m.settings.quotedIdentifier = s.boolean(8);
    m.settings.ansiNulls = s.boolean(9);
    m.encrypted = s.boolean(10);
}

class DatabaseReader {
public:
    DatabaseReader(const Connection& c, std::int64_t key) : c_(c), key_(key), db_(std::make_shared<model::Database>()) {}

    std::shared_ptr<model::Database> read() {
        readDatabaseRow();
        readObjects();
        readColumns();
        readKeys();
        readIndexes();
        readIndexColumns();
        readForeignKeys();
        readForeignKeyColumns();
        readChecks();
        readFullText();
        readDependencies();
        readPermissions();
        readUsersAndRoles();
        readProperties();
        return db_;
    }

private:
    Statement query(const char* sql) {
        Statement s(c_, sql);
        s.bind(1, key_);
        return s;
    }

    void readDatabaseRow() {
        auto s = query("SELECT name, owner, collation, compatibility_level, system_object FROM databases WHERE db = ?");
        if (!s.step()) throw Error(errors::NotFound, "[SQL-DMO]Database not found in snapshot '" + c_.path() + "'");
        db_->name.assign(s.textView(0));
        db_->owner.assign(s.textView(1));
        db_->collation.assign(s.textView(2));
        db_->compatibilityLevel = s.integer32(3);
        db_->systemObject = s.boolean(4);
    }

    void readObjects() {
        auto s = query(
            "SELECT oid, kind, id, owner, name, system_object, parent, text, quoted_identifier, ansi_nulls, "
            "encrypted, function_kind, instead_of, on_insert, on_update, on_delete, disabled, file_group, "
            "text_file_group, row_count, base_type, length, precision, scale, nullable, bound_default, bound_rule, "
            "ft_catalog, ft_key_index, ft_active, column_count FROM objects WHERE db = ? ORDER BY oid");
        refs_.emplace_back();  // oid 0 is the database itself
        while (s.step()) {
            const std::int64_t oid = s.integer(0);
            if (oid != static_cast<std::int64_t>(refs_.size())) damaged(c_, "object numbers out of sequence");
            Ref ref;
            ref.used = true;
            ref.kind = static_cast<model::ObjectType>(s.integer(1));
            model::SchemaObject* base = nullptr;
            switch (ref.kind) {
                case model::ObjectType::UserTable: {
                    ref.index = db_->tables.size();
                    auto& t = db_->tables.emplace_back();
                    t.fileGroup.assign(s.textView(17));
                    t.textFileGroup.assign(s.textView(18));
                    t.rowCount = s.integer(19);
                    // Bounded so that a damaged count cannot ask for absurd memory.
                    t.columns.reserve(static_cast<std::size_t>(std::clamp<std::int64_t>(s.integer(30), 0, 4096)));
                    if (!s.isNull(27)) {
                        t.fullTextIndex.emplace();
                        t.fullTextIndex->catalog.assign(s.textView(27));
                        t.fullTextIndex->keyIndex.assign(s.textView(28));
                        t.fullTextIndex->active = s.boolean(29);
                    }
                    base = &t;
                    break;
                }
                case model::ObjectType::View: {
                    ref.index = db_->views.size();
                    auto& v = db_->views.emplace_back();
                    readModule(s, v);
                    base = &v;
                    break;
                }
                case model::ObjectType::StoredProcedure: {
                    ref.index = db_->procedures.size();
                    auto& p = db_->procedures.emplace_back();
                    readModule(s, p);
                    base = &p;
                    break;
                }
                case model::ObjectType::UserDefinedFunction: {
                    ref.index = db_->functions.size();
                    auto& f = db_->functions.emplace_back();
                    readModule(s, f);
                    f.kind = enumValue<model::FunctionKind>(c_, s.integer(11), 2, "function kind");
                    base = &f;
                    break;
                }
                case model::ObjectType::Default: {
                    ref.index = db_->defaults.size();
                    auto& d = db_->defaults.emplace_back();
                    d.text.assign(s.textView(7));
                    base = &d;
                    break;
                }
                case model::ObjectType::Rule: {
                    ref.index = db_->rules.size();
                    auto& r = db_->rules.emplace_back();
                    r.text.assign(s.textView(7));
                    base = &r;
                    break;
                }
                case model::ObjectType::UserDefinedDatatype: {
                    ref.index = db_->types.size();
                    auto& u = db_->types.emplace_back();
                    u.baseType.assign(s.textView(20));
                    u.length = s.integer32(21);
                    u.precision = s.integer32(22);
                    u.scale = s.integer32(23);
                    u.nullable = s.boolean(24);
                    u.boundDefault.assign(s.textView(25));
                    u.boundRule.assign(s.textView(26));
                    base = &u;
                    break;
                }
                case model::ObjectType::Trigger: {
                    ref.parent = s.integer(6);
                    if (ref.parent <= 0 || ref.parent >= oid) damaged(c_, "trigger without its table");
                    const Ref& p = refs_[static_cast<std::size_t>(ref.parent)];
                    std::vector<model::Trigger>* list = nullptr;
                    if (p.kind == model::ObjectType::UserTable) list = &db_->tables[p.index].triggers;
                    else if (p.kind == model::ObjectType::View) list = &db_->views[p.index].triggers;
                    else damaged(c_, "trigger on an object that is neither a table nor a view");
                    ref.index = p.index;
                    ref.trigger = list->size();
                    auto& tr = list->emplace_back();
                    tr.text.assign(s.textView(7));
                    tr.settings.quotedIdentifier = s.boolean(8);
                    tr.settings.ansiNulls = s.boolean(9);
                    tr.encrypted = s.boolean(10);
                    tr.insteadOf = s.boolean(12);
                    tr.onInsert = s.boolean(13);
                    tr.onUpdate = s.boolean(14);
                    tr.onDelete = s.boolean(15);
                    tr.disabled = s.boolean(16);
                    base = &tr;
                    break;
                }
                default:
                    damaged(c_, "unknown object kind " + std::to_string(s.integer(1)));
            }
            base->id = s.integer32(2);
            base->owner.assign(s.textView(3));
            base->name.assign(s.textView(4));
            base->systemObject = s.boolean(5);
            refs_.push_back(ref);
        }
        // Every object is in place: from here on pointers into the vectors stay valid.
        objects_.assign(refs_.size(), nullptr);
        tables_.assign(refs_.size(), nullptr);
        views_.assign(refs_.size(), nullptr);
        for (std::size_t oid = 1; oid < refs_.size(); ++oid) {
            const Ref& r = refs_[oid];
            switch (r.kind) {
                case model::ObjectType::UserTable: objects_[oid] = tables_[oid] = &db_->tables[r.index]; break;
                case model::ObjectType::View: objects_[oid] = views_[oid] = &db_->views[r.index]; break;
                case model::ObjectType::StoredProcedure: objects_[oid] = &db_->procedures[r.index]; break;
                case model::ObjectType::UserDefinedFunction: objects_[oid] = &db_->functions[r.index]; break;
                case model::ObjectType::Default: objects_[oid] = &db_->defaults[r.index]; break;
                case model::ObjectType::Rule: objects_[oid] = &db_->rules[r.index]; break;
                case model::ObjectType::UserDefinedDatatype: objects_[oid] = &db_->types[r.index]; break;
                case model::ObjectType::Trigger: {
                    const Ref& p = refs_[static_cast<std::size_t>(r.parent)];
                    objects_[oid] = p.kind == model::ObjectType::UserTable ? &db_->tables[p.index].triggers[r.trigger]
                                                                           : &db_->views[p.index].triggers[r.trigger];
                    break;
                }
                default: break;
            }
        }
    }

    model::SchemaObject& object(std::int64_t oid) {
        if (oid <= 0 || oid >= static_cast<std::int64_t>(objects_.size()) || !objects_[static_cast<std::size_t>(oid)])
            damaged(c_, "a detail refers to a missing object");
        return *objects_[static_cast<std::size_t>(oid)];
    }

    model::Table& table(std::int64_t oid) {
        if (oid <= 0 || oid >= static_cast<std::int64_t>(tables_.size()) || !tables_[static_cast<std::size_t>(oid)])
            damaged(c_, "a table detail refers to a missing table");
        return *tables_[static_cast<std::size_t>(oid)];
    }

    std::vector<model::Index>& indexList(std::int64_t oid) {
        if (oid > 0 && oid < static_cast<std::int64_t>(views_.size()) && views_[static_cast<std::size_t>(oid)])
            return views_[static_cast<std::size_t>(oid)]->indexes;
        return table(oid).indexes;
    }

    // The position a detail row claims must be the next free one of its list.
    void expectNext(std::int64_t ordinal, std::size_t size, const char* what) {
        if (ordinal != static_cast<std::int64_t>(size)) damaged(c_, std::string(what) + " out of sequence");
    }

    template <class T>
    T& at(std::vector<T>& list, std::int64_t ordinal, const char* what) {
        if (ordinal < 0 || ordinal >= static_cast<std::int64_t>(list.size()))
            damaged(c_, std::string("a detail refers to a missing ") + what);
        return list[static_cast<std::size_t>(ordinal)];
    }

    model::KeyConstraint& key(std::int64_t oid, std::int64_t ordinal) {
        auto& t = table(oid);
        if (ordinal == 0) {
            if (!t.primaryKey) damaged(c_, "a detail refers to a missing primary key");
            return *t.primaryKey;
        }
        if (ordinal < 0) damaged(c_, "a detail refers to a missing unique constraint");
        return at(t.uniqueConstraints, ordinal - 1, "unique constraint");
    }

    void readColumns() {
        auto s = query(
            "SELECT oid, ordinal, name, data_type, base_type, length, precision, scale, nullable, is_identity, "
            "identity_seed, identity_increment, identity_nfr, computed_text, collation, rowguidcol, default_name, "
            "default_text, bound_default, bound_rule FROM columns WHERE db = ? ORDER BY oid, ordinal");
        model::Table* current = nullptr;
        std::int64_t currentOid = -1;
        while (s.step()) {
            const auto oid = s.integer(0);
            if (!current || oid != currentOid) {  // the first row may claim any oid, -1 included
                current = &table(oid);
                currentOid = oid;
            }
            expectNext(s.integer(1), current->columns.size(), "columns");
            auto& c = current->columns.emplace_back();
            c.name.assign(s.textView(2));
            c.dataType.assign(s.textView(3));
            c.baseType.assign(s.textView(4));
            c.length = s.integer32(5);
            c.precision = s.integer32(6);
            c.scale = s.integer32(7);
            c.nullable = s.boolean(8);
            c.identity = s.boolean(9);
            c.identitySeed = s.integer(10);
            c.identityIncrement = s.integer(11);
            c.identityNotForReplication = s.boolean(12);
            c.computedText.assign(s.textView(13));
            c.collation.assign(s.textView(14));
            c.rowGuidCol = s.boolean(15);
            c.defaultConstraintName.assign(s.textView(16));
            c.defaultConstraintText.assign(s.textView(17));
            c.boundDefault.assign(s.textView(18));
            c.boundRule.assign(s.textView(19));
        }
    }

    void readKeys() {
        auto s = query(
            "SELECT oid, ordinal, name, primary_key, clustered, fill_factor, file_group FROM key_constraints "
            "WHERE db = ? ORDER BY oid, ordinal");
        while (s.step()) {
            auto& t = table(s.integer(0));
            const auto ordinal = s.integer(1);
            model::KeyConstraint* k = nullptr;
            if (ordinal == 0) {
                if (t.primaryKey) damaged(c_, "two primary keys on one table");
                k = &t.primaryKey.emplace();
            } else {
                if (ordinal < 0) damaged(c_, "unique constraints out of sequence");
                expectNext(ordinal - 1, t.uniqueConstraints.size(), "unique constraints");
                k = &t.uniqueConstraints.emplace_back();
            }
            k->name.assign(s.textView(2));
            k->primaryKey = s.boolean(3);
            k->clustered = s.boolean(4);
            k->fillFactor = s.integer32(5);
            k->fileGroup.assign(s.textView(6));
        }
    }

    void readIndexes() {
        auto s = query(
            "SELECT oid, ordinal, name, clustered, is_unique, ignore_dup_key, pad_index, no_recompute, fill_factor, "
            "file_group FROM indexes WHERE db = ? ORDER BY oid, ordinal");
        while (s.step()) {
            auto& list = indexList(s.integer(0));
            expectNext(s.integer(1), list.size(), "indexes");
            auto& x = list.emplace_back();
            x.name.assign(s.textView(2));
            x.clustered = s.boolean(3);
            x.unique = s.boolean(4);
            x.ignoreDupKey = s.boolean(5);
            x.padIndex = s.boolean(6);
            x.statisticsNoRecompute = s.boolean(7);
            x.fillFactor = s.integer32(8);
            x.fileGroup.assign(s.textView(9));
        }
    }

    void readIndexColumns() {
        auto s = query(
            "SELECT oid, owner_kind, ordinal, position, name, descending FROM index_columns WHERE db = ? "
            "ORDER BY oid, owner_kind, ordinal, position");
        while (s.step()) {
            const auto oid = s.integer(0);
            const auto kind = s.textView(1);
            std::vector<model::IndexColumn>* list = nullptr;
            if (kind == "K") list = &key(oid, s.integer(2)).columns;
            else if (kind == "I") list = &at(indexList(oid), s.integer(2), "index").columns;
            else damaged(c_, "index column of an unknown kind");
            expectNext(s.integer(3), list->size(), "index columns");
            list->push_back({s.text(4), s.boolean(5)});
        }
    }

    void readForeignKeys() {
        auto s = query(
            "SELECT oid, ordinal, name, ref_id, ref_owner, ref_table, on_delete, on_update, nfr, disabled "
            "FROM foreign_keys WHERE db = ? ORDER BY oid, ordinal");
        while (s.step()) {
            auto& t = table(s.integer(0));
            expectNext(s.integer(1), t.foreignKeys.size(), "foreign keys");
            auto& f = t.foreignKeys.emplace_back();
            f.name.assign(s.textView(2));
            f.referencedTableId = s.integer32(3);
            f.referencedOwner.assign(s.textView(4));
            f.referencedTable.assign(s.textView(5));
            f.onDelete = enumValue<model::ReferentialAction>(c_, s.integer(6), 1, "referential action");
            f.onUpdate = enumValue<model::ReferentialAction>(c_, s.integer(7), 1, "referential action");
            f.notForReplication = s.boolean(8);
            f.disabled = s.boolean(9);
        }
    }

    void readForeignKeyColumns() {
        auto s = query(
            "SELECT oid, ordinal, side, position, name FROM foreign_key_columns WHERE db = ? "
            "ORDER BY oid, ordinal, side, position");
        while (s.step()) {
            auto& f = at(table(s.integer(0)).foreignKeys, s.integer(1), "foreign key");
            const auto side = s.textView(2);
            auto* list = side == "C" ? &f.columns : side == "R" ? &f.referencedColumns : nullptr;
            if (!list) damaged(c_, "foreign key column of an unknown side");
            expectNext(s.integer(3), list->size(), "foreign key columns");
            list->push_back(s.text(4));
        }
    }

    void readChecks() {
        auto s = query(
            "SELECT oid, ordinal, name, text, column_name, nfr, disabled FROM checks WHERE db = ? ORDER BY oid, ordinal");
        while (s.step()) {
            auto& t = table(s.integer(0));
            expectNext(s.integer(1), t.checks.size(), "check constraints");
            auto& c = t.checks.emplace_back();
            c.name.assign(s.textView(2));
            c.text.assign(s.textView(3));
            c.column.assign(s.textView(4));
            c.notForReplication = s.boolean(5);
            c.disabled = s.boolean(6);
        }
    }

    void readFullText() {
        auto s = query(
            "SELECT oid, position, name, language FROM fulltext_columns WHERE db = ? ORDER BY oid, position");
        while (s.step()) {
            auto& t = table(s.integer(0));
            if (!t.fullTextIndex) damaged(c_, "full-text column of a table without a full-text index");
            expectNext(s.integer(1), t.fullTextIndex->columns.size(), "full-text columns");
            t.fullTextIndex->columns.push_back({s.text(2), s.integer32(3)});
        }
    }

    void readDependencies() {
        auto s = query("SELECT oid, position, depends_on FROM dependencies WHERE db = ? ORDER BY oid, position");
        while (s.step()) {
            auto& o = object(s.integer(0));
            expectNext(s.integer(1), o.dependsOn.size(), "dependencies");
            o.dependsOn.push_back(s.integer32(2));
        }
    }

    void readPermissions() {
        auto s = query(
            "SELECT oid, position, action, privilege, grantee, column_name, with_grant FROM permissions WHERE db = ? "
            "ORDER BY oid, position");
        while (s.step()) {
            auto& o = object(s.integer(0));
            expectNext(s.integer(1), o.permissions.size(), "permissions");
            auto& p = o.permissions.emplace_back();
            const auto action = s.textView(2);
            if (action == "GRANT") p.action = model::Permission::Action::Grant;
            else if (action == "DENY") p.action = model::Permission::Action::Deny;
            else damaged(c_, "permission with an unknown action");
            p.privilege.assign(s.textView(3));
            p.grantee.assign(s.textView(4));
            p.column.assign(s.textView(5));
            p.withGrantOption = s.boolean(6);
        }
    }

    void readUsersAndRoles() {
        {
            auto s = query("SELECT position, name, login, system_object FROM users WHERE db = ? ORDER BY position");
            while (s.step()) {
                expectNext(s.integer(0), db_->users.size(), "users");
                db_->users.push_back({s.text(1), s.text(2), s.boolean(3)});
            }
        }
        {
            auto s = query(
                "SELECT position, name, application_role, fixed_role FROM roles WHERE db = ? ORDER BY position");
            while (s.step()) {
                expectNext(s.integer(0), db_->roles.size(), "roles");
                auto& r = db_->roles.emplace_back();
                r.name.assign(s.textView(1));
                r.applicationRole = s.boolean(2);
                r.fixedRole = s.boolean(3);
            }
        }
        auto s = query("SELECT role, position, member FROM role_members WHERE db = ? ORDER BY role, position");
        while (s.step()) {
            auto& r = at(db_->roles, s.integer(0), "role");
            expectNext(s.integer(1), r.members.size(), "role members");
            r.members.push_back(s.text(2));
        }
    }

    void readProperties() {
        auto s = query(
            "SELECT oid, target, ordinal, position, name, value, value_type, variant FROM properties WHERE db = ? "
            "ORDER BY oid, target, ordinal, position");
        while (s.step()) {
            const auto oid = s.integer(0);
            const auto targetText = s.textView(1);
            const auto ordinal = s.integer(2);
            if (targetText.size() != 1) damaged(c_, "extended property of an unknown target");
            std::vector<model::ExtendedProperty>* list = nullptr;
            switch (targetText[0]) {
                case target::Database:
                    if (oid != 0) damaged(c_, "database property on an object");
                    list = &db_->properties;
                    break;
                case target::Object: list = &object(oid).properties; break;
                case target::Column: list = &at(table(oid).columns, ordinal, "column").properties; break;
                case target::Key: list = &key(oid, ordinal).properties; break;
                case target::Index: list = &at(indexList(oid), ordinal, "index").properties; break;
                case target::ForeignKey: list = &at(table(oid).foreignKeys, ordinal, "foreign key").properties; break;
                case target::Check: list = &at(table(oid).checks, ordinal, "check constraint").properties; break;
                default: damaged(c_, "extended property of an unknown target");
            }
            expectNext(s.integer(3), list->size(), "extended properties");
            auto& p = list->emplace_back();
            p.name.assign(s.textView(4));
            if (!readTaggedValue(s, 5, s.textView(6), s.boolean(7), p.value))
                damaged(c_, "unreadable value of extended property '" + p.name + "'");
            p.value.variant = s.boolean(7);
        }
    }

    const Connection& c_;
    std::int64_t key_;
    std::shared_ptr<model::Database> db_;
    std::vector<Ref> refs_;
    std::vector<model::SchemaObject*> objects_;
    std::vector<model::Table*> tables_;
    std::vector<model::View*> views_;
};

std::string metaValue(const Connection& c, const char* key) {
    Statement s(c, "SELECT value FROM meta WHERE key = ?");
    s.bind(1, std::string_view(key));
    return s.step() ? s.text(0) : std::string();
}

}  // namespace

void damaged(const Connection& connection, std::string_view what) {
    throw Error(errors::SnapshotInvalid, "Snapshot file '" + connection.path() + "' is damaged: " + std::string(what) + ".");
}

model::Server readHeader(const Connection& c) {
    std::int64_t applicationId = 0, version = 0;
    {
        Statement s(c, "PRAGMA application_id");
        if (s.step()) applicationId = s.integer(0);
    }
    if (applicationId != kApplicationId) throw Error(errors::SnapshotInvalid, "'" + c.path() + "' is not a snapshot file.");
    {
        Statement s(c, "PRAGMA user_version");
        if (s.step()) version = s.integer(0);
    }
    if (version > kFormatVersion)
        throw Error(errors::SnapshotInvalid, "Snapshot file '" + c.path() + "' has format version " +
                                                 std::to_string(version) + ", written by a newer release; this one reads version " +
                                                 std::to_string(kFormatVersion) + ".");
    if (version < 1) damaged(c, "its header is incomplete");
    // The writer makes plain tables and indexes only. A view, a trigger, a virtual table or a
    // generated column would compute while the file is read, without bound in time or memory.
    {
        Statement s(c,
                    "SELECT (SELECT count(*) FROM sqlite_master WHERE type NOT IN ('table', 'index') "
                    "OR (type = 'table' AND sql NOT LIKE 'CREATE TABLE %')) + (SELECT count(*) FROM sqlite_master AS m, "
                    "pragma_table_xinfo(m.name) AS x WHERE m.type = 'table' AND m.sql LIKE 'CREATE TABLE %' AND x.hidden <> 0)");
        if (s.step() && s.integer(0) != 0) damaged(c, "it holds views, triggers or computed columns");
    }
    if (metaValue(c, "format") != kFormatName) damaged(c, "its header is incomplete");

    model::Server server;
    server.name = metaValue(c, "server_name");
    server.versionMajor = std::atoi(metaValue(c, "version_major").c_str());
    server.versionMinor = std::atoi(metaValue(c, "version_minor").c_str());
    server.versionString = metaValue(c, "version_string");
    server.login = metaValue(c, "login");
    return server;
}

std::vector<model::Login> readLogins(const Connection& c) {
    std::vector<model::Login> logins;
    Statement s(c,
                "SELECT name, default_database, default_language, windows_login, windows_group, deny_login "
                "FROM logins ORDER BY position");
    while (s.step()) {
        auto& l = logins.emplace_back();
        l.name.assign(s.textView(0));
        l.defaultDatabase.assign(s.textView(1));
        l.defaultLanguage.assign(s.textView(2));
        l.windowsLogin = s.boolean(3);
        l.windowsGroup = s.boolean(4);
        l.denyLogin = s.boolean(5);
    }
    return logins;
}

std::vector<DatabaseEntry> readDatabaseList(const Connection& c) {
    std::vector<DatabaseEntry> list;
    Statement s(c, "SELECT db, name FROM databases ORDER BY db");
    while (s.step()) list.push_back({s.integer(0), s.text(1)});
    return list;
}

std::shared_ptr<model::Database> readDatabase(const Connection& c, std::int64_t key) {
    return DatabaseReader(c, key).read();
}

}  // namespace sqldmo::snapshot::detail

namespace sqldmo::snapshot {

model::Server readSnapshot(const std::string& path) {
    detail::Connection c(path, detail::Access::Read);
    model::Server server = detail::readHeader(c);
    server.logins = detail::readLogins(c);
    for (const auto& entry : detail::readDatabaseList(c)) server.databases.push_back(detail::readDatabase(c, entry.key));
    return server;
}

}  // namespace sqldmo::snapshot
