#pragma once

#include "CellEdit.h"
#include "platform/AttributedText.h"

#include <QList>
#include <QString>

class ListRowStore;

// Edits of a list's rows by position, built on the row store's own. Each
// answers what it replaced, so an undo can put it back, and is announced as
// one change.
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
};
