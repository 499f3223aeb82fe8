#include "ArchiveDocument.h"

#include "ArchiveFormat.h"
#include "ArchiveParser.h"
#include "ArchiveRowSegment.h"
#include "KeyedArchiver.h"

#include <QMutexLocker>

#include <cstring>

#include <algorithm>
#include <limits>

namespace {

const char *typeName(ArchiveDocument::NodeType type)
{
    using T = ArchiveDocument::NodeType;
    switch (type) {
    case T::Absent: return "nothing";
    case T::Bool: return "a bool";
    case T::Int: return "an int";
    case T::Float: return "a float";
    case T::Double: return "a double";
    case T::String: return "a string";
    case T::Data: return "data";
    case T::Array: return "an array";
    case T::Dictionary: return "a dictionary";
    case T::Object: return "an object";
    case T::AttributedText: return "an attributed text";
    case T::Rect: return "a rect";
    case T::Point: return "a point";
    case T::Size: return "a size";
    case T::AttributeSet: return "an attribute set";
    }
    return "an unknown value";
}

double bitsToDouble(quint64 bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float bitsToFloat(quint64 bits)
{
    const auto narrow = quint32(bits);
    float value;
    std::memcpy(&value, &narrow, sizeof value);
    return value;
}

// decodeValue turns containers into QVariant trees; the parser already bounds
// their depth, this only guards against a caller-raised limit.
constexpr int kMaxVariantDepth = ArchiveFormat::kMaxDepthCeiling;

} // namespace

QString ArchiveDocument::Location::describe() const
{
    if (index >= 0)
        return QStringLiteral("at index %1").arg(index);
    return QStringLiteral("under \"%1\"").arg(key);
}

ArchiveKind ArchiveDocument::kindOf(quint32 index) const
{
    switch (m_nodes[index].type) {
    case NodeType::Absent: return ArchiveKind::None;
    case NodeType::Bool: return ArchiveKind::Bool;
    case NodeType::Int: return ArchiveKind::Int;
    case NodeType::Float: return ArchiveKind::Float;
    case NodeType::Double: return ArchiveKind::Double;
    case NodeType::String: return ArchiveKind::String;
    case NodeType::Data: return ArchiveKind::Data;
    case NodeType::Array: return ArchiveKind::Array;
    case NodeType::Dictionary: return ArchiveKind::Dictionary;
    case NodeType::Object: return ArchiveKind::Object;
    case NodeType::AttributedText: return ArchiveKind::AttributedText;
    case NodeType::Rect: return ArchiveKind::Rect;
    case NodeType::Point: return ArchiveKind::Point;
    case NodeType::Size: return ArchiveKind::Size;
    case NodeType::AttributeSet: return ArchiveKind::None;
    }
    return ArchiveKind::None;
}

quint32 ArchiveDocument::lookup(quint32 mapNode, QStringView key) const
{
    const Node &map = m_nodes[mapNode];
    if (map.type != NodeType::Dictionary && map.type != NodeType::Object)
        return 0;
    if (map.count > ArchiveFormat::kIndexedMapThreshold) {
        const quint32 id = m_strings.find(key);
        if (id == ArchiveStringPool::kNone)
            return 0;
        const auto found = m_mapIndex.find(quint64(mapNode) << 32 | id);
        return found == m_mapIndex.end() ? 0 : found->second;
    }
    const Entry *entry = m_entries.data() + quint32(map.payload);
    for (const Entry *end = entry + map.count; entry != end; ++entry) {
        if (QStringView(m_strings.at(entry->key)) == key)
            return entry->value;
    }
    return 0;
}

QStringList ArchiveDocument::keys(quint32 mapNode) const
{
    const Node &map = m_nodes[mapNode];
    if (map.type != NodeType::Dictionary && map.type != NodeType::Object)
        return {};
    QStringList result;
    result.reserve(map.count);
    const quint32 start = quint32(map.payload);
    for (quint32 i = 0; i < map.count; ++i)
        result.append(m_strings.at(m_entries[start + i].key));
    return result;
}

quint32 ArchiveDocument::valueAt(quint32 mapNode, qsizetype index) const
{
    const Node &map = m_nodes[mapNode];
    if ((map.type != NodeType::Dictionary && map.type != NodeType::Object) || index < 0
        || quint64(index) >= map.count)
        return 0;
    return m_entries[quint32(map.payload) + quint32(index)].value;
}

QString ArchiveDocument::className(quint32 objectNode) const
{
    const Node &object = m_nodes[objectNode];
    if (object.type != NodeType::Object)
        return {};
    return m_strings.at(quint32(object.payload >> 32));
}

qsizetype ArchiveDocument::arraySize(quint32 arrayNode) const
{
    const Node &array = m_nodes[arrayNode];
    return array.type == NodeType::Array ? qsizetype(array.count) : 0;
}

quint32 ArchiveDocument::arrayElement(quint32 arrayNode, qsizetype index) const
{
    const Node &array = m_nodes[arrayNode];
    if (array.type != NodeType::Array || (array.flags & RowTableArray) || index < 0
        || index >= qsizetype(array.count))
        return 0;
    return m_children[size_t(array.payload) + size_t(index)];
}

const ArchiveDocument::RowTable *ArchiveDocument::rowTable(quint32 arrayNode) const
{
    const Node &array = m_nodes[arrayNode];
    if (array.type != NodeType::Array || !(array.flags & RowTableArray))
        return nullptr;
    return &m_rowTables[size_t(array.payload)];
}

std::pair<std::shared_ptr<ArchiveDocument>, quint32> ArchiveDocument::expandedRowTable(quint32 arrayNode) const
{
    const Node &array = m_nodes[arrayNode];
    if (!rowTable(arrayNode) || failed())
        return {};
    QMutexLocker locker(&m_expansionMutex);
    m_expansions.resize(m_rowTables.size());
    std::weak_ptr<ArchiveDocument> &cached = m_expansions[size_t(array.payload)];
    std::shared_ptr<ArchiveDocument> expansion = cached.lock();
    if (!expansion) {
        const ArchiveRowTable table(std::const_pointer_cast<ArchiveDocument>(shared_from_this()), arrayNode);
        const QStringList &titles = table.titles();
        const QString &markTitle = table.markTitle();
        QHash<qint64, AttributedText> styled;
        const ArchiveArray pairs = table.styledCells();
        for (qsizetype i = 0; i + 1 < pairs.size(); i += 2)
            styled.insert(pairs.int32At(i), pairs.attributedTextAt(i + 1));
        const QString rowsKey = QStringLiteral("rows");
        QByteArray bytes;
        KeyedArchiver archiver(&bytes);
        ArchiveEncoder &coder = archiver.encoder();
        coder.beginArray(table.rowCount(), rowsKey);
        QByteArray scratch;
        for (qsizetype s = 0; s < table.segmentCount(); ++s) {
            ArchiveRowSegment segment;
            QString error;
            if (!table.segment(s, &scratch, &segment, &error)) {
                fail(error);
                return {};
            }
            const qsizetype first = table.segmentFirstRow(s);
            for (qsizetype r = 0; r < segment.rowCount(); ++r) {
                coder.beginDictionary(titles.size() + (markTitle.isEmpty() ? 0 : 1), {});
                if (!markTitle.isEmpty())
                    coder.encodeInt32(qint32(segment.markAt(r)), markTitle);
                for (qsizetype c = 0; c < titles.size(); ++c) {
                    const auto found = styled.constFind(qint64(first + r) * titles.size() + c);
                    coder.encodeAttributedText(found != styled.cend()
                                                   ? found.value()
                                                   : AttributedText(ArchiveFormat::text(segment.cellAt(r, c))),
                                               titles.at(c));
                }
                coder.endDictionary();
            }
        }
        coder.endArray();
        if (!archiver.finish()) {
            fail(archiver.errorString());
            return {};
        }
        expansion = std::make_shared<ArchiveDocument>();
        expansion->m_expandedFrom = shared_from_this();
        ArchiveParser::parse(*expansion, bytes, ArchiveFormat::kMaxDepth, ArchiveFormat::kMaxInputBytes,
                             std::numeric_limits<qint64>::max());
        if (expansion->failed()) {
            fail(expansion->errorString());
            return {};
        }
        cached = expansion;
    }
    return {expansion, expansion->lookup(expansion->rootNode(), u"rows")};
}

QString ArchiveDocument::textOf(const Node &node) const
{
    if (node.flags & TextInterned)
        return m_strings.at(node.count);
    if (node.count == 0)
        return QStringLiteral("");
    return ArchiveFormat::text(QByteArrayView(m_bytes.constData() + node.payload, qsizetype(node.count)));
}

void ArchiveDocument::failKind(quint32 node, const Location &where, const char *wanted) const
{
    fail(QStringLiteral("the value %1 is %2, not %3")
             .arg(where.describe(), QLatin1StringView(typeName(m_nodes[node].type)),
                  QLatin1StringView(wanted)));
}

bool ArchiveDocument::expect(quint32 node, NodeType type, const Location &where) const
{
    if (node == 0)
        return false;
    if (m_nodes[node].type == type)
        return true;
    failKind(node, where, typeName(type));
    return false;
}

bool ArchiveDocument::toBool(quint32 node, const Location &where) const
{
    return expect(node, NodeType::Bool, where) && m_nodes[node].payload != 0;
}

qint32 ArchiveDocument::toInt32(quint32 node, const Location &where) const
{
    if (!expect(node, NodeType::Int, where))
        return 0;
    const auto value = qint64(m_nodes[node].payload);
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max()) {
        fail(QStringLiteral("the int %1 does not fit in 32 bits").arg(where.describe()));
        return 0;
    }
    return qint32(value);
}

