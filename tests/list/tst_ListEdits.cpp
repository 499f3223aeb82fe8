#include "list/ListItem.h"
#include "list/ListNotifier.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QStringList kTitles = {u"NSRIndication"_s, u"NSROption"_s, u"ID"_s, u"Name"_s, u"City"_s};

RowSchema::Ptr schema()
{
    static const RowSchema::Ptr s = RowSchema::make({u"NSROption"_s, u"ID"_s, u"Name"_s, u"City"_s});
    return s;
}

Row row(const QString &id, const QString &name, const QString &city = QString(), quint32 mark = 0)
{
    return Row::fromTexts(schema(), {QStringView(), QStringView(id), QStringView(name), QStringView(city)}, mark);
}

ListItem listOf(qsizetype count)
{
    ListItem item;
    item.registerColumnTitlesArray(kTitles);
    item.makingColumnTitlesDic();
    RowList rows;
    for (qsizetype i = 0; i < count; ++i)
        rows.append(row(u"id%1"_s.arg(i), u"name %1"_s.arg((i * 7) % count), u"c%1"_s.arg(i % 3)));
    item.registerTableItemObjectArray(rows);
    return item;
}

QStringList previewIDs(const ListItem &item)
{
    QStringList ids;
    for (qsizetype p = 0; p < item.previewCount(); ++p)
        ids.append(item.cellText(item.previewRowAt(p), 2).toString());
    return ids;
}

QStringList allIDs(const ListItem &item)
{
    QStringList ids;
    for (qsizetype r = 0; r < item.rowCount(); ++r)
        ids.append(item.cellText(r, 2).toString());
    return ids;
}

// Records every notice of one list.
struct Recorder
{
    explicit Recorder(ListItem &item)
    {
        QObject::connect(item.notifier(), &ListNotifier::changed, item.notifier(),
                         [this](const ListChange &change) { changes.append(change); });
    }
    QList<ListChange> changes;
    ListChange last() const { return changes.isEmpty() ? ListChange() : changes.last(); }
};

} // namespace

