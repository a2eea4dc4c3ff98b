// The live catalogue reader: fills the catalogue model from a server with the fixed set of
// set-based queries of CatalogQueries.h, whatever the number of objects.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sqldmo/model/Catalog.h"
#include "sqldmo/tds/TdsConnection.h"

namespace sqldmo::tds {

// What the database list tells of a database before its catalogue is read.
struct DatabaseHeader {
    std::string name;
    std::string owner;
    std::string collation;
    int compatibilityLevel = 80;
    bool systemObject = false;
};

class LiveCatalogReader {
public:
    explicit LiveCatalogReader(TdsConnection& connection) : c_(connection) {}

    // Name, version and login of the connection (logins and databases left empty).
    model::Server server();
    std::vector<DatabaseHeader> databases();
    std::vector<model::Login> logins();
    // The whole catalogue of the connection's current database. Throws sqldmo::Error or
    // ServerError when a query fails.
    std::shared_ptr<model::Database> database(const DatabaseHeader& header);

private:
    TdsConnection& c_;
};

}  // namespace sqldmo::tds
