// The order in which the rows of tables are scripted: the selected tables and, when dependent
// objects are scripted, the user tables they depend on, parents first. Names are bracketed as
// "[owner].[name]" with every "]" inside a part doubled, the form the scripting component's
// Dependencies list and the catalogue lookups take.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <vector>

namespace sqldmo {
class Server;
}

namespace tavil {

class TDBObjects;

struct TDBDependency {
    std::int32_t Sequence = 0;  // dependency level: parents have lower levels
    QString Name;               // "[owner].[name]"
};

// An ordered list that owns its entries.
class TDBDependencies {
public:
    void Add(TDBDependency* item);
    void Add(std::unique_ptr<TDBDependency> item);
    // Position of the first entry whose Name equals item's exactly (letter case included), or -1.
    int IndexOf(const TDBDependency& item) const;
    // By Sequence ascending; equal sequences by Name in the locale's case-sensitive order.
    void Sort();
    int Count() const { return static_cast<int>(items_.size()); }
    TDBDependency* Items(int index) const;  // 0-based; throws std::out_of_range outside

private:
    std::vector<std::unique_ptr<TDBDependency>> items_;
};

// "[" owner "].[" name "]" with "]" doubled in both parts.
QString BracketedName(const QString& owner, const QString& name);

// Fills L with the bracketed names of the tables whose rows are scripted, in order. With
// scriptDependantObjects off only the selected tables are listed (in name order) and the server
// is not asked. Raises EQMException "Unable to list dependencies from the selected tables in
// '%s'." with the layer's message as details.
void ListTableDependencies(sqldmo::Server* server, const QString& databaseName, const TDBObjects& tables,
                           QStringList& L, bool scriptDependantObjects);

// Appends to R the user tables the table depends on, each once (the first finding keeps its
// sequence). Errors of the layer pass through.
void AddTableDependencies(sqldmo::Server* server, const QString& databaseName, const QString& tableName,
                          TDBDependencies& R);

}  // namespace tavil
