#pragma once

#include "AtomicPackageWriter.h"
#include "tasks/TaskWorker.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

class NotificationCenter;

// Saves a document (task 202): writes the archived root into the working
// folder as "documentSource.pagestyle", then replaces the package with a
// copy of the working folder's files, atomically, and announces it with
// "notifSaveWrapperDirectory". A failed save leaves the old package as it was.
class SaveForEncod : public TaskWorker
{
public:
    void run(const QVariantMap &task) override;

    // Reports and the result go here instead of the default centre; not owned.
    void setNotificationCenter(NotificationCenter *center) { m_center = center; }
    // The package writer, for tests to inject failures.
    AtomicPackageWriter &packageWriter() { return m_packageWriter; }

    // "cachesFolderID", "folderPath", "filePath" (the package),
    // "documentSource" (ArchivableSnapshotPtr).
    bool saveWorkWrapperFileObject(const QVariantMap &task);

    // Posts "notifIndicatorStepOfSave".
    void indicatorAtStep(int step, double count, const QString &message);

    qint32 cachesFolderID() const { return m_cachesFolderID; }
    const QString &userFileCachesFolderPath() const { return m_userFileCachesFolderPath; }
    bool registerUserFileCachesFolderPath(const QString &path);
    const QString &saveingFileTitle() const { return m_saveingFileTitle; }
    bool registerSaveingFileTitle(const QString &title);
    const QString &saveingFilePath() const { return m_saveingFilePath; }
    bool registerSaveingFilePath(const QString &path);
    double fileDataSize() const { return m_fileDataSize; }
    const QString &saveWrapperFilePath() const { return m_saveWrapperFilePath; }
    bool registerSaveWrapperFilePath(const QString &path);
    double fileWrapperSize() const { return m_fileWrapperSize; }
    double workWrapperSize() const { return m_workWrapperSize; }

private:
    bool saveSteps(const QVariantMap &task);
    bool saveEncodDataAtData(const QByteArray &data);
    bool saveWrapperFile();
    NotificationCenter &center() const;

    qint32 m_cachesFolderID = 0;
    QString m_userFileCachesFolderPath;
    QString m_saveingFileTitle;
    QString m_saveingFilePath;
    double m_fileDataSize = 0.0;
    QString m_saveWrapperFilePath;
    double m_fileWrapperSize = 0.0;
    double m_workWrapperSize = 0.0;
    AtomicPackageWriter m_packageWriter;
    NotificationCenter *m_center = nullptr;
    QString m_failureReason;
};
