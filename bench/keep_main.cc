// The same program as ruleval, leaving B.fmc1, B.qzf and B.qzf1 behind: the
// benchmark sizes the file writes of its I/O yardstick by them.
#include <cstdio>

#include "driver/run.h"

int main(int argc, char** argv) {
  ruleval::RunOptions options;
  options.keep_intermediate_files = true;
  return ruleval::run_command_line(argc, argv, stdout, options);
}
