#include "prepare/case_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/test_util.h"

namespace ruleval {
namespace {

using testing::TempDir;
using testing::write_file;

Attribute attribute(char type, int pair_num, const char* name = "a") {
  Attribute a;
  a.AttriType = type;
  a.AttriPairNum = pair_num;
  a.AttriName = name;
  return a;
}

class CaseFilesTest : public ::testing::Test {
 protected:
  Status load(const std::string& qzf1, const std::vector<Attribute>& attributes,
              int num_cases) {
    write_file(dir_.file("c.qzf1"), qzf1);
    return load_case_buffer(dir_.file("c"), attributes, num_cases, &cases_);
  }

  TempDir dir_;
  CaseBuffer cases_;
};

TEST_F(CaseFilesTest, LoadsCodesAsOneStreamOfIntegers) {
  const std::vector<Attribute> attributes = {
      attribute('S', 4), attribute('I', 3), attribute('S', 2)};
  const Status status = load(
      "Casenum=2\nDependency=0  Concept=0 3 2\n\n1 0\n\t0 1 ", attributes, 2);
  ASSERT_TRUE(status.ok()) << status.message();
  ASSERT_EQ(2u, cases_.num_cases());
  EXPECT_EQ(1u, cases_.code_bytes());
  EXPECT_EQ(3u, cases_.code(0, 0));
  EXPECT_EQ(2u, cases_.code(0, 1));
  EXPECT_EQ(1u, cases_.class_code(0));
  EXPECT_EQ(0u, cases_.code(1, 0));
  EXPECT_EQ(1u, cases_.class_code(1));
}

TEST_F(CaseFilesTest, KeepsLargeCodesExactly) {
  const std::vector<Attribute> attributes = {
      attribute('S', 400), attribute('S', 70000), attribute('S', 2)};
  ASSERT_TRUE(
      load("Casenum=1 Dependency=0 Concept=0\n300 69999 1 \n", attributes, 1)
          .ok());
  EXPECT_EQ(4u, cases_.code_bytes());
  EXPECT_EQ(300u, cases_.code(0, 0));
  EXPECT_EQ(69999u, cases_.code(0, 1));
}

TEST_F(CaseFilesTest, NoCasesLoadsAnEmptyBuffer) {
  const std::vector<Attribute> attributes = {attribute('S', 2),
                                             attribute('S', 2)};
  ASSERT_TRUE(load("Casenum=0 Dependency=0 Concept=0\n", attributes, 0).ok());
  EXPECT_EQ(0u, cases_.num_cases());
}

TEST_F(CaseFilesTest, DamagedFilesAreRefused) {
  const std::vector<Attribute> attributes = {attribute('S', 3),
                                             attribute('S', 2)};
  const std::string damaged =
      "\nCannot operate intermediate data file (.qzf1 file)\n";
  for (const char* text :
       {"Casenum=2 Dependency=0 Concept=0\n1 0 \n2 ",  // one code short
        "Casenum=2 Dependency=0 Concept=0\n1 0 \n2 x",
        "Casenum=2 Dependency=0 Concept=0\n1 0 \n3 0 ",  // beyond the values
        "Casenum=2 Dependency=0 Concept=0\n1 0 \n-1 0 ",
        "Casenum=3 Dependency=0 Concept=0\n1 0 \n2 0 \n2 0 ",
        "casenum=2 Dependency=0 Concept=0\n1 0 \n2 0 ", ""}) {
    EXPECT_EQ(damaged, load(text, attributes, 2).message()) << text;
  }
  std::filesystem::remove(dir_.file("c.qzf1"));
  EXPECT_EQ(
      "\nCannot read intermediate file: " + dir_.file("c.qzf1") + " ...\n",
      load_case_buffer(dir_.file("c"), attributes, 2, &cases_).message());
}

TEST_F(CaseFilesTest, ClassValueAboveTheLastPointIsRefused) {
  // Points 0 10 20: two classes, codes 0 and 1; code 2 lies above 20.
  const std::vector<Attribute> attributes = {attribute('S', 2),
                                             attribute('R', 3, "price")};
  ASSERT_TRUE(
      load("Casenum=2 Dependency=0 Concept=0\n0 1 \n1 0 \n", attributes, 2)
          .ok());
  EXPECT_EQ(
      "\nClass value of case 2 is above the last boundary point of price\n",
      load("Casenum=3 Dependency=0 Concept=0\n0 1 \n1 2 \n0 2 \n", attributes,
           3)
          .message());
}

TEST(WriteOrderedCases, ProjectsEveryCaseOntoTheList) {
  TempDir dir;
  write_file(dir.file("w.qzf"),
             "1 0 2 \n0 1 1 \n5 5 ");  // a short line after the cases
  const std::vector<OrderedEntry> list = {{0, 2}, {0, 0}, {0, 1}};
  ASSERT_TRUE(write_ordered_cases(dir.file("w"), 3, 2, list).ok());
  EXPECT_EQ("Casenum=2 Dependency=0 Concept=0\n2 1 0 \n1 0 1 \n",
            testing::read_file(dir.file("w.qzf1")));
}

TEST(WriteOrderedCases, AMissingCodeFileLeavesNoStaleCases) {
  TempDir dir;
  write_file(dir.file("w.qzf1"),
             "Casenum=1 Dependency=0 Concept=0\n0 0 \n");  // stale
  const std::vector<OrderedEntry> list = {{0, 0}, {0, 1}};
  EXPECT_EQ("\nCannot read intermediate file: " + dir.file("w.qzf1") + " ...\n",
            write_ordered_cases(dir.file("w"), 2, 1, list).message());
}

}  // namespace
}  // namespace ruleval
