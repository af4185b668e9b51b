#include "common/text_scanner.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace ruleval {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_hex_digit(char c) {
  return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool is_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Whether text starts with word, a lower-case word, in any letter case.
bool starts_with_word(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const char c = text[i];
    if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != word[i]) return false;
  }
  return true;
}

// The end of the run of (hexadecimal) digits of text from pos.
std::size_t digits_end(std::string_view text, std::size_t pos, bool hex) {
  while (pos < text.size() &&
         (hex ? is_hex_digit(text[pos]) : is_digit(text[pos]))) {
    ++pos;
  }
  return pos;
}

// The end of "nan" at pos, with the "(letters, digits, _)" that may follow.
std::size_t nan_end(std::string_view text, std::size_t pos) {
  pos += 3;
  if (pos >= text.size() || text[pos] != '(') return pos;
  std::size_t end = pos + 1;
  while (end < text.size() &&
         (is_digit(text[end]) || is_letter(text[end]) || text[end] == '_')) {
    ++end;
  }
  return end < text.size() && text[end] == ')' ? end + 1 : pos;
}

// The end of the digits, point, digits and exponent of a number at pos, or
// pos when no digit stands there.
std::size_t mantissa_and_exponent_end(std::string_view text, std::size_t pos,
                                      bool hex) {
  std::size_t end = digits_end(text, pos, hex);
  bool any_digit = end > pos;
  if (end < text.size() && text[end] == '.') {
    const std::size_t fraction_end = digits_end(text, end + 1, hex);
    if (any_digit || fraction_end > end + 1) {
      any_digit = true;
      end = fraction_end;
    }
  }
  if (!any_digit) return pos;
  const char exponent = hex ? 'p' : 'e';
  if (end < text.size() &&
      (text[end] == exponent || text[end] == exponent - 'a' + 'A')) {
    std::size_t p = end + 1;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) ++p;
    const std::size_t exponent_end = digits_end(text, p, false);
    if (exponent_end > p) end = exponent_end;
  }
  return end;
}

// The length of the longest prefix of text that strtof reads as a number in
// the C locale, 0 when none does: an optional sign, then inf or infinity,
// nan with an optional "(...)", a hexadecimal number after 0x, or a decimal
// one, each with an optional exponent. Found here so that strtof is given
// the number alone and a read never copies more than the number.
std::size_t number_prefix(std::string_view text) {
  std::size_t pos = 0;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) pos = 1;
  const std::string_view rest = text.substr(pos);
  if (starts_with_word(rest, "infinity")) return pos + 8;
  if (starts_with_word(rest, "inf")) return pos + 3;
  if (starts_with_word(rest, "nan")) return nan_end(text, pos);
  if (starts_with_word(rest, "0x")) {
    const std::size_t end = mantissa_and_exponent_end(text, pos + 2, true);
    if (end > pos + 2) return end;  // else "0" alone, as decimal
  }
  const std::size_t end = mantissa_and_exponent_end(text, pos, false);
  return end > pos ? end : 0;
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
  // strtof needs a terminated string: a copy of the number alone, so that
  // numbers that follow each other without white space ("1-1-1...") are
  // read in linear time.
  const std::size_t length = number_prefix(text_.substr(pos_));
  if (length == 0) return NumberResult::kMissing;
  const std::string number(text_.substr(pos_, length));
  char* stop = nullptr;
  const float parsed = std::strtof(number.c_str(), &stop);
  if (stop == number.c_str()) return NumberResult::kMissing;
  if (!std::isfinite(parsed)) return NumberResult::kOutOfRange;
  pos_ += static_cast<std::size_t>(stop - number.c_str());
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
