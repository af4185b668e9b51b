#include "rules/rule_compiler.h"

#include <gtest/gtest.h>

#include "tests/rule_fixtures.h"

namespace ruleval {
namespace {

// Symbolic a0 (4 values), a1 (3 values), integer a2 (3 points).
const AttributeTable kTable = testing::three_class_table();

Condition plain(std::uint32_t attribute, CodeSet codes) {
  return Condition{std::move(codes), attribute, true, false};
}
// An OR group's codes on one attribute, joined to the next when `joined`.
Condition group(std::uint32_t attribute, CodeSet codes, bool joined = false) {
  return Condition{std::move(codes), attribute, false, joined};
}

TEST(RuleCompilerTest, ReadsEveryKindOfPairInBothReadings) {
  const struct {
    const char* what;
    std::vector<ConditionPair> pairs;
    std::vector<Condition> classified;
    std::vector<Condition> coverage;
  } cases[] = {
      {"plain conditions",
       {{0, 1, 0, 1}, {1, 2, 1, 1}, {2, 2, 0, 1}, {2, 1, 1, 1}},
       {plain(0, CodeSet::equal_to(1)), plain(1, CodeSet::other_than(2)),
        plain(2, CodeSet::below(2)), plain(2, CodeSet::at_least(1))},
       {plain(0, CodeSet::equal_to(1)), plain(1, CodeSet::other_than(2)),
        plain(2, CodeSet::below(2)), plain(2, CodeSet::at_least(1))}},
      {"an OR group on its head's attribute",
       {{0, 3, 0, 2}, {0, 1, 0, 1}},
       {group(0, CodeSet::one_of({1, 3}))},
       {group(0, CodeSet::one_of({1, 3}))}},
      {"members on other attributes",
       {{0, 1, 0, 2}, {1, 2, 0, 1}},
       {group(0, CodeSet::one_of({1}), true), group(1, CodeSet::one_of({2}))},
       {group(0, CodeSet::one_of({1, 2}))}},
      {"a numeric head",
       {{2, 0, 1, 2}, {2, 2, 1, 1}},
       {group(2, CodeSet::one_of({0, 2}))},
       {plain(2, CodeSet::at_least(0)), plain(2, CodeSet::at_least(2))}},
      {"a negated head",
       {{0, 1, 1, 2}, {0, 2, 0, 1}},
       {group(0, CodeSet::one_of({1, 2}))},
       {plain(0, CodeSet::other_than(1)), plain(0, CodeSet::equal_to(2))}},
  };
  for (const auto& c : cases) {
    Rule rule;
    rule.pairs = c.pairs;
    EXPECT_FALSE(compile_rule(kTable, &rule)) << c.what;
    EXPECT_EQ(c.classified, rule.classified_conditions) << c.what;
    EXPECT_EQ(c.coverage, rule.scanned_conditions()) << c.what;
    EXPECT_EQ(c.classified == c.coverage, rule.same_in_both_readings())
        << c.what;
  }
}

TEST(RuleCompilerTest, FindsTheFirstGroupThatRunsPastItsRule) {
  const struct {
    std::vector<ConditionPair> pairs;
    std::size_t overrun;
  } cases[] = {
      // Only the classifier reads a numeric head as a group.
      {{{2, 0, 0, 3}, {2, 1, 0, 1}}, 0},
      // Only the text reads a0's group, inside a1's.
      {{{1, 0, 0, 2}, {0, 1, 0, 2}}, 1},
  };
  for (const auto& c : cases) {
    Rule rule;
    rule.pairs = c.pairs;
    EXPECT_EQ(c.overrun, compile_rule(kTable, &rule));
  }
}

TEST(CodeSetTest, OneFunctionDecidesWhichCodesMeetACondition) {
  const CodeSet sets[] = {CodeSet::equal_to(2), CodeSet::other_than(2),
                          CodeSet::below(2), CodeSet::at_least(2),
                          CodeSet::one_of({3, 0, 3})};
  const char* const members[] = {"0010", "1101", "1100", "0011", "1001"};
  for (std::size_t k = 0; k < std::size(sets); ++k) {
    std::string got;
    for (std::uint32_t v = 0; v < 4; ++v)
      got += sets[k].contains(v) ? '1' : '0';
    EXPECT_EQ(members[k], got) << k;
  }
}

}  // namespace
}  // namespace ruleval
