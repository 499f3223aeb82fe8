#include "RowTableCodec.h"

#include "DeferredRows.h"

#include "platform/ArchiveArray.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/ArchiveCompression.h"
#include "platform/ArchiveRowSegment.h"
#include "platform/ArchiveRowSegmentWriter.h"
#include "platform/ArchiveRowTable.h"
#include "platform/HugePageMemory.h"
#include "platform/ParallelRun.h"

#include <QSet>
#include <QVarLengthArray>

#include <algorithm>

#include <limits>
#include <vector>

void RowTableCodec::encode(const RowList &rows, ArchiveEncoder &coder, QStringView key)
{
    if (fitsOneTable(rows) && encodeTable(rows, coder, key))
        return;
    coder.beginArray(rows.size(), key);
    for (const Row &row : rows)
        row.encodeWithCoder(coder, {});
    coder.endArray();
}

bool RowTableCodec::fitsOneTable(const RowList &rows)
{
    if (rows.isEmpty())
        return false;
    const RowSchema::Ptr &schema = rows.first().schema();
    const bool marked = rows.first().hasIndication();
    const QStringList &titles = schema->titles();
    if (titles.contains(Row::kIndicationKey) || titles.contains(QString())
        || titles.size() != QSet<QString>(titles.cbegin(), titles.cend()).size())
        return false;
    for (const Row &row : rows) {
        if (row.hasIndication() != marked
            || (row.schema() != schema && row.schema()->titles() != titles))
            return false;
    }
    return true;
}

bool RowTableCodec::encodeTable(const RowList &rows, ArchiveEncoder &coder, QStringView key)
{
    const QStringList titles = rows.first().schema()->titles();
    const qsizetype columns = titles.size();
    const bool marked = rows.first().hasIndication();
    using Styled = std::vector<std::pair<qint64, AttributedText>>;
    const qsizetype count = (rows.size() + ArchiveRowTable::kSegmentRows - 1) / ArchiveRowTable::kSegmentRows;
    std::vector<QByteArray> heads(static_cast<size_t>(count));
    std::vector<QByteArray> texts(static_cast<size_t>(count));
    std::vector<quint32> headLengths(static_cast<size_t>(count));
    std::vector<quint32> textLengths(static_cast<size_t>(count));
    std::vector<Styled> styled(static_cast<size_t>(count));
    const int workers = ParallelRun::workersFor(count);
    std::vector<ArchiveRowSegmentWriter> writers;
    for (int w = 0; w < workers; ++w)
        writers.emplace_back(columns, marked);
    const bool packed = ParallelRun::run(count, workers, [&](qsizetype s, int worker) {
        ArchiveRowSegmentWriter &writer = writers[size_t(worker)];
        const qsizetype first = s * ArchiveRowTable::kSegmentRows;
        const qsizetype last = std::min(rows.size(), first + ArchiveRowTable::kSegmentRows);
        writer.start(quint32(last - first));
        QVarLengthArray<QStringView, 32> cells(columns + 1);
        for (qsizetype r = first; r < last; ++r) {
            const Row &row = rows.at(r);
            for (qsizetype c = 0; c < columns; ++c)
                cells[c] = row.cellTextAt(c);
            writer.addRow(row.indication(), cells.constData());
            if (!writer.fits())
                return false;
            if (!row.hasAttributeRuns())
                continue;
            for (qsizetype c = 0; c < columns; ++c) {
                AttributedText cell = row.cellAt(c);
                if (!cell.hasOnlyDefaultAttributes())
                    styled[size_t(s)].emplace_back(qint64(r) * columns + c, std::move(cell));
            }
        }
        writer.turnOffsetsIntoSteps();
        const QByteArrayView bytes = writer.bytes();
        const qsizetype head = qsizetype(ArchiveRowSegment::headerBytes(quint32(last - first), quint32(columns), marked));
        headLengths[size_t(s)] = quint32(head);
        textLengths[size_t(s)] = quint32(bytes.size() - head);
        return ArchiveCompression::packFrame(bytes.first(head), &heads[size_t(s)])
            && ArchiveCompression::packFrame(bytes.sliced(head), &texts[size_t(s)]);
    });
    writers.clear();
    if (!packed)
        return false;
    ArchiveRowTable::Writer table(marked ? Row::kIndicationKey : QString(), titles, rows.size());
    qsizetype styledCount = 0;
    for (qsizetype s = 0; s < count; ++s) {
        const quint32 segmentRows = std::min(ArchiveRowTable::kSegmentRows, quint32(rows.size() - s * ArchiveRowTable::kSegmentRows));
        table.addSegment(segmentRows, headLengths[size_t(s)], std::move(heads[size_t(s)]), textLengths[size_t(s)],
                         std::move(texts[size_t(s)]));
        styledCount += qsizetype(styled[size_t(s)].size());
    }
    const std::vector<QByteArray> block = table.finish();
    if (block.empty() || styledCount > std::numeric_limits<qint32>::max() / 2)
        return false;
    for (const Styled &cells : styled) {
        if (!cells.empty() && cells.back().first > std::numeric_limits<qint32>::max())
            return false;
    }
    coder.beginRowTable(rows.size(), block, styledCount * 2, key);
    for (const Styled &cells : styled) {
        for (const auto &[cell, text] : cells) {
            coder.encodeInt32(qint32(cell), {});
            coder.encodeAttributedText(text, {});
        }
    }
    coder.endRowTable();
    return true;
}

