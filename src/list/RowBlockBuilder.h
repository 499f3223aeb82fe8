#pragma once

#include "Row.h"
#include "RowBlock.h"
#include "SharedCountBatch.h"

#include <QExplicitlySharedDataPointer>
#include <QStringView>

// Builds many rows of one schema into shared blocks, so that a reader of a
// million rows makes a handful of large allocations instead of one buffer per
// row. Rows stay independent: changing one copies it out of its block.
// One builder per thread; the rows it made may go anywhere.
class RowBlockBuilder
{
public:
    static constexpr qsizetype kDefaultBlockUnits = qsizetype(1) << 20;
    // Blocks start this small and double up to the full size: a list of a
    // few rows must not hold a block of megabytes (a whole huge page once
    // touched), and a long list reaches full blocks after a few.
    static constexpr qsizetype kFirstBlockUnits = qsizetype(1) << 13;

    explicit RowBlockBuilder(const RowSchema::Ptr &schema, qsizetype blockUnits = kDefaultBlockUnits);
    RowBlockBuilder(RowBlockBuilder &&) noexcept = default;
    RowBlockBuilder &operator=(RowBlockBuilder &&) = delete;

    // A row of `count` cells in schema order; cells beyond count are empty,
    // cells beyond the schema are ignored. Null (an empty Row) when the
    // row's text cannot be addressed by its 32-bit offsets.
    Row append(const QStringView *cells, qsizetype count, quint32 indication = 0,
               bool hasIndication = true);
    // The same from UTF-8 cells, decoded straight into the block. Each cell
    // must be whole, valid UTF-8 (a reader checks that first).
    Row appendUtf8(const QByteArrayView *cells, qsizetype count, quint32 indication, bool hasIndication);

    const RowSchema::Ptr &schema() const { return m_schema; }
    // UTF-16 units reserved in blocks so far, for memory accounting.
    qint64 reservedUnits() const { return m_reserved; }

private:
    struct Slot
    {
        QExplicitlySharedDataPointer<RowBlock> block;
        char16_t *at = nullptr;
        bool shared = false; // in the current block, which the row then advances
    };
    // Room for a row of at most `units`: the current block, or one of its own
    // for a row larger than a block.
    Slot reserve(qsizetype units);
    Row place(const Slot &slot, qsizetype units, bool narrow, quint32 indication, bool hasIndication);

    RowSchema::Ptr m_schema;
    qsizetype m_blockUnits;
    qsizetype m_nextBlockUnits;
    QExplicitlySharedDataPointer<RowBlock> m_block;
    qsizetype m_used = 0;
    qint64 m_reserved = 0;
    SharedCountBatch<RowSchema> m_schemaCounts;
    SharedCountBatch<RowBlock> m_blockCounts;
};
