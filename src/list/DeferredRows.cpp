#include "DeferredRows.h"

#include "RowBlockBuilder.h"

#include "platform/ArchiveRowSegment.h"
#include "platform/LogCategories.h"
#include "platform/ParallelRun.h"

#include <QVarLengthArray>

#include <algorithm>

DeferredRows::DeferredRows(ArchiveRowTable table, RowSchema::Ptr schema,
                           std::vector<std::vector<StyledCell>> styled)
    : m_table(std::move(table)),
      m_schema(std::move(schema)),
      m_styled(std::move(styled)),
      m_built(std::make_unique<std::once_flag[]>(size_t(m_table.segmentCount()))),
      m_pending(m_table.segmentCount())
{
    m_firstRows.reserve(size_t(m_table.segmentCount()));
    for (qsizetype s = 0; s < m_table.segmentCount(); ++s)
        m_firstRows.push_back(m_table.segmentFirstRow(s));
    m_styled.resize(m_firstRows.size());
}

qsizetype DeferredRows::segmentOfRow(qsizetype row) const
{
    const auto after = std::upper_bound(m_firstRows.cbegin(), m_firstRows.cend(), row);
    return qsizetype(after - m_firstRows.cbegin()) - 1;
}

void DeferredRows::ensureRow(Row *rows, qsizetype row) const
{
    if (isComplete())
        return;
    const qsizetype segment = segmentOfRow(row);
    if (segment < 0)
        return;
    QByteArray scratch;
    buildOnce(segment, rows, &scratch);
}

void DeferredRows::ensureAll(Row *rows) const
{
    if (isComplete())
        return;
    // Segments another thread is building are waited for, not built twice.
    const qsizetype count = segmentCount();
    const int workers = ParallelRun::workersFor(count);
    std::vector<QByteArray> scratch(static_cast<size_t>(workers));
    ParallelRun::run(count, workers, [&](qsizetype segment, int worker) {
        buildOnce(segment, rows, &scratch[size_t(worker)]);
        return true;
    });
}

void DeferredRows::buildOnce(qsizetype segment, Row *rows, QByteArray *scratch) const
{
    std::call_once(m_built[size_t(segment)], [&] { build(segment, rows, scratch); });
}

void DeferredRows::build(qsizetype s, Row *rows, QByteArray *scratch) const
{
    ArchiveRowSegment segment;
    QString error;
    // Checked when the list was read; only running out of memory fails here.
    if (m_table.segment(s, scratch, &segment, &error)) {
        m_table.releaseSegment(s);
        const qsizetype columns = m_schema->size();
        const bool marked = !m_table.markTitle().isEmpty();
        RowBlockBuilder builder(m_schema);
        QVarLengthArray<QByteArrayView, 32> cells(columns + 1);
        Row *row = rows + m_firstRows[size_t(s)];
        for (qsizetype r = 0; r < segment.rowCount(); ++r, ++row) {
            for (qsizetype c = 0; c < columns; ++c)
                cells[c] = segment.cellAt(r, c);
            *row = builder.appendUtf8(cells.constData(), columns, segment.markAt(r), marked);
        }
        for (const StyledCell &cell : m_styled[size_t(s)])
            rows[cell.row].setCell(m_schema->titles().at(cell.column), cell.text);
    } else {
        qCWarning(lcList) << "rows" << m_firstRows[size_t(s)] << "onwards could not be built:" << error;
    }
    // The last segment built lets the archive go: every other build has
    // finished with it, and no later caller reads it.
    if (m_pending.fetch_sub(1, std::memory_order_acq_rel) == 1)
        m_table = ArchiveRowTable();
}
