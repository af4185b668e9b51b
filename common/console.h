// Where a run prints: its report on one stream and, apart from it, its
// warnings, what the run noticed but went on despite.
#pragma once

#include <cstdio>
#include <string>

namespace ruleval {

class Console {
 public:
  Console(std::FILE* report, std::FILE* warnings)
      : report_(report), warnings_(warnings) {}

  std::FILE* report() const { return report_; }

  // Prints text, when there is any, on the warnings stream and flushes it.
  // The report is flushed first, so that what it printed before stays
  // before where both streams reach one terminal.
  void warn(const std::string& text) const;

 private:
  std::FILE* report_;
  std::FILE* warnings_;
};

}  // namespace ruleval
