#include "ListRowStore.h"

#include "platform/HugePageMemory.h"
#include "ListNotifier.h"

#include <algorithm>

ListRowStore::ListRowStore() = default;
ListRowStore::~ListRowStore() = default;

ListRowStore::ListRowStore(const ListRowStore &other)
    : m_rows(other.m_rows),
      m_deferred(other.m_deferred),
      m_searchRows(other.m_searchRows),
      m_indicationMode(other.m_indicationMode),
      m_itemIDTitle(other.m_itemIDTitle)
{
}

ListRowStore &ListRowStore::operator=(const ListRowStore &other)
{
    if (this == &other)
        return *this;
    m_rows = other.m_rows;
    m_deferred = other.m_deferred;
    m_searchRows = other.m_searchRows;
    m_indicationMode = other.m_indicationMode;
    m_itemIDTitle = other.m_itemIDTitle;
    m_ids.invalidate();
    searchChanged();
    announce(ListChange::Kind::Reset);
    return *this;
}

ListRowStore::ListRowStore(ListRowStore &&other) noexcept
    : m_rows(std::move(other.m_rows)),
      m_deferred(std::move(other.m_deferred)),
      m_searchRows(std::move(other.m_searchRows)),
      m_indicationMode(other.m_indicationMode),
      m_itemIDTitle(std::move(other.m_itemIDTitle)),
      m_notifier(std::move(other.m_notifier))
{
}

// The notifier stays with this store: views listen to the object, not to
// whatever value it holds.
ListRowStore &ListRowStore::operator=(ListRowStore &&other) noexcept
{
    if (this == &other)
        return *this;
    m_rows = std::move(other.m_rows);
    m_deferred = std::move(other.m_deferred);
    m_searchRows = std::move(other.m_searchRows);
    m_indicationMode = other.m_indicationMode;
    m_itemIDTitle = std::move(other.m_itemIDTitle);
    m_ids.invalidate();
    other.m_ids.invalidate();
    searchChanged();
    other.searchChanged();
    announce(ListChange::Kind::Reset);
    return *this;
}

void ListRowStore::setItemIDTitle(const QString &title)
{
    if (title == m_itemIDTitle)
        return;
    m_itemIDTitle = title;
    m_ids.invalidate();
}

void ListRowStore::setRows(RowList rows, std::unique_ptr<DeferredRows> deferred)
{
    m_rows = std::move(rows);
    m_deferred = std::move(deferred);
    m_searchRows.clear();
    m_ids.invalidate();
    searchChanged();
    announce(ListChange::Kind::Reset);
}

void ListRowStore::setRowsOf(const ListRowStore &other)
{
    if (this == &other)
        return;
    m_rows = other.m_rows;
    m_deferred = other.m_deferred;
    m_searchRows.clear();
    m_ids.invalidate();
    searchChanged();
    announce(ListChange::Kind::Reset);
}

void ListRowStore::prepareEdit(qsizetype row)
{
    if (!m_deferred || m_deferred->isComplete())
        return;
    if (m_deferred.use_count() > 1 || !m_rows.isDetached() || row < 0)
        m_deferred->ensureAll(slots());
    else
        m_deferred->ensureRow(slots(), row);
}

QStringView ListRowStore::itemIDOfRow(qsizetype row) const
{
    if (!containsRow(row) || m_itemIDTitle.isEmpty())
        return {};
    return rowAt(row).cellText(m_itemIDTitle);
}

qsizetype ListRowStore::rowOfItemID(QStringView itemID) const
{
    return m_ids.find(rows(), m_itemIDTitle, itemID);
}

void ListRowStore::setSearchRows(QList<qsizetype> rows)
{
    rows.removeIf([this](qsizetype row) { return !containsRow(row); });
    m_searchRows = std::move(rows);
    searchChanged();
    announce(ListChange::Kind::Preview);
}

void ListRowStore::setIndicationMode(bool state)
{
    if (state == m_indicationMode)
        return;
    m_indicationMode = state;
    if (!m_searchRows.isEmpty())
        announce(ListChange::Kind::Preview);
}

