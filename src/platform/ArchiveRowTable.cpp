#include "ArchiveRowTable.h"

#include "ArchiveCompression.h"
#include "ArchiveDocument.h"
#include "ArchiveFormat.h"
#include "ArchiveRowSegment.h"
#include "HugePageMemory.h"

#include <QtEndian>

#include <zlib.h>

#include <limits>

namespace {

constexpr quint32 kPlainVersion = 1;
constexpr quint32 kSegmentedVersion = 2;
constexpr quint32 kSplitVersion = 3;
constexpr quint64 kMaxLength = std::numeric_limits<quint32>::max();

void appendNumber(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void appendText(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    appendNumber(out, quint32(utf8.size()));
    out.append(utf8);
}

// A cursor over the block that refuses to step past its end.
class BlockReader
{
public:
    explicit BlockReader(QByteArrayView block) : m_block(block) {}

    qint64 position() const { return m_at; }
    qint64 remaining() const { return m_block.size() - m_at; }
    bool number(quint32 &value)
    {
        if (remaining() < 4)
            return false;
        value = qFromLittleEndian<quint32>(m_block.data() + m_at);
        m_at += 4;
        return true;
    }
    bool text(QString &value)
    {
        quint32 length = 0;
        if (!number(length) || length > remaining())
            return false;
        const QByteArrayView bytes = m_block.sliced(m_at, length);
        if (!bytes.isValidUtf8())
            return false;
        value = ArchiveFormat::text(bytes);
        m_at += length;
        return true;
    }

private:
    QByteArrayView m_block;
    qint64 m_at = 0;
};

quint32 checksum(QByteArrayView bytes)
{
    return quint32(crc32_z(0, reinterpret_cast<const Bytef *>(bytes.data()), size_t(bytes.size())));
}

} // namespace

ArchiveRowTable::Writer::Writer(const QString &markTitle, const QStringList &titles, qsizetype rows)
    : m_markTitle(markTitle), m_titles(titles), m_rows(quint64(rows))
{
}

void ArchiveRowTable::Writer::addSegment(quint32 rows, quint32 headPlainLength, QByteArray headFrame,
                                         quint32 textPlainLength, QByteArray textFrame)
{
    const auto length = [](const QByteArray &frame) { return quint32(qMin<quint64>(quint64(frame.size()), kMaxLength)); };
    m_added += rows;
    m_directory.insert(m_directory.end(), {rows, headPlainLength, length(headFrame), textPlainLength,
                                           length(textFrame), checksum(textFrame)});
    m_frames.push_back(std::move(headFrame));
    m_frames.push_back(std::move(textFrame));
}

std::vector<QByteArray> ArchiveRowTable::Writer::finish()
{
    qint64 packed = 0;
    for (const QByteArray &frame : m_frames)
        packed += frame.size();
    if (m_added != m_rows || m_rows > kMaxLength || m_frames.size() > kMaxLength)
        return {};
    QByteArray head;
    appendNumber(head, kSplitVersion);
    appendNumber(head, quint32(m_rows));
    appendNumber(head, quint32(m_titles.size()));
    appendText(head, m_markTitle);
    for (const QString &title : std::as_const(m_titles))
        appendText(head, title);
    appendNumber(head, quint32(m_frames.size() / 2));
    for (const quint32 number : m_directory)
        appendNumber(head, number);
    if (quint64(head.size()) + quint64(packed) > kMaxLength)
        return {};
    std::vector<QByteArray> pieces;
    pieces.reserve(m_frames.size() + 1);
    pieces.push_back(std::move(head));
    for (QByteArray &frame : m_frames)
        pieces.push_back(std::move(frame));
    m_frames.clear();
    return pieces;
}

bool ArchiveRowTable::readLayout(QByteArrayView block, quint64 rows, Layout *layout, QString *error)
{
    BlockReader reader(block);
    const auto refuse = [&](const QString &what) {
        *error = QStringLiteral("a row table %1 at block byte %2").arg(what).arg(reader.position());
        return false;
    };
    quint32 version = 0;
    quint32 declaredRows = 0;
    quint32 columns = 0;
    if (!reader.number(version) || !reader.number(declaredRows) || !reader.number(columns))
        return refuse(QStringLiteral("ends inside its header"));
    if (version != kPlainVersion && version != kSegmentedVersion && version != kSplitVersion)
        return refuse(QStringLiteral("of unsupported version %1").arg(version));
    if (declaredRows != rows)
        return refuse(QStringLiteral("holds %1 rows where %2 are declared").arg(declaredRows).arg(rows));
    // Every title takes at least its four-byte length.
    if (columns > reader.remaining() / 4)
        return refuse(QStringLiteral("claims %1 titles in %2 bytes").arg(columns).arg(reader.remaining()));
    Layout result;
    result.rows = declaredRows;
    result.columns = columns;
    if (!reader.text(result.markTitle))
        return refuse(QStringLiteral("mark title is damaged"));
    result.titles.reserve(columns);
    for (quint32 c = 0; c < columns; ++c) {
        QString title;
        if (!reader.text(title))
            return refuse(QStringLiteral("title %1 is damaged").arg(c));
        if (title.isEmpty() || title == result.markTitle || result.titles.contains(title))
            return refuse(QStringLiteral("title %1 is empty or repeated").arg(c));
        result.titles.append(title);
    }
    const bool marked = !result.markTitle.isEmpty();

    if (version == kPlainVersion) {
        // Checked whole now: its bytes are the archive's own.
        const qint64 at = reader.position();
        ArchiveRowSegment segment;
        if (!ArchiveRowSegment::read(block.sliced(at), declaredRows, columns, marked, at, &segment, error))
            return false;
        result.segments.push_back({0, declaredRows, at, quint32(block.size() - at), quint32(block.size() - at), false});
        result.plainBytes = block.size() - at;
        *layout = std::move(result);
        return true;
    }

    quint32 count = 0;
    if (!reader.number(count))
        return refuse(QStringLiteral("ends inside its segment count"));
    const bool split = version == kSplitVersion;
    const qint64 entryBytes = split ? 24 : 12;
    // Every segment takes its directory entry and holds a row.
    if (count > reader.remaining() / entryBytes || count > declaredRows)
        return refuse(QStringLiteral("claims %1 segments for %2 rows").arg(count).arg(declaredRows));
    result.segments.resize(count);
    quint64 firstRow = 0;
    quint64 stored = 0;
    for (Segment &segment : result.segments) {
        reader.number(segment.rows);
        reader.number(segment.plainLength);
        reader.number(segment.length);
        if (split) {
            reader.number(segment.textPlainLength);
            reader.number(segment.textLength);
            reader.number(segment.textChecksum);
        }
        segment.packed = true;
        segment.split = split;
        segment.firstRow = quint32(qMin<quint64>(firstRow, kMaxLength));
        if (segment.rows == 0 || firstRow + segment.rows > declaredRows)
            return refuse(QStringLiteral("segment of %1 rows from row %2 does not fit %3 rows")
                              .arg(segment.rows).arg(firstRow).arg(declaredRows));
        const quint64 header = ArchiveRowSegment::headerBytes(segment.rows, columns, marked);
        if (quint64(segment.rows) * columns >= kMaxLength || header > segment.plainLength)
            return refuse(QStringLiteral("segment from row %1 is too short for its %2 rows")
                              .arg(firstRow).arg(segment.rows));
        // Apart from its text, a segment's first frame holds just the marks
        // and offsets, and the two unpack into one buffer.
        if (split && (header != segment.plainLength
                      || quint64(segment.plainLength) + segment.textPlainLength > kMaxLength))
            return refuse(QStringLiteral("segment from row %1 has %2 bytes of marks and offsets where %3 are due")
                              .arg(firstRow).arg(segment.plainLength).arg(header));
        firstRow += segment.rows;
        stored += quint64(segment.length) + segment.textLength;
        result.plainBytes += qint64(segment.plainLength) + segment.textPlainLength;
    }
    if (firstRow != declaredRows)
        return refuse(QStringLiteral("segments hold %1 rows where %2 are declared").arg(firstRow).arg(declaredRows));
    if (stored != quint64(reader.remaining()))
        return refuse(QStringLiteral("segments take %1 bytes where %2 remain").arg(stored).arg(reader.remaining()));
    qint64 at = reader.position();
    for (Segment &segment : result.segments) {
        segment.at = at;
        at += segment.length;
        segment.textAt = at;
        at += segment.textLength;
    }
    *layout = std::move(result);
    return true;
}

ArchiveRowTable::ArchiveRowTable(std::shared_ptr<ArchiveDocument> document, quint32 node)
    : m_document(std::move(document)), m_node(node)
{
    if (const ArchiveDocument::RowTable *table = m_document->rowTable(m_node)) {
        m_layout = &table->layout;
        m_block = m_document->m_bytes.constData() + table->blockAt;
    }
}

const QStringList &ArchiveRowTable::titles() const
{
    static const QStringList none;
    return m_layout ? m_layout->titles : none;
}

const QString &ArchiveRowTable::markTitle() const
{
    static const QString none;
    return m_layout ? m_layout->markTitle : none;
}

qsizetype ArchiveRowTable::segmentFirstRow(qsizetype index) const
{
    return index >= 0 && index < segmentCount() ? qsizetype(m_layout->segments[size_t(index)].firstRow) : 0;
}

bool ArchiveRowTable::segment(qsizetype index, QByteArray *scratch, ArchiveRowSegment *segment,
                              QString *error) const
{
    if (index < 0 || index >= segmentCount()) {
        *error = QStringLiteral("a row table has no segment %1").arg(index);
        return false;
    }
    const Segment &stored = m_layout->segments[size_t(index)];
    if (stored.released.loadAcquire()) {
        *error = QStringLiteral("a row table segment %1 was read once already").arg(index);
        return false;
    }
    QByteArrayView bytes(m_block + stored.at, stored.length);
    const bool marked = !m_layout->markTitle.isEmpty();
    if (!stored.packed)
        return ArchiveRowSegment::read(bytes, stored.rows, m_layout->columns, marked, stored.at, segment, error);
    scratch->resize(qsizetype(stored.plainLength) + qsizetype(stored.textPlainLength));
    HugePageMemory::advise(*scratch);
    QString why;
    if (!ArchiveCompression::unpackFrame(bytes, scratch->data(), stored.plainLength, &why)) {
        *error = QStringLiteral("a row table segment at block byte %1 %2").arg(stored.at).arg(why);
        return false;
    }
    if (stored.split) {
        if (!ArchiveCompression::unpackFrame(QByteArrayView(m_block + stored.textAt, stored.textLength),
                                             scratch->data() + stored.plainLength, stored.textPlainLength, &why)) {
            *error = QStringLiteral("a row table segment's text at block byte %1 %2").arg(stored.textAt).arg(why);
            return false;
        }
        if (!ArchiveRowSegment::offsetsFromSteps(scratch->data(), stored.rows, m_layout->columns, marked, stored.at,
                                                 error))
            return false;
    }
    if (ArchiveRowSegment::read(*scratch, stored.rows, m_layout->columns, marked, 0, segment, error))
        return true;
    *error = QStringLiteral("segment %1: %2").arg(index).arg(*error);
    return false;
}

bool ArchiveRowTable::checkSegment(qsizetype index, QByteArray *scratch, QString *error) const
{
    if (index < 0 || index >= segmentCount() || !m_layout->segments[size_t(index)].split) {
        ArchiveRowSegment segment;
        return this->segment(index, scratch, &segment, error);
    }
    const Segment &stored = m_layout->segments[size_t(index)];
    if (stored.released.loadAcquire()) {
        *error = QStringLiteral("a row table segment %1 was read once already").arg(index);
        return false;
    }
    const QByteArrayView text(m_block + stored.textAt, stored.textLength);
    if (checksum(text) != stored.textChecksum) {
        *error = QStringLiteral("a row table segment's text at block byte %1 fails its checksum").arg(stored.textAt);
        return false;
    }
    if (ArchiveCompression::frameContentSize(text) != qint64(stored.textPlainLength)) {
        *error = QStringLiteral("a row table segment's text at block byte %1 is not one frame of %2 bytes")
                     .arg(stored.textAt).arg(stored.textPlainLength);
        return false;
    }
    // The steps are only added up here, so they stream through a small
    // buffer: unsigned steps rise by themselves, and offsets that start at
    // 0 and end at the text's length, without passing 32 bits, are sound.
    const bool marked = !m_layout->markTitle.isEmpty();
    const quint64 marksBytes = marked ? quint64(stored.rows) * 4 : 0;
    const quint64 steps = quint64(stored.rows) * m_layout->columns + 1;
    quint64 seen = 0;
    quint64 total = 0;
    bool firstIsZero = true;
    char carry[4];
    int carried = 0;
    const auto addUp = [&](QByteArrayView piece) {
        qsizetype at = 0;
        if (seen < marksBytes) {
            at = qsizetype(qMin<quint64>(marksBytes - seen, quint64(piece.size())));
            seen += quint64(at);
        }
        for (; at < piece.size(); ++at) {
            carry[carried++] = piece[at];
            if (carried < 4)
                continue;
            carried = 0;
            const quint32 step = qFromLittleEndian<quint32>(carry);
            if (seen == marksBytes)
                firstIsZero = step == 0;
            seen += 4;
            total += step;
            // Whole numbers, where the piece has them, go without the carry.
            while (piece.size() - at - 1 >= 4) {
                total += qFromLittleEndian<quint32>(piece.data() + at + 1);
                at += 4;
                seen += 4;
            }
        }
        return total <= kMaxLength;
    };
    QString why;
    if (!ArchiveCompression::unpackFrameInPieces(QByteArrayView(m_block + stored.at, stored.length), stored.plainLength,
                                                 addUp, &why)) {
        *error = why.isEmpty() ? QStringLiteral("segment %1: a row table cell ends past 32-bit offsets").arg(index)
                               : QStringLiteral("a row table segment at block byte %1 %2").arg(stored.at).arg(why);
        return false;
    }
    if (seen != marksBytes + steps * 4 || !firstIsZero || total != stored.textPlainLength) {
        *error = QStringLiteral("segment %1: a row table's cells add up to %2 bytes where its text holds %3")
                     .arg(index).arg(total).arg(stored.textPlainLength);
        return false;
    }
    return true;
}

void ArchiveRowTable::releaseSegment(qsizetype index) const
{
    if (index < 0 || index >= segmentCount() || !m_document->bytesReleasable())
        return;
    const Segment &stored = m_layout->segments[size_t(index)];
    // A split segment's text frame follows its first frame.
    if (stored.packed && stored.released.testAndSetOrdered(0, 1))
        HugePageMemory::discard(m_block + stored.at, stored.split ? stored.textAt + stored.textLength - stored.at
                                                                  : stored.length);
}

bool ArchiveRowTable::claim(QString *error) const
{
    if (!m_layout || !m_document->bytesReleasable() || m_layout->claimed.testAndSetOrdered(0, 1))
        return true;
    *error = QStringLiteral("a row table was read once already");
    return false;
}

ArchiveArray ArchiveRowTable::styledCells() const
{
    const ArchiveDocument::RowTable *table = m_layout ? m_document->rowTable(m_node) : nullptr;
    return table ? ArchiveArray(m_document, table->styled) : ArchiveArray();
}

void ArchiveRowTable::fail(const QString &reason) const
{
    if (m_document)
        m_document->fail(reason);
}
