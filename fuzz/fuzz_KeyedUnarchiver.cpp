// Feeds arbitrary bytes to KeyedUnarchiver and reads whatever it accepts
// through every accessor. Checks beyond "no crash":
//  - a refusal carries an "archive: " error;
//  - an accepted archive is well-formed CBOR to QCborValue as well;
//  - re-archiving the decoded top-level value is stable: archiving what was
//    read back from the first re-archive gives the same bytes.
// Seeds: fuzz/corpus/KeyedUnarchiver (objects there use the class "Item").

#include "platform/ArchiveArray.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

#include <QCborValue>

#include <cstdint>
#include <cstdlib>

namespace {

void walkDecoder(const ArchiveDecoder &decoder);
void walkArray(const ArchiveArray &array);

struct Walked
{
    static QString archiveClassName() { return QStringLiteral("Item"); }
    bool initWithCoder(const ArchiveDecoder &coder)
    {
        walkDecoder(coder);
        return true;
    }
};

void walkDecoder(const ArchiveDecoder &decoder)
{
    (void)decoder.className();
    const QStringList keys = decoder.allKeys();
    for (const QString &key : keys) {
        (void)decoder.containsValueForKey(key);
        (void)decoder.decodeValue(key);
        switch (decoder.kindForKey(key)) {
        case ArchiveKind::Bool: (void)decoder.decodeBool(key); break;
        case ArchiveKind::Int: (void)decoder.decodeInt32(key); break;
        case ArchiveKind::Float:
        case ArchiveKind::Double:
            (void)decoder.decodeFloat(key);
            (void)decoder.decodeDouble(key);
            break;
        case ArchiveKind::String: (void)decoder.decodeString(key); break;
        case ArchiveKind::Data: (void)decoder.decodeData(key); break;
        case ArchiveKind::AttributedText: {
            const AttributedText text = decoder.decodeAttributedText(key);
            for (const AttributedText::Run &run : text.runs())
                (void)run.attributes->isDefault();
            break;
        }
        case ArchiveKind::Rect: (void)decoder.decodeRect(key); break;
        case ArchiveKind::Point: (void)decoder.decodePoint(key); break;
        case ArchiveKind::Size: (void)decoder.decodeSize(key); break;
        case ArchiveKind::Array:
            (void)decoder.decodeStringArray(key);
            walkArray(decoder.decodeArray(key));
            break;
        case ArchiveKind::Dictionary: walkDecoder(decoder.decodeDictionary(key)); break;
        case ArchiveKind::Object: (void)decoder.decodeObject<Walked>(key); break;
        case ArchiveKind::None: std::abort(); // a listed key must hold something
        }
    }
    (void)decoder.decodeInt32(u"absent");
    (void)decoder.kindForKey(u"");
}

void walkArray(const ArchiveArray &array)
{
    for (qsizetype i = -1; i <= array.size(); ++i) {
        (void)array.valueAt(i);
        switch (array.kindAt(i)) {
        case ArchiveKind::Bool: (void)array.boolAt(i); break;
        case ArchiveKind::Int: (void)array.int32At(i); break;
        case ArchiveKind::Float:
        case ArchiveKind::Double:
            (void)array.floatAt(i);
            (void)array.doubleAt(i);
            break;
        case ArchiveKind::String: (void)array.stringAt(i); break;
        case ArchiveKind::Data: (void)array.dataAt(i); break;
        case ArchiveKind::AttributedText: (void)array.attributedTextAt(i); break;
        case ArchiveKind::Array: walkArray(array.arrayAt(i)); break;
        case ArchiveKind::Dictionary: walkDecoder(array.dictionaryAt(i)); break;
        case ArchiveKind::Object: (void)array.objectAt<Walked>(i); break;
        default: (void)array.stringAt(i); break;
        }
    }
}

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
    walkDecoder(unarchiver.root());
    return 0;
}
