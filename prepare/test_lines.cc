#include "prepare/test_lines.h"

#include <algorithm>
#include <cstdint>

namespace ruleval {

std::size_t count_line_ends(std::string_view text, char line_end) {
  // Counted in runs short enough for a byte per count, which the compiler
  // turns into vector compares.
  constexpr std::size_t kRun = 255;
  std::size_t count = 0;
  for (std::size_t start = 0; start < text.size(); start += kRun) {
    const std::size_t end = std::min(text.size(), start + kRun);
    std::uint8_t run = 0;
    for (std::size_t i = start; i < end; ++i) run += text[i] == line_end;
    count += run;
  }
  return count;
}

std::size_t lines_with_values(std::string_view text, char line_end) {
  std::size_t count = 0;
  while (!text.empty()) {
    const std::string_view line = take_line(&text, line_end);
    if (std::any_of(line.begin(), line.end(), is_token_char)) ++count;
  }
  return count;
}

std::vector<std::string_view> split_lines(std::string_view lines,
                                          std::size_t count, char line_end) {
  std::vector<std::string_view> runs;
  while (!lines.empty()) {
    std::string_view rest = lines;
    if (runs.size() + 1 < count) {
      const std::size_t middle = lines.size() / (count - runs.size());
      rest.remove_prefix(middle);
      take_line(&rest, line_end);  // to the end of the line at the middle
    } else {
      rest = std::string_view();
    }
    runs.push_back(lines.substr(0, lines.size() - rest.size()));
    lines = rest;
  }
  return runs;
}

}  // namespace ruleval
