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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// when the line holds no further token.
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

// Bit i set for each of the 64 bytes at `at` that is a token character.
inline std::uint64_t token_bits(const char* at) {
#if defined(__SSE2__)
  // As signed bytes, those from 128 up are negative: no token holds them.
  const __m128i blank = _mm_set1_epi8(32);
  const __m128i del = _mm_set1_epi8(127);
  const __m128i comma = _mm_set1_epi8(',');
  std::uint64_t bits = 0;
  for (int k = 0; k < 4; ++k) {
    const __m128i bytes =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * k));
    const __m128i printable =
        _mm_and_si128(_mm_cmpgt_epi8(bytes, blank), _mm_cmplt_epi8(bytes, del));
    const __m128i token =
        _mm_andnot_si128(_mm_cmpeq_epi8(bytes, comma), printable);
    bits |= static_cast<std::uint64_t>(
                static_cast<std::uint16_t>(_mm_movemask_epi8(token)))
            << (16 * k);
  }
  return bits;
#else
  std::uint64_t bits = 0;
  for (int i = 0; i < 64; ++i) {
    bits |= static_cast<std::uint64_t>(is_token_char(at[i])) << i;
  }
  return bits;
#endif
}

// The tokens of a line, found 64 bytes at a time: the bytes are classed
// once and every token's ends are found from the bits. Reads the line and,
// up to `readable` bytes from its start, the lines after it.
class TokenCursor {
 public:
  TokenCursor(std::string_view line, std::size_t readable)
      : line_(line.data()), size_(line.size()), readable_(readable) {
    load(0);
  }

  // The next token; false when the line holds no further one.
  bool next(std::string_view* token) {
    std::uint64_t found = rest_;
    while (found == 0) {
      if (window_ + 64 >= size_) {
        pos_ = size_;
        return false;
      }
      load(window_ + 64);
      found = bits_;
    }
    const std::size_t start =
        window_ + static_cast<std::size_t>(std::countr_zero(found));
    // Adding the lowest bit of the lowest run of ones clears the run and
    // carries into the bit after it, where the token ends; nothing is left
    // when the run reaches the end of the window.
    const std::uint64_t carried = found + (found & (~found + 1));
    if (carried != 0) {
      pos_ = window_ + static_cast<std::size_t>(std::countr_zero(carried));
      rest_ = found & carried;
    } else {  // the token goes on into the next window
      do {
        load(window_ + 64);
      } while (bits_ == ~std::uint64_t{0});
      const int end = std::countr_zero(~bits_);
      pos_ = window_ + static_cast<std::size_t>(end);
      rest_ = bits_ & (~std::uint64_t{0} << end);
    }
    *token = std::string_view(line_ + start, pos_ - start);
    return true;
  }

  // Where the search for the next token starts: past the last one found.
  std::size_t position() const { return pos_; }

 private:
  // Classes the 64 bytes from `window` on; those past the line are none.
  void load(std::size_t window) {
    window_ = window;
    const std::size_t in_line = window < size_ ? size_ - window : 0;
    if (window + 64 <= readable_) {
      bits_ = token_bits(line_ + window);
    } else {
      char bytes[64] = {};
      if (in_line > 0) {
        std::memcpy(bytes, line_ + window, std::min<std::size_t>(in_line, 64));
      }
      bits_ = token_bits(bytes);
    }
    if (in_line < 64) bits_ &= (std::uint64_t{1} << in_line) - 1;
    rest_ = bits_;
  }

  const char* line_;
  std::size_t size_;
  std::size_t readable_;
  std::size_t window_ = 0;  // where the 64 bytes of bits_ start
  std::uint64_t bits_ = 0;
  std::uint64_t rest_ = 0;  // the bits of the tokens not yet found
  std::size_t pos_ = 0;
};

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
