#include "platform/Localization.h"
#include "tasks/IndicatorSource.h"
#include "tasks/TaskRunner.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

QString T(const QString &key)
{
    return Localization::textOrEmpty(Localization::kIndicatorTable, key);
}

QVariantMap task(int code, QVariantMap extra = {})
{
    extra.insert(u"targeted"_s, code);
    return extra;
}

class CountingWorker : public TaskWorker
{
public:
    explicit CountingWorker(std::atomic_int &runs) : m_runs(runs) {}
    void run(const QVariantMap &) override { ++m_runs; }

private:
    std::atomic_int &m_runs;
};

} // namespace

class tst_IndicatorSource : public QObject
{
    Q_OBJECT

    std::unique_ptr<IndicatorSource> m_source;
    std::atomic_int m_runs{0};

    void registerCounting(int code, TaskRunner::PanelRule rule = {})
    {
        m_source->taskRunner().registerWorker(code, [this] { return std::make_unique<CountingWorker>(m_runs); }, rule);
    }

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void init()
    {
        m_runs = 0;
        m_source = std::make_unique<IndicatorSource>();
        for (int code : {101, 202, 240, 242, 243, 244, 264, 715, 999})
            registerCounting(code);
    }

    void cleanup()
    {
        QVERIFY(m_source->taskRunner().waitForAll(30000));
        m_source.reset();
    }

    void resetClearsThePreviousTask()
    {
        IndicatorSource &source = *m_source;
        source.registerPanelTitle(u"t"_s);
        source.registerIndicatorTargeted(240);
        source.indicatorAtStep(24010, 12.5, u"m"_s);
        source.indicatorAtStep();
        source.initializationUserObject();
        // Nothing of the previous task survives, its title and message included.
        QCOMPARE(source.indicatorTargeted() + source.indicatorStep(), 0);
        QCOMPARE(source.indicatorCount(), 0.0);
        QVERIFY(!source.closeState() && !source.confirmCommentText());
        QVERIFY(!source.confirmPanelTitle() && !source.confirmIndicatorMessage());
    }

    void stepTable_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<bool>("closes");

