#include "ArchiveRowSegmentWriter.h"

#include "ArchiveRowSegment.h"

#include <QtEndian>

#include <limits>

namespace {

constexpr quint64 kMaxOffset = std::numeric_limits<quint32>::max();

} // namespace

ArchiveRowSegmentWriter::ArchiveRowSegmentWriter(qsizetype columns, bool marked)
    : m_columns(columns), m_marked(marked)
{
}

void ArchiveRowSegmentWriter::start(quint32 rows)
{
    m_rows = rows;
    m_row = 0;
    m_cell = 0;
    const quint64 cells = quint64(rows) * quint64(m_columns);
    m_fits = cells < kMaxOffset;
    if (!m_fits)
        return;
    m_textAt = qsizetype(ArchiveRowSegment::headerBytes(rows, quint32(m_columns), m_marked));
    // Resizing down keeps the capacity, so later segments reuse the pages.
    m_bytes.resize(m_textAt);
    qToLittleEndian<quint32>(0, m_bytes.data() + m_textAt - qsizetype(cells + 1) * 4);
}

void ArchiveRowSegmentWriter::addRow(quint32 mark, const QStringView *cells)
{
    if (!m_fits || m_row >= m_rows) {
        m_fits = false;
        return;
    }
    qsizetype units = 0;
    for (qsizetype c = 0; c < m_columns; ++c)
        units += cells[c].size();
    // A UTF-16 unit takes at most three UTF-8 bytes.
    const qsizetype start = m_bytes.size();
    if (quint64(start - m_textAt) + quint64(units) * 3 > kMaxOffset) {
        m_fits = false;
        return;
    }
    m_bytes.resize(start + units * 3);
    if (m_marked)
        qToLittleEndian<quint32>(mark, m_bytes.data() + qsizetype(m_row) * 4);
    ++m_row;
    char *const offsets = m_bytes.data() + m_textAt - qsizetype(quint64(m_rows) * quint64(m_columns) + 1) * 4;
    char *const text = m_bytes.data() + m_textAt;
    char *out = m_bytes.data() + start;
    for (qsizetype c = 0; c < m_columns; ++c) {
        const QStringView cell = cells[c];
        const qsizetype size = cell.size();
        const char16_t *in = cell.utf16();
        qsizetype i = 0;
        while (i < size && in[i] < 0x80) {
            out[i] = char(in[i]);
            ++i;
        }
        out = i == size ? out + size : m_utf8.appendToBuffer(out + i, cell.sliced(i));
        ++m_cell;
        qToLittleEndian<quint32>(quint32(out - text), offsets + m_cell * 4);
    }
    m_bytes.resize(out - m_bytes.data());
}

void ArchiveRowSegmentWriter::turnOffsetsIntoSteps()
{
    if (!m_fits)
        return;
    char *const offsets = m_bytes.data() + m_textAt - qsizetype(quint64(m_rows) * quint64(m_columns) + 1) * 4;
    quint32 previous = 0;
    for (qsizetype i = 0, count = qsizetype(quint64(m_rows) * quint64(m_columns)) + 1; i < count; ++i) {
        const auto offset = qFromLittleEndian<quint32>(offsets + i * 4);
        qToLittleEndian<quint32>(offset - previous, offsets + i * 4);
        previous = offset;
    }
}
