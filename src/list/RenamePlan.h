#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <utility>

// Works out where each value of a keyed record goes under a rename table of
// original title -> latest title. Applying the renames one after another
// would let an earlier rename (A->B) overwrite a value the record already
// holds under B before the later rename (B->Z) moves it away; the plan
// instead follows a chain only through titles the record does not hold and
// moves every value at once, so swaps and cycles keep all values.
class RenamePlan
{
public:
    using Move = std::pair<QString, QString>; // from, to

    struct Outcome
    {
        // Two values would meet under one title, or a value would land on a
        // title the record keeps: the request can only be met literally,
        // one rename after another in key order.
        bool literal = false;
        QList<Move> moves; // simultaneous; from != to, in key order of from
    };

    explicit RenamePlan(const QMap<QString, QString> &renames);

    const QStringList &oldTitles() const { return m_keys; }
    QString newTitle(const QString &oldTitle) const { return m_renames.value(oldTitle); }

    // `present`: the record's titles before any rename.
    Outcome resolve(const QSet<QString> &present) const;

    // Where the value under `oldTitle` ends up (also for a title the record
    // lacks, to place a default for it).
    QString finalTitle(const QString &oldTitle, const QSet<QString> &present) const;

    // The moves as single renames that never meet an occupied title, so each
    // can be done in place; a cycle goes through a temporary title that is
    // neither in `present` nor a target.
    static QList<Move> inPlaceOrder(const QList<Move> &moves, const QSet<QString> &present);

private:
    QStringList m_keys;
    QHash<QString, qsizetype> m_position;
    QMap<QString, QString> m_renames;
};
