// What a schema object depends on, directly or through other objects, with the dependency
// level of each: 1 for an object that depends on nothing further, otherwise one more than the
// highest level among the objects it depends on. Objects that depend on each other (a cycle)
// share one level, computed as if they were one object, so cycles never loop.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "sqldmo/model/Catalog.h"

namespace sqldmo {

struct DependencyRow {
    model::ObjectType type = model::ObjectType::UserTable;  // SystemTable for a system table
    std::string name;
    std::string owner;
    std::int32_t sequence = 1;
};

// Edges of the graph, per object:
//   every object      the ids of `dependsOn` (what the catalogue records: views, procedures and
//                     functions a module uses, functions of computed columns and checks ...)
//   a table           the tables its foreign keys refer to; the user-defined types of its
//                     columns; the defaults and rules bound to its columns
//   a data type       the default and the rule bound to it
// Built once over a database (which must outlive it); lookups are by hash.
class DependencyGraph {
public:
    explicit DependencyGraph(const model::Database& database);

    // Every object `root` depends on, directly or transitively, without root itself; ordered by
    // sequence, then name (case-insensitive), then owner.
    std::vector<DependencyRow> enumerate(const model::SchemaObject& root) const;

private:
    struct Node {
        const model::SchemaObject* object = nullptr;
        model::ObjectType type = model::ObjectType::UserTable;
    };
    std::vector<std::size_t> edges(std::size_t node) const;
    std::size_t nodeOf(const model::SchemaObject& object) const;

    const model::Database* database_;
    std::vector<Node> nodes_;
    std::unordered_map<const model::SchemaObject*, std::size_t> byObject_;
    std::unordered_map<model::ObjectId, std::size_t> byId_;
    std::unordered_map<std::string, std::size_t> tables_;    // folded "owner\nname"
    std::unordered_map<std::string, std::size_t> types_;     // folded name
    std::unordered_map<std::string, std::size_t> defaults_;  // folded "owner\nname" and name
    std::unordered_map<std::string, std::size_t> rules_;
};

}  // namespace sqldmo