qsizetype ListRowStore::searchPositionOfRow(qsizetype row) const
{
    if (!containsRow(row) || m_searchRows.isEmpty())
        return -1;
    const std::lock_guard lock(m_positionsMutex);
    if (m_searchPositions.empty()) {
        m_searchPositions.assign(size_t(m_rows.size()), 0);
        for (qsizetype position = m_searchRows.size() - 1; position >= 0; --position)
            m_searchPositions[size_t(m_searchRows.at(position))] = quint32(position + 1);
    }
    return qsizetype(m_searchPositions[size_t(row)]) - 1;
}

qsizetype ListRowStore::previewCount() const
{
    return showsSearchResult() ? m_searchRows.size() : m_rows.size();
}

qsizetype ListRowStore::previewRowAt(qsizetype position) const
{
    if (position < 0 || position >= previewCount())
        return -1;
    return showsSearchResult() ? m_searchRows.at(position) : position;
}

qsizetype ListRowStore::previewPositionOfRow(qsizetype row) const
{
    if (!containsRow(row))
        return -1;
    return showsSearchResult() ? searchPositionOfRow(row) : row;
}

Row ListRowStore::replaceRow(qsizetype row, const Row &value, bool announceIt)
{
    if (!containsRow(row))
        return {};
    prepareEdit(row);
    Row old = std::exchange(m_rows[row], value);
    if (old.cellText(m_itemIDTitle) != value.cellText(m_itemIDTitle))
        m_ids.invalidate();
    if (announceIt)
        announce(ListChange::Kind::Cells, row, row);
    return old;
}

Row &ListRowStore::rowForEdit(qsizetype row, bool changesItemID)
{
    if (changesItemID)
        m_ids.invalidate();
    prepareEdit(row);
    return m_rows[row];
}

quint32 ListRowStore::setIndication(qsizetype row, quint32 mark)
{
    if (!containsRow(row))
        return 0;
    prepareEdit(row);
    const quint32 old = m_rows.at(row).indication();
    m_rows[row].setIndication(mark);
    announce(ListChange::Kind::Marks, row, row);
    return old;
}

QList<quint32> ListRowStore::setAllIndications(quint32 mark)
{
    prepareEdit(-1);
    QList<quint32> old;
    old.reserve(m_rows.size());
    for (Row &row : m_rows) {
        old.append(row.indication());
        if (row.indication() != mark || !row.hasIndication())
            row.setIndication(mark);
    }
    if (!m_rows.isEmpty())
        announce(ListChange::Kind::Marks, 0, m_rows.size() - 1);
    return old;
}

void ListRowStore::restoreIndications(const QList<quint32> &marks)
{
    prepareEdit(-1);
    const qsizetype count = std::min(marks.size(), m_rows.size());
    for (qsizetype i = 0; i < count; ++i) {
        if (m_rows.at(i).indication() != marks.at(i))
            m_rows[i].setIndication(marks.at(i));
    }
    if (count > 0)
        announce(ListChange::Kind::Marks, 0, count - 1);
}

void ListRowStore::insertRows(qsizetype row, const RowList &rows)
{
    if (rows.isEmpty())
        return;
    prepareEdit(-1);
    row = std::clamp<qsizetype>(row, 0, m_rows.size());
    const bool searchShown = showsSearchResult();
    m_rows.insert(row, rows.size(), Row());
    std::copy(rows.begin(), rows.end(), m_rows.begin() + row);
    for (qsizetype &searchRow : m_searchRows) {
        if (searchRow >= row)
            searchRow += rows.size();
    }
    rowsMoved();
    if (searchShown)
        announce(ListChange::Kind::Preview);
    else
        announce(ListChange::Kind::RowsInserted, row, row + rows.size() - 1);
}

RowList ListRowStore::removeRows(qsizetype row, qsizetype count)
{
    if (!containsRow(row) || count <= 0)
        return {};
    count = std::min(count, m_rows.size() - row);
    prepareEdit(-1);
    const bool searchShown = showsSearchResult();
    RowList removed = m_rows.mid(row, count);
    m_rows.remove(row, count);
    m_searchRows.removeIf([&](qsizetype searchRow) { return searchRow >= row && searchRow < row + count; });
    for (qsizetype &searchRow : m_searchRows) {
        if (searchRow >= row + count)
            searchRow -= count;
    }
    rowsMoved();
    if (searchShown)
        announce(ListChange::Kind::Preview);
    else
        announce(ListChange::Kind::RowsRemoved, row, row + count - 1);
    return removed;
}

