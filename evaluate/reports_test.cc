// The report pieces that whole runs cannot reach: bounds of points that are
// not whole, labels of a single class, OR members on other attributes, and
// test data that no longer matches the coded cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "evaluate/class_labels.h"
#include "evaluate/evaluation_report.h"
#include "evaluate/rule_matcher.h"
#include "evaluate/rule_text.h"
#include "tests/rule_fixtures.h"
#include "tests/test_util.h"

namespace ruleval {
namespace {

using testing::case_buffer;
using testing::make_rule;
using testing::rules_from;
using testing::selected_table;

// A decision attribute with the points 0, 10.5, 20.9 and 40.
AttributeTable table_with_decision(char type, int points) {
  AttributeTable table = selected_table({{'S', 2}, {type, points}});
  const float bounds[] = {0, 10.5f, 20.9f, 40};
  Attribute& decision = table.attributes.back();
  decision.name = "age";
  for (int k = 0; k < points; ++k) {
    table.values[static_cast<std::size_t>(decision.first_value + k)].point =
        bounds[k];
  }
  return table;
}

TEST(ClassLabelsTest, IntegerBoundsAreTruncatedAndRealOnesWidened) {
  const AttributeTable integer = table_with_decision('I', 4);
  const Attribute& age = integer.attributes.back();
  EXPECT_EQ("(age<=10)", class_label(integer, age, 0, 2));
  EXPECT_EQ("(10<age<=20)", class_label(integer, age, 1, 2));
  EXPECT_EQ("(age>20)", class_label(integer, age, 2, 2));
  const AttributeTable real = table_with_decision('R', 4);
  EXPECT_EQ("10.500000<age<=20.900000",
            class_condition(real, real.attributes.back(), 1, 2));
  // The first form wins for a single class, which is also the last.
  const AttributeTable single = table_with_decision('R', 2);
  EXPECT_EQ("(age<=10.500000)",
            class_label(single, single.attributes.back(), 0, 0));
}

TEST(ClassLabelsTest, FiguresOverNoCasesAreUnsignedNan) {
  EXPECT_EQ("   nan", format("%6.2f", percent(fraction(0, 0))));
  EXPECT_EQ("nan", format("%f", printable(-std::sqrt(fraction(0, 0)))));
  EXPECT_EQ("77.777779", format("%f", percent(fraction(7, 9))));
}

TEST(RuleTextTest, OrMembersOnOtherAttributesShowTheirOwnValues) {
  // a0 has 2 values, a1 has 4: the member's code 3 is no value of a0. The
  // member also reads as a plain condition of its own attribute.
  AttributeTable table = selected_table({{'S', 2}, {'S', 4}, {'S', 2}});
  const Rule rule = make_rule(table, 1, {{0, 1, 0, 2}, {1, 3, 0, 1}}, 1);
  EXPECT_EQ("(a0=v1 or v3)(a1=v3)", rule_conditions_text(table, rule));
  // A member code within a0's values names a0's value.
  const Rule within = make_rule(table, 1, {{0, 0, 0, 2}, {1, 1, 0, 1}}, 1);
  EXPECT_EQ("(a0=v0 or v1)(a1=v1)", rule_conditions_text(table, within));
}

TEST(RuleTextTest, TheWriterOfManyRulesGivesTheSameTexts) {
  const AttributeTable table =
      selected_table({{'I', 4}, {'R', 4}, {'S', 3}, {'S', 2}});
  const RuleTextWriter writer(table);
  for (const std::vector<ConditionPair>& pairs :
       std::vector<std::vector<ConditionPair>>{
           {{0, 1, 1, 1}, {0, 3, 0, 1}, {2, 1, 0, 1}},
           {{1, 2, 0, 1}, {0, 0, 1, 1}},
           {{1, 1, 1, 1}, {1, 2, 0, 1}, {2, 0, 1, 1}}}) {
    const Rule rule = make_rule(table, 1, pairs);
    EXPECT_EQ(rule_conditions_text(table, rule), writer.conditions(rule));
  }
}

// Where two long texts first differ, npos when they do not: a failure then
// says where rather than showing both.
std::size_t first_difference(const std::string& a, const std::string& b) {
  const auto [at, _] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (at == a.end() && a.size() == b.size()) return std::string::npos;
  return static_cast<std::size_t>(at - a.begin());
}

class EvaluationTest : public ::testing::Test {
 protected:
  // Evaluates the coded cases (two by default) against the test data
  // text; what is printed goes to printed_. With blocks, the cases say
  // where their lines lie in the test data they were encoded from
  // (`encoded`, or test_data), in blocks of about that many bytes, as the
  // encoder says it.
  Status evaluate(
      const std::string& test_data,
      const std::vector<std::vector<std::uint32_t>>& records = {{0, 0}, {1, 1}},
      std::size_t blocks = 0, const std::string& encoded = "") {
    if (!test_data.empty()) testing::write_file(base_ + ".tst", test_data);
    const AttributeTable table = selected_table({{'S', 2}, {'S', 2}});
    CaseBuffer cases = case_buffer(records);
    if (blocks > 0) {
      add_line_blocks(encoded.empty() ? test_data : encoded, blocks, &cases);
    }
    const RuleStore rules = rules_from(
        "Concept_num=2 Total_rulenum=0 Majority_class=1 Rule_qualityno=1\n"
        "Concept=0 rulenum=0\nConcept=1 rulenum=0\n",
        table);
    Classifications given;
    RuleStore matched = rules;
    EXPECT_TRUE(
        match_rules(table, cases, MatchMethod::kIndexed, &matched, &given)
            .ok());
    RunCounters counters;
    std::FILE* out = std::tmpfile();
    float accuracy = 0;
    const Status status =
        evaluate_test_cases(base_ + ".tst", base_ + ".result", table, cases,
                            given, &counters, out, &accuracy);
    std::rewind(out);
    printed_.clear();
    for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out))
      printed_.push_back(static_cast<char>(c));
    std::fclose(out);
    return status;
  }