        const QString m = u"MSG"_s;
        const auto key = [](int step) { return QString::number(step) + u"Uptake"_s; };
        const auto row = [&](int step, const QString &comment, bool closes) {
            QTest::addRow("%d", step) << step << m << true << comment << closes;
        };
        for (int step : {10101, 10102, 10103, 10104, 10105, 20201, 20202, 20203, 20204, 20205, 24001,
                         24006, 24007, 24008, 24009, 24098, 24099, 71000, 71500, 71505})
            row(step, T(key(step)), false);
        for (int family : {932, 933, 934, 936}) {
            for (int i = 1; i <= (family == 932 ? 4 : 5); ++i)
                row(family * 100 + i, T(key(family * 100 + i)), i == 4);
        }
        for (int step : {24010, 71003})
            row(step, T(key(step)), true);
        for (int step : {10109, 71504})
            row(step, QString(), true);
        for (int step : {24002, 24003})
            row(step, T(key(step)) + u"\n"_s + m, false);
        QTest::addRow("24002 no message") << 24002 << QString() << true << T(key(24002)) + u"\n"_s << false;
        for (int step : {24401, 24402, 24403, 24406})
            row(step, m + T(key(step)), false);
        row(24405, m + T(key(24405)), true);
        row(24404, T(u"24404Uptake01"_s) + m + T(u"24404Uptake02"_s), false);
        for (int step : {71001, 71002})
            row(step, T(key(step)) + m, false);
        const QString lead = T(u"71501Uptake01"_s) + u" "_s + m + u" "_s;
        row(71501, lead + T(u"71501Uptake02"_s), false);
        row(71502, lead + T(key(71502)), false);
        row(71503, lead + T(key(71503)), false);
        for (int step : {0, -1, 10100, 10106, 10110, 24004, 24011, 24407, 71506, 93205, 93306, 99999})
            QTest::addRow("unknown %d", step) << step << m << false << QString() << false;
    }

    void stepTable()
    {
        QFETCH(int, step);
        QFETCH(QString, message);
        QFETCH(bool, known);
        QFETCH(QString, comment);
        QFETCH(bool, closes);

        // Both prior close states, so that a rule must really set (or keep) it.
        for (const bool prior : {false, true}) {
            IndicatorSource source;
            source.registerCommentText(u"previous"_s);
            source.registerCloseState(prior);
            source.indicatorAtStep(step, 50.0, message);
            source.indicatorAtStep();
            QCOMPARE(source.commentText(), known ? comment : u"previous"_s);
            QCOMPARE(source.closeState(), known ? closes : prior);
        }
    }

    void firstStepAndTitle_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("message");

        for (int code : {101, 202})
            QTest::addRow("%d", code) << code << code * 100 + 1 << u"Source"_s;
        for (int code : {240, 242, 264})
            QTest::addRow("%d", code) << code << 0 << QString();
        QTest::newRow("243") << 243 << 93201 << u"Source"_s;
        QTest::newRow("244") << 244 << 24401 << u"Tokyo rows"_s;
        QTest::newRow("710") << 710 << 71000 << QString();
        QTest::newRow("715") << 715 << 71500 << QString();
    }

    void firstStepAndTitle()
    {
        QFETCH(int, code);
        QFETCH(int, step);
        QFETCH(QString, message);

        m_source->targetedWorkAtObject(task(code, {{u"searchObjectTitle"_s, u"Tokyo rows"_s}}));
        QVERIFY(m_source->taskRunner().waitForAll(30000));
        QCOMPARE(m_source->indicatorTargeted(), code);
        QCOMPARE(m_source->indicatorStep(), step);
        QCOMPARE(m_source->indicatorCount(), 0.0);
        QCOMPARE(m_source->indicatorMessage(), message);
        const QString titleKey = u"0%1Title"_s.arg(code);
        QCOMPARE(m_source->panelTitle(), Localization::textOrKey(Localization::kMainTable, titleKey));
        // 710 is done by the caller itself; every other task runs its worker once.
        QCOMPARE(m_runs.load(), code == 710 ? 0 : 1);
    }

    void panelLimits()
    {
        QTemporaryDir dir;
        const auto makeFile = [&dir](const QString &name, qint64 size) {
            QFile file(dir.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.resize(size);
        };
        QVERIFY(makeFile(u"at.csv"_s, TaskRunner::kImportPanelBytes));
        QVERIFY(makeFile(u"over.csv"_s, TaskRunner::kImportPanelBytes + 1));
        QVERIFY(makeFile(u"at.listItems"_s, TaskRunner::kReadPanelBytes));
        QVERIFY(makeFile(u"over.listItems"_s, TaskRunner::kReadPanelBytes + 1));
        const auto import = [&](const QString &name) { return task(240, {{u"filePass"_s, dir.filePath(name)}}); };
        const auto read = [&](const QString &name, bool state) {
            return task(243, {{u"folderPath"_s, dir.path()}, {u"filePass"_s, name}, {u"state"_s, state}});
        };
        const auto rows = [](const QVariant &list) { return task(715, {{u"itemObject"_s, list}}); };
        // Strict limits: a task exactly at the limit runs without the panel.
        const QList<std::pair<QVariantMap, bool>> cases = {
            {import(u"at.csv"_s), false}, {import(u"over.csv"_s), true}, {import(u"missing.csv"_s), false},
            {import(QString()), false}, {read(u"at.listItems"_s, true), false},
            {read(u"over.listItems"_s, true), true}, {read(u"over.listItems"_s, false), false},
            {rows(QVariantList(TaskRunner::kExportPanelEntries)), false},
            {rows(QVariantList(TaskRunner::kExportPanelEntries + 1)), true},
            {rows(QStringList(TaskRunner::kExportPanelEntries + 1)), true}, {rows(u"not a list"_s), false},
            {task(264), true}, {task(710), true}};
        for (qsizetype i = 0; i < cases.size(); ++i)
            QVERIFY2(m_source->targetedWorkAtObject(cases.at(i).first) == cases.at(i).second, QByteArray::number(i));
    }

    void rulesFromRegistrationAndUnknownCodes()
    {
        // Row counts of objects other subsystems own: no rule, no panel, but the
        // task still runs.
        for (int code : {101, 202, 242, 244})
            QVERIFY(!m_source->targetedWorkAtObject(task(code)));
        registerCounting(202, [](const QVariantMap &t) { return t.value(u"rows"_s).toInt() > 1000; });
        QVERIFY(!m_source->targetedWorkAtObject(task(202, {{u"rows"_s, 1000}})));
        QVERIFY(m_source->targetedWorkAtObject(task(202, {{u"rows"_s, 1001}})));

        // Unknown code: answers true and starts nothing, even with a worker.
        QVERIFY(m_source->targetedWorkAtObject(task(999)));
        QCOMPARE(m_source->indicatorTargeted(), 999);
        QVERIFY(m_source->targetedWorkAtObject({{u"other"_s, 1}}));
        QVERIFY(!m_source->targetedWorkAtObject({}));
        QCOMPARE(m_source->indicatorTargeted(), 0);

        QVERIFY(m_source->taskRunner().waitForAll(30000));
        QCOMPARE(m_runs.load(), 6);
    }

    void failuresStartNothing()
    {
        const auto throwing = [](const QVariantMap &) -> bool { throw std::runtime_error("no rows"); };
        for (int code : {101, 202})
            registerCounting(code, throwing);

        QTest::ignoreMessage(QtWarningMsg, "Err IndicatorSource targetedWorkAtObject:202 : no rows");
        QVERIFY(!m_source->targetedWorkAtObject(task(202)));
        QTest::ignoreMessage(QtWarningMsg, "Err Indicator Source targetedWorkAtObject : no rows");
        QVERIFY(!m_source->targetedWorkAtObject(task(101)));
        QCOMPARE(m_source->indicatorStep(), 0);

        // No worker for a known code: logged, yet first step and title are set.
        TaskRunner &runner = m_source->taskRunner();
        runner.registerWorker(243, {});
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"No worker registered for task 243"_s));
        QVERIFY(!m_source->targetedWorkAtObject(task(243)));
        QCOMPARE(m_source->indicatorStep(), 93201);
        QVERIFY(m_source->confirmPanelTitle());
        QVERIFY(runner.waitForAll(30000));
        QCOMPARE(m_runs.load(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_IndicatorSource)
#include "tst_IndicatorSource.moc"
