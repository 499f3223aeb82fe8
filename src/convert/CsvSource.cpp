#include "CsvSource.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return u"is a folder, not a file"_s;
    if (S_ISFIFO(mode))
        return u"is a pipe (FIFO), not a regular file"_s;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return u"is a device, not a regular file"_s;
    if (S_ISSOCK(mode))
        return u"is a socket, not a regular file"_s;
    if (!S_ISREG(mode))
        return u"is not a regular file"_s;
    return {};
}

QString errnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace

CsvSource::~CsvSource()
{
    close();
}

QString CsvSource::kindRefusal(const QString &path)
{
    struct stat info{};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return kindOf(info.st_mode);
}

QString CsvSource::open(const QString &path)
{
    close();
    // Non-blocking, so that a FIFO swapped in after any check cannot hang
    // the open; the descriptor is refused by its type right after.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        return code == ENOENT ? u"no such file"_s : u"cannot be opened: %1"_s.arg(errnoText(code));
    }
    struct stat info{};
    if (::fstat(fd, &info) != 0) {
        const int code = errno;
        ::close(fd);
        return u"cannot be opened: %1"_s.arg(errnoText(code));
    }
    if (const QString refusal = kindOf(info.st_mode); !refusal.isEmpty()) {
        ::close(fd);
        return refusal;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_fd = fd;
    m_size = qint64(info.st_size);
    m_offset = 0;
    return {};
}

void CsvSource::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_size = 0;
    m_offset = 0;
}

bool CsvSource::rewind()
{
    if (m_fd < 0 || ::lseek(m_fd, 0, SEEK_SET) != 0)
        return false;
    m_offset = 0;
    return true;
}

bool CsvSource::read(QByteArray &out, qint64 max)
{
    if (m_fd < 0) {
        m_error = u"the file is not open"_s;
        return false;
    }
    qint64 want = std::min(max, m_size - m_offset);
    if (want <= 0)
        return true;
    const qsizetype start = out.size();
    out.resize(start + qsizetype(want));
    qint64 done = 0;
    while (done < want) {
        const ssize_t got = ::read(m_fd, out.data() + start + done, size_t(want - done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            m_error = errnoText(errno);
            out.resize(start + qsizetype(done));
            return false;
        }
        if (got == 0) {
            // The file shrank since it was opened: what is left is all there is.
            m_size = m_offset + done;
            break;
        }
        done += got;
    }
    out.resize(start + qsizetype(done));
    m_offset += done;
    return true;
}
