// A snapshot file served as a server: its catalogue through the reader, its rows through the one
// kind of statement the scripting component sends (SELECT columns FROM table), streamed.
#include <cstdint>
#include <unordered_map>

#include "sqldmo/Backend.h"
#include "sqldmo/Error.h"
#include "sqldmo/model/Names.h"
#include "sqldmo/snapshot/Reader.h"
#include "sqldmo/snapshot/RowQuery.h"
#include "sqldmo/snapshot/Sqlite.h"
#include "sqldmo/snapshot/ValueCodec.h"

namespace sqldmo {
namespace {

using snapshot::detail::Access;
using snapshot::detail::Connection;
using snapshot::detail::Statement;

std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out += '.';
        out += parts[i];
    }
    return out;
}

// One result column and the cells it is read from.
struct Binding {
    int cell = 0;
    int tagCell = -1;  // sql_variant and untyped columns: the cell with the value's type
    SqlType type = SqlType::Unknown;
};

class SnapshotRowSet final : public RowSet {
public:
    SnapshotRowSet(std::shared_ptr<const Connection> connection, std::unique_ptr<Statement> statement,
                   std::vector<ResultColumn> columns, std::vector<Binding> bindings, std::int64_t expectedRows)
        : connection_(std::move(connection)), statement_(std::move(statement)), columns_(std::move(columns)),
          bindings_(std::move(bindings)), row_(columns_.size()), expectedRows_(expectedRows) {}

    const std::vector<ResultColumn>& columns() const override { return columns_; }

    bool next() override {
        if (done_) return false;
        if (!statement_->step()) {
            done_ = true;
            // A row missing from the table's range (the file was edited): the rows read so far
            // are not the table.
            if (delivered_ != expectedRows_) snapshot::detail::damaged(*connection_, "rows of a table missing");
            return false;
        }
        ++delivered_;
        for (std::size_t i = 0; i < bindings_.size(); ++i) {
            const Binding& b = bindings_[i];
            bool ok;
            if (b.tagCell >= 0) {
                ok = statement_->isNull(b.tagCell) ? snapshot::detail::readValue(*statement_, b.cell, b.type, row_[i])
                                                   : snapshot::detail::readTaggedValue(
                                                         *statement_, b.cell, statement_->textView(b.tagCell),
                                                         b.type == SqlType::SqlVariant, row_[i]);
            } else {
                ok = snapshot::detail::readValue(*statement_, b.cell, b.type, row_[i]);
            }
            if (!ok) snapshot::detail::damaged(*connection_, "unreadable value in column '" + columns_[i].name + "'");
        }
        return true;
    }

    const Value& value(std::size_t column) const override {
        if (column >= row_.size())
            throw Error(errors::InvalidArgument, "Column " + std::to_string(column) + " is out of range: the result has " +
                                                     std::to_string(row_.size()) + " columns.");
        return row_[column];
    }

private:
    std::shared_ptr<const Connection> connection_;
    std::unique_ptr<Statement> statement_;
    std::vector<ResultColumn> columns_;
    std::vector<Binding> bindings_;
    std::vector<Value> row_;
    std::int64_t expectedRows_;
    std::int64_t delivered_ = 0;
    bool done_ = false;
};

class SnapshotBackend final : public ServerBackend {
public:
    SnapshotBackend(const std::string& path, const LoginOptions& options)
        : connection_(std::make_shared<Connection>(path, Access::Read)) {
        info_ = snapshot::detail::readHeader(*connection_);
        logins_ = snapshot::detail::readLogins(*connection_);
        databases_ = snapshot::detail::readDatabaseList(*connection_);
        logIn(options);
        if (!options.initialDatabase.empty()) {
            if (!findDatabase(options.initialDatabase))
                throw ServerError(4060, "Cannot open database '" + options.initialDatabase +
                                            "' requested by the login. The login failed.", 11, 1);
            defaultDatabase_ = options.initialDatabase;
        }
    }

