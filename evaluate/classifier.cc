#include "evaluate/classifier.h"

#include <algorithm>
#include <cstring>

#include "common/approx_compare.h"

namespace ruleval {

void Classifications::assign(std::size_t n, int classes) {
  const auto largest =
      static_cast<std::uint64_t>(classes > 0 ? classes - 1 : 0) << 2 | 3;
  width_ = largest <= 0xFF         ? 1
           : largest <= 0xFFFF     ? 2
           : largest <= 0xFFFFFFFF ? 4
                                   : 8;
  size_ = 0;
  bytes_.assign(n * width_, 0);
  size_ = n;
}

std::uint64_t Classifications::load(std::size_t c) const {
  const std::uint8_t* at = bytes_.data() + c * width_;
  switch (width_) {
    case 1:
      return *at;
    case 2: {
      std::uint16_t value;
      std::memcpy(&value, at, sizeof value);
      return value;
    }
    case 4: {
      std::uint32_t value;
      std::memcpy(&value, at, sizeof value);
      return value;
    }
    default: {
      std::uint64_t value;
      std::memcpy(&value, at, sizeof value);
      return value;
    }
  }
}

void Classifications::store(std::size_t c, std::uint64_t packed) {
  std::uint8_t* at = bytes_.data() + c * width_;
  switch (width_) {
    case 1:
      *at = static_cast<std::uint8_t>(packed);
      break;
    case 2: {
      const auto value = static_cast<std::uint16_t>(packed);
      std::memcpy(at, &value, sizeof value);
      break;
    }
    case 4: {
      const auto value = static_cast<std::uint32_t>(packed);
      std::memcpy(at, &value, sizeof value);
      break;
    }
    default:
      std::memcpy(at, &packed, sizeof packed);
      break;
  }
}
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

namespace {

// choose_concept without the concept `left_out` (-1 for none); -1 when no
// other flag is set.
int choose_concept_but(const std::vector<float>& scores,
                       const std::vector<char>& candidates, int left_out) {
  float best = kStartingBest;
  int chosen = -1;
  int first = -1;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (!candidates[i] || static_cast<int>(i) == left_out) continue;
    if (first < 0) first = static_cast<int>(i);
    if (approx_compare(scores[i], best, kCompareEpsilon) == 1) {
      best = scores[i];
      chosen = static_cast<int>(i);
    }
  }
  return chosen >= 0 ? chosen : first;
}

}  // namespace

CaseScore score_choice(const std::vector<float>& scores,
                       const std::vector<char>& candidates, int chosen) {
  CaseScore score;
  score.score = scores[static_cast<std::size_t>(chosen)];
  score.runner_up = choose_concept_but(scores, candidates, chosen);
  if (score.runner_up >= 0)
    score.runner_up_score = scores[static_cast<std::size_t>(score.runner_up)];
  return score;
}

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

Classification Classifier::classify_case(
    const CaseBuffer& cases, std::size_t c, int majority_class,
    CaseScore* score, std::vector<std::uint32_t>* full_matches) {
  std::fill(full_match_scores_.begin(), full_match_scores_.end(), 0.0f);
  std::fill(fully_matched_.begin(), fully_matched_.end(), 0);
  std::fill(partial_match_scores_.begin(), partial_match_scores_.end(), 0.0f);
  std::fill(partially_matched_.begin(), partially_matched_.end(), 0);
  bool full_match = false;
  bool partial_match = false;
  std::uint32_t r = 0;  // the rule's number in concept order
  for (std::size_t i = 0; i < class_count_; ++i) {
    for (const Rule& rule : rules_.concepts[i]) {
      const int met = met_conditions(rule, cases, c);
      if (met == rule.conditions_to_meet) {
        if (full_matches != nullptr) full_matches->push_back(r);
        full_match_scores_[i] += rule.quality;
        fully_matched_[i] = 1;
        full_match = true;
      } else {
        partial_match_scores_[i] += partial_score(met, rule);
        partially_matched_[i] = 1;
        partial_match = true;
      }
      ++r;
    }
  }
  Classification result;
  if (full_match) {
    result.class_code = choose_concept(full_match_scores_, fully_matched_);
    result.decision = Decision::kFullMatch;
    if (score != nullptr)
      *score =
          score_choice(full_match_scores_, fully_matched_, result.class_code);
  } else if (partial_match) {
    result.class_code =
        choose_concept(partial_match_scores_, partially_matched_);
    result.decision = Decision::kPartialMatch;
    if (score != nullptr)
      *score = score_choice(partial_match_scores_, partially_matched_,
                            result.class_code);
  } else {
    result.class_code = majority_class;
    result.decision = Decision::kNoMatch;
    if (score != nullptr) *score = CaseScore{};
  }
  return result;
}

}  // namespace ruleval
