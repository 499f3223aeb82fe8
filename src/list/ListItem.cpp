#include "ListItem.h"

#include "ListItemArchive.h"
#include "list/CreatorInformation.h"
#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"
#include "ListNotifier.h"
#include "ListSorting.h"
#include "platform/ModelText.h"
#include "script/OptionObjectSource.h"

namespace {
const QString kClassWords = QStringLiteral("List Items");
} // namespace

ListItem::ListItem()
    : m_listItemOfDocumentID(QStringLiteral("")),
      m_conversionRelevantFilePath(QStringLiteral(""))
{
}

ListItem::~ListItem() = default;

ListItem::ListItem(const ListItem &other)
    : m_listItemOfDocumentID(other.m_listItemOfDocumentID),
      m_columns(other.m_columns),
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
    ListItemArchive::encode(*this, coder);
}

bool ListItem::initWithCoder(const ArchiveDecoder &coder)
{
    return ListItemArchive::decode(*this, coder);
}

void ListItem::initializationUserObject()
{
    ErrorLog::guardedVoid(lcList(), kClassWords, u"initializationUserObject", [&] {
        m_columns.clear();
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
        return other == this || ListItemArchive::copy(*this, *other);
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
                                    .arg(QString::number(m_columns.count()),
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
    m_columns.setTitles(titles);
    titlesChanged();
    return confirmColumnTitlesArray();
}

void ListItem::titlesChanged()
{
    m_rows.setItemIDTitle(itemIDTitle());
    m_rows.announce(ListChange::Kind::Columns);
}

bool ListItem::registerTableItemObjectArray(RowList rows, std::unique_ptr<DeferredRows> deferred)
{
    m_rows.setRows(std::move(rows), std::move(deferred));
    return m_rows.rowCount() > 0;
}

bool ListItem::registerTableItemObjectArray(const ListRowStore &rows)
{
    m_rows.setRowsOf(rows);
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
        return m_columns.makeTitlesDic();
    });
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
        const qsizetype index = ListEdits::searchPositionOfItemID(m_rows, itemID);
        if (index < 0)
            return false;
        m_itemSearchObjectRow = qint32(index);
        return true;
    });
}

bool ListItem::addTableItemObject(const Row &row, QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addTableItemObject", false,
                             [&] { return ListEdits::putRow(m_rows, row, itemID); });
}

bool ListItem::addTableItemSearchObject(const Row &row, QStringView itemID)
{
    return ErrorLog::guarded(lcList(), kClassWords, u"addTableItemSearchObject", false,
                             [&] { return ListEdits::putSearchRow(m_rows, row, itemID); });
}

bool ListItem::rearrangeItemObject(const Row &row, qsizetype index)
{
    Q_UNUSED(index)
    return ErrorLog::guarded(lcList(), kClassWords, u"rearrangeItemObject", false, [&] {
        if (m_rows.rowCount() == 0)
            return false;
        const Row copy = row;
        return ListEdits::putRow(m_rows, copy, itemIDOfRow(copy));
    });
}

bool ListItem::rearrangeItemSearchObject(const Row &row, qsizetype index)
{
    Q_UNUSED(index)
    return ErrorLog::guarded(lcList(), kClassWords, u"rearrangeItemSearchObject", false, [&] {
        if (m_rows.searchRows().isEmpty())
            return false;
        const Row copy = row;
        return ListEdits::putSearchRow(m_rows, copy, itemIDOfRow(copy));
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
    return ErrorLog::guarded(lcList(), kClassWords, u"removeTableItemSearchObjectAtItemID", false, [&] {
        return m_rows.removeSearchPosition(ListEdits::searchPositionOfItemID(m_rows, itemID));
    });
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

QList<qsizetype> ListItem::sortedPreviewOrder(const ListItem &snapshot, const ListSortDescriptor &descriptor)
{
    return ListSorting::sortedOrder(snapshot.m_rows, snapshot.m_columns.sortTitle(descriptor.key), descriptor);
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
    if (!m_rows.containsRow(row) || !m_columns.contains(column))
        return {};
    return m_rows.rowAt(row).cellText(m_columns.titleAt(column));
}

AttributedText ListItem::cellAt(qsizetype row, qsizetype column) const
{
    if (!m_rows.containsRow(row) || !m_columns.contains(column))
        return {};
    return m_rows.rowAt(row).cell(m_columns.titleAt(column));
}

quint32 ListItem::indicationAt(qsizetype row) const
{
    return m_rows.containsRow(row) ? m_rows.rowAt(row).indication() : 0;
}

AttributedText ListItem::setCellAt(qsizetype row, qsizetype column, const AttributedText &value)
{
    if (!m_columns.contains(column))
        return {};
    return ListEdits::setCell(m_rows, row, m_columns.titleAt(column), value);
}

QStringList ListItem::setColumnOrder(const QStringList &titles)
{
    const QStringList old = m_columns.titles();
    if (!m_columns.reorder(titles))
        return {};
    titlesChanged();
    return old;
}

std::optional<float> ListItem::setColumnWidth(const QString &title, float width)
{
    const std::optional<float> old = m_columns.replaceWidth(title, width);
    m_rows.announce(ListChange::Kind::Columns);
    return old;
}

QString ListItem::retitleColumn(qsizetype column, const QString &title)
{
    const std::optional<QString> old = m_columns.retitle(column, title);
    if (!old)
        return {};
    ListEdits::renameCells(m_rows, *old, title);
    titlesChanged();
    return *old;
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
