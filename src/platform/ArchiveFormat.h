#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

// Numbers shared by the keyed archive writer and reader; the layout itself is
// described at the top of KeyedArchiver.cpp.
struct ArchiveFormat
{
    // RFC 8949 self-described CBOR; makes the file recognisable as CBOR.
    static constexpr quint64 kTagSelfDescribed = 55799;
    // Value sharing (registered tags 28 and 29).
    static constexpr quint64 kTagShareable = 28;
    static constexpr quint64 kTagSharedRef = 29;
    // Private tags. Three-byte tag heads keep a plain attributed cell at
    // key (3) + tag (3) + text head (1) bytes beyond its text.
    static constexpr quint64 kTagObject = 27900;
    static constexpr quint64 kTagAttributedText = 27901;
    static constexpr quint64 kTagAttributeSet = 27902;
    static constexpr quint64 kTagRect = 27903;
    static constexpr quint64 kTagPoint = 27904;
    static constexpr quint64 kTagSize = 27905;
    // [row count, block, styled cells]: see ArchiveRowTable.
    static constexpr quint64 kTagRowTable = 27906;

    static constexpr char kMagic[] = "rowsmith-archive";
    static constexpr quint64 kVersion = 1;

    // Container nesting the writer produces at most and the reader accepts by
    // default; the root dictionary is level 1.
    static constexpr int kMaxDepth = 128;
    // Hard ceiling on any reader limit, so parsing recursion stays shallow.
    static constexpr int kMaxDepthCeiling = 1024;
    // String values up to this many UTF-16 units are shared; keys and class
    // names are shared at any length.
    static constexpr qsizetype kMaxSharedStringLength = 64;
    // Writer's table of shared values; once full, values are written inline.
    static constexpr quint32 kMaxSharedValues = 1u << 20;
    // Dictionaries with more entries than this get a hashed key index.
    static constexpr quint32 kIndexedMapThreshold = 16;
    // Every index of the node store is 32-bit, so inputs stay below 4 GiB.
    static constexpr qint64 kMaxInputBytes = qint64(0xFFFFFFF0u);
    // Attribute set: family, point size, weight, italic, underline, strike-out,
    // foreground, background.
    static constexpr quint64 kAttributeSetFields = 8;

    // Stored text as it was written: QString::fromUtf8 would drop a leading
    // U+FEFF as if it were a byte order mark.
    static QString text(QByteArrayView utf8)
    {
        if (!utf8.startsWith(QByteArrayView("\xef\xbb\xbf")))
            return QString::fromUtf8(utf8);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless
                                                         | QStringConverter::Flag::ConvertInitialBom);
        return decoder.decode(utf8);
    }

    // The head of a CBOR item (major type 0-7 and its number, shortest
    // form), for bytes written beside the stream writer.
    static QByteArray cborHead(quint8 major, quint64 value)
    {
        const char type = char(major << 5);
        int bytes = 0;
        QByteArray head;
        if (value < 24) {
            head.append(char(type | char(value)));
        } else {
            bytes = value <= 0xff ? 1 : value <= 0xffff ? 2 : value <= 0xffffffffu ? 4 : 8;
            head.append(char(type | char(bytes == 1 ? 24 : bytes == 2 ? 25 : bytes == 4 ? 26 : 27)));
        }
        for (int i = bytes - 1; i >= 0; --i)
            head.append(char((value >> (8 * i)) & 0xff));
        return head;
    }
};
