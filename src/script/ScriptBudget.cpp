#include "ScriptBudget.h"

void ScriptBudget::reset()
{
    m_steps = 0;
    m_depth = 0;
    m_fetches = 0;
    m_stopText.clear();
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
    return true;
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
    if (!checkCancel())
        return false;
    if (m_fetches >= m_limits.maxFetches) {
        stop(QStringLiteral("the run may read at most %1 URLs").arg(m_limits.maxFetches));
        return false;
    }
    ++m_fetches;
    return true;
}
