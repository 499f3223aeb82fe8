#include "app/OptionRun.h"
#include "app/ScriptRequestResponder.h"
#include "list/ListItem.h"
#include "platform/NotificationCenter.h"
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

// Every pass writes and reads a value of its own, calculates and ends; after the loop row 0 gets a new ID and then a new c3, and the
// whole column is read.
OptionObjectSource passesOfTheirOwn(qsizetype rows)
{
    return optionOf({source(u"loop"_s, u"[Command:for:0 count:%1 step:1]"_s.arg(rows - 1)),
                     source(u"write"_s, u"[Command:write:row:[Command:for:count:] title:[ColumnTitle:c3] object:http://v/[Command:for:count:]]"_s),
                     source(u"read"_s, u"[Command:items:row:[Command:for:count:] title:[ColumnTitle:c3]]"_s),
                     source(u"twice"_s, u"=[User:f]*2"_s),
                     source(u"end"_s, u"[Command:for:end:]"_s),
                     source(u"id"_s, u"[Command:write:row:0 title:[ColumnTitle:ID] object:[User:id]]"_s),
                     source(u"after"_s, u"[Command:write:row:0 title:[ColumnTitle:c3] object:[User:v]]"_s),
                     source(u"column"_s, u"[ColumnTitle:c3]"_s)},
                    {{u"v"_s, QVariantMap{{u"answerType"_s, 4}, {u"answerObject"_s, u"new"_s}}},
                     {u"id"_s, QVariantMap{{u"answerType"_s, 4}, {u"answerObject"_s, u"fresh"_s}}},
                     {u"f"_s, QVariantMap{{u"answerType"_s, 2}, {u"answerObject"_s, 1.5f}}}});
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

    void directAnswersMatchNotifiedOnes()
    {
        // A run asks its own responder directly; the same responder answering
        // notifications must lead to the same answers, writes and steps.
        const qsizetype rows = 40;
        const ListItem live = listOf(rows);
        const OptionObjectSource options = passesOfTheirOwn(rows);
        OptionRunDriver::Options settings;
        settings.cachesFolderID = 7;
        OptionRun run(live, options, settings);
        const OptionRun::Outcome direct = runToEnd(run);
        QVERIFY2(direct.result.success, qPrintable(direct.result.errorText));

        NotificationCenter center;
        settings.center = &center;
        settings.limits.maxSteps = OptionRun::stepBudgetFor(rows, options.optionSourceArray().size(), 200000);
        ScriptRequestResponder responder(live, 7, &center);
        const OptionRunDriver::Result notified = OptionRunDriver(settings).run(options);
        QVERIFY2(notified.success, qPrintable(notified.errorText));

        QCOMPARE(direct.result.stepsUsed, notified.stepsUsed);
        QCOMPARE(direct.result.answers.size(), notified.answers.size());
        for (qsizetype i = 0; i < notified.answers.size(); ++i) {
            const OptionRunDriver::SourceAnswer &a = direct.result.answers.at(i);
            const OptionRunDriver::SourceAnswer &b = notified.answers.at(i);
            QCOMPARE(a.index, b.index);
            QCOMPARE(a.answerType, b.answerType);
            QCOMPARE(a.answerObject, b.answerObject);
        }
        // Each pass read back its own write.
        QCOMPARE(direct.result.answers.at(2 + 4 * 5).answerObject.toString(), u"http://v/5"_s);
        QCOMPARE(direct.result.answers.at(3 + 4 * 5).answerObject.toFloat(), 3.0f);
        QStringList column = direct.result.answers.last().answerObject.toStringList();
        QCOMPARE(column.size(), rows);
        QCOMPARE(column.first(), u"new"_s);
        QCOMPARE(column.last(), u"http://v/%1"_s.arg(rows - 1));

        QCOMPARE(direct.writes.size(), responder.writes().size());
        for (qsizetype i = 0; i < direct.writes.size(); ++i) {
            QCOMPARE(direct.writes.at(i).row, responder.writes().at(i).row);
            QCOMPARE(direct.writes.at(i).itemID, responder.writes().at(i).itemID);
            QCOMPARE(direct.writes.at(i).value.string(), responder.writes().at(i).value.string());
        }
        // Each write names its row by the ID the row has when it arrives, so
        // the write that changes the ID and the writes after it all land.
        QCOMPARE(direct.writes.at(direct.writes.size() - 2).itemID, u"r0"_s);
        QCOMPARE(direct.writes.last().itemID, u"fresh"_s);
        ListItem applied = live;
        const CellEditList undo = applied.applyCellEdits(direct.writes);
        QCOMPARE(applied.rowAt(0).cellText(u"ID"), u"fresh");
        QCOMPARE(applied.rowAt(0).cellText(u"c3"), u"new");
        QCOMPARE(applied.rowAt(rows - 1).cellText(u"c3"), u"http://v/%1"_s.arg(rows - 1));
        applied.applyCellEdits(undo);
        QCOMPARE(applied.tableItemObjectArray(), live.tableItemObjectArray());

        // A run for another document writes nothing through either path.
        ScriptRequestResponder other(live, 8, nullptr);
        QVERIFY(!other.writeScriptCell(7, 1, u"c3"_s, u"x"_s).has_value());
        QVERIFY(!other.answerScriptRequest({{u"commandNumber"_s, 250}, {u"cachesFolderID"_s, 7}}).has_value());
        QCOMPARE(other.writeScriptCell(8, rows, u"c3"_s, u"x"_s), std::optional<bool>(false));
        QVERIFY(other.writes().isEmpty());

        // Reads find each title in each row's own schema, however the rows'
        // schemas alternate, and see the run's own writes.
        ListItem mixed;
        const RowSchema::Ptr idFirst = RowSchema::make({u"ID"_s, u"c3"_s});
        const RowSchema::Ptr c3First = RowSchema::make({u"c3"_s, u"ID"_s});
        const RowSchema::Ptr noC3 = RowSchema::make({u"ID"_s});
        mixed.registerTableItemObjectArray({Row::fromTexts(idFirst, {u"a", u"x0"}), Row::fromTexts(c3First, {u"x1", u"b"}),
                                            Row::fromTexts(noC3, {u"c"}), Row::fromTexts(idFirst, {u"d", u"x3"})});
        ScriptRequestResponder reader(mixed, 9, nullptr);
        const auto readC3 = [&](qsizetype row) {
            const auto answer = reader.answerScriptRequest(
                {{u"commandNumber"_s, 240}, {u"cachesFolderID"_s, 9}, {u"row"_s, row}, {u"title"_s, u"c3"_s}});
            return answer ? answer->value(u"answerObject"_s).toString() : u"(none)"_s;
        };
        const QStringList expected = {u"x0"_s, u"x1"_s, QString(), u"x3"_s, u"x1"_s, u"x0"_s};
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(readC3(i < 4 ? i : 5 - i), expected.at(i));
        QCOMPARE(reader.writeScriptCell(9, 1, u"c3"_s, u"w"_s), std::optional<bool>(true));
        QCOMPARE(readC3(1), u"w"_s);
        QCOMPARE(readC3(0), u"x0"_s);
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
