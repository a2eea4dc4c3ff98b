// Small catalogue fixtures built in code, shared by the tests of this folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "sqldmo/model/Catalog.h"
#include "sqldmo/snapshot/Snapshot.h"

namespace fixtures {

// A temporary folder removed at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// The whole content of a file ("" when it cannot be read).
std::string readFile(const std::string& path);

sqldmo::model::Column column(const std::string& name, const std::string& type, int length = 0);
sqldmo::model::Table table(sqldmo::model::ObjectId id, const std::string& owner, const std::string& name,
                           std::vector<sqldmo::model::Column> columns);

// A server whose catalogue sets every field of the model to something other than its default,
// so that a field lost on the way through a snapshot shows.
sqldmo::model::Server everyField();

// A database "Types" with one table dbo.AllTypes that has a column of every system type, and the
// rows for it (every type, NULLs, extremes).
sqldmo::model::Server allTypes();
std::vector<std::vector<sqldmo::Value>> allTypesRows();
sqldmo::snapshot::RowProvider rowsFor(const std::string& tableName, std::vector<std::vector<sqldmo::Value>> rows);

}  // namespace fixtures
