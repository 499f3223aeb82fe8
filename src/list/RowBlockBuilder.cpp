#include "RowBlockBuilder.h"

#include <algorithm>
#include <limits>

RowBlockBuilder::RowBlockBuilder(const RowSchema::Ptr &schema, qsizetype blockUnits)
    : m_schema(schema ? schema : RowSchema::empty()), m_blockUnits(std::max<qsizetype>(blockUnits, 64))
{
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
    const qsizetype header = Row::placedDataUnits();
    // Rounded up so that the next row's data starts 8-byte aligned.
    const qsizetype units = (header + 2 * n + text + 3) & ~qsizetype(3);
    if (!m_block || m_block->capacity() - m_used < units) {
        // A row larger than a block gets a block of its own, and the current
        // block stays open for the rows after it.
        const qsizetype capacity = std::max(units, m_blockUnits);
        QExplicitlySharedDataPointer<RowBlock> block(new RowBlock(capacity));
        m_reserved += capacity;
        if (units > m_blockUnits && m_block) {
            char16_t *slot = block->units();
            Row::writeLayout(slot + header, cells, count, n);
            return Row::inBlock(m_schema, QExplicitlySharedDataPointer<const RowBlock>(block.data()),
                                slot, slot + header, indication, hasIndication);
        }
        m_block = block;
        m_used = 0;
    }
    char16_t *slot = m_block->units() + m_used;
    Row::writeLayout(slot + header, cells, count, n);
    m_used += units;
    return Row::inBlock(m_schema, QExplicitlySharedDataPointer<const RowBlock>(m_block.data()), slot,
                        slot + header, indication, hasIndication);
}
