#include "evaluate/result_tally.h"

namespace ruleval {
namespace {

// The concept of every rule of the first `classes` concepts, numbered in
// concept order.
std::vector<int> concepts_of_rules(const RuleStore& rules, int classes) {
  std::vector<int> concept_of;
  for (int i = 0; i < classes; ++i) {
    concept_of.insert(concept_of.end(),
                      rules.concepts[static_cast<std::size_t>(i)].size(), i);
  }
  return concept_of;
}

}  // namespace

ResultTally tally_results(const CaseBuffer& cases, const Classifications& given,
                          const MatchDetails& details, const RuleStore& rules,
                          int classes) {
  ResultTally tally(classes);
  const std::vector<int> concept_of = concepts_of_rules(rules, classes);
  tally.rules.resize(concept_of.size());
  std::size_t next = 0;  // the case's first full match
  for (std::size_t c = 0; c < cases.num_cases(); ++c) {
    const std::size_t first = next;
    next += details.full_match_counts[c];
    if (!case_is_scored(cases, c)) {
      ++tally.unscored;
      continue;
    }
    const auto actual = static_cast<int>(cases.class_code(c));
    const Classification decided = given[c];
    const bool correct = decided.class_code == actual;
    if (lacks_condition_value(cases, c)) {
      ++tally.with_missing_values.cases;
      if (correct) ++tally.with_missing_values.correct;
    }
    tally.matrix.add(actual, decided.class_code);
    RouteCounts& route =
        tally.routes[static_cast<std::size_t>(decided.decision)];
    ++route.cases;
    if (correct) ++route.correct;
    for (std::size_t k = first; k < next; ++k) {
      const std::uint32_t r = details.full_matches[k];
      RuleCounts& counts = tally.rules[r];
      ++counts.fully_matched;
      if (decided.decision == Decision::kFullMatch &&
          concept_of[r] == decided.class_code) {
        ++counts.helped_decide;
        if (!correct) ++counts.wrong;
      }
    }
  }
  return tally;
}

}  // namespace ruleval
