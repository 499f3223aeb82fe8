#include "ScriptBudget.h"

#include <algorithm>

void ScriptBudget::reset()
{
    m_steps = 0;
    m_depth = 0;
    m_fetches = 0;
    m_stopText.clear();
    m_clock.start();
}

qint64 ScriptBudget::remainingMs() const
{
    if (m_limits.deadlineMs <= 0)
        return -1;
    if (!m_clock.isValid())
        return m_limits.deadlineMs;
    return std::max<qint64>(0, m_limits.deadlineMs - m_clock.elapsed());
}

bool ScriptBudget::checkDeadline()
{
    if (remainingMs() == 0)
        stop(QStringLiteral("the run passed its time limit of %1 s").arg(double(m_limits.deadlineMs) / 1000.0));
    return !stopped();
}

void ScriptBudget::stop(const QString &text)
{
    if (m_stopText.isEmpty())
        m_stopText = text;
}

bool ScriptBudget::checkCancel()
{
    if (cancelled())
        stop(QStringLiteral("the run was cancelled"));
    return !stopped();
}

bool ScriptBudget::spendStep()
{
    if (!checkCancel())
        return false;
    if (m_steps >= m_limits.maxSteps) {
        stop(QStringLiteral("the run used up its %1 steps").arg(m_limits.maxSteps));
        return false;
    }
    ++m_steps;
    // Reading the clock costs more than a step; every 1024th is often enough.
    return (m_steps & 1023) != 0 || checkDeadline();
}

bool ScriptBudget::enterDepth()
{
    if (!checkCancel())
        return false;
    if (m_depth >= m_limits.maxDepth) {
        stop(QStringLiteral("expressions are nested deeper than %1 levels").arg(m_limits.maxDepth));
        return false;
    }
    ++m_depth;
    return true;
}

void ScriptBudget::leaveDepth()
{
    if (m_depth > 0)
        --m_depth;
}

bool ScriptBudget::spendFetch()
{
    if (!checkCancel() || !checkDeadline())
        return false;
    if (m_fetches >= m_limits.maxFetches) {
        stop(QStringLiteral("the run may read at most %1 URLs").arg(m_limits.maxFetches));
        return false;
    }
    ++m_fetches;
    return true;
}