QList<qsizetype> ListRowStore::permutePreview(const QList<qsizetype> &order)
{
    if (!reorderPreview(order))
        return {};
    return inverse(order);
}

bool ListRowStore::reorderPreview(const QList<qsizetype> &order)
{
    if (!isPermutation(order, previewCount()) || order.isEmpty())
        return false;
    if (showsSearchResult()) {
        QList<qsizetype> searchRows(order.size());
        for (qsizetype i = 0; i < order.size(); ++i)
            searchRows[i] = m_searchRows.at(order.at(i));
        m_searchRows = std::move(searchRows);
        searchChanged();
    } else {
        // Rows are moved, not copied (a list shared with a snapshot is copied
        // once, by detaching), so that no row's reference count, each on a
        // cache line of its own, is touched. Both working arrays are had
        // before anything moves: running out of memory changes nothing.
        prepareEdit(-1);
        const qsizetype count = order.size();
        const HugePageMemory staging(size_t(count) * sizeof(Row));
        const HugePageMemory placeMemory(m_searchRows.isEmpty() ? 0 : size_t(count) * sizeof(qsizetype));
        Row *staged = static_cast<Row *>(staging.data());
        Row *rows = m_rows.data();
        for (qsizetype i = 0; i < count; ++i)
            new (staged + i) Row(std::move(rows[order.at(i)]));
        for (qsizetype i = 0; i < count; ++i) {
            rows[i] = std::move(staged[i]);
            staged[i].~Row();
        }
        // The search result follows its rows to their new places.
        if (!m_searchRows.isEmpty()) {
            qsizetype *newPlace = placeMemory.as<qsizetype>();
            for (qsizetype i = 0; i < count; ++i)
                newPlace[order.at(i)] = i;
            for (qsizetype &searchRow : m_searchRows)
                searchRow = newPlace[searchRow];
        }
        rowsMoved();
    }
    ListChange change;
    change.kind = ListChange::Kind::Layout;
    change.permutation = order;
    announce(change);
    return true;
}

void ListRowStore::prependSearchRow(qsizetype row)
{
    if (!containsRow(row))
        return;
    m_searchRows.prepend(row);
    searchChanged();
    announce(ListChange::Kind::Preview);
}

bool ListRowStore::removeSearchPosition(qsizetype position)
{
    if (position < 0 || position >= m_searchRows.size())
        return false;
    m_searchRows.removeAt(position);
    searchChanged();
    announce(ListChange::Kind::Preview);
    return true;
}

ListNotifier *ListRowStore::notifier()
{
    if (!m_notifier)
        m_notifier = std::make_unique<ListNotifier>();
    return m_notifier.get();
}

void ListRowStore::announce(const ListChange &change) const
{
    if (m_notifier)
        Q_EMIT m_notifier->changed(change);
}

void ListRowStore::announce(ListChange::Kind kind, qsizetype first, qsizetype last, qsizetype column) const
{
    if (!m_notifier)
        return;
    ListChange change;
    change.kind = kind;
    change.firstRow = first;
    change.lastRow = last;
    change.column = column;
    Q_EMIT m_notifier->changed(change);
}

QList<qsizetype> ListRowStore::inverse(const QList<qsizetype> &order)
{
    QList<qsizetype> result(order.size());
    for (qsizetype i = 0; i < order.size(); ++i)
        result[order.at(i)] = i;
    return result;
}

bool ListRowStore::isPermutation(const QList<qsizetype> &order, qsizetype size)
{
    if (order.size() != size)
        return false;
    std::vector<bool> seen(size_t(size), false);
    for (qsizetype from : order) {
        if (from < 0 || from >= size || seen[size_t(from)])
            return false;
        seen[size_t(from)] = true;
    }
    return true;
}

void ListRowStore::searchChanged()
{
    const std::lock_guard lock(m_positionsMutex);
    m_searchPositions.clear();
    m_searchPositions.shrink_to_fit();
}

void ListRowStore::rowsMoved()
{
    m_ids.invalidate();
    searchChanged();
}
