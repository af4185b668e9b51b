#include "evaluate/classifier.h"

#include <algorithm>

#include "common/approx_compare.h"

namespace ruleval {
namespace {

// The score every candidate must beat first.
constexpr float kStartingBest = -99999.0f;

}  // namespace

Classifier::Classifier(const AttributeTable& table, const RuleStore& rules)
    : rules_(rules),
      class_count_(
          static_cast<std::size_t>(number_of_classes(table.attributes.back()))),
      full_match_scores_(class_count_),
      fully_matched_(class_count_),
      partial_match_scores_(class_count_),
      partially_matched_(class_count_) {}

int choose_concept(const std::vector<float>& scores,
                   const std::vector<char>& candidates) {
  float best = kStartingBest;
  int chosen = -1;
  int first = -1;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (!candidates[i]) continue;
    if (first < 0) first = static_cast<int>(i);
    if (approx_compare(scores[i], best, kCompareEpsilon) == 1) {
      best = scores[i];
      chosen = static_cast<int>(i);
    }
  }
  // No score beat the start (scores far below zero, or not numbers): the
  // first candidate, so that the result is always a class.
  return chosen >= 0 ? chosen : first;
}

Classification Classifier::classify_case(const CaseBuffer& cases, std::size_t c,
                                         int majority_class) {
  std::fill(full_match_scores_.begin(), full_match_scores_.end(), 0.0f);
  std::fill(fully_matched_.begin(), fully_matched_.end(), 0);
  std::fill(partial_match_scores_.begin(), partial_match_scores_.end(), 0.0f);
  std::fill(partially_matched_.begin(), partially_matched_.end(), 0);
  bool full_match = false;
  bool partial_match = false;
  for (std::size_t i = 0; i < class_count_; ++i) {
    for (const Rule& rule : rules_.concepts[i]) {
      const int met = met_conditions(rule, cases, c);
      if (met == rule.conditions_to_meet) {
        full_match_scores_[i] += rule.quality;
        fully_matched_[i] = 1;
        full_match = true;
      } else {
        partial_match_scores_[i] += partial_score(met, rule);
        partially_matched_[i] = 1;
        partial_match = true;
      }
    }
  }
  Classification result;
  if (full_match) {
    result.class_code = choose_concept(full_match_scores_, fully_matched_);
    result.decision = Decision::kFullMatch;
  } else if (partial_match) {
    result.class_code =
        choose_concept(partial_match_scores_, partially_matched_);
    result.decision = Decision::kPartialMatch;
  } else {
    result.class_code = majority_class;
    result.decision = Decision::kNoMatch;
  }
  return result;
}

}  // namespace ruleval
