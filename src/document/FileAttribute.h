#pragma once

#include <QString>
#include <QVariantMap>

// Where an open document lives: its package on disk, the package's
// attributes as read when it was opened, and its working folder. Not archived.
class FileAttribute
{
public:
    qint32 targeted() const { return m_targeted; }
    void registerTargeted(qint32 code) { m_targeted = code; }

    const QString &wrapperFilePath() const { return m_wrapperFilePath; }
    bool registerWrapperFilePath(const QString &value);
    bool confirmWrapperFilePath() const { return !m_wrapperFilePath.isEmpty(); }

    const QString &wrapperFileName() const { return m_wrapperFileName; }
    bool registerWrapperFileName(const QString &value);
    bool confirmWrapperFileName() const { return !m_wrapperFileName.isEmpty(); }

    const QVariantMap &fileAttributesOfDictionary() const { return m_fileAttributesOfDictionary; }
    // An empty dictionary changes nothing.
    bool registerFileAttributesOfDictionary(const QVariantMap &dictionary);
    bool confirmFileAttributesOfDictionary() const { return !m_fileAttributesOfDictionary.isEmpty(); }

    const QString &fileCachesFolderPath() const { return m_fileCachesFolderPath; }
    bool registerFileCachesFolderPath(const QString &value);
    bool confirmFileCachesFolderPath() const { return !m_fileCachesFolderPath.isEmpty(); }

    bool setTheEnvironmentalAtDecoder(const FileAttribute *other);
    QString logText() const;

    // The file's size as the file system reports it, through a symbolic
    // link; 0 when nothing is there.
    static double fileSizeAtPath(const QString &path);
    // Bytes of the directory's immediate regular files, skipping the entries
    // packages ignore and every sub-directory.
    static double fileSizeAtWrapper(const QString &directoryPath);
    // The attributes of a package directory worth keeping: size, permissions,
    // modification date.
    static QVariantMap fileAttributesAtPath(const QString &path);

private:
    qint32 m_targeted = 0;
    QString m_wrapperFilePath;
    QString m_wrapperFileName;
    QVariantMap m_fileAttributesOfDictionary;
    QString m_fileCachesFolderPath;
};
