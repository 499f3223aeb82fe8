// Feeds arbitrary bytes to KeyedUnarchiver and reads whatever it accepts
// through every accessor. Checks beyond "no crash":
//  - a refusal carries an "archive: " error;
//  - an accepted archive is well-formed CBOR to QCborValue as well;
//  - re-archiving the decoded top-level value is stable: archiving what was
//    read back from the first re-archive gives the same bytes.
// Seeds: fuzz/corpus/KeyedUnarchiver (objects there use the class "Item").

#include "ArchiveWalker.h"
#include "platform/ArchiveArray.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QCborValue>

#include <cstdint>
#include <cstdlib>

namespace {

// Archives value under key; empty when the encoder refuses it (objects,
// integers beyond 32 bits).
QByteArray archiveValue(const QVariant &value, const QString &key)
{
    QByteArray bytes;
    KeyedArchiver archiver(&bytes);
    archiver.encoder().encodeValue(value, key);
    return archiver.finish() ? bytes : QByteArray();
}

void checkRearchiveIsStable(const KeyedUnarchiver &unarchiver)
{
    const QStringList keys = unarchiver.root().allKeys();
    if (keys.size() != 1)
        std::abort(); // the reader promises exactly one top-level key
    const QVariant value = unarchiver.root().decodeValue(keys.first());
    if (!unarchiver.isValid())
        return;
    const QByteArray first = archiveValue(value, keys.first());
    if (first.isEmpty())
        return;
    KeyedUnarchiver again(first);
    if (!again.isValid())
        std::abort();
    const QVariant reread = again.root().decodeValue(keys.first());
    if (!again.isValid() || archiveValue(reread, keys.first()) != first)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        KeyedUnarchiver unarchiver(bytes);
        if (!unarchiver.isValid()) {
            if (!unarchiver.errorString().startsWith(QLatin1StringView("archive: ")))
                std::abort();
            return 0;
        }
        QCborParserError error;
        (void)QCborValue::fromCbor(bytes, &error);
        if (error.error != QCborError::NoError)
            std::abort();
        checkRearchiveIsStable(unarchiver);
    }
    KeyedUnarchiver unarchiver(bytes);
    ArchiveWalker::walk(unarchiver.root());
    return 0;
}
