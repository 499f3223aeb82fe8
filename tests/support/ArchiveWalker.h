#pragma once

#include "platform/ArchiveArray.h"
#include "platform/ArchiveDecoder.h"

#include <cstdlib>

// Reads every value of a decoded archive through every accessor that fits
// its kind, and (while probing) a few that do not: a hostile archive may only
// ever fail, never crash. Shared by the hostile-reader tests and the fuzzer.
// Header-only so that the fuzz harness needs no test library.
class ArchiveWalker
{
public:
    // Off while walking a valid archive, which must then read without failing.
    static inline bool probeWrongKinds = true;

    // An archivable stand-in for any object of class "Item": decoding it walks it.
    struct Item
    {
        static QString archiveClassName() { return QStringLiteral("Item"); }
        bool initWithCoder(const ArchiveDecoder &coder)
        {
            walk(coder);
            return true;
        }
    };

    static void walk(const ArchiveDecoder &decoder)
    {
        (void)decoder.className();
        const QStringList keys = decoder.allKeys();
        for (const QString &key : keys) {
            (void)decoder.containsValueForKey(key);
            const ArchiveKind kind = decoder.kindForKey(key);
            if (probeWrongKinds || !isContainer(kind))
                (void)decoder.decodeValue(key);
            switch (kind) {
            case ArchiveKind::Bool: (void)decoder.decodeBool(key); break;
            case ArchiveKind::Int: (void)decoder.decodeInt32(key); break;
            case ArchiveKind::Float:
            case ArchiveKind::Double:
                (void)decoder.decodeFloat(key);
                (void)decoder.decodeDouble(key);
                break;
            case ArchiveKind::String: (void)decoder.decodeString(key); break;
            case ArchiveKind::Data: (void)decoder.decodeData(key); break;
            case ArchiveKind::AttributedText:
                for (const AttributedText::Run &run : decoder.decodeAttributedText(key).runs())
                    (void)run.attributes->isDefault();
                break;
            case ArchiveKind::Rect: (void)decoder.decodeRect(key); break;
            case ArchiveKind::Point: (void)decoder.decodePoint(key); break;
            case ArchiveKind::Size: (void)decoder.decodeSize(key); break;
            case ArchiveKind::Array:
                if (probeWrongKinds)
                    (void)decoder.decodeStringArray(key);
                walk(decoder.decodeArray(key));
                break;
            case ArchiveKind::Dictionary: walk(decoder.decodeDictionary(key)); break;
            case ArchiveKind::Object: (void)decoder.decodeObject<Item>(key); break;
            case ArchiveKind::None: std::abort(); // a listed key must hold something
            }
        }
        if (probeWrongKinds) {
            (void)decoder.decodeInt32(u"string");
            (void)decoder.decodeAttributedText(u"int");
            (void)decoder.kindForKey(u"");
        }
    }

    static void walk(const ArchiveArray &array)
    {
        for (qsizetype i = -1; i <= array.size(); ++i) {
            const ArchiveKind kind = array.kindAt(i);
            if (probeWrongKinds || !isContainer(kind))
                (void)array.valueAt(i);
            switch (kind) {
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
            case ArchiveKind::Array: walk(array.arrayAt(i)); break;
            case ArchiveKind::Dictionary: walk(array.dictionaryAt(i)); break;
            case ArchiveKind::Object: (void)array.objectAt<Item>(i); break;
            default:
                if (probeWrongKinds)
                    (void)array.stringAt(i);
                break;
            }
        }
    }

private:
    // decodeValue refuses objects, also inside arrays and dictionaries.
    static bool isContainer(ArchiveKind kind)
    {
        return kind == ArchiveKind::Object || kind == ArchiveKind::Array
            || kind == ArchiveKind::Dictionary;
    }
};
