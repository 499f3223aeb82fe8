#include "CsvChunkImport.h"

#include "CsvLineSplitter.h"
#include "CsvSource.h"

#include "list/RowBlockBuilder.h"
#include "platform/HugePageMemory.h"
#include "platform/TextCodec.h"

#include <QMutexLocker>

#include <algorithm>
#include <cstring>
#include <list>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// How often a piece looks at the cancel flag, in records.
constexpr qsizetype kCancelCheckEvery = 4096;

// Each thread holds a piece's bytes and its decoded text (up to two UTF-16
// units, four bytes, per byte) while it works on it.
constexpr qint64 kWorkingBytesPerPieceByte = 5;

struct ByteTraits
{
    bool cr = false;
    bool eightBit = false;
    bool escape = false;
};

ByteTraits traitsOf(const QByteArray &bytes)
{
    ByteTraits traits;
    const char *p = bytes.constData();
    const qsizetype n = bytes.size();
    traits.cr = std::memchr(p, '\r', size_t(n)) != nullptr;
    // ISO-2022-JP switches character sets with ESC "$" or ESC "(".
    for (const char *esc = static_cast<const char *>(std::memchr(p, 0x1B, size_t(n))); esc;
         esc = static_cast<const char *>(std::memchr(esc + 1, 0x1B, size_t(p + n - esc - 1)))) {
        if (esc + 1 < p + n && (esc[1] == '$' || esc[1] == '(')) {
            traits.escape = true;
            break;
        }
    }
    quint64 any = 0;
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, p + i, 8);
        any |= word;
    }
    for (; i < n; ++i)
        any |= quint64(quint8(p[i]));
    traits.eightBit = (any & 0x8080808080808080ull) != 0;
    return traits;
}

qint64 countLines(QStringView text)
{
    qint64 lines = 0;
    const char16_t *p = text.utf16();
    const char16_t *end = p + text.size();
    for (; p < end; ++p) {
        if (!CsvLineSplitter::isLineTerminator(*p))
            continue;
        if (*p == u'\r' && p + 1 < end && p[1] == u'\n')
            ++p;
        ++lines;
    }
    return lines;
}

} // namespace

struct CsvChunkImport::Worker
{
    Piece piece;
    QString text;
    std::optional<RowBlockBuilder> builder;
    QList<QStringView> cells;
    qint64 reservedBefore = 0;
};

CsvChunkImport::CsvChunkImport(CsvSource &source, const Settings &settings)
    : m_source(source), m_settings(settings)
{
}

CsvChunkImport::~CsvChunkImport() = default;

bool CsvChunkImport::keepGoing() const
{
    return !m_stop.load(std::memory_order_relaxed)
        && (!m_settings.keepGoing || m_settings.keepGoing->load(std::memory_order_relaxed));
}

void CsvChunkImport::fail(Outcome outcome)
{
    QMutexLocker lock(&m_mutex);
    if (!m_failure)
        m_failure = outcome;
    m_stop.store(true);
}

bool CsvChunkImport::nextPiece(Piece &piece, qint64 pieceBytes)
{
    QMutexLocker lock(&m_mutex);
    if (m_failure || (m_source.atEnd() && m_carry.isEmpty()))
        return false;
    // The piece's buffer is reused from piece to piece: fresh pages for
    // every piece would cost more in page faults than the parsing.
    piece.bytes.resize(0);
    piece.bytes.append(m_carry);
    m_carry.resize(0);
    piece.first = m_nextIndex == 0;
    // A line feed byte is a line feed in every encoding read in pieces, so a
    // piece ends after the last one it holds; a longer line makes it grow.
    for (;;) {
        // Only the bytes just read are searched: the carry holds no line feed.
        const qsizetype before = piece.bytes.size();
        if (!m_source.read(piece.bytes, pieceBytes)) {
            m_error = m_source.errorString();
            m_failure = Outcome::ReadError;
            m_stop.store(true);
            return false;
        }
        if (m_source.atEnd())
            break;
        const qsizetype found = QByteArrayView(piece.bytes).sliced(before).lastIndexOf('\n');
        if (found >= 0) {
            const qsizetype cut = before + found;
            m_carry.append(QByteArrayView(piece.bytes).sliced(cut + 1));
            piece.bytes.truncate(cut + 1);
            break;
        }
    }
    piece.last = m_source.atEnd() && m_carry.isEmpty();
    piece.index = m_nextIndex++;
    return true;
}

bool CsvChunkImport::decode(const Piece &piece, QString &text)
{
    return TextCodec::decodePiece(piece.bytes, m_settings.encoding, piece.first, text);
}

void CsvChunkImport::makeTitles(const QList<QStringView> &fields)
{
    m_titles.emplace(fields);
    QStringList schemaTitles{Row::kOptionKey};
    schemaTitles += m_titles->titles();
    m_schema = RowSchema::make(schemaTitles);
}

