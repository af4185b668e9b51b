#include <cstdio>

#include "driver/run.h"

int main(int argc, char** argv) {
  return ruleval::run_command_line(argc, argv, stdout);
}
