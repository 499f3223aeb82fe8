#include "RowBlock.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

namespace {

constexpr size_t kHugePage = size_t(2) << 20;

} // namespace

RowBlock::RowBlock(qsizetype capacity) : m_capacity(capacity)
{
    const size_t bytes = size_t(capacity) * sizeof(char16_t);
    void *memory = nullptr;
    if (bytes >= kHugePage) {
        // Blocks are filled front to back right away: one fault per huge
        // page instead of one per small page, where the kernel allows it.
        const size_t rounded = (bytes + kHugePage - 1) & ~(kHugePage - 1);
        memory = std::aligned_alloc(kHugePage, rounded);
        if (memory)
            ::madvise(memory, rounded, MADV_HUGEPAGE);
    } else {
        memory = std::malloc(bytes > 0 ? bytes : 1);
    }
    if (!memory)
        throw std::bad_alloc();
    m_units = static_cast<char16_t *>(memory);
}

RowBlock::~RowBlock()
{
    std::free(m_units);
}
