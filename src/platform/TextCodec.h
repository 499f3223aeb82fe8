#pragma once

#include "TextEncoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Strict conversion between bytes and text in the application's encodings.
// Decoding refuses anything that is not valid in the encoding; encoding never
// fails but replaces each character the encoding cannot hold by "?".
class TextCodec
{
public:
    // The text, or a null string with *ok false when any byte sequence is
    // invalid or incomplete. A leading UTF-8 byte-order mark is dropped (only
    // the first one: a second is text). Empty input gives an empty, non-null
    // string.
    static QString decode(QByteArrayView bytes, TextEncoding encoding, bool *ok = nullptr);
    // The same into `out`, reusing its allocation, for one piece of a text
    // cut between characters: only the piece at the start of the text loses
    // a byte-order mark. Pieces of a stateful encoding (ISO-2022-JP) cannot
    // be decoded on their own. False, with `out` unspecified, when invalid.
    static bool decodePiece(QByteArrayView bytes, TextEncoding encoding, bool startOfText, QString &out);

    // The bytes of the text; *unmappable receives the number of characters
    // written as "?" (a surrogate pair is one character, a lone surrogate is
    // unmappable in every encoding). ISO-2022-JP output always ends in ASCII
    // mode. No byte-order mark is written.
    static QByteArray encode(QStringView text, TextEncoding encoding,
                             qsizetype *unmappable = nullptr);

    // "UTF-8", "Shift_JIS", "ISO-2022-JP" or "EUC-JP".
    static QString encodingName(TextEncoding encoding);
};
