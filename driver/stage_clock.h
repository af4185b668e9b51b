// Where the time of a run goes: the benchmark asks the driver to mark the
// end of each stage, with the wall-clock time and the CPU time of the whole
// process (all threads) so far. A stage whose CPU time is close to its wall
// time kept one core busy while the others waited.
#pragma once

#include <chrono>
#include <ctime>
#include <string>
#include <vector>

namespace ruleval {

class StageClock {
 public:
  struct Stage {
    std::string name;
    double wall_seconds = 0;
    double cpu_seconds = 0;
  };

  StageClock();
  // The stage called name ends now.
  void mark(const std::string& name);
  const std::vector<Stage>& stages() const { return stages_; }

 private:
  std::chrono::steady_clock::time_point last_wall_;
  std::clock_t last_cpu_;
  std::vector<Stage> stages_;
};

// Marks the end of a stage on clock, when there is one.
inline void mark_stage(StageClock* clock, const char* name) {
  if (clock != nullptr) clock->mark(name);
}

}  // namespace ruleval
