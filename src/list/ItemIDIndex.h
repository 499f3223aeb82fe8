#pragma once

#include "Row.h"

#include <QStringView>

#include <mutex>
#include <vector>

// Item ID -> first row with that ID, for a list of up to millions of rows.
// Holds row numbers only (an open-addressing table of 4-byte slots); the IDs
// themselves are read from the rows, so the index costs no string copies.
// Built on first lookup after the rows change; lookups are thread-safe.
class ItemIDIndex
{
public:
    ItemIDIndex() = default;
    ItemIDIndex(const ItemIDIndex &) {}
    ItemIDIndex &operator=(const ItemIDIndex &)
    {
        invalidate();
        return *this;
    }

    void invalidate();
    // -1 when no row of `rows` has the ID under `title` (or the ID is empty).
    qsizetype find(const RowList &rows, QStringView title, QStringView itemID) const;

private:
    void build(const RowList &rows, QStringView title) const;

    mutable std::mutex m_mutex;
    mutable std::vector<quint32> m_slots; // row + 1; 0 is empty
    mutable bool m_valid = false;
};
