#include "common/output_file.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/test_util.h"

namespace ruleval {
namespace {

// A file holds exactly what was written, whatever file was there before,
// whether it is closed or dropped (as a failed stage drops it).
TEST(OutputFileTest, HoldsOnlyWhatWasWritten) {
  struct Case {
    std::optional<std::string> before;  // none: no file
    std::string written;
  };
  const Case cases[] = {
      {std::nullopt, "abc"},
      {std::nullopt, ""},
      {"", "abc"},
      {"x", ""},
      {"x", "abc"},
      {"old and longer", ""},
      {"old and longer", "new"},
  };
  testing::TempDir temp;
  const std::string path = temp.file("out");
  for (const bool closed : {true, false}) {
    for (const Case& c : cases) {
      std::filesystem::remove(path);
      if (c.before) testing::write_file(path, *c.before);
      {
        OutputFile file;
        ASSERT_TRUE(file.open(path));
        file.write(c.written);
        if (closed) {
          EXPECT_TRUE(file.close().ok());
        }
      }
      EXPECT_EQ(c.written, testing::read_file(path))
          << "before: " << c.before.value_or("(none)") << ", closed " << closed;
    }
  }
}

}  // namespace
}  // namespace ruleval
