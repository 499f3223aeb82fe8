#pragma once

#include <QList>
#include <QStringList>
#include <QStringView>

// The column titles of an imported file, made unique so that every column
// keeps its values: a repeated title, an empty one, or one of the row's
// reserved keys would otherwise merge the column into another or drop it.
class CsvTitles
{
public:
    struct Renaming
    {
        qsizetype column = 0; // 1-based, as a user counts
        QString from;
        QString to;
    };

    explicit CsvTitles(const QList<QStringView> &fields);

    // One title per field, in field order, all different and none reserved.
    const QStringList &titles() const { return m_titles; }
    const QList<Renaming> &renamings() const { return m_renamings; }
    // One line per renaming, for error texts and summaries.
    QStringList renamingLines() const;

private:
    QStringList m_titles;
    QList<Renaming> m_renamings;
};
