// SQLite connections and statements with errors that name the snapshot file.
#include "sqldmo/snapshot/Sqlite.h"

#include <sys/stat.h>

#include "sqldmo/Error.h"

namespace sqldmo::snapshot::detail {

Connection::Connection(const std::string& path, Access access) : path_(path), access_(access) {
    if (access == Access::Read) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            throw Error(errors::SnapshotInvalid, "Snapshot file '" + path + "' not found.");
        if (!S_ISREG(st.st_mode))
            throw Error(errors::SnapshotInvalid, "Snapshot file '" + path + "' is not a file.");
    }
    const int flags = access == Access::Read ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        db_ = nullptr;
        if (access == Access::Read)
            throw Error(errors::SnapshotInvalid, "Snapshot file '" + path + "' cannot be opened: " + message + ".");
        throw Error(errors::FileWriteFailed, "Snapshot file '" + path + "' cannot be created: " + message + ".");
    }
    sqlite3_extended_result_codes(db_, 0);
}

Connection::~Connection() { sqlite3_close_v2(db_); }

void Connection::exec(const char* sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        sqlite3_free(message);
        fail(rc, "running a statement");
    }
}

void Connection::fail(int rc, std::string_view what) const {
    const std::string message = sqlite3_errmsg(db_);
    if (access_ == Access::Write)
        throw Error(errors::FileWriteFailed,
                    "Snapshot file '" + path_ + "' cannot be written (" + std::string(what) + "): " + message + ".");
    switch (rc & 0xFF) {
        case SQLITE_NOTADB:
            throw Error(errors::SnapshotInvalid, "'" + path_ + "' is not a snapshot file.");
        case SQLITE_CORRUPT:
        case SQLITE_FORMAT:
        case SQLITE_RANGE:
            throw Error(errors::SnapshotInvalid, "Snapshot file '" + path_ + "' is damaged: " + message + ".");
        default:
            throw Error(errors::SnapshotInvalid,
                        "Snapshot file '" + path_ + "' cannot be read (" + std::string(what) + "): " + message + ".");
    }
}

Statement::Statement(const Connection& connection, std::string_view sql) : connection_(&connection) {
    const int rc = sqlite3_prepare_v2(connection.handle(), sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK) {
        // A table or column the statement names is missing: the file is not one of ours, or
        // it was cut short by hand.
        if (connection.access() == Access::Read && (rc & 0xFF) == SQLITE_ERROR)
            throw Error(errors::SnapshotInvalid, "Snapshot file '" + connection.path() +
                                                     "' is damaged: " + sqlite3_errmsg(connection.handle()) + ".");
        connection.fail(rc, "preparing a statement");
    }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    connection_->fail(rc, "reading rows");
}

void Statement::run() {
    const int rc = sqlite3_step(stmt_);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        sqlite3_reset(stmt_);
        connection_->fail(rc, "storing rows");
    }
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void Statement::bind(int index, std::int64_t value) { sqlite3_bind_int64(stmt_, index, value); }

void Statement::bind(int index, std::string_view text) {
    // A non-null pointer keeps an empty text from being stored as NULL.
    sqlite3_bind_text64(stmt_, index, text.empty() ? "" : text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void Statement::bindBlob(int index, std::string_view bytes) {
    if (bytes.empty())
        sqlite3_bind_zeroblob(stmt_, index, 0);
    else
        sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
}

void Statement::bindNull(int index) { sqlite3_bind_null(stmt_, index); }

std::string Statement::text(int column) const { return std::string(textView(column)); }

std::string_view Statement::textView(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    if (!p) return {};
    return {p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))};
}

std::string_view Statement::blobView(int column) const {
    const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    if (!p) return {};
    return {p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))};
}

}  // namespace sqldmo::snapshot::detail
