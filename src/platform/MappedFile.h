#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class FileDescriptor;

// A whole regular file mapped read-only, for reading a large file this
// process owns without copying it into fresh memory: the working copies in
// its caches folder, which are only ever replaced by rename, never cut short
// in place (a mapped file that shrinks would fault on access).
class MappedFile
{
public:
    // Null on failure, with the reason in error; an empty file maps to an
    // empty view.
    static std::shared_ptr<const MappedFile> map(const FileDescriptor &file, qint64 size, QString *error);
    ~MappedFile();
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    const char *data() const { return m_data; }
    qint64 size() const { return m_size; }
    // Brings a range into memory now (it would be at first touch), so that
    // a reader can report its progress as it goes.
    void populate(qint64 offset, qint64 length) const;
    // The bytes without a copy; valid while this mapping lives.
    QByteArray bytes() const { return QByteArray::fromRawData(m_data, m_size); }

private:
    MappedFile(const char *data, qint64 size) : m_data(data), m_size(size) {}

    const char *m_data = nullptr;
    qint64 m_size = 0;
};
