// The result sets of the reader's catalogue queries, built from a catalogue model: the inverse of
// the live reader, in the column shapes sqldmo/tds/CatalogQueries.h declares.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "sqldmo/model/Catalog.h"
#include "tests/tdsserver/Tokens.h"

namespace tdstest {

// What catalogue results of one session share: the ids given out per database (the
// databases must outlive it).
struct CatalogCache {
    std::map<const sqldmo::model::Database*, std::shared_ptr<void>> plans;
};

// The result of the catalogue query `tag` over `server` (server-level tags) or `db`
// (database-level tags); throws std::invalid_argument for an unknown tag.
ResultSet catalogResult(const std::string& tag, const sqldmo::model::Server& server, const sqldmo::model::Database* db,
                        CatalogCache& cache);

// The rows of the "resultcolumns" query for one table (none when `table` is null).
ResultSet tableColumnsResult(const sqldmo::model::Table* table, int versionMajor);

// SQL_VARIANT_PROPERTY of a value: "BaseType", "Precision", "Scale" or "MaxLength" (bytes).
sqldmo::Value variantProperty(const sqldmo::Value& v, const std::string& property);
// The seven plain forms the reader asks for a variant value (sqldmo/tds/ValueForms.h), in the
// order of their suffixes "tpsmncb", and the column each travels in.
std::vector<sqldmo::Value> variantParts(const sqldmo::Value& v);
ColumnDef variantPartColumn(char suffix, const std::string& name);

// The major version of a server's version string ("8.00.2039" gives 8).
int versionMajorOf(const sqldmo::model::Server& server);

}  // namespace tdstest
