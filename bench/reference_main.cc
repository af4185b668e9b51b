// The same program as ruleval, matching with the straightforward method:
// the benchmark's yardstick for the indexed one.
#include <cstdio>

#include "driver/run.h"

int main(int argc, char** argv) {
  ruleval::RunOptions options;
  options.match_method = ruleval::MatchMethod::kReference;
  return ruleval::run_command_line(argc, argv, stdout, options);
}
