// A command file in memory: connection, seven object lists in kind order and sixteen switches,
// with the reading and writing of the command-file format. The generation run that feeds a
// TCmdFile to the scripting component lives in app/runs and takes the TCmdFile as an argument.
#pragma once

#include "app/model/TDBConnection.h"
#include "app/model/TDBFormatOptions.h"
#include "app/model/TDBObjects.h"
#include "app/model/TDBOtherOptions.h"
#include "app/model/TDBTableOptions.h"

#include <QByteArray>
#include <QString>

namespace tavil {

class TCmdFile {
public:
    // The seven object kinds, in the fixed order every list, section and step follows.
    enum Kind { KindTables, KindViews, KindStoredProcs, KindDefaults, KindRules, KindTypes, KindFunctions };
    static constexpr int KindCount = 7;

    // A new command file: "Untitled", "(local)", Windows authentication, "(default)", empty
    // lists, and the switches of a new file (ten on, six off).
    TCmdFile();
    TCmdFile(const TCmdFile&) = delete;
    TCmdFile& operator=(const TCmdFile&) = delete;

    // Reads a command file into this object: overwrites the connection and all switches,
    // appends to the object lists, leaves FileName alone. Throws EQMException (severity 1) on a
    // missing, unreadable or rejected file; the object is then untouched.
    void LoadFromFile(const QString& path);

    // The same on the bytes of a file already in memory; path names the file in messages.
    void LoadFromBytes(const QByteArray& content, const QString& path);

    // Writes to FileName / to path and then sets FileName / to path leaving FileName alone.
    // The file is replaced atomically; on failure an EQMException (severity 1) names the file
    // and the cause, and neither the file on disk nor FileName changes.
    void Save();
    void SaveAs(const QString& path);
    void SaveCopyAs(const QString& path);

    // The exact bytes the writer puts in a file. Throws EQMException (severity 1) when a value
    // holds a line break, which the format cannot carry; path names the file in the message.
    QByteArray SaveToBytes(const QString& path = QString()) const;

    // The list of a kind (0 … 6); throws std::out_of_range outside.
    TDBObjects& Objects(int kind);
    const TDBObjects& Objects(int kind) const;

    QString FileName;
    TDBConnection Connection;
    TDBObjects Tables;
    TDBObjects Views;
    TDBObjects StoredProcs;
    TDBObjects Defaults;
    TDBObjects Rules;
    TDBObjects Types;
    TDBObjects Functions;
    TDBTableOptions TableOptions;
    TDBFormatOptions FormatOptions;
    TDBOtherOptions OtherOptions;

private:
    void LoadContent(QByteArray content, const QString& path);
    void WriteToFile(const QString& path) const;
};

}  // namespace tavil
