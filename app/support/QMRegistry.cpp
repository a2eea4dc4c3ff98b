// Registry helpers of the program over the settings store; none of them raises.
#include "app/support/QMRegistry.h"

#include <bit>
#include <cstdint>

namespace tavil {

namespace {

platform::SettingsStore& store(Hive root) { return platform::SettingsStore::hive(root); }
std::string utf8(const QString& s) { return s.toStdString(); }
std::string joinKey(const QString& key, const QString& subKey) { return utf8(key + QLatin1Char('\\') + subKey); }

}  // namespace

QString RegReadString(Hive root, const QString& key, const QString& valueName, const QString& defaultValue)
{
    try {
        if (auto v = store(root).readString(utf8(key), utf8(valueName))) return QString::fromStdString(*v);
    } catch (...) {
    }
    return defaultValue;
}

bool RegReadBool(Hive root, const QString& key, const QString& valueName, bool defaultValue)
{
    try {
        if (auto v = store(root).readDword(utf8(key), utf8(valueName))) return *v != 0;
    } catch (...) {
    }
    return defaultValue;
}

int RegReadInteger(Hive root, const QString& key, const QString& valueName, int defaultValue)
{
    try {
        if (auto v = store(root).readDword(utf8(key), utf8(valueName))) return std::bit_cast<std::int32_t>(*v);
    } catch (...) {
    }
    return defaultValue;
}

QStringList RegReadValueNames(Hive root, const QString& key, const QString& subKey)
{
    QStringList names;
    try {
        for (const std::string& name : store(root).valueNames(joinKey(key, subKey))) names << QString::fromStdString(name);
    } catch (...) {
    }
    return names;
}

bool RegWriteString(Hive root, const QString& key, const QString& valueName, const QString& value)
{
    try {
        return store(root).writeString(utf8(key), utf8(valueName), utf8(value));
    } catch (...) {
        return false;
    }
}

bool RegWriteBool(Hive root, const QString& key, const QString& valueName, bool value)
{
    try {
        return store(root).writeDword(utf8(key), utf8(valueName), value ? 1u : 0u);
    } catch (...) {
        return false;
    }
}

bool RegWriteInteger(Hive root, const QString& key, const QString& valueName, int value)
{
    try {
        return store(root).writeDword(utf8(key), utf8(valueName), std::bit_cast<std::uint32_t>(static_cast<std::int32_t>(value)));
    } catch (...) {
        return false;
    }
}

bool RegWriteValueNames(Hive root, const QString& key, const QString& subKey, const QStringList& names)
{
    try {
        platform::SettingsStore& s = store(root);
        const std::string sub = joinKey(key, subKey);
        bool ok = true;
        {
            platform::SettingsStore::Batch batch(s);
            ok = s.createKey(utf8(key));
            s.deleteKeyTree(sub);  // false when it was not there: nothing to delete
            ok = s.createKey(sub) && ok;
            for (const QString& name : names) ok = s.writeString(sub, utf8(name), std::string()) && ok;
        }
        return ok && !s.hasUnwrittenChanges();
    } catch (...) {
        return false;
    }
}

bool RegValueExists(Hive root, const QString& key, const QString& valueName)
{
    try {
        return store(root).valueExists(utf8(key), utf8(valueName));
    } catch (...) {
        return false;
    }
}

void RegListValueNames(Hive root, const QString& key, QStringList& names)
{
    try {
        for (const std::string& name : store(root).valueNames(utf8(key))) names << QString::fromStdString(name);
    } catch (...) {
    }
}

void RegDeleteValues(Hive root, const QString& key)
{
    try {
        store(root).deleteAllValues(utf8(key));
    } catch (...) {
    }
}

TQMRegistryBatch::TQMRegistryBatch(Hive root) : batch_(nullptr)
{
    try {
        batch_ = new platform::SettingsStore::Batch(store(root));
    } catch (...) {
    }
}

TQMRegistryBatch::~TQMRegistryBatch() { delete batch_; }

}  // namespace tavil
