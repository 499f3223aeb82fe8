#include "MappedFile.h"

#include "FileDescriptor.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

std::shared_ptr<const MappedFile> MappedFile::map(const FileDescriptor &file, qint64 size, QString *error)
{
    if (!file.isValid() || size < 0 || quint64(size) > quint64(std::numeric_limits<qsizetype>::max())) {
        *error = QStringLiteral("cannot map a file of %1 bytes").arg(size);
        return nullptr;
    }
    if (size == 0)
        return std::shared_ptr<const MappedFile>(new MappedFile(nullptr, 0));
    void *data = ::mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, file.get(), 0);
    if (data == MAP_FAILED) {
        *error = FileDescriptor::lastError();
        return nullptr;
    }
    return std::shared_ptr<const MappedFile>(new MappedFile(static_cast<const char *>(data), size));
}

MappedFile::~MappedFile()
{
    if (m_data)
        ::munmap(const_cast<char *>(m_data), size_t(m_size));
}

void MappedFile::populate(qint64 offset, qint64 length) const
{
    offset = std::clamp<qint64>(offset, 0, m_size);
    length = std::clamp<qint64>(length, 0, m_size - offset);
    if (length == 0)
        return;
    const auto page = qint64(::sysconf(_SC_PAGESIZE));
    const qint64 first = offset / page * page;
#ifdef MADV_POPULATE_READ
    if (::madvise(const_cast<char *>(m_data) + first, size_t(offset + length - first), MADV_POPULATE_READ) == 0)
        return;
#endif
    // Kernels before 5.14: a read of each page faults it in.
    volatile char sink = 0;
    for (qint64 at = first; at < offset + length; at += page)
        sink = m_data[at];
    (void)sink;
}
