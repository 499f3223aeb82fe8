#include "ParallelRun.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace {

// Past a few threads, packing and unpacking wait on memory, not on cores.
constexpr int kMaxWorkers = 4;

} // namespace

int ParallelRun::workersFor(qsizetype items)
{
    const int cores = std::max(1, int(std::thread::hardware_concurrency()));
    return int(std::clamp<qsizetype>(items, 1, std::min(cores, kMaxWorkers)));
}

bool ParallelRun::run(qsizetype items, int workers, const std::function<bool(qsizetype, int)> &job)
{
    std::atomic<qsizetype> next{0};
    std::atomic_bool failed{false};
    const auto work = [&](int worker) {
        try {
            for (qsizetype item = next++; item < items && !failed.load(); item = next++) {
                if (!job(item, worker))
                    failed.store(true);
            }
        } catch (...) {
            failed.store(true);
        }
    };
    workers = int(std::clamp<qsizetype>(workers, 1, std::max<qsizetype>(items, 1)));
    std::vector<std::thread> helpers;
    helpers.reserve(size_t(workers - 1));
    try {
        for (int w = 1; w < workers; ++w)
            helpers.emplace_back(work, w);
    } catch (...) {
        // No thread to be had: the ones started and this one do the work.
    }
    work(0);
    for (std::thread &helper : helpers)
        helper.join();
    return !failed.load();
}
