// Reading the catalogue side of a snapshot: the header, the logins, the list of databases and
// the whole catalogue of one database, each with a fixed number of statements.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sqldmo/model/Catalog.h"
#include "sqldmo/snapshot/Sqlite.h"

namespace sqldmo::snapshot::detail {

// Checks that the file is a snapshot this build reads and returns the server's name, version
// and login. Throws Error (SnapshotInvalid) naming the file otherwise.
model::Server readHeader(const Connection& connection);
std::vector<model::Login> readLogins(const Connection& connection);

struct DatabaseEntry {
    std::int64_t key = 0;
    std::string name;
};
std::vector<DatabaseEntry> readDatabaseList(const Connection& connection);
std::shared_ptr<model::Database> readDatabase(const Connection& connection, std::int64_t key);

[[noreturn]] void damaged(const Connection& connection, std::string_view what);

}  // namespace sqldmo::snapshot::detail
