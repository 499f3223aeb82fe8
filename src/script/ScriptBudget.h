#pragma once

#include <QElapsedTimer>
#include <QString>

#include <atomic>

// The limits of one script run: a step budget (evaluations and loop passes),
// a nesting depth, a number of URL fetches, and a cancel flag that any thread
// may raise. Once a limit is hit the budget stays stopped, so every further
// evaluation fails at once and the run unwinds with stopText().
class ScriptBudget
{
public:
    struct Limits
    {
        qint64 maxSteps = 200000;
        int maxDepth = 48;
        int maxFetches = 16;
        // The whole run, URL reads included; 0 or less for none.
        qint64 deadlineMs = 120000;
    };

    ScriptBudget() = default;
    explicit ScriptBudget(const Limits &limits) : m_limits(limits) {}

    const Limits &limits() const { return m_limits; }
    void setLimits(const Limits &limits) { m_limits = limits; }

    // Starts a new run: counters to zero, the stop cleared and the deadline's
    // clock started. A cancel raised before stays raised.
    void reset();

    // Each answers false, and stops the budget, when the limit is passed or
    // the run was cancelled.
    bool spendStep();
    bool enterDepth();
    void leaveDepth();
    bool spendFetch();

    // Safe from any thread.
    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    void clearCancel() { m_cancelled.store(false, std::memory_order_relaxed); }
    bool cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

    bool stopped() const { return !m_stopText.isEmpty(); }
    const QString &stopText() const { return m_stopText; }
    qint64 stepsUsed() const { return m_steps; }
    int depth() const { return m_depth; }
    int fetchesUsed() const { return m_fetches; }
    // Time left before the deadline, or -1 without one.
    qint64 remainingMs() const;

private:
    bool checkCancel();
    bool checkDeadline();
    void stop(const QString &text);

    Limits m_limits;
    qint64 m_steps = 0;
    int m_depth = 0;
    int m_fetches = 0;
    QElapsedTimer m_clock;
    QString m_stopText;
    std::atomic<bool> m_cancelled{false};
};

// Holds one level of nesting for as long as it lives.
class ScriptDepthGuard
{
public:
    explicit ScriptDepthGuard(ScriptBudget &budget) : m_budget(budget), m_entered(budget.enterDepth()) {}
    ~ScriptDepthGuard() { if (m_entered) m_budget.leaveDepth(); }
    ScriptDepthGuard(const ScriptDepthGuard &) = delete;
    ScriptDepthGuard &operator=(const ScriptDepthGuard &) = delete;
    bool entered() const { return m_entered; }

private:
    ScriptBudget &m_budget;
    bool m_entered;
};
