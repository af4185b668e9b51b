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

bool parse_with_strtod(std::string_view text, double* value) {
  const std::string copy(text);
  char* end = nullptr;
  *value = std::strtod(copy.c_str(), &end);
  return end != copy.c_str();
}

}  // namespace

bool parse_long_or_other_double(std::string_view text, double* value) {
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
  return parse_leading_double(std::string_view(text, end - text));
}

float margin_between(float winner, float runner_up) {
  return static_cast<float>(as_written(winner) - as_written(runner_up));
}

}  // namespace ruleval
