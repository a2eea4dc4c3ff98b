// An ordered, owning list of TDBObject.
#include "app/model/TDBObjects.h"

#include <stdexcept>
#include <string>

namespace tavil {

TDBObject* TDBObjects::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw std::out_of_range("TDBObjects::Items: index " + std::to_string(index) + " out of range (Count "
                                + std::to_string(Count()) + ")");
    return items_[static_cast<size_t>(index)].get();
}

int TDBObjects::Add(TDBObject* object)
{
    return Add(std::unique_ptr<TDBObject>(object));
}

int TDBObjects::Add(std::unique_ptr<TDBObject> object)
{
    if (!object)
        throw std::invalid_argument("TDBObjects::Add: null object");
    items_.push_back(std::move(object));
    return Count() - 1;
}

}  // namespace tavil
