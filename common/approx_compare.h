// Three-way comparison of reals with a tolerance that scales with the
// magnitude of the larger operand, so that values differing only by rounding
// count as equal.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace ruleval {

// The tolerance every caller uses: the single-precision machine epsilon.
inline constexpr double kCompareEpsilon = 1.1920928955078125e-07;

// epsilon * 2^e for an x of binary exponent e (as frexp gives it) that is
// zero, subnormal, not finite or too large for 2^e to be a double.
double scaled_by_exponent_slowly(double epsilon, double x);

// epsilon * 2^e, e being the binary exponent of x as frexp gives it. For a
// normal x whose 2^e is a normal double, the product is formed directly:
// one correctly rounded multiplication, the same result as ldexp.
inline double scaled_by_exponent(double epsilon, double x) {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
  if (biased < 1 || biased > 2045) return scaled_by_exponent_slowly(epsilon, x);
  // frexp's exponent is biased - 1022; 2^e has the biased exponent e + 1023.
  const auto power =
      std::bit_cast<double>(static_cast<std::uint64_t>(biased + 1) << 52);
  return epsilon * power;
}

// Returns 1 when x1 exceeds x2 by more than epsilon * 2^e, -1 when it falls
// short by more than that, 0 otherwise; e is the binary exponent (as frexp
// gives it) of the operand of larger magnitude.
inline int approx_compare(double x1, double x2, double epsilon) {
  // On equal magnitudes x2 is taken; only its exponent matters.
  const double larger = std::fabs(x2) < std::fabs(x1) ? x1 : x2;
  const double delta = scaled_by_exponent(epsilon, larger);
  const double difference = x1 - x2;
  if (difference > delta) return 1;
  if (difference < -delta) return -1;
  return 0;
}

}  // namespace ruleval
