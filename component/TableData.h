// The data section of one table: the column list (BuildQuerySQL), one SELECT over a fresh
// row-reading connection, one INSERT line per row as the rows arrive (ScriptTableData), and
// each field's literal (GetValue).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "component/ScriptBuffer.h"
#include "sqldmo/objects/Sqldmo.h"
#include "sqldmo/rows/RowConnection.h"
#include "sqldmo/script/LeftOut70.h"

namespace korva::detail {

struct TableDataContext {
    sqldmo::Server* server = nullptr;
    std::string databaseName;
    // Opens the row-reading connection a table is read through (one per table).
    std::function<std::unique_ptr<sqldmo::RowConnection>()> openRowConnection;
    bool includeColumnNames = false;
    // The server the script is for has varchar(max) and nvarchar(max): the catalogue's server is
    // version 9 or later and the script is not one for SQL Server 7.0.
    bool maxTypes = false;
    // The schema is scripted for SQL Server 7.0: what it leaves out of a table gets no data.
    bool only70 = false;
};

// The bracketed list of the table's columns that can be inserted (all but timestamp and
// computed columns, nor those in `leftOut`), ", "-separated, in catalogue order; empty when
// there is none. `hasIdentity` tells whether the list holds the identity column. Errors under
// "_BuildQuerySQL".
std::string buildQuerySQL(const sqldmo::Table& table, bool* hasIdentity,
                          const sqldmo::script::LeftOutFor70& leftOut = {});

// Appends the data section of table `name` (a Dependencies entry, used unchanged): INSERT
// lines, framed by SET IDENTITY_INSERT ON/OFF when the list holds the identity column (then
// always with the column list, which the server demands), "GO" when there was a row, and
// always an empty line. A table with rows has its constraints and triggers off around them
// (NOCHECK CONSTRAINT ALL, DISABLE TRIGGER ALL before; ENABLE TRIGGER ALL, CHECK CONSTRAINT
// ALL after, then NOCHECK / DISABLE TRIGGER again for each one the catalogue records as
// disabled and the schema created), all in its one batch. A row whose long value cannot be joined
// without a max type on a server that has none (maxTypes false) is run through EXEC. On failure
// nothing of the section stays in `out`. Errors under "_ScriptTableData".
void scriptTableData(ScriptBuffer& out, const TableDataContext& context, const std::string& name);

}  // namespace korva::detail
