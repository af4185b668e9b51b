// A cursor over a whole text file held in memory, for the keyed formats
// (attribute description, rule file). It reads the way formatted input does:
// keys must stand literally, numbers and words skip white space before them,
// and a blank in a pattern accepts any run of white space, line ends
// included, or none. Unlike formatted input, every read reports whether it
// matched, and the cursor knows its line for messages.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ruleval {

// The UTF-8 byte order mark that some editors put at the start of a file.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// text without a byte order mark at its start.
std::string_view without_byte_order_mark(std::string_view text);

// White space of the keyed formats: spaces, tabs, carriage returns, line
// feeds, form and vertical feeds.
inline bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' ||
         c == '\f';
}

class TextScanner {
 public:
  explicit TextScanner(std::string_view text) : text_(text) {}

  enum class NumberResult { kOk, kMissing, kOutOfRange };

  bool at_end() const { return pos_ >= text_.size(); }
  // Skips spaces, tabs, carriage returns, line feeds, form and vertical feeds.
  void skip_space();
  // Consumes key when the text continues with it exactly; no white space is
  // skipped first.
  bool literal(std::string_view key);
  // Skips white space, then reads an optionally signed decimal integer.
  NumberResult integer(int* value);
  // Skips white space, then reads a real number into single precision the
  // way "%f" does (decimal or hexadecimal, rounded once; too small a number
  // becomes 0); a number that is not finite in single precision, inf and nan
  // among them, is out of range.
  NumberResult real(float* value);
  // Takes the one character at the cursor, whatever it is; false at the end.
  bool character(char* value);
  // Skips white space, then reads a run of other characters; false when the
  // text ends first.
  bool word(std::string_view* value);

  // Where the cursor stands, for line_at().
  std::size_t position() const { return pos_; }
  // Puts the cursor at a position of the text.
  void seek(std::size_t position) { pos_ = position; }
  // 1-based line of a position; at the end of the text, the line of its
  // last character, so a truncated file names its last line. A line ends
  // with a line feed, a carriage return and a line feed, or a carriage
  // return alone (files of old editors). Counts from the start of the
  // text: for messages, not for every item.
  int line_at(std::size_t position) const;
  int line() const { return line_at(pos_); }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace ruleval
