#pragma once

#include "ArchiveCborScanner.h"
#include "ArchiveDocument.h"

#include <QByteArrayView>
#include <QHash>

#include <functional>
#include <memory>

// Reads keyed-archive bytes into an ArchiveDocument. The input is hostile:
// every length and count is checked against the bytes left before it is
// used, nesting is capped, references must point back at finished values, and
// the first violation fails the document with "archive: <what> at byte <n>".
class MappedFile;

class ArchiveParser
{
public:
    // maxExpansion bounds what the values may cost once decoded: every text
    // at its UTF-16 size plus a cell's overhead, each reference to a shared
    // value as often as it is referenced, every row of a row table.
    static void parse(ArchiveDocument &document, QByteArrayView data, int maxDepth,
                      qint64 maxBytes, qint64 maxExpansion);
    // Shares data unless it merely wraps memory it does not own.
    static void parse(ArchiveDocument &document, const QByteArray &data, int maxDepth,
                      qint64 maxBytes, qint64 maxExpansion);
    // Reads the mapped file in place; the document keeps it mapped.
    static void parse(ArchiveDocument &document, const std::shared_ptr<const MappedFile> &file, int maxDepth,
                      qint64 maxBytes, qint64 maxExpansion);

    // What one decoded value costs beyond its text.
    static constexpr qint64 kValueCost = 16;

private:
    using NodeType = ArchiveDocument::NodeType;
    using Head = ArchiveCborScanner::Head;

    // A string as found in the input: interned (shared values, keys) or a
    // span of UTF-8 bytes decoded on demand.
    struct Text
    {
        bool interned = false;
        quint32 id = 0;
        qint64 offset = 0;
        quint32 length = 0;
    };

    ArchiveParser(ArchiveDocument &document, int maxDepth, qint64 maxExpansion);

    static void parseBytes(ArchiveDocument &document, qint64 size, int maxDepth, qint64 maxBytes,
                           qint64 maxExpansion, const std::function<QByteArray()> &bytes);

    bool run();
    bool readHead(Head &head) { return m_scanner.readHead(head) || refuseHead(); }
    bool refuseHead();
    quint32 parseValue(int level);
    quint32 parseValue(const Head &head, int level);
    quint32 parseTagged(const Head &tag, int level);
    quint32 parseArray(const Head &head, int level);
    quint32 parseMap(const Head &head, int level, NodeType type, quint32 classId);
    quint32 parseObject(const Head &tag, int level);
    quint32 parseAttributedText(const Head &tag);
    quint32 parseNumbers(const Head &tag, NodeType type, quint64 count);
    quint32 parseShareableString(const Head &string);
    quint32 parseReference(const Head &tag);
    quint32 parseRowTable(const Head &tag, int level);
    bool charge(qint64 cost);
    bool chargeText(const Text &text);
    bool parseText(Text &text, bool intern);
    bool parseText(const Head &head, Text &text, bool intern);
    bool parseAttributes(quint32 &index);
    bool parseAttributeSetBody(quint32 &index);
    bool readSpan(const Head &head, qint64 &start, quint32 &length);
    bool readFixedArray(quint64 count, const QString &what, qint64 at);
    bool readNumber(double &value);
    bool readUnsigned(quint64 &value, quint64 maximum, const char *what);
    bool readBool(bool &value, const char *what);
    bool atContainerEnd(const Head &head, quint64 done, bool &end);

    bool refuse(const QString &what, qint64 at);
    quint32 addNode(NodeType type, quint8 flags, quint32 count, quint64 payload)
    {
        // Every node stands for at least one input byte and the input stays
        // below 4 GiB, so the index cannot wrap.
        const auto index = quint32(m_document.m_nodes.size());
        m_document.m_nodes.push_back({type, flags, 0, count, payload});
        return index;
    }
    quint32 addTextNode(const Text &text, NodeType type, quint8 flags);
    QString textString(const Text &text) const;
    qint64 utf16Length(const Text &text) const;

    static constexpr quint32 kOpen = 0; // table slot whose value is still being read

    ArchiveDocument &m_document;
    const char *m_data = nullptr;
    qint64 m_size = 0;
    ArchiveCborScanner m_scanner;
    int m_maxDepth = 0;
    qint64 m_budget = 0;
    qint64 m_spent = 0;
    bool m_failed = false;
    std::vector<quint32> m_table;      // value-sharing table: node per index
    std::vector<quint32> m_childStack; // elements of the arrays being read
    std::vector<ArchiveDocument::Entry> m_entryStack;
    QHash<TextAttributes, quint32> m_attributeIndex;
};
