#pragma once

#include "ItemsSearch.h"
#include "ListItem.h"
#include "ProgressThrottle.h"
#include "Row.h"
#include "SearchEditingSource.h"
#include "tasks/TaskWorker.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

class NotificationCenter;

// Runs one search (task 244) over private copies of a search object and a
// list item: each criterion in turn collects matching rows into the result
// or drops them from it; the result goes out as "developItemsSearchNotif".
// The copies share the rows copy-on-write, so the caller may go on editing.
class WritingForSearchObject : public TaskWorker
{
public:
    WritingForSearchObject();
    ~WritingForSearchObject() override;

    void run(const QVariantMap &task) override;

    // Reports and the result go here instead of the default centre; not owned.
    void setNotificationCenter(NotificationCenter *center) { m_center = center; }

    // Takes the task's copies and searches; true when a result was delivered.
    bool registerForSearchObject(const QVariantMap &task);
    // Applies every criterion in order; true when a result was delivered.
    bool makeSearchObject();
    // Appends the rows of `rows` whose cell under category matches.
    bool addSearchCategory(const QString &category, const QString &keyword, const RowList &rows);
    // Replaces the result by the rows of `rows` whose cell does not match.
    bool removeSearchCategory(const QString &category, const QString &keyword, const RowList &rows);
    // Every ","- then " "-separated piece of keyword occurs in text, ignoring
    // case. An empty text, keyword or piece never matches.
    static bool targetedString(QStringView text, const QString &keyword);

    // Posts "notifIndicatorStepOfSearch".
    void indicatorAtStep(int step, double count, const QString &message);

    const SearchEditingSource &searchEditingSource() const { return m_searchEditingSource; }
    const ItemsSearch &itemsSearch() const { return m_itemsSearch; }
    const ListItem &listItem() const { return m_listItem; }
    qint32 cachesFolderID() const { return m_cachesFolderID; }
    void registerCachesFolderID(qint32 identifier) { m_cachesFolderID = identifier; }
    const RowList &objectArray() const { return m_objectArray; }
    bool registerObjectArray(const RowList &rows);
    // The list rows of objectArray, in its order.
    const QList<qsizetype> &objectRows() const { return m_objectRows; }
    qint64 itemsCount() const { return m_itemsCount; }
    double searchCount() const { return m_searchCount; }

private:
    class Keyword;
    enum class Walk { Collect, Exclude };
    // `indices` are the list rows of `rows`; null when `rows` is the whole list.
    bool walkRows(Walk walk, const QString &category, const QString &keyword, const RowList &rows,
                  const QList<qsizetype> *indices);
    NotificationCenter &center() const;

    SearchEditingSource m_searchEditingSource;
    ItemsSearch m_itemsSearch;
    ListItem m_listItem;
    qint32 m_cachesFolderID = 0;
    RowList m_objectArray;
    QList<qsizetype> m_objectRows;
    // Row visits of the whole search (rows x criteria); 64 bits so that a
    // long list with many criteria cannot overflow.
    qint64 m_itemsCount = 0;
    double m_searchCount = 0.0;
    ProgressThrottle m_throttle{0};
    NotificationCenter *m_center = nullptr;
};
