#pragma once

#include <QExplicitlySharedDataPointer>
#include <QHash>
#include <QSharedData>
#include <QStringList>

// The ordered titles of a row's cells, shared by every row that has the same
// titles (an imported list of a million rows holds one schema). Immutable.
class RowSchema : public QSharedData
{
public:
    using Ptr = QExplicitlySharedDataPointer<const RowSchema>;

    static Ptr make(const QStringList &titles);
    static const Ptr &empty();

    const QStringList &titles() const { return m_titles; }
    qsizetype size() const { return m_titles.size(); }
    qsizetype indexOf(QStringView title) const;

    Ptr appended(const QString &title) const;
    Ptr removed(qsizetype index) const;

private:
    explicit RowSchema(const QStringList &titles);

    QStringList m_titles;
    // Wide lists only: exporting 200,000 columns would otherwise scan the
    // titles once per cell. Keys view m_titles, which never changes.
    QHash<QStringView, qsizetype> m_positions;
};
