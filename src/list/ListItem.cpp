#include "ListItem.h"

#include "RowTableCodec.h"
#include "document/CreatorInformation.h"
#include "platform/ArchiveArray.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "script/OptionObjectSource.h"
#include "platform/ModelText.h"

#include <algorithm>
#include <vector>

namespace {
const QString kClassWords = QStringLiteral("List Items");

const QString kCreatorInformation = QStringLiteral("creatorInformation");
const QString kColumnTitlesArray = QStringLiteral("columnTitlesArray");
const QString kColumnTitlesDic = QStringLiteral("columnTitlesDic");
const QString kColumnTitlesWidthDic = QStringLiteral("columnTitlesWidthDic");
const QString kTableItemObjectArray = QStringLiteral("tableItemObjectArray");
const QString kOptionObjectSource = QStringLiteral("optionObjectSource");
const QString kSearchObjectDic = QStringLiteral("searchObjectDic");
const QString kConversionRelevantFilePath = QStringLiteral("conversionRelevantFilePath");
const QString kEncodingType = QStringLiteral("encodingType");
const QString kCrState = QStringLiteral("crState");

constexpr qsizetype kItemIDPosition = 2;

// Reads one title's text from many rows, looking the title up again only
// when a row's schema differs from the previous row's (rows of one list
// almost always share a schema).
class CellReader
{
public:
    explicit CellReader(QStringView title) : m_title(title) {}

    QStringView operator()(const Row &row)
    {
        const RowSchema *schema = row.schema().data();
        if (schema != m_schema) {
            m_schema = schema;
            m_index = schema ? schema->indexOf(m_title) : -1;
        }
        return row.cellTextAt(m_index);
    }

private:
    QStringView m_title;
    const RowSchema *m_schema = nullptr;
    qsizetype m_index = -1;
};

QVariantMap stringValuesOnly(const QVariantMap &map)
{
    QVariantMap result;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.value().typeId() == QMetaType::QString)
            result.insert(it.key(), it.value());
    }
    return result;
}

QVariantMap floatValuesOnly(const QVariantMap &map)
{
    QVariantMap result;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const int type = it.value().typeId();
        if (type == QMetaType::Float || type == QMetaType::Double || type == QMetaType::Int
            || type == QMetaType::UInt || type == QMetaType::LongLong || type == QMetaType::ULongLong) {
            result.insert(it.key(), QVariant(it.value().toFloat()));
        }
    }
    return result;
}
} // namespace

ListItem::ListItem()
    : m_listItemOfDocumentID(QStringLiteral("")),
      m_conversionRelevantFilePath(QStringLiteral(""))
{
}

ListItem::~ListItem() = default;

ListItem::ListItem(const ListItem &other)
    : m_listItemOfDocumentID(other.m_listItemOfDocumentID),
      m_columnTitlesArray(other.m_columnTitlesArray),
      m_columnTitlesDic(other.m_columnTitlesDic),
      m_columnTitlesWidthDic(other.m_columnTitlesWidthDic),
      m_tableItemObjectArray(other.m_tableItemObjectArray),
      m_itemObjectRow(other.m_itemObjectRow),
      m_indicationMode(other.m_indicationMode),
      m_searchObjectDic(other.m_searchObjectDic),
      m_tableItemOfTheSearchObjectArray(other.m_tableItemOfTheSearchObjectArray),
      m_itemSearchObjectRow(other.m_itemSearchObjectRow),
      m_conversionRelevantFilePath(other.m_conversionRelevantFilePath),
      m_encodingType(other.m_encodingType),
      m_crState(other.m_crState)
{
    // The other's unmade parts are not made here: it may be a shared snapshot
    // read by other threads at the same time.
    if (other.m_creatorInformation)
        m_creatorInformation = std::make_unique<CreatorInformation>(*other.m_creatorInformation);
    if (other.m_optionObjectSource)
        m_optionObjectSource = std::make_unique<OptionObjectSource>(*other.m_optionObjectSource);
    ensureParts();
}

