#include "AtomicFileWriter.h"

#include "FileNames.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

static QString randomSuffix()
{
    static constexpr char16_t kLetters[] = u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix(6, Qt::Uninitialized);
    for (QChar &c : suffix)
        c = QChar(kLetters[QRandomGenerator::global()->bounded(62)]);
    return suffix;
}

AtomicFileWriter::AtomicFileWriter(const QString &targetPath)
    : m_targetPath(targetPath)
{
}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

bool AtomicFileWriter::fail(const QString &what)
{
    m_error = u"%1 \"%2\": %3"_s.arg(what, m_targetPath, FileDescriptor::lastError());
    discard();
    return false;
}

bool AtomicFileWriter::open()
{
    discard();
    m_error.clear();
    const QFileInfo target(m_targetPath);
    const QString folder = target.absolutePath();
    const QString name = target.fileName();
    if (!FileNames::isSafeName(name)) {
        m_error = u"refused file name \"%1\""_s.arg(m_targetPath);
        return false;
    }

    // A replaced file keeps its permissions; a new one gets the umask's.
    mode_t mode = 0666;
    struct stat status;
    const bool replacing = ::lstat(QFile::encodeName(m_targetPath).constData(), &status) == 0
                           && S_ISREG(status.st_mode);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString candidate = folder + u'/'
                                  + FileNames::transientName(name, u"writing", randomSuffix());
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) {
            m_file.reset(fd);
            m_temporaryPath = candidate;
            if (replacing && ::fchmod(fd, status.st_mode & 07777) != 0)
                return fail(u"cannot set the permissions of"_s);
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    return fail(u"cannot create a temporary beside"_s);
}

bool AtomicFileWriter::write(const char *data, qint64 size)
{
    if (!m_file.isValid()) {
        m_error = u"\"%1\" is not open"_s.arg(m_targetPath);
        return false;
    }
    return m_file.writeAll(data, size) || fail(u"cannot write"_s);
}

bool AtomicFileWriter::commit()
{
    if (!m_file.isValid()) {
        m_error = u"\"%1\" is not open"_s.arg(m_targetPath);
        return false;
    }
    if (m_sync && !m_file.sync())
        return fail(u"cannot sync"_s);
    if (!m_file.close())
        return fail(u"cannot close"_s);
    if (::rename(QFile::encodeName(m_temporaryPath).constData(),
                 QFile::encodeName(m_targetPath).constData()) != 0)
        return fail(u"cannot rename the temporary over"_s);
    m_temporaryPath.clear();
    if (m_sync) {
        FileDescriptor folder = FileDescriptor::openDirectory(QFileInfo(m_targetPath).absolutePath());
        if (!folder.isValid() || !folder.sync()) {
            m_error = u"cannot sync the folder of \"%1\": %2"_s.arg(m_targetPath, FileDescriptor::lastError());
            return false;
        }
    }
    return true;
}

void AtomicFileWriter::discard()
{
    m_file.reset();
    if (!m_temporaryPath.isEmpty()) {
        ::unlink(QFile::encodeName(m_temporaryPath).constData());
        m_temporaryPath.clear();
    }
}

bool AtomicFileWriter::writeFile(const QString &targetPath, const QByteArray &data, QString *error,
                                 bool syncToDisk)
{
    return writeChunks(targetPath, data, {}, error, syncToDisk);
}

bool AtomicFileWriter::writeInChunks(const QString &targetPath, const QByteArray &data,
                                     const ChunkHandler &afterChunk, QString *error)
{
    return writeChunks(targetPath, data, afterChunk, error, true);
}

bool AtomicFileWriter::writeChunks(const QString &targetPath, const QByteArray &data,
                                   const ChunkHandler &afterChunk, QString *error, bool syncToDisk)
{
    AtomicFileWriter writer(targetPath);
    writer.setSyncToDisk(syncToDisk);
    const auto failed = [&] {
        if (error)
            *error = writer.errorString();
        return false;
    };
    if (data.isNull()) {
        if (error)
            *error = u"no data for \"%1\""_s.arg(targetPath);
        return false;
    }
    if (!writer.open())
        return failed();
    const qint64 total = data.size();
    for (qint64 written = 0; written < total;) {
        const qint64 length = std::min(kChunkSize, total - written);
        if (!writer.write(data.constData() + written, length))
            return failed();
        written += length;
        if (afterChunk)
            afterChunk(written, total);
    }
    return writer.commit() || failed();
}
