// Thin RAII wrappers over the SQLite C API for the snapshot reader and writer. Every failure
// becomes a sqldmo::Error that names the snapshot file.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace sqldmo::snapshot::detail {

enum class Access { Read, Write };

// An open SQLite connection. Errors are reported as SnapshotInvalid (Read) or FileWriteFailed
// (Write), with the file's path in the text.
class Connection {
public:
    Connection(const std::string& path, Access access);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const noexcept { return db_; }
    const std::string& path() const noexcept { return path_; }
    Access access() const noexcept { return access_; }
    void exec(const char* sql);
    // Throws the Error for the connection's last failure; `what` says what was being done.
    [[noreturn]] void fail(int rc, std::string_view what) const;

private:
    sqlite3* db_ = nullptr;
    std::string path_;
    Access access_;
};

// A prepared statement, stepped row by row.
class Statement {
public:
    Statement(const Connection& connection, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& other) noexcept : connection_(other.connection_), stmt_(other.stmt_) { other.stmt_ = nullptr; }
    Statement& operator=(Statement&&) = delete;

    sqlite3_stmt* handle() const noexcept { return stmt_; }
    // True while there is a row; false at the end. Throws on failure.
    bool step();
    // Steps a statement that returns no rows, then resets it for the next use.
    void run();
    void reset();

    void bind(int index, std::int64_t value);
    void bind(int index, std::string_view text);
    void bindBlob(int index, std::string_view bytes);
    void bindNull(int index);

    bool isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    std::int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }
    int integer32(int column) const { return static_cast<int>(sqlite3_column_int64(stmt_, column)); }
    bool boolean(int column) const { return sqlite3_column_int64(stmt_, column) != 0; }
    std::string text(int column) const;
    std::string_view textView(int column) const;
    std::string_view blobView(int column) const;

private:
    const Connection* connection_;
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace sqldmo::snapshot::detail
