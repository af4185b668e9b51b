// The raw test data (B.tst) as text: lines, and the values (tokens) on them.
//
// Values are tokens: runs of printable characters (codes 33 to 126) other
// than the comma; every other character but the line end separates them.
// Lines end with the one line end character of their text (see
// line_format() in common/input_file.h).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace ruleval {

// Characters of tokens: the printable ones but the blank and the comma.
inline constexpr std::array<bool, 256> kTokenChars = [] {
  std::array<bool, 256> chars{};
  for (int c = 33; c <= 126; ++c) chars[static_cast<std::size_t>(c)] = c != ',';
  return chars;
}();

inline bool is_token_char(char c) {
  return kTokenChars[static_cast<unsigned char>(c)];
}

// The next token of line at or after *pos; advances *pos past it. False
// when the line holds no further token. Called for every value of the test
// data.
inline bool read_token(std::string_view line, std::size_t* pos,
                       std::string_view* token) {
  std::size_t p = *pos;
  while (p < line.size() && !is_token_char(line[p])) ++p;
  const std::size_t start = p;
  while (p < line.size() && is_token_char(line[p])) ++p;
  *pos = p;
  if (start == p) return false;
  *token = line.substr(start, p - start);
  return true;
}

// The next line of text, which *rest loses along with the line's end.
inline std::string_view take_line(std::string_view* rest, char line_end) {
  const std::size_t end = rest->find(line_end);
  const std::string_view line = rest->substr(0, end);
  rest->remove_prefix(end == std::string_view::npos ? rest->size() : end + 1);
  return line;
}

// The line ends in text.
std::size_t count_line_ends(std::string_view text, char line_end);

// The lines of text that hold at least one value.
std::size_t lines_with_values(std::string_view text, char line_end);

// Splits lines into at most `count` runs of whole lines of about equal size,
// in order; none for no lines.
std::vector<std::string_view> split_lines(std::string_view lines,
                                          std::size_t count, char line_end);

}  // namespace ruleval
