#include "support/TestSupport.h"

#include "list/ChangeTitleOfListItems.h"
#include "list/ProgressThrottle.h"
#include "list/RenamePlan.h"
#include "platform/NotificationCenter.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Outcome
{
    QList<int> steps;
    QList<double> counts;
    QStringList messages;
    QList<QVariantMap> results;
    RowList rows() const { return results.value(0).value(u"tableItemObjectArray"_s).value<RowList>(); }
    QVariantMap widths() const { return results.value(0).value(u"columnTitlesWidthDic"_s).toMap(); }
};

// Runs one change on this thread and collects what it posts.
Outcome change(const QVariantMap &renames, const RowList &rows, const QVariantMap &widths = {})
{
    NotificationCenter center;
    Outcome outcome;
    center.addObserver(u"notifIndicatorStepOfChangeTitle"_s, nullptr, [&](const Notification &n) {
        const QVariantMap map = n.object.toMap();
        outcome.steps.append(map.value(u"step"_s).toInt());
        outcome.counts.append(map.value(u"count"_s).toDouble());
        outcome.messages.append(map.value(u"message"_s).toString());
    });
    center.addObserver(u"developChangeTitleUnfoldNotif"_s, nullptr,
                       [&](const Notification &n) { outcome.results.append(n.object.toMap()); });
    ChangeTitleOfListItems worker;
    worker.setNotificationCenter(&center);
    worker.cangeTitleOfListItemsObject({{u"targeted"_s, 264}, {u"editCellTitlesDic"_s, renames},
                                        {u"tableItemObjectArray"_s, QVariant::fromValue(rows)},
                                        {u"columnTitlesWidthDic"_s, widths}});
    return outcome;
}

// Row i holds "<title><i>" under each title and the mark i.
RowList makeRows(const QStringList &titles, int count)
{
    const RowSchema::Ptr schema = RowSchema::make(titles);
    RowList rows;
    for (int i = 0; i < count; ++i) {
        QStringList texts;
        for (const QString &title : titles)
            texts.append(title + QString::number(i));
        rows.append(Row::fromTexts(schema, QList<QStringView>(texts.cbegin(), texts.cend()), quint32(i)));
    }
    return rows;
}

} // namespace

