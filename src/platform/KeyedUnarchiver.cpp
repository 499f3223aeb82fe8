#include "KeyedUnarchiver.h"

#include "ArchiveCompression.h"
#include "ArchiveDocument.h"
#include "ArchiveParser.h"
#include "AvailableMemory.h"

namespace {

// Decoded values of a list archive cost up to about 48 times its bytes (a
// three-byte reference to a shared 64-character text); packed archives
// unpack to far less than 1024 times their size unless forged.
constexpr qint64 kDecodeFactor = 64;
constexpr qint64 kUnpackFactor = 1024;
constexpr qint64 kFloor = qint64(256) << 20;

} // namespace

KeyedUnarchiver::KeyedUnarchiver(QByteArrayView data) : KeyedUnarchiver(data, Limits{}) {}

KeyedUnarchiver::KeyedUnarchiver(QByteArrayView data, const Limits &limits)
    : m_document(std::make_shared<ArchiveDocument>())
{
    if (!unpackIfCompressed(data, limits))
        ArchiveParser::parse(*m_document, data, limits.maxDepth, limits.maxBytes, budgetFor(data.size(), limits));
}

KeyedUnarchiver::KeyedUnarchiver(const QByteArray &data) : KeyedUnarchiver(data, Limits{}) {}

KeyedUnarchiver::KeyedUnarchiver(const QByteArray &data, const Limits &limits)
    : m_document(std::make_shared<ArchiveDocument>())
{
    if (!unpackIfCompressed(data, limits))
        ArchiveParser::parse(*m_document, data, limits.maxDepth, limits.maxBytes, budgetFor(data.size(), limits));
}

qint64 KeyedUnarchiver::expansionBudget(qint64 inputBytes, qint64 availableMemory)
{
    const qint64 grown = inputBytes > (qint64(1) << 40) ? (qint64(1) << 46) : inputBytes * kDecodeFactor;
    return qMin(qMax(kFloor, grown), qMax(qint64(64) << 20, availableMemory / 2));
}

qint64 KeyedUnarchiver::budgetFor(qint64 inputBytes, const Limits &limits)
{
    return limits.maxExpansion > 0 ? limits.maxExpansion : expansionBudget(inputBytes, AvailableMemory::bytes());
}

bool KeyedUnarchiver::unpackIfCompressed(QByteArrayView data, const Limits &limits)
{
    if (!ArchiveCompression::isCompressed(data))
        return false;
    QByteArray plain;
    QString error;
    const qint64 available = AvailableMemory::bytes();
    qint64 unpackBound = limits.maxExpansion > 0
        ? limits.maxExpansion
        : qMin(qMax(kFloor, data.size() * kUnpackFactor), qMax(qint64(64) << 20, available / 2));
    unpackBound = qMin(unpackBound, limits.maxBytes);
    if (ArchiveCompression::decompress(data, unpackBound, &plain, &error))
        ArchiveParser::parse(*m_document, plain, limits.maxDepth, limits.maxBytes,
                             limits.maxExpansion > 0 ? limits.maxExpansion
                                                     : expansionBudget(plain.size(), available));
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
