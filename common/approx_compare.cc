#include "common/approx_compare.h"

#include <cmath>

namespace ruleval {

int approx_compare(double x1, double x2, double epsilon) {
  // On equal magnitudes x2 is taken; only its exponent matters.
  const double larger = std::fabs(x2) < std::fabs(x1) ? x1 : x2;
  int exponent = 0;
  std::frexp(larger, &exponent);
  const double delta = std::ldexp(epsilon, exponent);
  const double difference = x1 - x2;
  if (difference > delta) return 1;
  if (difference < -delta) return -1;
  return 0;
}

}  // namespace ruleval
