// The Scripter's lists: Dependencies (texts) and the seven DatabaseObjects lists (owner/name
// pairs). Insertion order, no keys, duplicates kept, nothing removed. Counts and indexes are
// 16-bit: Count fails with an overflow past 32,767 entries, Item outside 1..Count with
// "Subscript out of range".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "component/ComError.h"
#include "component/KorvaInterface.h"

namespace korva::detail {

template <class T>
class OrderedList {
public:
    void add(T item) { items_.push_back(std::move(item)); }
    std::int16_t count() const {
        if (items_.size() > 32767)
            throw ComError(errors::Overflow, kComponentSource,
                           "Overflow: the list holds " + std::to_string(items_.size()) +
                               " entries, more than 32,767.");
        return static_cast<std::int16_t>(items_.size());
    }
    const T& item(std::int16_t index) const {
        if (index < 1 || static_cast<std::size_t>(index) > items_.size())
            throw ComError(errors::SubscriptOutOfRange, kComponentSource,
                           "Subscript out of range: index " + std::to_string(index) + " of a list of " +
                               std::to_string(items_.size()) + " entries.");
        return items_[static_cast<std::size_t>(index) - 1];
    }
    const std::vector<T>& items() const noexcept { return items_; }

private:
    std::vector<T> items_;
};

// One owner/name pair.
struct DatabaseObject {
    std::u16string Owner;
    std::u16string Name;
};

// DatabaseObjects: private, so a plain class without an interface.
class DatabaseObjects : public OrderedList<DatabaseObject> {
public:
    void Add(const std::u16string& owner, const std::u16string& name) {
        DatabaseObject object;
        object.Owner = owner;
        object.Name = name;
        add(std::move(object));
    }
};

class DependenciesObject final : public IDependencies {
public:
    HResult Add(const std::u16string& TableName) override {
        return guarded([&] { list_.add(TableName); });
    }
    HResult Item(std::int16_t Index, std::u16string* result) override {
        return guarded([&] { out(result) = list_.item(Index); });
    }
    HResult Count(std::int16_t* result) override {
        return guarded([&] { out(result) = list_.count(); });
    }
    const OrderedList<std::u16string>& list() const noexcept { return list_; }

private:
    OrderedList<std::u16string> list_;
};

}  // namespace korva::detail
