#include "ArchiveDecoder.h"

#include "ArchiveArray.h"
#include "ArchiveDocument.h"

namespace {

ArchiveDocument::Location at(QStringView key)
{
    return ArchiveDocument::Location{key, -1};
}

} // namespace

QString ArchiveDecoder::className() const
{
    return m_document ? m_document->className(m_node) : QString();
}

QStringList ArchiveDecoder::allKeys() const
{
    return m_document ? m_document->keys(m_node) : QStringList();
}

bool ArchiveDecoder::containsValueForKey(QStringView key) const
{
    return valueNode(key) != 0;
}

ArchiveKind ArchiveDecoder::kindForKey(QStringView key) const
{
    const quint32 node = valueNode(key);
    return node ? m_document->kindOf(node) : ArchiveKind::None;
}

quint32 ArchiveDecoder::valueNode(QStringView key) const
{
    return m_document ? m_document->lookup(m_node, key) : 0;
}

bool ArchiveDecoder::decodeBool(QStringView key) const
{
    return m_document && m_document->toBool(valueNode(key), at(key));
}

qint32 ArchiveDecoder::decodeInt32(QStringView key) const
{
    return m_document ? m_document->toInt32(valueNode(key), at(key)) : 0;
}

float ArchiveDecoder::decodeFloat(QStringView key) const
{
    return m_document ? m_document->toFloat(valueNode(key), at(key)) : 0.0f;
}

double ArchiveDecoder::decodeDouble(QStringView key) const
{
    return m_document ? m_document->toDouble(valueNode(key), at(key)) : 0.0;
}

QString ArchiveDecoder::decodeString(QStringView key) const
{
    return m_document ? m_document->toString(valueNode(key), at(key)) : QString();
}

QByteArray ArchiveDecoder::decodeData(QStringView key) const
{
    return m_document ? m_document->toData(valueNode(key), at(key)) : QByteArray();
}

AttributedText ArchiveDecoder::decodeAttributedText(QStringView key) const
{
    return m_document ? m_document->toAttributedText(valueNode(key), at(key)) : AttributedText();
}

AttributedText ArchiveDecoder::decodeAttributedTextAt(qsizetype index) const
{
    return m_document ? m_document->toAttributedText(m_document->valueAt(m_node, index),
                                                     ArchiveDocument::Location{QStringView(), index})
                      : AttributedText();
}

QRectF ArchiveDecoder::decodeRect(QStringView key) const
{
    return m_document ? m_document->toRect(valueNode(key), at(key)) : QRectF();
}

QPointF ArchiveDecoder::decodePoint(QStringView key) const
{
    return m_document ? m_document->toPoint(valueNode(key), at(key)) : QPointF();
}

QSizeF ArchiveDecoder::decodeSize(QStringView key) const
{
    return m_document ? m_document->toSize(valueNode(key), at(key)) : QSizeF();
}

QStringList ArchiveDecoder::decodeStringArray(QStringView key) const
{
    return m_document ? m_document->toStringList(valueNode(key), at(key)) : QStringList();
}

QVariant ArchiveDecoder::decodeValue(QStringView key) const
{
    return m_document ? m_document->toVariant(valueNode(key), at(key)) : QVariant();
}

ArchiveArray ArchiveDecoder::decodeArray(QStringView key) const
{
    const quint32 node = valueNode(key);
    if (!m_document || !m_document->expect(node, ArchiveDocument::NodeType::Array, at(key)))
        return {};
    return ArchiveArray::over(m_document, node);
}

ArchiveRowTable ArchiveDecoder::decodeRowTable(QStringView key) const
{
    const quint32 node = valueNode(key);
    if (!m_document || !m_document->rowTable(node))
        return {};
    return ArchiveRowTable(m_document, node);
}

ArchiveDecoder ArchiveDecoder::decodeDictionary(QStringView key) const
{
    const quint32 node = valueNode(key);
    if (!m_document || !m_document->expect(node, ArchiveDocument::NodeType::Dictionary, at(key)))
        return {};
    return ArchiveDecoder(m_document, node);
}

ArchiveDecoder ArchiveDecoder::objectForKey(QStringView key, const QString &className) const
{
    const quint32 node = valueNode(key);
    if (!m_document || !m_document->expect(node, ArchiveDocument::NodeType::Object, at(key)))
        return {};
    const QString stored = m_document->className(node);
    if (stored != className) {
        fail(QStringLiteral("the object under \"%1\" is of class %2, not %3").arg(key, stored, className));
        return {};
    }
    return ArchiveDecoder(m_document, node);
}

void ArchiveDecoder::fail(const QString &reason) const
{
    if (m_document)
        m_document->fail(reason);
}

bool ArchiveDecoder::failed() const
{
    return m_document && m_document->failed();
}

QVariantMap ArchiveDecoder::decodeVariantMap(QStringView key) const
{
    const ArchiveKind kind = kindForKey(key);
    if (kind == ArchiveKind::None)
        return {};
    if (kind != ArchiveKind::Dictionary) {
        fail(QStringLiteral("\"%1\" of a %2 is not a dictionary")
                 .arg(key, className().isEmpty() ? QStringLiteral("dictionary") : className()));
        return {};
    }
    return decodeValue(key).toMap();
}
