#pragma once

#include "DeferredRows.h"
#include "ItemIDIndex.h"
#include "ListChange.h"
#include "Row.h"

#include <QList>
#include <QString>

#include <memory>
#include <mutex>
#include <vector>

class ListNotifier;

// The rows of a list, its current search result (as row numbers into the
// rows, so a shown result is never a stale copy) and what the preview shows.
// Every edit returns what it replaced, so a caller can undo it, and is
// announced through the notifier when the list has one.
//
// Copies share the rows copy-on-write and never take the notifier: a copy is
// a silent snapshot.
class ListRowStore
{
public:
    ListRowStore();
    ~ListRowStore();
    ListRowStore(const ListRowStore &other);
    ListRowStore &operator=(const ListRowStore &other);
    ListRowStore(ListRowStore &&other) noexcept;
    ListRowStore &operator=(ListRowStore &&other) noexcept;

    // The title whose text is a row's item ID.
    void setItemIDTitle(const QString &title);
    const QString &itemIDTitle() const { return m_itemIDTitle; }

    // Rows read from a file are built when first asked for (see
    // DeferredRows): asking for all of them builds all of them, so a caller
    // that needs a few asks for those.
    const RowList &rows() const
    {
        ensureAllRows();
        return m_rows;
    }
    qsizetype rowCount() const { return m_rows.size(); }
    const Row &rowAt(qsizetype row) const
    {
        ensureRow(row);
        return m_rows.at(row);
    }
    bool containsRow(qsizetype row) const { return row >= 0 && row < m_rows.size(); }
    // Replaces every row and drops the search result. `deferred`, when
    // given, builds the rows that are still empty slots.
    void setRows(RowList rows, std::unique_ptr<DeferredRows> deferred = nullptr);
    // The same with the rows of another store, shared, unbuilt ones included.
    void setRowsOf(const ListRowStore &other);

    QStringView itemIDOfRow(qsizetype row) const;
    qsizetype rowOfItemID(QStringView itemID) const;

    // The search result: list rows in the result's order.
    const QList<qsizetype> &searchRows() const { return m_searchRows; }
    // Rows out of range are dropped.
    void setSearchRows(QList<qsizetype> rows);
    bool indicationMode() const { return m_indicationMode; }
    void setIndicationMode(bool state);
    bool showsSearchResult() const { return m_indicationMode && !m_searchRows.isEmpty(); }
    // Position in the search result, -1 when the row is not in it.
    qsizetype searchPositionOfRow(qsizetype row) const;

    qsizetype previewCount() const;
    qsizetype previewRowAt(qsizetype position) const;
    qsizetype previewPositionOfRow(qsizetype row) const;

    // Edits. Each returns what it replaced.
    Row replaceRow(qsizetype row, const Row &value, bool announceIt = true);
    // The row itself, to be changed in place; the caller keeps what it
    // replaces and announces the change. `changesItemID` when the change may
    // touch the row's item ID.
    Row &rowForEdit(qsizetype row, bool changesItemID);
    quint32 setIndication(qsizetype row, quint32 mark);
    QList<quint32> setAllIndications(quint32 mark);
    void restoreIndications(const QList<quint32> &marks);
    void insertRows(qsizetype row, const RowList &rows);
    RowList removeRows(qsizetype row, qsizetype count);
    // The preview takes a new order: position i shows what was at order[i].
    // Answers the inverse order, or nothing when `order` is not a permutation
    // of the preview.
    QList<qsizetype> permutePreview(const QList<qsizetype> &order);
    // The same without working out the inverse: false when not applied.
    bool reorderPreview(const QList<qsizetype> &order);
    // Prepends a list row to the search result.
    void prependSearchRow(qsizetype row);
    bool removeSearchPosition(qsizetype position);

    // Created on first use, on the thread that will receive its signals.
    ListNotifier *notifier();
    void announce(const ListChange &change) const;
    void announce(ListChange::Kind kind, qsizetype first = -1, qsizetype last = -1,
                  qsizetype column = -1) const;

    static QList<qsizetype> inverse(const QList<qsizetype> &order);
    static bool isPermutation(const QList<qsizetype> &order, qsizetype size);

private:
    void ensureRow(qsizetype row) const
    {
        if (m_deferred && !m_deferred->isComplete())
            m_deferred->ensureRow(slots(), row);
    }
    void ensureAllRows() const
    {
        if (m_deferred && !m_deferred->isComplete())
            m_deferred->ensureAll(slots());
    }
    // Before the array is written: a store that shares rows still to be
    // built has them built first, so that the copy it detaches is whole.
    void prepareEdit(qsizetype row);
    // While rows are deferred, only stores that share the deferred rows
    // share the array (rows() builds everything before handing it out), and
    // the rows built into it are the same for all of them.
    Row *slots() const { return const_cast<Row *>(m_rows.constData()); }
    void searchChanged();
    void rowsMoved();

    RowList m_rows;
    std::shared_ptr<DeferredRows> m_deferred;
    QList<qsizetype> m_searchRows;
    bool m_indicationMode = false;
    QString m_itemIDTitle;
    ItemIDIndex m_ids;
    // List row -> search position + 1, built on first use.
    mutable std::mutex m_positionsMutex;
    mutable std::vector<quint32> m_searchPositions;
    std::unique_ptr<ListNotifier> m_notifier;
};
