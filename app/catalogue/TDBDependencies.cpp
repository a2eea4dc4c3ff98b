// Table dependency order over the management-object layer.
#include "app/catalogue/TDBDependencies.h"

#include "app/catalogue/TDMOServer.h"
#include "app/model/TDBObjects.h"
#include "app/support/EQMException.h"
#include "sqldmo/Error.h"
#include "sqldmo/objects/Sqldmo.h"

#include <algorithm>
#include <stdexcept>

namespace tavil {

namespace {

constexpr std::int32_t kUserTable = 8;

QString quotedPart(QString part) { return part.replace(QLatin1Char(']'), QLatin1String("]]")); }

// The selected table under the catalogue's own spelling of its owner and name. The server finds
// tables whatever their letter case while the list compares names exactly, so a table typed in
// another case than the catalogue's would otherwise be listed, and its rows scripted, twice.
// A table the server does not know keeps the spelling it was given.
QString catalogueName(sqldmo::Server* server, const QString& databaseName, const TDBObject& table)
{
    const QString typed = BracketedName(table.Owner, table.Name);
    if (!server) return typed;
    try {
        const sqldmo::Table t = server->databases().item(databaseName.toStdString()).tables().item(typed.toStdString());
        return BracketedName(QString::fromStdString(t.owner()), QString::fromStdString(t.name()));
    } catch (const sqldmo::Error&) {
        return typed;
    }
}

}  // namespace

QString BracketedName(const QString& owner, const QString& name)
{
    return QLatin1Char('[') + quotedPart(owner) + QLatin1String("].[") + quotedPart(name) + QLatin1Char(']');
}

// ---- TDBDependencies ---------------------------------------------------------------------------

void TDBDependencies::Add(TDBDependency* item) { Add(std::unique_ptr<TDBDependency>(item)); }

void TDBDependencies::Add(std::unique_ptr<TDBDependency> item)
{
    if (!item) throw std::invalid_argument("TDBDependencies::Add: null entry");
    items_.push_back(std::move(item));
}

int TDBDependencies::IndexOf(const TDBDependency& item) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->Name == item.Name) return static_cast<int>(i);
    return -1;
}

void TDBDependencies::Sort()
{
    std::stable_sort(items_.begin(), items_.end(), [](const auto& a, const auto& b) {
        if (a->Sequence != b->Sequence) return a->Sequence < b->Sequence;
        return QString::localeAwareCompare(a->Name, b->Name) < 0;
    });
}

TDBDependency* TDBDependencies::Items(int index) const
{
    if (index < 0 || index >= Count()) throw std::out_of_range("TDBDependencies::Items: index out of range");
    return items_[static_cast<std::size_t>(index)].get();
}

// ---- Ordering ----------------------------------------------------------------------------------

void AddTableDependencies(sqldmo::Server* server, const QString& databaseName, const QString& tableName,
                          TDBDependencies& R)
{
    if (!server) throw EQMException(QStringLiteral("No server connection."), EQMException::Warning);
    sqldmo::Database& db = server->databases().item(databaseName.toStdString());
    const sqldmo::QueryResults q = db.tables().item(tableName.toStdString()).enumDependencies(0);
    for (std::int32_t i = 1; i <= q.rows(); ++i) {
        if (q.getColumnLong(i, 1) != kUserTable) continue;
        auto entry = std::make_unique<TDBDependency>();
        entry->Sequence = q.getColumnLong(i, 4);
        entry->Name = BracketedName(QString::fromStdString(q.getColumnString(i, 3)),
                                    QString::fromStdString(q.getColumnString(i, 2)));
        if (R.IndexOf(*entry) < 0) R.Add(std::move(entry));
    }
}

void ListTableDependencies(sqldmo::Server* server, const QString& databaseName, const TDBObjects& tables,
                           QStringList& L, bool scriptDependantObjects)
{
    try {
        L.clear();
        TDBDependencies R;
        if (scriptDependantObjects)
            for (int i = 0; i < tables.Count(); ++i)
                AddTableDependencies(server, databaseName,
                                     BracketedName(tables.Items(i)->Owner, tables.Items(i)->Name), R);
        // The selected tables come after every table found above, whichever selected table it
        // was found through: a level below the highest would put a parent's rows after the rows
        // that refer to it.
        std::int32_t level = 1;
        for (int i = 0; i < R.Count(); ++i) level = std::max(level, R.Items(i)->Sequence + 1);
        for (int i = 0; i < tables.Count(); ++i) {
            auto entry = std::make_unique<TDBDependency>();
            entry->Sequence = level;
            entry->Name = catalogueName(server, databaseName, *tables.Items(i));
            if (R.IndexOf(*entry) < 0) R.Add(std::move(entry));
        }
        R.Sort();
        for (int i = 0; i < R.Count(); ++i) L.append(R.Items(i)->Name);
    } catch (const std::exception& e) {
        throw EQMException(QStringLiteral("Unable to list dependencies from the selected tables in '%1'.").arg(databaseName),
                           EQMException::Warning, ErrorText(e));
    }
}

}  // namespace tavil
