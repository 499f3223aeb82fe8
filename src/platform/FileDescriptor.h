#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// An owned POSIX file descriptor. Readers and writers of stored files need
// what QFile does not give: opens that refuse symbolic links, directory descriptors, and the
// result of every fsync.
class FileDescriptor
{
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor &&other) noexcept : m_fd(other.release()) {}
    FileDescriptor &operator=(FileDescriptor &&other) noexcept;
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;

    // A directory opened for fsync and for *at() calls; invalid on failure.
    static FileDescriptor openDirectory(const QString &path);
    // name inside the directory opened read-only when it is a regular file;
    // a symbolic link, a device, a fifo or a folder gives an invalid one.
    static FileDescriptor openRegularFileAt(int directoryFd, const QString &name, qint64 *size = nullptr);
    // Like openRegularFileAt, for a path a user gave (links followed); on
    // failure error says why, naming no path.
    static FileDescriptor openRegularFile(const QString &path, qint64 *size, QString *error);

    // The whole file when it is a regular file of at most cap bytes; error
    // (naming the path) otherwise. Never blocks on a fifo, never reads past
    // cap + 1 bytes, so a device or a growing file cannot exhaust memory.
    static bool readRegularFile(const QString &path, qint64 cap, QByteArray *bytes, QString *error);
    // The rest of this descriptor, refused (false, error a reason) past cap bytes.
    bool readAtMost(qint64 cap, QByteArray *bytes, QString *error);

    bool isValid() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    int release();
    void reset(int fd = -1);

    // Bytes read (0 at the end), -1 on error; retried on EINTR.
    qint64 read(char *buffer, qint64 size);
    bool writeAll(const char *data, qint64 size);
    bool sync();
    // Closes and reports the close error (a delayed write error may show there).
    bool close();

    // The text of the last failing call's errno.
    static QString lastError();

private:
    int m_fd = -1;
};