float ArchiveDocument::toFloat(quint32 node, const Location &where) const
{
    if (node == 0)
        return 0.0f;
    const Node &n = m_nodes[node];
    if (n.type == NodeType::Float)
        return bitsToFloat(n.payload);
    if (n.type == NodeType::Double)
        return float(bitsToDouble(n.payload));
    failKind(node, where, "a float");
    return 0.0f;
}

double ArchiveDocument::toDouble(quint32 node, const Location &where) const
{
    if (node == 0)
        return 0.0;
    const Node &n = m_nodes[node];
    if (n.type == NodeType::Double)
        return bitsToDouble(n.payload);
    if (n.type == NodeType::Float)
        return double(bitsToFloat(n.payload));
    failKind(node, where, "a double");
    return 0.0;
}

QString ArchiveDocument::toString(quint32 node, const Location &where) const
{
    return expect(node, NodeType::String, where) ? textOf(m_nodes[node]) : QString();
}

QByteArray ArchiveDocument::toData(quint32 node, const Location &where) const
{
    if (!expect(node, NodeType::Data, where))
        return {};
    const Node &n = m_nodes[node];
    if (n.count == 0)
        return QByteArray("");
    return QByteArray(m_bytes.constData() + n.payload, qsizetype(n.count));
}

AttributedText ArchiveDocument::toAttributedText(quint32 node, const Location &where) const
{
    if (!expect(node, NodeType::AttributedText, where))
        return {};
    const Node &n = m_nodes[node];
    AttributedText text(textOf(n));
    if (!(n.flags & HasRuns))
        return text;
    const auto list = std::lower_bound(m_runLists.begin(), m_runLists.end(), node,
                                       [](const RunList &l, quint32 v) { return l.node < v; });
    if (list == m_runLists.end() || list->node != node) {
        fail(QStringLiteral("the attributed text %1 lost its runs").arg(where.describe()));
        return {};
    }
    QList<AttributedText::Run> runs;
    runs.reserve(list->count);
    for (quint32 i = 0; i < list->count; ++i) {
        const Run &run = m_runs[list->start + i];
        runs.append({qsizetype(run.length), m_attributes[run.attributes]});
    }
    if (!text.setRuns(runs)) {
        fail(QStringLiteral("the runs of the attributed text %1 do not cover its text")
                 .arg(where.describe()));
        return {};
    }
    return text;
}

