#include "common/parallel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace ruleval {
namespace {

TEST(WorkerCount, StaysWithinTheCoresTheCapAndTheWork) {
  const std::size_t cores =
      std::max<std::size_t>(1, std::thread::hardware_concurrency());
  for (const std::size_t most_useful : {0, 1, 2, 7, 8, 9, 1000}) {
    const std::size_t expected =
        std::max<std::size_t>(1, std::min({cores, kMostWorkers, most_useful}));
    EXPECT_EQ(expected, worker_count(most_useful)) << most_useful;
  }
}

TEST(RunInParallel, RunsEveryTaskOnce) {
  for (const std::size_t count : {0, 1, 2, 8}) {
    std::vector<std::atomic<int>> runs(count);
    run_in_parallel(count, [&](std::size_t t) { ++runs[t]; });
    for (std::size_t t = 0; t < count; ++t) EXPECT_EQ(1, runs[t]) << t;
  }
}

TEST(RunInParallel, ThrowsTheFirstFailureOnceAllAreDone) {
  std::atomic<int> done = 0;
  try {
    run_in_parallel(4, [&](std::size_t t) {
      ++done;
      if (t >= 1) throw std::runtime_error("task " + std::to_string(t));
    });
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string("task 1"), error.what());
  }
  EXPECT_EQ(4, done);
}

}  // namespace
}  // namespace ruleval
