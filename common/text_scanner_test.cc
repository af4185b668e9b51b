#include "common/text_scanner.h"

#include <gtest/gtest.h>

#include <vector>

namespace ruleval {
namespace {

using NumberResult = TextScanner::NumberResult;

TEST(TextScanner, IntegersSkipWhiteSpaceAndTakeASign) {
  const struct {
    const char* text;
    NumberResult result;
    int value;
  } cases[] = {
      {"42", NumberResult::kOk, 42},
      {" \n\t-7", NumberResult::kOk, -7},
      {"+3", NumberResult::kOk, 3},
      {"12abc", NumberResult::kOk, 12},
      {"abc", NumberResult::kMissing, 0},
      {"", NumberResult::kMissing, 0},
      {"- 5", NumberResult::kMissing, 0},
      {"2147483647", NumberResult::kOk, 2147483647},
      {"-2147483648", NumberResult::kOk, -2147483647 - 1},
      {"2147483648", NumberResult::kOutOfRange, 0},
      {"99999999999999999999", NumberResult::kOutOfRange, 0},
  };
  for (const auto& c : cases) {
    TextScanner scanner(c.text);
    int value = 0;
    EXPECT_EQ(c.result, scanner.integer(&value)) << c.text;
    if (c.result == NumberResult::kOk) {
      EXPECT_EQ(c.value, value) << c.text;
    }
  }
}

TEST(TextScanner, RealsRoundToSinglePrecisionAndMustBeFinite) {
  const struct {
    const char* text;
    NumberResult result;
    float value;
  } cases[] = {
      {"10.5", NumberResult::kOk, 10.5f},
      {"5", NumberResult::kOk, 5.0f},
      {"-2.7e1", NumberResult::kOk, -27.0f},
      {"+0.1", NumberResult::kOk, 0.1f},
      {"+-1", NumberResult::kMissing, 0},
      {"x", NumberResult::kMissing, 0},
      {"inf", NumberResult::kOutOfRange, 0},
      {"nan", NumberResult::kOutOfRange, 0},
      {"1e39", NumberResult::kOutOfRange, 0},
  };
  for (const auto& c : cases) {
    TextScanner scanner(c.text);
    float value = 0;
    EXPECT_EQ(c.result, scanner.real(&value)) << c.text;
    if (c.result == NumberResult::kOk) {
      EXPECT_EQ(c.value, value) << c.text;
    }
  }
}

TEST(TextScanner, RealsEndWhereTheNumberEnds) {
  // Each text holds the numbers listed, one after another.
  const struct {
    const char* text;
    std::vector<float> values;
  } cases[] = {
      {"1-1+2.5-3e1", {1, -1, 2.5f, -30}},
      {"1.5.5.25", {1.5f, 0.5f, 0.25f}},
      {"5.-2", {5, -2}},
      {"0x1p3 0X.8P1", {8, 1}},
      {"0x10.8p-1", {8.25f}},
      {"1e+-2", {1}},  // the exponent needs digits; "e" stops the reading
      {"0xg", {0}},
      {"2E2.5", {200, 0.5f}},
  };
  for (const auto& c : cases) {
    TextScanner scanner(c.text);
    std::vector<float> values;
    float value = 0;
    while (scanner.real(&value) == NumberResult::kOk) values.push_back(value);
    EXPECT_EQ(c.values, values) << c.text;
  }
  for (const char* odd : {"infinity", "-INF", "nan(123_x)", "nan()"}) {
    TextScanner scanner(odd);
    float value = 0;
    EXPECT_EQ(NumberResult::kOutOfRange, scanner.real(&value)) << odd;
  }
}

TEST(TextScanner, WordsLiteralsAndLines) {
  TextScanner scanner("Key=value\r\n\n  next");
  EXPECT_FALSE(scanner.literal("key="));
  EXPECT_TRUE(scanner.literal("Key="));
  std::string_view word;
  ASSERT_TRUE(scanner.word(&word));
  EXPECT_EQ("value", word);
  EXPECT_EQ(1, scanner.line());
  ASSERT_TRUE(scanner.word(&word));
  EXPECT_EQ("next", word);
  EXPECT_TRUE(scanner.at_end());
  EXPECT_EQ(3, scanner.line());  // the end of the text is on its last line
  EXPECT_FALSE(scanner.word(&word));
}

TEST(TextScanner, LinesEndWithCarriageReturnsAloneToo) {
  const std::string_view text = "a\rb\r\nc\n\rd";
  TextScanner scanner(text);
  EXPECT_EQ(1, scanner.line_at(text.find('a')));
  EXPECT_EQ(2, scanner.line_at(text.find('b')));
  EXPECT_EQ(3, scanner.line_at(text.find('c')));
  EXPECT_EQ(5, scanner.line_at(text.find('d')));
  EXPECT_EQ("x", without_byte_order_mark("\xEF\xBB\xBFx"));
  EXPECT_EQ("x\xEF\xBB\xBF", without_byte_order_mark("x\xEF\xBB\xBF"));
}

TEST(TextScanner, EndAfterALineFeedIsOnTheLastLine) {
  TextScanner scanner("a\nb\n\n");
  std::string_view word;
  scanner.word(&word);
  scanner.word(&word);
  scanner.skip_space();
  EXPECT_EQ(3, scanner.line());
}

}  // namespace
}  // namespace ruleval
