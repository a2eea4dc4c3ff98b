// The set-based catalogue queries of the live reader, each in one place: its tag, the columns it
// returns (looked up by name by the reader) and its text for each family of server versions.
//
// Every query reads all objects of its kind in the database at once; the number of queries per
// database is fixed, whatever the number of objects. The text sent starts with a tag comment
// ("/* tavil:columns */") so that traces and test servers can tell the queries apart.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sqldmo/model/Value.h"

namespace sqldmo::tds {

struct QueryColumn {
    std::string_view name;
    SqlType type = SqlType::Int;
    // Character columns: length in characters; -1 = nvarchar(max) on 2005 and later,
    // nvarchar(4000) on 2000.
    int length = 0;
};

struct CatalogQuery {
    std::string_view tag;
    std::vector<QueryColumn> columns;
    std::string sql2000;  // SQL Server 2000: system tables
    std::string sql2005;  // 2005 and later; empty: the 2000 text serves (compatibility views)
    std::string sql2008;  // 2008 and later; empty: the 2005 text serves
};

// Queries run once per server (in master's context).
const std::vector<CatalogQuery>& serverQueries();
// Queries run once per database, in that database's context.
const std::vector<CatalogQuery>& databaseQueries();
// The query with this tag, or nullptr.
const CatalogQuery* findCatalogQuery(std::string_view tag);

// The declared columns of one table (tag "resultcolumns"), which tell the character and binary
// types of a query's results that db-lib does not: name, basetype, length (bytes), prec, scale.
const CatalogQuery& tableColumnsQuery();
// Its text for the table `objectName` as a query names it ("[dbo].[Orders]").
std::string tableColumnsSql(const std::string& objectName, int versionMajor);

// A column's declared length as the model keeps it (characters for the character types,
// bytes for binary and varbinary, -1 for max, 0 for the other types) from the storage length
// in bytes the catalogue reports.
int declaredLength(const std::string& baseType, std::int64_t storageBytes);

// The text sent to a server of this major version (8 = 2000, 9 = 2005, 10 = 2008 ...): the tag
// comment followed by the statement, with OWNER(x) spelt USER_NAME(x) on 2000 (owners are users)
// and SCHEMA_NAME(x) later (owners are schemas).
std::string catalogSql(const CatalogQuery& query, int versionMajor);

}  // namespace sqldmo::tds
