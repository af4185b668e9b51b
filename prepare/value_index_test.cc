#include "prepare/value_index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ruleval {
namespace {

// What find() gives for text: the code, or -1 for none.
long long found(const ValueIndex& index, std::string_view text) {
  std::uint32_t code = 0;
  return index.find(text, &code) ? static_cast<long long>(code) : -1;
}

TEST(ValueIndex, FindsTheFirstOfEqualTextsAndNothingElse) {
  // Enough values to fill the table to half and wrap probes around its end.
  std::vector<std::string> texts = {"red", "green", "red", "", "Red"};
  for (int k = 0; k < 100; ++k) texts.push_back("v" + std::to_string(k));
  ValueIndex index;
  for (std::size_t k = 0; k < texts.size(); ++k) {
    index.add(texts[k], static_cast<std::uint32_t>(k));
  }
  index.build();
  const struct {
    const char* text;
    long long code;
  } cases[] = {{"red", 0},   {"green", 1}, {"", 3},      {"Red", 4},
               {"v0", 5},    {"v99", 104}, {"v100", -1}, {"re", -1},
               {"red ", -1}, {"GREEN", -1}};
  for (const auto& c : cases) EXPECT_EQ(c.code, found(index, c.text)) << c.text;
  for (std::size_t k = 5; k < texts.size(); ++k) {
    EXPECT_EQ(static_cast<long long>(k), found(index, texts[k])) << texts[k];
  }
}

TEST(ValueIndex, WithoutValuesFindsNothing) {
  ValueIndex index;
  index.build();
  EXPECT_EQ(-1, found(index, "red"));
  EXPECT_EQ(-1, found(index, ""));
}

}  // namespace
}  // namespace ruleval
