#include "ScriptRequestChannel.h"

#include "platform/NotificationCenter.h"

#include <QThread>

#include <atomic>

// Shared with the observer's handler, which may run on any thread after the
// channel is gone; `onAnswer` is called only inside the owner's own post.
struct ScriptRequestChannel::Slot
{
    std::atomic<QThread *> postingThread{nullptr};
    std::function<void(const QVariant &)> onAnswer;
    bool answered = false;
};

ScriptRequestChannel::ScriptRequestChannel(NotificationCenter *center, const QString &requestName,
                                           const QString &answerName,
                                           std::function<void(const QVariant &)> onAnswer)
    : m_center(center ? center : &NotificationCenter::defaultCenter())
    , m_requestName(requestName)
    , m_slot(std::make_shared<Slot>())
{
    m_slot->onAnswer = std::move(onAnswer);
    // No receiver object: the handler runs synchronously on the posting
    // thread, which is what taking an answer during one's own post needs.
    m_observerToken = m_center->addObserver(answerName, nullptr, [slot = m_slot](const Notification &notification) {
        if (slot->postingThread.load() != QThread::currentThread())
            return;
        slot->answered = true;
        slot->onAnswer(notification.object);
    });
}

ScriptRequestChannel::~ScriptRequestChannel()
{
    m_center->removeObserver(m_observerToken);
}

bool ScriptRequestChannel::post(const QVariantMap &request)
{
    m_slot->answered = false;
    QThread *const previous = m_slot->postingThread.exchange(QThread::currentThread());
    m_center->post(m_requestName, request);
    m_slot->postingThread.store(previous);
    return m_slot->answered;
}
