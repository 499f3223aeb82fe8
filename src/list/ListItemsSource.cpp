#include "ListItemsSource.h"

#include "ItemsEditingSource.h"
#include "SearchEditingSource.h"
#include "list/CreatorInformation.h"
#include "platform/WorkOfCachesFolder.h"
#include "platform/AlertSheetModal.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "platform/ModelText.h"

#include <algorithm>
#include <limits>

namespace {
const QString kClassWords = QStringLiteral("List Items Source");

const QString kItemLogListDictionary = QStringLiteral("itemLogListDictionary");
const QString kImportListItemsFilePass = QStringLiteral("importListItemsFilePass");
const QString kOriginalOfTheListItemsDic = QStringLiteral("originalOfTheListItemsDic");
const QString kListItemIDString = QStringLiteral("listItemIDString");
const QString kListItemID = QStringLiteral("listItemID");
const QString kTitleOfTheObjectDic = QStringLiteral("titleOfTheObjectDic");
const QString kListItemTitle = QStringLiteral("listItemTitle");
const QString kListItem = QStringLiteral("listItem");
const QString kItemsEditingSource = QStringLiteral("itemsEditingSource");
// Directory entry keys beyond the ones shared with the fields above.
const QString kItemCount = QStringLiteral("itemCount");
const QString kSearchObjectDic = QStringLiteral("searchObjectDic");

constexpr int kAlertReplaceList = 202201;

// The number of a list ID, -1 for anything that is not one.
qint64 listNumber(QStringView idString)
{
    if (idString.size() < 3 || idString.size() > 12 || !idString.startsWith(u"id"))
        return -1;
    const QStringView digits = idString.mid(2);
    if (digits.size() > 1 && digits.front() == u'0')
        return -1;
    qint64 number = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return -1;
        number = number * 10 + (c.unicode() - u'0');
    }
    return number <= std::numeric_limits<qint32>::max() ? number : -1;
}

void encodeSearches(ArchiveEncoder &coder, const QVariantMap &searches, QStringView key)
{
    qsizetype count = 0;
    for (const QVariant &value : searches)
        count += value.canConvert<SearchEditingSource>() ? 1 : 0;
    coder.beginDictionary(count, key);
    for (auto it = searches.cbegin(); it != searches.cend(); ++it) {
        if (it.value().canConvert<SearchEditingSource>())
            coder.encodeObject(it.value().value<SearchEditingSource>(), it.key());
    }
    coder.endDictionary();
}

// Only the known keys, each as its own kind; searches need their class.
void encodeEntry(ArchiveEncoder &coder, const QVariantMap &entry, QStringView key)
{
    coder.beginDictionary(entry.size(), key);
    for (auto it = entry.cbegin(); it != entry.cend(); ++it) {
        if (it.key() == kSearchObjectDic)
            encodeSearches(coder, it.value().toMap(), it.key());
        else if (it.key() == kListItemID)
            coder.encodeInt32(it.value().toInt(), it.key());
        else if (it.key() == kItemCount)
            coder.encodeValue(QVariant(it.value().toUInt()), it.key());
        else
            coder.encodeString(it.value().toString(), it.key());
    }
    coder.endDictionary();
}

// A stored entry, cut down to the known keys with the expected kinds.
QVariantMap decodeEntry(const ArchiveDecoder &dictionary)
{
    QVariantMap entry;
    if (!dictionary.isValid())
        return entry;
    if (dictionary.kindForKey(kListItemID) == ArchiveKind::Int)
        entry.insert(kListItemID, dictionary.decodeInt32(kListItemID));
    if (dictionary.kindForKey(kImportListItemsFilePass) == ArchiveKind::String) {
        const QString name = ModelText::lastPathComponent(dictionary.decodeString(kImportListItemsFilePass));
        if (!name.isEmpty())
            entry.insert(kImportListItemsFilePass, name);
    }
    if (dictionary.kindForKey(kListItemTitle) == ArchiveKind::String)
        entry.insert(kListItemTitle, dictionary.decodeString(kListItemTitle));
    if (dictionary.kindForKey(kItemCount) == ArchiveKind::Int) {
        const qint64 count = dictionary.decodeValue(kItemCount).toLongLong();
        if (count > 0 && count <= std::numeric_limits<quint32>::max())
            entry.insert(kItemCount, uint(count));
    }
    if (dictionary.kindForKey(kSearchObjectDic) == ArchiveKind::Dictionary) {
        const ArchiveDecoder searches = dictionary.decodeDictionary(kSearchObjectDic);
        QVariantMap map;
        const QStringList titles = searches.allKeys();
        for (const QString &title : titles) {
            if (const auto search = searches.decodeObject<SearchEditingSource>(title))
                map.insert(title, QVariant::fromValue(*search));
        }
        if (!map.isEmpty())
            entry.insert(kSearchObjectDic, map);
    }
    return entry;
}
} // namespace

