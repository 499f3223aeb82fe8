#include "Row.h"

#include "RowBlock.h"

#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"

#include <QSharedData>
#include <QStringDecoder>
#include <QVarLengthArray>

#include <new>

// Non-default attribute runs of a row, by schema position (null = default).
struct RowRuns : QSharedData
{
    QList<AttributedText::SharedRuns> perCell;
};

// Buffer layout: for each of the schema's n cells, its end offset, then the
// cell texts back to back. An offset takes one UTF-16 unit when the row's
// text fits 16 bits (`narrow`, nearly every row), else two (low, high). The buffer is
// either a block of the row's own or a stretch of a shared block; `base`
// points at it in both cases. A copy keeps pointing at the same storage,
// which the copied `block` keeps alive. Members are ordered so that a row
// costs 48 bytes: a million of them is a noticeable share of a list.
namespace {

constexpr qsizetype kNarrowUnits = 0xffff;

qsizetype offsetUnits(qsizetype cells, bool narrow)
{
    return narrow ? cells : 2 * cells;
}

void writeEnd(char16_t *offsets, qsizetype index, quint32 end, bool narrow)
{
    if (narrow) {
        offsets[index] = char16_t(end);
        return;
    }
    offsets[2 * index] = char16_t(end & 0xffffu);
    offsets[2 * index + 1] = char16_t(end >> 16);
}

} // namespace

class RowData : public QSharedData
{
public:
    // Set only on a row data placed inside its block; a copy lives on the heap.
    struct PlacedFlag
    {
        bool value = false;
        PlacedFlag() = default;
        PlacedFlag(const PlacedFlag &) {}
        PlacedFlag &operator=(const PlacedFlag &) { return *this; }
    };

    // A placed row data is destroyed in place; the block reference goes last,
    // since it may free the memory the row data lives in.
    static void operator delete(RowData *p, std::destroying_delete_t)
    {
        if (!p->placed.value) {
            p->~RowData();
            ::operator delete(p);
            return;
        }
        const QExplicitlySharedDataPointer<const RowBlock> keep = std::move(p->block);
        p->~RowData();
    }

    RowData() = default;
    RowData(const RowData &) = default;
    // Takes the counts it is handed, without touching the empty schema's.
    RowData(RowSchema::Ptr &&rowSchema, QExplicitlySharedDataPointer<const RowBlock> &&rowBlock)
        : schema(std::move(rowSchema)), block(std::move(rowBlock))
    {
    }

    quint32 indication = 0;
    PlacedFlag placed;
    bool hasIndication = false;
    bool narrow = false;
    RowSchema::Ptr schema = RowSchema::empty();
    QExplicitlySharedDataPointer<const RowBlock> block;
    const char16_t *base = nullptr;
    QExplicitlySharedDataPointer<RowRuns> runs;

    qsizetype cellCount() const { return schema->size(); }

    quint32 endOf(qsizetype index) const
    {
        return narrow ? quint32(base[index]) : quint32(base[2 * index]) | (quint32(base[2 * index + 1]) << 16);
    }

    QStringView textAt(qsizetype index) const
    {
        const qsizetype n = cellCount();
        if (index < 0 || index >= n)
            return {};
        const quint32 start = index == 0 ? 0 : endOf(index - 1);
        const quint32 end = endOf(index);
        return QStringView(base + offsetUnits(n, narrow) + start, qsizetype(end - start));
    }

    template<class TextAt>
    void fill(const RowSchema::Ptr &newSchema, qsizetype count, TextAt textAt)
    {
        schema = newSchema;
        qsizetype total = 0;
        for (qsizetype i = 0; i < count; ++i)
            total += textAt(i).size();
        // The old storage may hold the pieces: it goes only once they are copied.
        narrow = total <= kNarrowUnits;
        QExplicitlySharedDataPointer<RowBlock> own(new RowBlock(offsetUnits(count, narrow) + total));
        char16_t *out = own->units();
        base = out;
        char16_t *text = out + offsetUnits(count, narrow);
        quint32 end = 0;
        for (qsizetype i = 0; i < count; ++i) {
            const QStringView piece = textAt(i);
            std::copy(piece.utf16(), piece.utf16() + piece.size(), text);
            text += piece.size();
            end += quint32(piece.size());
            writeEnd(out, i, end, narrow);
        }
        block = QExplicitlySharedDataPointer<const RowBlock>(own.data());
    }
};

Row::Row() = default;
Row::Row(const Row &other) = default;
Row::Row(Row &&other) noexcept = default;
Row &Row::operator=(const Row &other) = default;
Row &Row::operator=(Row &&other) noexcept = default;
Row::~Row() = default;
Row::Row(RowData *data) : d(data) {}

