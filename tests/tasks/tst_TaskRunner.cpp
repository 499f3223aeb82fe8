#include "platform/Localization.h"
#include "platform/NotificationCenter.h"
#include "tasks/HeadlessProgressPanel.h"
#include "tasks/IndicatorController.h"
#include "tasks/TaskRunner.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QTest>
#include <QThread>

#include <atomic>
#include <limits>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

QString T(const QString &key)
{
    return Localization::textOrEmpty(Localization::kIndicatorTable, key);
}

QVariantMap report(int step, double count, const QString &message = {})
{
    return {{u"step"_s, step}, {u"count"_s, count}, {u"message"_s, message}};
}

// Counts live instances; runs a body given by the test on the task's thread.
class FakeWorker : public TaskWorker
{
public:
    using Body = std::function<void(const QVariantMap &)>;
    FakeWorker(std::atomic_int &alive, Body body) : m_alive(alive), m_body(std::move(body)) { ++m_alive; }
    ~FakeWorker() override { --m_alive; }
    void run(const QVariantMap &task) override { m_body(task); }

private:
    std::atomic_int &m_alive;
    Body m_body;
};

} // namespace

class tst_TaskRunner : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }

    void workerReportsDrivePanelInOrderOnMainThread()
    {
        NotificationCenter center;
        HeadlessProgressPanel panel;
        IndicatorController controller(center, &panel);
        QThread *const mainThread = QThread::currentThread();
        bool panelOnMainOnly = true;
        panel.setChangeCallback([&](const HeadlessProgressPanel &) {
            panelOnMainOnly = panelOnMainOnly && QThread::currentThread() == mainThread;
        });

        constexpr int kReports = 200;
        std::atomic<QThread *> ranOn{nullptr};
        std::atomic_int alive{0};
        controller.taskRunner().registerWorker(264, [&] {
            return std::make_unique<FakeWorker>(alive, [&](const QVariantMap &) {
                ranOn = QThread::currentThread();
                // Through every observed name, as the different workers post.
                const QStringList &names = IndicatorController::stepNotificationNames();
                for (int i = 0; i < kReports; ++i)
                    center.post(names.at(i % names.size()), report(24002, i / 2.0, QString::number(i)));
                center.post(u"notifIndicatorStepOfChangeTitle"_s, report(93604, 100.0));
            });
        });

        QVERIFY(controller.selfIndicator({{u"targeted"_s, 264}}));
        QCOMPARE(panel.title(), Localization::textOrKey(Localization::kMainTable, u"0264Title"_s));
        controller.openPanel(nullptr);
        QVERIFY(panel.isShown());
        QTRY_COMPARE(panel.closeCount(), 1);
        QVERIFY(!panel.isShown());
        QVERIFY(controller.taskRunner().waitForAll(30000));
        QVERIFY(ranOn.load() != nullptr && ranOn.load() != mainThread);
        QVERIFY(panelOnMainOnly);
        QCOMPARE(alive.load(), 0);

        // openPanel's comment (264 has no first step), every report in posting
        // order, then the closing step's.
        QStringList expected{QString()};
        for (int i = 0; i < kReports; ++i)
            expected << T(u"24002Uptake"_s) + u"\n"_s + QString::number(i);
        expected << T(u"93604Uptake"_s);
        QCOMPARE(panel.commentHistory(), expected);
        QCOMPARE(panel.percentText(), u"100.0 %"_s);
    }

    void throwingWorkerIsCleanedUpAndLogged()
    {
        NotificationCenter center;
        IndicatorController controller(center);
        std::atomic_int alive{0};
        controller.taskRunner().registerWorker(264, [&] {
            return std::make_unique<FakeWorker>(alive, [](const QVariantMap &) {
                throw std::runtime_error("worker broke");
            });
        });
        for (int code : {710, 715})
            controller.taskRunner().registerWorker(code, []() -> std::unique_ptr<TaskWorker> {
                throw std::runtime_error("no worker made");
            });

        QTest::ignoreMessage(QtWarningMsg, "Err Indicator Source threadChangeTitleWorkIndicator : worker broke");
        QVERIFY(controller.selfIndicator({{u"targeted"_s, 264}}));
        QTest::ignoreMessage(QtWarningMsg, "Err Indicator Source threadOutputConverterFileWorkIndicator : no worker made");
        QVERIFY(!controller.selfIndicator({{u"targeted"_s, 715}}));
        // 710 has no worker of its own: a registered one is never made.
        QVERIFY(controller.selfIndicator({{u"targeted"_s, 710}}));
        QVERIFY(controller.taskRunner().waitForAll(30000));
        QCOMPARE(alive.load(), 0);
    }

    void runnerWaitsForItsThreads()
    {
        QSemaphore gate;
        std::atomic_int alive{0};
        std::atomic_int done{0};
        constexpr int kTasks = 12;
        {
            TaskRunner runner;
            runner.registerWorker(1, [&] {
                return std::make_unique<FakeWorker>(alive, [&](const QVariantMap &) {
                    gate.acquire();
                    ++done;
                });
            });
            QTest::ignoreMessage(QtWarningMsg, "No worker registered for task 2 (none)");
            QVERIFY(!runner.start(2, u"none"_s, {}));
            for (int i = 0; i < kTasks; ++i)
                QVERIFY(runner.start(1, u"threadBlocking"_s, {}));
            QCOMPARE(runner.runningCount(), kTasks);
            QVERIFY(!runner.waitForAll(0));
            gate.release(kTasks / 2);
            // Finished threads are also reaped from the event loop.
            QTRY_COMPARE(runner.runningCount(), kTasks / 2);
            gate.release(kTasks / 2);
            // Destroying the runner waits for the rest.
        }
        QCOMPARE(done.load(), kTasks);
        QCOMPARE(alive.load(), 0);
    }

    void panelFollowsTheModel()
    {
        NotificationCenter center;
        HeadlessProgressPanel panel;
        IndicatorController controller(center, &panel);
        controller.openPanel(nullptr);

        // Direct relay, as the document reports without a notification.
        IndicatorSource &source = controller.indicatorSource();
        source.registerIndicatorStep(24001);
        controller.reloadObject();
        QVERIFY(panel.isIndeterminate());
        QCOMPARE(panel.comment(), T(u"24001Uptake"_s));

        controller.indicatorStep(report(24002, 37.26, u"3 MB"_s));
        QVERIFY(!panel.isIndeterminate());
        QCOMPARE(panel.value(), 37.26);
        QCOMPARE(panel.percentText(), u"37.3 %"_s);
        QCOMPARE(panel.comment(), T(u"24002Uptake"_s) + u"\n3 MB"_s);
        controller.indicatorStep(report(24002, 42.5));
        QCOMPARE(panel.percentText(), u"42.5 %"_s);
        // Out-of-range reports keep the bar in range; other payloads are ignored.
        controller.indicatorStep(report(24002, std::numeric_limits<double>::quiet_NaN()));
        QVERIFY(panel.isIndeterminate());
        QCOMPARE(panel.percentText(), u"0.0 %"_s);
        controller.indicatorStep(report(24002, 250.0));
        QCOMPARE(panel.value(), 100.0);
        center.post(u"notifIndicatorStepOfSearch"_s, u"not a report"_s);
        QCOMPARE(source.indicatorCount(), 250.0);

        // A failure step leaves the panel open; a closing one closes it.
        center.post(u"notifIndicatorStepOfConversion"_s, report(24099, 100.0));
        QCOMPARE(panel.comment(), T(u"24099Uptake"_s));
        QVERIFY(panel.isShown());
        center.post(u"notifIndicatorStepOfSearch"_s, report(24405, 100.0, u"Find"_s));
        QCOMPARE(panel.comment(), u"Find"_s + T(u"24405Uptake"_s));
        QVERIFY(!panel.isShown());
        QCOMPARE(panel.closeCount(), 1);
    }

    void cancelPostsOnlyForAnImportSheet()
    {
        NotificationCenter center;
        HeadlessProgressPanel panel;
        IndicatorController controller(center, &panel);
        int cancels = 0;
        center.addObserver(u"notifCancelStepOfConversion"_s, nullptr, [&](const Notification &n) {
            QVERIFY(!n.object.isValid());
            ++cancels;
        });
        QObject window;
        const auto startTask = [&](int code) {
            controller.initializationUserObject();
            controller.indicatorSource().registerIndicatorTargeted(code);
        };

        // An import shown as a sheet: Cancel ends the sheet, once.
        startTask(240);
        controller.openPanel(&window);
        QVERIFY(controller.panelState());
        QCOMPARE(panel.window(), &window);
        controller.cancelButtonAction();
        controller.closeCommand();
        QCOMPARE(cancels, 1);
        QVERIFY(!panel.isShown());

        // Its closing step ends the sheet the same way.
        controller.openPanel(&window);
        controller.indicatorStep(report(24010, 100.0));
        QCOMPARE(cancels, 2);

        // Other return codes, free panels and other tasks post nothing.
        startTask(240);
        controller.openPanel(&window);
        controller.sheetDidEnd(0);
        controller.openPanel(nullptr);
        controller.closeCommand();
        startTask(202);
        controller.openPanel(&window);
        controller.closeCommand();
        QVERIFY(!panel.isShown());
        QCOMPARE(cancels, 2);
    }

    void sharedControllerLivesOnMainThread()
    {
        IndicatorController *fromWorker = nullptr;
        std::unique_ptr<QThread> worker(QThread::create([&] {
            fromWorker = &IndicatorController::sharedController();
            // Posted on the default centre from a worker: queued to the controller.
            NotificationCenter::defaultCenter().post(u"notifIndicatorStepOfOutput"_s, report(71500, 5.0));
        }));
        worker->start();
        QVERIFY(worker->wait(30000));
        IndicatorController &shared = IndicatorController::sharedController();
        QCOMPARE(fromWorker, &shared);
        QCOMPARE(shared.thread(), QCoreApplication::instance()->thread());
        QCOMPARE(shared.indicatorSource().indicatorStep(), 0);
        QTRY_COMPARE(shared.indicatorSource().indicatorStep(), 71500);
    }
};

QTEST_GUILESS_MAIN(tst_TaskRunner)
#include "tst_TaskRunner.moc"
