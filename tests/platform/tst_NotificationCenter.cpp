#include "platform/NotificationCenter.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <memory>

using namespace Qt::StringLiterals;

class tst_NotificationCenter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { enableIsolatedTestEnvironment(); }
    void synchronousDeliveryAndReentrancy();
    void removal();
    void workerPostsArriveInOrderOnMainThread();
    void removedOrDestroyedObserversDropQueuedDeliveries();
    void receiverOnWorkerThreadIsQueuedThere();

private:
    static void postFromWorker(NotificationCenter &center, int count)
    {
        std::unique_ptr<QThread> worker(QThread::create([&center, count] {
            for (int i = 0; i < count; ++i)
                center.post(u"n"_s, i);
        }));
        worker->start();
        QVERIFY(worker->wait(30000));
    }
};

void tst_NotificationCenter::synchronousDeliveryAndReentrancy()
{
    NotificationCenter center;
    QObject receiver;
    QStringList calls;
    NotificationCenter::Token second = 0;
    center.addObserver(u"outer"_s, &receiver, [&](const Notification &n) {
        calls << u"outer:"_s + n.object.toString();
        // Removing a later observer of the running post stops it at once;
        // posting and adding from inside a handler must not deadlock.
        center.removeObserver(second);
        center.post(u"inner"_s);
        center.addObserver(u"outer"_s, nullptr, [&](const Notification &) { calls << u"late"_s; });
    });
    second = center.addObserver(u"outer"_s, nullptr, [&](const Notification &) { calls << u"second"_s; });
    center.addObserver(u"inner"_s, nullptr, [&](const Notification &) { calls << u"inner"_s; });
    center.addObserver(u"other"_s, nullptr, [&](const Notification &) { calls << u"other"_s; });

    center.post(u"outer"_s, u"x"_s);
    // Before post returns, without an event loop turn.
    QCOMPARE(calls, QStringList({u"outer:x"_s, u"inner"_s}));
    calls.clear();
    center.post(u"outer"_s, u"y"_s);
    QCoreApplication::processEvents();
    QCOMPARE(calls, QStringList({u"outer:y"_s, u"inner"_s, u"late"_s}));
}

void tst_NotificationCenter::removal()
{
    NotificationCenter center;
    QObject a;
    QObject b;
    QStringList calls;
    const auto token = center.addObserver(u"n1"_s, nullptr, [&](const Notification &) { calls << u"t"_s; });
    center.addObserver(u"n1"_s, &a, [&](const Notification &) { calls << u"a1"_s; });
    center.addObserver(u"n2"_s, &a, [&](const Notification &) { calls << u"a2"_s; });
    center.addObserver(u"n1"_s, &b, [&](const Notification &) { calls << u"b1"_s; });
    {
        QObject gone;
        center.addObserver(u"n1"_s, &gone, [&](const Notification &) { calls << u"gone"_s; });
    }
    center.removeObserver(token);
    center.removeObserver(&a, u"n1"_s);
    center.post(u"n1"_s);
    center.post(u"n2"_s);
    QCOMPARE(calls, QStringList({u"b1"_s, u"a2"_s}));

    calls.clear();
    center.removeObserver(&a);
    center.post(u"n1"_s);
    center.post(u"n2"_s);
    QCOMPARE(calls, QStringList({u"b1"_s}));
}

void tst_NotificationCenter::workerPostsArriveInOrderOnMainThread()
{
    NotificationCenter center;
    QObject receiver;
    QList<int> received;
    bool allOnMain = true;
    center.addObserver(u"n"_s, &receiver, [&](const Notification &n) {
        allOnMain = allOnMain && QThread::currentThread() == receiver.thread();
        received << n.object.toInt();
    });
    constexpr int kCount = 1000;
    postFromWorker(center, kCount);
    QVERIFY(received.isEmpty());
    QTRY_COMPARE(received.size(), kCount);
    QVERIFY(allOnMain);
    for (int i = 0; i < kCount; ++i)
        QCOMPARE(received.at(i), i);
}

void tst_NotificationCenter::removedOrDestroyedObserversDropQueuedDeliveries()
{
    NotificationCenter center;
    QObject removed;
    auto destroyed = std::make_unique<QObject>();
    QObject survivor;
    int calls = 0;
    int survivorCalls = 0;
    const auto token = center.addObserver(u"n"_s, &removed, [&](const Notification &) { ++calls; });
    center.addObserver(u"n"_s, destroyed.get(), [&](const Notification &) { ++calls; });
    center.addObserver(u"n"_s, &survivor, [&](const Notification &) { ++survivorCalls; });

    postFromWorker(center, 50);
    center.removeObserver(token);
    destroyed.reset();
    QTRY_COMPARE(survivorCalls, 50);
    QCOMPARE(calls, 0);
}

void tst_NotificationCenter::receiverOnWorkerThreadIsQueuedThere()
{
    NotificationCenter center;
    QThread thread;
    QObject receiver;
    receiver.moveToThread(&thread);
    thread.start();
    QAtomicPointer<QThread> ranOn;
    center.addObserver(u"n"_s, &receiver, [&](const Notification &) {
        ranOn.storeRelease(QThread::currentThread());
    });
    center.post(u"n"_s);
    QTRY_COMPARE(ranOn.loadAcquire(), &thread);
    thread.quit();
    QVERIFY(thread.wait(30000));
}

QTEST_GUILESS_MAIN(tst_NotificationCenter)
#include "tst_NotificationCenter.moc"
