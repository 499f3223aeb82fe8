#pragma once

#include <QList>
#include <QString>

class ListRowStore;
struct ListSortDescriptor;

// Orders of a list's preview rows. Pure functions of a snapshot, so a window
// can compute an order on a worker and apply it on its own thread.
class ListSorting
{
public:
    // The preview in stable order of the plain text under `title` ("NSRIndication"
    // orders by mark): position i of the result is the preview position of the
    // row that goes there. Empty when there is nothing to sort.
    static QList<qsizetype> sortedOrder(const ListRowStore &store, const QString &title,
                                        const ListSortDescriptor &descriptor);
};