bool Row::isNarrow(qsizetype textUnits)
{
    return textUnits <= kNarrowUnits;
}

qsizetype Row::layoutUnits(qsizetype schemaSize, qsizetype textUnits)
{
    return offsetUnits(schemaSize, isNarrow(textUnits)) + textUnits;
}

void Row::writeLayout(char16_t *out, const QStringView *cells, qsizetype count, qsizetype schemaSize, bool narrow)
{
    char16_t *text = out + offsetUnits(schemaSize, narrow);
    quint32 end = 0;
    for (qsizetype i = 0; i < schemaSize; ++i) {
        if (i < count) {
            const QStringView piece = cells[i];
            std::copy(piece.utf16(), piece.utf16() + piece.size(), text);
            text += piece.size();
            end += quint32(piece.size());
        }
        writeEnd(out, i, end, narrow);
    }
}

qsizetype Row::writeUtf8Layout(char16_t *out, const QByteArrayView *cells, qsizetype count,
                               qsizetype schemaSize, bool narrow)
{
    // A cell may begin with U+FEFF: it is text, not a byte order mark.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless
                                                 | QStringConverter::Flag::ConvertInitialBom);
    char16_t *const start = out + offsetUnits(schemaSize, narrow);
    char16_t *text = start;
    for (qsizetype i = 0; i < schemaSize; ++i) {
        if (i < count) {
            const QByteArrayView piece = cells[i];
            const char *in = piece.data();
            const qsizetype size = piece.size();
            qsizetype at = 0;
            while (at < size && quint8(in[at]) < 0x80) {
                text[at] = char16_t(quint8(in[at]));
                ++at;
            }
            text = at == size ? text + size
                              : reinterpret_cast<char16_t *>(utf8.appendToBuffer(
                                    reinterpret_cast<QChar *>(text + at), piece.sliced(at)));
        }
        writeEnd(out, i, quint32(text - start), narrow);
    }
    return text - start;
}

static_assert(sizeof(RowData) <= 48, "a row's data should stay within 48 bytes");

qsizetype Row::placedDataUnits()
{
    // Whole 8-byte steps, so that row data placed one after another in a
    // block stay aligned.
    return qsizetype((sizeof(RowData) + 7) / 8 * 4);
}

Row Row::inBlock(RowSchema::Ptr schema, QExplicitlySharedDataPointer<const RowBlock> block,
                 char16_t *slot, const char16_t *base, bool narrow, quint32 indication, bool hasIndication)
{
    auto *data = new (slot) RowData(std::move(schema), std::move(block));
    data->placed.value = true;
    data->narrow = narrow;
    data->indication = indication;
    data->hasIndication = hasIndication;
    data->base = base;
    return Row(data);
}

qsizetype Row::storageOverhead()
{
    // The row's slot in a list; the row data itself lives in the block.
    return qsizetype(sizeof(Row));
}

void Row::detach()
{
    if (!d)
        d = new RowData;
    else if (d->placed.value)
        // A row placed in a block leaves it before any change: changing it in
        // place could drop the block it lives in.
        d = QExplicitlySharedDataPointer<RowData>(new RowData(*d));
    else
        d.detach();
}

Row Row::fromTexts(const RowSchema::Ptr &schema, const QList<QStringView> &texts,
                   quint32 indication, bool hasIndication)
{
    auto *data = new RowData;
    data->indication = indication;
    data->hasIndication = hasIndication;
    const qsizetype count = schema ? schema->size() : 0;
    data->fill(schema ? schema : RowSchema::empty(), count, [&](qsizetype i) {
        return i < texts.size() ? texts.at(i) : QStringView();
    });
    return Row(data);
}

void Row::rebuild(const RowSchema::Ptr &schema, const QList<AttributedText> &cellValues)
{
    detach();
    d->fill(schema, schema->size(),
            [&](qsizetype i) { return QStringView(cellValues.at(i).string()); });
    QExplicitlySharedDataPointer<RowRuns> runs;
    for (qsizetype i = 0; i < cellValues.size(); ++i) {
        if (cellValues.at(i).hasOnlyDefaultAttributes())
            continue;
        if (!runs) {
            runs = new RowRuns;
            runs->perCell.resize(cellValues.size());
        }
        runs->perCell[i] = cellValues.at(i).sharedRuns();
    }
    d->runs = runs;
}

QList<AttributedText> Row::cells() const
{
    QList<AttributedText> result;
    if (!d)
        return result;
    result.reserve(d->cellCount());
    for (qsizetype i = 0; i < d->cellCount(); ++i)
        result.append(cellAt(i));
    return result;
}

