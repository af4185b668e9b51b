#include "prepare/test_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ruleval {
namespace {

// The tokens of line, read a byte at a time or, when readable is longer
// than the line, a word at a time.
std::vector<std::string> tokens_of(std::string_view line,
                                   std::size_t readable = 0) {
  std::vector<std::string> tokens;
  std::size_t pos = 0;
  std::string_view token;
  while (read_token(line, &pos, &token, std::max(readable, line.size()))) {
    tokens.emplace_back(token);
  }
  return tokens;
}

TEST(ReadToken, SeparatorsAreEverythingButPrintableNonCommas) {
  using Tokens = std::vector<std::string>;
  for (const char* line :
       {"a,b,c", "a b c", "a,,b,c,", "  a\tb\t\tc", "a, b ,c\r"}) {
    EXPECT_EQ(Tokens({"a", "b", "c"}), tokens_of(line)) << line;
  }
  EXPECT_EQ(Tokens({}), tokens_of(""));
  EXPECT_EQ(Tokens({}), tokens_of(" ,\t\r"));
  EXPECT_EQ(Tokens({"caf", "s"}),
            tokens_of("caf\xe9s"));  // an 8-bit letter splits
  EXPECT_EQ(Tokens({"a", "b"}), tokens_of(std::string_view("a\0b", 3)));
  EXPECT_EQ(Tokens({"1", "5"}), tokens_of("1,5"));
  EXPECT_EQ(Tokens({"~!\"#"}), tokens_of("~!\"#\x7f"));
  const std::string long_token(40, 'q');
  EXPECT_EQ(Tokens({long_token}), tokens_of(long_token));  // taken whole
}

TEST(ReadToken, WordsAtATimeFindWhatBytesFind) {
  // Every byte value in runs of every length and offset, in a line that
  // the next one follows.
  for (int c = 0; c < 256; ++c) {
    for (std::size_t run = 1; run <= 9; ++run) {
      for (std::size_t at = 0; at <= 9; ++at) {
        std::string text = "abcdefghijklmnopqrstuvw\nxyz,12345678";
        text.replace(at, run, run, static_cast<char>(c));
        const std::size_t size = text.find('\n');
        const std::string_view line(text.data(), size);
        EXPECT_EQ(tokens_of(line), tokens_of(line, text.size()))
            << c << " " << run << " " << at;
      }
    }
  }
}

TEST(SplitLines, GivesRunsOfWholeLinesInOrder) {
  using Runs = std::vector<std::string_view>;
  const struct {
    const char* lines;
    std::size_t count;
    char line_end;
    Runs runs;
  } cases[] = {
      {"", 3, '\n', {}},
      {"a\nb\nc\nd\n", 1, '\n', {"a\nb\nc\nd\n"}},
      // A run goes on to the end of the line at its share's end.
      {"a\nb\nc\nd\n", 2, '\n', {"a\nb\nc\n", "d\n"}},
      {"a\nb\nc\nd\n", 4, '\n', {"a\nb\n", "c\n", "d\n"}},
      {"long line\nb\n", 3, '\n', {"long line\n", "b\n"}},
      {"a\nb", 4, '\n', {"a\n", "b"}},  // the last line without its end
      // Only the line end of the text ends a line.
      {"abcd\re\rf\r", 2, '\r', {"abcd\r", "e\rf\r"}},
      {"abcd\re\rf\r", 2, '\n', {"abcd\re\rf\r"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.runs, split_lines(c.lines, c.count, c.line_end)) << c.lines;
  }
}

TEST(LinesWithValues, CountsLinesThatHoldATokenToTheEnd) {
  const struct {
    const char* text;
    char line_end;
    std::size_t count;
  } cases[] = {
      {"", '\n', 0},         {"a", '\n', 1},        {"a\n\n \t,\nb", '\n', 2},
      {" \r\n,\n", '\n', 0}, {"a\rb\r\r", '\r', 2}, {"a\rb\r\r", '\n', 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.count, lines_with_values(c.text, c.line_end)) << c.text;
  }
}

}  // namespace
}  // namespace ruleval
