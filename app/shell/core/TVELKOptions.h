// The thirteen user preferences of the program, their defaults and their place in the settings
// store (AppKey\Options of the application record's hive).
#pragma once

#include <QString>
#include <QStringList>

namespace tavil {

// A plain record: other modules read the fields directly. Construction sets the defaults and
// reads nothing; Load() and Save() never raise and never report a failure.
class TVELKOptions {
public:
    bool SaveWindow = true;
    bool PreventMultiple = false;
    bool PromptOnClose = true;
    bool ShowTips = true;
    int MaxMRU = 10;
    int LoginTimeout = -1;
    int QueryTimeout = 0;
    int BlockingTimeout = -1;
    int NetPacketSize = 4096;
    QString DefaultScriptsPath;
    QString ScriptExtension = QStringLiteral("sql");
    QString EditorFontName = QStringLiteral("Courier New");
    int EditorFontSize = 8;

    // Reads every value from the store on its own. A value that is missing, or stored with a
    // type other than the field's (a string for an integer, say), leaves the field as it is.
    void Load();
    // Writes every value on its own, creating the key when missing; failures are ignored.
    void Save() const;

    // The store key the options live under: AppKey + "\Options".
    static QString RegistryKey();

    // The names of the stored values in load and save order.
    static const QStringList& ValueNames();
};

// The process-wide options object. It holds the defaults until someone calls Load(): the program
// loads it during start-up, headless runs before they read it.
TVELKOptions& VELKOptions();

// The script file filter of open and save dialogs for an extension, in the form Qt's file dialogs
// take: "Script Files (*.sql);;All Files (*)".
QString ScriptFileFilter(const QString& extension);

}  // namespace tavil
