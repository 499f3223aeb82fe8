#include "TaskRunner.h"

#include "platform/ErrorLog.h"
#include "platform/LogCategories.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QSequentialIterable>
#include <QThread>
#include "platform/RequestKey.h"
#include "platform/TaskCode.h"

namespace {

qint64 fileSize(const QString &path)
{
    if (path.isEmpty())
        return 0;
    const QFileInfo info(path);
    return info.isFile() ? info.size() : 0;
}

qsizetype entryCount(const QVariant &value)
{
    if (!value.isValid() || !value.canConvert<QSequentialIterable>())
        return 0;
    return value.value<QSequentialIterable>().size();
}

} // namespace

TaskRunner::TaskRunner(QObject *parent)
    : QObject(parent)
{
}

TaskRunner::~TaskRunner()
{
    waitForAll(-1);
}

TaskRunner::PanelRule TaskRunner::builtInPanelRule(int code)
{
    switch (code) {
    case TaskCode::importFile:
        return [](const QVariantMap &task) {
            return fileSize(task.value(RequestKey::filePass).toString()) > kImportPanelBytes;
        };
    case TaskCode::readListFile:
        return [](const QVariantMap &task) {
            if (!task.value(QStringLiteral("state")).toBool())
                return false;
            const QString folder = task.value(QStringLiteral("folderPath")).toString();
            const QString name = task.value(RequestKey::filePass).toString();
            if (folder.isEmpty() || name.isEmpty())
                return false;
            return fileSize(QDir(folder).filePath(name)) > kReadPanelBytes;
        };
    case TaskCode::retitleColumns:
    case TaskCode::markAllRows:
        return [](const QVariantMap &) { return true; };
    case TaskCode::exportRows:
        return [](const QVariantMap &task) {
            return entryCount(task.value(RequestKey::itemObject)) > kExportPanelEntries;
        };
    default:
        return {};
    }
}

void TaskRunner::registerWorker(int code, WorkerFactory factory, PanelRule panelRule)
{
    std::lock_guard lock(m_mutex);
    m_registrations[code] = Registration{std::move(factory), std::move(panelRule)};
}

std::unique_ptr<TaskWorker> TaskRunner::makeWorker(int code) const
{
    WorkerFactory factory;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_registrations.find(code);
        if (it == m_registrations.end())
            return nullptr;
        factory = it->second.factory;
    }
    return factory ? factory() : nullptr;
}

bool TaskRunner::hasWorker(int code) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_registrations.find(code);
    return it != m_registrations.end() && it->second.factory;
}

bool TaskRunner::showsPanel(int code, const QVariantMap &task) const
{
    PanelRule rule;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_registrations.find(code);
        if (it != m_registrations.end())
            rule = it->second.panelRule;
    }
    if (!rule)
        rule = builtInPanelRule(code);
    // Rules may stat files or count rows; never under the lock.
    return rule ? rule(task) : false;
}

bool TaskRunner::start(int code, const QString &threadEntry, const QVariantMap &task)
{
    WorkerFactory factory;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_registrations.find(code);
        if (it != m_registrations.end())
            factory = it->second.factory;
    }
    if (!factory) {
        qCWarning(lcTasks).noquote() << QStringLiteral("No worker registered for task %1 (%2)")
                                            .arg(code)
                                            .arg(threadEntry);
        return false;
    }
    reapFinished();

    std::shared_ptr<QThread> thread(
        QThread::create([factory, threadEntry, task] {
            try {
                // Made and destroyed on this thread; unwinding destroys it too.
                std::unique_ptr<TaskWorker> worker = factory();
                if (worker)
                    worker->run(task);
            } catch (...) {
                ErrorLog::err(lcTasks(), u"Indicator Source", threadEntry,
                              ErrorLog::currentExceptionName());
            }
        }),
        [](QThread *finishedThread) {
            // isFinished() turns true while finish() may still be unwinding.
            finishedThread->wait();
            delete finishedThread;
        });
    thread->setObjectName(threadEntry);
    connect(thread.get(), &QThread::finished, this, &TaskRunner::reapFinished,
            Qt::QueuedConnection);
    {
        std::lock_guard lock(m_mutex);
        m_threads.push_back(thread);
    }
    thread->start();
    return true;
}

void TaskRunner::reapFinished()
{
    std::vector<std::shared_ptr<QThread>> finished;
    {
        std::lock_guard lock(m_mutex);
        auto kept = m_threads.begin();
        for (auto &thread : m_threads) {
            if (thread->isFinished())
                finished.push_back(std::move(thread));
            else
                *kept++ = std::move(thread);
        }
        m_threads.erase(kept, m_threads.end());
    }
    // The last references go here, outside the lock.
    finished.clear();
}

bool TaskRunner::waitForAll(int msecs)
{
    const QDeadlineTimer deadline = msecs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever)
                                              : QDeadlineTimer(msecs);
    for (;;) {
        std::vector<std::shared_ptr<QThread>> running;
        {
            std::lock_guard lock(m_mutex);
            running = m_threads;
        }
        if (running.empty())
            return true;
        for (const auto &thread : running) {
            if (!thread->wait(deadline)) {
                running.clear();
                reapFinished();
                return false;
            }
        }
        running.clear();
        // Tasks may have started further tasks meanwhile.
        reapFinished();
    }
}

int TaskRunner::runningCount() const
{
    std::lock_guard lock(m_mutex);
    int count = 0;
    for (const auto &thread : m_threads) {
        if (!thread->isFinished())
            ++count;
    }
    return count;
}