  // Marks blocks of the lines of text, as the encoder marks them.
  static void add_line_blocks(const std::string& text, std::size_t block_bytes,
                              CaseBuffer* cases) {
    std::size_t offset = 0;
    std::size_t first_case = 0;
    while (offset < text.size() && first_case < cases->num_cases()) {
      cases->add_line_block({offset, first_case});
      std::size_t end = text.find('\n', offset + block_bytes);
      end = end == std::string::npos ? text.size() : end + 1;
      first_case += static_cast<std::size_t>(
          std::count(text.begin() + static_cast<std::ptrdiff_t>(offset),
                     text.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
      offset = end;
    }
    cases->add_line_block({offset, cases->num_cases()});
  }

  void evaluate_many_cases(std::size_t blocks);

  testing::TempDir dir_;
  std::string base_ = dir_.file("set");
  std::string printed_;
};

TEST_F(EvaluationTest, TestDataThatNoLongerMatchesStopsTheRun) {
  EXPECT_EQ("\n Cannot open test data file: " + base_ + ".tst...\n",
            evaluate("").message());
  EXPECT_EQ("\nTest data file " + base_ + ".tst changed during the run ...\n",
            evaluate("v0 v0\n").message());
  EXPECT_TRUE(evaluate("v0 v0\nv1 v1").ok());
  EXPECT_EQ("v0 v0 -> v1\nv1 v1 -> v1\n",
            testing::read_file(base_ + ".result").substr(0, 24));
}

TEST_F(EvaluationTest, AccuracyEndsTheReportOnlyOnceTheResultIsWritten) {
  ASSERT_TRUE(evaluate("v0 v0\nv1 v1\n").ok());
  EXPECT_TRUE(printed_.ends_with(
      "\nPrediction accuracy on the testing data = 50.000000%\n"))
      << printed_;
  std::filesystem::remove(base_ + ".result");
  std::filesystem::create_symlink("/dev/full", base_ + ".result");
  EXPECT_FALSE(evaluate("").ok());
  EXPECT_EQ(std::string::npos, printed_.find("Prediction accuracy"));
}

// Enough cases for every core to take part and for many blocks, read line
// by line or in the blocks the encoder marked: every line is written once
// and in order, every case counted once, and test data cut short is written
// as far as it goes.
TEST_F(EvaluationTest, ManyCasesAreWrittenInOrderAndCountedOnce) {
  for (const std::size_t blocks : {std::size_t{0}, std::size_t{1} << 16}) {
    SCOPED_TRACE(blocks);
    evaluate_many_cases(blocks);
  }
}

void EvaluationTest::evaluate_many_cases(std::size_t blocks) {
  constexpr std::uint32_t kCases = 400000;
  std::vector<std::vector<std::uint32_t>> records;
  std::string tst;
  std::string result;
  for (std::uint32_t c = 0; c < kCases; ++c) {
    const std::uint32_t actual = c % 3 == 0 ? 0 : 1;
    records.push_back({c % 2, c % 7 == 0 ? kMissingCode : actual});
    const std::string line =
        format("v%u v%u #%u", c % 2, static_cast<unsigned>(actual), c);
    tst += line + (c % 5 == 0 ? "\r\n" : "\n");
    result += line + " -> v1\n";
  }
  ASSERT_TRUE(evaluate(tst, records, blocks).ok());
  EXPECT_EQ(
      std::string::npos,
      first_difference(
          result,
          testing::read_file(base_ + ".result").substr(0, result.size())));
  // Every case is given the majority class, v1; every seventh has none.
  int scored = 0;
  int correct = 0;
  for (std::uint32_t c = 0; c < kCases; ++c) {
    if (c % 7 == 0) continue;
    ++scored;
    correct += c % 3 == 0 ? 0 : 1;
  }
  EXPECT_NE(std::string::npos,
            printed_.find(format("Number of testing cases = %d  Number of "
                                 "cases classified correctly = %d\n",
                                 scored, correct)))
      << printed_.substr(0, 400);
  const std::size_t cut = tst.size() / 2;
  const std::size_t lines_left = static_cast<std::size_t>(
      std::count(tst.begin(), tst.begin() + cut, '\n'));
  EXPECT_FALSE(
      evaluate(tst.substr(0, tst.find('\n', cut) + 1), records, blocks, tst)
          .ok());
  std::size_t result_end = 0;
  for (std::size_t k = 0; k <= lines_left; ++k)
    result_end = result.find('\n', result_end) + 1;
  EXPECT_EQ(std::string::npos,
            first_difference(result.substr(0, result_end),
                             testing::read_file(base_ + ".result")));
  // Test data of the same size with two lines joined a third of the way in:
  // what is written is a beginning of its lines, and nothing after them.
  std::string joined = tst;
  joined[joined.find('\n', joined.size() / 3)] = ' ';
  std::string joined_result;
  for (std::size_t at = 0; at < joined.size();) {
    std::size_t end = joined.find('\n', at);
    std::string line = joined.substr(at, end - at);
    if (line.ends_with('\r')) line.pop_back();
    joined_result += line + " -> v1\n";
    at = end + 1;
  }
  EXPECT_FALSE(evaluate(joined, records, blocks, tst).ok());
  const std::string written = testing::read_file(base_ + ".result");
  EXPECT_EQ(std::string::npos,
            first_difference(written, joined_result.substr(0, written.size())));
}

}  // namespace
}  // namespace ruleval
