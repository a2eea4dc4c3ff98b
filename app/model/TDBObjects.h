// An ordered, owning list of TDBObject: keeps the order of adding and accepts duplicates.
#pragma once

#include "app/model/TDBObject.h"

#include <memory>
#include <vector>

namespace tavil {

class TDBObjects {
public:
    TDBObjects() = default;
    TDBObjects(const TDBObjects&) = delete;
    TDBObjects& operator=(const TDBObjects&) = delete;

    // The list owns its objects and frees them on Clear and on destruction; always true.
    const bool OwnsObjects = true;

    int Count() const { return static_cast<int>(items_.size()); }

    // The object at 0 … Count() − 1, still owned by the list; throws std::out_of_range outside.
    TDBObject* Items(int index) const;

    // Appends the object and takes ownership of it; returns its position. A null object throws
    // std::invalid_argument.
    int Add(TDBObject* object);
    int Add(std::unique_ptr<TDBObject> object);

    // Frees every object and empties the list.
    void Clear() { items_.clear(); }

    void Reserve(int count) { items_.reserve(static_cast<size_t>(count)); }

private:
    std::vector<std::unique_ptr<TDBObject>> items_;
};

}  // namespace tavil
