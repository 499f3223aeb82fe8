#include "ItemsEditingTextSource.h"

#include "platform/ModelText.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/ArchiveKind.h"

#include <QList>
#include <QPair>

#include <limits>

namespace {
const QString kEditTextFont = QStringLiteral("editTextFont");
const QString kEditTextAttributes = QStringLiteral("editTextAttributes");

// A colour as an ARGB number, from the map or a decoded archive value.
bool colourValue(const QVariant &value, quint32 *colour)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong: {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        // Archives hold 32-bit signed integers, so ARGB comes back as its bit pattern.
        if (!ok || number < std::numeric_limits<qint32>::min()
            || number > qlonglong(std::numeric_limits<quint32>::max()))
            return false;
        *colour = quint32(number);
        return true;
    }
    default:
        return false;
    }
}

bool isColourKey(const QString &key)
{
    return key == ItemsEditingTextSource::kColorKey
        || key == ItemsEditingTextSource::kBackgroundColorKey;
}
} // namespace

ItemsEditingTextSource::ItemsEditingTextSource()
{
    initializationUserObject();
}

void ItemsEditingTextSource::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeObject(m_editTextFont, kEditTextFont);
    // Only the colours are written, each as the int32 bit pattern of its ARGB
    // number (archive integers are 32-bit signed).
    QList<QPair<QString, quint32>> colours;
    for (auto it = m_editTextAttributes.cbegin(); it != m_editTextAttributes.cend(); ++it) {
        quint32 colour = 0;
        if (isColourKey(it.key()) && colourValue(it.value(), &colour))
            colours.append({it.key(), colour});
    }
    coder.beginDictionary(colours.size(), kEditTextAttributes);
    for (const auto &[key, colour] : std::as_const(colours))
        coder.encodeInt32(qint32(colour), key);
    coder.endDictionary();
}

bool ItemsEditingTextSource::initWithCoder(const ArchiveDecoder &coder)
{
    if (auto font = coder.decodeObject<FontDescription>(kEditTextFont))
        registerEditTextFont(*font);
    // Keep only well-formed colours; anything else in a file is ignored.
    if (coder.kindForKey(kEditTextAttributes) == ArchiveKind::Dictionary) {
        const QVariantMap stored = coder.decodeValue(kEditTextAttributes).toMap();
        QVariantMap colours;
        for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
            quint32 colour = 0;
            if (isColourKey(it.key()) && colourValue(it.value(), &colour))
                colours.insert(it.key(), colour);
        }
        registerEditTextAttributesDic(colours);
    }
    return !coder.failed();
}

void ItemsEditingTextSource::initializationUserObject()
{
    registerColumnTitle(QString());
    registerColumnWidth(0.0f);
    makingViewContainerInsetAtWidth(1.0f, 3.0f);
    registerEditText(QString());
    registerEditAttributedText(AttributedText());
    registerEditTextFont(FontDescription::systemFont());
    initializationEditTextAttributes();
}

bool ItemsEditingTextSource::setTheEnvironmentalAtDecoder(const ItemsEditingTextSource *other)
{
    if (!other)
        return false;
    registerEditTextFont(other->editTextFont());
    registerEditTextAttributesDic(other->editTextAttributes());
    return true;
}

bool ItemsEditingTextSource::registerColumnTitle(const QString &value)
{
    return ModelText::registerString(m_columnTitle, value);
}

bool ItemsEditingTextSource::registerEditText(const QString &value)
{
    return ModelText::registerString(m_editText, value);
}

bool ItemsEditingTextSource::registerEditAttributedText(const AttributedText &text)
{
    if (text.isEmpty()) {
        // An empty text carries the default attributes.
        m_attributesText = AttributedText(QStringLiteral(""));
        return false;
    }
    m_attributesText = text;
    return true;
}

bool ItemsEditingTextSource::registerEditTextAttributesDic(const QVariantMap &attributes)
{
    if (attributes.isEmpty())
        return false;
    m_editTextAttributes = attributes;
    return true;
}

void ItemsEditingTextSource::initializationEditTextAttributes()
{
    m_editTextAttributes = defaultEditTextAttributes();
}

QVariantMap ItemsEditingTextSource::defaultEditTextAttributes()
{
    return {
        {kColorKey, kSelectedTextColour},
        {kBackgroundColorKey, kSelectedTextBackgroundColour},
    };
}

quint32 ItemsEditingTextSource::selectedTextColour() const
{
    quint32 colour = 0;
    return colourValue(m_editTextAttributes.value(kColorKey), &colour) ? colour : kSelectedTextColour;
}

quint32 ItemsEditingTextSource::selectedTextBackgroundColour() const
{
    quint32 colour = 0;
    return colourValue(m_editTextAttributes.value(kBackgroundColorKey), &colour)
        ? colour : kSelectedTextBackgroundColour;
}
