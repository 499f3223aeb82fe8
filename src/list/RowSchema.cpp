#include "RowSchema.h"

namespace {

// Below this many titles a scan is as fast as hashing and costs no memory.
constexpr qsizetype kHashedFrom = 16;

} // namespace

RowSchema::RowSchema(const QStringList &titles) : m_titles(titles)
{
    if (m_titles.size() < kHashedFrom)
        return;
    m_positions.reserve(m_titles.size());
    // The first of equal titles wins, as the scan finds it.
    for (qsizetype i = 0; i < m_titles.size(); ++i) {
        const QStringView title(m_titles.at(i));
        if (!m_positions.contains(title))
            m_positions.insert(title, i);
    }
}

RowSchema::Ptr RowSchema::make(const QStringList &titles)
{
    if (titles.isEmpty())
        return empty();
    return Ptr(new RowSchema(titles));
}

const RowSchema::Ptr &RowSchema::empty()
{
    static const Ptr instance(new RowSchema(QStringList()));
    return instance;
}

qsizetype RowSchema::indexOf(QStringView title) const
{
    if (!m_positions.isEmpty())
        return m_positions.value(title, -1);
    for (qsizetype i = 0; i < m_titles.size(); ++i) {
        if (m_titles.at(i) == title)
            return i;
    }
    return -1;
}

RowSchema::Ptr RowSchema::appended(const QString &title) const
{
    QStringList titles = m_titles;
    titles.append(title);
    return make(titles);
}

RowSchema::Ptr RowSchema::removed(qsizetype index) const
{
    QStringList titles = m_titles;
    titles.removeAt(index);
    return make(titles);
}