ListItemsSource::ListItemsSource()
    : m_importListItemsFilePass(QStringLiteral("")),
      m_listItemIDString(QStringLiteral("")),
      m_listItemTitle(QStringLiteral("")),
      m_infoText(QStringLiteral("")),
      m_searchObjectTitle(QStringLiteral(""))
{
}

ListItemsSource::~ListItemsSource() = default;

bool ListItemsSource::isListItemIDString(const QString &idString)
{
    return listNumber(idString) >= 0;
}

QString ListItemsSource::listItemsFileName(const QString &idString)
{
    return isListItemIDString(idString) ? QStringLiteral("%1.listItems").arg(idString) : QString();
}

QString ListItemsSource::listItemIDStringForNumber(qint32 number)
{
    return QStringLiteral("id%1").arg(number);
}

QStringList ListItemsSource::listItemIDStrings() const
{
    QStringList ids = m_originalOfTheListItemsDic.keys();
    std::stable_sort(ids.begin(), ids.end(), [](const QString &a, const QString &b) {
        const qint64 na = listNumber(a);
        const qint64 nb = listNumber(b);
        if (na >= 0 && nb >= 0)
            return na < nb;
        if ((na >= 0) != (nb >= 0))
            return na >= 0; // list IDs before anything else
        return a < b;
    });
    return ids;
}

ListItem *ListItemsSource::listItem()
{
    return const_cast<ListItem *>(std::as_const(*this).listItem());
}

const ListItem *ListItemsSource::listItem() const
{
    if (!m_listItem) {
        m_listItem = std::make_unique<ListItem>();
        m_listItem->initializationUserObject();
    }
    return m_listItem.get();
}

ItemsEditingSource *ListItemsSource::itemsEditingSource()
{
    return const_cast<ItemsEditingSource *>(std::as_const(*this).itemsEditingSource());
}

const ItemsEditingSource *ListItemsSource::itemsEditingSource() const
{
    if (!m_itemsEditingSource) {
        m_itemsEditingSource = std::make_unique<ItemsEditingSource>();
        m_itemsEditingSource->initializationUserObject();
    }
    return m_itemsEditingSource.get();
}

SearchEditingSource *ListItemsSource::searchEditingSource()
{
    return const_cast<SearchEditingSource *>(std::as_const(*this).searchEditingSource());
}

const SearchEditingSource *ListItemsSource::searchEditingSource() const
{
    if (!m_searchEditingSource) {
        m_searchEditingSource = std::make_unique<SearchEditingSource>();
        m_searchEditingSource->initializationUserObject();
    }
    return m_searchEditingSource.get();
}

void ListItemsSource::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.beginDictionary(m_itemLogListDictionary.size(), kItemLogListDictionary);
    for (auto it = m_itemLogListDictionary.cbegin(); it != m_itemLogListDictionary.cend(); ++it)
        coder.encodeObject(it.value(), it.key());
    coder.endDictionary();

    if (confirmImportListItemsFilePass())
        coder.encodeString(m_importListItemsFilePass, kImportListItemsFilePass);
    if (confirmOriginalOfTheListItemsDic()) {
        coder.beginDictionary(m_originalOfTheListItemsDic.size(), kOriginalOfTheListItemsDic);
        for (auto it = m_originalOfTheListItemsDic.cbegin(); it != m_originalOfTheListItemsDic.cend(); ++it)
            encodeEntry(coder, it.value().toMap(), it.key());
        coder.endDictionary();
    }
    if (confirmListItemIDString())
        coder.encodeString(m_listItemIDString, kListItemIDString);
    coder.encodeInt32(m_listItemID, kListItemID);
    if (confirmTitleOfTheObjectDic())
        encodeEntry(coder, m_titleOfTheObjectDic, kTitleOfTheObjectDic);
    if (confirmListItemTitle())
        coder.encodeString(m_listItemTitle, kListItemTitle);
    coder.encodeObject(*listItem(), kListItem);
    coder.encodeObject(*itemsEditingSource(), kItemsEditingSource);
}

