#include "common/approx_compare.h"

namespace ruleval {

double scaled_by_exponent_slowly(double epsilon, double x) {
  int exponent = 0;
  std::frexp(x, &exponent);
  return std::ldexp(epsilon, exponent);
}

}  // namespace ruleval
