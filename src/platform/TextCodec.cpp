#include "TextCodec.h"

#include "LogCategories.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace {

constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF", 3);

// Once a whole text has failed, it is probed in pieces of this many code
// units: large enough to amortise ICU's per-call cost, small enough that a
// few unmappable characters in a long text stay cheap to find.
constexpr qsizetype kProbeRun = 256;

// The end of a piece that starts at `from` and is at most `length` long,
// moved so that it does not split a surrogate pair.
qsizetype pieceEnd(QStringView text, qsizetype from, qsizetype length)
{
    qsizetype end = std::min(text.size(), from + length);
    if (end < text.size() && end > from + 1 && text[end - 1].isHighSurrogate()
        && text[end].isLowSurrogate())
        --end;
    return end;
}

bool isOneCodePoint(QStringView piece)
{
    return piece.size() == 1
        || (piece.size() == 2 && piece[0].isHighSurrogate() && piece[1].isLowSurrogate());
}

bool encodesCleanly(QStringView piece, const char *codec)
{
    QStringEncoder probe(codec, QStringConverter::Flag::Stateless);
    const QByteArray bytes = probe.encode(piece);
    Q_UNUSED(bytes);
    return !probe.hasError();
}

// Appends piece to out with every code point the codec cannot hold replaced
// by "?", halving failed pieces until the culprits are single code points.
void appendMappable(QStringView piece, const char *codec, QString &out, qsizetype &replaced)
{
    if (piece.isEmpty())
        return;
    if (encodesCleanly(piece, codec)) {
        out += piece;
        return;
    }
    if (isOneCodePoint(piece)) {
        out += u'?';
        ++replaced;
        return;
    }
    qsizetype middle = piece.size() / 2;
    if (piece[middle - 1].isHighSurrogate() && piece[middle].isLowSurrogate())
        ++middle;
    appendMappable(piece.first(middle), codec, out, replaced);
    appendMappable(piece.sliced(middle), codec, out, replaced);
}

// One pass over the whole text; *clean is false when anything was unmappable
// (the bytes then hold ICU's substitutes and must not be used).
QByteArray encodeWhole(QStringView text, TextEncoding encoding, bool *clean)
{
    const char *codec = textEncodingCodecName(encoding);
    if (encoding != TextEncoding::Iso2022Jp) {
        QStringEncoder encoder(codec, QStringConverter::Flag::Stateless);
        QByteArray bytes = encoder.encode(text);
        *clean = encoder.isValid() && !encoder.hasError();
        return bytes;
    }
    // ICU leaves ISO-2022-JP in whatever character set the last character
    // needed, and QStringEncoder offers no flush. A backslash exists only in
    // ASCII, so encoding one more with the same encoder forces the escape
    // back to ASCII; the backslash itself is dropped again.
    QStringEncoder encoder(codec);
    QByteArray bytes = encoder.encode(text);
    const QByteArray tail = encoder.encode(QStringView(u"\\"));
    *clean = encoder.isValid() && !encoder.hasError() && tail.endsWith('\\');
    bytes += tail;
    if (tail.endsWith('\\'))
        bytes.chop(1);
    return bytes;
}

} // namespace

namespace {

QString decodeWith(QByteArrayView bytes, TextEncoding encoding, QStringConverter::Flags flags, bool *ok)
{
    QStringDecoder decoder(textEncodingCodecName(encoding), flags);
    QString text = decoder.decode(bytes);
    const bool valid = decoder.isValid() && !decoder.hasError();
    if (ok)
        *ok = valid;
    if (!valid)
        return {};
    if (text.isNull())
        text = QString(QLatin1StringView(""));
    return text;
}

} // namespace

QString TextCodec::decode(QByteArrayView bytes, TextEncoding encoding, bool *ok)
{
    QStringConverter::Flags flags = QStringConverter::Flag::Stateless;
    if (encoding == TextEncoding::Utf8 && bytes.startsWith(kUtf8Bom)) {
        bytes = bytes.sliced(kUtf8Bom.size());
        // Qt would drop a second mark too; that one is part of the text.
        flags |= QStringConverter::Flag::ConvertInitialBom;
    }
    return decodeWith(bytes, encoding, flags, ok);
}

bool TextCodec::decodePiece(QByteArrayView bytes, TextEncoding encoding, bool startOfText, QString &out)
{
    QStringConverter::Flags flags = QStringConverter::Flag::Stateless;
    if (encoding == TextEncoding::Utf8) {
        if (startOfText && bytes.startsWith(kUtf8Bom))
            bytes = bytes.sliced(kUtf8Bom.size());
        flags |= QStringConverter::Flag::ConvertInitialBom;
    }
    QStringDecoder decoder(textEncodingCodecName(encoding), flags);
    out.resize(decoder.requiredSpace(bytes.size()));
    QChar *const begin = out.data();
    const QChar *const end = decoder.appendToBuffer(begin, bytes);
    out.resize(end - begin);
    return decoder.isValid() && !decoder.hasError();
}

QByteArray TextCodec::encode(QStringView text, TextEncoding encoding, qsizetype *unmappable)
{
    qsizetype replaced = 0;
    bool clean = false;
    QByteArray bytes = encodeWhole(text, encoding, &clean);
    if (!clean) {
        const char *codec = textEncodingCodecName(encoding);
        QString mappable;
        mappable.reserve(text.size());
        for (qsizetype from = 0; from < text.size();) {
            const qsizetype end = pieceEnd(text, from, kProbeRun);
            appendMappable(text.sliced(from, end - from), codec, mappable, replaced);
            from = end;
        }
        bytes = encodeWhole(mappable, encoding, &clean);
        if (!clean)
            qCWarning(lcPlatform) << "TextCodec: no encoder for" << encodingName(encoding);
    }
    if (unmappable)
        *unmappable = replaced;
    return bytes;
}

QString TextCodec::encodingName(TextEncoding encoding)
{
    return QString::fromLatin1(textEncodingCodecName(encoding));
}
