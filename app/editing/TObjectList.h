// The report-style object list of the command-file editors: two columns (name, owner), one row
// per object with the image of its kind, multi-select by whole rows, read-only, kept sorted by
// name with the locale's comparison (optionally by kind first).
#pragma once

#include <QString>
#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace tavil {

class TObjectList : public QTreeWidget {
    Q_OBJECT
public:
    // nameHeader is "Name" in the command-file window, "Object" in the dialogs. With kindFirst the
    // rows are ordered by kind and then by name (lists that hold two kinds).
    TObjectList(const QString& nameHeader, int nameWidth, int ownerWidth, QWidget* parent = nullptr,
                bool kindFirst = false);

    bool KindFirst() const { return kindFirst_; }

    // The name column takes the width the owner column leaves (lists in fixed-size dialogs,
    // whose widths are not kept).
    void FitNameColumn();

    // Appends a row; the list is put in order again by SortRows (callers add in batches).
    QTreeWidgetItem* AddObject(const QString& name, const QString& owner, int kind);
    // Puts the rows in order (stable: equal names keep their order).
    void SortRows();

    int RowCount() const { return topLevelItemCount(); }
    int SelectedCount() const { return static_cast<int>(selectedItems().size()); }
    // Row i in the displayed order.
    QTreeWidgetItem* Row(int i) const { return topLevelItem(i); }
    // Whether a row has this name and owner, letter case ignored.
    bool ContainsObject(const QString& name, const QString& owner) const;

    static QString Name(const QTreeWidgetItem* item) { return item->text(0); }
    static QString Owner(const QTreeWidgetItem* item) { return item->text(1); }
    static int Kind(const QTreeWidgetItem* item);

    // Both names and owners equal, letter case ignored.
    static bool SameObject(const QString& name1, const QString& owner1, const QString& name2, const QString& owner2);
    // The locale's comparison of two names (< 0, 0, > 0), letter case as a tie-breaker.
    static int CompareNames(const QString& a, const QString& b);

private:
    bool kindFirst_;
};

}  // namespace tavil
