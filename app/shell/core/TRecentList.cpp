// Recent-file lists and their stored form.
#include "app/shell/core/TRecentList.h"

#include "app/support/QMApplication.h"
#include "app/support/QMRegistry.h"

#include <algorithm>

namespace tavil {

TRecentList::TRecentList(QString subKey, int maximum) : subKey_(std::move(subKey)), maximum_(std::max(1, maximum)) {}

QString TRecentList::StorageKey() { return QMApp().AppKey + QStringLiteral("\\Storage"); }

int TRecentList::IndexOf(const QString& path) const
{
    for (int i = 0; i < items_.size(); ++i)
        if (items_[i].compare(path, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void TRecentList::trim()
{
    while (items_.size() > maximum_) items_.removeLast();
}

void TRecentList::SetMaximum(int maximum)
{
    maximum_ = std::max(1, maximum);
    trim();
}

void TRecentList::Add(const QString& path)
{
    const int i = IndexOf(path);
    if (i >= 0) items_.removeAt(i);
    items_.prepend(path);
    trim();
    Save();
}

void TRecentList::Remove(const QString& path)
{
    const int i = IndexOf(path);
    if (i < 0) return;
    items_.removeAt(i);
    Save();
}

void TRecentList::MoveToTop(const QString& path)
{
    const int i = IndexOf(path);
    if (i > 0) items_.move(i, 0);
}

void TRecentList::Load()
{
    items_.clear();
    for (const QString& name : RegReadValueNames(QMApp().RegistryRoot, StorageKey(), subKey_)) {
        if (items_.size() >= maximum_) break;
        // A stored list is written without duplicates; one edited by hand may not be.
        if (IndexOf(name) < 0) items_ << name;
    }
}

void TRecentList::Save() const
{
    const Hive root = QMApp().RegistryRoot;
    TQMRegistryBatch batch(root);
    RegDeleteValues(root, StorageKey() + u'\\' + subKey_);
    RegWriteValueNames(root, StorageKey(), subKey_, items_);
}

QString TRecentList::MenuCaption(int index, const QString& path)
{
    // A menu reads "&" as a mnemonic marker; doubled, the name shows as it is.
    const QString shown = QString(path).replace(u'&', QStringLiteral("&&"));
    if (index >= 0 && index < 9) return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
    if (index >= 9 && index < 35) return QStringLiteral("&%1 %2").arg(QChar(u'A' + (index - 9))).arg(shown);
    return shown;
}

}  // namespace tavil
