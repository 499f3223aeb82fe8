#include "support/TestSupport.h"

#include "list/ChangeTitleOfListItems.h"
#include "list/ProgressThrottle.h"
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
