// The indexed matcher against the straightforward one on many generated
// data sets: every classification, every coverage list and every detail
// kept for the results must agree, and an explanation must give the same.
#include "evaluate/indexed_matcher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <random>

#include "evaluate/case_explanation.h"
#include "evaluate/rule_matcher.h"
#include "tests/rule_fixtures.h"

namespace ruleval {
namespace {

using testing::make_rule;

class DataSetGenerator {
 public:
  explicit DataSetGenerator(unsigned seed) : random_(seed) {}

  AttributeTable table() {
    std::vector<std::pair<char, int>> types;
    const int conditions = pick(1, 6);
    for (int a = 0; a < conditions; ++a) {
      const int kind = pick(0, 9);
      if (kind == 0) {
        types.push_back({'S', pick(0, 3) == 0 ? 5000 : 300});  // wide codes
      } else {
        types.push_back({"SSSIR"[pick(0, 4)], pick(1, 6)});
      }
    }
    if (pick(0, 3) == 0) {
      types.push_back({"IR"[pick(0, 1)], pick(2, 5)});
    } else {
      types.push_back({'S', pick(1, 4)});
    }
    return testing::selected_table(types);
  }

  RuleStore rules(const AttributeTable& table) {
    RuleStore store;
    const int classes = number_of_classes(table.attributes.back());
    const int concepts = classes + pick(0, 1);
    for (int i = 0; i < concepts; ++i) {
      std::vector<Rule> concept_rules(static_cast<std::size_t>(pick(0, 12)));
      for (Rule& rule : concept_rules) rule = this->rule(table);
      store.concepts.push_back(std::move(concept_rules));
    }
    store.majority_class = pick(0, classes - 1);
    return store;
  }

  CaseBuffer cases(const AttributeTable& table) {
    const int n = pick(0, 9) == 0 ? 0 : pick(1, 400);
    // Every value missing at times in some data sets, classes too.
    const int holes = pick(0, 2) == 0 ? 8 : 0;
    const auto maybe_missing = [&](std::uint32_t code) {
      return holes > 0 && pick(1, holes) == 1 ? kMissingCode : code;
    };
    std::vector<std::vector<std::uint32_t>> records;
    for (int c = 0; c < n; ++c) {
      std::vector<std::uint32_t> record;
      for (std::size_t a = 0; a + 1 < table.attributes.size(); ++a) {
        const std::uint32_t codes = code_count(table.attributes[a]);
        // Mostly the first few codes, so that rules meet cases often.
        const int top = static_cast<int>(codes) - 1;
        record.push_back(maybe_missing(
            static_cast<std::uint32_t>(pick(0, std::min(top, pick(1, 4))))));
      }
      record.push_back(maybe_missing(static_cast<std::uint32_t>(
          pick(0, number_of_classes(table.attributes.back()) - 1))));
      records.push_back(record);
    }
    if (records.empty()) {
      CaseBuffer empty;
      empty.allocate(0, table.attributes.size(), 2);
      return empty;
    }
    return testing::case_buffer(records);
  }

 private:
  int pick(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_);
  }

  ConditionPair pair(const AttributeTable& table, int attrino) {
    const Attribute& attribute =
        table.attributes[static_cast<std::size_t>(attrino)];
    const int top = std::min(attribute.value_count - 1, pick(1, 5));
    return ConditionPair{attrino, pick(0, top),
                         pick(0, 4) == 0 ? pick(0, 2) : 0, 1};
  }

  // Plain conditions, conventional OR groups, and groups that break the
  // conventions: numeric or negated heads, members on other attributes.
  void add_condition(const AttributeTable& table,
                     std::vector<ConditionPair>* pairs) {
    const int conditions = static_cast<int>(table.attributes.size()) - 1;
    const int attrino = pick(0, conditions - 1);
    ConditionPair head = pair(table, attrino);
    const int kind = pick(0, 9);
    if (kind < 6) {
      if (kind < 2) head.direction = 1;
      pairs->push_back(head);
      return;
    }
    const int members = pick(2, 4);
    const bool conventional =
        kind < 9 &&
        table.attributes[static_cast<std::size_t>(attrino)].symbolic();
    head.orflag = members;
    if (conventional) head.direction = 0;
    pairs->push_back(head);
    for (int m = 1; m < members; ++m) {
      pairs->push_back(
          pair(table, conventional ? attrino : pick(0, conditions - 1)));
    }
  }

  float quality() {
    static const float kQualities[] = {0.5f,
                                       1.0f,
                                       1.0f,
                                       1.0000001f,
                                       2.0f,
                                       3.25f,
                                       0.0f,
                                       -1.0f,
                                       1e-30f,
                                       7e5f,
                                       std::numeric_limits<float>::infinity(),
                                       std::numeric_limits<float>::quiet_NaN()};
    const int top = pick(0, 19) == 0 ? 11 : 9;
    return kQualities[pick(0, top)];
  }

  Rule rule(const AttributeTable& table) {
    const float weight = quality();
    std::vector<ConditionPair> pairs;
    const int conditions = pick(0, 9) == 0 ? 0 : pick(1, 5);
    for (int k = 0; k < conditions; ++k) add_condition(table, &pairs);
    Rule rule = make_rule(table, weight, pairs);
    // Each plain pair and each OR group is one condition to the classifier.
    const auto counted = static_cast<int>(std::count_if(
        rule.classified_conditions.begin(), rule.classified_conditions.end(),
        [](const Condition& condition) { return !condition.joined_to_next; }));
    rule.conditions_to_meet = counted;
    if (pick(0, 9) == 0 && !pairs.empty())
      rule.conditions_to_meet = pick(1, counted + 1);
    return rule;
  }

