#include "common/parallel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace ruleval {
namespace {

TEST(WorkerCount, AtLeastOneAndNoMoreThanTheWorkOrTheCap) {
  EXPECT_EQ(1u, worker_count(0));
  EXPECT_EQ(1u, worker_count(1));
  for (const std::size_t most_useful : {2, 8, 9, 1000}) {
    EXPECT_GE(worker_count(most_useful), 1u);
    EXPECT_LE(worker_count(most_useful), std::min(most_useful, kMostWorkers));
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
