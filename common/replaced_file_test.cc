#include "common/replaced_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_util.h"

namespace ruleval {
namespace {

namespace fs = std::filesystem;

std::size_t entries_in(const fs::path& dir) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// A finished file replaces the old one; one that fails, or is dropped
// unfinished, leaves the old one and nothing else.
TEST(ReplacedFileTest, AllOrNothing) {
  testing::TempDir temp;
  const std::string path = temp.file("out.json");
  testing::write_file(path, "old");
  {
    ReplacedFile dropped;
    ASSERT_TRUE(dropped.open(path));
    dropped.write("half");
  }
  EXPECT_EQ("old", testing::read_file(path));
  EXPECT_EQ(1u, entries_in(temp.path()));

  ReplacedFile file;
  ASSERT_TRUE(file.open(path));
  file.write("new");
  ASSERT_TRUE(file.finish());
  EXPECT_EQ("new", testing::read_file(path));

  fs::create_directory(temp.path() / "dir");
  ReplacedFile onto_directory;
  ASSERT_TRUE(onto_directory.open(temp.file("dir")));
  onto_directory.write("text");
  EXPECT_FALSE(onto_directory.finish());
  EXPECT_EQ("Is a directory", onto_directory.reason());
  EXPECT_EQ(2u, entries_in(temp.path()));

  ReplacedFile nowhere;
  EXPECT_FALSE(nowhere.open(temp.file("no/such/dir/out.csv")));
  EXPECT_EQ("No such file or directory", nowhere.reason());
}

}  // namespace
}  // namespace ruleval
