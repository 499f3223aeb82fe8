#include "ArchiveArray.h"

#include "ArchiveDocument.h"

namespace {

ArchiveDocument::Location at(qsizetype index)
{
    return ArchiveDocument::Location{{}, index};
}

} // namespace

ArchiveArray ArchiveArray::over(const std::shared_ptr<ArchiveDocument> &document, quint32 node)
{
    if (!document->rowTable(node))
        return ArchiveArray(document, node);
    auto [expansion, array] = document->expandedRowTable(node);
    return expansion ? ArchiveArray(std::move(expansion), array) : ArchiveArray();
}

qsizetype ArchiveArray::size() const
{
    return m_document ? m_document->arraySize(m_node) : 0;
}

quint32 ArchiveArray::elementNode(qsizetype index) const
{
    return m_document ? m_document->arrayElement(m_node, index) : 0;
}

ArchiveKind ArchiveArray::kindAt(qsizetype index) const
{
    const quint32 node = elementNode(index);
    return node ? m_document->kindOf(node) : ArchiveKind::None;
}

bool ArchiveArray::boolAt(qsizetype index) const
{
    return m_document && m_document->toBool(elementNode(index), at(index));
}

qint32 ArchiveArray::int32At(qsizetype index) const
{
    return m_document ? m_document->toInt32(elementNode(index), at(index)) : 0;
}

float ArchiveArray::floatAt(qsizetype index) const
{
    return m_document ? m_document->toFloat(elementNode(index), at(index)) : 0.0f;
}

double ArchiveArray::doubleAt(qsizetype index) const
{
    return m_document ? m_document->toDouble(elementNode(index), at(index)) : 0.0;
}

QString ArchiveArray::stringAt(qsizetype index) const
{
    return m_document ? m_document->toString(elementNode(index), at(index)) : QString();
}

QByteArray ArchiveArray::dataAt(qsizetype index) const
{
    return m_document ? m_document->toData(elementNode(index), at(index)) : QByteArray();
}

AttributedText ArchiveArray::attributedTextAt(qsizetype index) const
{
    return m_document ? m_document->toAttributedText(elementNode(index), at(index))
                      : AttributedText();
}

QVariant ArchiveArray::valueAt(qsizetype index) const
{
    return m_document ? m_document->toVariant(elementNode(index), at(index)) : QVariant();
}

ArchiveArray ArchiveArray::arrayAt(qsizetype index) const
{
    const quint32 node = elementNode(index);
    if (!m_document || !m_document->expect(node, ArchiveDocument::NodeType::Array, at(index)))
        return {};
    return over(m_document, node);
}

ArchiveDecoder ArchiveArray::dictionaryAt(qsizetype index) const
{
    const quint32 node = elementNode(index);
    if (!m_document || !m_document->expect(node, ArchiveDocument::NodeType::Dictionary, at(index)))
        return {};
    return ArchiveDecoder(m_document, node);
}

ArchiveDecoder ArchiveArray::objectAtIndex(qsizetype index, const QString &className) const
{
    const quint32 node = elementNode(index);
    if (!m_document || !m_document->expect(node, ArchiveDocument::NodeType::Object, at(index)))
        return {};
    const QString stored = m_document->className(node);
    if (stored != className) {
        fail(QStringLiteral("the object at index %1 is of class %2, not %3").arg(index).arg(stored, className));
        return {};
    }
    return ArchiveDecoder(m_document, node);
}

void ArchiveArray::fail(const QString &reason) const
{
    if (m_document)
        m_document->fail(reason);
}

bool ArchiveArray::failed() const
{
    return m_document && m_document->failed();
}
