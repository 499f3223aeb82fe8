#pragma once

#include <QtGlobal>

#include <functional>

// Runs a job over numbered items on a few threads, the calling one
// included, for work that splits into independent pieces (the segments of
// a row table). Each item runs exactly once, in no set order.
class ParallelRun
{
public:
    // Threads worth starting for `items` pieces on this machine.
    static int workersFor(qsizetype items);
    // job(item, worker) with worker in [0, workers), one worker per thread,
    // so callers can keep scratch space per worker. False when a job
    // answered false or threw; the items not yet started are then skipped.
    static bool run(qsizetype items, int workers, const std::function<bool(qsizetype, int)> &job);
};
