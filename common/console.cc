#include "common/console.h"

namespace ruleval {

void Console::warn(const std::string& text) const {
  if (text.empty()) return;
  std::fflush(report_);
  std::fputs(text.c_str(), warnings_);
  std::fflush(warnings_);
}

}  // namespace ruleval
