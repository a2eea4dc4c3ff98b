// The user's external tools: records of caption, command, parameters and working folder, kept in
// the settings store below AppKey\Tools and started through the desktop.
#pragma once

#include "platform/SettingsStore.h"

#include <QList>
#include <QString>
#include <optional>

namespace tavil {

struct TExternalTool {
    QString Caption;
    QString Command;
    QString Parameters;
    QString WorkingDir;

    // The stored form: the four fields joined by "|".
    QString Joined() const;
    // The record of a stored value: the first three "|" separate the fields, so WorkingDir keeps
    // any further "|". Nothing for an empty value or one with fewer than three "|".
    static std::optional<TExternalTool> Parse(const QString& value);

    bool operator==(const TExternalTool&) const = default;
};

// The ordered list of tools. One instance lives for the life of the program (ExternalTools());
// others may be made over another store location (tests).
class TExternalTools {
public:
    TExternalTools() = default;
    TExternalTools(platform::Hive root, QString key) : root_(root), key_(std::move(key)), own_(true) {}

    // Clears the list and reads it back: values "Tool<n>" in ascending order of n, skipping
    // values that are not records. Never raises; a failure keeps what was read so far.
    void Load();
    // Replaces every value of the key by one value "Tool<i>" per record. Never raises.
    void Save() const;

    // Starts the tool at that position with its parameters and working folder (empty: none);
    // does nothing for a position outside the list. Raises EQMException (severity 1) "Unable to
    // open '%s'." when the program cannot be started.
    void Launch(int index) const;

    QList<TExternalTool> Items;

    // The store location: the application record's hive and AppKey + "\Tools".
    platform::Hive Root() const;
    QString Key() const;

private:
    platform::Hive root_ = platform::Hive::LocalMachine;
    QString key_;
    bool own_ = false;
};

// The program's list.
TExternalTools& ExternalTools();

// Starts a command through the desktop; raises EQMException (severity 1) with `message` and the
// details "Operating System raised an error executing the following command: '<shown>'." when the
// desktop reports failure.
void LaunchCommand(const QString& command, const QString& parameters, const QString& folder, const QString& message,
                   const QString& shown);

}  // namespace tavil
