#include "support/TestSupport.h"

#include "app/TaskWorkers.h"
#include "list/WritingForSearchObject.h"
#include "platform/NotificationCenter.h"
#include "tasks/TaskRunner.h"

#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

// What a search posts on a centre, collected on the recorder's thread.
struct Recorder : QObject
{
    explicit Recorder(NotificationCenter &center)
    {
        center.addObserver(u"notifIndicatorStepOfSearch"_s, this, [this](const Notification &n) {
            const QVariantMap map = n.object.toMap();
            steps.append(map.value(u"step"_s).toInt());
            counts.append(map.value(u"count"_s).toDouble());
            messages.append(map.value(u"message"_s).toString());
        });
        center.addObserver(u"developItemsSearchNotif"_s, this, [this](const Notification &n) {
            const QVariantMap map = n.object.toMap();
            for (const Row &row : map.value(u"objectArray"_s).value<RowList>())
                ids.append(row.cellText(u"ID").toString());
            folders.append(map.value(u"cachesFolderID"_s).toInt());
            resultThread = QThread::currentThread();
        });
    }
    QList<int> steps;
    QList<double> counts;
    QStringList messages;
    QStringList ids;
    QList<int> folders;
    QThread *resultThread = nullptr;
};

// A snapshot, as callers hand over, of a list with the text columns "ID" and "Name".
ListItemPtr makeList(const QStringList &names)
{
    const RowSchema::Ptr schema = RowSchema::make({u"NSROption"_s, u"ID"_s, u"Name"_s});
    RowList rows;
    for (qsizetype i = 0; i < names.size(); ++i)
        rows.append(Row::fromTexts(schema, {QStringView(), QString::number(i + 1), names.at(i)}));
    ListItem list;
    list.registerColumnTitlesArray({u"NSRIndication"_s, u"NSROption"_s, u"ID"_s, u"Name"_s});
    list.registerTableItemObjectArray(rows);
    return std::make_shared<const ListItem>(list);
}

ItemsSearch criterion(bool collect, const QString &keyword, const QString &category = u"Name"_s)
{
    ItemsSearch item;
    item.registerBeginningSwitch(collect);
    item.registerCategoryString(category);
    item.registerKeywordString(keyword);
    return item;
}

QVariantMap searchTask(const ListItemPtr &list, const QList<ItemsSearch> &criteria, int folder = 7)
{
    SearchEditingSource search;
    search.registerSearchObjectTitle(u"Find"_s);
    search.registerItemsSearchArray(criteria);
    return {{u"targeted"_s, 244}, {u"searchEditingSource"_s, QVariant::fromValue(search)},
            {u"listItemSource"_s, QVariant::fromValue(list)}, {u"cachesFolderID"_s, folder}};
}

// Runs a search on this thread; the delivered rows' IDs are in ids.
std::unique_ptr<Recorder> run(const QVariantMap &task)
{
    NotificationCenter center;
    auto recorder = std::make_unique<Recorder>(center);
    WritingForSearchObject worker;
    worker.setNotificationCenter(&center);
    if (worker.registerForSearchObject(task) == recorder->folders.isEmpty())
        recorder->ids = QStringList{u"answer and notification disagree"_s};
    return recorder;
}

QStringList found(const ListItemPtr &list, const QList<ItemsSearch> &criteria)
{
    return run(searchTask(list, criteria))->ids;
}

} // namespace

