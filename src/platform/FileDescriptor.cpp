#include "FileDescriptor.h"

#include "HugePageMemory.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileDescriptor::~FileDescriptor()
{
    reset();
}

FileDescriptor &FileDescriptor::operator=(FileDescriptor &&other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

FileDescriptor FileDescriptor::openDirectory(const QString &path)
{
    const QByteArray encoded = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return FileDescriptor(fd);
}

// A regular file opened without blocking (so that a fifo could not hang the
// open), made blocking again for reading.
static FileDescriptor readyRegularFile(FileDescriptor file, const struct stat &status, qint64 *size)
{
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags >= 0)
        ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK);
    if (size)
        *size = qint64(status.st_size);
    return file;
}

FileDescriptor FileDescriptor::openRegularFileAt(int directoryFd, const QString &name, qint64 *size)
{
    const QByteArray encoded = QFile::encodeName(name);
    int fd;
    // Non-blocking, so that a fifo swapped in after the listing cannot hang
    // the open; it is refused below like every other non-regular file.
    do {
        fd = ::openat(directoryFd, encoded.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    FileDescriptor file(fd);
    if (!file.isValid())
        return file;
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return FileDescriptor();
    if (!S_ISREG(status.st_mode)) {
        errno = EINVAL;
        return FileDescriptor();
    }
    return readyRegularFile(std::move(file), status, size);
}

// Why a path that exists is not a regular file, in words a user knows.
static QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder, not a file");
    if (S_ISFIFO(mode))
        return QStringLiteral("a pipe (fifo), not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device, not a file");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket, not a file");
    return QStringLiteral("not a regular file");
}

FileDescriptor FileDescriptor::openRegularFile(const QString &path, qint64 *size, QString *error)
{
    const QByteArray encoded = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    FileDescriptor file(fd);
    struct stat status;
    if (!file.isValid() || ::fstat(fd, &status) != 0) {
        if (errno == ENOENT)
            *error = QStringLiteral("no such file");
        else
            *error = lastError();
        return FileDescriptor();
    }
    if (!S_ISREG(status.st_mode)) {
        *error = kindOf(status.st_mode);
        return FileDescriptor();
    }
    return readyRegularFile(std::move(file), status, size);
}

bool FileDescriptor::readRegularFile(const QString &path, qint64 cap, QByteArray *bytes, QString *error)
{
    QString reason;
    qint64 size = 0;
    FileDescriptor file = openRegularFile(path, &size, &reason);
    if (file.isValid() && size > cap)
        reason = QStringLiteral("more than %1 bytes").arg(cap);
    else if (file.isValid() && file.readAtMost(cap, bytes, &reason))
        return true;
    *error = QStringLiteral("%1: %2").arg(path, reason);
    return false;
}

bool FileDescriptor::readAtMost(qint64 cap, QByteArray *bytes, QString *error)
{
    static constexpr qint64 kPiece = 1 << 16;
    QByteArray data;
    for (;;) {
        const qint64 room = std::min<qint64>(kPiece, cap + 1 - data.size());
        const qsizetype before = data.size();
        const qsizetype capacity = data.capacity();
        data.resize(before + qsizetype(room));
        if (data.capacity() != capacity)
            HugePageMemory::advise(data);
        const qint64 got = read(data.data() + before, room);
        data.resize(before + qsizetype(std::max<qint64>(got, 0)));
        if (got < 0) {
            *error = lastError();
            return false;
        }
        if (got == 0)
            break;
        if (data.size() > cap) {
            *error = QStringLiteral("more than %1 bytes").arg(cap);
            return false;
        }
    }
    // Null means "no file" to many callers; an empty file is not that.
    *bytes = data.isNull() ? QByteArray("") : data;
    return true;
}

int FileDescriptor::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void FileDescriptor::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

qint64 FileDescriptor::read(char *buffer, qint64 size)
{
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, size_t(size));
        if (got >= 0 || errno != EINTR)
            return qint64(got);
    }
}

bool FileDescriptor::writeAll(const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t put = ::write(m_fd, data, size_t(size));
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += put;
        size -= put;
    }
    return true;
}

bool FileDescriptor::sync()
{
    for (;;) {
        if (::fsync(m_fd) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

bool FileDescriptor::close()
{
    const int fd = release();
    // EINTR from close still releases the descriptor on Linux; never retry.
    return fd < 0 || ::close(fd) == 0 || errno == EINTR;
}

QString FileDescriptor::lastError()
{
    return qt_error_string(errno);
}
