#include "common/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

namespace ruleval {
namespace {

TEST(ParseLeadingDouble, ReadsTheLongestPrefixLikeStrtod) {
  const char* tokens[] = {"15",
                          "1.5e1",
                          "12abc",
                          "abc",
                          "-5",
                          ".5",
                          "-.5",
                          "5.",
                          "+3",
                          "+-3",
                          "--3",
                          "-",
                          ".",
                          "1e",
                          "1e+",
                          "1e5e5",
                          "1.2.3",
                          "0x1A",
                          "inf",
                          "-INF",
                          "1e400",
                          "1e-400",
                          "4.9e-324",
                          "?",
                          "0.1",
                          "10.000001",
                          "3.7",
                          "1,5",
                          "123456789012345678901234567890"};
  for (const char* token : tokens) {
    const double expected = std::strtod(token, nullptr);
    const double actual = parse_leading_double(token);
    if (std::isnan(expected)) {
      EXPECT_TRUE(std::isnan(actual)) << token;
    } else {
      EXPECT_EQ(expected, actual) << token;
      EXPECT_EQ(std::signbit(expected), std::signbit(actual)) << token;
    }
  }
  EXPECT_TRUE(std::isnan(parse_leading_double("nan")));
}

TEST(ParseLeadingDouble, ShortDecimalsReadExactlyAsStrtodReadsThem) {
  std::mt19937 random(11);
  const auto digits = [&](int most) {
    std::string text;
    const int n = static_cast<int>(random() % static_cast<unsigned>(most + 1));
    for (int k = 0; k < n; ++k) text += static_cast<char>('0' + random() % 10);
    return text;
  };
  for (int k = 0; k < 100000; ++k) {
    std::string token = random() % 4 == 0 ? "-" : "";
    token += digits(k % 3 == 0 ? 20 : 9);
    if (random() % 3 != 0) token += "." + digits(k % 5 == 0 ? 24 : 6);
    const double expected = std::strtod(token.c_str(), nullptr);
    const double actual = parse_leading_double(token);
    ASSERT_EQ(expected, actual) << token;
    ASSERT_EQ(std::signbit(expected), std::signbit(actual)) << token;
  }
  // 2^53 and 2^53 + 1 with a point: the first is exact, the second rounds.
  EXPECT_EQ(9007199254740992.0, parse_leading_double("9007199254740993.0"));
  EXPECT_EQ(std::strtod("900719925474099.3", nullptr),
            parse_leading_double("900719925474099.3"));
}

TEST(ParseLeadingDouble, StopsAtTheEndOfTheView) {
  const std::string line = "12,34";
  EXPECT_EQ(12.0, parse_leading_double(std::string_view(line).substr(0, 2)));
}

TEST(TruncatedInteger, TruncatesTowardZero) {
  const struct {
    float point;
    const char* text;
  } cases[] = {{2.7f, "2"},
               {-2.7f, "-2"},
               {-0.5f, "0"},
               {0.0f, "0"},
               {10.5f, "10"},
               {40.0f, "40"},
               {3e9f, "3000000000"},
               {-3e9f, "-3000000000"},
               {-2147483648.0f, "-2147483648"}};
  for (const auto& c : cases)
    EXPECT_EQ(c.text, truncated_integer(c.point)) << c.point;
}

}  // namespace
}  // namespace ruleval
