#pragma once

#include <QByteArray>
#include <QStringConverter>
#include <QStringView>

// Lays out the rows of one row table segment (see ArchiveRowSegment) in one
// buffer that is reused from segment to segment.
class ArchiveRowSegmentWriter
{
public:
    ArchiveRowSegmentWriter(qsizetype columns, bool marked);

    // Starts a segment of exactly `rows` rows.
    void start(quint32 rows);
    // cells holds one text per column.
    void addRow(quint32 mark, const QStringView *cells);
    // False once the segment's text no longer fits 32-bit offsets.
    bool fits() const { return m_fits; }
    // The segment once every row is added.
    QByteArrayView bytes() const { return m_bytes; }
    // Rewrites the cell offsets as steps from one to the next, as a split
    // block stores them: small numbers that pack several times smaller
    // (see ArchiveRowSegment::offsetsFromSteps). Once every row is added.
    void turnOffsetsIntoSteps();

private:
    qsizetype m_columns;
    bool m_marked;
    QByteArray m_bytes;
    qsizetype m_textAt = 0;
    quint32 m_row = 0;
    quint32 m_rows = 0;
    qsizetype m_cell = 0;
    bool m_fits = true;
    QStringEncoder m_utf8{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
};
