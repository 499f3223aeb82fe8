#include "FontDescription.h"

#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"

#include <cmath>

namespace {
const QString kFamily = QStringLiteral("family");
const QString kPointSize = QStringLiteral("pointSize");
const QString kWeight = QStringLiteral("weight");
const QString kItalic = QStringLiteral("italic");

// Beyond this a text view is unusable; such sizes only come from damaged files.
constexpr double kMaxPointSize = 1000.0;
constexpr int kMinWeight = 1;
constexpr int kMaxWeight = 1000;
constexpr int kNormalWeight = 400;
} // namespace

void FontDescription::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeString(m_family, kFamily);
    coder.encodeDouble(m_pointSize, kPointSize);
    coder.encodeInt32(m_weight, kWeight);
    coder.encodeBool(m_italic, kItalic);
}

bool FontDescription::initWithCoder(const ArchiveDecoder &coder)
{
    setFamily(coder.decodeString(kFamily));
    setPointSize(coder.decodeDouble(kPointSize));
    setWeight(coder.containsValueForKey(kWeight) ? coder.decodeInt32(kWeight) : kNormalWeight);
    setItalic(coder.decodeBool(kItalic));
    return !coder.failed();
}

void FontDescription::setPointSize(double size)
{
    m_pointSize = (std::isfinite(size) && size > 0.0 && size <= kMaxPointSize) ? size : 0.0;
}

void FontDescription::setWeight(int weight)
{
    m_weight = (weight >= kMinWeight && weight <= kMaxWeight) ? weight : kNormalWeight;
}