bool RowTableCodec::decode(const ArchiveDecoder &coder, QStringView key, RowList *rows,
                           std::unique_ptr<DeferredRows> *deferred)
{
    deferred->reset();
    const ArchiveRowTable table = coder.decodeRowTable(key);
    if (table.isValid())
        return decodeTable(table, rows, deferred);
    return decodeDictionaries(coder, key, rows);
}

bool RowTableCodec::decodeTable(const ArchiveRowTable &table, RowList *rows, std::unique_ptr<DeferredRows> *deferred)
{
    const QStringList &titles = table.titles();
    const qsizetype columns = titles.size();
    if ((!table.markTitle().isEmpty() && table.markTitle() != Row::kIndicationKey)
        || titles.contains(Row::kIndicationKey)) {
        table.fail(QStringLiteral("a row table names its marks other than %1").arg(Row::kIndicationKey));
        return false;
    }
    QString claimError;
    if (!table.claim(&claimError)) {
        table.fail(claimError);
        return false;
    }
    const qsizetype count = table.segmentCount();
    std::vector<qsizetype> firstRows(static_cast<size_t>(count));
    for (qsizetype s = 0; s < count; ++s)
        firstRows[size_t(s)] = table.segmentFirstRow(s);

    // Styled cells go with their segments, and are checked with them.
    std::vector<std::vector<DeferredRows::StyledCell>> styledCells(static_cast<size_t>(count));
    const ArchiveArray styled = table.styledCells();
    for (qsizetype i = 0; i + 1 < styled.size(); i += 2) {
        const qint64 cell = styled.int32At(i);
        AttributedText text = styled.attributedTextAt(i + 1);
        if (styled.failed())
            return false;
        const qint64 row = columns > 0 ? cell / columns : -1;
        if (cell < 0 || row >= table.rowCount() || columns == 0) {
            table.fail(QStringLiteral("a styled cell of a row table does not match its cell %1").arg(cell));
            return false;
        }
        const auto after = std::upper_bound(firstRows.cbegin(), firstRows.cend(), row);
        styledCells[size_t(after - firstRows.cbegin() - 1)].push_back({row, qsizetype(cell % columns), std::move(text)});
    }

    // Every segment is checked now, so that a damaged file fails when it is
    // read; the rows are built when first asked for. Only a segment with
    // styled cells has its text unpacked, to hold them against it.
    const int workers = ParallelRun::workersFor(count);
    std::vector<QByteArray> scratch(static_cast<size_t>(workers));
    std::vector<QString> errors(static_cast<size_t>(count));
    const bool checked = ParallelRun::run(count, workers, [&](qsizetype s, int worker) {
        if (styledCells[size_t(s)].empty())
            return table.checkSegment(s, &scratch[size_t(worker)], &errors[size_t(s)]);
        ArchiveRowSegment segment;
        if (!table.segment(s, &scratch[size_t(worker)], &segment, &errors[size_t(s)]))
            return false;
        for (const DeferredRows::StyledCell &cell : styledCells[size_t(s)]) {
            if (segment.cellAt(cell.row - firstRows[size_t(s)], cell.column) != cell.text.string().toUtf8()) {
                errors[size_t(s)] = QStringLiteral("a styled cell of a row table does not match its cell %1")
                                        .arg(qint64(cell.row) * columns + cell.column);
                return false;
            }
        }
        return true;
    });
    scratch.clear();
    if (!checked) {
        const auto found = std::find_if(errors.cbegin(), errors.cend(), [](const QString &e) { return !e.isEmpty(); });
        table.fail(found != errors.cend() ? *found : QStringLiteral("out of memory reading a row table"));
        return false;
    }

    RowList result;
    result.reserve(table.rowCount());
    HugePageMemory::advise(result.data(), size_t(table.rowCount()) * sizeof(Row));
    result.resize(table.rowCount());
    *deferred = std::make_unique<DeferredRows>(table, RowSchema::make(titles), std::move(styledCells));
    *rows = std::move(result);
    return true;
}

bool RowTableCodec::decodeDictionaries(const ArchiveDecoder &coder, QStringView key, RowList *rows)
{
    if (coder.kindForKey(key) != ArchiveKind::Array)
        return true;
    const ArchiveArray array = coder.decodeArray(key);
    const qsizetype count = array.size();
    RowList result;
    result.reserve(count);
    RowSchema::Ptr schema;
    for (qsizetype i = 0; i < count; ++i) {
        if (array.kindAt(i) != ArchiveKind::Dictionary) {
            array.fail(QStringLiteral("a row of %1 is not a dictionary").arg(key));
            return false;
        }
        Row row = Row::decode(array.dictionaryAt(i), schema);
        schema = row.schema();
        result.append(std::move(row));
    }
    *rows = std::move(result);
    return true;
}
