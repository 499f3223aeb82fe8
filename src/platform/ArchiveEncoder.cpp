#include "ArchiveEncoder.h"

#include "ArchiveFormat.h"
#include "ArchiveStringPool.h"
#include "HugePageMemory.h"

#include <QBuffer>
#include <QCborStreamWriter>
#include <QHash>
#include <QSet>
#include <QStringEncoder>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr size_t kLinearKeyCheck = 16;
constexpr double kMaxPointSize = 100000.0;
constexpr int kMaxWeight = 1000;
// Options, saved searches and settings that follow a list's rows; only
// pages written to are ever taken.
constexpr qsizetype kRoomAfterRowTable = qsizetype(4) << 20;

} // namespace

struct ArchiveEncoder::Private
{
    enum class FrameType { Root, Array, Dictionary, Object, RowTable };

    // One open container. Keys are checked for repeats, which the reader
    // would refuse: by share id in a short list, then in a set.
    struct Frame
    {
        FrameType type = FrameType::Root;
        qint64 expected = -1; // values declared; -1 for objects
        qint64 written = 0;
        std::vector<quint32> keys;
        QSet<quint32> keySet;
        QSet<QString> inlineKeys; // keys written after the table filled up

        void reset(FrameType frameType, qint64 count)
        {
            type = frameType;
            expected = count;
            written = 0;
            keys.clear();
            if (!keySet.isEmpty())
                keySet.clear();
            if (!inlineKeys.isEmpty())
                inlineKeys.clear();
        }
    };

    explicit Private(QCborStreamWriter *cborWriter) : writer(cborWriter) {}

    Frame &top() { return frames[size_t(depth - 1)]; }
    void push(FrameType type, qint64 expected)
    {
        if (frames.size() <= size_t(depth))
            frames.emplace_back();
        frames[size_t(depth)].reset(type, expected);
        ++depth;
    }
    bool hasRoom() const { return nextShared < ArchiveFormat::kMaxSharedValues; }

