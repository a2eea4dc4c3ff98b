// Registry helpers of the program over the settings store. They open the key themselves, never
// raise, and a read that cannot be done gives the caller's default.
#pragma once

#include "platform/SettingsStore.h"

#include <QString>
#include <QStringList>

namespace tavil {

using platform::Hive;

// The value's text; the default when the key or value is missing or the value is not a string.
QString RegReadString(Hive root, const QString& key, const QString& valueName, const QString& defaultValue);
// A stored integer is true when non-zero; the default when missing or not an integer.
bool RegReadBool(Hive root, const QString& key, const QString& valueName, bool defaultValue);
// The stored 32-bit integer (two's complement); the default when missing or not an integer.
int RegReadInteger(Hive root, const QString& key, const QString& valueName, int defaultValue);
// The value names of key\subKey in the order they were written; empty when either is missing.
QStringList RegReadValueNames(Hive root, const QString& key, const QString& subKey);

// Writes create the key when missing. They return whether the value reached the store's file;
// callers may ignore it, as the program does.
bool RegWriteString(Hive root, const QString& key, const QString& valueName, const QString& value);
bool RegWriteBool(Hive root, const QString& key, const QString& valueName, bool value);  // 1 or 0
bool RegWriteInteger(Hive root, const QString& key, const QString& valueName, int value);
// Deletes key\subKey with all it holds, creates it again and writes one empty string value per
// entry, named by the entry, in list order. Written to the file once.
bool RegWriteValueNames(Hive root, const QString& key, const QString& subKey, const QStringList& names);

// False when the key cannot be opened.
bool RegValueExists(Hive root, const QString& key, const QString& valueName);
// Appends the key's value names to the list.
void RegListValueNames(Hive root, const QString& key, QStringList& names);
// Deletes every value of an existing key; its subkeys stay.
void RegDeleteValues(Hive root, const QString& key);

// Groups the writes made during its lifetime into one write of the hive's file.
class TQMRegistryBatch {
public:
    explicit TQMRegistryBatch(Hive root);
    ~TQMRegistryBatch();
    TQMRegistryBatch(const TQMRegistryBatch&) = delete;
    TQMRegistryBatch& operator=(const TQMRegistryBatch&) = delete;

private:
    platform::SettingsStore::Batch* batch_;
};

}  // namespace tavil
