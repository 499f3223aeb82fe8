#include "RowBlockBuilder.h"

#include <algorithm>
#include <limits>

namespace {

// Rounded up so that the next row's data starts 8-byte aligned.
qsizetype alignedUnits(qsizetype units)
{
    return (units + 3) & ~qsizetype(3);
}

} // namespace

RowBlockBuilder::RowBlockBuilder(const RowSchema::Ptr &schema, qsizetype blockUnits)
    : m_schema(schema ? schema : RowSchema::empty())
    , m_blockUnits(std::max<qsizetype>(blockUnits, 64))
    , m_nextBlockUnits(std::min(m_blockUnits, kFirstBlockUnits))
{
}

RowBlockBuilder::Slot RowBlockBuilder::reserve(qsizetype units)
{
    if (!m_block || m_block->capacity() - m_used < units) {
        // The current block stays open for the rows after a large one.
        const qsizetype capacity = std::max(units, m_nextBlockUnits);
        QExplicitlySharedDataPointer<RowBlock> block(new RowBlock(capacity));
        m_reserved += capacity;
        if (units > m_nextBlockUnits && m_block)
            return {block, block->units(), false};
        m_nextBlockUnits = std::min(m_nextBlockUnits * 2, m_blockUnits);
        m_block = block;
        m_used = 0;
    }
    return {m_block, m_block->units() + m_used, true};
}

Row RowBlockBuilder::place(const Slot &slot, qsizetype units, bool narrow, quint32 indication,
                           bool hasIndication)
{
    QExplicitlySharedDataPointer<const RowBlock> block;
    if (slot.shared) {
        m_used += units;
        block = m_blockCounts.take(slot.block.data());
    } else {
        block = QExplicitlySharedDataPointer<const RowBlock>(slot.block.data());
    }
    return Row::inBlock(m_schemaCounts.take(m_schema.data()), std::move(block), slot.at,
                        slot.at + Row::placedDataUnits(), narrow, indication, hasIndication);
}

Row RowBlockBuilder::append(const QStringView *cells, qsizetype count, quint32 indication,
                            bool hasIndication)
{
    const qsizetype n = m_schema->size();
    count = std::min(count, n);
    qsizetype text = 0;
    for (qsizetype i = 0; i < count; ++i)
        text += cells[i].size();
    if (text > qsizetype(std::numeric_limits<quint32>::max()))
        return {};
    const bool narrow = Row::isNarrow(text);
    const qsizetype units = alignedUnits(Row::placedDataUnits() + Row::layoutUnits(n, text));
    const Slot slot = reserve(units);
    Row::writeLayout(slot.at + Row::placedDataUnits(), cells, count, n, narrow);
    return place(slot, units, narrow, indication, hasIndication);
}

Row RowBlockBuilder::appendUtf8(const QByteArrayView *cells, qsizetype count, quint32 indication,
                                bool hasIndication)
{
    const qsizetype n = m_schema->size();
    count = std::min(count, n);
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < count; ++i)
        bytes += cells[i].size();
    // UTF-8 never takes fewer bytes than UTF-16 takes units, so the bytes
    // bound the row; the row then takes only what it used.
    if (bytes > qsizetype(std::numeric_limits<quint32>::max()))
        return {};
    const bool narrow = Row::isNarrow(bytes);
    const qsizetype header = Row::placedDataUnits() + Row::layoutUnits(n, bytes) - bytes;
    const Slot slot = reserve(alignedUnits(header + bytes));
    const qsizetype text = Row::writeUtf8Layout(slot.at + Row::placedDataUnits(), cells, count, n, narrow);
    return place(slot, alignedUnits(header + text), narrow, indication, hasIndication);
}
