#include "TextAttributes.h"

#include <QHashFunctions>

const TextAttributes::Ptr &TextAttributes::defaults()
{
    static const Ptr instance = std::make_shared<const TextAttributes>();
    return instance;
}

TextAttributes::Ptr TextAttributes::make(const TextAttributes &value)
{
    if (value == *defaults())
        return defaults();
    return std::make_shared<const TextAttributes>(value);
}

size_t qHash(const TextAttributes &a, size_t seed) noexcept
{
    return qHashMulti(seed, a.fontFamily, a.pointSize, a.weight, a.italic, a.underline,
                      a.strikeOut, a.foreground, a.background);
}
