#pragma once

#include <QtGlobal>


// Reads CBOR item heads (RFC 8949 section 3) from bytes in memory and never
// looks past their end. The keyed-archive reader walks a large archive item
// by item; QCborStreamReader costs about 30 ns per item, which alone eats a
// million-row list's time budget, so the reader scans heads itself and
// keeps only offsets. Payload checks (UTF-8, lengths against the bytes left)
// stay with the caller, which knows what each item may be.
class ArchiveCborScanner
{
public:
    enum Major : quint8 {
        Unsigned = 0, Negative = 1, Bytes = 2, Text = 3, Array = 4, Map = 5, Tag = 6, Simple = 7,
    };
    enum class Problem { None, Truncated, Malformed };

    struct Head
    {
        quint64 value = 0;   // the argument: number, length, count, tag, or float bits
        qint64 offset = 0;   // where the item starts
        Major major = Unsigned;
        quint8 info = 0;     // additional information (low five bits)
        bool indefinite = false;
    };

    ArchiveCborScanner(const char *data, qint64 size)
        : m_data(reinterpret_cast<const quint8 *>(data)), m_size(size) {}

    qint64 position() const { return m_position; }
    qint64 remaining() const { return m_size - m_position; }
    bool atEnd() const { return m_position >= m_size; }
    Problem problem() const { return m_problem; }

    // True at the break that closes an indefinite-length container.
    bool atBreak() const { return m_position < m_size && m_data[m_position] == 0xff; }
    void skipBreak() { ++m_position; }

    // Reads one head and moves past it. A lone break byte counts as malformed:
    // callers expecting one test atBreak() first.
    bool readHead(Head &head)
    {
        if (m_position >= m_size)
            return fail(Problem::Truncated);
        const quint8 initial = m_data[m_position];
        head.offset = m_position;
        head.major = Major(initial >> 5);
        head.info = initial & 0x1f;
        head.indefinite = false;
        if (head.info < 24) {
            head.value = head.info;
            ++m_position;
            return true;
        }
        if (head.info == 31) {
            if (head.major < Bytes || head.major == Tag || head.major == Simple)
                return fail(Problem::Malformed);
            head.indefinite = true;
            head.value = 0;
            ++m_position;
            return true;
        }
        if (head.info > 27)
            return fail(Problem::Malformed);
        const int bytes = 1 << (head.info - 24);
        if (m_size - m_position - 1 < bytes)
            return fail(Problem::Truncated);
        quint64 value = 0;
        for (int i = 1; i <= bytes; ++i)
            value = value << 8 | m_data[m_position + i];
        head.value = value;
        m_position += 1 + bytes;
        return true;
    }

    // Moves past a payload of count bytes; false when fewer are left.
    bool skip(quint64 count)
    {
        if (count > quint64(m_size - m_position))
            return fail(Problem::Truncated);
        m_position += qint64(count);
        return true;
    }

private:
    bool fail(Problem problem)
    {
        m_problem = problem;
        return false;
    }

    const quint8 *m_data;
    qint64 m_size;
    qint64 m_position = 0;
    Problem m_problem = Problem::None;
};
