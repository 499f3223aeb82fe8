#pragma once

#include <QtGlobal>

// Decides which row visits of a long run report progress. Small runs report
// every visit; longer ones report about kSpacedReports evenly spaced visits
// (always the last planned one), so that queued reports to the main thread
// stay bounded however many rows there are.
class ProgressThrottle
{
public:
    static constexpr qint64 kExactLimit = 10000;
    static constexpr qint64 kSpacedReports = 1000;

    // plannedVisits: the row visits the whole run is expected to make.
    explicit ProgressThrottle(qint64 plannedVisits);

    // Counts one visit; true when it is to be reported. lastOfWalk forces a
    // report for the final row of a walk, so a walk that ends short of the
    // plan still shows where it ended.
    bool visit(bool lastOfWalk = false);

    qint64 plannedVisits() const { return m_planned; }
    qint64 visits() const { return m_visits; }
    bool exact() const { return m_planned <= kExactLimit; }

private:
    qint64 m_planned = 0;
    qint64 m_visits = 0;
    qint64 m_nextReport = 0; // visit number of the next spaced report
    qint64 m_reported = 0;   // spaced reports made so far
};
