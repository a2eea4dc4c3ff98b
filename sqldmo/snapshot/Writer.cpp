// Writing snapshot files: the catalogue of each database, then the rows of its tables, all in one
// transaction of a temporary file that is renamed over the target at the end.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unordered_set>

#include "sqldmo/Backend.h"
#include "sqldmo/Error.h"
#include "sqldmo/model/Names.h"
#include "sqldmo/snapshot/Format.h"
#include "sqldmo/snapshot/Snapshot.h"
#include "sqldmo/snapshot/Sqlite.h"
#include "sqldmo/snapshot/ValueCodec.h"

namespace sqldmo::snapshot {
namespace {

using detail::Access;
using detail::Connection;
using detail::Statement;

std::string qualified(const model::SchemaObject& o) { return model::quoteName(o.owner) + "." + model::quoteName(o.name); }

// The system type whose values a column holds: its base type, or the base type of its
// user-defined type; Unknown when neither is known (its values are then stored with a tag).
SqlType storageType(const model::Database& db, const model::Column& c) {
    if (!c.baseType.empty()) {
        if (auto t = sqlTypeFromName(c.baseType); t != SqlType::Unknown) return t;
    }
    if (auto t = sqlTypeFromName(c.dataType); t != SqlType::Unknown) return t;
    for (const auto& udt : db.types)
        if (model::sameName(udt.name, c.dataType)) return sqlTypeFromName(udt.baseType);
    return SqlType::Unknown;
}

bool tagged(SqlType t) { return t == SqlType::SqlVariant || t == SqlType::Unknown; }

// Binds an optional-looking text: an empty text is stored as it is (the model has no NULLs).
struct Binder {
    Statement& s;
    int i = 1;
    Binder& operator()(std::int64_t v) { s.bind(i++, v); return *this; }
    Binder& operator()(const std::string& v) { s.bind(i++, std::string_view(v)); return *this; }
    Binder& operator()(const char* v) { s.bind(i++, std::string_view(v)); return *this; }
    Binder& null() { s.bindNull(i++); return *this; }
    Binder& skip(int n) { for (int k = 0; k < n; ++k) s.bindNull(i++); return *this; }
};

class FileWriter {
public:
    explicit FileWriter(const std::string& path) : path_(path) {
        static std::atomic<unsigned> counter{0};
        temp_ = path + ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        std::remove(temp_.c_str());
        connection_ = std::make_unique<Connection>(temp_, Access::Write);
        // The temporary file is discarded on any failure, so the journal buys nothing.
        connection_->exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA page_size=8192;");
        connection_->exec(("PRAGMA application_id=" + std::to_string(detail::kApplicationId) + ";").c_str());
        connection_->exec(("PRAGMA user_version=" + std::to_string(kFormatVersion) + ";").c_str());
        connection_->exec("BEGIN;");
        connection_->exec(detail::kSchema);
        prepare();
    }

    ~FileWriter() {
        if (!committed_) {
            statements_.clear();
            connection_.reset();
            std::remove(temp_.c_str());
        }
    }

    void writeServer(const model::Server& server, const std::vector<model::Login>& logins) {
        Statement meta(*connection_, "INSERT INTO meta(key, value) VALUES (?, ?)");
        char created[32];
        const std::time_t now = std::time(nullptr);
        std::tm tm{};
        gmtime_r(&now, &tm);
        std::strftime(created, sizeof created, "%Y-%m-%dT%H:%M:%SZ", &tm);
        const std::pair<const char*, std::string> entries[] = {
            {"format", detail::kFormatName},
            {"format_version", std::to_string(kFormatVersion)},
            {"server_name", server.name},
            {"version_major", std::to_string(server.versionMajor)},
            {"version_minor", std::to_string(server.versionMinor)},
            {"version_string", server.versionString},
            {"login", server.login},
            {"created", created},
        };
        for (const auto& [k, v] : entries) {
            Binder{meta}(k)(v);
            meta.run();
        }
        Statement login(*connection_,
                        "INSERT INTO logins VALUES (?, ?, ?, ?, ?, ?, ?)");
        std::int64_t position = 0;
        for (const auto& l : logins) {
            Binder{login}(position++)(l.name)(l.defaultDatabase)(l.defaultLanguage)(l.windowsLogin)(l.windowsGroup)(
                l.denyLogin);
            login.run();
        }
    }

