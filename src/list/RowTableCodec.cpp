#include "RowTableCodec.h"

#include "RowBlockBuilder.h"

#include "platform/ArchiveArray.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/ArchiveRowTable.h"

#include <QSet>
#include <QStringDecoder>

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
    ArchiveRowTable::Writer writer(marked ? Row::kIndicationKey : QString(), titles, rows.size());
    std::vector<QStringView> cells(size_t(columns) + 1);
    std::vector<std::pair<qint64, AttributedText>> styled;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const Row &row = rows.at(r);
        for (qsizetype c = 0; c < columns; ++c) {
            cells[size_t(c)] = row.cellTextAt(c);
            // Row offers no cheaper test for runs; empty cells cost nothing.
            if (!cells[size_t(c)].isEmpty()) {
                AttributedText cell = row.cellAt(c);
                if (!cell.hasOnlyDefaultAttributes())
                    styled.emplace_back(qint64(r) * columns + c, std::move(cell));
            }
        }
        writer.addRow(row.indication(), cells.data());
        if (!writer.fits())
            return false;
    }
    if (styled.size() > size_t(std::numeric_limits<qint32>::max()) / 2
        || (!styled.empty() && styled.back().first > std::numeric_limits<qint32>::max()))
        return false;
    coder.beginRowTable(rows.size(), writer.finish(), qsizetype(styled.size()) * 2, key);
    for (const auto &[cell, text] : styled) {
        coder.encodeInt32(qint32(cell), {});
        coder.encodeAttributedText(text, {});
    }
    coder.endRowTable();
    return true;
}

bool RowTableCodec::decode(const ArchiveDecoder &coder, QStringView key, RowList *rows)
{
    const ArchiveRowTable table = coder.decodeRowTable(key);
    if (table.isValid())
        return decodeTable(table, rows);
    return decodeDictionaries(coder, key, rows);
}

bool RowTableCodec::decodeTable(const ArchiveRowTable &table, RowList *rows)
{
    const QStringList &titles = table.titles();
    const qsizetype columns = titles.size();
    const bool marked = !table.markTitle().isEmpty();
    if ((marked && table.markTitle() != Row::kIndicationKey) || titles.contains(Row::kIndicationKey)) {
        table.fail(QStringLiteral("a row table names its marks other than %1").arg(Row::kIndicationKey));
        return false;
    }
    const RowSchema::Ptr schema = RowSchema::make(titles);
    RowList result;
    result.reserve(table.rowCount());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString scratch;
    QList<QStringView> texts(columns);
    std::vector<qsizetype> ends(static_cast<size_t>(columns));
    // Rows go into shared blocks: a million rows cost a handful of allocations.
    RowBlockBuilder builder(schema);
    for (qsizetype r = 0; r < table.rowCount(); ++r) {
        // The reader checked the text: each cell is whole UTF-8, so it
        // decodes to at most its byte count in UTF-16 units.
        qsizetype bytes = 0;
        for (qsizetype c = 0; c < columns; ++c)
            bytes += table.cellAt(r, c).size();
        if (scratch.size() < bytes)
            scratch.resize(qMax(bytes, scratch.size() * 2));
        QChar *start = scratch.data();
        QChar *out = start;
        for (qsizetype c = 0; c < columns; ++c) {
            out = utf8.appendToBuffer(out, table.cellAt(r, c));
            ends[size_t(c)] = out - start;
        }
        for (qsizetype c = 0, from = 0; c < columns; from = ends[size_t(c)], ++c)
            texts[c] = QStringView(start + from, ends[size_t(c)] - from);
        Row row = builder.append(texts.constData(), columns, table.markAt(r), marked);
        if (row.isEmpty() && columns > 0)
            row = Row::fromTexts(schema, texts, table.markAt(r), marked);
        result.append(std::move(row));
    }

    const ArchiveArray styled = table.styledCells();
    for (qsizetype i = 0; i + 1 < styled.size(); i += 2) {
        const qint64 cell = styled.int32At(i);
        const AttributedText text = styled.attributedTextAt(i + 1);
        if (styled.failed())
            return false;
        const qint64 row = columns > 0 ? cell / columns : -1;
        if (cell < 0 || row >= result.size() || columns == 0
            || result.at(row).cellTextAt(cell % columns) != QStringView(text.string())) {
            table.fail(QStringLiteral("a styled cell of a row table does not match its cell %1").arg(cell));
            return false;
        }
        result[row].setCell(titles.at(cell % columns), text);
    }
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
