#include "prepare/test_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ruleval {
namespace {

std::vector<std::string> tokens_of(std::string_view line) {
  std::vector<std::string> tokens;
  std::size_t pos = 0;
  std::string_view token;
  while (read_token(line, &pos, &token)) tokens.emplace_back(token);
  return tokens;
}

// The same found 64 bytes at a time, with `readable` bytes to read.
std::vector<std::string> cursor_tokens_of(std::string_view line,
                                          std::size_t readable) {
  std::vector<std::string> tokens;
  TokenCursor cursor(line, readable);
  std::string_view token;
  while (cursor.next(&token)) tokens.emplace_back(token);
  EXPECT_EQ(line.size(), cursor.position());
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

TEST(ReadToken, WindowsOfBytesFindWhatBytesFind) {
  // Every byte value in runs of every length about the start and the end
  // of a window and of the line, which the next line follows, or not.
  const std::string base =
      "abcdefghijklmnopqrstuvwxyz,ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789"
      "abcdefghijklmnopqrstuvwxyz,ABCDEFGHIJKLMNOPQRSTUVWXYZ\nnext line";
  const std::size_t end = base.find('\n');
  for (int c = 0; c < 256; ++c) {
    for (std::size_t run = 1; run <= 9; ++run) {
      for (const std::size_t at :
           {0, 1, 7, 56, 60, 63, 64, 65, 100, 108, 111}) {
        std::string text = base;
        text.replace(at, std::min(run, end - at), std::min(run, end - at),
                     static_cast<char>(c));
        for (const std::size_t size : {end, at + 1, std::size_t{64}}) {
          const std::string_view line(text.data(), size);
          EXPECT_EQ(tokens_of(line), cursor_tokens_of(line, text.size()))
              << c << " " << run << " " << at << " " << size;
          EXPECT_EQ(tokens_of(line), cursor_tokens_of(line, size));
        }
      }
    }
  }
  // Tokens over several windows.
  const std::string long_line =
      std::string(200, 'q') + " " + std::string(130, 'r') + ",";
  EXPECT_EQ(tokens_of(long_line),
            cursor_tokens_of(long_line, long_line.size()));
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
