#include "ItemsSearch.h"

#include "platform/ModelText.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"

namespace {
const QString kItemsSearchNo = QStringLiteral("itemsSearchNo");
const QString kBeginningSwitch = QStringLiteral("beginningSwitch");
const QString kCategoryString = QStringLiteral("categoryString");
const QString kKeywordString = QStringLiteral("keywordString");
} // namespace

ItemsSearch::ItemsSearch()
    : m_categoryString(QStringLiteral(""))
    , m_keywordString(QStringLiteral(""))
{
}

void ItemsSearch::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeInt32(m_itemsSearchNo, kItemsSearchNo);
    coder.encodeBool(m_beginningSwitch, kBeginningSwitch);
    coder.encodeString(m_categoryString, kCategoryString);
    coder.encodeString(m_keywordString, kKeywordString);
}

bool ItemsSearch::initWithCoder(const ArchiveDecoder &coder)
{
    registerItemsSearchNo(coder.decodeInt32(kItemsSearchNo));
    registerBeginningSwitch(coder.decodeBool(kBeginningSwitch));
    registerCategoryString(coder.decodeString(kCategoryString));
    registerKeywordString(coder.decodeString(kKeywordString));
    return !coder.failed();
}

void ItemsSearch::initializationUserObject()
{
    m_itemsSearchNo = 0;
    m_beginningSwitch = true;
    registerCategoryString(QString());
    registerKeywordString(QString());
}

bool ItemsSearch::setTheEnvironmentalAtDecoder(const ItemsSearch *other)
{
    if (!other)
        return false;
    registerItemsSearchNo(other->itemsSearchNo());
    registerBeginningSwitch(other->beginningSwitch());
    registerCategoryString(other->categoryString());
    registerKeywordString(other->keywordString());
    return true;
}

bool ItemsSearch::registerCategoryString(const QString &value)
{
    return ModelText::registerString(m_categoryString, value);
}

bool ItemsSearch::registerKeywordString(const QString &value)
{
    return ModelText::registerString(m_keywordString, value);
}