  std::mt19937 random_;
};

void expect_same_matching(const AttributeTable& table, const CaseBuffer& cases,
                          const RuleStore& rules, std::size_t threads,
                          LaneKernel kernel = best_lane_kernel()) {
  RuleStore expected_rules = rules;
  Classifications expected;
  MatchDetails expected_details;
  ASSERT_TRUE(match_rules(table, cases, MatchMethod::kReference,
                          &expected_rules, &expected, &expected_details)
                  .ok());
  RuleStore got_rules = rules;
  Classifications got;
  MatchDetails got_details;
  ASSERT_TRUE(match_indexed(table, cases, &got_rules, &got, threads,
                            &got_details, kernel)
                  .ok());
  ASSERT_EQ(expected.size(), got.size());
  ASSERT_EQ(got.size(), got_details.scores.size());
  for (std::size_t c = 0; c < got.size(); ++c) {
    EXPECT_EQ(expected[c].class_code, got[c].class_code) << "case " << c;
    EXPECT_EQ(expected[c].decision, got[c].decision) << "case " << c;
    const CaseScore& want = expected_details.scores[c];
    const CaseScore& have = got_details.scores[c];
    EXPECT_EQ(want.runner_up, have.runner_up) << "case " << c;
    // Bitwise, so that not-a-number scores compare too.
    EXPECT_EQ(std::bit_cast<std::uint32_t>(want.score),
              std::bit_cast<std::uint32_t>(have.score))
        << "case " << c;
    EXPECT_EQ(std::bit_cast<std::uint32_t>(want.runner_up_score),
              std::bit_cast<std::uint32_t>(have.runner_up_score))
        << "case " << c;
    // An explanation recomputes the same.
    const CaseExplanation explained = explain_case(table, rules, cases, c);
    EXPECT_EQ(expected[c].class_code, explained.given.class_code) << c;
    EXPECT_EQ(expected[c].decision, explained.given.decision) << c;
    EXPECT_EQ(want.runner_up, explained.runner_up) << "case " << c;
  }
  EXPECT_EQ(expected_details.full_match_counts, got_details.full_match_counts);
  EXPECT_EQ(expected_details.full_matches, got_details.full_matches);
  for (std::size_t i = 0; i < rules.concepts.size(); ++i) {
    for (std::size_t j = 0; j < rules.concepts[i].size(); ++j) {
      const Rule& want = expected_rules.concepts[i][j];
      const Rule& have = got_rules.concepts[i][j];
      EXPECT_EQ(want.covered_positive.list(), have.covered_positive.list())
          << i << "/" << j;
      EXPECT_EQ(want.covered_negative.list(), have.covered_negative.list())
          << i << "/" << j;
    }
  }
}

TEST(IndexedMatcherTest, AgreesWithTheStraightforwardMatcher) {
  for (unsigned seed = 1; seed <= 400; ++seed) {
    SCOPED_TRACE(seed);
    DataSetGenerator generate(seed);
    const AttributeTable table = generate.table();
    const RuleStore rules = generate.rules(table);
    const CaseBuffer cases = generate.cases(table);
    expect_same_matching(table, cases, rules, 1 + seed % 3);
    if (HasFailure()) return;
  }
}

TEST(IndexedMatcherTest, CountsBeyondOneByteAndManyRules) {
  // A rule of 300 met negations, one of 256 with one unmet, rules of 15 and
  // 16 conditions around the widest that are scored side by side, and
  // enough rules to fill more than one tile of words, over cases split
  // among blocks, with every way of scoring side by side this processor
  // runs.
  const AttributeTable table =
      testing::selected_table({{'S', 3}, {'S', 3}, {'S', 2}});
  std::vector<ConditionPair> negations;
  for (int k = 0; k < 300; ++k) negations.push_back({k % 2, 2, 1, 1});
  const Rule long_rule = make_rule(table, 2.0f, negations, 300);
  std::vector<ConditionPair> one_unmet = {{0, 0, 0, 1}};
  for (int k = 0; k < 255; ++k) one_unmet.push_back({1, 2, 1, 1});
  const Rule almost = make_rule(table, 9.0f, one_unmet, 256);
  RuleStore rules;
  rules.concepts.resize(2);
  rules.concepts[0] = {long_rule};
  rules.concepts[1] = {almost};
  for (const int width : {15, 16}) {
    std::vector<ConditionPair> wide(static_cast<std::size_t>(width),
                                    {1, 0, 1, 1});
    wide.front() = {0, 1, 0, 1};
    rules.concepts[width % 2].push_back(make_rule(table, 3.0f, wide, width));
  }
  for (int r = 0; r < 9000; ++r) {
    rules.concepts[r % 2].push_back(make_rule(
        table, 0.25f * static_cast<float>(r % 7), {{r % 2, r % 3, r % 2, 1}}));
  }
  std::vector<std::vector<std::uint32_t>> records;
  for (std::uint32_t c = 0; c < 150; ++c)
    records.push_back({c % 3, c / 3 % 3, c % 2});
  const CaseBuffer cases = testing::case_buffer(records);
  for (std::size_t threads = 1; threads <= 3; ++threads) {
    for (const LaneKernel kernel :
         {LaneKernel::kPlain, LaneKernel::kAvx2, LaneKernel::kAvx512}) {
      if (lane_kernel_runs(kernel))
        expect_same_matching(table, cases, rules, threads, kernel);
    }
  }
}

}  // namespace
}  // namespace ruleval
