#pragma once

#include <QString>
#include <QVariantMap>

#include <memory>

class TaskRunner;

// The progress model and task dispatcher: turns a task dictionary into a
// started worker and a panel title, and a reported step into the panel's
// comment and whether the panel closes. Not stored; main thread only.
class IndicatorSource
{
public:
    IndicatorSource();
    ~IndicatorSource();
    IndicatorSource(const IndicatorSource &) = delete;
    IndicatorSource &operator=(const IndicatorSource &) = delete;

    void initializationUserObject();

    QString panelTitle() const { return m_panelTitle; }
    int indicatorTargeted() const { return m_indicatorTargeted; }
    int indicatorStep() const { return m_indicatorStep; }
    double indicatorCount() const { return m_indicatorCount; }
    QString indicatorMessage() const { return m_indicatorMessage; }
    QString commentText() const { return m_commentText; }
    bool closeState() const { return m_closeState; }

    bool registerPanelTitle(const QString &title);
    void registerIndicatorTargeted(int code);
    void registerIndicatorStep(int step);
    void registerIndicatorCount(double count);
    bool registerIndicatorMessage(const QString &message);
    bool registerCommentText(const QString &comment);
    void registerCloseState(bool state);

    bool confirmPanelTitle() const;
    bool confirmIndicatorMessage() const;
    bool confirmCommentText() const;

    // Stores a report as it came.
    void indicatorAtStep(int step, double count, const QString &message);
    // Derives the comment and the close state from the stored step; a step
    // without a rule leaves both as they were.
    void indicatorAtStep();

    // Chooses the task by "targeted": records its first step and the panel
    // title, starts its worker, and answers whether the panel is to be
    // shown. false for an empty dictionary or on failure (nothing started).
    bool targetedWorkAtObject(const QVariantMap &task);

    TaskRunner &taskRunner();

private:
    QString m_panelTitle;
    int m_indicatorTargeted = 0;
    int m_indicatorStep = 0;
    double m_indicatorCount = 0.0;
    QString m_indicatorMessage;
    QString m_commentText;
    bool m_closeState = false;
    std::unique_ptr<TaskRunner> m_taskRunner;
};