    model::Server serverInfo() override { return info_; }

    std::vector<std::string> databaseNames() override {
        std::vector<std::string> names;
        names.reserve(databases_.size());
        for (const auto& d : databases_) names.push_back(d.name);
        return names;
    }

    std::vector<model::Login> logins() override { return logins_; }

    std::shared_ptr<const model::Database> database(const std::string& name) override {
        const auto* entry = findDatabase(name);
        if (!entry)
            throw Error(errors::NotFound, "[SQL-DMO]Database '" + name + "' not found");
        return snapshot::detail::readDatabase(*connection_, entry->key);
    }

    std::unique_ptr<RowSet> query(const std::string& database, const std::string& sql) override {
        const auto q = snapshot::detail::parseRowQuery(sql);
        if (!q) {
            std::string shown = sql.size() > 120 ? sql.substr(0, 120) + "..." : sql;
            throw Error(errors::NotSupported, "Snapshot file '" + connection_->path() +
                                                  "' cannot run this statement (a snapshot answers only "
                                                  "SELECT column list FROM table): " + shown);
        }
        std::string dbName = database.empty() ? defaultDatabase() : database;
        if (q->table.size() == 3 && !q->table[0].empty()) dbName = q->table[0];
        const auto* entry = findDatabase(dbName);
        if (!entry)
            throw ServerError(911, "Could not locate entry in sysdatabases for database '" + dbName +
                                       "'. No entry found with that name. Make sure that the name is entered correctly.",
                              16, 1);

        const std::string& tableName = q->table.back();
        const std::string owner = q->table.size() >= 2 ? q->table[q->table.size() - 2] : std::string();
        std::int64_t oid = 0;
        std::int64_t rowCount = 0, firstRow = 0, lastRow = 0;
        {
            Statement s(*connection_,
                        "SELECT oid, owner_key, row_count, first_row, last_row FROM objects WHERE db = ? AND kind = 8 AND name_key = ? "
                        "ORDER BY oid");
            s.bind(1, entry->key);
            s.bind(2, std::string_view(model::foldName(tableName)));
            const std::string ownerKey = model::foldName(owner);
            while (s.step()) {
                const auto rowOwner = s.textView(1);
                // Without an owner SQL Server takes dbo's object; the first one found stands in
                // when dbo has none.
                const bool exact = owner.empty() ? rowOwner == "dbo" : rowOwner == ownerKey;
                if (!exact && !(owner.empty() && oid == 0)) continue;
                oid = s.integer(0);
                rowCount = s.integer(2);
                firstRow = s.integer(3);
                lastRow = s.integer(4);
                if (exact) break;
            }
        }
        if (oid == 0) throw ServerError(208, "Invalid object name '" + joined(q->table) + "'.", 16, 1);

        struct Stored {
            std::string name;
            ResultColumn meta;
        };
        std::vector<Stored> stored;
        std::unordered_map<std::string, std::size_t> byName;
        {
            Statement s(*connection_,
                        "SELECT ordinal, name, storage_type, data_type, length, precision, scale FROM columns "
                        "WHERE db = ? AND oid = ? ORDER BY ordinal");
            s.bind(1, entry->key);
            s.bind(2, oid);
            while (s.step()) {
                Stored c;
                c.name = s.text(1);
                c.meta.name = c.name;
                c.meta.type = sqlTypeFromName(s.textView(2));
                c.meta.typeName = c.meta.type == SqlType::Unknown ? s.text(3) : std::string(sqlTypeName(c.meta.type));
                c.meta.length = s.integer32(4);
                c.meta.precision = s.integer32(5);
                c.meta.scale = s.integer32(6);
                byName.emplace(model::foldName(c.name), stored.size());
                stored.push_back(std::move(c));
            }
        }

        std::vector<std::size_t> chosen;
        if (q->allColumns) {
            for (std::size_t i = 0; i < stored.size(); ++i) chosen.push_back(i);
        } else {
            for (const auto& name : q->columns) {
                const auto it = byName.find(model::foldName(name));
                if (it == byName.end()) throw ServerError(207, "Invalid column name '" + name + "'.", 16, 1);
                chosen.push_back(it->second);
            }
        }

        std::string select = "SELECT ";
        std::vector<ResultColumn> columns;
        std::vector<Binding> bindings;
        int cell = 0;
        for (std::size_t i : chosen) {
            const auto& c = stored[i];
            const bool tagged = c.meta.type == SqlType::SqlVariant || c.meta.type == SqlType::Unknown;
            if (cell) select += ", ";
            select += "c" + std::to_string(i + 1);
            Binding b;
            b.cell = cell++;
            b.type = c.meta.type;
            if (tagged) {
                select += ", t" + std::to_string(i + 1);
                b.tagCell = cell++;
            }
            columns.push_back(c.meta);
            bindings.push_back(b);
        }
        // A table without rows may have more columns than the rows table has cells.
        if (chosen.empty() || rowCount == 0) select = "SELECT NULL WHERE 0";
        else select += " FROM rows WHERE rowid BETWEEN ? AND ?";
        auto statement = std::make_unique<Statement>(*connection_, select);
        std::int64_t expectedRows = 0;
        if (rowCount != 0 && !chosen.empty()) {
            // The range comes from the file: compared without signed overflow.
            if (rowCount < 0 || lastRow < firstRow ||
                static_cast<std::uint64_t>(lastRow) - static_cast<std::uint64_t>(firstRow) !=
                    static_cast<std::uint64_t>(rowCount) - 1)
                snapshot::detail::damaged(*connection_, "rows of a table out of place");
            statement->bind(1, firstRow);
            statement->bind(2, lastRow);
            expectedRows = rowCount;
        }
        return std::make_unique<SnapshotRowSet>(connection_, std::move(statement), std::move(columns),
                                                std::move(bindings), expectedRows);
    }

private:
    const snapshot::detail::DatabaseEntry* findDatabase(const std::string& name) const {
        for (const auto& d : databases_)
            if (model::sameName(d.name, name)) return &d;
        return nullptr;
    }

