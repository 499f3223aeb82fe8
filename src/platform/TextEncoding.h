#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The text encodings the application reads and writes.
enum class TextEncoding { Utf8, ShiftJis, Iso2022Jp, EucJp };

// The codec name QStringDecoder/QStringEncoder (ICU) knows the encoding by.
constexpr const char *textEncodingCodecName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return "UTF-8";
    case TextEncoding::ShiftJis:
        return "Shift_JIS";
    case TextEncoding::Iso2022Jp:
        return "ISO-2022-JP";
    case TextEncoding::EucJp:
        return "EUC-JP";
    }
    return "UTF-8";
}

// The encoding a user-typed name stands for: the codec names above and their
// usual spellings ("utf8", "sjis", "shift-jis", "jis", "eucjp"), in any case.
inline std::optional<TextEncoding> textEncodingFromName(QStringView name)
{
    QString key = name.trimmed().toString().toLower();
    key.remove(u'-');
    key.remove(u'_');
    if (key == u"utf8")
        return TextEncoding::Utf8;
    if (key == u"shiftjis" || key == u"sjis")
        return TextEncoding::ShiftJis;
    if (key == u"iso2022jp" || key == u"jis")
        return TextEncoding::Iso2022Jp;
    if (key == u"eucjp")
        return TextEncoding::EucJp;
    return std::nullopt;
}
