#pragma once

#include "DirectoryWrapper.h"
#include "StorageTaskWorker.h"

#include <QString>
#include <QVariantMap>

// Opens a package (task 101): copies each entry a package may hold into the
// document's working folder, streamed and size-capped, checks that the root
// can be read, and announces the filled folder with
// "notifLoadingWrapperDirectory".
class LoadingForEncod : public StorageTaskWorker
{
public:
    LoadingForEncod();
    void run(const QVariantMap &task) override;

    // "folderPath", "wrapper" (DirectoryWrapperPtr), optional "cachesFolderID".
    // True when every file of the package reached the working folder.
    bool openWorkWrapperFileObject(const QVariantMap &task);

    const QString &userFileCachesFolderPath() const { return workingFolder(); }
    bool registerUserFileCachesFolderPath(const QString &path) { return registerWorkingFolder(path); }
    const DirectoryWrapperPtr &workFileAtWrapper() const { return m_workFileAtWrapper; }
    double wrapperSize() const { return m_wrapperSize; }
    double writeFileSize() const { return m_writeFileSize; }
    // Why the last open failed, naming the file; also the failure step's message.
    using StorageTaskWorker::failureReason;

private:
    bool confirmFileAtWrapper();
    bool loadFileAtWrapper();
    bool loadMember(const DirectoryWrapper::Member &member, qint64 cap);
    bool confirmRootIsReadable();
    void reportCopied();

    DirectoryWrapperPtr m_workFileAtWrapper;
    double m_wrapperSize = 0.0;
    double m_writeFileSize = 0.0;
};
