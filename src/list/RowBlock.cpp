#include "RowBlock.h"

RowBlock::RowBlock(qsizetype capacity)
    : m_memory(size_t(capacity) * sizeof(char16_t)), m_capacity(capacity)
{
}
