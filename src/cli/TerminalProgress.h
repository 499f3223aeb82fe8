#pragma once

#include "platform/NotificationCenter.h"

#include <QElapsedTimer>
#include <QStringList>

// Draws a progress bar on stderr from the workers' step notifications, but
// only when stderr is a terminal and the work has run for a moment, so that
// short runs and redirected output stay clean.
class TerminalProgress
{
public:
    explicit TerminalProgress(const QString &label);
    ~TerminalProgress();

    void finish();

private:
    void draw(double percent);

    QString m_label;
    bool m_enabled = false;
    bool m_drawn = false;
    int m_lastPermille = -1;
    QElapsedTimer m_timer;
    QList<NotificationCenter::Token> m_tokens;
};
