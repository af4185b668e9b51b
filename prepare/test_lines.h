// The raw test data (B.tst) as text: lines, and the values (tokens) on them.
//
// Values are tokens: runs of printable characters (codes 33 to 126) other
// than the comma; every other character but the line end separates them.
// Lines end with the one line end character of their text (see
// line_format() in common/input_file.h).
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
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

// For the eight bytes of word, in memory order, the top bit of each byte
// that is a token character: 33 to 126 but the comma. Every byte is worked
// out alone, without carries into the next.
inline std::uint64_t token_bytes(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kTops = 0x80 * kOnes;
  constexpr std::uint64_t kLow7 = 0x7F * kOnes;
  const std::uint64_t low = word & kLow7;
  const std::uint64_t at_least_33 = low + (128 - 33) * kOnes;
  const std::uint64_t at_most_126 = ~(low + kOnes);
  const std::uint64_t not_comma = (low ^ (',' * kOnes)) + kLow7;
  return at_least_33 & at_most_126 & not_comma & ~word & kTops;
}

// The first byte at or after p that is (kToken) or is not a token
// character, or size when none is before it; the bytes of line up to
// `readable` may be read, a word at a time. A token never holds the line
// end, the byte at size when size < readable.
template <bool kToken>
inline std::size_t find_byte(const char* line, std::size_t size,
                             std::size_t readable, std::size_t p) {
  if constexpr (std::endian::native == std::endian::little) {
    for (; p < size && p + 8 <= readable; p += 8) {
      std::uint64_t word;
      std::memcpy(&word, line + p, sizeof word);
      const std::uint64_t found =
          kToken ? token_bytes(word)
                 : token_bytes(word) ^ 0x8080808080808080ULL;
      if (found != 0) {
        return std::min(
            size, p + static_cast<std::size_t>(std::countr_zero(found) / 8));
      }
    }
  }
  while (p < size && is_token_char(line[p]) != kToken) ++p;
  return std::min(size, p);
}

// The next token of line at or after *pos; advances *pos past it. False
// when the line holds no further token. The bytes from the line's start up
// to `readable` (at least its size) may be read: the text of the lines
// after it. Called for every value of the test data.
inline bool read_token(std::string_view line, std::size_t* pos,
                       std::string_view* token, std::size_t readable) {
  const char* const at = line.data();
  const std::size_t start = find_byte<true>(at, line.size(), readable, *pos);
  const std::size_t end = find_byte<false>(at, line.size(), readable, start);
  *pos = end;
  if (start == end) return false;
  *token = std::string_view(at + start, end - start);
  return true;
}

inline bool read_token(std::string_view line, std::size_t* pos,
                       std::string_view* token) {
  return read_token(line, pos, token, line.size());
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
