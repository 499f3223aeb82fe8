#include "KeyedUnarchiver.h"

#include "ArchiveCompression.h"
#include "ArchiveDocument.h"
#include "ArchiveParser.h"
#include "AvailableMemory.h"
#include "MappedFile.h"

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

KeyedUnarchiver::KeyedUnarchiver(std::shared_ptr<const MappedFile> file)
    : m_document(std::make_shared<ArchiveDocument>())
{
    const Limits limits;
    m_document->setBytesReleasable();
    if (!unpackIfCompressed(QByteArrayView(file->data(), file->size()), limits))
        ArchiveParser::parse(*m_document, file, limits.maxDepth, limits.maxBytes, budgetFor(file->size(), limits));
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
    if (unpack(data, limits, &plain))
        parseUnpacked(plain, limits);
    return true;
}

bool KeyedUnarchiver::unpack(QByteArrayView data, const Limits &limits, QByteArray *plain)
{
    qint64 bound = limits.maxExpansion > 0
        ? limits.maxExpansion
        : qMin(qMax(kFloor, data.size() * kUnpackFactor), qMax(qint64(64) << 20, AvailableMemory::bytes() / 2));
    bound = qMin(bound, limits.maxBytes);
    QString error;
    if (ArchiveCompression::decompress(data, bound, plain, &error))
        return true;
    m_document->fail(error);
    return false;
}

void KeyedUnarchiver::parseUnpacked(const QByteArray &plain, const Limits &limits)
{
    ArchiveParser::parse(*m_document, plain, limits.maxDepth, limits.maxBytes, budgetFor(plain.size(), limits));
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
