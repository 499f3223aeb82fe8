#pragma once

#include "ArchiveKind.h"
#include "ArchiveRowTable.h"
#include "ArchiveStringPool.h"
#include "AttributedText.h"

#include <QByteArray>
#include <QMutex>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <atomic>
#include <memory>
#include <unordered_map>
#include <vector>

// The parsed, read-only form of one keyed archive: a flat store of 16-byte
// nodes that ArchiveDecoder and ArchiveArray address by index. ArchiveParser
// fills it once; afterwards only the failure state changes, so views on other
// threads may read it concurrently.
class MappedFile;

class ArchiveDocument : public std::enable_shared_from_this<ArchiveDocument>
{
public:
    enum class NodeType : quint8 {
        Absent, Bool, Int, Float, Double, String, Data, Array, Dictionary, Object,
        AttributedText, Rect, Point, Size, AttributeSet,
    };
    enum NodeFlag : quint8 {
        TextInterned = 1, // count is a pool id instead of a UTF-8 byte length
        HasRuns = 2,      // attributed text with runs in m_runLists
        RowTableArray = 4,     // array stored as a row table; payload indexes m_rowTables
    };

    // Strings and data keep offsets into the input; containers keep a start
    // index into m_children or m_entries (objects add the class id above it).
    struct Node
    {
        NodeType type = NodeType::Absent;
        quint8 flags = 0;
        quint16 spare = 0;
        quint32 count = 0;
        quint64 payload = 0;
    };
    static_assert(sizeof(Node) == 16);

    struct Entry
    {
        quint32 key;   // id in m_strings
        quint32 value; // node
    };
    struct Run
    {
        quint32 length;     // UTF-16 units
        quint32 attributes; // index in m_attributes
    };
    struct RunList
    {
        quint32 node;
        quint32 start;
        quint32 count;
    };

    struct RowTable
    {
        qint64 blockAt = 0;
        quint32 styled = 0; // array node of (cell index, attributed text) pairs
        ArchiveRowTable::Layout layout;
    };

    // Where a value was asked for, named in failure messages.
    struct Location
    {
        QStringView key;
        qsizetype index = -1;
        QString describe() const;
    };

    ArchiveDocument() = default;
    ArchiveDocument(const ArchiveDocument &) = delete;
    ArchiveDocument &operator=(const ArchiveDocument &) = delete;

    quint32 rootNode() const { return m_root; }
    const Node &node(quint32 index) const { return m_nodes[index]; }
    ArchiveKind kindOf(quint32 node) const;

    quint32 lookup(quint32 mapNode, QStringView key) const; // 0 when absent
    QStringList keys(quint32 mapNode) const;
    // The value of the entry at a position in stored order; 0 out of range.
    quint32 valueAt(quint32 mapNode, qsizetype index) const;
    QString className(quint32 objectNode) const;
    qsizetype arraySize(quint32 arrayNode) const;
    quint32 arrayElement(quint32 arrayNode, qsizetype index) const; // 0 when out of range
    const RowTable *rowTable(quint32 arrayNode) const; // null for any other node
    // A row table read as an ordinary array of dictionaries: built on demand
    // into a document of its own (which forwards failures here) and kept
    // only while someone reads it. Null when the document has failed.
    std::pair<std::shared_ptr<ArchiveDocument>, quint32> expandedRowTable(quint32 arrayNode) const;

    // Typed reads. Node 0 answers the neutral value quietly; a node of another
    // kind fails the document and answers the neutral value.
    bool toBool(quint32 node, const Location &where) const;
    qint32 toInt32(quint32 node, const Location &where) const;
    float toFloat(quint32 node, const Location &where) const;
    double toDouble(quint32 node, const Location &where) const;
    QString toString(quint32 node, const Location &where) const;
    QByteArray toData(quint32 node, const Location &where) const;
    AttributedText toAttributedText(quint32 node, const Location &where) const;
    QRectF toRect(quint32 node, const Location &where) const;
    QPointF toPoint(quint32 node, const Location &where) const;
    QSizeF toSize(quint32 node, const Location &where) const;
    QStringList toStringList(quint32 node, const Location &where) const;
    QVariant toVariant(quint32 node, const Location &where) const;
    // True when node is present and of the type; a present node of another
    // type fails the document.
    bool expect(quint32 node, NodeType type, const Location &where) const;

    // Said by an owner that handed over the only copy of the bytes: parts
    // read once (row-table segments) may then give their memory back.
    void setBytesReleasable() { m_bytesReleasable = true; }
    bool bytesReleasable() const { return m_bytesReleasable && (m_mapping || m_bytes.isDetached()); }

    // The first failure wins; later ones are dropped.
    void fail(const QString &reason) const;
    bool failed() const { return m_failed.load(std::memory_order_acquire); }
    QString errorString() const;

private:
    friend class ArchiveParser;
    friend class ArchiveRowTable;

    QString textOf(const Node &node) const;
    void failKind(quint32 node, const Location &where, const char *wanted) const;
    QVariant toVariantAt(quint32 node, const Location &where, int depth) const;

    QByteArray m_bytes;
    // Keeps the mapped file that m_bytes wraps, if any.
    std::shared_ptr<const MappedFile> m_mapping;
    bool m_bytesReleasable = false;
    quint32 m_root = 0;
    std::vector<Node> m_nodes;
    std::vector<quint32> m_children;
    std::vector<Entry> m_entries;
    std::vector<double> m_numbers;
    std::vector<RunList> m_runLists; // ascending by node
    std::vector<Run> m_runs;
    std::vector<TextAttributes::Ptr> m_attributes;
    ArchiveStringPool m_strings;
    // (map node << 32 | key id) -> value node, for maps above the threshold.
    std::unordered_map<quint64, quint32> m_mapIndex;

    std::vector<RowTable> m_rowTables;
    std::shared_ptr<const ArchiveDocument> m_expandedFrom; // failures go there too
    mutable std::vector<std::weak_ptr<ArchiveDocument>> m_expansions;
    mutable QMutex m_expansionMutex;

    mutable std::atomic<bool> m_failed{false};
    mutable QMutex m_errorMutex;
    mutable QString m_error;
};
