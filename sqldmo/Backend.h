// A connected server as the object surface sees it: the catalogue of its databases and the
// rows of its tables. Two kinds exist: a snapshot file ("file:PATH") and a live SQL Server
// over TDS. The surface caches what a backend returns.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sqldmo/model/Catalog.h"
#include "sqldmo/rows/RowSet.h"

namespace sqldmo {

struct LoginOptions {
    std::string applicationName;
    bool integrated = false;      // integrated (Kerberos) login; login/password unused
    std::string login;
    std::string password;
    std::int32_t loginTimeout = -1;     // seconds, -1 = the library's default
    std::int32_t queryTimeout = 0;      // seconds, 0 = none
    std::int32_t lockTimeoutMs = -1;    // milliseconds, -1 = the server's default
    std::int32_t packetSize = 0;        // bytes, 0 = the library's default
    std::string initialDatabase;        // empty = the login's default
};

class ServerBackend {
public:
    virtual ~ServerBackend() = default;

    // Name, version and login of the connection; logins and databases may be left empty here.
    virtual model::Server serverInfo() = 0;
    virtual std::vector<std::string> databaseNames() = 0;
    virtual std::vector<model::Login> logins() = 0;
    // The whole catalogue of one database, read with a fixed number of set-based queries.
    // Throws sqldmo::Error (NotFound) when there is no such database.
    virtual std::shared_ptr<const model::Database> database(const std::string& name) = 0;
    // Rows of a query run in the given database.
    virtual std::unique_ptr<RowSet> query(const std::string& database, const std::string& sql) = 0;
    // Number of statements sent to the server so far (0 for snapshots); for tests and benches.
    virtual std::int64_t queriesSent() const { return 0; }
};

// Opens a backend: "file:PATH" gives a snapshot, any other name a live server.
// Throws sqldmo::Error with the server's or the file's words.
std::unique_ptr<ServerBackend> openServerBackend(const std::string& serverName, const LoginOptions& options);

// The two kinds (snapshot/ and tds/ define them).
std::unique_ptr<ServerBackend> openSnapshotBackend(const std::string& path, const LoginOptions& options);
std::unique_ptr<ServerBackend> openTdsBackend(const std::string& serverName, const LoginOptions& options);

}  // namespace sqldmo
