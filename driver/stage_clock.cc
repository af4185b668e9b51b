#include "driver/stage_clock.h"

namespace ruleval {

StageClock::StageClock()
    : last_wall_(std::chrono::steady_clock::now()), last_cpu_(std::clock()) {}

void StageClock::mark(const std::string& name) {
  const auto wall = std::chrono::steady_clock::now();
  const std::clock_t cpu = std::clock();
  stages_.push_back({name,
                     std::chrono::duration<double>(wall - last_wall_).count(),
                     static_cast<double>(cpu - last_cpu_) / CLOCKS_PER_SEC});
  last_wall_ = wall;
  last_cpu_ = cpu;
}

}  // namespace ruleval
