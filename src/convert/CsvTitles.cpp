#include "CsvTitles.h"

#include "list/Row.h"

#include <QSet>

using namespace Qt::StringLiterals;

CsvTitles::CsvTitles(const QList<QStringView> &fields)
{
    QSet<QString> taken{Row::kIndicationKey, Row::kOptionKey};
    // First occurrences keep their titles before any later column picks a
    // new one, so a renamed column never takes a title the file already has.
    QList<bool> keeps(fields.size(), false);
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString title = fields.at(i).toString();
        if (title.isEmpty() || taken.contains(title))
            continue;
        taken.insert(title);
        keeps[i] = true;
    }
    m_titles.reserve(fields.size());
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (keeps.at(i)) {
            m_titles.append(fields.at(i).toString());
            continue;
        }
        const QString from = fields.at(i).toString();
        const QString base = from.isEmpty() ? u"Column %1"_s.arg(i + 1) : from;
        QString candidate = base;
        for (qsizetype n = 2; taken.contains(candidate); ++n)
            candidate = u"%1 %2"_s.arg(base).arg(n);
        taken.insert(candidate);
        m_titles.append(candidate);
        m_renamings.append({i + 1, from, candidate});
    }
}

QStringList CsvTitles::renamingLines() const
{
    QStringList lines;
    for (const Renaming &r : m_renamings) {
        lines.append(r.from.isEmpty() ? u"column %1 has no title and is named \"%2\""_s.arg(r.column).arg(r.to)
                                      : u"column %1 \"%2\" is renamed \"%3\""_s.arg(r.column).arg(r.from, r.to));
    }
    return lines;
}
