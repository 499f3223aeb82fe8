#include "RenamePlan.h"

RenamePlan::RenamePlan(const QMap<QString, QString> &renames)
    : m_keys(renames.keys()), m_renames(renames)
{
    m_position.reserve(m_keys.size());
    for (qsizetype i = 0; i < m_keys.size(); ++i)
        m_position.insert(m_keys.at(i), i);
}

QString RenamePlan::finalTitle(const QString &oldTitle, const QSet<QString> &present) const
{
    QString title = m_renames.value(oldTitle);
    qsizetype position = m_position.value(oldTitle, -1);
    // Only later renames act on a moved value, and a title the record holds
    // already names its own value, not this one.
    for (auto next = m_position.constFind(title);
         next != m_position.cend() && *next > position && !present.contains(title);
         next = m_position.constFind(title)) {
        position = *next;
        title = m_renames.value(title);
    }
    return title;
}

RenamePlan::Outcome RenamePlan::resolve(const QSet<QString> &present) const
{
    Outcome outcome;
    QSet<QString> landed;
    for (const QString &key : m_keys) {
        if (!present.contains(key))
            continue;
        const QString target = finalTitle(key, present);
        const bool kept = present.contains(target) && !m_position.contains(target);
        if (kept || landed.contains(target))
            return {true, {}};
        landed.insert(target);
        if (target != key)
            outcome.moves.append({key, target});
    }
    return outcome;
}

QList<RenamePlan::Move> RenamePlan::inPlaceOrder(const QList<Move> &moves, const QSet<QString> &present)
{
    QList<Move> pending = moves;
    QSet<QString> current = present;
    QSet<QString> targets;
    for (const Move &move : moves)
        targets.insert(move.second);
    QList<Move> order;
    const auto perform = [&](const QString &from, const QString &to) {
        order.append({from, to});
        current.remove(from);
        current.insert(to);
    };
    int spare = 0;
    while (!pending.isEmpty()) {
        qsizetype ready = -1;
        for (qsizetype i = 0; i < pending.size() && ready < 0; ++i)
            if (!current.contains(pending.at(i).second))
                ready = i;
        if (ready >= 0) {
            perform(pending.at(ready).first, pending.at(ready).second);
            pending.removeAt(ready);
            continue;
        }
        QSet<QString> sources;
        for (const Move &move : std::as_const(pending))
            sources.insert(move.first);
        qsizetype cyclic = -1;
        for (qsizetype i = 0; i < pending.size() && cyclic < 0; ++i)
            if (sources.contains(pending.at(i).second))
                cyclic = i;
        if (cyclic < 0) {
            // Blocked by titles the record keeps (resolve() never asks for
            // that): overwrite them, as a plain rename would.
            order += pending;
            break;
        }
        // A cycle: park one value under a title no data can clash with,
        // which frees its source for the rest of the cycle.
        QString temporary;
        do {
            temporary = QChar(u'\u0001') + QString::number(++spare);
        } while (current.contains(temporary) || targets.contains(temporary));
        perform(pending.at(cyclic).first, temporary);
        pending[cyclic].first = temporary;
    }
    return order;
}
