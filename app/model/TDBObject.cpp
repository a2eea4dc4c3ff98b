// One object of a command file.
#include "app/model/TDBObject.h"

namespace tavil {

void TDBObject::SetFullName(const QString& fullName)
{
    const qsizetype dot = fullName.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return;
    Owner = fullName.left(dot);
    Name = fullName.mid(dot + 1);
}

}  // namespace tavil
