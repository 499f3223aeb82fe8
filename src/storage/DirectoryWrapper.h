#pragma once

#include "platform/FileDescriptor.h"
#include "PackageEntries.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

#include <memory>

// A package or folder as read from disk: its regular files listed once when
// it is made (name and size, in name order), their bytes read only when a
// caller opens one. Immutable, so one wrapper may travel to a worker thread.
class DirectoryWrapper
{
public:
    using Member = PackageEntries::Entry;

    // Keys of fileAttributes().
    static QString sizeAttributeKey() { return QStringLiteral("size"); }
    static QString permissionsAttributeKey() { return QStringLiteral("permissions"); }
    static QString modificationDateAttributeKey() { return QStringLiteral("modificationDate"); }

    explicit DirectoryWrapper(const QString &path);

    static std::shared_ptr<const DirectoryWrapper> wrapperAtPath(const QString &path)
    {
        return std::make_shared<const DirectoryWrapper>(path);
    }

    const QString &path() const { return m_path; }
    // The path names a directory (a symbolic link to one counts).
    bool isDirectory() const { return m_isDirectory; }
    // False when the directory could not be listed.
    bool isReadable() const { return m_readable; }

    const QList<Member> &members() const { return m_members; }
    bool hasMember(const QString &name) const;
    // Sum of the members' sizes.
    qint64 fileSize() const { return m_fileSize; }

    // The member opened for streaming; invalid when it is no longer a regular
    // file of the directory (or was never listed).
    FileDescriptor openMember(const QString &name, qint64 *size = nullptr) const;

    // "size" (qint64, the members' total), "permissions" (int, mode bits) and
    // "modificationDate" (QDateTime) of the directory.
    QVariantMap fileAttributes() const { return m_attributes; }

private:
    QString m_path;
    bool m_isDirectory = false;
    bool m_readable = false;
    QList<Member> m_members;
    qint64 m_fileSize = 0;
    QVariantMap m_attributes;
};

using DirectoryWrapperPtr = std::shared_ptr<const DirectoryWrapper>;
Q_DECLARE_METATYPE(DirectoryWrapperPtr)
