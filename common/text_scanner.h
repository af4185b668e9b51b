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
  // Skips white space, then reads a real number into single precision; a
  // number that is not finite in single precision is out of range.
  NumberResult real(float* value);
  // Takes the one character at the cursor, whatever it is; false at the end.
  bool character(char* value);
  // Skips white space, then reads a run of other characters; false when the
  // text ends first.
  bool word(std::string_view* value);

  // 1-based line of the cursor; at the end of the text, the line of its last
  // character, so a truncated file names its last line.
  int line() const;

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace ruleval
