// One object of a command file: an owner (schema) and a name.
#pragma once

#include <QString>

namespace tavil {

class TDBObject {
public:
    TDBObject() = default;
    TDBObject(const QString& owner, const QString& name) : Owner(owner), Name(name) {}

    // Splits "owner.name" at the first "."; the name may itself hold dots. A text without a
    // "." leaves the object unchanged.
    void SetFullName(const QString& fullName);

    // Owner "." name, the form command files store.
    QString FullName() const { return Owner + QLatin1Char('.') + Name; }

    QString Owner;
    QString Name;
};

}  // namespace tavil
