#pragma once

#include <QByteArrayView>
#include <QString>

// A checked view of the rows of one row table segment:
//   marks (one 32-bit number a row, only for a marked table),
//   cell offsets (rows * columns + 1, from 0 up to the text length),
//   the text, UTF-8,
// all numbers little-endian. The bytes belong to the caller.
class ArchiveRowSegment
{
public:
    // Checks every offset and character boundary of hostile bytes; a failure
    // names the fault relative to `at`, where the bytes begin in their block.
    static bool read(QByteArrayView bytes, quint32 rows, quint32 columns, bool marked, qint64 at,
                     ArchiveRowSegment *segment, QString *error);
    // Turns cell offsets stored as steps from one to the next (the first
    // from 0) back into offsets, in place in `head` (marks and steps,
    // exactly headerBytes long); false when they add up past 32 bits.
    static bool offsetsFromSteps(char *head, quint32 rows, quint32 columns, bool marked, qint64 at,
                                 QString *error);
    // Bytes the marks and offsets of such a segment take before its text;
    // rows * columns must stay below 2^32.
    static quint64 headerBytes(quint32 rows, quint32 columns, bool marked);

    qsizetype rowCount() const { return qsizetype(m_rows); }
    quint32 markAt(qsizetype row) const;
    // The UTF-8 bytes of a cell; row and column must be in range.
    QByteArrayView cellAt(qsizetype row, qsizetype column) const;

private:
    static bool walkOffsets(QByteArrayView bytes, quint32 rows, quint32 columns, bool marked, quint64 textLength,
                            const char *text, qint64 at, QString *error);

    const char *m_marks = nullptr;
    const char *m_offsets = nullptr;
    const char *m_text = nullptr;
    quint32 m_rows = 0;
    quint32 m_columns = 0;
};
