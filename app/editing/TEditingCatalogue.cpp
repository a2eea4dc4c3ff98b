// Catalogue calls of the command-file editors.
#include "app/editing/TEditingCatalogue.h"

#include "app/catalogue/TDMOServer.h"
#include "app/editing/TObjectList.h"
#include "app/support/EQMException.h"

#include <QComboBox>
#include <algorithm>
#include <exception>

namespace tavil {

const QString kLocalServer = QStringLiteral("(local)");
const QString kDefaultDatabase = QStringLiteral("(default)");

namespace {

std::function<void(QStringList&)>& lister()
{
    static std::function<void(QStringList&)> f;
    return f;
}

}  // namespace

void SetServerLister(std::function<void(QStringList&)> f) { lister() = std::move(f); }

void ListNetworkServers(QStringList& L)
{
    if (lister()) {
        lister()(L);
        return;
    }
    static const TDMOInterface dmo;
    dmo.ListServers(L);
}

QString ResolveDatabaseName(const TDMOServer& server, const QString& name)
{
    if (name.compare(kDefaultDatabase, Qt::CaseInsensitive) != 0) return name;
    try {
        return server.DefaultDatabase();
    } catch (const EQMException&) {
        throw;
    } catch (const std::exception& e) {
        // The layer's own error would otherwise reach the error handler as an unexpected one,
        // which ends the program.
        throw EQMException(
            QStringLiteral("Unable to find the default database of the login in '%1' SQL Server.").arg(server.ServerName),
            EQMException::Warning, ErrorText(e));
    }
}

int ServerVersionMajor(const TDMOServer& server)
{
    try {
        return server.GetVersionMajor();
    } catch (const EQMException&) {
        throw;
    } catch (const std::exception& e) {
        throw EQMException(QStringLiteral("Unable to read the version of '%1' SQL Server.").arg(server.ServerName),
                           EQMException::Warning, ErrorText(e));
    }
}

QList<QPair<QString, QString>> CatalogueObjects(const TDMOServer& server, int kind, const QString& database)
{
    return server.ObjectOwners(kind, database);
}

void FillSorted(QComboBox* box, QStringList texts)
{
    std::stable_sort(texts.begin(), texts.end(),
                     [](const QString& a, const QString& b) { return TObjectList::CompareNames(a, b) < 0; });
    box->clear();
    box->addItems(texts);
}

}  // namespace tavil
