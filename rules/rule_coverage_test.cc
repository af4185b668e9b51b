#include "rules/rule_coverage.h"

#include <gtest/gtest.h>

#include "tests/rule_fixtures.h"

namespace ruleval {
namespace {

using testing::case_buffer;
using testing::make_rule;
using testing::selected_table;

const AttributeTable kTable = testing::three_class_table();

TEST(RuleCoverageTest, CoversTheExampleCases) {
  const AttributeTable table = selected_table({{'S', 4}, {'S', 3}, {'S', 2}});
  const CaseBuffer cases =
      case_buffer({{2, 1, 0}, {1, 0, 1}, {3, 2, 0}, {3, 0, 1}});
  RuleStore store = testing::rules_from(testing::kExampleRules, table);
  struct Expected {
    CaseList positive, negative;
  };
  const Expected expected[3] = {{{}, {1}}, {{0}, {}}, {{1, 3}, {}}};
  int k = 0;
  for (std::size_t i = 0; i < store.concepts.size(); ++i) {
    for (Rule& rule : store.concepts[i]) {
      ASSERT_TRUE(
          store_rule_coverage(
              compute_rule_coverage(cases, static_cast<int>(i), rule), &rule)
              .ok());
      EXPECT_EQ(expected[k].positive, rule.covered_positive.list()) << k;
      EXPECT_EQ(expected[k].negative, rule.covered_negative.list()) << k;
      ++k;
    }
  }
}

TEST(RuleCoverageTest, CountsAgainstAndPairNum) {
  const CaseBuffer cases =
      case_buffer({{0, 0, 0, 2}, {1, 2, 2, 1}, {3, 1, 1, 2}, {0, 1, 2, 0}});
  // No conditions: every case, those of the concept positive.
  RuleCoverage all = compute_rule_coverage(cases, 2, make_rule(kTable, 1, {}));
  EXPECT_EQ((CaseList{0, 2}), all.positive);
  EXPECT_EQ((CaseList{1, 3}), all.negative);
  // More conditions asked than the rule has: nothing.
  EXPECT_TRUE(
      compute_rule_coverage(cases, 0, make_rule(kTable, 1, {{0, 0, 0, 1}}, 2))
          .negative.empty());
  // The scan stops at the first plain condition that fails, so a rule asking
  // for one condition covers the cases that meet its first.
  const Rule first_of_two =
      make_rule(kTable, 1, {{0, 0, 0, 1}, {1, 0, 0, 1}}, 1);
  EXPECT_EQ((CaseList{3}),
            compute_rule_coverage(cases, 0, first_of_two).positive);
  EXPECT_EQ((CaseList{}),
            compute_rule_coverage(case_buffer({}), 0, first_of_two).positive);
  // Numeric bounds: at or below point 2 (code below 2), above point 1.
  const Rule band = make_rule(kTable, 1, {{2, 2, 0, 1}, {2, 1, 1, 1}});
  EXPECT_EQ((CaseList{2}), compute_rule_coverage(cases, 2, band).positive);
}

TEST(RuleCoverageTest, ListsHaveNoFixedCapacity) {
  std::vector<std::vector<std::uint32_t>> records(72000, {0, 0, 0, 1});
  for (std::size_t c = 0; c < 12000; ++c) records[c * 6][3] = 2;
  Rule rule = make_rule(kTable, 1, {{1, 0, 0, 1}});
  ASSERT_TRUE(store_rule_coverage(
                  compute_rule_coverage(case_buffer(records), 1, rule), &rule)
                  .ok());
  EXPECT_EQ(60000u, rule.covered_positive.size());
  EXPECT_EQ(12000u, rule.covered_negative.size());
  EXPECT_EQ(71999, rule.covered_positive.list().back());
  EXPECT_EQ(71994, rule.covered_negative.list().back());
}

TEST(RuleCoverageTest, ReadsOrGroupsItsOwnWay) {
  const CaseBuffer cases =
      case_buffer({{3, 0, 0, 0}, {2, 0, 0, 0}, {2, 1, 0, 0}, {0, 2, 2, 0}});
  // a0 is 1 or 3, and a1 is 0: an unmet group does not end the scan.
  const Rule group =
      make_rule(kTable, 1, {{0, 1, 0, 2}, {0, 3, 0, 1}, {1, 0, 0, 1}}, 2);
  EXPECT_EQ((CaseList{0}), compute_rule_coverage(cases, 0, group).positive);
  EXPECT_EQ((CaseList{1}), compute_rule_coverage(
                               cases, 0, make_rule(kTable, 1, group.pairs, 1))
                               .positive);
  // Every member is compared with the code at the head's attribute.
  const Rule head_attribute =
      make_rule(kTable, 1, {{0, 1, 0, 2}, {1, 2, 0, 1}}, 1);
  EXPECT_EQ((CaseList{1, 2}),
            compute_rule_coverage(cases, 0, head_attribute).positive);
  // A numeric pair, or a symbolic one with direction 1, heads no group.
  const Rule plain = make_rule(kTable, 1, {{2, 1, 1, 2}, {1, 0, 1, 2}}, 2);
  EXPECT_EQ((CaseList{3}), compute_rule_coverage(cases, 0, plain).positive);
  const Rule numeric = make_rule(kTable, 1, {{2, 2, 1, 2}, {0, 0, 0, 1}});
  EXPECT_EQ((CaseList{3}), compute_rule_coverage(cases, 0, numeric).positive);
}

// Gaps of every byte length, and enough cases to fill many chunks, kept
// exactly through joins, copies and moves.
TEST(CoveredCasesTest, KeepsAscendingCasesExactly) {
  CaseList expected;
  for (const std::int32_t c :
       {0, 1, 128, 256, 16640, 33024, 2130000, 270000000, 270000001})
    expected.push_back(c);
  for (std::int32_t c = 270000100; c < 270050000; c += 3) expected.push_back(c);
  expected.push_back(2147483646);
  const std::size_t half = expected.size() / 2;
  CoveredCases covered;
  for (std::size_t k = 0; k < half; ++k)
    covered.append(static_cast<std::uint32_t>(expected[k]));
  CoveredCases later;
  for (std::size_t k = half; k + 1 < expected.size(); ++k)
    later.append(static_cast<std::uint32_t>(expected[k]));
  covered.append(CoveredCases());
  CoveredCases moved(std::move(later));
  covered.append(CoveredCases(moved));
  covered.append(static_cast<std::uint32_t>(expected.back()));
  EXPECT_EQ(expected, covered.list());
  EXPECT_EQ(expected.size(), covered.size());
  EXPECT_EQ(0u, later.size());
  const CoveredCases copy = covered;
  EXPECT_EQ(expected, copy.list());
}

}  // namespace
}  // namespace ruleval
