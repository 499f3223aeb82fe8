#pragma once

#include "tasks/TaskWorker.h"

#include <QString>
#include <QVariantMap>

class NotificationCenter;

// What every storage worker shares: the centre it reports to (the default
// one unless set), the document it works for, that document's working
// folder, its step notification and why its last run failed.
class StorageTaskWorker : public TaskWorker
{
public:
    // Reports and the result go here instead of the default centre; not owned.
    void setNotificationCenter(NotificationCenter *center) { m_center = center; }

    // Posts this worker's step notification.
    void indicatorAtStep(int step, double count, const QString &message);

    qint32 cachesFolderID() const { return m_cachesFolderID; }

protected:
    // classWords names the worker in error-log lines; stepName is the
    // notification its progress steps are posted under.
    StorageTaskWorker(const QString &classWords, const QString &stepName);

    NotificationCenter &center() const;

    // The request's "cachesFolderID", 0 without one.
    void registerCachesFolderID(const QVariantMap &task);

    const QString &workingFolder() const { return m_workingFolder; }
    bool registerWorkingFolder(const QString &path) { return registerText(m_workingFolder, path); }

    // Why the last run failed, naming the file; empty when it did not or
    // when no reason is known.
    QString failureReason() const { return m_failureReason; }
    void clearFailureReason() { m_failureReason.clear(); }
    // Records the reason and answers false, for `return failWith(...)`.
    bool failWith(const QString &reason);

    // Stores value (never a null string); false when it is empty.
    static bool registerText(QString &field, const QString &value);

private:
    QString m_classWords;
    QString m_stepName;
    NotificationCenter *m_center = nullptr;
    qint32 m_cachesFolderID = 0;
    QString m_workingFolder;
    QString m_failureReason;
};
