#pragma once

#include "StorageTaskWorker.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// Writes one list item into the working folder as its list file (task 242),
// atomically and in 1 MiB chunks, then announces it with
// "finishWriteListItemNotif".
class WritingForEncod : public StorageTaskWorker
{
public:
    WritingForEncod();
    void run(const QVariantMap &task) override;

    // "cachesFolderID", "folderPath", "fileName" (a plain file name),
    // "listItemSource" (ListItemPtr), "documentFileName".
    bool writEncodDataAtObject(const QVariantMap &task);

    const QString &fileCachesFolderPath() const { return workingFolder(); }
    bool registerFileCachesFolderPath(const QString &path) { return registerWorkingFolder(path); }
    const QString &writingFileTitle() const { return m_writingFileTitle; }
    bool registerWritingFileTitle(const QString &title);
    const QString &writingFilePath() const { return m_writingFilePath; }
    bool registerWritingFilePath(const QString &path);
    const QString &documentFileName() const { return m_documentFileName; }
    bool registerDocumentFileName(const QString &name);
    double fileDataSize() const { return m_fileDataSize; }

private:
    bool writeEncodData(const QByteArray &data);

    QString m_writingFileTitle;
    QString m_writingFilePath;
    QString m_documentFileName;
    double m_fileDataSize = 0.0;
};