    QCborStreamWriter *writer;
    std::vector<Frame> frames; // reused level by level; depth of them are open
    int depth = 0;
    ArchiveStringPool strings;
    std::vector<quint32> stringShares; // pool id -> index in the shared table
    // Shared attribute sets by pointer (kept alive so the address cannot be
    // reused) and by value.
    std::vector<TextAttributes::Ptr> attributesKept;
    QHash<const TextAttributes *, quint32> attributesByPointer;
    QHash<TextAttributes, quint32> attributesByValue;
    quint32 nextShared = 0;
    qint64 rowTableBytes = 0;
    bool failed = false;
    QString error;
    // Stateless: an unpaired surrogate at the end of one string must not
    // carry over into the next.
    QStringEncoder utf8{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
    QByteArray utf8Scratch;
};

ArchiveEncoder::ArchiveEncoder(QCborStreamWriter *writer) : d(std::make_unique<Private>(writer)) {}

ArchiveEncoder::~ArchiveEncoder() = default;

// QCborStreamWriter::append(QStringView) converts through a new QByteArray
// per string; a million-row list has ten million of them.
void ArchiveEncoder::appendText(QStringView text)
{
    const qsizetype units = text.size();
    if (d->utf8Scratch.size() < units * 3)
        d->utf8Scratch.resize(qMax(units * 3, qsizetype(256)));
    char *out = d->utf8Scratch.data();
    const char16_t *in = text.utf16();
    qsizetype i = 0;
    while (i < units && in[i] < 0x80) {
        out[i] = char(in[i]);
        ++i;
    }
    if (i == units) {
        d->writer->appendTextString(out, units);
        return;
    }
    const char *end = d->utf8.appendToBuffer(out, text);
    d->writer->appendTextString(out, end - out);
}

void ArchiveEncoder::fail(const QString &reason)
{
    if (d->failed)
        return;
    d->failed = true;
    d->error = reason.startsWith(QLatin1StringView("archive: ")) ? reason
                                                                 : QStringLiteral("archive: ") + reason;
}

bool ArchiveEncoder::failed() const
{
    return d->failed;
}

QString ArchiveEncoder::errorString() const
{
    return d->error;
}

void ArchiveEncoder::beginArchive()
{
    QCborStreamWriter &w = *d->writer;
    w.append(QCborTag(ArchiveFormat::kTagSelfDescribed));
    w.startArray(3);
    w.append(QLatin1StringView(ArchiveFormat::kMagic));
    w.append(ArchiveFormat::kVersion);
    w.startMap(1);
    d->push(Private::FrameType::Root, 1);
}

bool ArchiveEncoder::finishArchive()
{
    if (d->failed)
        return false;
    if (d->depth == 0) {
        fail(QStringLiteral("the archive was already finished"));
        return false;
    }
    if (d->depth > 1) {
        fail(QStringLiteral("%1 container(s) left open").arg(d->depth - 1));
        return false;
    }
    if (d->top().written != 1) {
        fail(QStringLiteral("the archive holds no top-level value"));
        return false;
    }
    d->writer->endMap();
    d->writer->endArray();
    d->depth = 0;
    return true;
}

// Checks that one more value fits the open container and writes its key.
bool ArchiveEncoder::beginValue(QStringView key)
{
    if (d->failed)
        return false;
    if (d->depth == 0) {
        fail(QStringLiteral("a value written outside the archive (key \"%1\")").arg(key));
        return false;
    }
    Private::Frame &frame = d->top();
    if (frame.expected >= 0 && frame.written >= frame.expected) {
        fail(frame.type == Private::FrameType::Root
                 ? QStringLiteral("a second top-level value (key \"%1\")").arg(key)
                 : QStringLiteral("more values than the %1 declared (key \"%2\")")
                       .arg(frame.expected)
                       .arg(key));
        return false;
    }
    if (frame.type != Private::FrameType::Array && frame.type != Private::FrameType::RowTable && !writeKey(key))
        return false;
    ++frame.written;
    return true;
}

bool ArchiveEncoder::writeKey(QStringView key)
{
    Private::Frame &frame = d->top();
    QCborStreamWriter &w = *d->writer;
    quint32 id = d->strings.find(key);
    if (id == ArchiveStringPool::kNone && !d->hasRoom()) {
        // The table is full: the key goes inline and is checked by content.
        const QString text = key.toString();
        if (frame.inlineKeys.contains(text)) {
            fail(QStringLiteral("the key \"%1\" written twice in one container").arg(key));
            return false;
        }
        frame.inlineKeys.insert(text);
        appendText(key);
        return true;
    }
    if (id != ArchiveStringPool::kNone) {
        bool repeated = false;
        if (frame.keys.size() < kLinearKeyCheck) {
            for (const quint32 seen : frame.keys)
                repeated = repeated || seen == id;
        } else {
            repeated = frame.keySet.contains(id);
        }
        if (repeated) {
            fail(QStringLiteral("the key \"%1\" written twice in one container").arg(key));
            return false;
        }
        w.append(QCborTag(ArchiveFormat::kTagSharedRef));
        w.append(quint64(d->stringShares[id]));
    } else {
        id = d->strings.intern(key.toString());
        d->stringShares.push_back(d->nextShared++);
        w.append(QCborTag(ArchiveFormat::kTagShareable));
        appendText(key);
    }
    if (frame.keys.size() < kLinearKeyCheck) {
        frame.keys.push_back(id);
        if (frame.keys.size() == kLinearKeyCheck)
            frame.keySet = QSet<quint32>(frame.keys.begin(), frame.keys.end());
    } else {
        frame.keySet.insert(id);
    }
    return true;
}

void ArchiveEncoder::writeString(QStringView value, bool share)
{
    QCborStreamWriter &w = *d->writer;
    if (share) {
        const quint32 id = d->strings.find(value);
        if (id != ArchiveStringPool::kNone) {
            w.append(QCborTag(ArchiveFormat::kTagSharedRef));
            w.append(quint64(d->stringShares[id]));
            return;
        }
        if (d->hasRoom()) {
            d->strings.intern(value.toString());
            d->stringShares.push_back(d->nextShared++);
            w.append(QCborTag(ArchiveFormat::kTagShareable));
        }
    }
    appendText(value);
}

void ArchiveEncoder::writeAttributes(const TextAttributes::Ptr &attributes)
{
    const TextAttributes::Ptr &set = attributes ? attributes : TextAttributes::defaults();
    QCborStreamWriter &w = *d->writer;
    auto known = d->attributesByPointer.constFind(set.get());
    if (known == d->attributesByPointer.constEnd()) {
        const auto equal = d->attributesByValue.constFind(*set);
        if (equal != d->attributesByValue.constEnd()) {
            d->attributesKept.push_back(set);
            known = d->attributesByPointer.insert(set.get(), equal.value());
        }
    }
    if (known != d->attributesByPointer.constEnd()) {
        w.append(QCborTag(ArchiveFormat::kTagSharedRef));
        w.append(quint64(known.value()));
        return;
    }
    if (d->hasRoom()) {
        // The set takes its index before the strings inside it.
        const quint32 index = d->nextShared++;
        d->attributesKept.push_back(set);
        d->attributesByPointer.insert(set.get(), index);
        d->attributesByValue.insert(*set, index);
        w.append(QCborTag(ArchiveFormat::kTagShareable));
    }
    const double pointSize = std::isfinite(set->pointSize)
        ? qBound(0.0, set->pointSize, kMaxPointSize) : 0.0;
    w.append(QCborTag(ArchiveFormat::kTagAttributeSet));
    w.startArray(ArchiveFormat::kAttributeSetFields);
    writeString(set->fontFamily, set->fontFamily.size() <= ArchiveFormat::kMaxSharedStringLength);
    w.append(pointSize);
    w.append(quint64(qBound(0, set->weight, kMaxWeight)));
    w.append(set->italic);
    w.append(set->underline);
    w.append(set->strikeOut);
    w.append(quint64(set->foreground));
    w.append(quint64(set->background));
    w.endArray();
}

bool ArchiveEncoder::openContainer(QStringView key)
{
    if (d->failed)
        return false;
    if (d->depth + 1 > ArchiveFormat::kMaxDepth) {
        fail(QStringLiteral("nesting deeper than %1 levels (key \"%2\")")
                 .arg(ArchiveFormat::kMaxDepth)
                 .arg(key));
        return false;
    }
    return beginValue(key);
}

bool ArchiveEncoder::closeContainer(int type, const char *what)
{
    if (d->failed)
        return false;
    if (d->depth <= 1 || d->top().type != Private::FrameType(type)) {
        fail(QStringLiteral("%1 without a matching begin").arg(QLatin1StringView(what)));
        return false;
    }
    const Private::Frame &frame = d->top();
    if (frame.expected >= 0 && frame.written != frame.expected) {
        fail(QStringLiteral("%1 after %2 of the %3 values declared")
                 .arg(QLatin1StringView(what))
                 .arg(frame.written)
                 .arg(frame.expected));
        return false;
    }
    --d->depth;
    return true;
}

void ArchiveEncoder::encodeBool(bool value, QStringView key)
{
    if (beginValue(key))
        d->writer->append(value);
}

void ArchiveEncoder::encodeInt32(qint32 value, QStringView key)
{
    if (beginValue(key))
        d->writer->append(qint64(value));
}

void ArchiveEncoder::encodeFloat(float value, QStringView key)
{
    if (beginValue(key))
        d->writer->append(value);
}

void ArchiveEncoder::encodeDouble(double value, QStringView key)
{
    if (beginValue(key))
        d->writer->append(value);
}

void ArchiveEncoder::encodeString(const QString &value, QStringView key)
{
    if (beginValue(key))
        writeString(value, value.size() <= ArchiveFormat::kMaxSharedStringLength);
}

void ArchiveEncoder::encodeData(const QByteArray &value, QStringView key)
{
    if (beginValue(key))
        d->writer->append(value);
}

void ArchiveEncoder::encodeAttributedText(const AttributedText &value, QStringView key)
{
    if (d->failed)
        return;
    QList<AttributedText::Run> runs;
    if (!value.hasOnlyDefaultAttributes()) {
        runs = value.runs();
        qsizetype covered = 0;
        for (const AttributedText::Run &run : runs) {
            if (run.length <= 0 || run.length > value.length() - covered) {
                covered = -1;
                break;
            }
            covered += run.length;
        }
        if (covered != value.length()) {
            fail(QStringLiteral("the runs of the attributed text under \"%1\" do not cover its text")
                     .arg(key));
            return;
        }
    }
    if (!beginValue(key))
        return;
    QCborStreamWriter &w = *d->writer;
    w.append(QCborTag(ArchiveFormat::kTagAttributedText));
    if (runs.isEmpty()) {
        // Cell texts are mostly unique: inline, never shared.
        appendText(value.string());
        return;
    }
    w.startArray(quint64(1 + 2 * runs.size()));
    appendText(value.string());
    for (const AttributedText::Run &run : runs) {
        w.append(quint64(run.length));
        writeAttributes(run.attributes);
    }
    w.endArray();
}

void ArchiveEncoder::encodeRect(const QRectF &value, QStringView key)
{
    if (!beginValue(key))
        return;
    QCborStreamWriter &w = *d->writer;
    w.append(QCborTag(ArchiveFormat::kTagRect));
    w.startArray(4);
    w.append(value.x());
    w.append(value.y());
    w.append(value.width());
    w.append(value.height());
    w.endArray();
}

void ArchiveEncoder::encodePoint(const QPointF &value, QStringView key)
{
    if (!beginValue(key))
        return;
    QCborStreamWriter &w = *d->writer;
    w.append(QCborTag(ArchiveFormat::kTagPoint));
    w.startArray(2);
    w.append(value.x());
    w.append(value.y());
    w.endArray();
}

void ArchiveEncoder::encodeSize(const QSizeF &value, QStringView key)
{
    if (!beginValue(key))
        return;
    QCborStreamWriter &w = *d->writer;
    w.append(QCborTag(ArchiveFormat::kTagSize));
    w.startArray(2);
    w.append(value.width());
    w.append(value.height());
    w.endArray();
}

void ArchiveEncoder::encodeStringArray(const QStringList &value, QStringView key)
{
    if (!openContainer(key))
        return;
    QCborStreamWriter &w = *d->writer;
    w.startArray(quint64(value.size()));
    for (const QString &text : value)
        writeString(text, text.size() <= ArchiveFormat::kMaxSharedStringLength);
    w.endArray();
}

void ArchiveEncoder::encodeValue(const QVariant &value, QStringView key)
{
    if (d->failed)
        return;
    const int type = value.metaType().id();
    switch (type) {
    case QMetaType::Bool:
        encodeBool(value.toBool(), key);
        return;
    case QMetaType::Int:
        encodeInt32(value.toInt(), key);
        return;
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar: {
        bool fits = false;
        const qlonglong number = value.toLongLong(&fits);
        if (type == QMetaType::ULongLong || type == QMetaType::ULong)
            fits = value.toULongLong() <= quint64(std::numeric_limits<qint32>::max());
        if (!fits || number < std::numeric_limits<qint32>::min()
            || number > std::numeric_limits<qint32>::max()) {
            fail(QStringLiteral("the integer under \"%1\" does not fit in 32 bits").arg(key));
            return;
        }
        encodeInt32(qint32(number), key);
        return;
    }
    case QMetaType::Float:
        encodeFloat(value.toFloat(), key);
        return;
    case QMetaType::Double:
        encodeDouble(value.toDouble(), key);
        return;
    case QMetaType::QString:
        encodeString(value.toString(), key);
        return;
    case QMetaType::QByteArray:
        encodeData(value.toByteArray(), key);
        return;
    case QMetaType::QRectF:
    case QMetaType::QRect:
        encodeRect(value.toRectF(), key);
        return;
    case QMetaType::QPointF:
    case QMetaType::QPoint:
        encodePoint(value.toPointF(), key);
        return;
    case QMetaType::QSizeF:
    case QMetaType::QSize:
        encodeSize(value.toSizeF(), key);
        return;
    case QMetaType::QStringList:
        encodeStringArray(value.toStringList(), key);
        return;
    case QMetaType::QVariantList: {
        const QVariantList list = value.toList();
        beginArray(list.size(), key);
        for (const QVariant &element : list) {
            if (d->failed)
                return;
            encodeValue(element, {});
        }
        endArray();
        return;
    }
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        beginDictionary(map.size(), key);
        for (auto it = map.cbegin(); it != map.cend() && !d->failed; ++it)
            encodeValue(it.value(), it.key());
        endDictionary();
        return;
    }
    case QMetaType::QVariantHash: {
        // Sorted, so that equal hashes give equal files.
        const QVariantHash hash = value.toHash();
        QStringList keys = hash.keys();
        keys.sort();
        beginDictionary(hash.size(), key);
        for (const QString &name : std::as_const(keys)) {
            if (d->failed)
                return;
            encodeValue(hash.value(name), name);
        }
        endDictionary();
        return;
    }
    default:
        break;
    }
    if (type == qMetaTypeId<AttributedText>()) {
        encodeAttributedText(value.value<AttributedText>(), key);
        return;
    }
    fail(value.isValid()
             ? QStringLiteral("a value of type %1 under \"%2\" cannot be archived")
                   .arg(QLatin1StringView(value.metaType().name()), key)
             : QStringLiteral("an empty value under \"%1\" cannot be archived").arg(key));
}

