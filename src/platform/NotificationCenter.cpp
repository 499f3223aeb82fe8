#include "NotificationCenter.h"

#include <QThread>

#include <atomic>

// The receiver pointer is an identity and is dereferenced only under the
// centre's mutex while the observer is alive: its destroyed() handler needs the
// same mutex, so the object cannot finish dying in between.
struct NotificationCenter::Observer
{
    Token token = 0;
    QString name;
    QObject *receiver = nullptr;
    Handler handler;
    std::atomic_bool alive{true};
    QMetaObject::Connection destroyedConnection;
};

NotificationCenter::NotificationCenter() = default;

NotificationCenter::~NotificationCenter()
{
    std::vector<QMetaObject::Connection> connections;
    {
        std::lock_guard lock(m_mutex);
        connections = detachLocked([](const Observer &) { return true; });
    }
    for (const auto &connection : connections)
        QObject::disconnect(connection);
}

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

NotificationCenter::Token NotificationCenter::addObserver(const QString &name, QObject *receiver,
                                                          Handler handler)
{
    if (!handler)
        return 0;
    auto observer = std::make_shared<Observer>();
    observer->name = name;
    observer->receiver = receiver;
    observer->handler = std::move(handler);

    std::lock_guard lock(m_mutex);
    observer->token = m_nextToken++;
    if (receiver) {
        // Direct: the receiver may die on any thread, and must be forgotten
        // before its memory goes.
        observer->destroyedConnection = connect(
            receiver, &QObject::destroyed, this,
            [this, receiver] { forgetReceiver(receiver); }, Qt::DirectConnection);
    }
    m_observers.push_back(observer);
    return observer->token;
}

template<class Predicate>
std::vector<QMetaObject::Connection> NotificationCenter::detachLocked(Predicate &&matches)
{
    std::vector<QMetaObject::Connection> connections;
    auto kept = m_observers.begin();
    for (auto it = m_observers.begin(); it != m_observers.end(); ++it) {
        Observer &observer = **it;
        if (matches(observer)) {
            observer.alive = false;
            if (observer.destroyedConnection)
                connections.push_back(observer.destroyedConnection);
        } else {
            if (kept != it)
                *kept = std::move(*it);
            ++kept;
        }
    }
    m_observers.erase(kept, m_observers.end());
    return connections;
}

void NotificationCenter::removeObserver(Token token)
{
    std::vector<QMetaObject::Connection> connections;
    {
        std::lock_guard lock(m_mutex);
        connections = detachLocked([token](const Observer &o) { return o.token == token; });
    }
    for (const auto &connection : connections)
        QObject::disconnect(connection);
}

void NotificationCenter::removeObserver(QObject *receiver)
{
    if (!receiver)
        return;
    std::vector<QMetaObject::Connection> connections;
    {
        std::lock_guard lock(m_mutex);
        connections = detachLocked([receiver](const Observer &o) { return o.receiver == receiver; });
    }
    for (const auto &connection : connections)
        QObject::disconnect(connection);
}

void NotificationCenter::removeObserver(QObject *receiver, const QString &name)
{
    if (!receiver)
        return;
    std::vector<QMetaObject::Connection> connections;
    {
        std::lock_guard lock(m_mutex);
        connections = detachLocked([receiver, &name](const Observer &o) {
            return o.receiver == receiver && o.name == name;
        });
    }
    for (const auto &connection : connections)
        QObject::disconnect(connection);
}

void NotificationCenter::forgetReceiver(QObject *receiver)
{
    // Runs inside the emission of destroyed(); the connections die with the
    // sender, so there is nothing to disconnect.
    std::lock_guard lock(m_mutex);
    detachLocked([receiver](const Observer &o) { return o.receiver == receiver; });
}

void NotificationCenter::post(const QString &name, const QVariant &object)
{
    std::vector<std::shared_ptr<Observer>> matching;
    {
        std::lock_guard lock(m_mutex);
        for (const auto &observer : m_observers) {
            if (observer->name == name)
                matching.push_back(observer);
        }
    }
    if (matching.empty())
        return;

    const Notification notification{name, object};
    QThread *const current = QThread::currentThread();
    for (const auto &observer : matching) {
        // An earlier handler of this same post may have removed it.
        if (!observer->alive)
            continue;
        if (observer->receiver) {
            std::lock_guard lock(m_mutex);
            if (!observer->alive)
                continue;
            if (observer->receiver->thread() != current) {
                // Posting an event only; no handler runs under the mutex.
                QMetaObject::invokeMethod(
                    observer->receiver,
                    [observer, notification] {
                        if (observer->alive)
                            observer->handler(notification);
                    },
                    Qt::QueuedConnection);
                continue;
            }
        }
        observer->handler(notification);
    }
}
