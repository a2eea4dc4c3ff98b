// Small snapshot files built in code: one server "fixture" with one database "Shop", the tables
// a test describes and their rows. A snapshot opens as the server "file:PATH".
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sqldmo/model/Catalog.h"
#include "sqldmo/snapshot/Snapshot.h"

namespace korvatest {

inline sqldmo::model::Column column(const std::string& name, const std::string& type, int length = 0) {
    sqldmo::model::Column c;
    c.name = name;
    c.dataType = type;
    c.baseType = type;
    c.length = length;
    return c;
}

inline sqldmo::model::Column identityColumn(const std::string& name) {
    sqldmo::model::Column c = column(name, "int");
    c.identity = true;
    c.nullable = false;
    return c;
}

inline sqldmo::model::Column computedColumn(const std::string& name, const std::string& text) {
    sqldmo::model::Column c = column(name, "int");
    c.computedText = text;
    return c;
}

struct FixtureTable {
    std::string name;
    std::vector<sqldmo::model::Column> columns;
    std::vector<std::vector<sqldmo::Value>> rows;
    std::string owner = "dbo";
};

class SnapshotFixture {
public:
    // Writes the snapshot into a fresh temporary folder; removed with the fixture.
    explicit SnapshotFixture(const std::vector<FixtureTable>& tables,
                             const std::function<void(sqldmo::model::Database&)>& more = {}, int versionMajor = 8) {
        std::string pattern = (std::filesystem::temp_directory_path() / "korva-snap-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        path_ = folder_ + "/shop.qvsnap";
        auto db = std::make_shared<sqldmo::model::Database>();
        db->name = "Shop";
        db->owner = "sa";
        sqldmo::model::ObjectId id = 100;
        for (const FixtureTable& t : tables) {
            sqldmo::model::Table table;
            table.id = id++;
            table.owner = t.owner;
            table.name = t.name;
            table.columns = t.columns;
            db->tables.push_back(table);
            rows_[t.name] = t.rows;
        }
        if (more) more(*db);
        sqldmo::model::Server server;
        server.name = "fixture";
        server.versionMajor = versionMajor;
        server.login = "sa";
        server.databases.push_back(db);
        sqldmo::snapshot::writeSnapshot(path_, server,
                                        [this](const sqldmo::model::Database&, const sqldmo::model::Table& table,
                                               sqldmo::snapshot::RowWriter& writer) {
                                            for (const auto& row : rows_[table.name]) writer.add(row);
                                        });
    }
    ~SnapshotFixture() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    SnapshotFixture(const SnapshotFixture&) = delete;
    SnapshotFixture& operator=(const SnapshotFixture&) = delete;

    const std::string& path() const { return path_; }
    std::string serverName() const { return "file:" + path_; }
    std::u16string serverName16() const {
        std::string s = serverName();
        return std::u16string(s.begin(), s.end());  // temporary paths are ASCII
    }

private:
    std::string folder_;
    std::string path_;
    std::map<std::string, std::vector<std::vector<sqldmo::Value>>> rows_;
};

}  // namespace korvatest