QRectF ArchiveDocument::toRect(quint32 node, const Location &where) const
{
    if (!expect(node, NodeType::Rect, where))
        return {};
    const double *v = m_numbers.data() + m_nodes[node].payload;
    return QRectF(v[0], v[1], v[2], v[3]);
}

QPointF ArchiveDocument::toPoint(quint32 node, const Location &where) const
{
    if (!expect(node, NodeType::Point, where))
        return {};
    const double *v = m_numbers.data() + m_nodes[node].payload;
    return QPointF(v[0], v[1]);
}

QSizeF ArchiveDocument::toSize(quint32 node, const Location &where) const
{
    if (!expect(node, NodeType::Size, where))
        return {};
    const double *v = m_numbers.data() + m_nodes[node].payload;
    return QSizeF(v[0], v[1]);
}

QStringList ArchiveDocument::toStringList(quint32 node, const Location &where) const
{
    if (!expect(node, NodeType::Array, where))
        return {};
    const Node &array = m_nodes[node];
    if ((array.flags & RowTableArray) && array.count > 0) {
        fail(QStringLiteral("the string array %1 holds dictionaries").arg(where.describe()));
        return {};
    }
    QStringList result;
    result.reserve(array.count);
    for (quint32 i = 0; i < array.count; ++i) {
        const quint32 element = m_children[size_t(array.payload) + i];
        if (m_nodes[element].type != NodeType::String) {
            fail(QStringLiteral("the string array %1 holds %2 at index %3")
                     .arg(where.describe(), QLatin1StringView(typeName(m_nodes[element].type)))
                     .arg(i));
            return {};
        }
        result.append(textOf(m_nodes[element]));
    }
    return result;
}

