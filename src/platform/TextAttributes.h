#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

// One immutable set of character attributes. Sets are shared between texts by
// pointer; the defaults (system font at standard size, black) are one instance.
class TextAttributes
{
public:
    using Ptr = std::shared_ptr<const TextAttributes>;

    static constexpr quint32 kBlack = 0xff000000u;
    static constexpr quint32 kNoColour = 0x00000000u;

    // Empty family and zero size mean "the system font at its standard size".
    QString fontFamily;
    double pointSize = 0.0;
    int weight = 400;          // CSS-style weight: 400 normal, 700 bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    quint32 foreground = kBlack;     // ARGB
    quint32 background = kNoColour;  // ARGB; alpha 0 means none

    static const Ptr &defaults();
    static Ptr make(const TextAttributes &value);

    bool isDefault() const { return *this == *defaults(); }
    friend bool operator==(const TextAttributes &, const TextAttributes &) = default;
};

size_t qHash(const TextAttributes &attributes, size_t seed = 0) noexcept;
