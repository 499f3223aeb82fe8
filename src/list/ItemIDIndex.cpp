#include "ItemIDIndex.h"

#include <QHashFunctions>

namespace {
size_t slotCountFor(qsizetype rows)
{
    size_t count = 16;
    while (count < size_t(rows) * 2)
        count <<= 1;
    return count;
}
} // namespace

void ItemIDIndex::invalidate()
{
    const std::lock_guard lock(m_mutex);
    m_valid = false;
    m_slots.clear();
    m_slots.shrink_to_fit();
}

void ItemIDIndex::build(const RowList &rows, QStringView title) const
{
    m_slots.assign(slotCountFor(rows.size()), 0);
    const size_t mask = m_slots.size() - 1;
    const RowSchema *schema = nullptr;
    qsizetype column = -1;
    for (qsizetype row = 0; row < rows.size(); ++row) {
        const Row &r = rows.at(row);
        if (r.schema().data() != schema) {
            schema = r.schema().data();
            column = schema->indexOf(title);
        }
        const QStringView id = r.cellTextAt(column);
        if (id.isEmpty())
            continue;
        for (size_t slot = qHash(id) & mask;; slot = (slot + 1) & mask) {
            const quint32 taken = m_slots[slot];
            if (taken == 0) {
                m_slots[slot] = quint32(row + 1);
                break;
            }
            // The first row with an ID wins; later duplicates are not indexed.
            if (rows.at(taken - 1).cellText(title) == id)
                break;
        }
    }
    m_valid = true;
}

qsizetype ItemIDIndex::find(const RowList &rows, QStringView title, QStringView itemID) const
{
    if (itemID.isEmpty() || title.isEmpty() || rows.isEmpty())
        return -1;
    const std::lock_guard lock(m_mutex);
    if (!m_valid)
        build(rows, title);
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = qHash(itemID) & mask;; slot = (slot + 1) & mask) {
        const quint32 taken = m_slots[slot];
        if (taken == 0)
            return -1;
        if (taken <= quint32(rows.size()) && rows.at(taken - 1).cellText(title) == itemID)
            return qsizetype(taken - 1);
    }
}
