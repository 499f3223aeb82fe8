#pragma once

#include "CellEdit.h"
#include "ListColumns.h"
#include "ListEdits.h"
#include "ListRowStore.h"
#include "Row.h"
#include "SearchEditingSource.h"
#include "platform/AttributedText.h"

#include <QMap>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>

class ArchiveDecoder;
class ArchiveEncoder;
class CreatorInformation;
class ListNotifier;
class OptionObjectSource;

// Saved searches of a list: title to search.
using SearchObjectDictionary = QMap<QString, SearchEditingSource>;

// How the preview rows are sorted: by the plain text under `key`, which is a
// column title or a column identifier "Columns%d" (resolved through
// columnTitlesDic). Texts compare with QString::compare.
struct ListSortDescriptor
{
    QString key;
    bool ascending = true;
    Qt::CaseSensitivity caseSensitivity = Qt::CaseSensitive;
};

// One imported table: titles, widths, rows, its option scripts, saved
// searches, the current search result and where it came from.
//
// A copyable value: copies share the rows copy-on-write, so copying a list of
// a million rows copies one pointer. A copy has its owned parts made, so a
// const copy handed to workers is never changed by reading it.
//
// The rows, the search result and the preview live in a ListRowStore, the
// column titles and widths in ListColumns; edits beyond the store's own are
// ListEdits', the archived fields ListItemArchive's. This class forwards to
// them by the model's names. A live list announces every change through
// notifier(); copies are silent.
class ListItem
{
public:
    ListItem();
    ~ListItem();
    ListItem(const ListItem &other);
    ListItem &operator=(const ListItem &other);
    ListItem(ListItem &&other) noexcept;
    ListItem &operator=(ListItem &&other) noexcept;

