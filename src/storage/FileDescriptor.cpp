#include "FileDescriptor.h"

#include <QFile>

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
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (size)
        *size = qint64(status.st_size);
    return file;
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
