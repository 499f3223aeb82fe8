#pragma once

#include "platform/HugePageMemory.h"

#include <QSharedData>

// One allocation holding the cell offsets and texts of many rows, laid out
// row after row as a standalone row lays out its own buffer. Rows built into
// it share it; it is freed with the last of them.
class RowBlock : public QSharedData
{
public:
    explicit RowBlock(qsizetype capacity);
    RowBlock(const RowBlock &) = delete;
    RowBlock &operator=(const RowBlock &) = delete;

    char16_t *units() { return m_memory.as<char16_t>(); }
    qsizetype capacity() const { return m_capacity; }

private:
    // Blocks are filled front to back right away: one fault per huge page
    // instead of one per small page, where the kernel allows it.
    HugePageMemory m_memory;
    qsizetype m_capacity;
};
