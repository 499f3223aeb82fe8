#pragma once

#include "tasks/TaskWorker.h"

#include <QString>
#include <QVariantMap>

class NotificationCenter;

// Reads one list file of a working folder (task 243) in chunks, decodes the
// list item under "listItem" and hands it to the document with
// "developExistingFileUnfoldNotif".
class ReadingForEncod : public TaskWorker
{
public:
    void run(const QVariantMap &task) override;

    // Reports and the result go here instead of the default centre; not owned.
    void setNotificationCenter(NotificationCenter *center) { m_center = center; }

    // "cachesFolderID", "folderPath", "filePass" (a plain file name),
    // "documentFileName", "state". False for an incomplete request or a
    // missing or unreadable file; true otherwise, even when nothing decoded.
    bool openWorkReadingFileObject(const QVariantMap &task);

    // Posts "notifIndicatorStepOfReading".
    void indicatorAtStep(int step, double count, const QString &message);

    qint32 cachesFolderID() const { return m_cachesFolderID; }
    const QString &userFileCachesFolderPath() const { return m_userFileCachesFolderPath; }
    const QString &readingFileTitle() const { return m_readingFileTitle; }
    const QString &readingFilePath() const { return m_readingFilePath; }
    const QString &documentFileName() const { return m_documentFileName; }
    bool documentState() const { return m_documentState; }
    double fileDataSize() const { return m_fileDataSize; }

private:
    NotificationCenter &center() const;

    qint32 m_cachesFolderID = 0;
    QString m_userFileCachesFolderPath;
    QString m_readingFileTitle;
    QString m_readingFilePath;
    QString m_documentFileName;
    bool m_documentState = false;
    double m_fileDataSize = 0.0;
    NotificationCenter *m_center = nullptr;
};
