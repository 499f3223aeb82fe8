#pragma once

#include "Row.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

// The working copy of the one item (row) being edited in the item table: its
// column order, column identifiers, widths, cell values and the column renames
// made while editing. Never archived; rebuilt whenever an item is chosen.
//
// A container setter replaces the contents for non-empty input (true), and
// empties the container for empty input (false).
class ItemsEditingTableSource
{
public:
    void initializationUserObject();

    // Column titles in display order.
    const QStringList &columnTitlesArray() const { return m_columnTitlesArray; }
    bool registerColumnTitlesArray(const QStringList &titles);
    bool confirmColumnTitlesArray() const { return !m_columnTitlesArray.isEmpty(); }

    // "Columns%d" (position from 0) to column title.
    const QMap<QString, QString> &columnTitlesDic() const { return m_columnTitlesDic; }
    bool registerColumnTitlesDic(const QMap<QString, QString> &dic);
    bool confirmColumnTitlesDic() const { return !m_columnTitlesDic.isEmpty(); }

    // Column title to width in points.
    const QMap<QString, float> &columnTitlesWidthDic() const { return m_columnTitlesWidthDic; }
    bool registerColumnTitlesWidthDic(const QMap<QString, float> &dic);
    bool confirmColumnTitlesWidthDic() const { return !m_columnTitlesWidthDic.isEmpty(); }

    // Column title to the item's value: a bool under "NSRIndication",
    // AttributedText under the other titles.
    const QVariantMap &itemDic() const { return m_itemDic; }
    bool registerItemDic(const QVariantMap &dic);
    bool registerItemDic(const Row &row);
    bool confirmItemDic() const { return !m_itemDic.isEmpty(); }
    Row toRow() const;

    // Renames made while editing: old title to new title.
    const QMap<QString, QString> &editCellTitlesDic() const { return m_editCellTitlesDic; }
    bool registerEditCellTitlesDic(const QMap<QString, QString> &dic);
    bool confirmEditCellTitlesDic() const { return !m_editCellTitlesDic.isEmpty(); }

    // True when title is a key of itemDic.
    bool inspectItemObjectTitle(const QString &title) const;

    bool showWithStateSwitch() const;
    // No effect while itemDic is empty.
    void registerShowWithStateSwitch(bool state);

    // Stores a non-empty string or attributed text under a non-empty title.
    bool addItemTitle(const QString &title, const QVariant &value);
    // Replaces the value of an existing column, or appends a new column (its
    // value is stored only when non-empty); the width is stored either way.
    bool addItemObject(const QVariant &value, const QString &title, float width);
    bool addColumnWidth(float width, const QString &title);

    // Renumbers the identifiers from the column order.
    bool makingColumnTitlesDic();
    bool addColumnAtTitles(const QString &title, int columnNumber);

    // Renames a column of the working copy (order, identifiers, width, value)
    // and records the rename for the list-wide retitling.
    bool makingEditCellTitlesAtNewTitle(const QString &newTitle, const QString &original);
    void workEditCellTitlesAtNewTitle(const QString &newTitle, const QString &original);

    // Removes the first occurrence from the column order only.
    bool removeTitle(const QString &title);

private:
    QStringList m_columnTitlesArray;
    QMap<QString, QString> m_columnTitlesDic;
    QMap<QString, float> m_columnTitlesWidthDic;
    QVariantMap m_itemDic;
    QMap<QString, QString> m_editCellTitlesDic;
};