ListItem &ListItem::operator=(const ListItem &other)
{
    if (this != &other) {
        ListItem copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ListItem::ListItem(ListItem &&other) noexcept = default;
ListItem &ListItem::operator=(ListItem &&other) noexcept = default;

void ListItem::ensureParts() const
{
    if (!m_creatorInformation) {
        m_creatorInformation = std::make_unique<CreatorInformation>();
        m_creatorInformation->initializationUserObject();
    }
    if (!m_optionObjectSource) {
        m_optionObjectSource = std::make_unique<OptionObjectSource>();
        m_optionObjectSource->initializationUserObject();
    }
}

CreatorInformation *ListItem::creatorInformation()
{
    ensureParts();
    return m_creatorInformation.get();
}

const CreatorInformation *ListItem::creatorInformation() const
{
    ensureParts();
    return m_creatorInformation.get();
}

OptionObjectSource *ListItem::optionObjectSource()
{
    ensureParts();
    return m_optionObjectSource.get();
}

const OptionObjectSource *ListItem::optionObjectSource() const
{
    ensureParts();
    return m_optionObjectSource.get();
}

// --- Archive ---------------------------------------------------------------

void ListItem::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeObject(*creatorInformation(), kCreatorInformation);
    coder.encodeStringArray(m_columnTitlesArray, kColumnTitlesArray);
    coder.encodeValue(m_columnTitlesDic, kColumnTitlesDic);
    coder.encodeValue(m_columnTitlesWidthDic, kColumnTitlesWidthDic);

    RowTableCodec::encode(m_tableItemObjectArray, coder, kTableItemObjectArray);

    coder.encodeObject(*optionObjectSource(), kOptionObjectSource);

    coder.beginDictionary(m_searchObjectDic.size(), kSearchObjectDic);
    for (auto it = m_searchObjectDic.cbegin(); it != m_searchObjectDic.cend(); ++it)
        coder.encodeObject(it.value(), it.key());
    coder.endDictionary();

    coder.encodeString(m_conversionRelevantFilePath, kConversionRelevantFilePath);
    coder.encodeInt32(m_encodingType, kEncodingType);
    coder.encodeBool(m_crState, kCrState);
}

bool ListItem::initWithCoder(const ArchiveDecoder &coder)
{
    if (const auto creator = coder.decodeObject<CreatorInformation>(kCreatorInformation))
        creatorInformation()->setTheEnvironmentalAtDecoder(creator.get());

    registerColumnTitlesArray(coder.decodeStringArray(kColumnTitlesArray));
    if (coder.kindForKey(kColumnTitlesDic) == ArchiveKind::Dictionary)
        registerColumnTitlesDic(stringValuesOnly(coder.decodeValue(kColumnTitlesDic).toMap()));
    if (coder.kindForKey(kColumnTitlesWidthDic) == ArchiveKind::Dictionary)
        registerColumnTitlesWidthDic(floatValuesOnly(coder.decodeValue(kColumnTitlesWidthDic).toMap()));

    RowList rows;
    if (!RowTableCodec::decode(coder, kTableItemObjectArray, &rows))
        return false;
    registerTableItemObjectArray(std::move(rows));

    if (const auto options = coder.decodeObject<OptionObjectSource>(kOptionObjectSource))
        optionObjectSource()->setTheEnvironmentalAtDecoder(options.get());

    if (coder.kindForKey(kSearchObjectDic) == ArchiveKind::Dictionary) {
        const ArchiveDecoder searches = coder.decodeDictionary(kSearchObjectDic);
        SearchObjectDictionary dictionary;
        const QStringList titles = searches.allKeys();
        for (const QString &title : titles) {
            if (const auto search = searches.decodeObject<SearchEditingSource>(title))
                dictionary.insert(title, *search);
        }
        registerSearchObjectDic(dictionary);
    }

    registerConversionRelevantFilePath(coder.decodeString(kConversionRelevantFilePath));
    registerEncodingType(coder.decodeInt32(kEncodingType));
    registerCrState(coder.decodeBool(kCrState));
    return !coder.failed();
}

// --- Whole object ----------------------------------------------------------

void ListItem::initializationUserObject()
{
    ErrorLog::guardedVoid(lcList(), kClassWords, u"initializationUserObject", [&] {
        m_columnTitlesArray.clear();
        m_columnTitlesDic.clear();
        m_columnTitlesWidthDic.clear();
        m_tableItemObjectArray.clear();
        optionObjectSource()->initializationUserObject();
        m_indicationMode = false;
        m_searchObjectDic.clear();
        m_tableItemOfTheSearchObjectArray.clear();
    });
}

bool ListItem::setTheEnvironmentalAtDecoder(const ListItem *other)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"setTheEnvironmentalAtDecoder", false, [&] {
        if (!other)
            return false;
        if (other == this)
            return true;
        creatorInformation()->setTheEnvironmentalAtDecoder(other->creatorInformation());
        initializationUserObject();
        if (!other->confirmColumnTitlesArray())
            return false;
        if (!registerColumnTitlesArray(other->m_columnTitlesArray))
            return false;
        if (other->confirmColumnTitlesDic())
            registerColumnTitlesDic(other->m_columnTitlesDic);
        else
            makingColumnTitlesDic();
        registerColumnTitlesWidthDic(other->m_columnTitlesWidthDic);
        if (other->confirmTableItemObjectArray())
            registerTableItemObjectArray(other->m_tableItemObjectArray);
        registerConversionRelevantFilePath(other->m_conversionRelevantFilePath);
        registerEncodingType(other->m_encodingType);
        registerCrState(other->m_crState);
        optionObjectSource()->setTheEnvironmentalAtDecoder(other->optionObjectSource());
        registerSearchObjectDic(other->m_searchObjectDic);
        return true;
    });
}

