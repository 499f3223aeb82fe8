#pragma once

#include "FileDescriptor.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Writes one file by way of a hidden temporary beside it that is synced and
// then renamed over the target, so that the target is always either the old
// file or the whole new one. An uncommitted temporary is removed.
class AtomicFileWriter
{
public:
    // After each chunk: bytes written so far and the total.
    using ChunkHandler = std::function<void(qint64 written, qint64 total)>;

    // writeInChunks writes pieces of this size.
    static constexpr qint64 kChunkSize = 1048576;

    explicit AtomicFileWriter(const QString &targetPath);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    // Off for throw-away copies (the caches), where a crash loses nothing
    // worth an fsync; the rename stays atomic either way.
    void setSyncToDisk(bool sync) { m_sync = sync; }

    bool open();
    bool write(const char *data, qint64 size);
    bool commit();
    void discard();
    QString errorString() const { return m_error; }

    // The one way a single file is written: the whole of data, atomically;
    // false with the reason (naming the file) in error.
    static bool writeFile(const QString &targetPath, const QByteArray &data, QString *error = nullptr,
                          bool syncToDisk = true);

    // data in pieces of kChunkSize, afterChunk called after
    // each; empty data gives an empty file and no call. Null data is refused.
    static bool writeInChunks(const QString &targetPath, const QByteArray &data,
                              const ChunkHandler &afterChunk, QString *error = nullptr);

private:
    static bool writeChunks(const QString &targetPath, const QByteArray &data, const ChunkHandler &afterChunk,
                            QString *error, bool syncToDisk);
    bool fail(const QString &what);

    QString m_targetPath;
    QString m_temporaryPath;
    FileDescriptor m_file;
    bool m_sync = true;
    QString m_error;
};
