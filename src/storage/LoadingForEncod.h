#pragma once

#include "DirectoryWrapper.h"
#include "tasks/TaskWorker.h"

#include <QString>
#include <QVariantMap>

class NotificationCenter;

// Opens a package (task 101): copies each entry a package may hold into the
// document's working folder, streamed and size-capped, checks that the root
// can be read, and announces the filled folder with
// "notifLoadingWrapperDirectory".
class LoadingForEncod : public TaskWorker
{
public:
    void run(const QVariantMap &task) override;

    // Reports and the result go here instead of the default centre; not owned.
    void setNotificationCenter(NotificationCenter *center) { m_center = center; }

    // "folderPath", "wrapper" (DirectoryWrapperPtr), optional "cachesFolderID".
    // True when every file of the package reached the working folder.
    bool openWorkWrapperFileObject(const QVariantMap &task);

    // Posts "notifIndicatorStepOfLoading".
    void indicatorAtStep(int step, double count, const QString &message);

    qint32 cachesFolderID() const { return m_cachesFolderID; }
    const QString &userFileCachesFolderPath() const { return m_userFileCachesFolderPath; }
    bool registerUserFileCachesFolderPath(const QString &path);
    const DirectoryWrapperPtr &workFileAtWrapper() const { return m_workFileAtWrapper; }
    double wrapperSize() const { return m_wrapperSize; }
    double writeFileSize() const { return m_writeFileSize; }
    // Why the last open failed, naming the file; also the failure step's message.
    QString failureReason() const { return m_failureReason; }

private:
    bool confirmFileAtWrapper();
    bool loadFileAtWrapper();
    bool loadMember(const DirectoryWrapper::Member &member, qint64 cap);
    bool confirmRootIsReadable();
    bool failWith(const QString &reason);
    void reportCopied();
    NotificationCenter &center() const;

    qint32 m_cachesFolderID = 0;
    QString m_userFileCachesFolderPath;
    DirectoryWrapperPtr m_workFileAtWrapper;
    double m_wrapperSize = 0.0;
    double m_writeFileSize = 0.0;
    NotificationCenter *m_center = nullptr;
    QString m_failureReason;
};