    // Writes one database; `done`/`total` count tables over the whole write for progress.
    void writeDatabase(const model::Database& db, const RowProvider& rows, const WriteProgress& progress,
                       std::size_t& done, std::size_t total) {
        const std::int64_t key = ++databaseKey_;
        db_ = key;
        Binder{*insertDatabase_}(key)(db.name)(model::foldName(db.name))(db.owner)(db.collation)(
            db.compatibilityLevel)(db.systemObject);
        insertDatabase_->run();
        writeProperties(0, detail::target::Database, 0, db.properties);

        oid_ = 0;
        std::vector<std::int64_t> tableOids;
        tableOids.reserve(db.tables.size());
        for (const auto& t : db.tables) tableOids.push_back(writeTable(db, t));
        for (const auto& v : db.views) {
            const auto oid = writeObject(v, model::ObjectType::View, 0, [&](Binder& b) { bindModule(b, v); });
            for (std::size_t i = 0; i < v.indexes.size(); ++i) writeIndex(oid, i, v.indexes[i]);
            for (const auto& tr : v.triggers) writeTrigger(oid, tr);
        }
        for (const auto& p : db.procedures)
            writeObject(p, model::ObjectType::StoredProcedure, 0, [&](Binder& b) { bindModule(b, p); });
        for (const auto& d : db.defaults)
            writeObject(d, model::ObjectType::Default, 0, [&](Binder& b) { b(d.text); });
        for (const auto& r : db.rules)
            writeObject(r, model::ObjectType::Rule, 0, [&](Binder& b) { b(r.text); });
        for (const auto& u : db.types)
            writeObject(u, model::ObjectType::UserDefinedDatatype, 0, [&](Binder& b) {
                b.skip(15)(u.baseType)(u.length)(u.precision)(u.scale)(u.nullable)(u.boundDefault)(u.boundRule);
            });
        for (const auto& f : db.functions)
            writeObject(f, model::ObjectType::UserDefinedFunction, 0, [&](Binder& b) {
                bindModule(b, f);
                b(static_cast<std::int64_t>(f.kind));
            });

        for (std::size_t i = 0; i < db.users.size(); ++i) {
            const auto& u = db.users[i];
            Binder{*insertUser_}(key)(static_cast<std::int64_t>(i))(u.name)(u.login)(u.systemObject);
            insertUser_->run();
        }
        for (std::size_t i = 0; i < db.roles.size(); ++i) {
            const auto& r = db.roles[i];
            Binder{*insertRole_}(key)(static_cast<std::int64_t>(i))(r.name)(r.applicationRole)(r.fixedRole);
            insertRole_->run();
            for (std::size_t m = 0; m < r.members.size(); ++m) {
                Binder{*insertMember_}(key)(static_cast<std::int64_t>(i))(static_cast<std::int64_t>(m))(r.members[m]);
                insertMember_->run();
            }
        }

        for (std::size_t i = 0; i < db.tables.size(); ++i) {
            const auto& t = db.tables[i];
            if (progress)
                progress("Writing rows of " + qualified(t),
                         total ? static_cast<int>(done * 100 / total) : 100);
            writeRows(db, t, tableOids[i], rows);
            ++done;
        }
    }

    void commit() {
        connection_->exec(detail::kIndexes);
        connection_->exec("COMMIT;");
        statements_.clear();
        insertDatabase_ = insertObject_ = insertColumn_ = insertKey_ = insertIndex_ = insertIndexColumn_ = nullptr;
        connection_.reset();
        // The data must be on disk before the rename makes it the snapshot.
        const int fd = ::open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0) {
            const std::string reason = std::strerror(errno);
            if (fd >= 0) ::close(fd);
            throw Error(errors::FileWriteFailed, "Snapshot file '" + path_ + "' cannot be written: " + reason + ".");
        }
        ::close(fd);
        if (std::rename(temp_.c_str(), path_.c_str()) != 0)
            throw Error(errors::FileWriteFailed,
                        "Snapshot file '" + path_ + "' cannot be written: " + std::strerror(errno) + ".");
        committed_ = true;
    }

private:
    Statement* make(const char* sql) {
        statements_.push_back(std::make_unique<Statement>(*connection_, sql));
        return statements_.back().get();
    }

