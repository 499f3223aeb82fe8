#pragma once

#include "AtomicPackageWriter.h"
#include "StorageTaskWorker.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// Saves a document (task 202): writes the archived root into the working
// folder as "documentSource.pagestyle", then replaces the package with a
// copy of the working folder's files, atomically, and announces it with
// "notifSaveWrapperDirectory". A failed save leaves the old package as it was.
class SaveForEncod : public StorageTaskWorker
{
public:
    SaveForEncod();
    void run(const QVariantMap &task) override;
    // The package writer, for tests to inject failures.
    AtomicPackageWriter &packageWriter() { return m_packageWriter; }

    // "cachesFolderID", "folderPath", "filePath" (the package),
    // "documentSource" (ArchivableSnapshotPtr).
    bool saveWorkWrapperFileObject(const QVariantMap &task);

    const QString &userFileCachesFolderPath() const { return workingFolder(); }
    bool registerUserFileCachesFolderPath(const QString &path) { return registerWorkingFolder(path); }
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

    QString m_saveingFileTitle;
    QString m_saveingFilePath;
    double m_fileDataSize = 0.0;
    QString m_saveWrapperFilePath;
    double m_fileWrapperSize = 0.0;
    double m_workWrapperSize = 0.0;
    AtomicPackageWriter m_packageWriter;
};
