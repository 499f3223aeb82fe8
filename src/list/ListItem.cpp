#include "ListItem.h"

#include "RowTableCodec.h"
#include "list/CreatorInformation.h"
#include "platform/ArchiveArray.h"
#include "platform/ArchiveDecoder.h"
#include "platform/ArchiveEncoder.h"
#include "platform/ErrorLog.h"
#include "platform/HugePageMemory.h"
#include "platform/LogCategories.h"
#include "ListNotifier.h"
#include "ListSorting.h"
#include "platform/ModelText.h"
#include "script/OptionObjectSource.h"

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
      m_rows(other.m_rows),
      m_itemObjectRow(other.m_itemObjectRow),
      m_searchObjectDic(other.m_searchObjectDic),
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

void ListItem::encodeWithCoder(ArchiveEncoder &coder) const
{
    coder.encodeObject(*creatorInformation(), kCreatorInformation);
    coder.encodeStringArray(m_columnTitlesArray, kColumnTitlesArray);
    coder.encodeValue(m_columnTitlesDic, kColumnTitlesDic);
    coder.encodeValue(m_columnTitlesWidthDic, kColumnTitlesWidthDic);

    RowTableCodec::encode(m_rows.rows(), coder, kTableItemObjectArray);

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

void ListItem::initializationUserObject()
{
    ErrorLog::guardedVoid(lcList(), kClassWords, u"initializationUserObject", [&] {
        m_columnTitlesArray.clear();
        m_columnTitlesDic.clear();
        m_columnTitlesWidthDic.clear();
        m_rows.setRows({});
        m_rows.setIndicationMode(false);
        titlesChanged();
        optionObjectSource()->initializationUserObject();
        m_searchObjectDic.clear();
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
            registerTableItemObjectArray(other->m_rows.rows());
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
                                         QString::number(m_rows.rowCount()), info);
        creatorInformation()->setTableComment(comment);
        return true;
    });
}

bool ListItem::registerListItemOfDocumentID(const QString &value)
{
    return ModelText::registerString(m_listItemOfDocumentID, value);
}

bool ListItem::registerConversionRelevantFilePath(const QString &value)
{
    return ModelText::registerString(m_conversionRelevantFilePath, value);
}

bool ListItem::registerColumnTitlesArray(const QStringList &titles)
{
    m_columnTitlesArray = titles;
    titlesChanged();
    return !m_columnTitlesArray.isEmpty();
}

void ListItem::titlesChanged()
{
    m_rows.setItemIDTitle(itemIDTitle());
    m_rows.announce(ListChange::Kind::Columns);
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

bool ListItem::registerTableItemObjectArray(RowList rows)
{
    m_rows.setRows(std::move(rows));
    return m_rows.rowCount() > 0;
}

RowList ListItem::tableItemOfTheSearchObjectArray() const
{
    RowList rows;
    rows.reserve(m_rows.searchRows().size());
    for (qsizetype row : m_rows.searchRows())
        rows.append(m_rows.rowAt(row));
    return rows;
}

bool ListItem::registerTableItemOfTheSearchObjectArray(const RowList &rows)
{
    QList<qsizetype> found;
    found.reserve(rows.size());
    for (const Row &row : rows) {
        const qsizetype index = m_rows.rowOfItemID(itemIDOfRow(row));
        if (index >= 0)
            found.append(index);
    }
    return registerSearchResultRows(found);
}

bool ListItem::registerSearchResultRows(const QList<qsizetype> &rows)
{
    m_rows.setSearchRows(rows);
    return !m_rows.searchRows().isEmpty();
}

bool ListItem::registerSearchObjectDic(const SearchObjectDictionary &dictionary)
{
    m_searchObjectDic = dictionary;
    return !m_searchObjectDic.isEmpty();
}

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

qsizetype ListItem::itemCount() const
{
    return m_rows.previewCount();
}

RowList ListItem::previewRows() const
{
    if (!m_rows.showsSearchResult())
        return m_rows.rows();
    return tableItemOfTheSearchObjectArray();
}

RowList ListItem::preTableObjectArray()
{
    return ErrorLog::guarded(lcList(), kClassWords, u"preTableObjectArray", RowList(), [&] {
        if (m_rows.indicationMode() && m_rows.searchRows().isEmpty())
            m_rows.setIndicationMode(false);
        return previewRows();
    });
}

bool ListItem::registerPreTableObjectArray(const RowList &rows)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"registerPreTableObjectArray", false, [&] {
        return m_rows.indicationMode() ? registerTableItemOfTheSearchObjectArray(rows)
                                       : registerTableItemObjectArray(rows);
    });
}

