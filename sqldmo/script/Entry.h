// One thing the script writes (a table, its keys, its indexes, a trigger, a permission set, a
// drop...): its place in the order, what it depends on, and the text the printer writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sqldmo::script {

using EntryId = std::uint32_t;

// The order of kinds before dependencies are applied: the sorter starts from it and moves an
// entry only when something it needs comes later. Drops and creates are sorted apart (every
// drop comes first); the groups of each are listed in their output order.
enum class Group : std::uint8_t {
    // Drops.
    DropForeignKey,
    DropTrigger,
    DropProcedure,
    DropView,
    DropFunction,
    DropTable,
    DropType,
    DropDefault,
    DropRule,
    // Creates.
    DatabaseProperty,
    Login,
    User,
    Role,
    RoleMember,
    Rule,
    Default,
    Type,
    TypeBinding,
    Table,
    ColumnBinding,
    Key,
    CheckAndDefault,
    Index,
    FullTextDatabase,
    FullTextCatalog,
    FullTextIndex,
    ForeignKey,
    Function,
    View,
    ViewIndex,
    Procedure,
    Trigger,
};

struct Entry {
    Group group = Group::Table;
    std::uint32_t rank = 0;  // position of the object the entry belongs to, among the planned objects
    std::uint8_t sub = 0;    // order among the entries of one group and rank (the object, then its permissions...)
    // Its own dependencies on modules and tables are resolved when it runs (procedures,
    // triggers, multi-statement functions), so the sorter may drop them to break a loop.
    bool lateBound = false;
    std::string header;   // "Table [dbo].[Orders]" for the header comment, already comment-safe; empty for none
    std::string comment;  // "-- ..." lines written before the batches (no batch of their own)
    std::vector<std::string> batches;  // each is followed by a GO line
    std::vector<EntryId> deps;         // entries that must be written before this one
    std::string label;    // names the entry in messages about dependency loops
};

}  // namespace sqldmo::script
