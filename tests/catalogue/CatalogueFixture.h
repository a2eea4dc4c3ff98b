// Small snapshot fixtures built in code for the catalogue, run and tavilc tests: one server with
// one database "Shop" whose tables, references and other objects a test describes, written with
// the snapshot writer into a temporary folder and opened as the server "file:PATH".
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "sqldmo/model/Catalog.h"
#include "sqldmo/snapshot/Snapshot.h"

namespace cattest {

// A temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tavil-cat-XXXXXX").string();
        if (char* dir = mkdtemp(pattern.data())) path_ = dir;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Points XDG_CONFIG_HOME (the settings store) at a fresh folder for the test process.
class TempConfig {
public:
    TempConfig() { setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1); }
    const std::string& path() const { return dir_.path(); }

private:
    TempDir dir_;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline sqldmo::model::Column column(const std::string& name, const std::string& type = "int") {
    sqldmo::model::Column c;
    c.name = name;
    c.dataType = type;
    c.baseType = type;
    if (type == "varchar" || type == "nvarchar") c.length = 40;
    return c;
}

// A table; `references` names the tables ("owner.name" or "name" for dbo) its foreign keys
// point at.
struct TableSpec {
    std::string name;
    std::vector<std::string> references = {};
    std::string owner = "dbo";
    bool system = false;
    std::vector<std::vector<sqldmo::Value>> rows = {};  // one int column "Id"
    std::vector<std::string> functionsUsed = {};         // names of dbo functions it uses
};

struct ObjectSpec {
    std::string owner;
    std::string name;
    bool system = false;
};

struct ServerSpec {
    std::vector<TableSpec> tables;
    std::vector<ObjectSpec> views, procedures, defaults, rules, types, functions;
    int versionMajor = 8;
    std::string databaseName = "Shop";
    std::string defaultDatabase = "Shop";
    std::vector<std::string> moreDatabases;  // empty databases after the first
};

inline sqldmo::model::Server buildServer(const ServerSpec& spec) {
    using namespace sqldmo::model;
    auto db = std::make_shared<Database>();
    db->name = spec.databaseName;
    db->owner = "sa";
    ObjectId id = 100;
    std::map<std::string, ObjectId> ids;
    for (const TableSpec& t : spec.tables) {
        Table table;
        table.id = id++;
        table.owner = t.owner;
        table.name = t.name;
        table.systemObject = t.system;
        table.columns = {column("Id")};
        ids[t.owner + "." + t.name] = table.id;
        db->tables.push_back(table);
    }
    for (std::size_t i = 0; i < spec.tables.size(); ++i) {
        int n = 0;
        for (const std::string& ref : spec.tables[i].references) {
            const std::string qualified = ref.find('.') == std::string::npos ? "dbo." + ref : ref;
            ForeignKey fk;
            fk.name = "FK_" + spec.tables[i].name + "_" + std::to_string(++n);
            fk.columns = {"Id"};
            fk.referencedTableId = ids.at(qualified);
            fk.referencedOwner = qualified.substr(0, qualified.find('.'));
            fk.referencedTable = qualified.substr(qualified.find('.') + 1);
            fk.referencedColumns = {"Id"};
            db->tables[i].foreignKeys.push_back(fk);
        }
    }
    std::vector<std::pair<std::size_t, std::string>> uses;
    for (std::size_t i = 0; i < spec.tables.size(); ++i)
        for (const std::string& f : spec.tables[i].functionsUsed) uses.emplace_back(i, f);
    auto fill = [&](auto& list, const std::vector<ObjectSpec>& objects, auto make) {
        for (const ObjectSpec& o : objects) {
            auto object = make(o);
            object.id = id++;
            object.owner = o.owner;
            object.name = o.name;
            object.systemObject = o.system;
            list.push_back(object);
        }
    };
    fill(db->views, spec.views, [](const ObjectSpec& o) {
        View v;
        v.text = "CREATE VIEW [" + o.owner + "].[" + o.name + "] AS SELECT 1 AS One";
        return v;
    });
    fill(db->procedures, spec.procedures, [](const ObjectSpec& o) {
        StoredProcedure p;
        p.text = "CREATE PROCEDURE [" + o.owner + "].[" + o.name + "] AS SELECT 1";
        return p;
    });
    fill(db->defaults, spec.defaults, [](const ObjectSpec& o) {
        DefaultObject d;
        d.text = "CREATE DEFAULT [" + o.owner + "].[" + o.name + "] AS 0";
        return d;
    });
    fill(db->rules, spec.rules, [](const ObjectSpec& o) {
        Rule r;
        r.text = "CREATE RULE [" + o.owner + "].[" + o.name + "] AS @v > 0";
        return r;
    });
    fill(db->types, spec.types, [](const ObjectSpec&) {
        UserDefinedDatatype t;
        t.baseType = "int";
        return t;
    });
    fill(db->functions, spec.functions, [](const ObjectSpec& o) {
        UserDefinedFunction f;
        f.text = "CREATE FUNCTION [" + o.owner + "].[" + o.name + "]() RETURNS int AS BEGIN RETURN 1 END";
        return f;
    });

    for (const auto& [table, function] : uses)
        for (const auto& f : db->functions)
            if (f.name == function) db->tables[table].dependsOn.push_back(f.id);

    Server server;
    server.name = "fixture";
    server.versionMajor = spec.versionMajor;
    server.versionString = std::to_string(spec.versionMajor) + ".00.2039";
    server.login = "sa";
    Login sa;
    sa.name = "sa";
    sa.defaultDatabase = spec.defaultDatabase;
    server.logins.push_back(sa);
    server.databases.push_back(db);
    for (const std::string& name : spec.moreDatabases) {
        auto more = std::make_shared<Database>();
        more->name = name;
        more->owner = "sa";
        server.databases.push_back(more);
    }
    return server;
}

// The spec written as a snapshot into a folder of its own.
class Snapshot {
public:
    explicit Snapshot(const ServerSpec& spec, const std::string& fileName = "shop.snapshot") {
        path_ = dir_.file(fileName);
        std::map<std::string, std::vector<std::vector<sqldmo::Value>>> rows;
        for (const TableSpec& t : spec.tables) rows[t.owner + "." + t.name] = t.rows;
        sqldmo::snapshot::writeSnapshot(path_, buildServer(spec),
                                        [&rows](const sqldmo::model::Database&, const sqldmo::model::Table& table,
                                                sqldmo::snapshot::RowWriter& writer) {
                                            for (const auto& row : rows[table.owner + "." + table.name]) writer.add(row);
                                        });
    }
    const std::string& path() const { return path_; }
    std::string serverName() const { return "file:" + path_; }
    const TempDir& dir() const { return dir_; }

private:
    TempDir dir_;
    std::string path_;
};

}  // namespace cattest
