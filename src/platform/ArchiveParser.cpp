#include "ArchiveParser.h"

#include "MappedFile.h"

#include "ArchiveFormat.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr double kMaxPointSize = 100000.0;
constexpr quint64 kMaxWeight = 1000;
constexpr quint64 kMaxInt64 = quint64(std::numeric_limits<qint64>::max());

quint64 mapIndexKey(quint32 mapNode, quint32 keyId)
{
    return quint64(mapNode) << 32 | keyId;
}

quint64 floatBits(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float halfToFloat(quint16 half)
{
    const int exponent = (half >> 10) & 0x1f;
    const int mantissa = half & 0x3ff;
    double magnitude;
    if (exponent == 0)
        magnitude = std::ldexp(mantissa, -24);
    else if (exponent != 31)
        magnitude = std::ldexp(mantissa + 1024, exponent - 25);
    else
        magnitude = mantissa == 0 ? std::numeric_limits<double>::infinity()
                                  : std::numeric_limits<double>::quiet_NaN();
    return float((half & 0x8000) ? -magnitude : magnitude);
}

float bitsToFloat(quint64 bits)
{
    const auto narrow = quint32(bits);
    float value;
    std::memcpy(&value, &narrow, sizeof value);
    return value;
}

double bitsToDouble(quint64 bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

void ArchiveParser::parse(ArchiveDocument &document, QByteArrayView data, int maxDepth,
                          qint64 maxBytes, qint64 maxExpansion)
{
    parseBytes(document, data.size(), maxDepth, maxBytes, maxExpansion, [data] { return data.toByteArray(); });
}

void ArchiveParser::parse(ArchiveDocument &document, const QByteArray &data, int maxDepth,
                          qint64 maxBytes, qint64 maxExpansion)
{
    parseBytes(document, data.size(), maxDepth, maxBytes, maxExpansion, [&data] {
        // Raw data (QByteArray::fromRawData) belongs to the caller, and
        // decoders may outlive it: copy that. data_ptr() does not detach.
        QByteArray shared = data;
        return shared.data_ptr().isMutable() ? shared : QByteArray(shared.constData(), shared.size());
    });
}

void ArchiveParser::parse(ArchiveDocument &document, const std::shared_ptr<const MappedFile> &file, int maxDepth,
                          qint64 maxBytes, qint64 maxExpansion)
{
    parseBytes(document, file->size(), maxDepth, maxBytes, maxExpansion, [&] {
        document.m_mapping = file;
        return file->bytes();
    });
    if (document.failed())
        document.m_mapping.reset();
}

// The limit is checked before the bytes are copied or shared.
void ArchiveParser::parseBytes(ArchiveDocument &document, qint64 size, int maxDepth, qint64 maxBytes,
                               qint64 maxExpansion, const std::function<QByteArray()> &bytes)
{
    const qint64 limit = qBound(qint64(0), maxBytes, ArchiveFormat::kMaxInputBytes);
    if (size > limit) {
        document.fail(QStringLiteral("archive: the input of %1 bytes exceeds the limit of %2 bytes at byte 0")
                          .arg(size)
                          .arg(limit));
        return;
    }
    try {
        document.m_bytes = bytes();
        ArchiveParser parser(document, maxDepth, maxExpansion);
        parser.run();
    } catch (const std::bad_alloc &) {
        document.fail(QStringLiteral("archive: out of memory while reading at byte 0"));
    }
    if (document.failed()) {
        // A refused archive keeps nothing but its error.
        document.m_root = 0;
        document.m_bytes = QByteArray();
        document.m_nodes.assign(1, {});
        document.m_nodes.shrink_to_fit();
        document.m_children = {};
        document.m_entries = {};
        document.m_numbers = {};
        document.m_runLists = {};
        document.m_runs = {};
        document.m_attributes = {};
        document.m_mapIndex = {};
        document.m_rowTables = {};
    }
}

ArchiveParser::ArchiveParser(ArchiveDocument &document, int maxDepth, qint64 maxExpansion)
    : m_document(document),
      m_data(document.m_bytes.constData()),
      m_size(document.m_bytes.size()),
      m_scanner(m_data, m_size),
      m_maxDepth(qBound(1, maxDepth, ArchiveFormat::kMaxDepthCeiling)),
      m_budget(qMax(qint64(0), maxExpansion))
{
    // Node 0 stands for "absent". A list archive holds about one node and one
    // entry per 16 bytes. Reserving a little more spares a late doubling (a
    // copy of the whole store); pages never touched cost nothing.
    m_document.m_nodes.reserve(size_t(m_size / 12) + 16);
    m_document.m_nodes.assign(1, {});
    m_document.m_entries.reserve(size_t(m_size / 12) + 16);
}

bool ArchiveParser::refuse(const QString &what, qint64 at)
{
    if (!m_failed) {
        m_failed = true;
        m_document.fail(QStringLiteral("archive: %1 at byte %2").arg(what).arg(at));
    }
    return false;
}

bool ArchiveParser::refuseHead()
{
    if (m_scanner.problem() == ArchiveCborScanner::Problem::Truncated)
        return refuse(QStringLiteral("the data ends too early"), m_scanner.position());
    return refuse(QStringLiteral("a malformed CBOR item"), m_scanner.position());
}

// For a container whose head was read: true in end when done items complete
// it (definite) or its break byte comes next (indefinite, consumed here).
bool ArchiveParser::atContainerEnd(const Head &head, quint64 done, bool &end)
{
    if (!head.indefinite) {
        end = done >= head.value;
        return true;
    }
    if (m_scanner.atBreak()) {
        m_scanner.skipBreak();
        end = true;
        return true;
    }
    end = false;
    if (m_scanner.atEnd())
        return refuse(QStringLiteral("the data ends too early"), m_scanner.position());
    return true;
}

bool ArchiveParser::charge(qint64 cost)
{
    // Both stay below 2^62, so the sum cannot wrap.
    m_spent += qMin(cost, qint64(1) << 61);
    if (m_spent <= m_budget)
        return true;
    return refuse(QStringLiteral("the values expand past the budget of %1 bytes for this file")
                      .arg(m_budget),
                  m_scanner.position());
}

bool ArchiveParser::chargeText(const Text &text)
{
    const qint64 units = text.interned ? m_document.m_strings.at(text.id).size() : qint64(text.length);
    return charge(kValueCost + 2 * units);
}

quint32 ArchiveParser::addTextNode(const Text &text, NodeType type, quint8 flags)
{
    if (!chargeText(text))
        return 0;
    if (text.interned)
        return addNode(type, flags | ArchiveDocument::TextInterned, text.id, 0);
    return addNode(type, flags, text.length, quint64(text.offset));
}

QString ArchiveParser::textString(const Text &text) const
{
    if (text.interned)
        return m_document.m_strings.at(text.id);
    return ArchiveFormat::text(QByteArrayView(m_data + text.offset, text.length));
}

qint64 ArchiveParser::utf16Length(const Text &text) const
{
    if (text.interned)
        return m_document.m_strings.at(text.id).size();
    // Valid UTF-8: one unit per lead byte, two for four-byte sequences.
    qint64 units = 0;
    const auto *bytes = reinterpret_cast<const quint8 *>(m_data + text.offset);
    for (quint32 i = 0; i < text.length; ++i) {
        if ((bytes[i] & 0xc0) != 0x80)
            ++units;
        if (bytes[i] >= 0xf0)
            ++units;
    }
    return units;
}

bool ArchiveParser::run()
{
    const QString foreign = QStringLiteral("not a keyed archive (no archive prelude)");
    if (m_size == 0)
        return refuse(QStringLiteral("the data is empty"), 0);
    Head head;
    if (!readHead(head))
        return false;
    if (head.major != ArchiveCborScanner::Tag || head.value != ArchiveFormat::kTagSelfDescribed)
        return refuse(foreign, 0);
    const qint64 preludeAt = m_scanner.position();
    if (!readHead(head))
        return false;
    if (head.major != ArchiveCborScanner::Array || head.indefinite || head.value != 3)
        return refuse(foreign, preludeAt);
    Text magic;
    if (!readHead(head))
        return false;
    if (head.major != ArchiveCborScanner::Text || !readSpan(head, magic.offset, magic.length)
        || QByteArrayView(m_data + magic.offset, magic.length) != QByteArrayView(ArchiveFormat::kMagic))
        return refuse(foreign, head.offset);
    if (!readHead(head))
        return false;
    if (head.major != ArchiveCborScanner::Unsigned)
        return refuse(QStringLiteral("the archive version is not a number"), head.offset);
    if (head.value != ArchiveFormat::kVersion)
        return refuse(QStringLiteral("unsupported archive version %1").arg(head.value), head.offset);
    if (!readHead(head))
        return false;
    if (head.major != ArchiveCborScanner::Map)
        return refuse(QStringLiteral("the archive root is not a dictionary"), head.offset);
    const quint32 root = parseMap(head, 1, NodeType::Dictionary, 0);
    if (!root)
        return false;
    if (m_document.m_nodes[root].count != 1)
        return refuse(QStringLiteral("the archive root holds %1 keys instead of one")
                          .arg(m_document.m_nodes[root].count),
                      head.offset);
    if (!m_scanner.atEnd())
        return refuse(QStringLiteral("trailing bytes after the archive"), m_scanner.position());
    m_document.m_root = root;
    return true;
}

quint32 ArchiveParser::parseValue(int level)
{
    Head head;
    if (!readHead(head))
        return 0;
    return parseValue(head, level);
}

quint32 ArchiveParser::parseValue(const Head &head, int level)
{
    switch (head.major) {
    case ArchiveCborScanner::Unsigned:
        if (head.value > kMaxInt64)
            return refuse(QStringLiteral("an integer beyond 64 bits"), head.offset);
        return addNode(NodeType::Int, 0, 0, head.value);
    case ArchiveCborScanner::Negative:
        // The value is -1 - argument.
        if (head.value > kMaxInt64)
            return refuse(QStringLiteral("an integer beyond 64 bits"), head.offset);
        return addNode(NodeType::Int, 0, 0, quint64(-1 - qint64(head.value)));
    case ArchiveCborScanner::Bytes: {
        qint64 start = 0;
        quint32 length = 0;
        if (!readSpan(head, start, length))
            return 0;
        return addNode(NodeType::Data, 0, length, quint64(start));
    }
    case ArchiveCborScanner::Text: {
        Text text;
        if (!parseText(head, text, false))
            return 0;
        return addTextNode(text, NodeType::String, 0);
    }
    case ArchiveCborScanner::Array:
        return parseArray(head, level + 1);
    case ArchiveCborScanner::Map:
        return parseMap(head, level + 1, NodeType::Dictionary, 0);
    case ArchiveCborScanner::Tag:
        return parseTagged(head, level);
    case ArchiveCborScanner::Simple:
        switch (head.info) {
        case 20:
        case 21:
            return addNode(NodeType::Bool, 0, 0, head.info == 21 ? 1 : 0);
        case 25:
            return addNode(NodeType::Float, 0, 0, floatBits(halfToFloat(quint16(head.value))));
        case 26:
            return addNode(NodeType::Float, 0, 0, head.value);
        case 27:
            return addNode(NodeType::Double, 0, 0, head.value);
        default:
            return refuse(QStringLiteral("unsupported simple value %1").arg(head.value), head.offset);
        }
    }
    return refuse(QStringLiteral("a malformed CBOR item"), head.offset);
}

// For a byte or text string head: checks the declared length against the
// bytes left and moves past the payload. Text must be valid UTF-8.
bool ArchiveParser::readSpan(const Head &head, qint64 &start, quint32 &length)
{
    if (head.indefinite)
        return refuse(QStringLiteral("an indefinite-length string"), head.offset);
    if (head.value > quint64(m_scanner.remaining()))
        return refuse(QStringLiteral("a string of %1 bytes runs past the end of the data (%2 bytes left)")
                          .arg(head.value)
                          .arg(m_scanner.remaining()),
                      head.offset);
    start = m_scanner.position();
    length = quint32(head.value);
    m_scanner.skip(head.value);
    if (head.major == ArchiveCborScanner::Text
        && !QByteArrayView(m_data + start, qsizetype(length)).isValidUtf8())
        return refuse(QStringLiteral("invalid UTF-8 in a text string"), head.offset);
    return true;
}

quint32 ArchiveParser::parseArray(const Head &head, int level)
{
    if (level > m_maxDepth)
        return refuse(QStringLiteral("nesting deeper than %1 levels").arg(m_maxDepth), head.offset);
    if (!head.indefinite && head.value > quint64(m_scanner.remaining()))
        return refuse(QStringLiteral("an array of %1 elements cannot fit in the %2 bytes left")
                          .arg(head.value)
                          .arg(m_scanner.remaining()),
                      head.offset);
    const size_t base = m_childStack.size();
    for (quint64 done = 0;; ++done) {
        bool end = false;
        if (!atContainerEnd(head, done, end))
            return 0;
        if (end)
            break;
        const quint32 child = parseValue(level);
        if (!child)
            return 0;
        m_childStack.push_back(child);
    }
    const size_t count = m_childStack.size() - base;
    const size_t start = m_document.m_children.size();
    m_document.m_children.insert(m_document.m_children.end(),
                                 m_childStack.begin() + qsizetype(base), m_childStack.end());
    m_childStack.resize(base);
    return addNode(NodeType::Array, 0, quint32(count), start);
}

quint32 ArchiveParser::parseMap(const Head &head, int level, NodeType type, quint32 classId)
{
    if (level > m_maxDepth)
        return refuse(QStringLiteral("nesting deeper than %1 levels").arg(m_maxDepth), head.offset);
    if (!head.indefinite && head.value > quint64(m_scanner.remaining() / 2))
        return refuse(QStringLiteral("a map of %1 entries cannot fit in the %2 bytes left")
                          .arg(head.value)
                          .arg(m_scanner.remaining()),
                      head.offset);
    // The node is placed first so the key index can name it while reading.
    const quint32 mapNode = addNode(type, 0, 0, 0);
    const size_t base = m_entryStack.size();
    constexpr quint32 kThreshold = ArchiveFormat::kIndexedMapThreshold;
    for (quint64 done = 0;; ++done) {
        bool end = false;
        if (!atContainerEnd(head, done, end))
            return 0;
        if (end)
            break;
        Head keyHead;
        if (!readHead(keyHead))
            return 0;
        if (keyHead.major != ArchiveCborScanner::Text && keyHead.major != ArchiveCborScanner::Tag)
            return refuse(QStringLiteral("a map key is not a string"), keyHead.offset);
        Text key;
        if (!parseText(keyHead, key, true))
            return 0;
        const auto duplicate = [this, &key, &keyHead] {
            return refuse(QStringLiteral("duplicate key \"%1\"").arg(m_document.m_strings.at(key.id)),
                          keyHead.offset);
        };
        quint32 *indexSlot = nullptr;
        if (done < kThreshold) {
            for (size_t i = base; i < m_entryStack.size(); ++i) {
                if (m_entryStack[i].key == key.id)
                    return duplicate();
            }
        } else {
            if (done == kThreshold) {
                for (size_t i = base; i < m_entryStack.size(); ++i)
                    m_document.m_mapIndex.emplace(mapIndexKey(mapNode, m_entryStack[i].key),
                                                  m_entryStack[i].value);
            }
            const auto inserted = m_document.m_mapIndex.emplace(mapIndexKey(mapNode, key.id), 0);
            if (!inserted.second)
                return duplicate();
            indexSlot = &inserted.first->second; // element references survive rehashing
        }
        const quint32 value = parseValue(level);
        if (!value)
            return 0;
        if (indexSlot)
            *indexSlot = value;
        m_entryStack.push_back({key.id, value});
    }
    const size_t count = m_entryStack.size() - base;
    const size_t start = m_document.m_entries.size();
    m_document.m_entries.insert(m_document.m_entries.end(),
                                m_entryStack.begin() + qsizetype(base), m_entryStack.end());
    m_entryStack.resize(base);
    ArchiveDocument::Node &node = m_document.m_nodes[mapNode];
    node.count = quint32(count);
    node.payload = quint64(classId) << 32 | quint64(start);
    return mapNode;
}

bool ArchiveParser::parseText(Text &text, bool intern)
{
    Head head;
    return readHead(head) && parseText(head, text, intern);
}

// A string in any of its forms: inline, defined shareable, or a reference.
// Shared strings are always interned; inline ones when asked.
bool ArchiveParser::parseText(const Head &head, Text &text, bool intern)
{
    if (head.major == ArchiveCborScanner::Text) {
        if (!readSpan(head, text.offset, text.length))
            return false;
        if (intern) {
            text.interned = true;
            text.id = m_document.m_strings.intern(ArchiveFormat::text(QByteArrayView(m_data + text.offset, text.length)));
        }
        return true;
    }
    if (head.major != ArchiveCborScanner::Tag)
        return refuse(QStringLiteral("expected a string"), head.offset);
    quint32 node = 0;
    if (head.value == ArchiveFormat::kTagShareable) {
        Head inner;
        if (!readHead(inner))
            return false;
        if (inner.major != ArchiveCborScanner::Text)
            return refuse(inner.major == ArchiveCborScanner::Tag
                              ? QStringLiteral("a shareable tag wraps a tag")
                              : QStringLiteral("a shareable value is not a string"),
                          head.offset);
        node = parseShareableString(inner);
    } else if (head.value == ArchiveFormat::kTagSharedRef) {
        node = parseReference(head);
        if (node && m_document.m_nodes[node].type != NodeType::String)
            return refuse(QStringLiteral("a reference in place of a string names another kind of value"),
                          head.offset);
    } else {
        return refuse(QStringLiteral("expected a string, found tag %1").arg(head.value), head.offset);
    }
    if (!node)
        return false;
    text.interned = true;
    text.id = m_document.m_nodes[node].count;
    return true;
}

// The value of a tag 28 whose inner head is a text string.
quint32 ArchiveParser::parseShareableString(const Head &string)
{
    const size_t slot = m_table.size();
    m_table.push_back(kOpen);
    qint64 start = 0;
    quint32 length = 0;
    if (!readSpan(string, start, length))
        return 0;
    const quint32 id = m_document.m_strings.intern(ArchiveFormat::text(QByteArrayView(m_data + start, length)));
    const quint32 node = addNode(NodeType::String, ArchiveDocument::TextInterned, id, 0);
    m_table[slot] = node;
    return node;
}

// The index after a tag 29; answers the node it names.
quint32 ArchiveParser::parseReference(const Head &tag)
{
    Head index;
    if (!readHead(index))
        return 0;
    if (index.major != ArchiveCborScanner::Unsigned)
        return refuse(index.major == ArchiveCborScanner::Tag && index.value == ArchiveFormat::kTagShareable
                          ? QStringLiteral("a reference wraps a shareable tag")
                          : QStringLiteral("a reference is not an unsigned index"),
                      tag.offset);
    if (index.value >= m_table.size())
        return refuse(QStringLiteral("a reference to shared value %1 of only %2 defined so far")
                          .arg(index.value)
                          .arg(m_table.size()),
                      tag.offset);
    const quint32 node = m_table[size_t(index.value)];
    if (node == kOpen)
        return refuse(QStringLiteral("a reference to shared value %1 while it is being defined")
                          .arg(index.value),
                      tag.offset);
    return node;
}

quint32 ArchiveParser::parseTagged(const Head &tag, int level)
{
    switch (tag.value) {
    case ArchiveFormat::kTagShareable: {
        Head inner;
        if (!readHead(inner))
            return 0;
        if (inner.major == ArchiveCborScanner::Tag && inner.value == ArchiveFormat::kTagSharedRef)
            return refuse(QStringLiteral("a shareable tag wraps a reference"), tag.offset);
        if (inner.major != ArchiveCborScanner::Text)
            return refuse(QStringLiteral("a shareable value is not a string"), tag.offset);
        return parseShareableString(inner);
    }
    case ArchiveFormat::kTagSharedRef: {
        const quint32 node = parseReference(tag);
        if (node && m_document.m_nodes[node].type == NodeType::AttributeSet)
            return refuse(QStringLiteral("a reference to an attribute set in place of a value"), tag.offset);
        // Every reader of this place gets its own copy of the text.
        if (node && m_document.m_nodes[node].type == NodeType::String
            && !charge(kValueCost + 2 * qint64(m_document.m_strings.at(m_document.m_nodes[node].count).size())))
            return 0;
        return node;
    }
    case ArchiveFormat::kTagRowTable:
        return parseRowTable(tag, level + 1);
    case ArchiveFormat::kTagObject:
        return parseObject(tag, level + 1);
    case ArchiveFormat::kTagAttributedText:
        return parseAttributedText(tag);
    case ArchiveFormat::kTagRect:
        return parseNumbers(tag, NodeType::Rect, 4);
    case ArchiveFormat::kTagPoint:
        return parseNumbers(tag, NodeType::Point, 2);
    case ArchiveFormat::kTagSize:
        return parseNumbers(tag, NodeType::Size, 2);
    case ArchiveFormat::kTagAttributeSet:
        return refuse(QStringLiteral("an attribute set outside an attributed text"), tag.offset);
    default:
        return refuse(QStringLiteral("unknown tag %1").arg(tag.value), tag.offset);
    }
}

quint32 ArchiveParser::parseRowTable(const Head &tag, int level)
{
    if (level > m_maxDepth)
        return refuse(QStringLiteral("nesting deeper than %1 levels").arg(m_maxDepth), tag.offset);
    if (!readFixedArray(3, QStringLiteral("a row table is not [rows, block, styled cells]"), tag.offset))
        return 0;
    quint64 rows = 0;
    if (!readUnsigned(rows, 0xffffffffu, "a row count"))
        return 0;
    Head blockHead;
    if (!readHead(blockHead))
        return 0;
    if (blockHead.major != ArchiveCborScanner::Bytes)
        return refuse(QStringLiteral("a row table block is not a byte string"), blockHead.offset);
    ArchiveDocument::RowTable table;
    quint32 length = 0;
    if (!readSpan(blockHead, table.blockAt, length))
        return 0;
    QString error;
    if (!ArchiveRowTable::readLayout(QByteArrayView(m_data + table.blockAt, length), rows, &table.layout, &error))
        return refuse(error, blockHead.offset);
    // Each row and cell becomes an object of its own; each unpacked byte at
    // most two.
    const ArchiveRowTable::Layout &layout = table.layout;
    if (!charge(qint64(layout.rows) * kValueCost * (1 + qint64(layout.columns)) + 2 * layout.plainBytes))
        return 0;
    const qint64 styledAt = m_scanner.position();
    Head styledHead;
    if (!readHead(styledHead))
        return 0;
    if (styledHead.major != ArchiveCborScanner::Array)
        return refuse(QStringLiteral("the styled cells of a row table are not an array"), styledAt);
    table.styled = parseArray(styledHead, level + 1);
    if (!table.styled)
        return 0;
    if (m_document.m_nodes[table.styled].count % 2 != 0)
        return refuse(QStringLiteral("the styled cells of a row table are not in pairs"), styledAt);
    const auto index = quint64(m_document.m_rowTables.size());
    m_document.m_rowTables.push_back(std::move(table));
    return addNode(NodeType::Array, ArchiveDocument::RowTableArray, quint32(rows), index);
}

// Reads the head of an array that must hold exactly count items.
bool ArchiveParser::readFixedArray(quint64 count, const QString &what, qint64 at)
{
    Head head;
    if (!readHead(head))
        return false;
    if (head.major != ArchiveCborScanner::Array || head.indefinite || head.value != count)
        return refuse(what, at);
    return true;
}

quint32 ArchiveParser::parseObject(const Head &tag, int level)
{
    if (level > m_maxDepth)
        return refuse(QStringLiteral("nesting deeper than %1 levels").arg(m_maxDepth), tag.offset);
    if (!readFixedArray(2, QStringLiteral("an object is not [class name, fields]"), tag.offset))
        return 0;
    Text className;
    if (!parseText(className, true))
        return 0;
    Head fields;
    if (!readHead(fields))
        return 0;
    if (fields.major != ArchiveCborScanner::Map)
        return refuse(QStringLiteral("the fields of an object are not a map"), fields.offset);
    return parseMap(fields, level, NodeType::Object, className.id);
}

quint32 ArchiveParser::parseAttributedText(const Head &tag)
{
    Head head;
    if (!readHead(head))
        return 0;
    Text text;
    if (head.major == ArchiveCborScanner::Text || head.major == ArchiveCborScanner::Tag) {
        if (!parseText(head, text, false))
            return 0;
        return addTextNode(text, NodeType::AttributedText, 0);
    }
    if (head.major != ArchiveCborScanner::Array || head.indefinite || head.value < 3
        || head.value % 2 == 0 || head.value > quint64(m_scanner.remaining()))
        return refuse(QStringLiteral("an attributed text is neither a string nor [text, length, attributes, ...]"),
                      tag.offset);
    if (!parseText(text, false))
        return 0;
    const qint64 units = utf16Length(text);
    const auto runStart = quint32(m_document.m_runs.size());
    const quint64 runCount = (head.value - 1) / 2;
    qint64 covered = 0;
    for (quint64 i = 0; i < runCount; ++i) {
        quint64 length = 0;
        if (!readUnsigned(length, quint64(units - covered), "a run length"))
            return 0;
        covered += qint64(length);
        quint32 attributes = 0;
        if (!parseAttributes(attributes))
            return 0;
        m_document.m_runs.push_back({quint32(length), attributes});
    }
    if (covered != units)
        return refuse(QStringLiteral("the runs of an attributed text cover %1 of its %2 characters")
                          .arg(covered)
                          .arg(units),
                      tag.offset);
    const quint32 node = addTextNode(text, NodeType::AttributedText, ArchiveDocument::HasRuns);
    if (!node)
        return 0;
    m_document.m_runLists.push_back({node, runStart, quint32(runCount)});
    return node;
}

bool ArchiveParser::parseAttributes(quint32 &index)
{
    Head tag;
    if (!readHead(tag))
        return false;
    if (tag.major != ArchiveCborScanner::Tag)
        return refuse(QStringLiteral("expected an attribute set"), tag.offset);
    if (tag.value == ArchiveFormat::kTagAttributeSet)
        return parseAttributeSetBody(index);
    if (tag.value == ArchiveFormat::kTagSharedRef) {
        const quint32 node = parseReference(tag);
        if (!node)
            return false;
        if (m_document.m_nodes[node].type != NodeType::AttributeSet)
            return refuse(QStringLiteral("a reference in place of an attribute set names another kind of value"),
                          tag.offset);
        index = m_document.m_nodes[node].count;
        return true;
    }
    if (tag.value != ArchiveFormat::kTagShareable)
        return refuse(QStringLiteral("expected an attribute set, found tag %1").arg(tag.value), tag.offset);
    // The set takes its table index before any shared string inside it.
    const size_t slot = m_table.size();
    m_table.push_back(kOpen);
    Head inner;
    if (!readHead(inner))
        return false;
    if (inner.major != ArchiveCborScanner::Tag || inner.value != ArchiveFormat::kTagAttributeSet)
        return refuse(QStringLiteral("a shareable value in place of an attribute set is not one"), tag.offset);
    if (!parseAttributeSetBody(index))
        return false;
    m_table[slot] = addNode(NodeType::AttributeSet, 0, index, 0);
    return true;
}

bool ArchiveParser::parseAttributeSetBody(quint32 &index)
{
    const qint64 at = m_scanner.position();
    if (!readFixedArray(ArchiveFormat::kAttributeSetFields,
                        QStringLiteral("an attribute set is not an array of %1 fields")
                            .arg(ArchiveFormat::kAttributeSetFields),
                        at))
        return false;
    TextAttributes attributes;
    Text family;
    if (!parseText(family, false))
        return false;
    attributes.fontFamily = textString(family);
    const qint64 sizeAt = m_scanner.position();
    if (!readNumber(attributes.pointSize))
        return false;
    if (!std::isfinite(attributes.pointSize) || attributes.pointSize < 0
        || attributes.pointSize > kMaxPointSize)
        return refuse(QStringLiteral("a point size out of range"), sizeAt);
    quint64 weight = 0;
    quint64 foreground = 0;
    quint64 background = 0;
    if (!readUnsigned(weight, kMaxWeight, "a font weight")
        || !readBool(attributes.italic, "the italic flag")
        || !readBool(attributes.underline, "the underline flag")
        || !readBool(attributes.strikeOut, "the strike-out flag")
        || !readUnsigned(foreground, 0xffffffffu, "a foreground colour")
        || !readUnsigned(background, 0xffffffffu, "a background colour"))
        return false;
    attributes.weight = int(weight);
    attributes.foreground = quint32(foreground);
    attributes.background = quint32(background);
    const auto known = m_attributeIndex.constFind(attributes);
    if (known != m_attributeIndex.constEnd()) {
        index = known.value();
        return true;
    }
    index = quint32(m_document.m_attributes.size());
    m_document.m_attributes.push_back(TextAttributes::make(attributes));
    m_attributeIndex.insert(attributes, index);
    return true;
}

quint32 ArchiveParser::parseNumbers(const Head &tag, NodeType type, quint64 count)
{
    if (!readFixedArray(count, QStringLiteral("a geometry value is not an array of %1 numbers").arg(count),
                        tag.offset))
        return 0;
    const size_t start = m_document.m_numbers.size();
    for (quint64 i = 0; i < count; ++i) {
        double value = 0;
        if (!readNumber(value))
            return 0;
        m_document.m_numbers.push_back(value);
    }
    return addNode(type, 0, 0, start);
}

bool ArchiveParser::readNumber(double &value)
{
    Head head;
    if (!readHead(head))
        return false;
    if (head.major == ArchiveCborScanner::Unsigned) {
        value = double(head.value);
        return true;
    }
    if (head.major == ArchiveCborScanner::Negative) {
        value = -1.0 - double(head.value);
        return true;
    }
    if (head.major == ArchiveCborScanner::Simple) {
        switch (head.info) {
        case 25:
            value = double(halfToFloat(quint16(head.value)));
            return true;
        case 26:
            value = double(bitsToFloat(head.value));
            return true;
        case 27:
            value = bitsToDouble(head.value);
            return true;
        default:
            break;
        }
    }
    return refuse(QStringLiteral("expected a number"), head.offset);
}

bool ArchiveParser::readUnsigned(quint64 &value, quint64 maximum, const char *what)
{
    Head head;
    if (!readHead(head))
        return false;
    if (head.major != ArchiveCborScanner::Unsigned || head.value > maximum)
        return refuse(QStringLiteral("%1 is not a number from 0 to %2")
                          .arg(QLatin1StringView(what))
                          .arg(maximum),
                      head.offset);
    value = head.value;
    return true;
}

bool ArchiveParser::readBool(bool &value, const char *what)
{
    Head head;
    if (!readHead(head))
        return false;
    if (head.major != ArchiveCborScanner::Simple || (head.info != 20 && head.info != 21))
        return refuse(QStringLiteral("%1 is not a bool").arg(QLatin1StringView(what)), head.offset);
    value = head.info == 21;
    return true;
}
