#pragma once

#include "ArchiveArray.h"
#include "ArchiveDecoder.h"

#include <QByteArray>
#include <QString>

#include <memory>

// Reads one keyed archive. The input is hostile: every reference, length and
// nesting level is checked and any violation yields a clear error, never a
// crash or an allocation beyond what the input's size justifies.
class MappedFile;

class KeyedUnarchiver
{
public:
    struct Limits
    {
        int maxDepth = 128;
        qint64 maxBytes = qint64(4) << 30; // input larger than this is refused
        // What the archive may unpack and decode to; 0 derives both from the
        // input's size and the memory available (see expansionBudget).
        qint64 maxExpansion = 0;
    };

    // A small file may stand for a large one (compression, references to
    // shared values): it may grow a fixed factor beyond its size, with a
    // floor for small files, and never past half the memory available.
    static qint64 expansionBudget(qint64 inputBytes, qint64 availableMemory);

    explicit KeyedUnarchiver(QByteArrayView data);
    KeyedUnarchiver(QByteArrayView data, const Limits &limits);
    // Share the array instead of copying it (a large list file is read once
    // into memory; a second copy would double that).
    explicit KeyedUnarchiver(const QByteArray &data);
    KeyedUnarchiver(const QByteArray &data, const Limits &limits);
    // Reads a mapped file in place and keeps it mapped while any decoded
    // value may still read it (rows built on first use). The archive holds
    // the only reference, so parts read once (row-table segments) give
    // their memory back as they are done.
    explicit KeyedUnarchiver(std::shared_ptr<const MappedFile> file);
    ~KeyedUnarchiver();

    // False when the bytes are not a well-formed archive, or when decoding
    // through the views has since found a wrong kind or refused object.
    bool isValid() const;
    QString errorString() const;

    // The top-level dictionary (one key per file by convention).
    ArchiveDecoder root() const;

    template<class T>
    std::unique_ptr<T> decodeTopLevelObject(QStringView key)
    {
        if (!isValid())
            return nullptr;
        auto object = root().decodeObject<T>(key);
        return isValid() ? std::move(object) : nullptr;
    }

    template<class T>
    static std::unique_ptr<T> unarchivedObject(QByteArrayView data, QStringView key,
                                               QString *error = nullptr)
    {
        KeyedUnarchiver unarchiver(data);
        return unarchiver.topLevelObject<T>(key, error);
    }

    template<class T>
    static std::unique_ptr<T> unarchivedObject(const QByteArray &data, QStringView key,
                                               QString *error = nullptr)
    {
        KeyedUnarchiver unarchiver(data);
        return unarchiver.topLevelObject<T>(key, error);
    }

private:
    // Parses a compressed archive's contents; false for a plain archive.
    bool unpackIfCompressed(QByteArrayView data, const Limits &limits);
    static qint64 budgetFor(qint64 inputBytes, const Limits &limits);
    bool unpack(QByteArrayView data, const Limits &limits, QByteArray *plain);
    void parseUnpacked(const QByteArray &plain, const Limits &limits);
    template<class T>
    std::unique_ptr<T> topLevelObject(QStringView key, QString *error)
    {
        auto object = decodeTopLevelObject<T>(key);
        if (!object && error)
            *error = isValid()
                ? QStringLiteral("archive: no %1 under \"%2\"").arg(T::archiveClassName(), key)
                : errorString();
        return object;
    }

    std::shared_ptr<ArchiveDocument> m_document;
};
