#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <QHash>

#include <vector>

// Interned strings with ids given in insertion order; lookups take a view, so
// probing with a key never allocates.
class ArchiveStringPool
{
public:
    static constexpr quint32 kNone = 0xFFFFFFFFu;

    quint32 find(QStringView text) const;
    // Answers the id of an equal string, adding text when there is none. The
    // text must own its characters (or be static): the index views them.
    quint32 intern(const QString &text);
    const QString &at(quint32 id) const { return m_strings[id]; }
    quint32 size() const { return quint32(m_strings.size()); }

private:
    // The index keys view the strings' own heap data, which a QString keeps
    // when the vector moves it.
    std::vector<QString> m_strings;
    QHash<QStringView, quint32> m_index;
};
