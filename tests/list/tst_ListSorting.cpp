#include "list/ListItem.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

const QStringList kTitles = {u"NSRIndication"_s, u"NSROption"_s, u"ID"_s, u"Name"_s};

QString units(std::initializer_list<char16_t> list)
{
    return QString(reinterpret_cast<const QChar *>(list.begin()), qsizetype(list.size()));
}

// Texts whose order the packed keys could get wrong: ties past the eighth
// unit, case and folding, surrogates on either side of each key word,
// unpaired surrogates, U+FFFF, an embedded NUL, empty.
QStringList trickyTexts()
{
    return {u"apple"_s, u"Apple"_s, u"APPLE"_s, u"app"_s, QString(), u"äpfel"_s, u"Äpfel"_s, u"日本語"_s,
            u"日本"_s, u"Z"_s, u"z"_s, u"shared prefix a"_s, u"shared prefix B"_s, u"shared prefix b"_s,
            u"shared prefix"_s, u"shared p"_s, u"shared q"_s, u"\u212Aelvin"_s, u"kelvin"_s, u"\u017Fun"_s, u"sun"_s,
            u"\U0001F600x"_s, u"\uFF21"_s, u"\uFF41"_s, u"\uFFFF"_s, u"\uFFFFz"_s, u"\uFFFF\uFFFF\uFFFF"_s,
            u"abc\U00010400"_s, u"abc\U00010428"_s, u"abc\U00010400z"_s, u"abcdefg\U00010400"_s,
            u"abcdefg\U00010428"_s, u"abcdefgh\U00010400"_s, units({u'a', 0xD801, u'b'}), units({u'a', 0xDC00}),
            units({0xD801, 0xFF21}), units({u'a', 0}), u"a"_s, u"ABCDEFGHIJ"_s, u"abcdefghij"_s};
}

RowSchema::Ptr schema()
{
    static const RowSchema::Ptr s = RowSchema::make({u"NSROption"_s, u"ID"_s, u"Name"_s});
    return s;
}

// Rows drawing their names from `pool`; every seventh row has no name cell at all.
RowList rowsFrom(const QStringList &pool, qsizetype count, quint32 seed)
{
    static const RowSchema::Ptr noName = RowSchema::make({u"NSROption"_s, u"ID"_s});
    QRandomGenerator random(seed);
    RowList rows;
    rows.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const QString id = u"r%1"_s.arg(i);
        const QString name = pool.at(random.bounded(int(pool.size())));
        const quint32 mark = random.bounded(3);
        if (i % 7 == 6)
            rows.append(Row::fromTexts(noName, {QStringView(), QStringView(id)}, mark));
        else
            rows.append(Row::fromTexts(schema(), {QStringView(), QStringView(id), QStringView(name)}, mark));
    }
    return rows;
}

ListItem listOf(const RowList &rows)
{
    ListItem item;
    item.registerColumnTitlesArray(kTitles);
    item.makingColumnTitlesDic();
    item.registerTableItemObjectArray(rows);
    return item;
}

// The reference: a stable sort of the preview positions with the texts' own comparison.
QList<qsizetype> expectedOrder(const RowList &rows, const QList<qsizetype> &shown, Qt::CaseSensitivity cs,
                               bool ascending)
{
    QList<qsizetype> order(shown.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int compared = rows.at(shown.at(a)).cellText(u"Name").compare(rows.at(shown.at(b)).cellText(u"Name"), cs);
        return ascending ? compared < 0 : compared > 0;
    });
    return order;
}

} // namespace

class tst_ListSorting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ordersEqualAStableSortOfTheTexts()
    {
        // Below and above the size that sorts on two cores.
        for (const qsizetype count : {qsizetype(700), qsizetype(60000)}) {
            const RowList rows = rowsFrom(trickyTexts(), count, quint32(count));
            ListItem item = listOf(rows);
            QList<qsizetype> all(count);
            std::iota(all.begin(), all.end(), 0);
            QList<qsizetype> everyThird;
            for (qsizetype r = count - 1; r >= 0; r -= 3)
                everyThird.append(r);
            for (const bool searchShown : {false, true}) {
                item.registerSearchResultRows(everyThird);
                item.registerIndicationMode(searchShown);
                const QList<qsizetype> &shown = searchShown ? everyThird : all;
                for (const auto cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
                    for (const bool ascending : {true, false}) {
                        const QList<qsizetype> order = ListItem::sortedPreviewOrder(item, {u"Name"_s, ascending, cs});
                        QCOMPARE(order, expectedOrder(rows, shown, cs, ascending));
                    }
                }
                for (const bool ascending : {true, false}) {
                    QList<qsizetype> byMark(shown.size());
                    std::iota(byMark.begin(), byMark.end(), 0);
                    std::stable_sort(byMark.begin(), byMark.end(), [&](qsizetype a, qsizetype b) {
                        const quint32 ma = rows.at(shown.at(a)).indication();
                        const quint32 mb = rows.at(shown.at(b)).indication();
                        return ascending ? ma < mb : ma > mb;
                    });
                    QCOMPARE(ListItem::sortedPreviewOrder(item, {u"NSRIndication"_s, ascending}), byMark);
                }
            }
            QVERIFY(ListItem::sortedPreviewOrder(item, {QString(), true}).isEmpty());
        }
    }

    void sortingMovesRowsWithoutTouchingSnapshots()
    {
        ListItem item = listOf(rowsFrom({u"b"_s, u"a"_s, u"C"_s, u"c"_s, u"a"_s}, 3000, 5));
        QList<qsizetype> all(item.rowCount());
        std::iota(all.begin(), all.end(), 0);

        // A snapshot shares the rows: sorting copies them and leaves it as it was.
        const RowList snapshot = item.tableItemObjectArray();
        QList<qsizetype> order = item.sortPreview({u"Name"_s, false});
        QCOMPARE(order, expectedOrder(snapshot, all, Qt::CaseSensitive, false));
        for (qsizetype i = 0; i < order.size(); ++i) {
            QCOMPARE(item.rowAt(i), snapshot.at(order.at(i)));
            QCOMPARE(snapshot.at(i).cellText(u"ID"), u"r%1"_s.arg(i));
        }

        // Alone, the rows are moved into place, whole, and moved back.
        const RowList sorted(item.tableItemObjectArray().cbegin(), item.tableItemObjectArray().cend());
        order = item.sortPreview({u"Name"_s, true, Qt::CaseInsensitive});
        QCOMPARE(order, expectedOrder(sorted, all, Qt::CaseInsensitive, true));
        for (qsizetype i = 0; i < order.size(); ++i)
            QCOMPARE(item.rowAt(i), sorted.at(order.at(i)));
        QCOMPARE(item.permutePreview(ListRowStore::inverse(order)), order);
        QCOMPARE(item.tableItemObjectArray(), sorted);
    }
};

QTEST_GUILESS_MAIN(tst_ListSorting)
#include "tst_ListSorting.moc"
