#pragma once

#include "platform/FileDescriptor.h"

#include <QString>

// Marks a package as open for writing by one process (or one document): an
// exclusive flock on a hidden ".NAME.lock" beside the package. The lock lives
// beside it because a save swaps the package folder itself. Advisory: it
// keeps out every writer of this application, not other programs.
class PackageLock
{
public:
    explicit PackageLock(const QString &packagePath);
    ~PackageLock();
    PackageLock(const PackageLock &) = delete;
    PackageLock &operator=(const PackageLock &) = delete;

    // False with errorString() when another writer holds it or the lock file
    // cannot be made (a missing folder is named).
    bool tryLock();
    void unlock();
    bool isLocked() const { return m_file.isValid(); }
    QString errorString() const { return m_error; }
    QString packagePath() const { return m_packagePath; }

    // The package path with links resolved, so that two spellings of one
    // package meet at one lock; empty when its folder does not exist.
    static QString resolvedPackagePath(const QString &packagePath);
    static QString lockFilePath(const QString &resolvedPackagePath);

private:
    QString m_packagePath;
    QString m_lockPath;
    FileDescriptor m_file;
    QString m_error;
};