qsizetype CsvChunkImport::parse(QStringView text, bool last, Worker &worker, PieceResult &result)
{
    CsvLineSplitter splitter(text, m_settings.quoted);
    qint64 lineCursor = 0;
    qsizetype counted = 0;
    const auto lineAt = [&](qsizetype position) {
        if (!m_settings.quoted)
            return result.lines + 1; // a plain record is exactly one line
        lineCursor += countLines(text.sliced(counted, position - counted));
        counted = position;
        return lineCursor + 1;
    };
    const auto finish = [&](qsizetype consumed) {
        if (m_settings.quoted) {
            lineAt(consumed);
            result.lines = lineCursor;
        }
        return consumed;
    };
    qsizetype records = 0;
    for (;;) {
        const qsizetype start = splitter.position();
        if (!splitter.next())
            break;
        if (++records % kCancelCheckEvery == 0 && !keepGoing())
            return finish(text.size());
        if (splitter.unterminatedQuote()) {
            if (!last)
                return finish(start);
            const qint64 line = lineAt(start);
            result.rejections.append({splitter.record().toString(), 1, line, true});
            break;
        }
        const QList<QStringView> &fields = splitter.fields();
        if (!m_titles) {
            makeTitles(fields);
            ++result.lines;
            continue;
        }
        const qsizetype titleCount = m_titles->titles().size();
        const qsizetype filled = std::min(titleCount, fields.size());
        if (result.longest.size() < filled)
            result.longest.resize(filled, 0);
        for (qsizetype c = 0; c < filled; ++c)
            result.longest[c] = std::max(result.longest[c], fields.at(c).size());
        if (!worker.builder)
            worker.builder.emplace(m_schema);
        Row row;
        if (fields.size() >= titleCount) {
            worker.cells.resize(titleCount + 1);
            worker.cells[0] = QStringView();
            std::copy(fields.cbegin(), fields.cbegin() + titleCount, worker.cells.begin() + 1);
            row = worker.builder->append(worker.cells.constData(), worker.cells.size());
        }
        if (row.isEmpty()) {
            QString joined;
            for (const QStringView field : fields)
                joined += field;
            result.rejections.append({joined, fields.size(), lineAt(start), false});
        } else {
            result.rows.append(std::move(row));
        }
        if (!m_settings.quoted)
            ++result.lines;
    }
    return finish(text.size());
}

bool CsvChunkImport::store(PieceResult &&result, qint64 index, qint64 memory)
{
    QMutexLocker lock(&m_mutex);
    m_consumed += result.bytes;
    m_used += memory;
    m_results.emplace(index, std::move(result));
    const int threads = std::max(1, m_settings.threads);
    const qint64 size = std::max<qint64>(m_source.size(), 1);
    const qint64 working = threads * kWorkingBytesPerPieceByte * std::min(m_settings.pieceBytes, size);
    const double scale = m_consumed > 0 ? double(size) / double(m_consumed) : 1.0;
    const qint64 estimate = qint64(double(m_used) * std::max(scale, 1.0)) + working;
    if (estimate > m_settings.memoryBudget) {
        m_needed = estimate;
        if (!m_failure)
            m_failure = Outcome::OverBudget;
        m_stop.store(true);
        return false;
    }
    return true;
}

void CsvChunkImport::workLoop(Worker &worker, bool reports)
{
    Piece &piece = worker.piece;
    QString &text = worker.text;
    while (keepGoing() && nextPiece(piece, m_settings.pieceBytes)) {
        PieceResult result;
        result.bytes = piece.bytes.size();
        const ByteTraits traits = traitsOf(piece.bytes);
        if (!decode(piece, text)) {
            fail(Outcome::WrongEncoding);
            return;
        }
        parse(text, true, worker, result);
        const qint64 reserved = worker.builder ? worker.builder->reservedUnits() : 0;
        qint64 memory = 2 * (reserved - worker.reservedBefore)
            + qint64(result.rows.size()) * Row::storageOverhead();
        worker.reservedBefore = reserved;
        for (const Rejection &r : std::as_const(result.rejections))
            memory += 2 * r.text.size();
        {
            QMutexLocker lock(&m_mutex);
            m_sawCr = m_sawCr || traits.cr;
            m_sawEightBit = m_sawEightBit || traits.eightBit;
            m_sawEscape = m_sawEscape || traits.escape;
        }
        if (!store(std::move(result), piece.index, memory))
            return;
        if (reports && m_settings.progress) {
            qint64 consumed = 0;
            {
                QMutexLocker lock(&m_mutex);
                consumed = m_consumed;
            }
            m_settings.progress(consumed);
        }
    }
}

