#include "ProgressThrottle.h"

namespace {

// Visit number of spaced report k (from 1): ceil(k * planned / kSpacedReports).
qint64 spacedVisit(qint64 planned, qint64 k)
{
    return (planned * k + ProgressThrottle::kSpacedReports - 1) / ProgressThrottle::kSpacedReports;
}

} // namespace

ProgressThrottle::ProgressThrottle(qint64 plannedVisits)
    : m_planned(qMax<qint64>(plannedVisits, 0))
{
    if (!exact())
        m_nextReport = spacedVisit(m_planned, 1);
}

bool ProgressThrottle::visit(bool lastOfWalk)
{
    ++m_visits;
    if (exact())
        return true;
    if (m_visits >= m_nextReport && m_reported < kSpacedReports) {
        // The final spaced report falls on the last planned visit.
        ++m_reported;
        m_nextReport = spacedVisit(m_planned, m_reported + 1);
        return true;
    }
    return lastOfWalk;
}