void ListItemsSource::copyArchivedState(const ListItemsSource &other)
{
    m_itemLogListDictionary = other.m_itemLogListDictionary;
    m_importListItemsFilePass = other.m_importListItemsFilePass;
    m_originalOfTheListItemsDic = other.m_originalOfTheListItemsDic;
    m_listItemIDString = other.m_listItemIDString;
    m_listItemID = other.m_listItemID;
    m_titleOfTheObjectDic = other.m_titleOfTheObjectDic;
    m_listItemTitle = other.m_listItemTitle;
    *listItem() = *other.listItem();
    itemsEditingSource()->setTheEnvironmentalAtDecoder(other.itemsEditingSource());
}

bool ListItemsSource::initWithCoder(const ArchiveDecoder &coder)
{
    if (coder.kindForKey(kItemLogListDictionary) == ArchiveKind::Dictionary) {
        const ArchiveDecoder logs = coder.decodeDictionary(kItemLogListDictionary);
        ItemLogDictionary dictionary;
        const QStringList titles = logs.allKeys();
        for (const QString &title : titles) {
            if (const auto creator = logs.decodeObject<CreatorInformation>(title))
                dictionary.insert(title, *creator);
        }
        registerItemLogListDictionary(dictionary);
    }
    registerImportListItemsFilePass(coder.decodeString(kImportListItemsFilePass));

    QVariantMap directory;
    if (coder.kindForKey(kOriginalOfTheListItemsDic) == ArchiveKind::Dictionary) {
        const ArchiveDecoder stored = coder.decodeDictionary(kOriginalOfTheListItemsDic);
        const QStringList ids = stored.allKeys();
        for (const QString &id : ids) {
            // An entry under anything but a list ID could never name its file.
            if (!isListItemIDString(id) || stored.kindForKey(id) != ArchiveKind::Dictionary)
                continue;
            directory.insert(id, decodeEntry(stored.decodeDictionary(id)));
        }
    }
    registerOriginalOfTheListItemsDic(directory);

    if (confirmOriginalOfTheListItemsDic()) {
        const QString idString = coder.decodeString(kListItemIDString);
        registerListItemIDString(isListItemIDString(idString) ? idString : QString());
        if (coder.kindForKey(kTitleOfTheObjectDic) == ArchiveKind::Dictionary)
            registerTitleOfTheObjectDic(decodeEntry(coder.decodeDictionary(kTitleOfTheObjectDic)));
        if (confirmTitleOfTheObjectDic()) {
            registerListItemTitle(coder.decodeString(kListItemTitle));
            if (confirmListItemTitle())
                registerListItemID(coder.decodeInt32(kListItemID));
        }
    } else {
        if (const auto item = coder.decodeObject<ListItem>(kListItem))
            listItem()->setTheEnvironmentalAtDecoder(item.get());
        if (const auto editing = coder.decodeObject<ItemsEditingSource>(kItemsEditingSource))
            itemsEditingSource()->setTheEnvironmentalAtDecoder(editing.get());
    }
    return !coder.failed();
}

bool ListItemsSource::setTheEnvironmentalAtDecoder(const ListItemsSource *other)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"setTheEnvironmentalAtDecoder", false, [&] {
        if (!other)
            return false;
        if (other == this)
            return true;
        registerItemLogListDictionary(other->m_itemLogListDictionary);
        registerImportListItemsFilePass(other->m_importListItemsFilePass);
        registerOriginalOfTheListItemsDic(other->m_originalOfTheListItemsDic);
        if (confirmOriginalOfTheListItemsDic()) {
            registerListItemIDString(other->m_listItemIDString);
            registerTitleOfTheObjectDic(other->m_titleOfTheObjectDic);
            if (confirmTitleOfTheObjectDic()) {
                registerListItemTitle(other->m_listItemTitle);
                if (confirmListItemTitle())
                    registerListItemID(other->m_listItemID);
            }
        } else {
            listItem()->setTheEnvironmentalAtDecoder(other->listItem());
            itemsEditingSource()->setTheEnvironmentalAtDecoder(other->itemsEditingSource());
        }
        return true;
    });
}

