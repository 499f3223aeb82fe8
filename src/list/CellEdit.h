#pragma once

#include "platform/AttributedText.h"

#include <QList>
#include <QString>

// One cell written by title. `itemID` finds the row again when the list was
// reordered since the edit was made; `present` false means the cell was absent
// (undoing a write that added a column to a row removes it again).
struct CellEdit
{
    qsizetype row = -1;
    QString itemID;
    QString title;
    AttributedText value;
    bool present = true;
};

// Every member moves by memcpy, so a list of a million edits grows in place.
Q_DECLARE_TYPEINFO(CellEdit, Q_RELOCATABLE_TYPE);

using CellEditList = QList<CellEdit>;
