#include "app/OptionRun.h"
#include "list/ListItem.h"
#include "script/OptionObjectSource.h"
#include "script/OptionSource.h"
#include "support/ScriptOptions.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using ScriptOptions::optionOf;
using ScriptOptions::source;

ListItem listOf(qsizetype count)
{
    const RowSchema::Ptr schema = RowSchema::make({u"NSROption"_s, u"ID"_s, u"c3"_s});
    ListItem item;
    item.registerColumnTitlesArray({u"NSRIndication"_s, u"NSROption"_s, u"ID"_s, u"c3"_s});
    item.makingColumnTitlesDic();
    RowList rows;
    for (qsizetype i = 0; i < count; ++i) {
        const QString id = u"r%1"_s.arg(i);
        rows.append(Row::fromTexts(schema, {QStringView(), QStringView(id), u"old"}));
    }
    item.registerTableItemObjectArray(rows);
    return item;
}

// Writes [User:v] into c3 of every row, then reads row 0 back.
OptionObjectSource writeEveryRow(qsizetype rows)
{
    return optionOf({source(u"loop"_s, u"[Command:for:0 count:%1 step:1]"_s.arg(rows - 1)),
                     source(u"write"_s, u"[Command:write:row:[Command:for:count:] title:[ColumnTitle:c3] object:[User:v]]"_s),
                     source(u"end"_s, u"[Command:for:end:]"_s),
                     source(u"read"_s, u"[Command:items:row:0 title:[ColumnTitle:c3]]"_s)},
                    {{u"v"_s, QVariantMap{{u"answerType"_s, 4}, {u"answerObject"_s, u"new"_s}}}});
}

OptionRun::Outcome runToEnd(OptionRun &run)
{
    QSignalSpy finished(&run, &OptionRun::finished);
    run.start();
    // Not finished.wait(): a run that ends before the wait starts would keep it waiting for a second end.
    if (!QTest::qWaitFor([&finished] { return !finished.isEmpty(); }, 60000))
        qWarning("the run did not finish");
    return run.outcome();
}

} // namespace

class tst_OptionRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesComeBackAsOneChange()
    {
        // More rows than the fixed step minimum allows for: the budget grows with the list.
        const qsizetype rows = 3000;
        ListItem live = listOf(rows);
        OptionRunDriver::Options settings;
        settings.limits.maxSteps = 1000;
        OptionRun run(live, writeEveryRow(rows), settings);
        const OptionRun::Outcome outcome = runToEnd(run);
        QVERIFY2(outcome.result.success, qPrintable(outcome.result.errorText));
        QCOMPARE(outcome.writes.size(), rows);
        // The run read its own write; the live list is untouched until applied.
        QCOMPARE(outcome.result.answers.last().answerObject.toString(), u"new"_s);
        QCOMPARE(live.rowAt(0).cellText(u"c3"), u"old");

        // The user moved rows meanwhile: writes find their rows by item ID.
        live.movePreviewRows({rows - 1}, 0);
        const CellEditList undo = live.applyCellEdits(outcome.writes);
        for (qsizetype r = 0; r < rows; ++r)
            QCOMPARE(live.rowAt(r).cellText(u"c3"), u"new");
        live.applyCellEdits(undo);
        for (qsizetype r = 0; r < rows; ++r)
            QCOMPARE(live.rowAt(r).cellText(u"c3"), u"old");
    }

    void stoppedRunsWriteNothing()
    {
        ListItem live = listOf(10);
        const OptionObjectSource endless = optionOf(
            {source(u"loop"_s, u"[Command:for:0 count:2000000000 step:1]"_s),
             source(u"write"_s, u"[Command:write:row:1 title:[ColumnTitle:c3] object:[User:v]]"_s),
             source(u"end"_s, u"[Command:for:end:]"_s)},
            {{u"v"_s, QVariantMap{{u"answerType"_s, 4}, {u"answerObject"_s, u"new"_s}}}});

        OptionRun cancelled(live, endless, {});
        QSignalSpy finished(&cancelled, &OptionRun::finished);
        cancelled.start();
        QTest::qWait(50);
        cancelled.cancel();
        QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 30000);
        QVERIFY(!cancelled.outcome().result.success);
        QVERIFY(cancelled.outcome().writes.isEmpty());
        QVERIFY(cancelled.outcome().result.errorText.contains(u"cancelled"_s));

        OptionRunDriver::Options settings;
        settings.limits.deadlineMs = 100;
        OptionRun late(live, endless, settings);
        const OptionRun::Outcome outcome = runToEnd(late);
        QVERIFY(!outcome.result.success);
        QVERIFY(outcome.writes.isEmpty());
        QVERIFY2(outcome.result.errorText.contains(u"time limit"_s), qPrintable(outcome.result.errorText));
        QCOMPARE(live.rowAt(1).cellText(u"c3"), u"old");
    }

    void stepBudgetScalesWithTheWork()
    {
        QCOMPARE(OptionRun::stepBudgetFor(0, 1, 200000), 200000);
        QVERIFY(OptionRun::stepBudgetFor(1000000, 3, 200000) >= 3 * 6 * 1000000);
        // No overflow for absurd sizes.
        QVERIFY(OptionRun::stepBudgetFor(std::numeric_limits<qsizetype>::max(), 1000, 1) > 0);
    }
};

QTEST_GUILESS_MAIN(tst_OptionRun)
#include "tst_OptionRun.moc"
