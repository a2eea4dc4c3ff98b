// Turns the planned objects of a script into entries: the emitters, one per kind of thing,
// each describing only its text and what it depends on. The sorter orders the entries and
// the printer writes them (Scripter.cpp runs the three).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sqldmo/model/Catalog.h"
#include "sqldmo/script/CatalogIndex.h"
#include "sqldmo/script/Entry.h"
#include "sqldmo/script/LeftOut70.h"
#include "sqldmo/script/Scripter.h"

namespace sqldmo::script {

// The script type bits, decoded. Modifiers (OwnerQualify, Bindings, DRIWithNoCheck) shape the
// parts they belong to; every other switch adds parts of its own.
struct Switches {
    bool primaryObject = false;
    bool drops = false;
    bool headers = false;
    bool permissions = false;
    bool clusteredIndexes = false;
    bool nonClusteredIndexes = false;
    bool keyIndexes = false;  // indexes behind PRIMARY KEY and UNIQUE constraints, when those are not scripted as constraints
    bool triggers = false;
    bool bindings = false;
    bool ownerQualify = false;
    bool primaryKeys = false;
    bool uniqueKeys = false;
    bool checks = false;
    bool defaults = false;
    bool foreignKeys = false;
    bool withNoCheck = false;
    bool extendedProperties = false;
    bool only70 = false;
    bool fullText = false;
    bool includeDependencies = false;
    bool includeUsers = false;
    bool includeLogins = false;

    static Switches decode(const TransferSettings& settings);
};

struct PlannedObject {
    ObjectRef ref;
    std::uint32_t rank = 0;
    std::vector<ObjectRef> uses;  // what it needs to be created (and so must be dropped after it)
};

class ScriptBuilder {
public:
    ScriptBuilder(const model::Server& server, const model::Database& database, const CatalogIndex& index,
                  const Switches& switches, std::string_view newline);

    // The chosen objects, with what they need when IncludeDependencies is on, in their
    // stable order (kind, owner, name, id). Duplicates are scripted once.
    void plan(const std::vector<ObjectRef>& chosen);
    const std::vector<PlannedObject>& planned() const noexcept { return planned_; }

    // Makes every entry. onObject is told before each planned object is described.
    template <class OnObject>
    void build(OnObject&& onObject) {
        emitDatabaseProperties();
        emitPrincipals();
        for (std::size_t i = 0; i < planned_.size(); ++i) {
            onObject(planned_[i], i);
            emitObject(planned_[i]);
        }
        resolvePending();
    }

    std::vector<Entry> creates;
    std::vector<Entry> drops;

    // "Table", "Stored Procedure"...: the kinds as header comments name them.
    static std::string_view kindTitle(ObjectKind kind) noexcept;

private:
    // Emitters (ScriptTables.cpp, ScriptModules.cpp, ScriptSecurity.cpp, ScriptDrops.cpp).
    void emitObject(const PlannedObject& p);
    void emitTable(const PlannedObject& p);
    void emitModule(const PlannedObject& p);
    void emitDefaultOrRule(const PlannedObject& p);
    void emitType(const PlannedObject& p);
    void emitTrigger(const PlannedObject& p, const model::Trigger& trigger, std::string_view parentName, bool parentIsView);
    void emitViewIndexes(const PlannedObject& p);
    void emitFullText(const PlannedObject& p, const model::Table& t, const std::vector<EntryId>& tableDeps);
    const model::Table* foreignKeyTarget(const model::ForeignKey& fk) const;
    // What a script for SQL Server 7.0 leaves out of the table; nothing in other scripts.
    LeftOutFor70 leftOutFor70(const model::Table& t) const;
    // Why a script for SQL Server 7.0 leaves out a view, procedure or trigger ("which calls
    // [dbo].[f]"...), for its comment; empty when it is kept or the script is not for 7.0.
    // Its text would not compile there: it calls a function (7.0 has none), names a column
    // left out of a table it uses, or, for a view, uses a view left out.
    std::string leftOutTextFor70(std::string_view text, const std::vector<model::ObjectId>& uses);
    const std::string& leftOutViewFor70(const model::View& v);
    // ALTER TABLE ... ADD CONSTRAINT ... FOREIGN KEY, and NOCHECK CONSTRAINT when it is disabled;
    // what SQL Server 7.0 lacks goes to comment instead.
    std::string foreignKeyStatement(const model::Table& t, const model::ForeignKey& fk, bool withNoCheck,
                                    std::string& comment) const;
    void emitPrincipals();
    // `onlyWhereItExists`: the object is not created by the script (an encrypted module), so
    // its statements run only where it already exists.
    void emitPermissions(const PlannedObject& p, Group group, EntryId anchor, bool hasAnchor,
                         bool onlyWhereItExists = false);
    struct PropertyTarget {
        std::string_view level2Type;  // "column", "index", "constraint", "trigger" or empty
        std::string_view level2Name;
        const std::vector<model::ExtendedProperty>* properties;
    };
    void emitProperties(const PlannedObject& p, Group group, std::uint8_t sub, EntryId anchor, bool hasAnchor,
                        std::string_view what, const std::vector<PropertyTarget>& targets);
    // The database's own properties, level-less; once, before every object, when the script
    // creates objects.
    void emitDatabaseProperties();
    void emitDrops(const PlannedObject& p);
    void resolvePending();

    // Helpers shared by the emitters.
    EntryId addCreate(Entry entry);
    EntryId addDrop(Entry entry);
    std::string name(const model::SchemaObject& o) const;       // as statements name it
    std::string name(std::string_view owner, std::string_view n) const;
    std::string headerName(std::string_view owner, std::string_view n) const;  // always qualified, comment-safe
    std::string title(const PlannedObject& p) const;             // "Table [dbo].[Orders]", comment-safe
    void needOwner(EntryId entry, std::string_view owner);
    void needPrincipal(EntryId entry, std::string_view principal);
    void needObject(EntryId entry, const model::SchemaObject* object);
    std::string settingsBatch(const model::ModuleSettings& s) const;
    bool isPlanned(const model::SchemaObject* o) const { return plannedIndex_.count(o) != 0; }

    const model::Server& server_;
    const model::Database& database_;
    const CatalogIndex& index_;
    Switches sw_;
    std::string nl_;

    std::vector<PlannedObject> planned_;
    std::unordered_map<const model::SchemaObject*, std::uint32_t> plannedIndex_;
    std::unordered_map<const model::SchemaObject*, EntryId> createEntry_;  // the object's own CREATE
    std::unordered_map<const model::SchemaObject*, EntryId> dropEntry_;
    struct TableParts {
        std::vector<EntryId> keys;  // entries that create the table's unique keys and indexes
    };
    std::unordered_map<const model::SchemaObject*, TableParts> tableParts_;
    std::unordered_map<std::string, EntryId> principalEntry_;  // folded user or role name
    std::unordered_map<std::string, EntryId> loginEntry_;
    std::unordered_map<const model::SchemaObject*, std::string> leftOutViews70_;
    std::optional<EntryId> fullTextDatabase_;
    std::unordered_map<std::string, EntryId> fullTextCatalogs_;

    std::vector<std::pair<EntryId, const model::SchemaObject*>> pendingObjects_;
    std::vector<std::pair<EntryId, const model::Table*>> pendingKeys_;  // foreign keys: the referenced table's keys
};

}  // namespace sqldmo::script