CsvChunkImport::Outcome CsvChunkImport::runSequential(Worker &worker)
{
    // Records may span pieces: an open quote at the end of one carries its
    // text over, and the next piece is read larger so that a quote left open
    // to the end of the file costs linear time.
    QString carried;
    qint64 pieceBytes = m_settings.pieceBytes;
    if (m_settings.encoding == TextEncoding::Iso2022Jp)
        pieceBytes = std::max<qint64>(m_source.size(), 1); // stateful: decoded whole
    Piece &piece = worker.piece;
    QString &text = worker.text;
    while (keepGoing() && nextPiece(piece, pieceBytes)) {
        PieceResult result;
        result.bytes = piece.bytes.size();
        const ByteTraits traits = traitsOf(piece.bytes);
        m_sawCr = m_sawCr || traits.cr;
        m_sawEightBit = m_sawEightBit || traits.eightBit;
        m_sawEscape = m_sawEscape || traits.escape;
        if (!decode(piece, text))
            return Outcome::WrongEncoding;
        if (!carried.isEmpty()) {
            text.prepend(carried);
            carried = QString();
        }
        const qsizetype consumed = parse(text, piece.last, worker, result);
        if (consumed < text.size()) {
            carried = text.sliced(consumed);
            pieceBytes = std::min<qint64>(pieceBytes * 2, qint64(1) << 40);
        }
        const qint64 reserved = worker.builder ? worker.builder->reservedUnits() : 0;
        qint64 memory = 2 * (reserved - worker.reservedBefore)
            + qint64(result.rows.size()) * Row::storageOverhead() + 2 * carried.size();
        worker.reservedBefore = reserved;
        for (const Rejection &r : std::as_const(result.rejections))
            memory += 2 * r.text.size();
        if (!store(std::move(result), piece.index, memory))
            return Outcome::OverBudget;
        m_used -= 2 * carried.size();
        if (m_settings.progress)
            m_settings.progress(m_consumed);
    }
    return Outcome::Done;
}

CsvChunkImport::Outcome CsvChunkImport::runParallel(Worker &worker)
{
    // The first piece holds the titles every other piece needs.
    {
        Piece &piece = worker.piece;
        QString &text = worker.text;
        if (!nextPiece(piece, m_settings.pieceBytes))
            return Outcome::Done;
        PieceResult result;
        result.bytes = piece.bytes.size();
        const ByteTraits traits = traitsOf(piece.bytes);
        m_sawCr = traits.cr;
        m_sawEightBit = traits.eightBit;
        m_sawEscape = traits.escape;
        if (!decode(piece, text))
            return Outcome::WrongEncoding;
        parse(text, true, worker, result);
        const qint64 reserved = worker.builder ? worker.builder->reservedUnits() : 0;
        worker.reservedBefore = reserved;
        qint64 memory = 2 * reserved + qint64(result.rows.size()) * Row::storageOverhead();
        for (const Rejection &r : std::as_const(result.rejections))
            memory += 2 * r.text.size();
        if (!store(std::move(result), piece.index, memory))
            return Outcome::OverBudget;
        if (m_settings.progress)
            m_settings.progress(m_consumed);
    }
    std::list<std::thread> helpers;
    std::list<Worker> helperWorkers;
    std::atomic_bool helperFailed{false};
    for (int i = 1; i < m_settings.threads && m_titles; ++i) {
        Worker &helper = helperWorkers.emplace_back();
        helpers.emplace_back([this, &helper, &helperFailed] {
            try {
                workLoop(helper, false);
            } catch (...) {
                helperFailed.store(true);
                fail(Outcome::OverBudget);
            }
        });
    }
    try {
        workLoop(worker, true);
    } catch (...) {
        fail(Outcome::OverBudget);
        for (std::thread &t : helpers)
            t.join();
        throw;
    }
    for (std::thread &t : helpers)
        t.join();
    return Outcome::Done;
}

CsvChunkImport::Outcome CsvChunkImport::run()
{
    Worker worker;
    const bool piecesStandAlone = !m_settings.quoted && m_settings.encoding != TextEncoding::Iso2022Jp;
    Outcome outcome = piecesStandAlone && m_settings.threads > 1 ? runParallel(worker) : runSequential(worker);
    {
        QMutexLocker lock(&m_mutex);
        if (m_failure)
            outcome = *m_failure;
    }
    if (outcome == Outcome::Done && !(m_settings.keepGoing ? m_settings.keepGoing->load() : true))
        outcome = Outcome::Cancelled;
    if (outcome == Outcome::OverBudget && m_needed == 0)
        m_needed = m_used;
    if (outcome == Outcome::Done)
        merge();
    else
        m_results.clear();
    return outcome;
}

void CsvChunkImport::merge()
{
    qsizetype total = 0;
    for (const auto &[index, result] : m_results)
        total += result.rows.size();
    m_rows.reserve(total);
    HugePageMemory::advise(m_rows.data(), size_t(total) * sizeof(Row));
    qint64 lines = 0;
    for (auto &[index, result] : m_results) {
        m_rows.append(std::move(result.rows));
        result.rows = RowList();
        for (Rejection &r : result.rejections) {
            r.line += lines;
            m_rejections.append(std::move(r));
        }
        if (m_longest.size() < result.longest.size())
            m_longest.resize(result.longest.size(), 0);
        for (qsizetype c = 0; c < result.longest.size(); ++c)
            m_longest[c] = std::max(m_longest[c], result.longest[c]);
        lines += result.lines;
    }
    m_results.clear();
}

RowList CsvChunkImport::takeRows()
{
    return std::exchange(m_rows, RowList());
}

QList<CsvChunkImport::Rejection> CsvChunkImport::takeRejections()
{
    return std::exchange(m_rejections, QList<Rejection>());
}
