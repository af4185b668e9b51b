#include "common/numbers.h"

#include <charconv>
#include <cmath>
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

double parse_with_strtod(std::string_view text) {
  const std::string copy(text);
  return std::strtod(copy.c_str(), nullptr);
}

}  // namespace

double parse_leading_double(std::string_view text) {
  if (is_plain_decimal(text)) {
    double value = 0;
    const auto result =
        std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc()) return value;
    // Overflow, underflow and the odd prefix go the slow way, whose result
    // is the reference.
  }
  return parse_with_strtod(text);
}

std::string truncated_integer(float point) {
  const double whole = std::trunc(static_cast<double>(point));
  if (whole == 0) return "0";  // never "-0"
  if (std::fabs(whole) <= std::numeric_limits<int>::max()) {
    return format("%d", static_cast<int>(whole));
  }
  return format("%.0f", whole);
}

}  // namespace ruleval
