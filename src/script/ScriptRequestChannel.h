#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>
#include <memory>

class NotificationCenter;

// An interpreter's line to the document: it posts a request notification
// and takes the answer the document posts back while that post is still
// running, on the posting thread. Answers meant for other interpreters, or
// posted on other threads, never reach it.
class ScriptRequestChannel
{
public:
    // Observes answers from the moment it exists; `onAnswer` runs only
    // inside this channel's own post().
    ScriptRequestChannel(NotificationCenter *center, const QString &requestName, const QString &answerName,
                         std::function<void(const QVariant &)> onAnswer);
    ~ScriptRequestChannel();
    ScriptRequestChannel(const ScriptRequestChannel &) = delete;
    ScriptRequestChannel &operator=(const ScriptRequestChannel &) = delete;

    // True when an answer arrived.
    bool post(const QVariantMap &request);

private:
    struct Slot;

    NotificationCenter *m_center;
    QString m_requestName;
    std::shared_ptr<Slot> m_slot;
    quint64 m_observerToken = 0;
};