std::optional<Row> ListItem::getObjectAtIndex(qsizetype index) const
{
    const qsizetype row = m_rows.previewRowAt(index);
    if (row < 0)
        return std::nullopt;
    return m_rows.rowAt(row);
}

qsizetype ListItem::searchPositionOfItemID(QStringView itemID) const
{
    if (itemID.isEmpty())
        return -1;
    const qsizetype position = m_rows.searchPositionOfRow(m_rows.rowOfItemID(itemID));
    if (position >= 0)
        return position;
    // A later row with the same ID may be the one in the result.
    const QList<qsizetype> &rows = m_rows.searchRows();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (m_rows.itemIDOfRow(rows.at(i)) == itemID)
            return i;
    }
    return -1;
}

bool ListItem::inspectionObjectAtItemID(QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"inspectionObjectAtItemID", false, [&] {
        const qsizetype index = m_rows.rowOfItemID(itemID);
        if (index < 0)
            return false;
        m_itemObjectRow = qint32(index);
        return true;
    });
}

bool ListItem::inspectionSearchObjectAtItemID(QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"inspectionSearchObjectAtItemID", false, [&] {
        const qsizetype index = searchPositionOfItemID(itemID);
        if (index < 0)
            return false;
        m_itemSearchObjectRow = qint32(index);
        return true;
    });
}

bool ListItem::addRow(const Row &row, QStringView itemID)
{
    if (row.isEmpty() || itemID.isEmpty())
        return false;
    // The arguments may point into the rows; copy before changing anything.
    const Row copy = row;
    const QString id = itemID.toString();
    const qsizetype index = m_rows.rowOfItemID(id);
    if (index >= 0)
        m_rows.replaceRow(index, copy);
    else
        m_rows.insertRows(0, {copy});
    return true;
}

// A search result holds rows of the list, so a row new to the result is
// stored in the list too (at the top, as a new row would be).
bool ListItem::addSearchRow(const Row &row, QStringView itemID)
{
    if (row.isEmpty() || itemID.isEmpty())
        return false;
    const Row copy = row;
    const QString id = itemID.toString();
    const qsizetype position = searchPositionOfItemID(id);
    if (position >= 0) {
        m_rows.replaceRow(m_rows.searchRows().at(position), copy);
        return true;
    }
    qsizetype index = m_rows.rowOfItemID(id);
    if (index >= 0) {
        m_rows.replaceRow(index, copy);
    } else {
        m_rows.insertRows(0, {copy});
        index = 0;
    }
    m_rows.prependSearchRow(index);
    return true;
}

bool ListItem::addTableItemObject(const Row &row, QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addTableItemObject", false,
                             [&] { return addRow(row, itemID); });
}

bool ListItem::addTableItemSearchObject(const Row &row, QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addTableItemSearchObject", false,
                             [&] { return addSearchRow(row, itemID); });
}

bool ListItem::rearrangeItemObject(const Row &row, qsizetype index)
{
    Q_UNUSED(index)
    return ErrorLog::guarded(lcList(), kClassWords, u"rearrangeItemObject", false, [&] {
        if (m_rows.rowCount() == 0)
            return false;
        const Row copy = row;
        return addRow(copy, itemIDOfRow(copy));
    });
}

bool ListItem::rearrangeItemSearchObject(const Row &row, qsizetype index)
{
    Q_UNUSED(index)
    return ErrorLog::guarded(lcList(), kClassWords, u"rearrangeItemSearchObject", false, [&] {
        if (m_rows.searchRows().isEmpty())
            return false;
        const Row copy = row;
        return addSearchRow(copy, itemIDOfRow(copy));
    });
}

bool ListItem::removeTableItemObjectAtItemID(QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"removeTableItemObjectAtItemID", false, [&] {
        const qsizetype index = m_rows.rowOfItemID(itemID);
        return index >= 0 && !m_rows.removeRows(index, 1).isEmpty();
    });
}

bool ListItem::removeTableItemSearchObjectAtItemID(QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"removeTableItemSearchObjectAtItemID", false,
                             [&] { return m_rows.removeSearchPosition(searchPositionOfItemID(itemID)); });
}

