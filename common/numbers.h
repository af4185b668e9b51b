// Reading numbers from test data tokens, and printing boundary points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace ruleval {

// The powers of ten that a double holds exactly.
inline constexpr double kExactPowersOfTen[] = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Digits, at most one point and an optional leading minus, short enough to
// be read exactly: the digits as a whole number below 2^53 and at most 22
// of them after the point. One division of two exact doubles then gives the
// correctly rounded value, the same that strtod gives.
inline bool parse_short_decimal(std::string_view text, double* value) {
  constexpr std::ptrdiff_t kMostDigits = 19;  // their number stays below 2^64
  constexpr std::uint64_t kExactLimit = std::uint64_t{1} << 53;
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
  if (after_point > 0) {
    v /= kExactPowersOfTen[static_cast<std::size_t>(after_point)];
  }
  *value = negative ? -v : v;
  return true;
}

// parse_leading_double() for the texts parse_short_decimal() does not read.
bool parse_long_or_other_double(std::string_view text, double* value);

// The value of the longest prefix of text that reads as a real number, as
// strtod reads it in the C locale (decimal, hexadecimal, inf, nan), or 0
// when no prefix does. Plain decimal tokens take a fast path that gives the
// same correctly rounded result without locale work or allocation.
double parse_leading_double(std::string_view text);
// The same, false (and value 0) when no prefix of text reads as a number.
// The short decimals of most test data are read inline.
inline bool parse_leading_double(std::string_view text, double* value) {
  return parse_short_decimal(text, value) ||
         parse_long_or_other_double(text, value);
}

// value rounded to single precision, the precision of every boundary point.
inline float to_single(double value) { return static_cast<float>(value); }

// The point truncated toward zero and printed as an integer ("%d"), as
// points of integer attributes are shown. Points beyond the range of int are
// printed whole rather than wrapped.
std::string truncated_integer(float point);

// The shortest decimal text that reads back as the same value: "0.9",
// "1e-07", "13"; "inf", "-inf" and "nan" for values that are not finite.
std::string shortest_text(double value);
std::string shortest_text(float value);

// The number a single-precision value stands for as its shortest text
// shows it: 0.1 for the float nearest 0.1.
double as_written(float value);

// The margin between two single-precision scores as their shortest texts
// show them, in single precision: 0.8 between 2 and 1.2.
float margin_between(float winner, float runner_up);

}  // namespace ruleval
