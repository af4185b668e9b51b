#include "evaluate/classifier.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/rule_fixtures.h"

namespace ruleval {
namespace {

using testing::case_buffer;
using testing::make_rule;
using testing::selected_table;

const AttributeTable kTable = testing::three_class_table();

RuleStore store_of(std::vector<std::vector<Rule>> concepts, int majority = 0) {
  RuleStore store;
  store.concepts = std::move(concepts);
  store.majority_class = majority;
  return store;
}

// Classifies one case of codes a0, a1, a2 (class 0) with the rules.
Classification classify(const RuleStore& rules,
                        std::vector<std::uint32_t> codes) {
  codes.push_back(0);
  Classifier classifier(kTable, rules);
  return classifier.classify_case(case_buffer({codes}), 0,
                                  rules.majority_class);
}

TEST(ClassifierTest, ClassifiesTheExampleCases) {
  const AttributeTable table = selected_table({{'S', 4}, {'S', 3}, {'S', 2}});
  const RuleStore rules = testing::rules_from(testing::kExampleRules, table);
  const CaseBuffer cases =
      case_buffer({{2, 1, 0}, {1, 0, 1}, {3, 2, 0}, {3, 0, 1}});
  Classifier classifier(table, rules);
  const struct {
    int class_code;
    Decision decision;
  } expected[] = {{0, Decision::kFullMatch},
                  {1, Decision::kFullMatch},
                  {0, Decision::kPartialMatch},
                  {1, Decision::kFullMatch}};
  for (std::size_t c = 0; c < 4; ++c) {
    const Classification got = classifier.classify_case(cases, c, 1);
    EXPECT_EQ(expected[c].class_code, got.class_code) << c;
    EXPECT_EQ(expected[c].decision, got.decision) << c;
  }

  // Without rules every case gets the majority class.
  RuleStore empty = rules;
  for (auto& concept_rules : empty.concepts) concept_rules.clear();
  Classifier fallback(table, empty);
  for (std::size_t c = 0; c < 4; ++c) {
    const Classification got = fallback.classify_case(cases, c, 1);
    EXPECT_EQ(1, got.class_code);
    EXPECT_TRUE(got.no_match());
    EXPECT_FALSE(got.partial_match());
  }
}

TEST(ClassifierTest, FullMatchesOutweighPartialScores) {
  const Rule a0_is_1 = make_rule(kTable, 100, {{0, 1, 0, 1}});
  const Rule a1_is_2 = make_rule(kTable, 0.1f, {{1, 2, 0, 1}});
  // A full match of 0.1 beats a partial score of any size.
  Classification got =
      classify(store_of({{a0_is_1}, {a1_is_2}, {}}), {0, 2, 0});
  EXPECT_EQ(1, got.class_code);
  EXPECT_EQ(Decision::kFullMatch, got.decision);
  // Equal sums, and sums within the tolerance, go to the lower concept.
  const Rule always = make_rule(kTable, 1.0f, {});  // no conditions: always met
  EXPECT_EQ(1,
            classify(store_of({{}, {always}, {always}}), {0, 0, 0}).class_code);
  EXPECT_EQ(
      1, classify(store_of({{}, {always}, {make_rule(kTable, 1.0000001f, {})}}),
                  {0, 0, 0})
             .class_code);
  EXPECT_EQ(
      2, classify(store_of({{}, {always}, {make_rule(kTable, 1.000001f, {})}}),
                  {0, 0, 0})
             .class_code);
  // Qualities add up per concept.
  EXPECT_EQ(0, classify(store_of({{always, make_rule(kTable, 0.5f, {})},
                                  {make_rule(kTable, 1.4f, {})},
                                  {}}),
                        {0, 0, 0})
                   .class_code);
}

TEST(ClassifierTest, PartialScoresWeighTheShareOfConditionsMet) {
  // 1 of 2 conditions met, quality 3.0: 1.5.
  const Rule half = make_rule(kTable, 3.0f, {{0, 0, 0, 1}, {1, 1, 0, 1}});
  // 2 of 3 met, quality 1.5: 1.0; plus what a third rule adds.
  const Rule two_thirds =
      make_rule(kTable, 1.5f, {{0, 0, 0, 1}, {1, 0, 0, 1}, {2, 1, 1, 1}});
  const auto with_extra = [&](float quality) {
    return store_of(
        {{half},
         {two_thirds, make_rule(kTable, quality, {{0, 0, 0, 1}, {2, 1, 1, 1}})},
         {}});
  };
  // The extra rule meets 1 of 2: it adds quality / 2.
  Classification got = classify(with_extra(0.98f), {0, 0, 0});
  EXPECT_EQ(0, got.class_code);
  EXPECT_TRUE(got.partial_match());
  EXPECT_EQ(1, classify(with_extra(1.02f), {0, 0, 0}).class_code);
  // A case that meets no condition at all still decides by partial match:
  // the lowest concept that has rules wins with 0.
  got = classify(store_of({{}, {half}, {two_thirds}}), {3, 2, 0});
  EXPECT_EQ(1, got.class_code);
  EXPECT_TRUE(got.partial_match());
}

TEST(ClassifierTest, ReadsConditionsAndOrGroupsItsOwnWay) {
  const auto matches = [](const Rule& rule, std::vector<std::uint32_t> codes) {
    return classify(store_of({{}, {rule}, {}}), codes).decision ==
           Decision::kFullMatch;
  };
  // Numeric bounds compare the interval code with parino.
  EXPECT_TRUE(
      matches(make_rule(kTable, 1, {{2, 2, 0, 1}, {2, 1, 1, 1}}), {0, 0, 1}));
  EXPECT_FALSE(matches(make_rule(kTable, 1, {{2, 2, 0, 1}}), {0, 0, 2}));
  EXPECT_TRUE(matches(make_rule(kTable, 1, {{0, 3, 1, 1}}), {2, 0, 0}));
  // Any orflag other than 1 heads a group, numeric ones too, whatever the
  // direction: the interval code must equal a member's parino.
  const Rule numeric_group =
      make_rule(kTable, 1, {{2, 0, 1, 2}, {2, 2, 1, 1}}, 1);
  EXPECT_TRUE(matches(numeric_group, {0, 0, 0}));
  EXPECT_FALSE(matches(numeric_group, {0, 0, 1}));
  // Each member reads the code at its own attribute.
  const Rule mixed_group =
      make_rule(kTable, 1, {{0, 1, 0, 2}, {1, 2, 0, 1}}, 1);
  EXPECT_TRUE(matches(mixed_group, {0, 2, 0}));
  EXPECT_FALSE(matches(mixed_group, {2, 0, 0}));
}

TEST(ClassifierTest, ComparesWholeCodesBeyondOneByte) {
  const AttributeTable table = selected_table({{'S', 300}, {'S', 2}});
  RuleStore rules =
      store_of({{make_rule(table, 1, {{0, 130, 0, 1}})},
                {make_rule(table, 1, {{0, 1, 0, 2}, {0, 299, 0, 1}}, 1)}});
  const CaseBuffer cases = case_buffer({{130, 0}, {299, 0}, {43, 0}});
  Classifier classifier(table, rules);
  EXPECT_EQ(Decision::kFullMatch,
            classifier.classify_case(cases, 0, 0).decision);
  const Classification got = classifier.classify_case(cases, 1, 0);
  EXPECT_EQ(1, got.class_code);
  EXPECT_EQ(Decision::kFullMatch, got.decision);
  EXPECT_TRUE(classifier.classify_case(cases, 2, 0).partial_match());
}

TEST(ClassifierTest, ConsultsOnlyTheConceptsOfTheClasses) {
  const Rule always = make_rule(kTable, 5.0f, {});
  // A fourth concept is never consulted: the majority class it is.
  const Classification got =
      classify(store_of({{}, {}, {}, {always}}, 2), {0, 0, 0});
  EXPECT_EQ(2, got.class_code);
  EXPECT_TRUE(got.no_match());
}

TEST(ClassifierTest, ScoresThatBeatNoStartGoToTheFirstCandidate) {
  const Classification got =
      classify(store_of({{},
                         {make_rule(kTable, -200000.0f, {})},
                         {make_rule(kTable, -100.0f, {{0, 1, 0, 1}})}}),
               {0, 0, 0});
  EXPECT_EQ(1, got.class_code);
  EXPECT_EQ(Decision::kFullMatch, got.decision);
}

TEST(ClassificationsTest, KeepsEveryClassInTheFewestBytes) {
  // Classes, the bytes a classification takes, and the largest class kept.
  const struct {
    int classes;
    std::size_t width;
  } kCases[] = {{1, 1},     {64, 1},      {65, 2},           {16384, 2},
                {16385, 4}, {1 << 30, 4}, {(1 << 30) + 1, 8}};
  for (const auto& kase : kCases) {
    Classifications given;
    given.assign(3, kase.classes);
    EXPECT_EQ(kase.width, given.width()) << kase.classes;
    given.set(0, {kase.classes - 1, Decision::kNoMatch});
    given.set(2, {0, Decision::kPartialMatch});
    const Classification first = given[0];
    EXPECT_EQ(kase.classes - 1, first.class_code) << kase.classes;
    EXPECT_EQ(Decision::kNoMatch, first.decision) << kase.classes;
    EXPECT_EQ(Decision::kFullMatch, given[1].decision) << kase.classes;
    EXPECT_EQ(0, given[2].class_code) << kase.classes;
    EXPECT_EQ(Decision::kPartialMatch, given[2].decision) << kase.classes;
  }
}

}  // namespace
}  // namespace ruleval
