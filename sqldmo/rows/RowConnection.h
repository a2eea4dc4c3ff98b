// The row-reading connection: opened from an OLE DB style connection string
// ("Provider=...;Initial Catalog=...;Data Source=...;Packet Size=...;Application Name=..."),
// one SELECT at a time. A "file:PATH" data source reads a snapshot file, anything else a
// live server over TDS.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "sqldmo/rows/RowSet.h"

namespace sqldmo {

struct RowConnectionOptions {
    int connectTimeout = 15;  // seconds; the row layer's default is 15
    int commandTimeout = 30;  // seconds; 0 = no limit
    bool readOnly = true;
    bool clientCursor = true;
};

class RowConnection {
public:
    virtual ~RowConnection() = default;
    // Runs one query and returns its rows. Throws sqldmo::Error naming the object on failure.
    virtual std::unique_ptr<RowSet> execute(const std::string& sql) = 0;
};

// Opens a connection. `user` and `password` are used unless the string asks for integrated
// security. Throws sqldmo::Error (login failed, server not found, snapshot invalid...).
std::unique_ptr<RowConnection> openRowConnection(std::string_view connectionString, const std::string& user,
                                                 const std::string& password, const RowConnectionOptions& options);

// True when the row-reading layer is usable at all (the stand-in for "the provider can be created").
bool rowLayerAvailable() noexcept;

}  // namespace sqldmo
