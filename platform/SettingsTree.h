// The in-memory tree of one settings hive: keys with ordered subkeys and ordered typed values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
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

// The live entries of a vector of slots in which removed entries are left empty (a null pointer,
// an empty optional) until enough of them gather to be squeezed out at once. Removing one entry
// from the middle of a key of many would otherwise move every later entry and renumber the
// index, which makes a file of many deletions quadratic to read.
template <class Slot, class Ref, Ref (*Project)(const Slot&)>
class LiveSlots {
public:
    using Slots = std::vector<Slot>;

    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::remove_cvref_t<Ref>;
        using difference_type = std::ptrdiff_t;
        using reference = Ref;
        using pointer = const value_type*;

        iterator() = default;
        iterator(typename Slots::const_iterator at, typename Slots::const_iterator end) : at_(at), end_(end) { skip(); }
        Ref operator*() const { return Project(*at_); }
        pointer operator->() const { return &Project(*at_); }
        iterator& operator++()
        {
            ++at_;
            skip();
            return *this;
        }
        iterator operator++(int)
        {
            iterator old = *this;
            ++*this;
            return old;
        }
        bool operator==(const iterator& other) const { return at_ == other.at_; }

    private:
        void skip()
        {
            while (at_ != end_ && !*at_) ++at_;
        }
        typename Slots::const_iterator at_{}, end_{};
    };

    LiveSlots(const Slots& all, std::size_t live) : slots_(&all), live_(live) {}
    iterator begin() const { return {slots_->begin(), slots_->end()}; }
    iterator end() const { return {slots_->end(), slots_->end()}; }
    std::size_t size() const { return live_; }
    bool empty() const { return live_ == 0; }

private:
    const Slots* slots_;
    std::size_t live_;
};

class SettingsKey {
    using ValueEntry = std::pair<std::string, SettingsValue>;
    using ValueSlot = std::optional<ValueEntry>;
    using ChildSlot = std::unique_ptr<SettingsKey>;
    static const ValueEntry& valueOf(const ValueSlot& slot) { return *slot; }
    static const ChildSlot& childOf(const ChildSlot& slot) { return slot; }

public:
    // Subkeys and values in the order they were added; a value set again keeps its place.
    using Children = LiveSlots<ChildSlot, const ChildSlot&, &SettingsKey::childOf>;
    using Values = LiveSlots<ValueSlot, const ValueEntry&, &SettingsKey::valueOf>;

    explicit SettingsKey(std::string name = {}) : name_(std::move(name)) {}
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    const std::string& name() const { return name_; }

    SettingsKey* findChild(std::string_view name) const;
    // The child of that name, created at the end when missing.
    SettingsKey& child(std::string_view name);
    bool removeChild(std::string_view name);
    Children children() const { return {children_, children_.size() - deadChildren_}; }

    // The key at the path below this one, or nullptr.
    SettingsKey* find(const std::vector<std::string>& path);
    // The key at the path, created (with its parents) when missing.
    SettingsKey& make(const std::vector<std::string>& path);

    const SettingsValue* findValue(std::string_view name) const;
    // Replaces the value in place, or appends it when new.
    void setValue(std::string_view name, SettingsValue value);
    bool removeValue(std::string_view name);
    void clearValues();
    Values values() const { return {values_, values_.size() - deadValues_}; }

    void clear();
    bool empty() const { return children().empty() && values().empty(); }

private:
    // Squeeze the empty slots out once they outnumber the live ones, so that each removal costs
    // a constant amount on average and the slots stay within twice the live entries.
    void compactChildren();
    void compactValues();

    std::string name_;
    std::vector<ChildSlot> children_;  // null: removed
    std::size_t deadChildren_ = 0;
    std::unordered_map<std::string, std::size_t> childIndex_;  // folded name -> position
    std::vector<ValueSlot> values_;  // empty: removed
    std::size_t deadValues_ = 0;
    std::unordered_map<std::string, std::size_t> valueIndex_;  // name -> position
};

}  // namespace tavil::platform
