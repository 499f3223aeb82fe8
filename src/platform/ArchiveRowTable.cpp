#include "ArchiveRowTable.h"

#include "ArchiveDocument.h"

#include <QtEndian>

#include <limits>

namespace {

constexpr quint32 kVersion = 1;
constexpr quint64 kMaxOffset = std::numeric_limits<quint32>::max();

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

quint32 numberAt(const char *data)
{
    return qFromLittleEndian<quint32>(data);
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
        value = numberAt(m_block.data() + m_at);
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
        value = QString::fromUtf8(bytes);
        m_at += length;
        return true;
    }
    bool skip(quint64 bytes)
    {
        if (bytes > quint64(remaining()))
            return false;
        m_at += qint64(bytes);
        return true;
    }

private:
    QByteArrayView m_block;
    qint64 m_at = 0;
};

bool isContinuationByte(char byte)
{
    return (quint8(byte) & 0xc0) == 0x80;
}

} // namespace

ArchiveRowTable::Writer::Writer(const QString &markTitle, const QStringList &titles, qsizetype rows)
    : m_markTitle(markTitle), m_titles(titles)
{
    if (!markTitle.isEmpty())
        m_marks.reserve(size_t(rows));
    m_offsets.reserve(size_t(rows) * size_t(titles.size()) + 1);
    m_offsets.push_back(0);
}

void ArchiveRowTable::Writer::addRow(quint32 mark, const QStringView *cells)
{
    ++m_rows;
    if (!m_markTitle.isEmpty())
        m_marks.push_back(mark);
    for (qsizetype c = 0; c < m_titles.size(); ++c) {
        const QStringView cell = cells[c];
        const qsizetype start = m_text.size();
        const qsizetype units = cell.size();
        if (quint64(start) + quint64(units) * 3 > kMaxOffset || m_offsets.size() >= kMaxOffset) {
            m_fits = false;
            return;
        }
        m_text.resize(start + units * 3);
        char *out = m_text.data() + start;
        const char16_t *in = cell.utf16();
        qsizetype i = 0;
        while (i < units && in[i] < 0x80) {
            out[i] = char(in[i]);
            ++i;
        }
        const char *end = i == units ? out + units : m_utf8.appendToBuffer(out, cell);
        m_text.resize(start + (end - out));
        m_offsets.push_back(quint32(m_text.size()));
    }
}

QByteArray ArchiveRowTable::Writer::finish()
{
    if (!m_fits)
        return {};
    QByteArray out;
    out.reserve(64 + qsizetype(m_marks.size() + m_offsets.size()) * 4 + m_text.size());
    appendNumber(out, kVersion);
    appendNumber(out, m_rows);
    appendNumber(out, quint32(m_titles.size()));
    appendText(out, m_markTitle);
    for (const QString &title : std::as_const(m_titles))
        appendText(out, title);
    for (const quint32 mark : m_marks)
        appendNumber(out, mark);
    for (const quint32 offset : m_offsets)
        appendNumber(out, offset);
    // A million rows' offsets and text are large: let go of each once copied.
    std::vector<quint32>().swap(m_marks);
    std::vector<quint32>().swap(m_offsets);
    out.append(m_text);
    m_text = QByteArray();
    return out;
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
    if (version != kVersion)
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
    result.marksAt = reader.position();
    if (!result.markTitle.isEmpty() && !reader.skip(quint64(declaredRows) * 4))
        return refuse(QStringLiteral("ends inside its marks"));
    // 64-bit products of 32-bit numbers cannot wrap.
    const quint64 cells = quint64(declaredRows) * columns;
    if (cells >= kMaxOffset)
        return refuse(QStringLiteral("claims %1 cells").arg(cells));
    result.offsetsAt = reader.position();
    if (!reader.skip((cells + 1) * 4))
        return refuse(QStringLiteral("ends inside its %1 cell offsets").arg(cells + 1));
    result.textAt = reader.position();
    result.textLength = reader.remaining();
    const char *offsets = block.data() + result.offsetsAt;
    const char *text = block.data() + result.textAt;
    quint32 previous = numberAt(offsets);
    if (previous != 0)
        return refuse(QStringLiteral("text does not start at offset 0"));
    for (quint64 i = 1; i <= cells; ++i) {
        const quint32 offset = numberAt(offsets + i * 4);
        if (offset < previous || offset > result.textLength)
            return refuse(QStringLiteral("cell %1 has offset %2 outside %3..%4")
                              .arg(i - 1).arg(offset).arg(previous).arg(result.textLength));
        // Cells are decoded one by one, so none may split a character.
        if (offset < result.textLength && isContinuationByte(text[offset]))
            return refuse(QStringLiteral("cell %1 ends inside a character").arg(i - 1));
        previous = offset;
    }
    if (previous != result.textLength)
        return refuse(QStringLiteral("text holds %1 bytes after its last cell").arg(result.textLength - previous));
    if (!QByteArrayView(text, result.textLength).isValidUtf8())
        return refuse(QStringLiteral("text is not valid UTF-8"));
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

quint32 ArchiveRowTable::markAt(qsizetype row) const
{
    if (!m_layout || m_layout->markTitle.isEmpty() || row < 0 || row >= qsizetype(m_layout->rows))
        return 0;
    return numberAt(m_block + m_layout->marksAt + row * 4);
}

QByteArrayView ArchiveRowTable::cellAt(qsizetype row, qsizetype column) const
{
    if (!m_layout || row < 0 || row >= qsizetype(m_layout->rows) || column < 0
        || column >= qsizetype(m_layout->columns))
        return {};
    const qint64 cell = qint64(row) * m_layout->columns + column;
    const char *offsets = m_block + m_layout->offsetsAt + cell * 4;
    const quint32 start = numberAt(offsets);
    const quint32 end = numberAt(offsets + 4);
    return QByteArrayView(m_block + m_layout->textAt + start, end - start);
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
