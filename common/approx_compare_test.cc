#include "common/approx_compare.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

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

// The comparison's definition, straight from frexp and ldexp.
int defining_compare(double x1, double x2, double epsilon) {
  const double larger = std::fabs(x2) < std::fabs(x1) ? x1 : x2;
  int exponent = 0;
  std::frexp(larger, &exponent);
  const double delta = std::ldexp(epsilon, exponent);
  const double difference = x1 - x2;
  return difference > delta ? 1 : difference < -delta ? -1 : 0;
}

TEST(ApproxCompare, AgreesWithItsDefinitionOverEveryMagnitude) {
  std::mt19937_64 random(7);
  const double specials[] = {0.0,
                             -0.0,
                             std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::min(),
                             std::numeric_limits<double>::max(),
                             std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             std::ldexp(1.0, 1023),
                             std::ldexp(1.0, -1022)};
  for (int k = 0; k < 200000; ++k) {
    const auto any = [&] {
      return random() % 8 == 0 ? specials[random() % std::size(specials)]
                               : std::bit_cast<double>(random());
    };
    const double x1 = any();
    // Near neighbours too, where the tolerance decides.
    const double x2 = random() % 2 ? any() : x1 + x1 * 1e-7 * (k % 5 - 2);
    for (const double epsilon : {kCompareEpsilon, 1e-300, 0.5}) {
      ASSERT_EQ(defining_compare(x1, x2, epsilon),
                approx_compare(x1, x2, epsilon))
          << x1 << " vs " << x2 << " epsilon " << epsilon;
    }
  }
}

}  // namespace
}  // namespace ruleval
