// The same program as ruleval, printing on standard error where the time of
// its run went: each stage's wall-clock time and the CPU time of all
// threads during it, and how many cores that kept busy on average.
#include <cstdio>

#include "driver/run.h"
#include "driver/stage_clock.h"

int main(int argc, char** argv) {
  ruleval::StageClock clock;
  ruleval::RunOptions options;
  options.stage_clock = &clock;
  const int status = ruleval::run_command_line(argc, argv, stdout, options);
  double wall = 0;
  double cpu = 0;
  std::fprintf(stderr, "  %-30s %8s %8s %6s\n", "stage", "wall s", "CPU s",
               "cores");
  for (const ruleval::StageClock::Stage& stage : clock.stages()) {
    std::fprintf(
        stderr, "  %-30s %8.3f %8.3f %6.2f\n", stage.name.c_str(),
        stage.wall_seconds, stage.cpu_seconds,
        stage.wall_seconds > 0 ? stage.cpu_seconds / stage.wall_seconds : 0.0);
    wall += stage.wall_seconds;
    cpu += stage.cpu_seconds;
  }
  std::fprintf(stderr, "  %-30s %8.3f %8.3f %6.2f\n", "whole run", wall, cpu,
               wall > 0 ? cpu / wall : 0.0);
  return status;
}