    const model::Login* findLogin(const std::string& name) const {
        for (const auto& l : logins_)
            if (model::sameName(l.name, name)) return &l;
        return nullptr;
    }

    // A snapshot keeps no passwords. An integrated login connects as the login that read the
    // catalogue; a SQL Server login must be one of the snapshot's own SQL Server logins (when
    // it has any), so that failed logins can be tried offline.
    void logIn(const LoginOptions& options) {
        if (options.integrated) return;
        if (!logins_.empty()) {
            const auto* l = findLogin(options.login);
            if (!l || l->denyLogin)
                throw ServerError(errors::LoginFailed, "Login failed for user '" + options.login + "'.", 14, 1);
            if (l->windowsLogin || l->windowsGroup)
                throw ServerError(errors::LoginFailed, "Login failed for user '" + options.login +
                                                           "'. Reason: Not associated with a trusted SQL Server connection.",
                                  14, 1);
        }
        info_.login = options.login;
    }

    std::string defaultDatabase() const {
        if (!defaultDatabase_.empty()) return defaultDatabase_;
        if (const auto* l = findLogin(info_.login); l && !l->defaultDatabase.empty()) return l->defaultDatabase;
        if (findDatabase("master")) return "master";
        return databases_.empty() ? std::string("master") : databases_.front().name;
    }

    std::shared_ptr<Connection> connection_;
    model::Server info_;
    std::vector<model::Login> logins_;
    std::vector<snapshot::detail::DatabaseEntry> databases_;
    std::string defaultDatabase_;
};

}  // namespace

std::unique_ptr<ServerBackend> openSnapshotBackend(const std::string& path, const LoginOptions& options) {
    return std::make_unique<SnapshotBackend>(path, options);
}

}  // namespace sqldmo
