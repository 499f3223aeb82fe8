#pragma once

#include <QString>
#include <QStringList>

// The last packages opened or saved, newest first, kept in the user's
// settings apart from the preferences.
class RecentFiles
{
public:
    static constexpr int kLimit = 10;

    QStringList paths() const;
    void add(const QString &path);
    // Drops packages that are gone.
    void prune();

    // The list after adding path to list: no duplicates, at most kLimit.
    static QStringList withAdded(const QStringList &list, const QString &path);
};