bool ListItem::setTableComment()
{
    return ErrorLog::guarded(lcList(), kClassWords, u"setTableComment", false, [&] {
        QString encodingName;
        switch (m_encodingType) {
        case 4:
            encodingName = QStringLiteral("UTF-8");
            break;
        case 8:
            encodingName = QStringLiteral("Shift-JIS");
            break;
        case 21:
            encodingName = QStringLiteral("ISO2022JP");
            break;
        default:
            break;
        }
        QString info;
        if (confirmConversionRelevantFilePath() && !encodingName.isEmpty()) {
            const QString lineEnd = m_crState ? QStringLiteral("(CR-LF)") : QStringLiteral("(LF)");
            info = QStringLiteral("%1 %2%3").arg(ModelText::lastPathComponent(m_conversionRelevantFilePath),
                                                 encodingName, lineEnd);
        }
        const QString comment = QStringLiteral("titles:%1 items:%2 %3")
                                    .arg(QString::number(m_columnTitlesArray.size()),
                                         QString::number(m_tableItemObjectArray.size()), info);
        creatorInformation()->setTableComment(comment);
        return true;
    });
}

// --- Setters ---------------------------------------------------------------

bool ListItem::registerListItemOfDocumentID(const QString &value)
{
    if (value.isEmpty()) {
        m_listItemOfDocumentID = QStringLiteral("");
        return false;
    }
    m_listItemOfDocumentID = value;
    return true;
}

bool ListItem::registerConversionRelevantFilePath(const QString &value)
{
    if (value.isEmpty()) {
        m_conversionRelevantFilePath = QStringLiteral("");
        return false;
    }
    m_conversionRelevantFilePath = value;
    return true;
}

bool ListItem::registerColumnTitlesArray(const QStringList &titles)
{
    m_columnTitlesArray = titles;
    return !m_columnTitlesArray.isEmpty();
}

bool ListItem::registerColumnTitlesDic(const QVariantMap &dictionary)
{
    m_columnTitlesDic = dictionary;
    return !m_columnTitlesDic.isEmpty();
}