class tst_ListEdits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void editsUndoByTheirReturnedValues()
    {
        ListItem item = listOf(40);
        const RowList original = item.tableItemObjectArray();
        const QStringList originalTitles = item.columnTitlesArray();
        QList<std::function<void()>> undo;
        QRandomGenerator random(7);
        for (int step = 0; step < 200; ++step) {
            const qsizetype r = random.bounded(int(item.rowCount()));
            switch (random.bounded(7)) {
            case 0: {
                const qsizetype column = 2 + random.bounded(3);
                const AttributedText old = item.setCellAt(r, column, AttributedText(u"v%1"_s.arg(step)));
                undo.append([&item, r, column, old] { item.setCellAt(r, column, old); });
                break;
            }
            case 1: {
                const quint32 old = item.setIndicationAt(r, quint32(step));
                undo.append([&item, r, old] { item.setIndicationAt(r, old); });
                break;
            }
            case 2: {
                const QList<quint32> old = item.setAllIndications(quint32(step % 2));
                undo.append([&item, old] { item.restoreIndications(old); });
                break;
            }
            case 3: {
                const QList<qsizetype> applied = item.movePreviewRows({r, (r + 3) % item.rowCount()}, random.bounded(int(item.rowCount())));
                QVERIFY(!applied.isEmpty());
                const QList<qsizetype> back = ListRowStore::inverse(applied);
                undo.append([&item, back] { QVERIFY(!item.permutePreview(back).isEmpty()); });
                break;
            }
            case 4: {
                if (item.rowCount() < 10)
                    break;
                const RowList removed = item.removeRows(r, 2);
                undo.append([&item, r, removed] { item.insertRows(r, removed); });
                break;
            }
            case 5: {
                const QList<qsizetype> applied = item.sortPreview({u"Name"_s, bool(step % 2), Qt::CaseInsensitive});
                const QList<qsizetype> back = ListRowStore::inverse(applied);
                undo.append([&item, back] { item.permutePreview(back); });
                break;
            }
            case 6: {
                const QStringList old = item.setColumnOrder({u"NSRIndication"_s, u"NSROption"_s, u"ID"_s, u"City"_s, u"Name"_s});
                undo.append([&item, old] { item.setColumnOrder(old); });
                break;
            }
            }
        }
        while (!undo.isEmpty())
            undo.takeLast()();
        QCOMPARE(item.columnTitlesArray(), originalTitles);
        QCOMPARE(item.rowCount(), original.size());
        for (qsizetype i = 0; i < original.size(); ++i) {
            QCOMPARE(item.rowAt(i).toVariantMap(), original.at(i).toVariantMap());
        }

        // Cell edits as one batch: the returned edits undo them, last first,
        // even when one cell is written twice or a new column is added.
        const RowList before = item.tableItemObjectArray();
        const CellEditList undoBatch = item.applyCellEdits({{3, u"id3"_s, u"Name"_s, AttributedText(u"x"_s), true},
                                                            {3, u"id3"_s, u"Name"_s, AttributedText(u"y"_s), true},
                                                            {5, u"id5"_s, u"Extra"_s, AttributedText(u"z"_s), true}});
        QCOMPARE(item.rowAt(3).cellText(u"Name"), u"y");
        QCOMPARE(item.rowAt(5).cellText(u"Extra"), u"z");
        item.applyCellEdits(undoBatch);
        QCOMPARE(item.tableItemObjectArray(), before);
        QVERIFY(!item.rowAt(5).contains(u"Extra"));
    }

    void noticesCarryWhatChanged()
    {
        ListItem item = listOf(10);
        Recorder record(item);
        item.setCellAt(4, 3, AttributedText(u"new"_s));
        QCOMPARE(record.last().kind, ListChange::Kind::Cells);
        QCOMPARE(record.last().firstRow, 4);
        QCOMPARE(record.last().lastRow, 4);
        item.setIndicationAt(2, 1);
        QCOMPARE(record.last().kind, ListChange::Kind::Marks);
        QCOMPARE(record.last().firstRow, 2);
        item.setAllIndications(1);
        QCOMPARE(record.last().kind, ListChange::Kind::Marks);
        QCOMPARE(record.last().lastRow, 9);
        item.insertRows(3, {row(u"n1"_s, u"a"_s), row(u"n2"_s, u"b"_s)});
        QCOMPARE(record.last().kind, ListChange::Kind::RowsInserted);
        QCOMPARE(record.last().firstRow, 3);
        QCOMPARE(record.last().lastRow, 4);
        item.removeRows(0, 3);
        QCOMPARE(record.last().kind, ListChange::Kind::RowsRemoved);
        QCOMPARE(record.last().lastRow, 2);
        const QList<qsizetype> order = item.sortPreview({u"ID"_s, false});
        QCOMPARE(record.last().kind, ListChange::Kind::Layout);
        QCOMPARE(record.last().permutation, order);
        item.setColumnWidth(u"Name"_s, 80.0f);
        QCOMPARE(record.last().kind, ListChange::Kind::Columns);
        item.registerSearchResultRows({1, 2});
        item.registerIndicationMode(true);
        QCOMPARE(record.last().kind, ListChange::Kind::Preview);
        // Structural changes under a shown result reset the preview.
        item.insertRows(0, {row(u"n3"_s, u"c"_s)});
        QCOMPARE(record.last().kind, ListChange::Kind::Preview);
        const qsizetype before = record.changes.size();
        // Snapshots are silent, whatever is done to them.
        ListItem snapshot(item);
        snapshot.setAllIndications(0);
        snapshot.removeRows(0, 5);
        QCOMPARE(record.changes.size(), before);
        // Replacing the list wholesale is one reset.
        item.registerTableItemObjectArray({row(u"only"_s, u"x"_s)});
        QCOMPARE(record.last().kind, ListChange::Kind::Reset);
    }

    void searchResultFollowsItsRows()
    {
        ListItem item = listOf(12);
        QVERIFY(item.registerTableItemOfTheSearchObjectArray({row(u"id7"_s, u"stale copy"_s), row(u"id2"_s, QString()),
                                                              row(u"missing"_s, QString())}));
        item.registerIndicationMode(true);
        // Found by ID; a row not in the list is never shown.
        QCOMPARE(previewIDs(item), QStringList({u"id7"_s, u"id2"_s}));
        QCOMPARE(item.getObjectAtIndex(0)->cellText(u"Name"), item.rowAt(7).cellText(u"Name"));

        // Marking a shown row marks the list's row.
        QVERIFY(item.registerIndication(9, 1));
        QCOMPARE(item.indicationAt(2), 9u);
        QCOMPARE(item.previewPositionOfRow(2), 1);
        QCOMPARE(item.previewPositionOfRow(3), -1);

        // Sorting the whole list keeps the result on the same rows.
        item.registerIndicationMode(false);
        item.sortPreview({u"Name"_s, false});
        item.registerIndicationMode(true);
        QCOMPARE(previewIDs(item), QStringList({u"id7"_s, u"id2"_s}));
        // Rows inserted and removed elsewhere shift the result, removed ones leave it.
        item.insertRows(0, {row(u"top"_s, u"t"_s)});
        QCOMPARE(previewIDs(item), QStringList({u"id7"_s, u"id2"_s}));
        QVERIFY(item.removeTableItemObjectAtItemID(u"id7"));
        QCOMPARE(previewIDs(item), QStringList({u"id2"_s}));
        QVERIFY(!item.inspectionObjectAtItemID(u"id7"));

        // Adding to the result stores the row in the list as well.
        QVERIFY(item.addTableItemSearchObject(row(u"fresh"_s, u"f"_s), u"fresh"));
        QCOMPARE(previewIDs(item), QStringList({u"fresh"_s, u"id2"_s}));
        QCOMPARE(allIDs(item).first(), u"fresh");
        QVERIFY(item.addTableItemSearchObject(row(u"id2"_s, u"replaced"_s), u"id2"));
        QCOMPARE(item.rowAt(item.rowOfItemID(u"id2")).cellText(u"Name"), u"replaced");
        // Sorting the shown result reorders the result only.
        const QStringList listOrder = allIDs(item);
        item.sortPreview({u"ID"_s, false});
        QCOMPARE(previewIDs(item), QStringList({u"id2"_s, u"fresh"_s}));
        QCOMPARE(allIDs(item), listOrder);
        QVERIFY(item.removeTableItemSearchObjectAtItemID(u"id2"));
        QCOMPARE(previewIDs(item), QStringList{u"fresh"_s});
        QVERIFY(item.inspectionObjectAtItemID(u"id2"));
    }

    void itemIDsAreFoundAfterEveryKindOfChange()
    {
        ListItem item = listOf(50);
        item.insertRows(10, {row(u"id3"_s, u"duplicate"_s)});
        QCOMPARE(item.rowOfItemID(u"id3"), 3); // the first row with an ID wins
        item.setCellAt(3, 2, AttributedText(u"renamed"_s));
        QCOMPARE(item.rowOfItemID(u"id3"), 10);
        QCOMPARE(item.rowOfItemID(u"renamed"), 3);
        item.sortPreview({u"ID"_s, true});
        for (qsizetype r = 0; r < item.rowCount(); ++r)
            QCOMPARE(item.rowOfItemID(item.cellText(r, 2)), r);
        QCOMPARE(item.rowOfItemID(u"nope"), -1);
        QCOMPARE(item.rowOfItemID(u""), -1);
        QCOMPARE(item.retitleColumn(2, u"Code"_s), u"ID"_s);
        QCOMPARE(item.rowOfItemID(u"renamed"), item.rowCount() - 1);
        QVERIFY(item.retitleColumn(3, u"Code"_s).isEmpty()); // no two columns of one title
    }

    void permutationsAreChecked()
    {
        ListItem item = listOf(4);
        QVERIFY(item.permutePreview({0, 1, 1, 3}).isEmpty());
        QVERIFY(item.permutePreview({0, 1, 2}).isEmpty());
        QVERIFY(item.permutePreview({0, 1, 2, 4}).isEmpty());
        QCOMPARE(item.movePreviewRows({3, 2}, 0), QList<qsizetype>({3, 2, 0, 1}));
        QCOMPARE(allIDs(item), QStringList({u"id3"_s, u"id2"_s, u"id0"_s, u"id1"_s}));
        QVERIFY(item.movePreviewRows({9}, 0).isEmpty());
        QVERIFY(item.setColumnOrder({u"ID"_s}).isEmpty()); // a reorder may not drop titles
    }
};

QTEST_GUILESS_MAIN(tst_ListEdits)
#include "tst_ListEdits.moc"
