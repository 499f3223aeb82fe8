#pragma once

#include "AlertPresenter.h"

#include <QList>
#include <QMutex>
#include <QQueue>

class QTextStream;

// Answers alerts without a window, for the CLI and tests: first from a queue
// of scripted buttons, then by a fixed policy (the default button unless set
// otherwise). Every alert shown is recorded and may be echoed to a stream.
// A button the alert does not have is answered as its default button, as a
// user could not have pressed it. Safe to use from several threads.
class PolicyAlertPresenter : public AlertPresenter
{
public:
    explicit PolicyAlertPresenter(AlertButton fallback = AlertButton::Default);

    AlertButton present(const AlertContent &content) override;

    // Answers for the next alerts, in order; the policy takes over after them.
    void enqueue(AlertButton button);
    void enqueue(std::initializer_list<AlertButton> buttons);
    qsizetype pendingAnswers() const;

    void setFallback(AlertButton button);
    AlertButton fallback() const;

    // The stream outlives the presenter or is unset first; nullptr stops echoing.
    void setEcho(QTextStream *stream);

    QList<AlertContent> shownAlerts() const;
    qsizetype shownCount() const;
    void clearShownAlerts();

private:
    void echo(const AlertContent &content, AlertButton answer);

    mutable QMutex m_mutex;
    QQueue<AlertButton> m_script;
    AlertButton m_fallback;
    QList<AlertContent> m_shown;
    QTextStream *m_echo = nullptr;
};
