#pragma once

#include "tasks/TaskWorker.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

class NotificationCenter;

// Writes one list item into the working folder as its list file (task 242),
// atomically and in 1 MiB chunks, then announces it with
// "finishWriteListItemNotif".
class WritingForEncod : public TaskWorker
{
public:
    void run(const QVariantMap &task) override;

    // Reports and the result go here instead of the default centre; not owned.
    void setNotificationCenter(NotificationCenter *center) { m_center = center; }

    // "cachesFolderID", "folderPath", "fileName" (a plain file name),
    // "listItemSource" (ListItemPtr), "documentFileName".
    bool writEncodDataAtObject(const QVariantMap &task);

    // Posts "notifIndicatorStepOfWriting".
    void indicatorAtStep(int step, double count, const QString &message);

    qint32 cachesFolderID() const { return m_cachesFolderID; }
    const QString &fileCachesFolderPath() const { return m_fileCachesFolderPath; }
    bool registerFileCachesFolderPath(const QString &path);
    const QString &writingFileTitle() const { return m_writingFileTitle; }
    bool registerWritingFileTitle(const QString &title);
    const QString &writingFilePath() const { return m_writingFilePath; }
    bool registerWritingFilePath(const QString &path);
    const QString &documentFileName() const { return m_documentFileName; }
    bool registerDocumentFileName(const QString &name);
    double fileDataSize() const { return m_fileDataSize; }

private:
    bool writeEncodData(const QByteArray &data);
    NotificationCenter &center() const;

    qint32 m_cachesFolderID = 0;
    QString m_fileCachesFolderPath;
    QString m_writingFileTitle;
    QString m_writingFilePath;
    QString m_documentFileName;
    double m_fileDataSize = 0.0;
    NotificationCenter *m_center = nullptr;
};