bool ListItem::registerIndication(quint32 mark, qsizetype index)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"registerIndication", false, [&] {
        if (m_rows.indicationMode() && m_rows.searchRows().isEmpty())
            m_rows.setIndicationMode(false);
        // The preview row is the list's own row, so the full list gets the mark too.
        const qsizetype row = m_rows.previewRowAt(index);
        if (row < 0)
            return false;
        m_rows.setIndication(row, mark);
        return true;
    });
}

QString ListItem::sortTitle(const ListSortDescriptor &descriptor) const
{
    const auto column = m_columnTitlesDic.constFind(descriptor.key);
    if (column != m_columnTitlesDic.cend() && descriptor.key.startsWith(u"Columns"))
        return column.value().toString();
    return descriptor.key;
}

QList<qsizetype> ListItem::sortedPreviewOrder(const ListItem &snapshot, const ListSortDescriptor &descriptor)
{
    return ListSorting::sortedOrder(snapshot.m_rows, snapshot.sortTitle(descriptor), descriptor);
}

QList<qsizetype> ListItem::sortPreview(const ListSortDescriptor &descriptor)
{
    if (m_rows.indicationMode() && m_rows.searchRows().isEmpty())
        m_rows.setIndicationMode(false);
    const QList<qsizetype> order = sortedPreviewOrder(*this, descriptor);
    if (order.isEmpty() || !m_rows.reorderPreview(order))
        return {};
    return order;
}

bool ListItem::sortedUsingDescriptorsArray(const QList<ListSortDescriptor> &descriptors)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"sortedUsingDescriptorsArray", false, [&] {
        if (descriptors.isEmpty())
            return false;
        return !sortPreview(descriptors.first()).isEmpty();
    });
}

QStringView ListItem::cellText(qsizetype row, qsizetype column) const
{
    if (!m_rows.containsRow(row) || column < 0 || column >= m_columnTitlesArray.size())
        return {};
    return m_rows.rowAt(row).cellText(m_columnTitlesArray.at(column));
}

AttributedText ListItem::cellAt(qsizetype row, qsizetype column) const
{
    if (!m_rows.containsRow(row) || column < 0 || column >= m_columnTitlesArray.size())
        return {};
    return m_rows.rowAt(row).cell(m_columnTitlesArray.at(column));
}

quint32 ListItem::indicationAt(qsizetype row) const
{
    return m_rows.containsRow(row) ? m_rows.rowAt(row).indication() : 0;
}

AttributedText ListItem::setCellAt(qsizetype row, qsizetype column, const AttributedText &value)
{
    if (!m_rows.containsRow(row) || column < 0 || column >= m_columnTitlesArray.size())
        return {};
    const QString &title = m_columnTitlesArray.at(column);
    if (title == Row::kIndicationKey) {
        const quint32 old = m_rows.setIndication(row, value.string().toUInt());
        return AttributedText(QString::number(old));
    }
    Row changed = m_rows.rowAt(row);
    AttributedText old = changed.cell(title);
    changed.setCell(title, value);
    m_rows.replaceRow(row, changed);
    return old;
}

CellEditList ListItem::applyCellEdits(const CellEditList &edits)
{
    // Rows of one list nearly always share a schema, so a title's position
    // is looked up once per schema rather than once per edit. The schema is
    // held: an edit may free the one a row had, and a new schema could then
    // take its address.
    struct Position
    {
        RowSchema::Ptr schema;
        QString title;
        qsizetype index = -1;

        qsizetype in(const Row &row, const QString &wanted)
        {
            if (row.schema() != schema || wanted != title) {
                schema = row.schema();
                title = wanted;
                index = schema ? schema->indexOf(wanted) : -1;
            }
            return index;
        }
    };
    const QString &idTitle = m_rows.itemIDTitle();
    Position idPosition;
    Position titlePosition;
    const auto itemIDAt = [&](qsizetype row) {
        if (!m_rows.containsRow(row) || idTitle.isEmpty())
            return QStringView();
        const Row &value = m_rows.rowAt(row);
        return value.cellTextAt(idPosition.in(value, idTitle));
    };

    CellEditList undo;
    undo.reserve(edits.size());
    HugePageMemory::advise(undo.data(), size_t(edits.size()) * sizeof(CellEdit));
    qsizetype first = -1;
    qsizetype last = -1;
    for (const CellEdit &edit : edits) {
        qsizetype row = edit.row;
        if (!edit.itemID.isEmpty() && itemIDAt(row) != edit.itemID)
            row = m_rows.rowOfItemID(edit.itemID);
        if (!m_rows.containsRow(row) || edit.title.isEmpty())
            continue;
        // Changed where it stands: a row shared with a snapshot is copied
        // once, on its first edit.
        Row &changed = m_rows.rowForEdit(row, edit.title == idTitle);
        CellEdit old{row, QString(), edit.title, {}, false};
        if (edit.title == Row::kIndicationKey) {
            old.value = changed.cell(edit.title);
            old.present = changed.contains(edit.title);
        } else {
            const qsizetype index = titlePosition.in(changed, edit.title);
            old.value = changed.cellAt(index);
            old.present = index >= 0;
        }
        if (edit.present)
            changed.setCell(edit.title, edit.value);
        else
            changed.remove(edit.title);
        const QStringView itemID = itemIDAt(row);
        old.itemID = !itemID.isEmpty() && itemID == edit.itemID ? edit.itemID : itemID.toString();
        undo.append(std::move(old));
        first = first < 0 ? row : std::min(first, row);
        last = std::max(last, row);
    }
    // The undo edits run last edit first.
    std::reverse(undo.begin(), undo.end());
    if (first >= 0)
        m_rows.announce(ListChange::Kind::Cells, first, last);
    return undo;
}

