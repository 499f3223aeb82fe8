#include "SearchEditingSource.h"

#include "platform/ModelText.h"
#include "platform/ArchiveArray.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"

namespace {
const QString kSearchObjectTitle = QStringLiteral("searchObjectTitle");
const QString kItemsSearchArray = QStringLiteral("itemsSearchArray");
} // namespace

SearchEditingSource::SearchEditingSource()
{
    initializationUserObject();
}

void SearchEditingSource::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeString(m_searchObjectTitle, kSearchObjectTitle);
    coder.beginArray(m_itemsSearchArray.size(), kItemsSearchArray);
    for (const ItemsSearch &criterion : m_itemsSearchArray)
        coder.encodeObject(criterion, {});
    coder.endArray();
}

bool SearchEditingSource::initWithCoder(const ArchiveDecoder &coder)
{
    registerSearchObjectTitle(coder.decodeString(kSearchObjectTitle));
    QList<ItemsSearch> criteria;
    const ArchiveArray stored = coder.decodeArray(kItemsSearchArray);
    for (qsizetype i = 0; i < stored.size() && !coder.failed(); ++i) {
        // An element of another kind or class has already failed the archive.
        if (auto criterion = stored.objectAt<ItemsSearch>(i))
            criteria.append(*criterion);
    }
    registerItemsSearchArray(criteria);
    m_itemsSearch.initializationUserObject();
    return !coder.failed();
}

void SearchEditingSource::initializationUserObject()
{
    registerSearchObjectTitle(QString());
    registerItemsSearchArray({});
    m_itemsSearch.initializationUserObject();
}

bool SearchEditingSource::setTheEnvironmentalAtDecoder(const SearchEditingSource *other)
{
    if (!other)
        return false;
    // Copy first: other may be this very object.
    const QString title = other->searchObjectTitle();
    const QList<ItemsSearch> criteria = other->itemsSearchArray();
    registerSearchObjectTitle(title);
    registerItemsSearchArray(criteria);
    return true;
}

bool SearchEditingSource::registerSearchObjectTitle(const QString &value)
{
    return ModelText::registerString(m_searchObjectTitle, value);
}

bool SearchEditingSource::registerItemsSearchArray(const QList<ItemsSearch> &criteria)
{
    if (criteria.isEmpty()) {
        m_itemsSearchArray.clear();
        m_itemsSearchArray.append(ItemsSearch());
        return false;
    }
    m_itemsSearchArray = criteria;
    return true;
}

bool SearchEditingSource::getSearchObjectAtIndex(qsizetype row)
{
    m_itemsSearch.initializationUserObject();
    if (row < 0 || row >= m_itemsSearchArray.size())
        return false;
    try {
        return m_itemsSearch.setTheEnvironmentalAtDecoder(&m_itemsSearchArray.at(row));
    } catch (...) {
        ErrorLog::numbered(lcList(), 2204, u"get search object at index");
        return false;
    }
}

bool SearchEditingSource::replaceSearchObjectAtRow(qsizetype row)
{
    if (row < 0 || row >= m_itemsSearchArray.size())
        return false;
    m_itemsSearchArray.replace(row, m_itemsSearch);
    return true;
}

bool SearchEditingSource::addSearchObjectAtRow(qsizetype row)
{
    if (row >= 0 && row < m_itemsSearchArray.size()) {
        m_itemsSearchArray.insert(row + 1, ItemsSearch());
        return true;
    }
    m_itemsSearchArray.append(ItemsSearch());
    return false;
}

bool SearchEditingSource::insertSearchObject(const ItemsSearch &criterion, qsizetype row)
{
    if (row < 0 || row > m_itemsSearchArray.size())
        return false;
    m_itemsSearchArray.insert(row, criterion);
    return true;
}

bool SearchEditingSource::addSearchObject(const ItemsSearch &criterion)
{
    m_itemsSearchArray.append(criterion);
    return true;
}

bool SearchEditingSource::removeSearchObjectAtRow(qsizetype row)
{
    if (row < 0 || m_itemsSearchArray.size() <= row + 1)
        return false;
    m_itemsSearchArray.removeAt(row);
    return true;
}
