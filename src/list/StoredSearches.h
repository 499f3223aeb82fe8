#pragma once

#include <QString>
#include <QStringList>

class ListItemsSource;
class SearchEditingSource;

// Storing, recalling and removing the open list's named searches, with the
// work-log entry each leaves in the list's creator record.
class StoredSearches
{
public:
    StoredSearches() = delete;

    // Titles of the open list's stored searches, in title order.
    static QStringList titles(const ListItemsSource &lists);

    // Stores a copy of search under title (replacing one of that title) and
    // logs it: entry 8 when nickname is the list's creator, else 9.
    static bool store(ListItemsSource &lists, const SearchEditingSource &search, const QString &title,
                      const QString &nickname);
    // Copies the stored search into search; false for an unknown title.
    static bool recall(const ListItemsSource &lists, const QString &title, SearchEditingSource &search);
    // Removes the stored search, logs entry 10 or 11 by the same rule and
    // resets search; false for an unknown title.
    static bool remove(ListItemsSource &lists, const QString &title, const QString &nickname,
                       SearchEditingSource &search);
};
