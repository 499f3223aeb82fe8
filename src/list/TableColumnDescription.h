#pragma once

#include <QString>
#include <Qt>

// What a preview table column looks like, described without widgets; the
// GUI turns it into a real column. Made by TableSourceData.
struct TableColumnDescription
{
    enum class Kind {
        Ordinary,    // an editable text column showing a cell title's values
        Indication,  // the row's mark, a small image-only check box
        Option,      // the row's option text, centred, read-only
        Placeholder, // the single column of a table without titles
    };

    QString identifier;          // "Columns%d" with the column's position
    Kind kind = Kind::Ordinary;
    QString headerKey;           // the key the header text was looked up with; empty for Option
    QString headerText;          // also the text of the placeholder's data cell
    Qt::Alignment headerAlignment = Qt::AlignHCenter;
    Qt::Alignment dataAlignment = Qt::AlignLeft;
    double fontPointSize = 12.0; // data cells use the system font at this size
    bool wraps = false;          // data cell text wraps
    float minWidth = 0.0f;
    float maxWidth = 0.0f;
    float width = 0.0f;          // always within [minWidth, maxWidth]
    bool sizeToFit = false;      // size the column to its header once made
    bool editable = false;
    // Sorting compares the cell texts with a plain string comparison; no sort
    // key (the placeholder) means the column does not sort.
    QString sortKey;
    bool ascending = true;

    bool sorts() const { return !sortKey.isEmpty(); }
};
