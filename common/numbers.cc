#include "common/numbers.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "common/status.h"

namespace ruleval {
namespace {

bool is_plain_decimal(std::string_view text) {
  if (text.empty()) return false;
  const char first = text[0];
  const bool starts_number =
      (first >= '0' && first <= '9') || first == '.' ||
      (first == '-' && text.size() > 1 &&
       ((text[1] >= '0' && text[1] <= '9') || text[1] == '.'));
  if (!starts_number) return false;
  for (const char c : text) {
    const bool decimal = (c >= '0' && c <= '9') || c == '.' || c == 'e' ||
                         c == 'E' || c == '+' || c == '-';
    if (!decimal) return false;
  }
  return true;
}

// Digits, at most one point and an optional leading minus, short enough to
// be read exactly: the digits as a whole number below 2^53 and at most 22
// of them after the point. One division of two exact doubles then gives the
// correctly rounded value, the same that strtod gives.
bool parse_short_decimal(std::string_view text, double* value) {
  constexpr std::ptrdiff_t kMostDigits = 19;  // their number stays below 2^64
  constexpr std::uint64_t kExactLimit = std::uint64_t{1} << 53;
  static constexpr double kPowersOfTen[] = {
      1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* at = text.data();
  const char* const end = at + text.size();
  const bool negative = at != end && *at == '-';
  if (negative) ++at;
  // The digits as one whole number; it wraps only past kMostDigits digits,
  // which are refused.
  std::uint64_t whole = 0;
  const auto read_digits = [&] {
    const char* const first = at;
    while (at != end) {
      const unsigned digit = static_cast<unsigned char>(*at) - unsigned{'0'};
      if (digit > 9) break;
      whole = whole * 10 + digit;
      ++at;
    }
    return at - first;
  };
  const std::ptrdiff_t before_point = read_digits();
  std::ptrdiff_t after_point = 0;
  if (at != end && *at == '.') {
    ++at;
    after_point = read_digits();
  }
  const std::ptrdiff_t digits = before_point + after_point;
  if (at != end || digits == 0 || digits > kMostDigits || whole > kExactLimit ||
      after_point > 22) {
    return false;
  }
  double v = static_cast<double>(whole);
  if (after_point > 0) v /= kPowersOfTen[after_point];
  *value = negative ? -v : v;
  return true;
}

bool parse_with_strtod(std::string_view text, double* value) {
  const std::string copy(text);
  char* end = nullptr;
  *value = std::strtod(copy.c_str(), &end);
  return end != copy.c_str();
}

}  // namespace

bool parse_leading_double(std::string_view text, double* value) {
  if (parse_short_decimal(text, value)) return true;
  if (is_plain_decimal(text)) {
    const auto result =
        std::from_chars(text.data(), text.data() + text.size(), *value);
    if (result.ec == std::errc()) return true;
    // Overflow, underflow and the odd prefix go the slow way, whose result
    // is the reference.
  }
  return parse_with_strtod(text, value);
}

double parse_leading_double(std::string_view text) {
  double value = 0;
  parse_leading_double(text, &value);
  return value;
}

std::string truncated_integer(float point) {
  const double whole = std::trunc(static_cast<double>(point));
  if (whole == 0) return "0";  // never "-0"
  if (std::fabs(whole) <= std::numeric_limits<int>::max()) {
    return format("%d", static_cast<int>(whole));
  }
  return format("%.0f", whole);
}

namespace {

template <class Real>
std::string shortest(Real value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace

std::string shortest_text(double value) { return shortest(value); }
std::string shortest_text(float value) { return shortest(value); }

double as_written(float value) {
  if (!std::isfinite(value)) return static_cast<double>(value);
  char text[64];
  const char* end = std::to_chars(text, text + sizeof text, value).ptr;
  double written = 0;
  std::from_chars(text, end, written);
  return written;
}

float margin_between(float winner, float runner_up) {
  return static_cast<float>(as_written(winner) - as_written(runner_up));
}

}  // namespace ruleval
