#pragma once

#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct Notification
{
    QString name;
    QVariant object;
};

// Named notifications with an object payload, observed for any sender.
// An observer whose receiver lives on the posting thread (or that has no
// receiver) is called synchronously before post() returns. An observer whose
// receiver lives on another thread (the main thread, for documents and
// panels) gets the notification queued to that thread, in posting order.
// Removing an observer, or destroying its receiver, stops delivery at once,
// including notifications already queued.
class NotificationCenter : public QObject
{
    Q_OBJECT
public:
    using Handler = std::function<void(const Notification &)>;
    using Token = quint64;

    NotificationCenter();
    ~NotificationCenter() override;

    // The application's shared centre.
    static NotificationCenter &defaultCenter();

    Token addObserver(const QString &name, QObject *receiver, Handler handler);
    void removeObserver(Token token);
    void removeObserver(QObject *receiver);
    void removeObserver(QObject *receiver, const QString &name);

    void post(const QString &name, const QVariant &object = {});

private:
    struct Observer;
    void forgetReceiver(QObject *receiver);
    // Marks the matching observers dead and takes them out of the list; the
    // caller disconnects the returned connections after unlocking.
    template<class Predicate>
    std::vector<QMetaObject::Connection> detachLocked(Predicate &&matches);

    // A standard mutex, so that thread sanitizers see the locking.
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<Observer>> m_observers;
    Token m_nextToken = 1;
};
