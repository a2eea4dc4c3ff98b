// A settings store with registry semantics: hives of keys and subkeys holding string and
// 32-bit integer values, kept in one `.reg` text file per hive in the user's configuration folder.
#pragma once

#include "platform/SettingsTree.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tavil::platform {

enum class Hive { LocalMachine, CurrentUser, ClassesRoot };

// One hive. Key paths are separated by "\" (a leading or trailing "\" is ignored, an empty part
// in the middle makes the path invalid); key names compare case-insensitively for ASCII letters
// and keep the case they were first written with. Value names compare exactly (they may hold file
// names); the empty value name is the key's default value. Values enumerate in the order they
// were first written; so do subkeys.
//
// The file is read when the hive is first used, and again whenever another process has replaced
// it. Every change is written at once: under a lock on "<file>.lock" the file is read again, the
// changes of this process are replayed onto what it holds now, and the result is written to a
// temporary file that is renamed over the old one. Two processes writing at once therefore keep
// each other's values. A change that cannot be written stays in memory (this process sees it)
// and is written with the next change or flush(); the call that made it returns false.
//
// A damaged file (unreadable lines, binary data, a missing header) is read as far as it can be,
// renamed aside to "<file>.damaged-<time>" and replaced by a good file with what was read.
//
// Nothing here throws except std::bad_alloc. All members may be called from any thread.
class SettingsStore {
public:
    // The process-wide store of a hive, kept in defaultFilePath(hive).
    static SettingsStore& hive(Hive which);
    // Re-resolves the file of every process-wide store from the environment and drops what they
    // had read (changes not yet written are lost). For tests that point XDG_CONFIG_HOME elsewhere.
    static void reopenAll();

    // "$XDG_CONFIG_HOME/quillomere/<hive>.reg" (XDG_CONFIG_HOME defaults to ~/.config).
    static std::string defaultFilePath(Hive which);
    // The hive's name as it heads the file's sections: "HKEY_LOCAL_MACHINE" ...
    static std::string rootName(Hive which);

    // A store over a file of one's own (tests, tools). Nothing is read until first use.
    SettingsStore(Hive which, std::string filePath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // Reads: nothing when the key or value is missing, or the value holds another type.
    std::optional<std::string> readString(const std::string& key, const std::string& name);
    std::optional<std::uint32_t> readDword(const std::string& key, const std::string& name);
    std::optional<SettingsValue> readValue(const std::string& key, const std::string& name);
    bool valueExists(const std::string& key, const std::string& name);
    // Empty when the key is missing.
    std::vector<std::string> valueNames(const std::string& key);
    std::vector<std::string> subKeyNames(const std::string& key);
    bool keyExists(const std::string& key);

    // Writes create the key and its parents when missing. They return false when the path or
    // name is invalid (not UTF-8, control characters in names, too long or too deep), when there
    // was nothing to delete, or when the change could not be written to the file yet.
    bool writeString(const std::string& key, const std::string& name, const std::string& value);
    bool writeDword(const std::string& key, const std::string& name, std::uint32_t value);
    bool createKey(const std::string& key);
    bool deleteValue(const std::string& key, const std::string& name);
    // Deletes every value of the key; its subkeys stay.
    bool deleteAllValues(const std::string& key);
    // Deletes the key with everything below it. The hive's root cannot be deleted.
    bool deleteKeyTree(const std::string& key);

    // Drops what was read and reads the file again (changes not yet written are kept).
    void reload();
    // Writes changes that could not be written before; true when none are left.
    bool flush();
    bool hasUnwrittenChanges() const;

    Hive hiveId() const { return hive_; }
    std::string filePath() const;
    // Where the last damaged file was kept aside; empty when none was found.
    std::string damagedCopy() const;

    // Within a batch, changes are collected and written once, when the outermost batch of this
    // store ends. Reads inside the batch see the changes.
    class Batch {
    public:
        explicit Batch(SettingsStore& store);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        SettingsStore& store_;
    };

    // Defined in the implementation only.
    struct State;
    struct Op;

private:
    bool change(Op op);
    void reset(std::string filePath);

    Hive hive_;
    mutable std::mutex mutex_;
    std::unique_ptr<State> state_;
};

}  // namespace tavil::platform
