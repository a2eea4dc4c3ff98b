// The in-memory tree of one settings hive.
#include "platform/SettingsTree.h"

namespace tavil::platform {

std::string foldKeyName(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool isValidUtf8(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra = 0;
        std::uint32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra) return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

bool isValidKeyName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxKeyNameLength) return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\') return false;
    return isValidUtf8(name);
}

bool isValidValueName(std::string_view name)
{
    if (name.size() > kMaxValueNameLength) return false;
    for (char c : name)
        if (c == '\0' || c == '\n' || c == '\r') return false;
    return isValidUtf8(name);
}

std::optional<std::vector<std::string>> splitKeyPath(std::string_view path)
{
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    std::vector<std::string> parts;
    if (path.empty()) return parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t sep = path.find('\\', start);
        const std::string_view part = path.substr(start, sep == std::string_view::npos ? sep : sep - start);
        if (!isValidKeyName(part) || parts.size() == kMaxKeyDepth) return std::nullopt;
        parts.emplace_back(part);
        if (sep == std::string_view::npos) break;
        start = sep + 1;
    }
    return parts;
}

SettingsKey* SettingsKey::findChild(std::string_view name) const
{
    const auto it = childIndex_.find(foldKeyName(name));
    return it == childIndex_.end() ? nullptr : children_[it->second].get();
}

SettingsKey& SettingsKey::child(std::string_view name)
{
    std::string folded = foldKeyName(name);
    if (const auto it = childIndex_.find(folded); it != childIndex_.end()) return *children_[it->second];
    children_.push_back(std::make_unique<SettingsKey>(std::string(name)));
    childIndex_.emplace(std::move(folded), children_.size() - 1);
    return *children_.back();
}

bool SettingsKey::removeChild(std::string_view name)
{
    const auto it = childIndex_.find(foldKeyName(name));
    if (it == childIndex_.end()) return false;
    children_[it->second].reset();
    childIndex_.erase(it);
    ++deadChildren_;
    if (deadChildren_ * 2 > children_.size()) compactChildren();
    return true;
}

SettingsKey* SettingsKey::find(const std::vector<std::string>& path)
{
    SettingsKey* key = this;
    for (const std::string& part : path) {
        key = key->findChild(part);
        if (!key) return nullptr;
    }
    return key;
}

SettingsKey& SettingsKey::make(const std::vector<std::string>& path)
{
    SettingsKey* key = this;
    for (const std::string& part : path) key = &key->child(part);
    return *key;
}

const SettingsValue* SettingsKey::findValue(std::string_view name) const
{
    const auto it = valueIndex_.find(std::string(name));
    return it == valueIndex_.end() ? nullptr : &values_[it->second]->second;
}

void SettingsKey::setValue(std::string_view name, SettingsValue value)
{
    std::string key(name);
    if (const auto it = valueIndex_.find(key); it != valueIndex_.end()) {
        values_[it->second]->second = std::move(value);
        return;
    }
    values_.emplace_back(std::in_place, key, std::move(value));
    valueIndex_.emplace(std::move(key), values_.size() - 1);
}

bool SettingsKey::removeValue(std::string_view name)
{
    const auto it = valueIndex_.find(std::string(name));
    if (it == valueIndex_.end()) return false;
    values_[it->second].reset();
    valueIndex_.erase(it);
    ++deadValues_;
    if (deadValues_ * 2 > values_.size()) compactValues();
    return true;
}

void SettingsKey::clearValues()
{
    values_.clear();
    deadValues_ = 0;
    valueIndex_.clear();
}

void SettingsKey::clear()
{
    children_.clear();
    deadChildren_ = 0;
    childIndex_.clear();
    clearValues();
}

void SettingsKey::compactChildren()
{
    std::size_t kept = 0;
    for (ChildSlot& slot : children_) {
        if (!slot) continue;
        childIndex_.find(foldKeyName(slot->name()))->second = kept;
        if (&children_[kept] != &slot) children_[kept] = std::move(slot);
        ++kept;
    }
    children_.resize(kept);
    deadChildren_ = 0;
}

void SettingsKey::compactValues()
{
    std::size_t kept = 0;
    for (ValueSlot& slot : values_) {
        if (!slot) continue;
        valueIndex_.find(slot->first)->second = kept;
        if (&values_[kept] != &slot) values_[kept] = std::move(slot);
        ++kept;
    }
    values_.resize(kept);
    deadValues_ = 0;
}

}  // namespace tavil::platform
