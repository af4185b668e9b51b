#include "common/parallel.h"

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

namespace ruleval {

std::size_t worker_count(std::size_t most_useful) {
  const std::size_t cores = std::thread::hardware_concurrency();
  return std::max<std::size_t>(1, std::min({cores, kMostWorkers, most_useful}));
}

void run_in_parallel(std::size_t count,
                     const std::function<void(std::size_t)>& task) {
  std::vector<std::exception_ptr> failures(count);
  const auto run = [&](std::size_t t) {
    try {
      task(t);
    } catch (...) {
      failures[t] = std::current_exception();
    }
  };
  {
    std::vector<std::jthread> workers;
    for (std::size_t t = 1; t < count; ++t) workers.emplace_back(run, t);
    if (count > 0) run(0);
  }  // joins the workers
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

}  // namespace ruleval
