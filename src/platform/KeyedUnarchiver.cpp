#include "KeyedUnarchiver.h"

#include "ArchiveDocument.h"
#include "ArchiveParser.h"

KeyedUnarchiver::KeyedUnarchiver(QByteArrayView data) : KeyedUnarchiver(data, Limits{}) {}

KeyedUnarchiver::KeyedUnarchiver(QByteArrayView data, const Limits &limits)
    : m_document(std::make_shared<ArchiveDocument>())
{
    ArchiveParser::parse(*m_document, data, limits.maxDepth, limits.maxBytes);
}

KeyedUnarchiver::KeyedUnarchiver(const QByteArray &data) : KeyedUnarchiver(data, Limits{}) {}

KeyedUnarchiver::KeyedUnarchiver(const QByteArray &data, const Limits &limits)
    : m_document(std::make_shared<ArchiveDocument>())
{
    ArchiveParser::parse(*m_document, data, limits.maxDepth, limits.maxBytes);
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
