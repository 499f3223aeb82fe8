#include "ItemsEditingSource.h"

#include "platform/ImportFilePath.h"
#include "platform/ModelText.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/AttributedText.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"

#include <cmath>

namespace {
const QString kClassWords = QStringLiteral("Items Editing Source");
const QString kProposedPosition = QStringLiteral("proposedPosition");
const QString kSelectIDString = QStringLiteral("selectIDString");
const QString kItemsEditingTextSource = QStringLiteral("itemsEditingTextSource");
} // namespace

ItemsEditingSource::ItemsEditingSource()
    : m_selectIDString(QStringLiteral(""))
{
}

ItemsEditingSource::~ItemsEditingSource() = default;

void ItemsEditingSource::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeFloat(m_proposedPosition, kProposedPosition);
    coder.encodeString(m_selectIDString, kSelectIDString);
    coder.encodeObject(*itemsEditingTextSource(), kItemsEditingTextSource);
}

bool ItemsEditingSource::initWithCoder(const ArchiveDecoder &coder)
{
    // A divider position that is not a number would upset the split view.
    const float position = coder.decodeFloat(kProposedPosition);
    registerProposedPosition(std::isfinite(position) ? position : 0.0f);
    registerSelectIDString(coder.decodeString(kSelectIDString));
    // The stored text source lends only its font and colours to a fresh one.
    if (auto stored = coder.decodeObject<ItemsEditingTextSource>(kItemsEditingTextSource))
        itemsEditingTextSource()->setTheEnvironmentalAtDecoder(stored.get());
    else
        itemsEditingTextSource();
    return !coder.failed();
}

void ItemsEditingSource::initializationUserObject()
{
    ErrorLog::guardedVoid(lcList(), kClassWords, u"initializationUserObject", [&] {
        registerSelectIDString(QString());
        registerShowWithStateSwitch(false);
        m_objectForImage.clear();
        itemsEditingTextSource()->initializationUserObject();
        itemsEditingTableSource()->initializationUserObject();
    });
}

bool ItemsEditingSource::setTheEnvironmentalAtDecoder(const ItemsEditingSource *other)
{
    if (!other)
        return false;
    registerProposedPosition(other->proposedPosition());
    registerSelectIDString(other->selectIDString());
    if (other != this)
        itemsEditingTextSource()->setTheEnvironmentalAtDecoder(other->itemsEditingTextSource());
    return true;
}

bool ItemsEditingSource::registerSelectIDString(const QString &value)
{
    return ModelText::registerString(m_selectIDString, value);
}

bool ItemsEditingSource::showWithStateSwitch() const
{
    m_showWithStateSwitch = itemsEditingTableSource()->showWithStateSwitch();
    return m_showWithStateSwitch;
}

void ItemsEditingSource::registerShowWithStateSwitch(bool state)
{
    itemsEditingTableSource()->registerShowWithStateSwitch(state);
}

bool ItemsEditingSource::registerObjectForImage(const QString &path)
{
    const QString image = path.isEmpty() ? QString() : ImportFilePath::getImageFilesAtPath(path);
    if (image.isEmpty()) {
        m_objectForImage.clear();
        return false;
    }
    m_objectForImage = image;
    return true;
}

bool ItemsEditingSource::confirmObjectForImage() const
{
    return !m_objectForImage.isEmpty()
        && !ImportFilePath::getImageFilesAtPath(m_objectForImage).isEmpty();
}

ItemsEditingTextSource *ItemsEditingSource::itemsEditingTextSource()
{
    return const_cast<ItemsEditingTextSource *>(std::as_const(*this).itemsEditingTextSource());
}

const ItemsEditingTextSource *ItemsEditingSource::itemsEditingTextSource() const
{
    if (!m_itemsEditingTextSource) {
        // The constructor already gives the editor's defaults.
        m_itemsEditingTextSource = std::make_unique<ItemsEditingTextSource>();
    }
    return m_itemsEditingTextSource.get();
}

ItemsEditingTableSource *ItemsEditingSource::itemsEditingTableSource()
{
    return const_cast<ItemsEditingTableSource *>(std::as_const(*this).itemsEditingTableSource());
}

const ItemsEditingTableSource *ItemsEditingSource::itemsEditingTableSource() const
{
    if (!m_itemsEditingTableSource) {
        m_itemsEditingTableSource = std::make_unique<ItemsEditingTableSource>();
        m_itemsEditingTableSource->initializationUserObject();
    }
    return m_itemsEditingTableSource.get();
}

bool ItemsEditingSource::newMakingItemDic()
{
    return ErrorLog::guarded(lcList(), kClassWords, u"newMakingItemDic", false, [&] {
        ItemsEditingTableSource *table = itemsEditingTableSource();
        const QStringList titles = table->columnTitlesArray();
        if (titles.isEmpty())
            return false;
        const AttributedText blank(QStringLiteral(""), defaultFontAttributes());
        QVariantMap values;
        for (qsizetype i = 0; i < titles.size(); ++i) {
            QVariant value;
            if (i == 0)
                value = false;
            else if (i == 2 && confirmSelectIDString())
                value = QVariant::fromValue(AttributedText(m_selectIDString, defaultFontAttributes()));
            else
                value = QVariant::fromValue(blank);
            values.insert(titles.at(i), value);
        }
        return table->registerItemDic(values);
    });
}
