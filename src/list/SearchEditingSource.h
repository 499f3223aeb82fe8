#pragma once

#include "ItemsSearch.h"

#include <QList>
#include <QString>

class ArchiveDecoder;
class ArchiveEncoder;

// A named set of search criteria, applied in order, plus the working
// criterion the criteria table reads and edits one row through. A copyable
// value; its criteria list is never empty (a blank criterion stands in).
class SearchEditingSource
{
public:
    SearchEditingSource();

    static QString archiveClassName() { return QStringLiteral("SearchEditingSource"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    // No title and one blank criterion.
    void initializationUserObject();
    // Copies title and criteria.
    bool setTheEnvironmentalAtDecoder(const SearchEditingSource *other);

    const QString &searchObjectTitle() const { return m_searchObjectTitle; }
    bool registerSearchObjectTitle(const QString &value);
    bool confirmSearchObjectTitle() const { return !m_searchObjectTitle.isEmpty(); }

    const QList<ItemsSearch> &itemsSearchArray() const { return m_itemsSearchArray; }
    // An empty list leaves one blank criterion behind and answers false.
    bool registerItemsSearchArray(const QList<ItemsSearch> &criteria);
    bool confirmItemsSearchArray() const { return !m_itemsSearchArray.isEmpty(); }
    qsizetype countOfItemsSearch() const { return m_itemsSearchArray.size(); }

    // The working criterion (not archived).
    ItemsSearch *itemsSearch() { return &m_itemsSearch; }
    const ItemsSearch *itemsSearch() const { return &m_itemsSearch; }

    // Criteria table operations; rows count from 0 and negative rows are refused.
    // Working criterion := the criterion at row (reset first).
    bool getSearchObjectAtIndex(qsizetype row);
    // Criterion at row := the working criterion.
    bool replaceSearchObjectAtRow(qsizetype row);
    // Inserts a blank criterion after row (true), or appends it when row is
    // not a row of the list (false).
    bool addSearchObjectAtRow(qsizetype row);
    // Inserts at row, 0 <= row <= count.
    bool insertSearchObject(const ItemsSearch &criterion, qsizetype row);
    bool addSearchObject(const ItemsSearch &criterion);
    // Removes row only when rows follow it: the final row of the list is
    // never removed, so the list never becomes empty.
    bool removeSearchObjectAtRow(qsizetype row);

    // Equal when title and criteria are; the working criterion is scratch state.
    friend bool operator==(const SearchEditingSource &a, const SearchEditingSource &b)
    {
        return a.m_searchObjectTitle == b.m_searchObjectTitle
            && a.m_itemsSearchArray == b.m_itemsSearchArray;
    }

private:
    QString m_searchObjectTitle;
    QList<ItemsSearch> m_itemsSearchArray;
    ItemsSearch m_itemsSearch;
};