void ArchiveEncoder::beginArray(qsizetype count, QStringView key)
{
    if (count < 0) {
        fail(QStringLiteral("a negative array size under \"%1\"").arg(key));
        return;
    }
    if (!openContainer(key))
        return;
    d->writer->startArray(quint64(count));
    d->push(Private::FrameType::Array, count);
}

void ArchiveEncoder::endArray()
{
    if (closeContainer(int(Private::FrameType::Array), "endArray"))
        d->writer->endArray();
}

void ArchiveEncoder::beginDictionary(qsizetype count, QStringView key)
{
    if (count < 0) {
        fail(QStringLiteral("a negative dictionary size under \"%1\"").arg(key));
        return;
    }
    if (!openContainer(key))
        return;
    d->writer->startMap(quint64(count));
    d->push(Private::FrameType::Dictionary, count);
}

void ArchiveEncoder::endDictionary()
{
    if (closeContainer(int(Private::FrameType::Dictionary), "endDictionary"))
        d->writer->endMap();
}

void ArchiveEncoder::beginObject(const QString &className, QStringView key)
{
    if (className.isEmpty()) {
        fail(QStringLiteral("an object without a class name under \"%1\"").arg(key));
        return;
    }
    if (!openContainer(key))
        return;
    QCborStreamWriter &w = *d->writer;
    w.append(QCborTag(ArchiveFormat::kTagObject));
    w.startArray(2);
    writeString(className, true);
    w.startMap(); // fields are counted only as they come
    d->push(Private::FrameType::Object, -1);
}

