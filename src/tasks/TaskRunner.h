#pragma once

#include "tasks/TaskWorker.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class QThread;

// Starts each task on a new thread with a new worker made by the factory
// registered for its task code, and owns those threads until they end.
// Subsystems plug their workers in with registerWorker(); the panel rules
// that need only the task dictionary are built in.
class TaskRunner : public QObject
{
    Q_OBJECT
public:
    using WorkerFactory = std::function<std::unique_ptr<TaskWorker>()>;
    using PanelRule = std::function<bool(const QVariantMap &)>;

    // Strict limits: a task exactly at the limit runs without the panel.
    static constexpr qint64 kImportPanelBytes = 1048576;
    static constexpr qint64 kReadPanelBytes = 10485760;
    static constexpr qsizetype kExportPanelEntries = 1000;

    explicit TaskRunner(QObject *parent = nullptr);
    // Waits for every running task.
    ~TaskRunner() override;

    // A rule given here replaces the built-in one for the code.
    void registerWorker(int code, WorkerFactory factory, PanelRule panelRule = {});
    bool hasWorker(int code) const;
    // A fresh worker for the code, for callers that run a task in place on
    // their own thread (the command-line tool); null for an unknown code.
    std::unique_ptr<TaskWorker> makeWorker(int code) const;

    // Whether the task is worth the progress panel; false for a code
    // without any rule.
    bool showsPanel(int code, const QVariantMap &task) const;

    // Runs the code's worker on a new thread; false (and logged) when no
    // worker is registered. threadEntry names the thread in failure lines.
    bool start(int code, const QString &threadEntry, const QVariantMap &task);

    // Waits until every task has ended (msecs < 0: without limit); true when
    // none is left running.
    bool waitForAll(int msecs = -1);
    int runningCount() const;

private:
    struct Registration
    {
        WorkerFactory factory;
        PanelRule panelRule;
    };

    static PanelRule builtInPanelRule(int code);
    void reapFinished();

    // A standard mutex, so that thread sanitizers see the locking.
    mutable std::mutex m_mutex;
    std::map<int, Registration> m_registrations;
    // Shared so that a waiter keeps a thread object alive while another
    // caller reaps it.
    std::vector<std::shared_ptr<QThread>> m_threads;
};
