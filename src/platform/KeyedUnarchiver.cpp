#include "KeyedUnarchiver.h"

#include "ArchiveCompression.h"
#include "ArchiveDocument.h"
#include "ArchiveParser.h"

KeyedUnarchiver::KeyedUnarchiver(QByteArrayView data) : KeyedUnarchiver(data, Limits{}) {}

KeyedUnarchiver::KeyedUnarchiver(QByteArrayView data, const Limits &limits)
    : m_document(std::make_shared<ArchiveDocument>())
{
    if (!unpackIfCompressed(data, limits))
        ArchiveParser::parse(*m_document, data, limits.maxDepth, limits.maxBytes);
}

KeyedUnarchiver::KeyedUnarchiver(const QByteArray &data) : KeyedUnarchiver(data, Limits{}) {}

KeyedUnarchiver::KeyedUnarchiver(const QByteArray &data, const Limits &limits)
    : m_document(std::make_shared<ArchiveDocument>())
{
    if (!unpackIfCompressed(data, limits))
        ArchiveParser::parse(*m_document, data, limits.maxDepth, limits.maxBytes);
}

bool KeyedUnarchiver::unpackIfCompressed(QByteArrayView data, const Limits &limits)
{
    if (!ArchiveCompression::isCompressed(data))
        return false;
    QByteArray plain;
    QString error;
    if (ArchiveCompression::decompress(data, limits.maxBytes, &plain, &error))
        ArchiveParser::parse(*m_document, plain, limits.maxDepth, limits.maxBytes);
    else
        m_document->fail(error);
    return true;
}

KeyedUnarchiver::~KeyedUnarchiver() = default;

bool KeyedUnarchiver::isValid() const
{
    return !m_document->failed();
}

QString KeyedUnarchiver::errorString() const
{
    return m_document->errorString();
}

ArchiveDecoder KeyedUnarchiver::root() const
{
    if (m_document->rootNode() == 0)
        return {};
    return ArchiveDecoder(m_document, m_document->rootNode());
}
