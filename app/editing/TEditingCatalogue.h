// What the command-file editors ask of the catalogue beyond TDMOServer itself: the servers to
// offer, the database a "(default)" stands for, the server's version, and the object pairs of a
// kind. Every failure is an EQMException (severity 1) the application's error handler can show.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

class QComboBox;

namespace tavil {

class TDMOServer;

// The placeholders of the connection fields.
extern const QString kLocalServer;     // "(local)"
extern const QString kDefaultDatabase; // "(default)"

// Fills L with the servers that can be reached (TDMOInterface::ListServers unless a lister was
// set). Raises "Unable to list available SQL Servers.".
void ListNetworkServers(QStringList& L);
// Replaces how servers are found (tests); an empty function brings the catalogue back.
void SetServerLister(std::function<void(QStringList&)> lister);

// The database to list objects in: the name itself, or for "(default)" (letter case ignored)
// the default database of the connection's login. Raises "Unable to find the default database
// of the login in '%s' SQL Server." with the layer's message.
QString ResolveDatabaseName(const TDMOServer& server, const QString& name);

// The server's major version. Raises "Unable to read the version of '%s' SQL Server.".
int ServerVersionMajor(const TDMOServer& server);

// The objects of a kind as (name, owner) pairs in the catalogue's order, every owner's object on
// its own. Raises the kind's listing error.
QList<QPair<QString, QString>> CatalogueObjects(const TDMOServer& server, int kind, const QString& database);

// Replaces a combo box's items by texts in the order of TObjectList::CompareNames.
void FillSorted(QComboBox* box, QStringList texts);

}  // namespace tavil
