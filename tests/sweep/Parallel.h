#pragma once
// The sweeps' runs are independent of each other: they are spread over
// threads, each thread keeping a result of its own that is merged once.

#include <atomic>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace plumvane::sweep {

// Calls run(i, mine) for every i below `count`, on `threads` threads (the
// caller's among them); then each thread hands its `mine` to merge, one at a
// time.
template <typename Result, typename Run, typename Merge>
void ForEachInParallel(std::size_t count, int threads, Run run, Merge merge) {
    std::atomic<std::size_t> next{0};
    std::mutex merging;
    auto work = [&] {
        Result mine;
        for (std::size_t i = next++; i < count; i = next++) run(i, mine);
        const std::lock_guard<std::mutex> lock(merging);
        merge(mine);
    };
    std::vector<std::thread> pool;
    for (int i = 1; i < threads; ++i) pool.emplace_back(work);
    work();
    for (std::thread& th : pool) th.join();
}

}  // namespace plumvane::sweep
