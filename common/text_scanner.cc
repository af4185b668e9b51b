#include "common/text_scanner.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace ruleval {
namespace {

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' ||
         c == '\f';
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Digits, letters (exponents, hexadecimal digits, inf and nan), points,
// signs, and what "nan(...)" may hold.
bool may_be_in_number(char c) {
  return is_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         c == '.' || c == '+' || c == '-' || c == '(' || c == ')' || c == '_';
}

// A line feed, or a carriage return that no line feed follows.
bool ends_line(std::string_view text, std::size_t at) {
  if (text[at] == '\n') return true;
  return text[at] == '\r' && (at + 1 == text.size() || text[at + 1] != '\n');
}

}  // namespace

std::string_view without_byte_order_mark(std::string_view text) {
  if (text.starts_with(kByteOrderMark))
    text.remove_prefix(kByteOrderMark.size());
  return text;
}

void TextScanner::skip_space() {
  while (pos_ < text_.size() && is_space(text_[pos_])) ++pos_;
}

bool TextScanner::literal(std::string_view key) {
  if (text_.substr(pos_, key.size()) != key) return false;
  pos_ += key.size();
  return true;
}

TextScanner::NumberResult TextScanner::integer(int* value) {
  skip_space();
  std::size_t pos = pos_;
  bool negative = false;
  if (pos < text_.size() && (text_[pos] == '+' || text_[pos] == '-')) {
    negative = text_[pos] == '-';
    ++pos;
  }
  if (pos >= text_.size() || !is_digit(text_[pos]))
    return NumberResult::kMissing;
  long long magnitude = 0;
  bool overflow = false;
  for (; pos < text_.size() && is_digit(text_[pos]); ++pos) {
    magnitude = magnitude * 10 + (text_[pos] - '0');
    if (magnitude >
        static_cast<long long>(std::numeric_limits<int>::max()) + 1) {
      overflow = true;
      magnitude = 0;  // keep scanning the digits without overflowing
    }
  }
  const long long signed_value = negative ? -magnitude : magnitude;
  if (overflow || signed_value > std::numeric_limits<int>::max()) {
    return NumberResult::kOutOfRange;
  }
  pos_ = pos;
  *value = static_cast<int>(signed_value);
  return NumberResult::kOk;
}

TextScanner::NumberResult TextScanner::real(float* value) {
  skip_space();
  std::size_t end = pos_;
  while (end < text_.size() && may_be_in_number(text_[end])) ++end;
  // strtof needs a terminated string; the run holds every character a
  // number can take, and stops at the '=' of a key that follows without
  // white space, so that no read copies the rest of the text.
  const std::string run(text_.substr(pos_, end - pos_));
  char* stop = nullptr;
  const float parsed = std::strtof(run.c_str(), &stop);
  if (stop == run.c_str()) return NumberResult::kMissing;
  if (!std::isfinite(parsed)) return NumberResult::kOutOfRange;
  pos_ += static_cast<std::size_t>(stop - run.c_str());
  *value = parsed;
  return NumberResult::kOk;
}

bool TextScanner::character(char* value) {
  if (at_end()) return false;
  *value = text_[pos_++];
  return true;
}

bool TextScanner::word(std::string_view* value) {
  skip_space();
  if (at_end()) return false;
  const std::size_t start = pos_;
  while (pos_ < text_.size() && !is_space(text_[pos_])) ++pos_;
  *value = text_.substr(start, pos_ - start);
  return true;
}

int TextScanner::line_at(std::size_t position) const {
  std::size_t end = std::min(position, text_.size());
  if (end == text_.size() && end > 0) --end;  // the last character's line
  int line = 1;
  for (std::size_t at = 0; at < end; ++at) {
    if (ends_line(text_, at)) ++line;
  }
  return line;
}

}  // namespace ruleval
