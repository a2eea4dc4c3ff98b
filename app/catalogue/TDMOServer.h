// The program's view of a server's catalogue: TDMOInterface (whether the management layer can be
// used at all, and which servers can be reached) and TDMOServer (one open catalogue connection:
// databases, the objects of each kind, the login's default database, the version, existence
// checks). Listing and connecting raise EQMException (severity 1) whose details are the layer's
// own message; the existence checks never raise.
#pragma once

#include "app/support/EQMException.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <memory>

namespace sqldmo {
class Server;
}

namespace tavil {

class TDMOInterface {
public:
    // Available is true when a server object of the management layer could be created.
    TDMOInterface();

    bool Available = false;

    // Clears L and fills it with the servers that can be reached: those the configuration names,
    // or, only when there are none, the first instance installed on this machine. Raises
    // "Unable to list available SQL Servers.".
    void ListServers(QStringList& L) const;
};

class TDMOServer {
public:
    // The seven object kinds, in the program's fixed order.
    enum Kind { KindTables, KindViews, KindStoredProcs, KindDefaults, KindRules, KindTypes, KindFunctions };
    static constexpr int KindCount = 7;

    // Opens the connection with the options' timeouts and packet size. Raises "Unable to open
    // '%s' SQL Server." with the server's message as details.
    TDMOServer(const QString& ServerName, bool WindowsAuthentication, const QString& Username,
               const QString& Password);
    ~TDMOServer();
    TDMOServer(const TDMOServer&) = delete;
    TDMOServer& operator=(const TDMOServer&) = delete;

    QString ServerName;
    QString Username;  // empty with Windows authentication
    QString Password;  // empty with Windows authentication
    bool WindowsAuthentication = false;
    std::unique_ptr<sqldmo::Server> DMOServer;  // connected

    // Every database of the server, system databases included, in the server's order.
    void ListDatabases(QStringList& L) const;

    // L is cleared and gets one entry name "=" owner per object name, in collection order; a
    // later object of the same name (letter case ignored) replaces the owner of the earlier entry
    // in its place. System tables, views and procedures are left out. What was added before an
    // error stays in L.
    void ListTables(const QString& Database, QStringList& L) const;
    void ListViews(const QString& Database, QStringList& L) const;
    void ListStoredProcedures(const QString& Database, QStringList& L) const;
    void ListDefaults(const QString& Database, QStringList& L) const;
    void ListRules(const QString& Database, QStringList& L) const;
    void ListUserDefinedDatatypes(const QString& Database, QStringList& L) const;
    void ListUserDefinedFunctions(const QString& Database, QStringList& L) const;
    // The same for a kind given by number (0 … 6).
    void ListObjects(int kind, const QString& Database, QStringList& L) const;

    // Every object of a kind as (name, owner), in collection order, objects of the same name
    // under different owners each on their own (system tables, views and procedures left out).
    // Raises the kind's listing error.
    QList<QPair<QString, QString>> ObjectOwners(int kind, const QString& Database) const;

    // The default database of the connection's login. The layer's error passes through.
    QString DefaultDatabase() const;
    // 8 for SQL Server 2000, 7 for SQL Server 7.0. The layer's error passes through.
    int GetVersionMajor() const;

    // True when the database (or the object of the kind in it) can be looked up; otherwise false
    // and the layer's message in ErrorText. Never raise. Name is passed to the layer as given:
    // "name", "owner.name" or "[owner].[name]".
    bool DatabaseExists(const QString& Database, QString& ErrorText) const;
    bool TableExists(const QString& Database, const QString& Name, QString& ErrorText) const;
    bool ViewExists(const QString& Database, const QString& Name, QString& ErrorText) const;
    bool StoredProcedureExists(const QString& Database, const QString& Name, QString& ErrorText) const;
    bool DefaultExists(const QString& Database, const QString& Name, QString& ErrorText) const;
    bool RuleExists(const QString& Database, const QString& Name, QString& ErrorText) const;
    bool UserDefinedDatatypeExists(const QString& Database, const QString& Name, QString& ErrorText) const;
    bool UserDefinedFunctionExists(const QString& Database, const QString& Name, QString& ErrorText) const;
    bool ObjectExists(int kind, const QString& Database, const QString& Name, QString& ErrorText) const;

private:
    template <class Visit>
    void walk(int kind, const QString& Database, Visit&& visit) const;
};

// A snapshot server named with a relative path ("file:shop.snapshot") made absolute against
// folder ("~/" stands for the home folder); any other server name is returned unchanged.
QString ResolveServerName(const QString& serverName, const QString& folder);

// The server name of a command file as the runs connect to it: a relative snapshot path is
// taken from the command file's folder (a file never saved keeps the name as it is).
QString CommandFileServerName(const QString& serverName, const QString& commandFileName);

// The text of any exception as the program shows it in details: the layer's description, an
// EQMException's message, what() of anything else.
QString ErrorText(const std::exception& e);

}  // namespace tavil
