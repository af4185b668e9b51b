#include "prepare/attribute_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/test_util.h"

namespace ruleval {
namespace {

// The table in one line per attribute, for whole-table comparisons.
std::string describe(const AttributeTable& table) {
  std::string text;
  for (const Attribute& a : table.attributes) {
    text += format("%c %s %c n=%d p=%d pri=%d:", a.role, a.name.c_str(), a.type,
                   a.value_count, a.first_value, a.priority);
    for (int k = 0; k < a.value_count; ++k) {
      const ValueEntry& v = table.value(a, k);
      text += a.symbolic() ? " " + v.text
                           : format(" %g", static_cast<double>(v.point));
    }
    text += "\n";
  }
  return text;
}

Status parse(const std::string& text, AttributeTable* table, int* num_cases) {
  return parse_attribute_description(text, "d.fmc", table, num_cases);
}

TEST(AttributeFile, ReadsAttributesAndRecomputesFirstValueIndices) {
  AttributeTable table;
  int num_cases = 0;
  const Status status = parse(
      "Attrinum=4   Casenum=5\n"
      "AttriFlag=C AttriName=colour AttriType=S AttriPairNum=3 AttriValueP=9 "
      "AttriPriority=2\n"
      "red green red\n"
      "AttriFlag=X AttriName=none AttriType=S AttriPairNum=0 AttriValueP=0 "
      "AttriPriority=-1\n"
      "\n"
      "AttriFlag=C AttriName=size AttriType=R AttriPairNum=3 AttriValueP=0 "
      "AttriPriority=1\n"
      "0 10.5 2e1\n"
      "AttriFlag=D AttriName=class AttriType=I AttriPairNum=2 AttriValueP=0 "
      "AttriPriority=0\n"
      "-1.5 7\n",
      &table, &num_cases);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(5, num_cases);
  EXPECT_EQ(
      "C colour S n=3 p=0 pri=2: red green red\n"
      "X none S n=0 p=3 pri=-1:\n"
      "C size R n=3 p=3 pri=1: 0 10.5 20\n"
      "D class I n=2 p=6 pri=0: -1.5 7\n",
      describe(table));
  EXPECT_EQ(8u, table.values.size());
}

TEST(AttributeFile, WhiteSpaceBetweenItemsIsFree) {
  AttributeTable table;
  int num_cases = 0;
  const Status status = parse(
      "Attrinum=2Casenum=\r\n 3\r\n"
      "AttriFlag=?\r\nAttriName=\ta AttriType=S\n\nAttriPairNum=\n1 "
      "AttriValueP=x"
      "AttriValueP=0 AttriPriority=+4 v\r\n"
      "AttriFlag=DAttriName=b AttriType=R AttriPairNum=1 AttriValueP=0 "
      "AttriPriority=0 1",
      &table, &num_cases);
  // "AttriValueP=x" is a number that does not parse.
  EXPECT_EQ(
      "\nMalformed attribute file d.fmc, line 7: expected an integer after "
      "AttriValueP=\n",
      status.message());
  const Status fixed = parse(
      "Attrinum=2Casenum=\r\n 3\r\n"
      "AttriFlag=?\r\nAttriName=\ta AttriType=S\n\nAttriPairNum=\n1 "
      "AttriValueP=0 AttriPriority=+4 v\r\n"
      "AttriFlag=DAttriName=b AttriType=R AttriPairNum=1 AttriValueP=0 "
      "AttriPriority=0 1",
      &table, &num_cases);
  ASSERT_TRUE(fixed.ok()) << fixed.message();
  EXPECT_EQ("? a S n=1 p=0 pri=4: v\nD b R n=1 p=1 pri=0: 1\n",
            describe(table));
}

TEST(AttributeFile, MalformedFilesNameTheLineAndTheProblem) {
  const std::string good_attribute =
      "AttriFlag=C AttriName=a AttriType=S AttriPairNum=2 AttriValueP=0 "
      "AttriPriority=1\n"
      "x y\n";
  const struct {
    std::string text;
    int line;
    const char* problem;
  } cases[] = {
      {"", 1, "unexpected end of file, expected Attrinum="},
      {" Attrinum=1 Casenum=1\n", 1, "expected Attrinum="},
      {"attrinum=1 Casenum=1\n", 1, "expected Attrinum="},
      {"Attrinum=x Casenum=1\n", 1, "expected an integer after Attrinum="},
      {"Attrinum=0   Casenum=1\n", 1, "Attrinum must be at least 1"},
      {"Attrinum=-2   Casenum=1\n", 1, "Attrinum must not be negative"},
      {"Attrinum=99999999999 Casenum=1\n", 1,
       "integer out of range after Attrinum="},
      {"Attrinum=1 Casenum=1\nattriflag=C", 2, "expected AttriFlag="},
      {"Attrinum=1 Casenum=\nAttriFlag=C", 1,
       "expected an integer after Casenum="},
      {std::string("Attrinum=1 Casenum=1\nAttriFlag=C AttriName=a\0b", 46), 2,
       "NUL byte in the file"},
      {"Attrinum=1 Casenum=1\nAttriFlag= C AttriName=a", 2,
       "expected a flag letter after AttriFlag="},
      {"Attrinum=1 Casenum=1\nAttriFlag=C AttriName=a AttriType=Q", 2,
       "expected S, I or R after AttriType="},
      {"Attrinum=1 Casenum=1\nAttriFlag=C AttriName=a AttriType=s", 2,
       "expected S, I or R after AttriType="},
      {"Attrinum=1 Casenum=1\nAttriFlag=C AttriName=a AttriType=S "
       "AttriPairNum=-1",
       2, "AttriPairNum must not be negative"},
      {"Attrinum=1 Casenum=1\nAttriFlag=C AttriName=a AttriType=I "
       "AttriPairNum=0",
       2, "numeric attribute a has no boundary points"},
      {"Attrinum=1 Casenum=1\nAttriFlag=C AttriName=a "
       "AttriType=S\nAttriPairNum=2 "
       "AttriValueP=0 AttriPriority=1\nx\n",
       4, "unexpected end of file, expected value 2 of 2 of attribute a"},
      {"Attrinum=1 Casenum=1\nAttriFlag=C AttriName=a AttriType=R "
       "AttriPairNum=2 "
       "AttriValueP=0 AttriPriority=1\n1 b\n",
       3, "expected boundary point 2 of 2 of attribute a"},
      {"Attrinum=1 Casenum=1\nAttriFlag=C AttriName=a AttriType=R "
       "AttriPairNum=2 "
       "AttriValueP=0 AttriPriority=1\n1 1e40\n",
       3, "boundary point 2 of 2 of attribute a is not a finite number"},
      {"Attrinum=2 Casenum=1\n" + good_attribute, 3,
       "unexpected end of file, expected AttriFlag="},
      {"Attrinum=3 Casenum=1\n" + good_attribute +
           "AttriFlag=C AttriName=b AttriType=S "
           "AttriPairNum=1 AttriValueP=0 AttriPriority=1.5 v\n",
       4, "expected AttriFlag="},
  };
  for (const auto& c : cases) {
    AttributeTable table;
    int num_cases = 0;
    const Status status = parse(c.text, &table, &num_cases);
    EXPECT_EQ(format("\nMalformed attribute file d.fmc, line %d: %s\n", c.line,
                     c.problem),
              status.message())
        << c.text;
  }
}

TEST(AttributeFile, BoundaryPointsReadAsFormattedInputReadsThem) {
  AttributeTable table;
  int num_cases = 0;
  const Status status = parse(
      "Attrinum=1 Casenum=1\n"
      "AttriFlag=C AttriName=a AttriType=R AttriPairNum=4 AttriValueP=0 "
      "AttriPriority=1\n"
      "1e-50 0x10 +2.5 -1E3\n",
      &table, &num_cases);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ("C a R n=4 p=0 pri=1: 0 16 2.5 -1000\n", describe(table));
}

TEST(AttributeFile, MissingFileIsNamed) {
  testing::TempDir dir;
  AttributeTable table;
  int num_cases = 0;
  EXPECT_EQ(
      "\n Cannot open intermediate file: " + dir.file("iris.fmc") + "...\n",
      read_attribute_file(dir.file("iris.fmc"), &table, &num_cases).message());
}

}  // namespace
}  // namespace ruleval
