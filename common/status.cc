#include "common/status.h"

#include <cstdarg>
#include <cstdio>

namespace ruleval {

std::string format(const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  std::string text = vformat(fmt, args);
  va_end(args);
  return text;
}

std::string vformat(const char* fmt, std::va_list args) {
  va_list again;
  va_copy(again, args);
  // Most texts fit in a small buffer: one pass writes them, and only
  // longer ones are measured first.
  char small[256];
  const int length = std::vsnprintf(small, sizeof small, fmt, args);
  std::string text;
  if (length > 0 && static_cast<std::size_t>(length) < sizeof small) {
    text.assign(small, static_cast<std::size_t>(length));
  } else if (length > 0) {
    text.resize(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), fmt, again);
    text.resize(static_cast<std::size_t>(length));
  }
  va_end(again);
  return text;
}

}  // namespace ruleval
