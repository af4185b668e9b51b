#include "driver/file_names.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_util.h"

namespace ruleval {
namespace {

TEST(ReplaceExtension, CutsTheFileNameAtItsFirstDot) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"iris", "iris.fmc"},
      {"iris.tst", "iris.fmc"},
      {"iris.old.tst", "iris.fmc"},
      {"iris.fmc", "iris.fmc"},
      {"data.old/iris", "data.old/iris.fmc"},
      {"../sets/iris", "../sets/iris.fmc"},
      {"./iris.intr", "./iris.fmc"},
      {"/abs.d/x.y/iris.tst", "/abs.d/x.y/iris.fmc"},
      {".iris", ".iris.fmc"},
      {"dir/.iris.tst", "dir/.iris.fmc"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, replace_extension(c.path, "fmc")) << c.path;
  EXPECT_EQ("iris.qzf1",
            replace_extension(replace_extension("iris.tst", "qzf"), "qzf1"));
  const std::string long_stem(5000, 'n');
  EXPECT_EQ(long_stem + ".tcover", replace_extension(long_stem, "tcover"));
}

TEST(HasFileName, RejectsDirectoriesAndEmptyNames) {
  for (const char* path : {"", "dir/", ".", "..", "a/..", "/"}) {
    EXPECT_FALSE(has_file_name(path)) << path;
  }
  for (const char* path : {"iris", "a/iris.tst", ".iris", "x."}) {
    EXPECT_TRUE(has_file_name(path)) << path;
  }
}

TEST(DeleteIntermediateFiles, StatusIsThatOfTheLastDeletion) {
  testing::TempDir dir;
  const std::string base = dir.file("b");
  for (const char* ext : {"fmc1", "qzf", "qzf1", "fmc"}) {
    testing::write_file(replace_extension(base, ext), "x");
  }
  EXPECT_EQ(0, delete_intermediate_files(name_run_files(base)));
  EXPECT_TRUE(std::filesystem::exists(base + ".fmc"));
  EXPECT_FALSE(std::filesystem::exists(base + ".qzf"));
  EXPECT_FALSE(std::filesystem::exists(base + ".fmc1"));
  testing::write_file(base + ".qzf", "x");
  EXPECT_EQ(-1,
            delete_intermediate_files(name_run_files(base)));  // qzf1 is gone
  EXPECT_FALSE(std::filesystem::exists(base + ".qzf"));
}

}  // namespace
}  // namespace ruleval
