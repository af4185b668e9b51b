#include "common/approx_compare.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace ruleval {
namespace {

// epsilon * 2^e, e being the binary exponent of x as frexp gives it. For a
// normal x whose 2^e is a normal double, the product is formed directly:
// one correctly rounded multiplication, the same result as ldexp.
double scaled_by_exponent(double epsilon, double x) {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased >= 1 && biased <= 2045) {
    // frexp's exponent is biased - 1022; 2^e has the biased exponent e + 1023.
    const auto power =
        std::bit_cast<double>(static_cast<std::uint64_t>(biased + 1) << 52);
    return epsilon * power;
  }
  int exponent = 0;
  std::frexp(x, &exponent);
  return std::ldexp(epsilon, exponent);
}

}  // namespace

int approx_compare(double x1, double x2, double epsilon) {
  // On equal magnitudes x2 is taken; only its exponent matters.
  const double larger = std::fabs(x2) < std::fabs(x1) ? x1 : x2;
  const double delta = scaled_by_exponent(epsilon, larger);
  const double difference = x1 - x2;
  if (difference > delta) return 1;
  if (difference < -delta) return -1;
  return 0;
}

}  // namespace ruleval
