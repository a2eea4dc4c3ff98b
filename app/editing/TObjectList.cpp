// The object list of the command-file editors.
#include "app/editing/TObjectList.h"

#include "app/editing/TEditingImages.h"

#include <QCollator>
#include <QHeaderView>
#include <QLocale>

namespace tavil {

namespace {

constexpr int kKindRole = Qt::UserRole + 1;

class TObjectItem : public QTreeWidgetItem {
public:
    TObjectItem(const QString& name, const QString& owner, int kind) : QTreeWidgetItem(QStringList{name, owner})
    {
        setIcon(0, ObjectImage(kind));
        setData(0, kKindRole, kind);
        setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    }

    bool operator<(const QTreeWidgetItem& other) const override
    {
        const auto* list = qobject_cast<const TObjectList*>(treeWidget());
        if (list && list->KindFirst()) {
            const int a = TObjectList::Kind(this);
            const int b = TObjectList::Kind(&other);
            if (a != b) return a < b;
        }
        return TObjectList::CompareNames(text(0), other.text(0)) < 0;
    }
};

}  // namespace

TObjectList::TObjectList(const QString& nameHeader, int nameWidth, int ownerWidth, QWidget* parent, bool kindFirst)
    : QTreeWidget(parent), kindFirst_(kindFirst)
{
    setColumnCount(2);
    setHeaderLabels({nameHeader, QStringLiteral("Owner")});
    setColumnWidth(0, nameWidth);
    setColumnWidth(1, ownerWidth);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    setDragEnabled(false);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
}

void TObjectList::FitNameColumn()
{
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    header()->setSectionResizeMode(1, QHeaderView::Fixed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QTreeWidgetItem* TObjectList::AddObject(const QString& name, const QString& owner, int kind)
{
    auto* item = new TObjectItem(name, owner, kind);
    addTopLevelItem(item);
    return item;
}

void TObjectList::SortRows()
{
    sortItems(0, Qt::AscendingOrder);
}

bool TObjectList::ContainsObject(const QString& name, const QString& owner) const
{
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = topLevelItem(i);
        if (SameObject(Name(row), Owner(row), name, owner)) return true;
    }
    return false;
}

int TObjectList::Kind(const QTreeWidgetItem* item)
{
    return item->data(0, kKindRole).toInt();
}

bool TObjectList::SameObject(const QString& name1, const QString& owner1, const QString& name2, const QString& owner2)
{
    return name1.compare(name2, Qt::CaseInsensitive) == 0 && owner1.compare(owner2, Qt::CaseInsensitive) == 0;
}

int TObjectList::CompareNames(const QString& a, const QString& b)
{
    // The collator orders letters alphabetically whatever their case, the case only breaking
    // ties; the plain comparison settles what the collator sees as equal.
    static const QCollator collator = [] {
        // The C locale orders by code point, capitals before every small letter; names are
        // put in dictionary order there as in English.
        QLocale locale;
        if (locale.language() == QLocale::C) locale = QLocale(QLocale::English, QLocale::UnitedStates);
        QCollator c{locale};
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    const int r = collator.compare(a, b);
    return r != 0 ? r : QString::compare(a, b);
}

}  // namespace tavil
