#include "common/input_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/test_util.h"

namespace ruleval {
namespace {

using testing::TempDir;
using testing::write_file;

std::vector<std::string> lines_of(const std::string& content) {
  TempDir dir;
  write_file(dir.file("f"), content);
  InputFile in;
  EXPECT_TRUE(in.open(dir.file("f")));
  std::vector<std::string> lines;
  std::string_view line;
  while (in.next_line(&line)) lines.emplace_back(line);
  EXPECT_FALSE(in.failed());
  return lines;
}

TEST(InputFile, SplitsLinesKeepingEverythingButTheLineFeed) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(Lines({}), lines_of(""));
  EXPECT_EQ(Lines({"a", "", "b"}), lines_of("a\n\nb\n"));
  EXPECT_EQ(Lines({"a", "last"}), lines_of("a\nlast"));
  EXPECT_EQ(Lines({"a\r", "b\r"}), lines_of("a\r\nb\r\n"));
  EXPECT_EQ(Lines({std::string("x\0y", 3)}),
            lines_of(std::string("x\0y\n", 4)));
}

TEST(InputFile, ByteOrderMarkAndCarriageReturnsAlone) {
  using Lines = std::vector<std::string>;
  const std::string mark = "\xEF\xBB\xBF";
  EXPECT_EQ(Lines({"a", "b"}), lines_of(mark + "a\nb"));
  EXPECT_EQ(Lines({"a", mark}), lines_of("a\n" + mark));  // only at the start
  // In a file without a line feed, carriage returns end the lines.
  EXPECT_EQ(Lines({"a", "", "b", "c d"}), lines_of(mark + "a\r\rb\rc d"));
  // One line feed anywhere, and carriage returns stay in their lines.
  EXPECT_EQ(Lines({"a\r\rb\r", "c d"}), lines_of(mark + "a\r\rb\r\nc d"));
  EXPECT_EQ(Lines({"a\r", "b\rc"}), lines_of("a\r\nb\rc\n"));
  // The line feed may come long after the first read.
  const std::string filler((1 << 20) - 3, 'v');
  EXPECT_EQ(Lines({"a\r" + filler, "z"}), lines_of("a\r" + filler + "\nz"));
  EXPECT_EQ(Lines({"a", filler, "z"}), lines_of("a\r" + filler + "\rz"));
}

TEST(InputFile, LinesLongerThanTheBufferComeWhole) {
  const std::string longest(3 << 20, 'v');
  const std::string content = "short\n" + longest + "\n" + longest + "x";
  const auto lines = lines_of(content);
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ("short", lines[0]);
  EXPECT_EQ(longest, lines[1]);
  EXPECT_EQ(longest + "x", lines[2]);
}

TEST(InputFile, DirectoriesAndMissingFilesDoNotOpen) {
  TempDir dir;
  InputFile in;
  EXPECT_FALSE(in.open(dir.path().string()));
  EXPECT_FALSE(in.open(dir.file("missing")));
  std::string text;
  EXPECT_FALSE(read_whole_file(dir.path().string(), &text));
}

}  // namespace
}  // namespace ruleval