bool ListItem::registerColumnTitlesWidthDic(const QVariantMap &dictionary)
{
    // Widths are single-precision numbers wherever they come from.
    m_columnTitlesWidthDic = floatValuesOnly(dictionary);
    return !m_columnTitlesWidthDic.isEmpty();
}

bool ListItem::registerTableItemObjectArray(const RowList &rows)
{
    m_tableItemObjectArray = rows;
    return !m_tableItemObjectArray.isEmpty();
}

bool ListItem::registerTableItemObjectArray(RowList &&rows)
{
    m_tableItemObjectArray = std::move(rows);
    return !m_tableItemObjectArray.isEmpty();
}

bool ListItem::registerTableItemOfTheSearchObjectArray(const RowList &rows)
{
    m_tableItemOfTheSearchObjectArray = rows;
    return !m_tableItemOfTheSearchObjectArray.isEmpty();
}

bool ListItem::registerTableItemOfTheSearchObjectArray(RowList &&rows)
{
    m_tableItemOfTheSearchObjectArray = std::move(rows);
    return !m_tableItemOfTheSearchObjectArray.isEmpty();
}

bool ListItem::registerSearchObjectDic(const SearchObjectDictionary &dictionary)
{
    m_searchObjectDic = dictionary;
    return !m_searchObjectDic.isEmpty();
}

// --- Columns ---------------------------------------------------------------

bool ListItem::makingColumnTitlesDic()
{
    return ErrorLog::guarded(lcList(), kClassWords, u"makingColumnTitlesDic", false, [&] {
        if (m_columnTitlesArray.isEmpty())
            return false;
        for (qsizetype n = 0; n < m_columnTitlesArray.size(); ++n)
            addColumnAtTitles(m_columnTitlesArray.at(n), qint32(n));
        return true;
    });
}

bool ListItem::addColumnAtTitles(const QString &title, qint32 columnNumber)
{
    if (title.isEmpty() || columnNumber < 0)
        return false;
    m_columnTitlesDic.insert(QStringLiteral("Columns%1").arg(columnNumber), title);
    return true;
}

void ListItem::setColumnTitlesWidth(float width, const QString &title)
{
    if (!title.isEmpty())
        m_columnTitlesWidthDic.insert(title, QVariant(width));
}

QStringList ListItem::selectColumnTitlesArray() const
{
    QStringList titles;
    titles.reserve(m_columnTitlesArray.size());
    for (const QString &title : m_columnTitlesArray) {
        if (title != Row::kIndicationKey && title != Row::kOptionKey)
            titles.append(title);
    }
    return titles;
}

QString ListItem::itemIDTitle() const
{
    return m_columnTitlesArray.size() > kItemIDPosition ? m_columnTitlesArray.at(kItemIDPosition) : QString();
}

QStringView ListItem::itemIDOfRow(const Row &row) const
{
    if (m_columnTitlesArray.size() <= kItemIDPosition)
        return {};
    return row.cellText(m_columnTitlesArray.at(kItemIDPosition));
}

// --- Rows ------------------------------------------------------------------

qsizetype ListItem::itemCount() const
{
    return (m_indicationMode && !m_tableItemOfTheSearchObjectArray.isEmpty())
        ? m_tableItemOfTheSearchObjectArray.size()
        : m_tableItemObjectArray.size();
}

RowList ListItem::previewRows() const
{
    return (m_indicationMode && !m_tableItemOfTheSearchObjectArray.isEmpty())
        ? m_tableItemOfTheSearchObjectArray
        : m_tableItemObjectArray;
}

RowList &ListItem::previewStorage()
{
    if (m_indicationMode && m_tableItemOfTheSearchObjectArray.isEmpty())
        m_indicationMode = false;
    return m_indicationMode ? m_tableItemOfTheSearchObjectArray : m_tableItemObjectArray;
}

RowList ListItem::preTableObjectArray()
{
    return ErrorLog::guarded(lcList(), kClassWords, u"preTableObjectArray", RowList(),
                             [&] { return previewStorage(); });
}