namespace {
} // namespace

bool ListItemsSource::registerItemLogListDictionary(const ItemLogDictionary &dictionary)
{
    m_itemLogListDictionary = dictionary;
    return !m_itemLogListDictionary.isEmpty();
}

bool ListItemsSource::registerImportListItemsFilePass(const QString &value)
{
    return ModelText::registerString(m_importListItemsFilePass, value);
}

bool ListItemsSource::registerOriginalOfTheListItemsDic(const QVariantMap &dictionary)
{
    m_originalOfTheListItemsDic = dictionary;
    return !m_originalOfTheListItemsDic.isEmpty();
}

bool ListItemsSource::registerListItemIDString(const QString &value)
{
    return ModelText::registerString(m_listItemIDString, value);
}

bool ListItemsSource::registerTitleOfTheObjectDic(const QVariantMap &entry)
{
    m_titleOfTheObjectDic = entry;
    return !m_titleOfTheObjectDic.isEmpty();
}

bool ListItemsSource::registerListItemTitle(const QString &value)
{
    return ModelText::registerString(m_listItemTitle, value);
}

bool ListItemsSource::registerInfoText(const QString &value)
{
    return ModelText::registerString(m_infoText, value);
}

bool ListItemsSource::registerSearchObjectDic(const SearchObjectDictionary &dictionary)
{
    m_searchObjectDic = dictionary;
    return !m_searchObjectDic.isEmpty();
}

bool ListItemsSource::registerSearchObjectTitle(const QString &value)
{
    return ModelText::registerString(m_searchObjectTitle, value);
}

void ListItemsSource::initializationUserObject()
{
    ErrorLog::guardedVoid(lcList(), kClassWords, u"initializationUserObject", [&] {
        registerImportListItemsFilePass(QString());
        registerListItemIDString(QString());
        m_titleOfTheObjectDic.clear();
        m_listItemID = 0;
        registerListItemTitle(QString());
        m_searchObjectDic.clear();
        registerSearchObjectTitle(QString());
    });
}

void ListItemsSource::makingListItemIDString()
{
    registerListItemIDString(listItemIDStringForNumber(m_listItemID));
}

void ListItemsSource::newListItemIDString()
{
    ErrorLog::guardedVoid(lcList(), kClassWords, u"newListItemIDString", [&] {
        const QVariantMap &directory = m_originalOfTheListItemsDic;
        qint32 number = 0;
        if (!directory.isEmpty()) {
            // The place after the run of consecutive IDs that starts at id0.
            bool found = false;
            for (qint32 i = 0; i < directory.size(); ++i) {
                if (directory.contains(listItemIDStringForNumber(i))
                    && !directory.contains(listItemIDStringForNumber(i + 1))) {
                    number = i + 1;
                    found = true;
                    break;
                }
            }
            // No run from id0 (id0 was removed): the lowest free number, so a
            // new list never takes the ID, and the file, of a saved one.
            if (!found) {
                number = 0;
                while (directory.contains(listItemIDStringForNumber(number)))
                    ++number;
            }
        }
        m_listItemID = number;
        makingListItemIDString();
    });
}

bool ListItemsSource::inspectionListItemTitle(const QString &title)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"inspectionListItemTitle", false, [&] {
        if (title.isEmpty() || m_originalOfTheListItemsDic.isEmpty())
            return false;
        const QStringList ids = listItemIDStrings();
        for (const QString &id : ids) {
            const QVariantMap entry = m_originalOfTheListItemsDic.value(id).toMap();
            registerListItemIDString(id);
            registerTitleOfTheObjectDic(entry);
            if (entry.value(kListItemTitle).toString() == title) {
                registerImportListItemsFilePass(entry.value(kImportListItemsFilePass).toString());
                // Keep the number in step with the selected ID; the entry
                // written next records it.
                const qint64 number = listNumber(id);
                if (number >= 0)
                    m_listItemID = qint32(number);
                return true;
            }
        }
        return false;
    });
}