    void prepare() {
        insertDatabase_ = make("INSERT INTO databases VALUES (?, ?, ?, ?, ?, ?, ?)");
        insertObject_ = make(
            "INSERT INTO objects(db, oid, kind, id, owner, name, name_key, owner_key, system_object, parent, "
            "text, quoted_identifier, ansi_nulls, encrypted, function_kind, instead_of, on_insert, on_update, "
            "on_delete, disabled, file_group, text_file_group, row_count, first_row, last_row, base_type, length, "
            "precision, scale, nullable, bound_default, bound_rule, ft_catalog, ft_key_index, ft_active, column_count) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        insertColumn_ = make("INSERT INTO columns VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        insertKey_ = make("INSERT INTO key_constraints VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        insertIndex_ = make("INSERT INTO indexes VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        insertIndexColumn_ = make("INSERT INTO index_columns VALUES (?, ?, ?, ?, ?, ?, ?)");
        insertForeignKey_ = make("INSERT INTO foreign_keys VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        insertForeignKeyColumn_ = make("INSERT INTO foreign_key_columns VALUES (?, ?, ?, ?, ?, ?)");
        insertCheck_ = make("INSERT INTO checks VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        insertFullText_ = make("INSERT INTO fulltext_columns VALUES (?, ?, ?, ?, ?)");
        insertDependency_ = make("INSERT INTO dependencies VALUES (?, ?, ?, ?)");
        insertPermission_ = make("INSERT INTO permissions VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
        insertProperty_ = make("INSERT INTO properties VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        insertUser_ = make("INSERT INTO users VALUES (?, ?, ?, ?, ?)");
        insertRole_ = make("INSERT INTO roles VALUES (?, ?, ?, ?, ?)");
        insertMember_ = make("INSERT INTO role_members VALUES (?, ?, ?, ?)");
        updateRowCount_ = make("UPDATE objects SET row_count = ?, first_row = ?, last_row = ? WHERE db = ? AND oid = ?");
    }

    template <class Module>
    static void bindModule(Binder& b, const Module& m) {
        b(m.text)(m.settings.quotedIdentifier)(m.settings.ansiNulls)(m.encrypted);
    }

    // Writes the shared part of an object and lets `details` bind the kind's own columns, which
    // start at `text`. Returns the object's oid.
    template <class Details>
    std::int64_t writeObject(const model::SchemaObject& o, model::ObjectType kind, std::int64_t parent,
                             Details&& details) {
        const std::int64_t oid = ++oid_;
        Binder b{*insertObject_};
        b(db_)(oid)(static_cast<std::int64_t>(kind))(o.id)(o.owner)(o.name)(model::foldName(o.name))(
            model::foldName(o.owner))(o.systemObject)(parent);
        details(b);
        insertObject_->run();
        for (std::size_t i = 0; i < o.dependsOn.size(); ++i) {
            Binder{*insertDependency_}(db_)(oid)(static_cast<std::int64_t>(i))(o.dependsOn[i]);
            insertDependency_->run();
        }
        for (std::size_t i = 0; i < o.permissions.size(); ++i) {
            const auto& p = o.permissions[i];
            Binder{*insertPermission_}(db_)(oid)(static_cast<std::int64_t>(i))(
                p.action == model::Permission::Action::Deny ? "DENY" : "GRANT")(p.privilege)(p.grantee)(p.column)(
                p.withGrantOption);
            insertPermission_->run();
        }
        writeProperties(oid, detail::target::Object, 0, o.properties);
        return oid;
    }

    void writeProperties(std::int64_t oid, char target, std::int64_t ordinal,
                         const std::vector<model::ExtendedProperty>& properties) {
        for (std::size_t i = 0; i < properties.size(); ++i) {
            const auto& p = properties[i];
            Binder b{*insertProperty_};
            b(db_)(oid)(std::string(1, target))(ordinal)(static_cast<std::int64_t>(i))(p.name);
            detail::bindPayload(*insertProperty_, 7, p.value);
            insertProperty_->bind(8, std::string_view(detail::valueTag(p.value)));
            insertProperty_->bind(9, static_cast<std::int64_t>(p.value.variant));
            insertProperty_->run();
        }
    }

    void writeIndexColumns(std::int64_t oid, const char* ownerKind, std::int64_t ordinal,
                           const std::vector<model::IndexColumn>& columns) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            Binder{*insertIndexColumn_}(db_)(oid)(ownerKind)(ordinal)(static_cast<std::int64_t>(i))(columns[i].name)(
                columns[i].descending);
            insertIndexColumn_->run();
        }
    }

    void writeKey(std::int64_t oid, std::int64_t ordinal, const model::KeyConstraint& k) {
        Binder{*insertKey_}(db_)(oid)(ordinal)(k.name)(k.primaryKey)(k.clustered)(k.fillFactor)(k.fileGroup);
        insertKey_->run();
        writeIndexColumns(oid, "K", ordinal, k.columns);
        writeProperties(oid, detail::target::Key, ordinal, k.properties);
    }

    void writeIndex(std::int64_t oid, std::size_t ordinal, const model::Index& x) {
        const auto n = static_cast<std::int64_t>(ordinal);
        Binder{*insertIndex_}(db_)(oid)(n)(x.name)(x.clustered)(x.unique)(x.ignoreDupKey)(x.padIndex)(
            x.statisticsNoRecompute)(x.fillFactor)(x.fileGroup);
        insertIndex_->run();
        writeIndexColumns(oid, "I", n, x.columns);
        writeProperties(oid, detail::target::Index, n, x.properties);
    }

    void writeTrigger(std::int64_t parent, const model::Trigger& tr) {
        writeObject(tr, model::ObjectType::Trigger, parent, [&](Binder& b) {
            b(tr.text)(tr.settings.quotedIdentifier)(tr.settings.ansiNulls)(tr.encrypted).null()(tr.insteadOf)(
                tr.onInsert)(tr.onUpdate)(tr.onDelete)(tr.disabled);
        });
    }

    std::int64_t writeTable(const model::Database& db, const model::Table& t) {
        const auto oid = writeObject(t, model::ObjectType::UserTable, 0, [&](Binder& b) {
            b.skip(10)(t.fileGroup)(t.textFileGroup)(std::int64_t{0}).skip(9);
            if (t.fullTextIndex)
                b(t.fullTextIndex->catalog)(t.fullTextIndex->keyIndex)(t.fullTextIndex->active);
            else
                b.skip(3);
            b(static_cast<std::int64_t>(t.columns.size()));
        });
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            const auto& c = t.columns[i];
            const auto storage = storageType(db, c);
            Binder{*insertColumn_}(db_)(oid)(static_cast<std::int64_t>(i))(c.name)(c.dataType)(c.baseType)(
                std::string(sqlTypeName(storage)))(c.length)(c.precision)(c.scale)(c.nullable)(c.identity)(
                c.identitySeed)(c.identityIncrement)(c.identityNotForReplication)(c.computedText)(c.collation)(
                c.rowGuidCol)(c.defaultConstraintName)(c.defaultConstraintText)(c.boundDefault)(c.boundRule);
            insertColumn_->run();
            writeProperties(oid, detail::target::Column, static_cast<std::int64_t>(i), c.properties);
        }
        if (t.primaryKey) writeKey(oid, 0, *t.primaryKey);
        for (std::size_t i = 0; i < t.uniqueConstraints.size(); ++i)
            writeKey(oid, static_cast<std::int64_t>(i + 1), t.uniqueConstraints[i]);
        for (std::size_t i = 0; i < t.indexes.size(); ++i) writeIndex(oid, i, t.indexes[i]);
        for (std::size_t i = 0; i < t.foreignKeys.size(); ++i) {
            const auto& f = t.foreignKeys[i];
            const auto n = static_cast<std::int64_t>(i);
            Binder{*insertForeignKey_}(db_)(oid)(n)(f.name)(f.referencedTableId)(f.referencedOwner)(f.referencedTable)(
                static_cast<std::int64_t>(f.onDelete))(static_cast<std::int64_t>(f.onUpdate))(f.notForReplication)(
                f.disabled);
            insertForeignKey_->run();
            for (std::size_t k = 0; k < f.columns.size(); ++k) {
                Binder{*insertForeignKeyColumn_}(db_)(oid)(n)("C")(static_cast<std::int64_t>(k))(f.columns[k]);
                insertForeignKeyColumn_->run();
            }
            for (std::size_t k = 0; k < f.referencedColumns.size(); ++k) {
                Binder{*insertForeignKeyColumn_}(db_)(oid)(n)("R")(static_cast<std::int64_t>(k))(f.referencedColumns[k]);
                insertForeignKeyColumn_->run();
            }
            writeProperties(oid, detail::target::ForeignKey, n, f.properties);
        }
        for (std::size_t i = 0; i < t.checks.size(); ++i) {
            const auto& c = t.checks[i];
            const auto n = static_cast<std::int64_t>(i);
            Binder{*insertCheck_}(db_)(oid)(n)(c.name)(c.text)(c.column)(c.notForReplication)(c.disabled);
            insertCheck_->run();
            writeProperties(oid, detail::target::Check, n, c.properties);
        }
        if (t.fullTextIndex) {
            const auto& cols = t.fullTextIndex->columns;
            for (std::size_t i = 0; i < cols.size(); ++i) {
                Binder{*insertFullText_}(db_)(oid)(static_cast<std::int64_t>(i))(cols[i].name)(cols[i].language);
                insertFullText_->run();
            }
        }
        for (const auto& tr : t.triggers) writeTrigger(oid, tr);
        return oid;
    }

    // Adds the cells column `name` needs to the shared rows table (a schema change only: SQLite
    // does not rewrite the table for it).
    void ensureCell(const std::string& name) {
        if (!cells_.insert(name).second) return;
        connection_->exec(("ALTER TABLE rows ADD COLUMN " + name + ";").c_str());
    }

    class TableRowWriter final : public RowWriter {
    public:
        TableRowWriter(FileWriter& file, const model::Database& db, const model::Table& table)
            : connection_(*file.connection_), table_(table) {
            std::string names, params;
            for (std::size_t i = 0; i < table.columns.size(); ++i) {
                const auto t = storageType(db, table.columns[i]);
                types_.push_back(t);
                for (const char* prefix : {"c", "t"}) {
                    if (*prefix == 't' && !tagged(t)) continue;
                    const std::string cell = prefix + std::to_string(i + 1);
                    file.ensureCell(cell);
                    names += (names.empty() ? "" : ", ") + cell;
                    params += params.empty() ? "?" : ", ?";
                }
            }
            if (!names.empty())
                insert_ = std::make_unique<Statement>(connection_, "INSERT INTO rows(" + names + ") VALUES (" + params + ")");
        }

        void add(const std::vector<Value>& row) override {
            if (row.size() != types_.size() || !insert_)
                throw Error(errors::InvalidArgument, "Row " + std::to_string(count_ + 1) + " of table " +
                                                         qualified(table_) + " has " + std::to_string(row.size()) +
                                                         " values; the table has " + std::to_string(types_.size()) +
                                                         " columns.");
            int p = 1;
            for (std::size_t i = 0; i < row.size(); ++i) {
                const Value& v = row[i];
                const SqlType t = types_[i];
                if (!v.isNull() && !tagged(t) && detail::kindOf(t) != v.kind)
                    throw Error(errors::InvalidArgument,
                                "Row " + std::to_string(count_ + 1) + " of table " + qualified(table_) + ": column " +
                                    model::quoteName(table_.columns[i].name) + " is " + std::string(sqlTypeName(t)) +
                                    ", but the value is " + std::string(detail::kindName(v.kind)) + ".");
                detail::bindPayload(*insert_, p++, v);
                if (tagged(t)) insert_->bind(p++, std::string_view(detail::valueTag(v)));
            }
            insert_->run();
            last_ = sqlite3_last_insert_rowid(connection_.handle());
            if (count_ == 0) first_ = last_;
            ++count_;
        }

        std::int64_t count() const noexcept { return count_; }
        std::int64_t first() const noexcept { return first_; }
        std::int64_t last() const noexcept { return last_; }

    private:
        const Connection& connection_;
        const model::Table& table_;
        std::vector<SqlType> types_;
        std::unique_ptr<Statement> insert_;
        std::int64_t count_ = 0, first_ = 0, last_ = 0;
    };

    void writeRows(const model::Database& db, const model::Table& t, std::int64_t oid, const RowProvider& rows) {
        TableRowWriter writer(*this, db, t);
        if (rows) rows(db, t, writer);
        Binder b{*updateRowCount_};
        b(writer.count());
        if (writer.count() > 0) b(writer.first())(writer.last());
        else b.null().null();
        b(db_)(oid);
        updateRowCount_->run();
    }

    std::string path_;
    std::string temp_;
    std::unique_ptr<Connection> connection_;
    std::vector<std::unique_ptr<Statement>> statements_;
    Statement *insertDatabase_ = nullptr, *insertObject_ = nullptr, *insertColumn_ = nullptr, *insertKey_ = nullptr,
              *insertIndex_ = nullptr, *insertIndexColumn_ = nullptr, *insertForeignKey_ = nullptr,
              *insertForeignKeyColumn_ = nullptr, *insertCheck_ = nullptr, *insertFullText_ = nullptr,
              *insertDependency_ = nullptr, *insertPermission_ = nullptr, *insertProperty_ = nullptr,
              *insertUser_ = nullptr, *insertRole_ = nullptr, *insertMember_ = nullptr, *updateRowCount_ = nullptr;
    std::int64_t databaseKey_ = 0;
    std::int64_t db_ = 0;
    std::int64_t oid_ = 0;
    std::unordered_set<std::string> cells_{"c1"};  // columns of the rows table so far
    bool committed_ = false;
};

}  // namespace

void writeSnapshot(const std::string& path, const model::Server& server, const RowProvider& rows,
                   const WriteProgress& progress) {
    FileWriter writer(path);
    writer.writeServer(server, server.logins);
    std::size_t total = 0, done = 0;
    for (const auto& db : server.databases)
        if (db) total += db->tables.size();
    for (const auto& db : server.databases)
        if (db) writer.writeDatabase(*db, rows, progress, done, total);
    writer.commit();
    if (progress) progress("Snapshot written", 100);
}

void writeSnapshot(const std::string& path, ServerBackend& backend, const std::vector<std::string>& databases,
                   const WriteProgress& progress) {
    const model::Server info = backend.serverInfo();
    const std::vector<std::string> available = backend.databaseNames();
    std::vector<std::string> chosen;
    if (databases.empty()) {
        chosen = available;
    } else {
        std::unordered_set<std::string> seen;
        for (const auto& wanted : databases) {
            const std::string* match = nullptr;
            for (const auto& name : available)
                if (model::sameName(name, wanted)) match = &name;
            if (!match) throw Error(errors::NotFound, "[SQL-DMO]Database '" + wanted + "' not found");
            if (seen.insert(model::foldName(*match)).second) chosen.push_back(*match);
        }
    }

    FileWriter writer(path);
    writer.writeServer(info, backend.logins());
    const RowProvider rows = [&backend](const model::Database& db, const model::Table& t, RowWriter& out) {
        if (t.columns.empty()) return;
        std::string sql = "SELECT ";
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            if (i) sql += ", ";
            sql += model::quoteName(t.columns[i].name);
        }
        sql += " FROM " + qualified(t);
        auto set = backend.query(db.name, sql);
        std::vector<Value> row(t.columns.size());
        const std::size_t n = std::min(set->columns().size(), row.size());
        while (set->next()) {
            for (std::size_t i = 0; i < n; ++i) row[i] = set->value(i);
            out.add(row);
        }
    };
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        if (progress)
            progress("Reading the catalogue of " + model::quoteName(chosen[i]),
                     static_cast<int>(i * 100 / chosen.size()));
        const auto db = backend.database(chosen[i]);
        std::size_t done = 0;
        // Progress inside a database is scaled into its share of the whole write.
        const WriteProgress scaled = [&](const std::string& message, int percent) {
            if (progress)
                progress(message, static_cast<int>((i * 100 + static_cast<std::size_t>(percent)) / chosen.size()));
        };
        writer.writeDatabase(*db, rows, progress ? scaled : WriteProgress{}, done, db->tables.size());
    }
    writer.commit();
    if (progress) progress("Snapshot written", 100);
}

}  // namespace sqldmo::snapshot
