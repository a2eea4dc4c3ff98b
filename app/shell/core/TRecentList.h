// A recent-file list: most recent first, no two entries equal when letter case is ignored, at
// most Maximum entries, kept as the value names of AppKey\Storage\<subkey>.
#pragma once

#include <QString>
#include <QStringList>

namespace tavil {

class TRecentList {
public:
    // subKey: "MRU" for command files, "MRUScripts" for scripts.
    explicit TRecentList(QString subKey, int maximum = 10);

    const QStringList& Items() const { return items_; }
    bool IsEmpty() const { return items_.isEmpty(); }
    int Maximum() const { return maximum_; }
    const QString& SubKey() const { return subKey_; }

    // Sets the maximum (at least 1) and drops the entries beyond it, in memory only.
    void SetMaximum(int maximum);
    // Puts the path on top (replacing an entry equal to it), trims, and writes the list.
    void Add(const QString& path);
    // Deletes the entry equal to the path and writes the list; nothing when there is none.
    void Remove(const QString& path);
    // Moves the entry equal to the path to the top, in memory only.
    void MoveToTop(const QString& path);
    // Index of the entry equal to the path ignoring letter case, or -1.
    int IndexOf(const QString& path) const;

    // Replaces the list by the stored value names (up to the maximum). A missing key gives an
    // empty list.
    void Load();
    // Rewrites the stored list. Failures are ignored.
    void Save() const;

    // The menu caption of entry `index` (from 0): "&1 " to "&9 ", "&A " to "&Z ", then no
    // accelerator.
    static QString MenuCaption(int index, const QString& path);
    // The store key the list's subkey lives under: AppKey + "\Storage".
    static QString StorageKey();

private:
    void trim();

    QString subKey_;
    int maximum_;
    QStringList items_;
};

}  // namespace tavil