bool ListItemsSource::addListItemTitle()
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addListItemTitle", false, [&] {
        if (!confirmListItemTitle())
            return false;
        const QString previousID = m_listItemIDString;
        const QVariantMap previousEntry = m_titleOfTheObjectDic;
        const QString previousSource = m_importListItemsFilePass;
        const qint32 previousNumber = m_listItemID;
        if (inspectionListItemTitle(m_listItemTitle)) {
            if (!AlertSheetModal::openAlert(kAlertReplaceList, m_listItemTitle)) {
                // Declined: the open list keeps its own identity.
                registerListItemIDString(previousID);
                registerTitleOfTheObjectDic(previousEntry);
                registerImportListItemsFilePass(previousSource);
                m_listItemID = previousNumber;
                return false;
            }
            // Accepted: the existing ID is kept and its entry rewritten. The
            // open list's own source, when it has one, describes the new contents.
            if (!previousSource.isEmpty())
                registerImportListItemsFilePass(previousSource);
        } else {
            newListItemIDString();
        }
        return addListItemIDString();
    });
}

bool ListItemsSource::addListItemIDString()
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addListItemIDString", false, [&] {
        if (!confirmListItemIDString() || !confirmListItemTitle())
            return false;
        QVariantMap entry;
        entry.insert(kListItemID, m_listItemID);
        if (confirmImportListItemsFilePass() && lastPathComponentOfTheImportListItems())
            entry.insert(kImportListItemsFilePass, m_importListItemsFilePass);
        entry.insert(kListItemTitle, m_listItemTitle);
        const ListItem *item = listItem();
        if (item->itemCount() > 0)
            entry.insert(kItemCount, uint(item->itemCount()));
        if (item->confirmSearchObjectDic()) {
            QVariantMap searches;
            const SearchObjectDictionary &saved = item->searchObjectDic();
            for (auto it = saved.cbegin(); it != saved.cend(); ++it)
                searches.insert(it.key(), QVariant::fromValue(it.value()));
            entry.insert(kSearchObjectDic, searches);
        }
        m_originalOfTheListItemsDic.insert(m_listItemIDString, entry);
        registerTitleOfTheObjectDic(entry);
        return true;
    });
}

bool ListItemsSource::lastPathComponentOfTheImportListItems()
{
    return ErrorLog::guarded(lcList(), kClassWords, u"lastPathComponentOfTheImportListItems", false, [&] {
        if (!confirmImportListItemsFilePass())
            return false;
        return registerImportListItemsFilePass(ModelText::lastPathComponent(m_importListItemsFilePass));
    });
}

bool ListItemsSource::removeListItemOfCachesFolderName(const QString &cachesFolderName,
                                                       const QString &transferFolder)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"removeListItemOfCachesFolderName", false, [&] {
        if (!confirmOriginalOfTheListItemsDic() || !inspectionListItemTitle(m_listItemTitle))
            return false;
        const QString fileName = listItemsFileName(m_listItemIDString);
        if (fileName.isEmpty())
            return false;
        if (!WorkOfCachesFolder::moveDifferentCashFolderAtName(fileName, cachesFolderName, transferFolder))
            return false;
        m_removeOfTheListItemsDic.insert(m_listItemIDString, m_originalOfTheListItemsDic.value(m_listItemIDString));
        m_originalOfTheListItemsDic.remove(m_listItemIDString);
        return true;
    });
}

QStringList ListItemsSource::titlelist() const
{
    return ErrorLog::guarded(lcList(), kClassWords, u"titlelist", QStringList(), [&] {
        QStringList titles;
        const QStringList ids = listItemIDStrings();
        titles.reserve(ids.size());
        for (const QString &id : ids)
            titles.append(m_originalOfTheListItemsDic.value(id).toMap().value(kListItemTitle).toString());
        return titles;
    });
}

bool ListItemsSource::addItemLogListAtObject(const CreatorInformation *object, const QString &title)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addItemLogListAtObject", false, [&] {
        if (!object || title.isEmpty())
            return false;
        m_itemLogListDictionary.insert(title, *object);
        return true;
    });
}

bool ListItemsSource::setLogText()
{
    return ErrorLog::guarded(lcList(), kClassWords, u"setLogText", false, [&] {
        return addItemLogListAtObject(listItem()->creatorInformation(), m_listItemTitle);
    });
}

bool ListItemsSource::addSearchObject(const SearchEditingSource *search, const QString &title)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addSearchObject", false,
                             [&] { return listItem()->addSearchObject(search, title); });
}

bool ListItemsSource::removeSearchObjectAtTitle(const QString &title)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"removeSearchObjectAtTitle", false,
                             [&] { return listItem()->removeSearchObjectAtTitle(title); });
}
