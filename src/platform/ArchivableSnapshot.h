#pragma once

#include "KeyedArchiver.h"

#include <QMetaType>
#include <QStringView>

#include <memory>

// A frozen, thread-safe copy of a model object that a worker can archive
// without knowing its class (the save worker writes the document root this
// way, below the layer that defines it). Made on the owner's thread, read on
// the worker's.
class ArchivableSnapshot
{
public:
    virtual ~ArchivableSnapshot() = default;
    // Writes the object as the one top-level value under key.
    virtual bool writeArchive(KeyedArchiver &archiver, QStringView key) const = 0;
    // Rows of the list the object carries, for deciding on the progress panel.
    virtual qsizetype rowCountHint() const { return 0; }
};

using ArchivableSnapshotPtr = std::shared_ptr<const ArchivableSnapshot>;

template<class T>
class ArchivableSnapshotOf final : public ArchivableSnapshot
{
public:
    ArchivableSnapshotOf(std::shared_ptr<const T> object, qsizetype rows)
        : m_object(std::move(object)), m_rows(rows)
    {
    }
    bool writeArchive(KeyedArchiver &archiver, QStringView key) const override
    {
        if (!m_object)
            return false;
        archiver.encoder().encodeObject(*m_object, key);
        return archiver.finish();
    }
    qsizetype rowCountHint() const override { return m_rows; }

private:
    std::shared_ptr<const T> m_object;
    qsizetype m_rows;
};

Q_DECLARE_METATYPE(ArchivableSnapshotPtr)