bool Row::isEmpty() const
{
    return keyCount() == 0;
}

qsizetype Row::keyCount() const
{
    return d ? d->cellCount() + (d->hasIndication ? 1 : 0) : 0;
}

QStringList Row::keys() const
{
    QStringList result;
    if (!d)
        return result;
    result.reserve(keyCount());
    if (d->hasIndication)
        result.append(kIndicationKey);
    result.append(d->schema->titles());
    return result;
}

bool Row::contains(QStringView key) const
{
    if (!d)
        return false;
    if (key == kIndicationKey)
        return d->hasIndication;
    return d->schema->indexOf(key) >= 0;
}

QVariant Row::value(QStringView key) const
{
    if (!d)
        return {};
    if (key == kIndicationKey)
        return d->hasIndication ? QVariant(uint(d->indication)) : QVariant();
    const qsizetype index = d->schema->indexOf(key);
    return index < 0 ? QVariant() : QVariant::fromValue(cellAt(index));
}

void Row::setValue(const QString &key, const QVariant &value)
{
    const bool attributed = value.metaType() == QMetaType::fromType<AttributedText>();
    if (key == kIndicationKey) {
        setIndication(attributed ? value.value<AttributedText>().string().toUInt() : value.toUInt());
        return;
    }
    if (attributed)
        setCell(key, value.value<AttributedText>());
    else
        setCell(key, AttributedText(value.toString()));
}

bool Row::remove(QStringView key)
{
    if (!d)
        return false;
    if (key == kIndicationKey) {
        if (!d->hasIndication)
            return false;
        detach();
        d->hasIndication = false;
        d->indication = 0;
        return true;
    }
    const qsizetype index = d->schema->indexOf(key);
    if (index < 0)
        return false;
    QList<AttributedText> values = cells();
    values.removeAt(index);
    rebuild(d->schema->removed(index), values);
    return true;
}

bool Row::renameKey(QStringView from, const QString &to, RenameMemo *memo)
{
    if (!d || from == to)
        return contains(from);
    if (from == kIndicationKey || to == kIndicationKey) {
        const QVariant moved = value(from);
        if (!moved.isValid())
            return false;
        remove(from);
        setValue(to, moved);
        return true;
    }
    const qsizetype index = d->schema->indexOf(from);
    if (index < 0)
        return false;
    const qsizetype clash = d->schema->indexOf(to);
    if (clash < 0) {
        // Only the title changes: swap the schema, keep buffer and runs.
        RowSchema::Ptr renamed;
        if (memo)
            renamed = memo->value(d->schema.data()).second;
        if (!renamed) {
            QStringList titles = d->schema->titles();
            titles[index] = to;
            renamed = RowSchema::make(titles);
            if (memo)
                memo->insert(d->schema.data(), {d->schema, renamed});
        }
        detach();
        d->schema = renamed;
        return true;
    }
    QStringList titles = d->schema->titles();
    QList<AttributedText> values = cells();
    titles[index] = to;
    titles.removeAt(clash);
    values.removeAt(clash);
    rebuild(RowSchema::make(titles), values);
    return true;
}

bool Row::hasIndication() const
{
    return d && d->hasIndication;
}

quint32 Row::indication() const
{
    return d ? d->indication : 0;
}

void Row::setIndication(quint32 mark)
{
    detach();
    d->indication = mark;
    d->hasIndication = true;
}

bool Row::hasAttributeRuns() const
{
    return d && d->runs;
}

const RowSchema::Ptr &Row::schema() const
{
    return d ? d->schema : RowSchema::empty();
}

QStringView Row::cellTextAt(qsizetype index) const
{
    return d ? d->textAt(index) : QStringView();
}

void Row::prefetch() const
{
    if (!d)
        return;
    // The two ends of what textAt() reads, which may lie on two cache lines.
    __builtin_prefetch(&d->schema);
    __builtin_prefetch(&d->base);
}

void Row::prefetchCellText(qsizetype index) const
{
    if (!d || index < 0 || index >= d->cellCount())
        return;
    // The offsets, and the texts, which begin right after them.
    __builtin_prefetch(d->base + 2 * index);
    __builtin_prefetch(d->base + 2 * d->cellCount());
}

AttributedText Row::cellAt(qsizetype index) const
{
    if (!d || index < 0 || index >= d->cellCount())
        return {};
    const QString text = d->textAt(index).toString();
    if (d->runs && d->runs->perCell.at(index))
        return AttributedText::fromSharedRuns(text, d->runs->perCell.at(index));
    return AttributedText(text);
}

