#pragma once

#include <QSharedData>

// One allocation holding the cell offsets and texts of many rows, laid out
// row after row as a standalone row lays out its own buffer. Rows built into
// it share it; it is freed with the last of them.
class RowBlock : public QSharedData
{
public:
    explicit RowBlock(qsizetype capacity);
    ~RowBlock();
    RowBlock(const RowBlock &) = delete;
    RowBlock &operator=(const RowBlock &) = delete;

    char16_t *units() { return m_units; }
    qsizetype capacity() const { return m_capacity; }

private:
    char16_t *m_units;
    qsizetype m_capacity;
};
