// What the test server serves: a catalogue model and the rows of its tables, either built in
// code (fixtures, synthetic databases, generated rows) or read from any ServerBackend (a snapshot).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "sqldmo/model/Catalog.h"
#include "tests/tdsserver/Tokens.h"

namespace sqldmo {
class ServerBackend;
}

namespace tdstest {

class DataSource {
public:
    virtual ~DataSource() = default;
    // The server's identity, logins and databases with their whole catalogues.
    virtual const sqldmo::model::Server& server() const = 0;
    // The rows of a table, one value per catalogue column in column order; nullptr when the
    // table has no rows recorded.
    virtual std::unique_ptr<RowSource> tableRows(const sqldmo::model::Database& db,
                                                 const sqldmo::model::Table& table) const = 0;
};

// A data source built in code.
class FixtureData : public DataSource {
public:
    explicit FixtureData(sqldmo::model::Server server) : server_(std::move(server)) {}

    const sqldmo::model::Server& server() const override { return server_; }
    sqldmo::model::Server& mutableServer() { return server_; }
    std::unique_ptr<RowSource> tableRows(const sqldmo::model::Database& db,
                                         const sqldmo::model::Table& table) const override;

    using RowFactory = std::function<std::unique_ptr<RowSource>()>;
    void setRows(const std::string& db, const std::string& owner, const std::string& table,
                 std::vector<std::vector<sqldmo::Value>> rows);
    void setRowFactory(const std::string& db, const std::string& owner, const std::string& table, RowFactory f);

private:
    using Key = std::tuple<std::string, std::string, std::string>;
    static Key key(const std::string& db, const std::string& owner, const std::string& table);
    sqldmo::model::Server server_;
    std::map<Key, RowFactory> rows_;
};

// A data source that serves what another backend holds (for instance a snapshot file): its
// catalogue is read once, its rows are read through the backend on every request.
class BackendData : public DataSource {
public:
    explicit BackendData(std::shared_ptr<sqldmo::ServerBackend> backend);
    const sqldmo::model::Server& server() const override { return server_; }
    std::unique_ptr<RowSource> tableRows(const sqldmo::model::Database& db,
                                         const sqldmo::model::Table& table) const override;

private:
    std::shared_ptr<sqldmo::ServerBackend> backend_;
    sqldmo::model::Server server_;
};

// Columns of a table as a result set describes them.
std::vector<ColumnDef> tableColumns(const sqldmo::model::Table& table);

}  // namespace tdstest
