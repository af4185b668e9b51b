#include "prepare/value_index.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  // Texts of every length up to past two words, alike but for one byte at
  // the start, the end or the middle.
  std::vector<std::string> texts = {"red", "green", "red", "", "Red"};
  for (int k = 0; k < 100; ++k) texts.push_back("v" + std::to_string(k));
  for (std::size_t length = 1; length <= 20; ++length) {
    for (const std::size_t at : {std::size_t{0}, length / 2, length - 1}) {
      std::string text(length, 'a');
      text[at] = 'b';
      texts.push_back(text);
    }
  }
  ValueIndex index;
  for (std::size_t k = 0; k < texts.size(); ++k) {
    index.add(texts[k], static_cast<std::uint32_t>(k));
  }
  index.build();
  const struct {
    const char* text;
    long long code;
  } cases[] = {{"red", 0},
               {"green", 1},
               {"", 3},
               {"Red", 4},
               {"v0", 5},
               {"v99", 104},
               {"v100", -1},
               {"re", -1},
               {"red ", -1},
               {"GREEN", -1},
               {"aaaaaaaaaaaaaaaaaaaa", -1},
               {"aaaaaaaaaacaaaaaaaaa", -1},
               {"abaaa", -1}};
  for (const auto& c : cases) EXPECT_EQ(c.code, found(index, c.text)) << c.text;
  for (std::size_t k = 5; k < texts.size(); ++k) {
    // The first of equal texts: a one-byte text is the same wherever b is.
    const auto first = std::find(texts.begin(), texts.end(), texts[k]);
    EXPECT_EQ(first - texts.begin(), found(index, texts[k])) << texts[k];
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
