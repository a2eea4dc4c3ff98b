// The in-memory tree of one settings hive: keys with ordered subkeys and ordered typed values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tavil::platform {

enum class SettingsType {
    String,  // REG_SZ: UTF-8 text
    Dword,   // REG_DWORD: a 32-bit number; a negative integer is kept in two's complement
    Raw,     // any other registry type, kept as its `.reg` text ("hex(2):41,00,00,00") so that
             // rewriting a file does not lose it
};

struct SettingsValue {
    SettingsType type = SettingsType::String;
    std::string text;          // String: the text; Raw: the data as written in the file
    std::uint32_t dword = 0;   // Dword

    static SettingsValue string(std::string s) { return {SettingsType::String, std::move(s), 0}; }
    static SettingsValue number(std::uint32_t v) { return {SettingsType::Dword, {}, v}; }
    static SettingsValue raw(std::string s) { return {SettingsType::Raw, std::move(s), 0}; }
    bool operator==(const SettingsValue&) const = default;
};

// Limits of the Windows registry, kept so that a file of ours reads the same everywhere and a
// hostile file cannot nest keys deeply enough to exhaust the stack.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxKeyDepth = 512;
inline constexpr std::size_t kMaxValueNameLength = 16383;

// ASCII letters folded to lower case; other bytes unchanged.
std::string foldKeyName(std::string_view name);
bool isValidUtf8(std::string_view text);
// A key name part: 1..255 bytes of UTF-8 without control characters and without "\".
bool isValidKeyName(std::string_view name);
// A value name: up to 16383 bytes of UTF-8 without NUL, CR or LF (empty = default value).
bool isValidValueName(std::string_view name);
// Splits "A\B\C" into its parts; "" and "\" give the root (no parts). Nothing when a part is
// invalid or the path nests deeper than kMaxKeyDepth.
std::optional<std::vector<std::string>> splitKeyPath(std::string_view path);

class SettingsKey {
public:
    explicit SettingsKey(std::string name = {}) : name_(std::move(name)) {}
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    const std::string& name() const { return name_; }

    SettingsKey* findChild(std::string_view name) const;
    // The child of that name, created at the end when missing.
    SettingsKey& child(std::string_view name);
    bool removeChild(std::string_view name);
    const std::vector<std::unique_ptr<SettingsKey>>& children() const { return children_; }

    // The key at the path below this one, or nullptr.
    SettingsKey* find(const std::vector<std::string>& path);
    // The key at the path, created (with its parents) when missing.
    SettingsKey& make(const std::vector<std::string>& path);

    const SettingsValue* findValue(std::string_view name) const;
    // Replaces the value in place, or appends it when new.
    void setValue(std::string_view name, SettingsValue value);
    bool removeValue(std::string_view name);
    void clearValues();
    const std::vector<std::pair<std::string, SettingsValue>>& values() const { return values_; }

    void clear();
    bool empty() const { return children_.empty() && values_.empty(); }

private:
    void reindexChildren();
    void reindexValues();

    std::string name_;
    std::vector<std::unique_ptr<SettingsKey>> children_;
    std::unordered_map<std::string, std::size_t> childIndex_;  // folded name -> position
    std::vector<std::pair<std::string, SettingsValue>> values_;
    std::unordered_map<std::string, std::size_t> valueIndex_;  // name -> position
};

}  // namespace tavil::platform
