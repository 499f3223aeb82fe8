#pragma once

#include <QSharedData>

#include <memory>

// One allocation holding the cell offsets and texts of many rows, laid out
// row after row as a standalone row lays out its own buffer. Rows built into
// it share it; it is freed with the last of them.
class RowBlock : public QSharedData
{
public:
    explicit RowBlock(qsizetype capacity)
        : m_units(std::make_unique_for_overwrite<char16_t[]>(size_t(capacity))), m_capacity(capacity)
    {
    }

    char16_t *units() { return m_units.get(); }
    qsizetype capacity() const { return m_capacity; }

private:
    std::unique_ptr<char16_t[]> m_units;
    qsizetype m_capacity;
};