QList<qsizetype> ListItem::movePreviewRows(const QList<qsizetype> &positions, qsizetype before)
{
    const qsizetype count = m_rows.previewCount();
    std::vector<bool> moving(size_t(count), false);
    QList<qsizetype> moved;
    for (qsizetype position : positions) {
        if (position >= 0 && position < count && !moving[size_t(position)]) {
            moving[size_t(position)] = true;
            moved.append(position);
        }
    }
    if (moved.isEmpty())
        return {};
    before = std::clamp<qsizetype>(before, 0, count);
    QList<qsizetype> order;
    order.reserve(count);
    for (qsizetype i = 0; i <= count; ++i) {
        if (i == before)
            order.append(moved);
        if (i < count && !moving[size_t(i)])
            order.append(i);
    }
    if (!m_rows.reorderPreview(order))
        return {};
    return order;
}

QStringList ListItem::setColumnOrder(const QStringList &titles)
{
    QStringList old = m_columnTitlesArray;
    QStringList sortedOld = old;
    QStringList sortedNew = titles;
    sortedOld.sort();
    sortedNew.sort();
    // Only a reordering: no title may appear or vanish this way.
    if (sortedOld != sortedNew)
        return {};
    m_columnTitlesArray = titles;
    m_columnTitlesDic.clear();
    makingColumnTitlesDic();
    titlesChanged();
    return old;
}

std::optional<float> ListItem::setColumnWidth(const QString &title, float width)
{
    std::optional<float> old;
    const auto it = m_columnTitlesWidthDic.constFind(title);
    if (it != m_columnTitlesWidthDic.cend())
        old = it.value().toFloat();
    setColumnTitlesWidth(width, title);
    m_rows.announce(ListChange::Kind::Columns);
    return old;
}

QString ListItem::retitleColumn(qsizetype column, const QString &title)
{
    if (column < 0 || column >= m_columnTitlesArray.size() || title.isEmpty())
        return {};
    const QString old = m_columnTitlesArray.at(column);
    if (old == title || m_columnTitlesArray.contains(title) || old == Row::kIndicationKey
        || old == Row::kOptionKey || title == Row::kIndicationKey || title == Row::kOptionKey)
        return {};
    RowList rows = m_rows.rows();
    Row::RenameMemo memo;
    for (Row &row : rows)
        row.renameKey(old, title, &memo);
    m_columnTitlesArray[column] = title;
    for (auto it = m_columnTitlesDic.begin(); it != m_columnTitlesDic.end(); ++it) {
        if (it.value().toString() == old)
            it.value() = title;
    }
    const auto width = m_columnTitlesWidthDic.constFind(old);
    if (width != m_columnTitlesWidthDic.cend()) {
        const QVariant value = width.value();
        m_columnTitlesWidthDic.remove(old);
        m_columnTitlesWidthDic.insert(title, value);
    }
    // Rows keep their places, so the search result stays valid.
    const QList<qsizetype> search = m_rows.searchRows();
    const bool mode = m_rows.indicationMode();
    m_rows.setRows(std::move(rows));
    m_rows.setSearchRows(search);
    m_rows.setIndicationMode(mode);
    titlesChanged();
    return old;
}

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
