#include "prepare/case_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/rule_fixtures.h"
#include "tests/test_util.h"

namespace ruleval {
namespace {

using testing::case_buffer;
using testing::TempDir;

Attribute attribute(char type, int pair_num, const char* name = "a") {
  Attribute a;
  a.type = type;
  a.value_count = pair_num;
  a.name = name;
  return a;
}

TEST(WriteOrderedCases, WritesEveryCaseWithItsCodesWhole) {
  TempDir dir;
  ASSERT_TRUE(write_ordered_cases(dir.file("w.qzf1"),
                                  case_buffer({{2, 1, 0}, {300, 69999, 1}}))
                  .ok());
  EXPECT_EQ("Casenum=2 Dependency=0 Concept=0\n2 1 0 \n300 69999 1 \n",
            testing::read_file(dir.file("w.qzf1")));
  CaseBuffer none;
  none.start(3, 2, 0);
  ASSERT_TRUE(write_ordered_cases(dir.file("n.qzf1"), none).ok());
  EXPECT_EQ("Casenum=0 Dependency=0 Concept=0\n",
            testing::read_file(dir.file("n.qzf1")));
}

TEST(WriteOrderedCases, AFileThatCannotBeMadeStopsTheRun) {
  TempDir dir;
  std::filesystem::create_directory(dir.file("w.qzf1"));
  EXPECT_EQ(
      "\nCannot read intermediate file: " + dir.file("w.qzf1") + " ...\n",
      write_ordered_cases(dir.file("w.qzf1"), case_buffer({{0, 0}})).message());
}

TEST(CheckClassCodes, ClassValueAboveTheLastPointIsRefused) {
  // Points 0 10 20: two classes, codes 0 and 1; code 2 lies above 20.
  const std::vector<Attribute> attributes = {attribute('S', 2),
                                             attribute('R', 3, "price")};
  EXPECT_TRUE(
      check_class_codes(attributes, case_buffer({{0, 1}, {1, 0}})).ok());
  EXPECT_EQ(
      "\nClass value of case 2 is above the last boundary point of price\n",
      check_class_codes(attributes, case_buffer({{0, 1}, {1, 2}, {0, 2}}))
          .message());
}

}  // namespace
}  // namespace ruleval
