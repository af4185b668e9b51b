// The one way the stages of a run use the cores: a count of workers, each
// with a share of the work, run side by side until every one is done.
#pragma once

#include <cstddef>
#include <functional>

namespace ruleval {

// The most workers any loop starts, however many cores the machine has.
inline constexpr std::size_t kMostWorkers = 8;

// How many workers to start for work that at most most_useful workers can
// share: the cores of the machine, no more than kMostWorkers and
// most_useful, and at least one (also when most_useful is 0).
std::size_t worker_count(std::size_t most_useful);

// Runs task(0) to task(count - 1) side by side, task(0) on the calling
// thread and each of the others on a thread of its own, and returns once all
// are done. An exception of a task is kept until then: the first, by task
// number, is thrown again, so no task is left running with the caller's
// data gone. When a thread cannot be started, the error is thrown once the
// threads already started are done.
void run_in_parallel(std::size_t count,
                     const std::function<void(std::size_t)>& task);

}  // namespace ruleval