bool ListItem::registerPreTableObjectArray(const RowList &rows)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"registerPreTableObjectArray", false, [&] {
        return m_indicationMode ? registerTableItemOfTheSearchObjectArray(rows)
                                : registerTableItemObjectArray(rows);
    });
}

std::optional<Row> ListItem::getObjectAtIndex(qsizetype index) const
{
    const RowList &rows = (m_indicationMode && !m_tableItemOfTheSearchObjectArray.isEmpty())
        ? m_tableItemOfTheSearchObjectArray
        : m_tableItemObjectArray;
    if (index < 0 || index >= rows.size())
        return std::nullopt;
    return rows.at(index);
}

qsizetype ListItem::indexOfItemID(const RowList &rows, QStringView title, QStringView itemID)
{
    if (title.isEmpty() || itemID.isEmpty())
        return -1;
    CellReader read(title);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (read(rows.at(i)) == itemID)
            return i;
    }
    return -1;
}

bool ListItem::inspectionObjectAtItemID(QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"inspectionObjectAtItemID", false, [&] {
        const qsizetype index = indexOfItemID(m_tableItemObjectArray, itemIDTitle(), itemID);
        if (index < 0)
            return false;
        m_itemObjectRow = qint32(index);
        return true;
    });
}

bool ListItem::inspectionSearchObjectAtItemID(QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"inspectionSearchObjectAtItemID", false, [&] {
        const qsizetype index = indexOfItemID(m_tableItemOfTheSearchObjectArray, itemIDTitle(), itemID);
        if (index < 0)
            return false;
        m_itemSearchObjectRow = qint32(index);
        return true;
    });
}

bool ListItem::addRow(RowList &rows, const Row &row, QStringView itemID)
{
    if (row.isEmpty() || itemID.isEmpty())
        return false;
    // The arguments may point into `rows`; find before changing anything.
    const Row copy = row;
    const qsizetype index = indexOfItemID(rows, itemIDTitle(), itemID);
    if (index >= 0)
        rows[index] = copy;
    else
        rows.prepend(copy);
    return true;
}

bool ListItem::removeRow(RowList &rows, QStringView itemID)
{
    const qsizetype index = indexOfItemID(rows, itemIDTitle(), itemID);
    if (index < 0)
        return false;
    rows.removeAt(index);
    return true;
}

bool ListItem::addTableItemObject(const Row &row, QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addTableItemObject", false,
                             [&] { return addRow(m_tableItemObjectArray, row, itemID); });
}

bool ListItem::addTableItemSearchObject(const Row &row, QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addTableItemSearchObject", false,
                             [&] { return addRow(m_tableItemOfTheSearchObjectArray, row, itemID); });
}

bool ListItem::rearrangeItemObject(const Row &row, qsizetype index)
{
    Q_UNUSED(index)
    return ErrorLog::guarded(lcList(), kClassWords, u"rearrangeItemObject", false, [&] {
        if (m_tableItemObjectArray.isEmpty())
            return false;
        const Row copy = row;
        return addRow(m_tableItemObjectArray, copy, itemIDOfRow(copy));
    });
}

bool ListItem::rearrangeItemSearchObject(const Row &row, qsizetype index)
{
    Q_UNUSED(index)
    return ErrorLog::guarded(lcList(), kClassWords, u"rearrangeItemSearchObject", false, [&] {
        if (m_tableItemOfTheSearchObjectArray.isEmpty())
            return false;
        const Row copy = row;
        return addRow(m_tableItemOfTheSearchObjectArray, copy, itemIDOfRow(copy));
    });
}

bool ListItem::removeTableItemObjectAtItemID(QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"removeTableItemObjectAtItemID", false,
                             [&] { return removeRow(m_tableItemObjectArray, itemID); });
}

bool ListItem::removeTableItemSearchObjectAtItemID(QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"removeTableItemSearchObjectAtItemID", false,
                             [&] { return removeRow(m_tableItemOfTheSearchObjectArray, itemID); });
}

