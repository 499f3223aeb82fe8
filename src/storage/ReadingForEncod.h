#pragma once

#include "StorageTaskWorker.h"

#include <QString>
#include <QVariantMap>

// Reads one list file of a working folder (task 243) in chunks, decodes the
// list item under "listItem" and hands it to the document with
// "developExistingFileUnfoldNotif".
class ReadingForEncod : public StorageTaskWorker
{
public:
    ReadingForEncod();
    void run(const QVariantMap &task) override;

    // "cachesFolderID", "folderPath", "filePass" (a plain file name),
    // "documentFileName", "state". False for an incomplete request or a
    // missing or unreadable file; true otherwise, even when nothing decoded.
    bool openWorkReadingFileObject(const QVariantMap &task);

    const QString &userFileCachesFolderPath() const { return workingFolder(); }
    const QString &readingFileTitle() const { return m_readingFileTitle; }
    const QString &readingFilePath() const { return m_readingFilePath; }
    const QString &documentFileName() const { return m_documentFileName; }
    bool documentState() const { return m_documentState; }
    double fileDataSize() const { return m_fileDataSize; }

private:
    QString m_readingFileTitle;
    QString m_readingFilePath;
    QString m_documentFileName;
    bool m_documentState = false;
    double m_fileDataSize = 0.0;
};
