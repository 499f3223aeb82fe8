#include "ArchiveStringPool.h"

#include <QHashFunctions>

quint32 ArchiveStringPool::find(QStringView text) const
{
    return m_index.value(text, kNone);
}

quint32 ArchiveStringPool::intern(const QString &text)
{
    const quint32 existing = find(text);
    if (existing != kNone)
        return existing;
    const auto id = quint32(m_strings.size());
    m_strings.push_back(text);
    m_index.insert(QStringView(m_strings.back()), id);
    return id;
}