class tst_SearchWorker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void keywordsAreCaseInsensitivePiecesSplitAtCommaAndSpace()
    {
        const ListItemPtr list = makeList({u"Apple Pie"_s, u"pie with APPLE"_s, u"apple only"_s, u"PIE"_s, {}});
        QCOMPARE(found(list, {criterion(true, u"apple pie"_s)}), (QStringList{u"1"_s, u"2"_s}));
        QCOMPARE(found(list, {criterion(true, u"pie,apple"_s)}), (QStringList{u"1"_s, u"2"_s}));
        QCOMPARE(found(list, {criterion(true, u"apple, pie"_s)}), QStringList());
        QCOMPARE(found(list, {criterion(true, u"PPL"_s)}), (QStringList{u"1"_s, u"2"_s, u"3"_s}));

        // Plain substrings, not patterns; any empty piece fails the match.
        QVERIFY(WritingForSearchObject::targetedString(u"a.b*c", u"B*C"_s));
        QVERIFY(!WritingForSearchObject::targetedString(u"abc", u"a.c"_s));
        QVERIFY(WritingForSearchObject::targetedString(u"ÄRGER", u"ärger"_s));
        for (const QString &keyword : {u""_s, u" apple"_s, u"apple "_s, u"apple  pie"_s, u",apple"_s, u"apple,,pie"_s})
            QVERIFY2(!WritingForSearchObject::targetedString(u"apple pie", keyword), qPrintable(keyword));
        QVERIFY(!WritingForSearchObject::targetedString(QStringView(), u"a"_s));
    }

    void criteriaCollectAndExcludeInOrder()
    {
        const ListItemPtr list = makeList({u"A and B"_s, u"only B"_s, u"only A"_s, u"neither"_s});
        // Exclusion starts from all rows; collection appends again, duplicates kept.
        QCOMPARE(found(list, {criterion(false, u"a"_s), criterion(true, u"b"_s)}),
                 (QStringList{u"2"_s, u"4"_s, u"1"_s, u"2"_s}));
        QCOMPARE(found(list, {criterion(true, u"b"_s), criterion(false, u"a"_s)}), QStringList{u"2"_s});
        QCOMPARE(found(list, {criterion(true, u"only"_s), criterion(false, u"only"_s)}), QStringList());
        // An empty keyword or a column the list lacks matches no row.
        const QStringList all = {u"1"_s, u"2"_s, u"3"_s, u"4"_s};
        QCOMPARE(found(list, {criterion(false, {})}), all);
        QCOMPARE(found(list, {criterion(false, u"a"_s, u"Missing"_s)}), all);
        QCOMPARE(found(list, {criterion(true, u"a"_s, u"Missing"_s)}), QStringList());
        QCOMPARE(found(list, {criterion(true, u"0"_s, u"NSRIndication"_s)}), QStringList());
    }

    void progressAndEndings()
    {
        auto r = run(searchTask(makeList({u"x1"_s, u"y2"_s}), {criterion(true, u"x"_s), criterion(false, u"q"_s)}));
        QCOMPARE(r->ids, QStringList{u"1"_s});
        QCOMPARE(r->folders, QList<int>{7});
        // The exclusion walks only the one collected row.
        QCOMPARE(r->steps, (QList<int>{24402, 24403, 24403, 24403, 24403, 24403}));
        QCOMPARE(r->counts, (QList<double>{0, 0, 25, 50, 50, 75}));
        QCOMPARE(r->messages, (QStringList{u"Find"_s, u"Find"_s, u"Name:x"_s, u"Name:x"_s, u"Find"_s, u"Name:q"_s}));

        // A single-precision increment summed in double; no match ends with 24406.
        r = run(searchTask(makeList({u"a"_s, u"b"_s, u"c"_s}), {criterion(true, u"z"_s)}));
        QCOMPARE(r->counts.at(2), double(100.0f / 3.0f));
        QVERIFY(r->counts.at(2) != 100.0 / 3.0);
        QVERIFY(r->folders.isEmpty());
        QCOMPARE(r->steps.last(), 24406);
        QCOMPARE(r->counts.last(), 0.0);

        // Requests without a usable search or list end without a word.
        QVERIFY(run({})->steps.isEmpty());
        QVariantMap task = searchTask(makeList({u"x"_s}), {criterion(true, u"x"_s)});
        task.insert(u"listItemSource"_s, QVariant::fromValue(ListItemPtr()));
        QVERIFY(run(task)->steps.isEmpty());
        task = searchTask(makeList({u"x"_s}), {criterion(true, u"x"_s)});
        task.insert(u"searchEditingSource"_s, u"Find"_s);
        QVERIFY(run(task)->steps.isEmpty());
    }

    void longSearchReportsBoundedProgress()
    {
        QStringList names;
        for (int i = 0; i < 12000; ++i)
            names.append(i % 2 ? u"odd"_s : u"even"_s);
        const auto r = run(searchTask(makeList(names), {criterion(true, u"odd"_s), criterion(false, u"7"_s)}));
        QCOMPARE(r->ids.size(), 6000);
        const qsizetype rowReports = r->messages.count(u"Name:odd"_s) + r->messages.count(u"Name:7"_s);
        QVERIFY2(rowReports >= 700 && rowReports <= 1002, qPrintable(QString::number(rowReports)));
        // Each walk reports its last row: the first ends at 50, the second
        // (over the 6000 collected rows) at 75.
        QVERIFY(qAbs(r->counts.at(r->messages.lastIndexOf(u"Name:odd"_s)) - 50.0) < 0.01);
        QVERIFY(qAbs(r->counts.last() - 75.0) < 0.01);
    }

    void runsOnTaskThreadAndDeliversToMainThread()
    {
        TaskRunner runner;
        TaskWorkers::registerListWorkers(runner);
        QVERIFY(runner.hasWorker(264));
        // The panel rule counts the snapshot's rows; the limit is strict.
        QVERIFY(!runner.showsPanel(244, searchTask(makeList(QStringList(1000, u"n"_s)), {})));
        QVERIFY(runner.showsPanel(244, searchTask(makeList(QStringList(1001, u"n"_s)), {})));
        QVERIFY(!runner.showsPanel(244, {{u"targeted"_s, 244}}));

        Recorder recorder(NotificationCenter::defaultCenter());
        const ListItemPtr list = makeList({u"red"_s, u"green"_s, u"dark red"_s});
        const RowList before = list->tableItemObjectArray();
        QVERIFY(runner.start(244, u"threadSearchPanelFileWorkIndicator"_s, searchTask(list, {criterion(true, u"red"_s)}, 3)));
        QTRY_COMPARE(recorder.folders, QList<int>{3});
        QVERIFY(runner.waitForAll(5000));
        QCOMPARE(recorder.resultThread, QThread::currentThread());
        QCOMPARE(recorder.ids, (QStringList{u"1"_s, u"3"_s}));
        QCOMPARE(recorder.steps.first(), 24402);
        QVERIFY(qAbs(recorder.counts.last() - 100.0) < 1e-5);
        QCOMPARE(list->tableItemObjectArray(), before);
    }
};

QTEST_GUILESS_MAIN(tst_SearchWorker)
#include "tst_SearchWorker.moc"
