#pragma once

#include <QList>
#include <QMetaType>

// What one edit of a list changed, for views that repaint only that part.
// Row numbers are list rows (storage order); a view showing a search result
// maps them with ListItem::previewPositionOfRow().
struct ListChange
{
    enum class Kind {
        Cells,        // texts of rows [firstRow, lastRow] in `column` (-1: every column)
        Marks,        // the marks of rows [firstRow, lastRow]
        RowsInserted, // rows [firstRow, lastRow] are new
        RowsRemoved,  // rows [firstRow, lastRow] are gone (numbers before the removal)
        Layout,       // the preview was reordered: position i shows what was at permutation[i]
        Columns,      // titles, their order or widths
        Preview,      // which rows the preview shows (search result or mode); views reset
        Reset,        // everything
    };

    Kind kind = Kind::Reset;
    qsizetype firstRow = -1;
    qsizetype lastRow = -1;
    qsizetype column = -1;
    QList<qsizetype> permutation;
};

Q_DECLARE_METATYPE(ListChange)
