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

using CellEditList = QList<CellEdit>;
