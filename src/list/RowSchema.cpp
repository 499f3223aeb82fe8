#include "RowSchema.h"

RowSchema::RowSchema(const QStringList &titles) : m_titles(titles) {}

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
    // Rows have a handful of columns; a scan beats hashing at that size.
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
