#include "DirectoryWrapper.h"

#include <QDateTime>
#include <algorithm>

#include <sys/stat.h>

DirectoryWrapper::DirectoryWrapper(const QString &path)
    : m_path(path)
{
    if (path.isEmpty())
        return;
    const FileDescriptor directory = FileDescriptor::openDirectory(path);
    if (!directory.isValid())
        return;
    struct stat status;
    if (::fstat(directory.get(), &status) != 0 || !S_ISDIR(status.st_mode))
        return;
    m_isDirectory = true;

    if (auto members = PackageEntries::regularFilesAt(directory.get())) {
        m_readable = true;
        m_members = std::move(*members);
    }
    m_fileSize = PackageEntries::totalSize(m_members);
    m_attributes = {
        {sizeAttributeKey(), m_fileSize},
        {permissionsAttributeKey(), int(status.st_mode & 07777)},
        {modificationDateAttributeKey(),
         QDateTime::fromMSecsSinceEpoch(qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000)},
    };
}

bool DirectoryWrapper::hasMember(const QString &name) const
{
    return std::any_of(m_members.cbegin(), m_members.cend(),
                       [&](const Member &member) { return member.name == name; });
}

FileDescriptor DirectoryWrapper::openMember(const QString &name, qint64 *size) const
{
    // Only listed names: the listing refused every unsafe one.
    if (!m_isDirectory || !hasMember(name))
        return FileDescriptor();
    const FileDescriptor directory = FileDescriptor::openDirectory(m_path);
    if (!directory.isValid())
        return FileDescriptor();
    return FileDescriptor::openRegularFileAt(directory.get(), name, size);
}