bool ListItem::registerIndication(quint32 mark, qsizetype index)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"registerIndication", false, [&] {
        RowList &rows = previewStorage();
        if (index < 0 || index >= rows.size())
            return false;
        Row row = rows.at(index);
        row.setIndication(mark);
        rows[index] = row;
        if (m_indicationMode)
            addTableItemObject(row, itemIDOfRow(row));
        return true;
    });
}

bool ListItem::sortedUsingDescriptorsArray(const QList<ListSortDescriptor> &descriptors)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"sortedUsingDescriptorsArray", false, [&] {
        if (descriptors.isEmpty())
            return false;
        const ListSortDescriptor &descriptor = descriptors.first();
        QString title = descriptor.key;
        const auto column = m_columnTitlesDic.constFind(descriptor.key);
        if (column != m_columnTitlesDic.cend() && descriptor.key.startsWith(u"Columns"))
            title = column.value().toString();
        if (title.isEmpty())
            return false;

        RowList &rows = previewStorage();
        if (rows.isEmpty())
            return false;
        // `source` keeps every row alive while the keys below view its texts.
        const RowList source = rows;
        std::vector<qsizetype> order(size_t(source.size()));
        for (qsizetype i = 0; i < source.size(); ++i)
            order[size_t(i)] = i;

        if (title == Row::kIndicationKey) {
            std::vector<quint32> marks(size_t(source.size()));
            for (qsizetype i = 0; i < source.size(); ++i)
                marks[size_t(i)] = source.at(i).indication();
            std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
                return descriptor.ascending ? marks[size_t(a)] < marks[size_t(b)]
                                            : marks[size_t(b)] < marks[size_t(a)];
            });
        } else {
            // Keys are views into `source`'s rows: no cell text is copied.
            struct Key
            {
                QStringView text;
                qsizetype index;
            };
            std::vector<Key> keys(size_t(source.size()));
            CellReader read(title);
            for (qsizetype i = 0; i < source.size(); ++i)
                keys[size_t(i)] = {read(source.at(i)), i};
            const Qt::CaseSensitivity cs = descriptor.caseSensitivity;
            if (descriptor.ascending)
                std::stable_sort(keys.begin(), keys.end(),
                                 [cs](const Key &a, const Key &b) { return a.text.compare(b.text, cs) < 0; });
            else
                std::stable_sort(keys.begin(), keys.end(),
                                 [cs](const Key &a, const Key &b) { return b.text.compare(a.text, cs) < 0; });
            for (size_t i = 0; i < keys.size(); ++i)
                order[i] = keys[i].index;
        }

        RowList sorted;
        sorted.reserve(source.size());
        for (qsizetype i : order)
            sorted.append(source.at(i));
        rows = std::move(sorted);
        return true;
    });
}

// --- Searches and options --------------------------------------------------

bool ListItem::addSearchObject(const SearchEditingSource *search, const QString &title)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addSearchObject", false, [&] {
        if (!search || title.isEmpty())
            return false;
        m_searchObjectDic.insert(title, *search);
        return true;
    });
}

bool ListItem::inspectionSearchObjectAtTitle(const QString &title) const
{
    return !title.isEmpty() && m_searchObjectDic.contains(title);
}

const SearchEditingSource *ListItem::developSearchObjectAtTitle(const QString &title) const
{
    if (title.isEmpty())
        return nullptr;
    const auto it = m_searchObjectDic.constFind(title);
    return it == m_searchObjectDic.cend() ? nullptr : &it.value();
}

bool ListItem::removeSearchObjectAtTitle(const QString &title)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"removeSearchObjectAtTitle", false,
                             [&] { return !title.isEmpty() && m_searchObjectDic.remove(title) > 0; });
}

bool ListItem::developOptionObjectAtTitle(const QString &title)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"developOptionObjectAtTitle", false, [&] {
        OptionObjectSource *options = optionObjectSource();
        if (!options->inspectOptionObjectSourceDictionaryAtTitle(title))
            return false;
        return options->readDevelopOptionTitle(title);
    });
}
