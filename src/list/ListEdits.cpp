#include "ListEdits.h"

#include "ListRowStore.h"
#include "TitlePosition.h"
#include "platform/HugePageMemory.h"

#include <algorithm>
#include <vector>

AttributedText ListEdits::setCell(ListRowStore &store, qsizetype row, const QString &title,
                                  const AttributedText &value)
{
    if (!store.containsRow(row))
        return {};
    if (title == Row::kIndicationKey) {
        const quint32 old = store.setIndication(row, value.string().toUInt());
        return AttributedText(QString::number(old));
    }
    Row changed = store.rowAt(row);
    AttributedText old = changed.cell(title);
    changed.setCell(title, value);
    store.replaceRow(row, changed);
    return old;
}

CellEditList ListEdits::applyCellEdits(ListRowStore &store, const CellEditList &edits)
{
    const QString &idTitle = store.itemIDTitle();
    TitlePosition idPosition;
    TitlePosition titlePosition;
    const auto itemIDAt = [&](qsizetype row) {
        if (!store.containsRow(row) || idTitle.isEmpty())
            return QStringView();
        const Row &value = store.rowAt(row);
        return value.cellTextAt(idPosition.in(value, idTitle));
    };

    CellEditList undo;
    undo.reserve(edits.size());
    HugePageMemory::advise(undo.data(), size_t(edits.size()) * sizeof(CellEdit));
    qsizetype first = -1;
    qsizetype last = -1;
    for (const CellEdit &edit : edits) {
        qsizetype row = edit.row;
        if (!edit.itemID.isEmpty() && itemIDAt(row) != edit.itemID)
            row = store.rowOfItemID(edit.itemID);
        if (!store.containsRow(row) || edit.title.isEmpty())
            continue;
        // Changed where it stands: a row shared with a snapshot is copied
        // once, on its first edit.
        Row &changed = store.rowForEdit(row, edit.title == idTitle);
        CellEdit old{row, QString(), edit.title, {}, false};
        if (edit.title == Row::kIndicationKey) {
            old.value = changed.cell(edit.title);
            old.present = changed.contains(edit.title);
        } else {
            const qsizetype index = titlePosition.in(changed, edit.title);
            old.value = changed.cellAt(index);
            old.present = index >= 0;
        }
        if (edit.present)
            changed.setCell(edit.title, edit.value);
        else
            changed.remove(edit.title);
        const QStringView itemID = itemIDAt(row);
        old.itemID = !itemID.isEmpty() && itemID == edit.itemID ? edit.itemID : itemID.toString();
        undo.append(std::move(old));
        first = first < 0 ? row : std::min(first, row);
        last = std::max(last, row);
    }
    // The undo edits run last edit first.
    std::reverse(undo.begin(), undo.end());
    if (first >= 0)
        store.announce(ListChange::Kind::Cells, first, last);
    return undo;
}

QList<qsizetype> ListEdits::movePreviewRows(ListRowStore &store, const QList<qsizetype> &positions,
                                            qsizetype before)
{
    const qsizetype count = store.previewCount();
    std::vector<bool> moving(size_t(count), false);
    QList<qsizetype> moved;
    for (qsizetype position : positions) {
        if (position >= 0 && position < count && !moving[size_t(position)]) {
            moving[size_t(position)] = true;
            moved.append(position);
        }
    }
    if (moved.isEmpty())
        return {};
    before = std::clamp<qsizetype>(before, 0, count);
    QList<qsizetype> order;
    order.reserve(count);
    for (qsizetype i = 0; i <= count; ++i) {
        if (i == before)
            order.append(moved);
        if (i < count && !moving[size_t(i)])
            order.append(i);
    }
    if (!store.reorderPreview(order))
        return {};
    return order;
}

void ListEdits::renameCells(ListRowStore &store, const QString &from, const QString &to)
{
    RowList rows = store.rows();
    Row::RenameMemo memo;
    for (Row &row : rows)
        row.renameKey(from, to, &memo);
    const QList<qsizetype> search = store.searchRows();
    const bool mode = store.indicationMode();
    store.setRows(std::move(rows));
    store.setSearchRows(search);
    store.setIndicationMode(mode);
}

bool ListEdits::putRow(ListRowStore &store, const Row &row, QStringView itemID)
{
    if (row.isEmpty() || itemID.isEmpty())
        return false;
    // The arguments may point into the rows; copy before changing anything.
    const Row copy = row;
    const QString id = itemID.toString();
    const qsizetype index = store.rowOfItemID(id);
    if (index >= 0)
        store.replaceRow(index, copy);
    else
        store.insertRows(0, {copy});
    return true;
}

// A search result holds rows of the list, so a row new to the result is
// stored in the list too (at the top, as a new row would be).
bool ListEdits::putSearchRow(ListRowStore &store, const Row &row, QStringView itemID)
{
    if (row.isEmpty() || itemID.isEmpty())
        return false;
    const Row copy = row;
    const QString id = itemID.toString();
    const qsizetype position = searchPositionOfItemID(store, id);
    if (position >= 0) {
        store.replaceRow(store.searchRows().at(position), copy);
        return true;
    }
    qsizetype index = store.rowOfItemID(id);
    if (index >= 0) {
        store.replaceRow(index, copy);
    } else {
        store.insertRows(0, {copy});
        index = 0;
    }
    store.prependSearchRow(index);
    return true;
}

qsizetype ListEdits::searchPositionOfItemID(const ListRowStore &store, QStringView itemID)
{
    if (itemID.isEmpty())
        return -1;
    const qsizetype position = store.searchPositionOfRow(store.rowOfItemID(itemID));
    if (position >= 0)
        return position;
    // A later row with the same ID may be the one in the result.
    const QList<qsizetype> &rows = store.searchRows();
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (store.itemIDOfRow(rows.at(i)) == itemID)
            return i;
    }
    return -1;
}
