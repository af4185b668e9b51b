// What kind of file an open stream is on.
#pragma once

#include <sys/stat.h>

#include <cstdio>

namespace ruleval {

// Whether file is open on a regular file, which can be read or written at
// any place (not a pipe, a terminal or a device).
inline bool is_regular_file(std::FILE* file) {
  struct stat status {};
  return file != nullptr && ::fstat(::fileno(file), &status) == 0 &&
         S_ISREG(status.st_mode);
}

}  // namespace ruleval
