#pragma once

#include "ArchiveArray.h"

#include <QAtomicInt>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class ArchiveDocument;
class ArchiveRowSegment;

// An array of same-titled dictionaries stored as one block: the titles once,
// then the rows in segments, each an optional column of marks (one 32-bit
// number a row, under its own title) and every text cell as UTF-8 addressed
// by offsets (see ArchiveRowSegment). A million rows then read with a
// handful of allocations instead of tens of millions, and segments pack and
// unpack on several threads at once. Cells with attribute runs travel
// beside the block as (cell index, attributed text) pairs in an ordinary
// array.
//
// Block layout, little-endian 32-bit numbers:
//   version, row count, title count, mark title length + UTF-8,
//   each title: length + UTF-8,
//   version 1: the rows as one segment, stored plain, up to the end;
//   version 2: segment count, each segment's (rows, unpacked length, packed
//   length), then each segment as one Zstandard frame, up to the end;
//   version 3: segment count, each segment's (rows, unpacked and packed
//   length of its marks and offsets, unpacked and packed length of its
//   text, CRC-32 of its packed text), then each segment as two Zstandard
//   frames, marks and offsets first, up to the end; the offsets stored as
//   steps from one to the next, which pack several times smaller.
// Version 3 lets a reader check a segment's offsets, and that its text is
// the text written, without unpacking the text, which is most of it.
class ArchiveRowTable
{
public:
    struct Segment
    {
        quint32 firstRow = 0;
        quint32 rows = 0;
        qint64 at = 0; // in the block
        quint32 length = 0; // as stored
        quint32 plainLength = 0; // unpacked
        bool packed = false;
        // Version 3: the text's frame, apart from the marks and offsets
        // (then all that at, length and plainLength describe).
        bool split = false;
        qint64 textAt = 0;
        quint32 textLength = 0;
        quint32 textPlainLength = 0;
        quint32 textChecksum = 0;
        // Set once its stored bytes were given back (see releaseSegment).
        mutable QAtomicInt released = 0;
    };

    // What the reader checked of a block, in offsets from its start.
    struct Layout
    {
        quint32 rows = 0;
        quint32 columns = 0;
        QString markTitle; // empty: the rows carry no mark
        QStringList titles;
        std::vector<Segment> segments;
        qint64 plainBytes = 0; // every segment unpacked
        // Set by the one reader of a table whose bytes may be released.
        mutable QAtomicInt claimed = 0;
    };

    // Assembles a version 3 block from segments packed one by one.
    class Writer
    {
    public:
        Writer(const QString &markTitle, const QStringList &titles, qsizetype rows);
        // One ArchiveRowSegment of `rows` rows, packed as two frames: its
        // marks and offsets, and its text.
        void addSegment(quint32 rows, quint32 headPlainLength, QByteArray headFrame, quint32 textPlainLength,
                        QByteArray textFrame);
        // The block in the pieces it is written from, in order: its head
        // (header and directory), then the frames, which leave the writer.
        // Copying them into one array would touch as much memory again.
        // Empty when the segments do not add up to the rows or the block
        // would pass 32-bit lengths.
        std::vector<QByteArray> finish();

    private:
        QString m_markTitle;
        QStringList m_titles;
        quint64 m_rows;
        quint64 m_added = 0;
        std::vector<quint32> m_directory;
        std::vector<QByteArray> m_frames;
    };

    // Rows a writer puts in one segment: large enough that packing works
    // well, small enough that two threads share the work and each holds
    // little of it at a time.
    static constexpr quint32 kSegmentRows = 1u << 16;

    // Checks every length and offset of a hostile block against the row
    // count declared beside it (a plain segment to its last character, a
    // packed one when it is unpacked); a failure names the fault.
    static bool readLayout(QByteArrayView block, quint64 rows, Layout *layout, QString *error);

    ArchiveRowTable() = default;

    bool isValid() const { return m_layout != nullptr; }
    qsizetype rowCount() const { return m_layout ? qsizetype(m_layout->rows) : 0; }
    const QStringList &titles() const;
    const QString &markTitle() const;
    qsizetype segmentCount() const { return m_layout ? qsizetype(m_layout->segments.size()) : 0; }
    qsizetype segmentFirstRow(qsizetype index) const;
    // Unpacks (into scratch, when packed) and checks a segment. Safe to call
    // from several threads at once; a failure is only reported in *error.
    bool segment(qsizetype index, QByteArray *scratch, ArchiveRowSegment *segment, QString *error) const;
    // Checks a segment as far as can be done without unpacking its text,
    // which is all of it before version 3.
    bool checkSegment(qsizetype index, QByteArray *scratch, QString *error) const;
    // For a reader that has taken everything it needs from a packed
    // segment: where the archive alone holds its bytes, their memory goes
    // back now rather than with the archive, so a list being opened does not
    // hold its file beside its rows. The segment cannot be read again.
    void releaseSegment(qsizetype index) const;
    // Where segments may be released, only one reader may have the table,
    // or a second one could find its segments gone; false for the others.
    bool claim(QString *error) const;
    // The (cell index, attributed text) pairs of the cells with runs.
    ArchiveArray styledCells() const;
    void fail(const QString &reason) const;

private:
    friend class ArchiveDecoder;
    friend class ArchiveDocument;
    ArchiveRowTable(std::shared_ptr<ArchiveDocument> document, quint32 node);

    std::shared_ptr<ArchiveDocument> m_document;
    quint32 m_node = 0;
    const Layout *m_layout = nullptr;
    const char *m_block = nullptr;
};
