// Snapshot files: an offline copy of a server (its logins, the catalogue of its databases and the
// rows of their tables) in one SQLite file. A snapshot opens as a server through the name
// "file:PATH" (openServerBackend in sqldmo/Backend.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sqldmo/model/Catalog.h"
#include "sqldmo/model/Value.h"

namespace sqldmo {
class ServerBackend;
}

namespace sqldmo::snapshot {

// Version of the file layout this build writes and reads; files of another version are refused.
inline constexpr int kFormatVersion = 1;

// Takes the rows of one table while a snapshot is written.
class RowWriter {
public:
    virtual ~RowWriter() = default;
    // One row: a value per column, in the table's column order. Values keep their SQL Server
    // types; a sql_variant column takes a value of any base type. Throws Error (InvalidArgument)
    // naming the table and the column when the row does not fit the table.
    virtual void add(const std::vector<Value>& row) = 0;
};

// Supplies the rows of a table; called once for every table of every database, in catalogue
// order. A table it writes nothing for is stored without rows.
using RowProvider = std::function<void(const model::Database&, const model::Table&, RowWriter&)>;

// Progress of a write: what is being written and how far the whole write is (0..100).
using WriteProgress = std::function<void(const std::string& message, int percent)>;

// Writes the server (its name, version, login, logins and every database) and the rows the
// provider gives into PATH. The file is written beside PATH under a temporary name and renamed
// over PATH at the end, so PATH is either the old file or the complete new one. The stored row
// count of each table is the number of rows written. Throws Error (FileWriteFailed naming the
// file, or InvalidArgument from a RowWriter).
void writeSnapshot(const std::string& path, const model::Server& server, const RowProvider& rows = {},
                   const WriteProgress& progress = {});

// Writes what an open backend serves: the server's information and logins, then database by
// database the catalogue and the rows of every table (read with one SELECT per table and
// streamed into the file). `databases` empty means all of them; a name the server does not have
// throws Error (NotFound). Errors of the backend pass through; PATH is then left unchanged.
void writeSnapshot(const std::string& path, ServerBackend& backend, const std::vector<std::string>& databases = {},
                   const WriteProgress& progress = {});

// Reads a whole snapshot back: the server with its logins and every database. Throws Error
// (SnapshotInvalid) naming the file when it is missing, damaged or not a snapshot.
model::Server readSnapshot(const std::string& path);

}  // namespace sqldmo::snapshot
