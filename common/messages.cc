#include "common/messages.h"

#include <cstdarg>

#include "common/status.h"

namespace ruleval::catalogue_internal {

// Out of line, so that a format that is no literal is not taken for one
// that a user might have supplied.
std::string print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = vformat(format, args);
  va_end(args);
  return text;
}

}  // namespace ruleval::catalogue_internal