class tst_ChangeTitleWorker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void withoutRenamesOrRowsNothingIsPosted()
    {
        for (const Outcome &outcome : {change({}, makeRows({u"A"_s}, 2)), change({{u"A"_s, u"X"_s}}, {})}) {
            QVERIFY(outcome.results.isEmpty());
            QCOMPARE(outcome.steps, QList<int>{93601});
        }
    }

    void renamesReachEveryRowAndWidth()
    {
        const Outcome outcome = change({{u"A"_s, u"X"_s}, {u"B"_s, u"Y"_s}}, makeRows({u"A"_s, u"B"_s, u"C"_s}, 3),
                                       {{u"A"_s, 100.0f}, {u"C"_s, 50.0f}});
        const RowList out = outcome.rows();
        QCOMPARE(out.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const QString n = QString::number(i);
            QCOMPARE(out.at(i).indication(), quint32(i));
            QVERIFY(!out.at(i).contains(u"A") && !out.at(i).contains(u"B"));
            QCOMPARE(out.at(i).cellText(u"X"), u"A"_s + n);
            QCOMPARE(out.at(i).cellText(u"Y"), u"B"_s + n);
            QCOMPARE(out.at(i).cellText(u"C"), u"C"_s + n);
        }
        // A missing width arrives as 0.0, a float like the others.
        QCOMPARE(outcome.widths(), (QVariantMap{{u"C"_s, 50.0f}, {u"X"_s, 100.0f}, {u"Y"_s, 0.0f}}));
        QCOMPARE(outcome.widths().value(u"Y"_s).metaType(), QMetaType::fromType<float>());

        // Renames apply in key order, each to the rows the previous one left.
        const Outcome chain = change({{u"A"_s, u"B"_s}, {u"B"_s, u"C"_s}}, makeRows({u"A"_s}, 1), {{u"A"_s, 10.0f}});
        QCOMPARE(chain.rows().first().keys(), (QStringList{u"NSRIndication"_s, u"C"_s}));
        QCOMPARE(chain.rows().first().cellText(u"C"), u"A0"_s);
        QCOMPARE(chain.widths(), (QVariantMap{{u"C"_s, 10.0f}}));

        // A row without the old title keeps its cells; the others are renamed.
        const RowList mixed = makeRows({u"A"_s}, 1) + makeRows({u"D"_s}, 1);
        const RowList renamed = change({{u"A"_s, u"Z"_s}}, mixed).rows();
        QCOMPARE(renamed.at(0).cellText(u"Z"), u"A0"_s);
        QCOMPARE(renamed.at(1), mixed.at(1));
    }

    void inputRowsStayAndTextsAreShared()
    {
        const RowList rows = makeRows({u"A"_s, u"B"_s}, 4);
        const RowList out = change({{u"A"_s, u"X"_s}}, rows).rows();
        QCOMPARE(rows, makeRows({u"A"_s, u"B"_s}, 4));
        // One renamed schema for all rows; the texts are the input's own.
        for (qsizetype i = 0; i < out.size(); ++i) {
            QCOMPARE(out.at(i).schema().data(), out.first().schema().data());
            QCOMPARE(out.at(i).cellText(u"X").constData(), rows.at(i).cellText(u"A").constData());
        }
    }

    void renamesThatMeetKeepEveryValue()
    {
        // Renamed B to Z, then A to B: both columns keep their values.
        const RowList rows = makeRows({u"A"_s, u"B"_s, u"C"_s}, 3);
        const Outcome swap = change({{u"A"_s, u"B"_s}, {u"B"_s, u"Z"_s}}, rows,
                                    {{u"A"_s, 10.0f}, {u"B"_s, 20.0f}, {u"C"_s, 30.0f}});
        QCOMPARE(swap.rows().size(), 3);
        for (int i = 0; i < 3; ++i) {
            const Row &row = swap.rows().at(i);
            const QString n = QString::number(i);
            QCOMPARE(row.keys(), (QStringList{u"NSRIndication"_s, u"B"_s, u"Z"_s, u"C"_s}));
            QCOMPARE(row.cellText(u"B"), u"A"_s + n);
            QCOMPARE(row.cellText(u"Z"), u"B"_s + n);
            QCOMPARE(row.indication(), quint32(i));
            // Still one schema for all, and the caller's texts.
            QCOMPARE(row.schema().data(), swap.rows().first().schema().data());
            QCOMPARE(row.cellText(u"Z").constData(), rows.at(i).cellText(u"B").constData());
        }
        QCOMPARE(swap.widths(), (QVariantMap{{u"B"_s, 10.0f}, {u"Z"_s, 20.0f}, {u"C"_s, 30.0f}}));

        // A cycle swaps, with no stand-in title left behind.
        const Outcome cycle = change({{u"A"_s, u"B"_s}, {u"B"_s, u"A"_s}}, rows, {{u"A"_s, 10.0f}, {u"B"_s, 20.0f}});
        for (int i = 0; i < 3; ++i) {
            const Row &row = cycle.rows().at(i);
            QCOMPARE(row.keys(), (QStringList{u"NSRIndication"_s, u"B"_s, u"A"_s, u"C"_s}));
            QCOMPARE(row.cellText(u"A"), u"B"_s + QString::number(i));
            QCOMPARE(row.cellText(u"B"), u"A"_s + QString::number(i));
            QCOMPARE(row.schema().data(), cycle.rows().first().schema().data());
        }
        QCOMPARE(cycle.widths(), (QVariantMap{{u"A"_s, 20.0f}, {u"B"_s, 10.0f}}));

        // A chain passes through B only where the row holds no B of its own.
        const RowList mixed = makeRows({u"A"_s}, 2) + makeRows({u"A"_s, u"B"_s}, 2);
        const RowList chained = change({{u"A"_s, u"B"_s}, {u"B"_s, u"C"_s}}, mixed).rows();
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(chained.at(i).keys(), (QStringList{u"NSRIndication"_s, u"C"_s}));
            QCOMPARE(chained.at(i).cellText(u"C"), u"A"_s + QString::number(i));
            QCOMPARE(chained.at(2 + i).keys(), (QStringList{u"NSRIndication"_s, u"B"_s, u"C"_s}));
            QCOMPARE(chained.at(2 + i).cellText(u"B"), u"A"_s + QString::number(i));
            QCOMPARE(chained.at(2 + i).cellText(u"C"), u"B"_s + QString::number(i));
        }
        QCOMPARE(chained.at(0).schema().data(), chained.at(1).schema().data());
        QCOMPARE(chained.at(2).schema().data(), chained.at(3).schema().data());

        // A width missing for a renamed column is 0.0 only where no width is.
        QCOMPARE(change({{u"A"_s, u"B"_s}, {u"B"_s, u"C"_s}}, mixed, {{u"B"_s, 5.0f}}).widths(),
                 (QVariantMap{{u"B"_s, 0.0f}, {u"C"_s, 5.0f}}));

        // Values that would meet under one title can only go as literally
        // asked: one rename after another, the later one winning.
        const Row clash = change({{u"A"_s, u"C"_s}}, makeRows({u"A"_s, u"C"_s}, 1)).rows().first();
        QCOMPARE(clash.keys(), (QStringList{u"NSRIndication"_s, u"C"_s}));
        QCOMPARE(clash.cellText(u"C"), u"A0"_s);
        const Row merge = change({{u"A"_s, u"X"_s}, {u"B"_s, u"X"_s}}, makeRows({u"A"_s, u"B"_s}, 1)).rows().first();
        QCOMPARE(merge.keys(), (QStringList{u"NSRIndication"_s, u"X"_s}));
        QCOMPARE(merge.cellText(u"X"), u"B0"_s);
    }

    void planOrdersMovesInPlace()
    {
        // Every step lands on a free title, and the outcome is the plain moves.
        const QSet<QString> present = {u"A"_s, u"B"_s, u"C"_s, u"\u00011"_s};
        const QList<RenamePlan::Move> moves = {{u"A"_s, u"B"_s}, {u"B"_s, u"C"_s}, {u"C"_s, u"A"_s}};
        QHash<QString, QString> titleOf; // current title -> original
        for (const QString &title : present)
            titleOf.insert(title, title);
        for (const RenamePlan::Move &step : RenamePlan::inPlaceOrder(moves, present)) {
            QVERIFY2(!titleOf.contains(step.second), qPrintable(step.second));
            titleOf.insert(step.second, titleOf.take(step.first));
        }
        QCOMPARE(titleOf, (QHash<QString, QString>{{u"B"_s, u"A"_s}, {u"C"_s, u"B"_s}, {u"A"_s, u"C"_s},
                                                   {u"\u00011"_s, u"\u00011"_s}}));
    }

    void progressCounts()
    {
        const QVariantMap renames = {{u"A"_s, u"X"_s}, {u"B"_s, u"Y"_s}};
        const Outcome outcome = change(renames, makeRows({u"A"_s, u"B"_s}, 2));
        QCOMPARE(outcome.steps, (QList<int>{93601, 93602, 93603, 93603, 93603, 93603, 93603, 93603}));
        QCOMPARE(outcome.counts, (QList<double>{0, 0, 0, 25, 50, 50, 100, 100}));
        QCOMPARE(outcome.messages, QStringList(8, u" "_s));

        // Long runs report a bounded number of evenly spaced rows, the last included.
        const Outcome longRun = change(renames, makeRows({u"A"_s, u"B"_s}, 6000));
        QCOMPARE(longRun.steps.size(), 3 + 1000 + 1);
        QCOMPARE(longRun.counts.at(longRun.counts.size() - 2), 100.0);

        const auto reported = [](qint64 planned) {
            ProgressThrottle throttle(planned);
            QList<qint64> visits;
            for (qint64 visit = 1; visit <= planned; ++visit)
                if (throttle.visit())
                    visits.append(visit);
            return visits;
        };
        QCOMPARE(reported(10000).size(), 10000);
        QCOMPARE(reported(10001).size(), 1000);
        const QList<qint64> big = reported(1234567);
        QCOMPARE(big.size(), 1000);
        QCOMPARE(big.first(), 1235);
        QCOMPARE(big.last(), 1234567);
    }
};

QTEST_GUILESS_MAIN(tst_ChangeTitleWorker)
#include "tst_ChangeTitleWorker.moc"