void ArchiveEncoder::endObject()
{
    if (!closeContainer(int(Private::FrameType::Object), "endObject"))
        return;
    d->writer->endMap();
    d->writer->endArray();
}

void ArchiveEncoder::beginRowTable(qsizetype rows, const std::vector<QByteArray> &block, qsizetype styledValues,
                                   QStringView key)
{
    qint64 blockSize = 0;
    for (const QByteArray &piece : block)
        blockSize += piece.size();
    if (rows < 0 || styledValues < 0 || styledValues % 2 != 0 || block.empty()) {
        fail(QStringLiteral("a row table under \"%1\" with %2 rows and %3 styled values")
                 .arg(key).arg(rows).arg(styledValues));
        return;
    }
    if (!openContainer(key))
        return;
    QCborStreamWriter &w = *d->writer;
    QIODevice *device = w.device();
    // A list's block is most of its archive: growing an in-memory archive
    // to fit it, or the rest of the list after it, would copy everything
    // written so far once more.
    if (auto *buffer = qobject_cast<QBuffer *>(device)) {
        buffer->buffer().reserve(buffer->buffer().size() + qsizetype(blockSize) + kRoomAfterRowTable);
        HugePageMemory::advise(buffer->buffer());
    }
    // The tag, the array of three, the row count and the block go straight
    // to the device, the block piece by piece, as the writer would encode
    // them (it writes unbuffered, and can only take a block whole). To the
    // writer, the styled array that follows is the entry's value.
    QByteArray head = ArchiveFormat::cborHead(6, ArchiveFormat::kTagRowTable);
    head += ArchiveFormat::cborHead(4, 3);
    head += ArchiveFormat::cborHead(0, quint64(rows));
    head += ArchiveFormat::cborHead(2, quint64(blockSize));
    bool written = device && device->write(head) == head.size();
    for (auto piece = block.cbegin(); written && piece != block.cend(); ++piece)
        written = device->write(*piece) == piece->size();
    if (!written) {
        fail(QStringLiteral("writing a row table under \"%1\" failed").arg(key));
        return;
    }
    d->rowTableBytes += blockSize;
    w.startArray(quint64(styledValues));
    d->push(Private::FrameType::RowTable, styledValues);
}

qint64 ArchiveEncoder::rowTableBytes() const
{
    return d->rowTableBytes;
}

void ArchiveEncoder::endRowTable()
{
    if (!closeContainer(int(Private::FrameType::RowTable), "endRowTable"))
        return;
    // The array of three was written by hand and needs no closing.
    d->writer->endArray();
}
