#include "HugePageMemory.h"

#include <QtGlobal>

#include <cstdlib>
#include <limits>
#include <new>
#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

constexpr size_t kHugePage = size_t(2) << 20;

#ifdef Q_OS_LINUX
// Gives the advice for the whole pages of `page` bytes (a power of two)
// inside the range; a partial page at either end is left alone.
void adviseWholePages(const void *data, size_t bytes, size_t page, int advice)
{
    const auto begin = reinterpret_cast<quintptr>(data);
    if (page == 0 || bytes < page || begin > std::numeric_limits<quintptr>::max() - bytes)
        return;
    const quintptr first = (begin + page - 1) & ~quintptr(page - 1);
    const quintptr last = (begin + bytes) & ~quintptr(page - 1);
    if (first < last)
        ::madvise(reinterpret_cast<void *>(first), last - first, advice);
}
#endif

} // namespace

HugePageMemory::HugePageMemory(size_t bytes) : m_data(nullptr)
{
    if (bytes >= kHugePage && bytes <= std::numeric_limits<size_t>::max() - kHugePage) {
        const size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
        m_data = std::aligned_alloc(kHugePage, rounded);
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
        if (m_data)
            ::madvise(m_data, rounded, MADV_HUGEPAGE);
#endif
    } else {
        m_data = std::malloc(bytes > 0 ? bytes : 1);
    }
    if (!m_data)
        throw std::bad_alloc();
}

HugePageMemory::~HugePageMemory()
{
    std::free(m_data);
}

void HugePageMemory::advise(void *data, size_t bytes)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    adviseWholePages(data, bytes, kHugePage, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#endif
}

void HugePageMemory::discard(const void *data, size_t bytes)
{
#ifdef Q_OS_LINUX
    static const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    adviseWholePages(data, bytes, page, MADV_DONTNEED);
#else
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#endif
}

void HugePageMemory::advise(QByteArray &bytes)
{
    if (bytes.capacity() > 0)
        advise(bytes.data(), size_t(bytes.capacity()));
}
