#include "ArchiveRowSegment.h"

#include <QtEndian>

#include <limits>

namespace {

bool isContinuationByte(char byte)
{
    return (quint8(byte) & 0xc0) == 0x80;
}

} // namespace

quint64 ArchiveRowSegment::headerBytes(quint32 rows, quint32 columns, bool marked)
{
    // 64-bit products of 32-bit numbers cannot wrap.
    return (marked ? quint64(rows) * 4 : 0) + (quint64(rows) * columns + 1) * 4;
}

bool ArchiveRowSegment::offsetsFromSteps(char *head, quint32 rows, quint32 columns, bool marked, qint64 at,
                                         QString *error)
{
    char *const offsets = head + (marked ? qint64(rows) * 4 : 0);
    const quint64 count = quint64(rows) * columns + 1;
    quint64 offset = 0;
    for (quint64 i = 0; i < count; ++i) {
        offset += qFromLittleEndian<quint32>(offsets + i * 4);
        if (offset > std::numeric_limits<quint32>::max()) {
            *error = QStringLiteral("a row table cell %1 ends past 32-bit offsets at block byte %2").arg(i).arg(at);
            return false;
        }
        qToLittleEndian<quint32>(quint32(offset), offsets + i * 4);
    }
    return true;
}

bool ArchiveRowSegment::walkOffsets(QByteArrayView bytes, quint32 rows, quint32 columns, bool marked,
                                    quint64 textLength, const char *text, qint64 at, QString *error)
{
    const auto refuse = [&](const QString &what, qint64 position) {
        *error = QStringLiteral("a row table %1 at block byte %2").arg(what).arg(at + position);
        return false;
    };
    const quint64 cells = quint64(rows) * columns;
    if (cells >= std::numeric_limits<quint32>::max())
        return refuse(QStringLiteral("claims %1 cells").arg(cells), 0);
    const quint64 marksBytes = marked ? quint64(rows) * 4 : 0;
    if (marksBytes > quint64(bytes.size()))
        return refuse(QStringLiteral("ends inside its marks"), bytes.size());
    if (headerBytes(rows, columns, marked) > quint64(bytes.size()))
        return refuse(QStringLiteral("ends inside its %1 cell offsets").arg(cells + 1), qint64(marksBytes));
    const char *offsets = bytes.data() + marksBytes;
    const qint64 textAt = qint64(headerBytes(rows, columns, marked));
    quint32 previous = qFromLittleEndian<quint32>(offsets);
    if (previous != 0)
        return refuse(QStringLiteral("text does not start at offset 0"), textAt);
    for (quint64 i = 1; i <= cells; ++i) {
        const auto offset = qFromLittleEndian<quint32>(offsets + i * 4);
        if (offset < previous || offset > textLength)
            return refuse(QStringLiteral("cell %1 has offset %2 outside %3..%4")
                              .arg(i - 1).arg(offset).arg(previous).arg(textLength),
                          textAt);
        // Cells are decoded one by one, so none may split a character.
        if (offset < textLength && isContinuationByte(text[offset]))
            return refuse(QStringLiteral("cell %1 ends inside a character").arg(i - 1), textAt);
        previous = offset;
    }
    if (previous != textLength)
        return refuse(QStringLiteral("text holds %1 bytes after its last cell").arg(textLength - previous), textAt);
    return true;
}

bool ArchiveRowSegment::read(QByteArrayView bytes, quint32 rows, quint32 columns, bool marked, qint64 at,
                             ArchiveRowSegment *segment, QString *error)
{
    const quint64 header = headerBytes(rows, columns, marked);
    const qint64 textAt = qint64(qMin<quint64>(header, quint64(bytes.size())));
    const qint64 textLength = bytes.size() - textAt;
    const char *text = bytes.data() + textAt;
    if (!walkOffsets(bytes, rows, columns, marked, quint64(textLength), text, at, error))
        return false;
    if (!QByteArrayView(text, textLength).isValidUtf8()) {
        *error = QStringLiteral("a row table text is not valid UTF-8 at block byte %1").arg(at + textAt);
        return false;
    }
    segment->m_marks = marked ? bytes.data() : nullptr;
    segment->m_offsets = bytes.data() + (marked ? qint64(rows) * 4 : 0);
    segment->m_text = text;
    segment->m_rows = rows;
    segment->m_columns = columns;
    return true;
}

quint32 ArchiveRowSegment::markAt(qsizetype row) const
{
    return m_marks ? qFromLittleEndian<quint32>(m_marks + row * 4) : 0;
}

QByteArrayView ArchiveRowSegment::cellAt(qsizetype row, qsizetype column) const
{
    const char *offsets = m_offsets + (qint64(row) * m_columns + column) * 4;
    const auto start = qFromLittleEndian<quint32>(offsets);
    const auto end = qFromLittleEndian<quint32>(offsets + 4);
    return QByteArrayView(m_text + start, end - start);
}