QVariant ArchiveDocument::toVariant(quint32 node, const Location &where) const
{
    return toVariantAt(node, where, 0);
}

QVariant ArchiveDocument::toVariantAt(quint32 node, const Location &where, int depth) const
{
    if (node == 0)
        return {};
    const Node &n = m_nodes[node];
    switch (n.type) {
    case NodeType::Bool:
        return QVariant(n.payload != 0);
    case NodeType::Int: {
        const auto value = qint64(n.payload);
        if (value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max())
            return QVariant(int(value));
        return QVariant(qlonglong(value));
    }
    case NodeType::Float:
        return QVariant(bitsToFloat(n.payload));
    case NodeType::Double:
        return QVariant(bitsToDouble(n.payload));
    case NodeType::String:
        return QVariant(textOf(n));
    case NodeType::Data:
        return QVariant(toData(node, where));
    case NodeType::AttributedText:
        return QVariant::fromValue(toAttributedText(node, where));
    case NodeType::Rect:
        return QVariant(toRect(node, where));
    case NodeType::Point:
        return QVariant(toPoint(node, where));
    case NodeType::Size:
        return QVariant(toSize(node, where));
    case NodeType::Array: {
        if (depth >= kMaxVariantDepth)
            break;
        if (n.flags & RowTableArray) {
            const auto [expansion, array] = expandedRowTable(node);
            return expansion ? expansion->toVariantAt(array, where, depth) : QVariant();
        }
        QVariantList list;
        list.reserve(n.count);
        for (quint32 i = 0; i < n.count; ++i) {
            const quint32 element = m_children[size_t(n.payload) + i];
            list.append(toVariantAt(element, Location{{}, qsizetype(i)}, depth + 1));
        }
        return QVariant(list);
    }
    case NodeType::Dictionary: {
        if (depth >= kMaxVariantDepth)
            break;
        QVariantMap map;
        const quint32 start = quint32(n.payload);
        for (quint32 i = 0; i < n.count; ++i) {
            const Entry &entry = m_entries[start + i];
            const QString &key = m_strings.at(entry.key);
            map.insert(key, toVariantAt(entry.value, Location{key, -1}, depth + 1));
        }
        return QVariant(map);
    }
    case NodeType::Object:
        fail(QStringLiteral("the value %1 is an object of class %2, which a plain value cannot hold")
                 .arg(where.describe(), className(node)));
        return {};
    case NodeType::Absent:
    case NodeType::AttributeSet:
        break;
    }
    fail(QStringLiteral("the value %1 cannot be read as a plain value").arg(where.describe()));
    return {};
}

void ArchiveDocument::fail(const QString &reason) const
{
    if (m_expandedFrom)
        m_expandedFrom->fail(reason);
    QMutexLocker locker(&m_errorMutex);
    if (m_failed.load(std::memory_order_relaxed))
        return;
    m_error = reason.startsWith(QLatin1StringView("archive: "))
        ? reason : QStringLiteral("archive: ") + reason;
    m_failed.store(true, std::memory_order_release);
}

QString ArchiveDocument::errorString() const
{
    QMutexLocker locker(&m_errorMutex);
    return m_error;
}