AttributedText Row::cell(QStringView title) const
{
    return d ? cellAt(d->schema->indexOf(title)) : AttributedText();
}

QStringView Row::cellText(QStringView title) const
{
    return d ? d->textAt(d->schema->indexOf(title)) : QStringView();
}

void Row::setCell(const QString &title, const AttributedText &value)
{
    if (title == kIndicationKey) {
        setIndication(value.string().toUInt());
        return;
    }
    detach();
    const qsizetype index = d->schema->indexOf(title);
    if (index >= 0 && !d->runs && value.hasOnlyDefaultAttributes()) {
        // Plain texts: rewrite the one buffer from views, without a string per cell.
        const QExplicitlySharedDataPointer<const RowBlock> keepBlock = d->block;
        QVarLengthArray<QStringView, 32> pieces(d->cellCount());
        for (qsizetype i = 0; i < pieces.size(); ++i)
            pieces[i] = i == index ? QStringView(value.string()) : d->textAt(i);
        d->fill(d->schema, pieces.size(), [&](qsizetype i) { return pieces[i]; });
        return;
    }
    QList<AttributedText> values = cells();
    if (index >= 0) {
        values[index] = value;
        rebuild(d->schema, values);
    } else {
        values.append(value);
        rebuild(d->schema->appended(title), values);
    }
}

QVariantMap Row::toVariantMap() const
{
    QVariantMap map;
    if (!d)
        return map;
    if (d->hasIndication)
        map.insert(kIndicationKey, uint(d->indication));
    for (qsizetype i = 0; i < d->cellCount(); ++i)
        map.insert(d->schema->titles().at(i), QVariant::fromValue(cellAt(i)));
    return map;
}

Row Row::fromVariantMap(const QVariantMap &map)
{
    Row row;
    QStringList titles;
    QList<AttributedText> values;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.key() == kIndicationKey) {
            row.setIndication(it.value().toUInt());
            continue;
        }
        titles.append(it.key());
        values.append(it.value().metaType() == QMetaType::fromType<AttributedText>()
                          ? it.value().value<AttributedText>()
                          : AttributedText(it.value().toString()));
    }
    if (!titles.isEmpty())
        row.rebuild(RowSchema::make(titles), values);
    return row;
}

void Row::encodeWithCoder(ArchiveEncoder &coder, QStringView key) const
{
    coder.beginDictionary(keyCount(), key);
    if (d) {
        if (d->hasIndication)
            coder.encodeInt32(qint32(d->indication), kIndicationKey);
        const QStringList &titles = d->schema->titles();
        for (qsizetype i = 0; i < titles.size(); ++i)
            coder.encodeAttributedText(cellAt(i), titles.at(i));
    }
    coder.endDictionary();
}

Row Row::decode(const ArchiveDecoder &dictionary, const RowSchema::Ptr &previousSchema)
{
    Row row;
    if (!dictionary.isValid())
        return row;
    const QStringList keys = dictionary.allKeys();
    QStringList titles;
    titles.reserve(keys.size());
    QList<AttributedText> values;
    values.reserve(keys.size());
    bool hasIndication = false;
    bool plain = true;
    // By position: a million rows of a dozen cells would otherwise scan the
    // keys once per cell.
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (keys.at(i) == kIndicationKey) {
            hasIndication = true;
            continue;
        }
        titles.append(keys.at(i));
        values.append(dictionary.decodeAttributedTextAt(i));
        plain = plain && values.last().hasOnlyDefaultAttributes();
    }
    const RowSchema::Ptr schema = previousSchema && previousSchema->titles() == titles
        ? previousSchema
        : RowSchema::make(titles);
    if (plain) {
        auto *data = new RowData;
        data->fill(schema, titles.size(),
                   [&](qsizetype i) { return QStringView(values.at(i).string()); });
        row = Row(data);
    } else {
        row.rebuild(schema, values);
    }
    if (hasIndication)
        row.setIndication(quint32(dictionary.decodeInt32(kIndicationKey)));
    return row;
}

bool operator==(const Row &a, const Row &b)
{
    if (a.d == b.d)
        return true;
    if (a.hasIndication() != b.hasIndication() || a.indication() != b.indication())
        return false;
    if (a.keyCount() != b.keyCount())
        return false;
    const RowSchema::Ptr &schema = a.schema();
    for (qsizetype i = 0; i < schema->size(); ++i) {
        const QString &title = schema->titles().at(i);
        if (!b.contains(title) || a.cellAt(i) != b.cell(title))
            return false;
    }
    return true;
}
