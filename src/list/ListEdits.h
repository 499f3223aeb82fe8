#pragma once

#include "CellEdit.h"
#include "platform/AttributedText.h"

#include <QList>
#include <QStringView>
#include <QString>

class ListRowStore;
class Row;

// Edits of a list's rows built on the row store's own: by position, each
// answering what it replaced so an undo can put it back and announced as one
// change, and by item ID, as the model's add and remove address rows.
class ListEdits
{
public:
    ListEdits() = delete;

    // The cell under `title` ("NSRIndication" sets the mark); nothing for a
    // row out of range.
    static AttributedText setCell(ListRowStore &store, qsizetype row, const QString &title,
                                  const AttributedText &value);
    // Applies the edits in order; answers the edits that undo them, last edit first.
    static CellEditList applyCellEdits(ListRowStore &store, const CellEditList &edits);
    // Answers the preview order applied, nothing when no position is in range.
    static QList<qsizetype> movePreviewRows(ListRowStore &store, const QList<qsizetype> &positions,
                                            qsizetype before);
    // Every row's cell under `from` goes under `to`; rows keep their places,
    // the search result and what the preview shows.
    static void renameCells(ListRowStore &store, const QString &from, const QString &to);

    // Replaces the row with that ID where it stands, or inserts it at the top;
    // false for an empty row or ID.
    static bool putRow(ListRowStore &store, const Row &row, QStringView itemID);
    // The same in the search result; a row new to it is put in the list too.
    static bool putSearchRow(ListRowStore &store, const Row &row, QStringView itemID);
    // Position in the search result of a row with the ID, -1 when none is in it.
    static qsizetype searchPositionOfItemID(const ListRowStore &store, QStringView itemID);
};