    static QString archiveClassName() { return QStringLiteral("ListItem"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    // Empties titles, widths, rows, searches and the search result and resets
    // the options; creator information, source, encoding, line ends and the
    // list ID stay.
    void initializationUserObject();
    // Shallow copy of every archived field: rows are shared with the other.
    bool setTheEnvironmentalAtDecoder(const ListItem *other);

    // Owned parts, made on first access; never null.
    CreatorInformation *creatorInformation();
    const CreatorInformation *creatorInformation() const;
    OptionObjectSource *optionObjectSource();
    const OptionObjectSource *optionObjectSource() const;

    const QString &listItemOfDocumentID() const { return m_listItemOfDocumentID; }
    bool registerListItemOfDocumentID(const QString &value);

    QStringList columnTitlesArray() const { return m_columns.titles(); }
    bool registerColumnTitlesArray(const QStringList &titles);
    bool confirmColumnTitlesArray() const { return !m_columns.titles().isEmpty(); }

    // "Columns%d" (position from 0) -> title.
    QVariantMap columnTitlesDic() const { return m_columns.titlesDic(); }
    bool registerColumnTitlesDic(const QVariantMap &dictionary)
    {
        m_columns.setTitlesDic(dictionary);
        return confirmColumnTitlesDic();
    }
    bool confirmColumnTitlesDic() const { return !m_columns.titlesDic().isEmpty(); }

    // Title -> width in points, each a QVariant(float).
    QVariantMap columnTitlesWidthDic() const { return m_columns.widths(); }
    bool registerColumnTitlesWidthDic(const QVariantMap &dictionary)
    {
        m_columns.setWidths(dictionary);
        return confirmColumnTitlesWidthDic();
    }
    bool confirmColumnTitlesWidthDic() const { return !m_columns.widths().isEmpty(); }

    // All rows.
    RowList tableItemObjectArray() const { return m_rows.rows(); }
    // `deferred` builds rows read from a file that are still empty slots.
    bool registerTableItemObjectArray(RowList rows, std::unique_ptr<DeferredRows> deferred = nullptr);
    // The rows of another list, shared, those still to be built included.
    bool registerTableItemObjectArray(const ListRowStore &rows);
    bool confirmTableItemObjectArray() const { return m_rows.rowCount() > 0; }

    // Rows of the current search result. The result is kept as row numbers
    // into the rows; registering rows finds each by item ID, and rows that
    // are not in the list are left out.
    RowList tableItemOfTheSearchObjectArray() const;
    bool registerTableItemOfTheSearchObjectArray(const RowList &rows);
    bool confirmTableItemOfTheSearchObjectArray() const { return !m_rows.searchRows().isEmpty(); }
    const QList<qsizetype> &searchResultRows() const { return m_rows.searchRows(); }
    bool registerSearchResultRows(const QList<qsizetype> &rows);

    qint32 itemObjectRow() const { return m_itemObjectRow; }
    void registerItemObjectRow(qint32 row) { m_itemObjectRow = row; }
    qint32 itemSearchObjectRow() const { return m_itemSearchObjectRow; }
    void registerItemSearchObjectRow(qint32 row) { m_itemSearchObjectRow = row; }

    // Set while the preview shows the search result instead of all rows.
    bool indicationMode() const { return m_rows.indicationMode(); }
    void registerIndicationMode(bool state) { m_rows.setIndicationMode(state); }

    const SearchObjectDictionary &searchObjectDic() const { return m_searchObjectDic; }
    bool registerSearchObjectDic(const SearchObjectDictionary &dictionary);
    bool confirmSearchObjectDic() const { return !m_searchObjectDic.isEmpty(); }

    const QString &conversionRelevantFilePath() const { return m_conversionRelevantFilePath; }
    bool registerConversionRelevantFilePath(const QString &value);
    bool confirmConversionRelevantFilePath() const { return !m_conversionRelevantFilePath.isEmpty(); }

    // 4 UTF-8, 8 Shift-JIS, 21 ISO-2022-JP.
    qint32 encodingType() const { return m_encodingType; }
    void registerEncodingType(qint32 type) { m_encodingType = type; }

    bool crState() const { return m_crState; }
    void registerCrState(bool state) { m_crState = state; }

    // Number of preview rows / of search result rows.
    qsizetype itemCount() const;
    qsizetype itemSearchCount() const { return m_rows.searchRows().size(); }

    // Columns.
    bool makingColumnTitlesDic();
    bool addColumnAtTitles(const QString &title, qint32 columnNumber)
    {
        return m_columns.addTitleToDic(title, columnNumber);
    }
    void setColumnTitlesWidth(float width, const QString &title) { m_columns.setWidth(width, title); }
    // The titles without "NSRIndication" and "NSROption".
    QStringList selectColumnTitlesArray() const { return m_columns.selectTitles(); }
    // The title of the item ID column (position 2), "" when there is none.
    QString itemIDTitle() const { return m_columns.itemIDTitle(); }
    // The row's item ID as a view into the row (valid while the row lives).
    QStringView itemIDOfRow(const Row &row) const { return m_columns.itemIDOfRow(row); }

    // Preview rows: the search result while indicationMode is set and there is
    // one, else all rows. preTableObjectArray() also clears indicationMode
    // when there is no search result; previewRows() changes nothing.
    RowList preTableObjectArray();
    RowList previewRows() const;
    bool confirmPreTableObjectArray() const { return itemCount() > 0; }
    bool registerPreTableObjectArray(const RowList &rows);

    // The preview row at the index; nullopt outside 0 <= index < itemCount().
    std::optional<Row> getObjectAtIndex(qsizetype index) const;

    // First row with the ID; its index goes to itemObjectRow / itemSearchObjectRow.
    bool inspectionObjectAtItemID(QStringView itemID);
    bool inspectionSearchObjectAtItemID(QStringView itemID);

    // Replaces the row with that ID where it stands, or inserts it at the top.
    bool addTableItemObject(const Row &row, QStringView itemID);
    bool addTableItemSearchObject(const Row &row, QStringView itemID);
    // The same with the row's own ID; the index is not consulted.
    bool rearrangeItemObject(const Row &row, qsizetype index);
    bool rearrangeItemSearchObject(const Row &row, qsizetype index);
    bool removeTableItemObjectAtItemID(QStringView itemID);
    bool removeTableItemSearchObjectAtItemID(QStringView itemID);

    // Marks the preview row at the index; while the search result is shown the
    // same row (by ID) in the full list gets the mark too.
    bool registerIndication(quint32 mark, qsizetype index);

    // Stable sort of the preview rows by the first descriptor.
    bool sortedUsingDescriptorsArray(const QList<ListSortDescriptor> &descriptors);

    // Saved searches.
    bool addSearchObject(const SearchEditingSource *search, const QString &title);
    bool inspectionSearchObjectAtTitle(const QString &title) const;
    // The stored search, or null; valid until the saved searches change.
    const SearchEditingSource *developSearchObjectAtTitle(const QString &title) const;
    bool removeSearchObjectAtTitle(const QString &title);

    bool developOptionObjectAtTitle(const QString &title);

    // creatorInformation's table comment := "titles:%d items:%d <info>".
    bool setTableComment();

    // The live list, by position. Reads are O(1) and copy nothing; columns
    // are positions in columnTitlesArray.
    ListNotifier *notifier() { return m_rows.notifier(); }
    const ListRowStore &rowStore() const { return m_rows; }
    qsizetype rowCount() const { return m_rows.rowCount(); }
    const Row &rowAt(qsizetype row) const { return m_rows.rowAt(row); }
    qsizetype columnCount() const { return m_columns.count(); }
    QStringView cellText(qsizetype row, qsizetype column) const;
    AttributedText cellAt(qsizetype row, qsizetype column) const;
    quint32 indicationAt(qsizetype row) const;
    qsizetype previewCount() const { return m_rows.previewCount(); }
    qsizetype previewRowAt(qsizetype position) const { return m_rows.previewRowAt(position); }
    qsizetype previewPositionOfRow(qsizetype row) const { return m_rows.previewPositionOfRow(row); }
    qsizetype rowOfItemID(QStringView itemID) const { return m_rows.rowOfItemID(itemID); }

    // Edits by position; each returns what it replaced, so an undo can put it back.
    AttributedText setCellAt(qsizetype row, qsizetype column, const AttributedText &value);
    quint32 setIndicationAt(qsizetype row, quint32 mark) { return m_rows.setIndication(row, mark); }
    QList<quint32> setAllIndications(quint32 mark) { return m_rows.setAllIndications(mark); }
    void restoreIndications(const QList<quint32> &marks) { m_rows.restoreIndications(marks); }
    // Moves the preview rows at `positions` (kept in their order) to stand
    // before preview position `before`; answers the order applied.
    QList<qsizetype> movePreviewRows(const QList<qsizetype> &positions, qsizetype before)
    {
        return ListEdits::movePreviewRows(m_rows, positions, before);
    }
    QList<qsizetype> permutePreview(const QList<qsizetype> &order) { return m_rows.permutePreview(order); }
    // The same for a caller that keeps `order` itself: no inverse is built.
    bool reorderPreview(const QList<qsizetype> &order) { return m_rows.reorderPreview(order); }
    QList<qsizetype> sortPreview(const ListSortDescriptor &descriptor);
    // The order sortPreview would apply, computed on a snapshot (any thread).
    static QList<qsizetype> sortedPreviewOrder(const ListItem &snapshot, const ListSortDescriptor &descriptor);
    Row replaceRow(qsizetype row, const Row &value) { return m_rows.replaceRow(row, value); }
    // Applies the edits in order as one change; answers the edits that undo
    // them (the old values, last edit first). An edit whose row no longer has
    // its item ID is looked up by that ID, and skipped when it is gone.
    CellEditList applyCellEdits(const CellEditList &edits) { return ListEdits::applyCellEdits(m_rows, edits); }
    void insertRows(qsizetype row, const RowList &rows) { m_rows.insertRows(row, rows); }
    RowList removeRows(qsizetype row, qsizetype count) { return m_rows.removeRows(row, count); }
    QStringList setColumnOrder(const QStringList &titles);
    std::optional<float> setColumnWidth(const QString &title, float width);
    QString retitleColumn(qsizetype column, const QString &title);

private:
    void titlesChanged();
    void ensureParts() const;

    mutable std::unique_ptr<CreatorInformation> m_creatorInformation;
    QString m_listItemOfDocumentID;
    ListColumns m_columns;
    ListRowStore m_rows;
    qint32 m_itemObjectRow = 0;
    mutable std::unique_ptr<OptionObjectSource> m_optionObjectSource;
    SearchObjectDictionary m_searchObjectDic;
    qint32 m_itemSearchObjectRow = 0;
    QString m_conversionRelevantFilePath;
    qint32 m_encodingType = 0;
    bool m_crState = false;
};

// Task dictionaries carry a snapshot under "listItemSource"; workers copy from it.
using ListItemPtr = std::shared_ptr<const ListItem>;
Q_DECLARE_METATYPE(ListItemPtr)
