#include "common/approx_compare.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ruleval {
namespace {

TEST(ApproxCompare, ToleranceScalesWithTheLargerOperand) {
  const struct {
    double x1, x2;
    int expected;
  } cases[] = {
      {5.0, 4.0, 1},
      {4.0, 5.0, -1},
      {1.0, 1.0 + std::ldexp(1.0, -22), 0},  // difference is exactly -delta
      {1.0, 1.0 + std::ldexp(1.0, -21), -1},
      {0.0, 0.0, 0},
      {0.0, 1e-30, -1},  // zero equals only zero
      {1e-30, 0.0, 1},
      {1.0, -1.0, 1},  // opposite signs compare by their difference
      {10.000001, 10.0, 0},
      {10.00001, 10.0, 1},
      {-99999.0, -99999.0 + std::ldexp(1.0, -6), 0},  // scores near the start
      {-99998.984375 + 1e-9, -99999.0, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, approx_compare(c.x1, c.x2, kCompareEpsilon))
        << c.x1 << " vs " << c.x2;
  }
}

TEST(ApproxCompare, SinglePrecisionNeighboursAreEqual) {
  const float base = 1234.5f;
  const float next = std::nextafter(base, 2000.0f);
  const float next2 = std::nextafter(next, 2000.0f);
  EXPECT_EQ(0, approx_compare(next, base, kCompareEpsilon));
  EXPECT_EQ(0, approx_compare(next2, base, kCompareEpsilon));
  EXPECT_EQ(
      1, approx_compare(std::nextafter(next2, 2000.0f), base, kCompareEpsilon));
}

}  // namespace
}  // namespace ruleval
