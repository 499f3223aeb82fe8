#include "PackageLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

PackageLock::PackageLock(const QString &packagePath)
    : m_packagePath(packagePath)
{
}

PackageLock::~PackageLock()
{
    unlock();
}

QString PackageLock::resolvedPackagePath(const QString &packagePath)
{
    const QFileInfo package(QDir::cleanPath(QFileInfo(packagePath).absoluteFilePath()));
    const QString existing = package.canonicalFilePath();
    if (!existing.isEmpty())
        return existing;
    const QString folder = QFileInfo(package.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(package.fileName());
}

QString PackageLock::lockFilePath(const QString &resolvedPackagePath)
{
    const QFileInfo package(resolvedPackagePath);
    return package.absolutePath() + u"/."_s + package.fileName() + u".lock"_s;
}

bool PackageLock::tryLock()
{
    if (isLocked())
        return true;
    m_error.clear();
    const QString resolved = resolvedPackagePath(m_packagePath);
    if (resolved.isEmpty()) {
        m_error = u"the folder \"%1\" does not exist"_s.arg(QFileInfo(m_packagePath).absolutePath());
        return false;
    }
    m_lockPath = lockFilePath(resolved);
    const QByteArray encoded = QFile::encodeName(m_lockPath);
    // A holder that is done removes the file; a lock taken on the removed
    // file would guard nothing, so it is taken again on the new one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        FileDescriptor file(::open(encoded.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file.isValid()) {
            m_error = u"cannot make the lock \"%1\": %2"_s.arg(m_lockPath, FileDescriptor::lastError());
            return false;
        }
        if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK) {
                m_error = u"cannot lock \"%1\": %2"_s.arg(m_lockPath, FileDescriptor::lastError());
                return false;
            }
            QByteArray holder;
            QString ignored;
            file.readAtMost(32, &holder, &ignored);
            const QString who = holder.trimmed().isEmpty() ? QString() : u" (process %1)"_s.arg(QString::fromLatin1(holder.trimmed()));
            m_error = u"%1 is already open for writing%2"_s.arg(resolved, who);
            return false;
        }
        struct stat held;
        struct stat named;
        if (::fstat(file.get(), &held) != 0 || ::lstat(encoded.constData(), &named) != 0
            || held.st_dev != named.st_dev || held.st_ino != named.st_ino)
            continue;
        // Only for the refusal message of the next writer.
        const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
        if (::ftruncate(file.get(), 0) == 0)
            file.writeAll(pid.constData(), pid.size());
        m_file = std::move(file);
        return true;
    }
    m_error = u"cannot lock \"%1\": it keeps being replaced"_s.arg(m_lockPath);
    return false;
}

void PackageLock::unlock()
{
    if (!isLocked())
        return;
    // Removed while still held, so no other writer can be holding it.
    ::unlink(QFile::encodeName(m_lockPath).constData());
    m_file.reset();
}
