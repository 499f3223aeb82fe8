#pragma once

#include "Row.h"
#include "platform/ArchiveRowTable.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

// The rows of a stored row table that are not built yet. Reading a list
// checks every segment of its table (a damaged file still fails when it is
// read) but builds none: a segment is built, straight into the list's row
// slots, the first time any thread asks for one of its rows. A document
// then opens in the time it takes to check it, and holds its packed bytes
// rather than its rows until they are read. The archive is let go once
// every segment is built.
class DeferredRows
{
public:
    // A cell with attribute runs, already checked against its segment.
    struct StyledCell
    {
        qsizetype row = 0;
        qsizetype column = 0;
        AttributedText text;
    };

    // `styled` holds each segment's styled cells, in segment order.
    DeferredRows(ArchiveRowTable table, RowSchema::Ptr schema, std::vector<std::vector<StyledCell>> styled);
    DeferredRows(const DeferredRows &) = delete;
    DeferredRows &operator=(const DeferredRows &) = delete;

    bool isComplete() const { return m_pending.load(std::memory_order_acquire) == 0; }
    qsizetype segmentCount() const { return qsizetype(m_firstRows.size()); }
    qsizetype builtSegmentCount() const { return segmentCount() - m_pending.load(std::memory_order_acquire); }

    // `rows` is the list's slots, one per stored row. Safe from several
    // threads at once: a segment is built once, and every caller returns
    // only when the rows it asked for are there.
    void ensureRow(Row *rows, qsizetype row) const;
    void ensureAll(Row *rows) const;

private:
    qsizetype segmentOfRow(qsizetype row) const;
    void buildOnce(qsizetype segment, Row *rows, QByteArray *scratch) const;
    void build(qsizetype segment, Row *rows, QByteArray *scratch) const;

    mutable ArchiveRowTable m_table;
    RowSchema::Ptr m_schema;
    std::vector<std::vector<StyledCell>> m_styled;
    std::vector<qsizetype> m_firstRows;
    std::unique_ptr<std::once_flag[]> m_built;
    mutable std::atomic<qsizetype> m_pending;
};
