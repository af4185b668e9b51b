#include "evaluate/classifier.h"

#include <algorithm>

#include "common/approx_compare.h"

namespace ruleval {
namespace {

// The score every candidate must beat first.
constexpr float kStartingBest = -99999.0f;

}  // namespace

bool test_condition(const CaseBuffer& cases, std::size_t c,
                    const ConditionPair& pair, bool symbolic) {
  const std::uint32_t v = cases.code(c, static_cast<std::size_t>(pair.attrino));
  const auto p = static_cast<std::uint32_t>(pair.parino);
  if (symbolic) return pair.direction == 0 ? v == p : v != p;
  return pair.direction == 0 ? v < p : v >= p;
}

Classifier::Classifier(const AttributeTable& table, const RuleStore& rules)
    : table_(table),
      rules_(rules),
      class_count_(
          static_cast<std::size_t>(number_of_classes(table.attributes.back()))),
      DS(class_count_),
      conceptmatchflag(class_count_),
      conceptpmflag(class_count_),
      PDS(class_count_) {}

int met_conditions(const AttributeTable& table, const CaseBuffer& cases,
                   std::size_t c, const Rule& rule) {
  int satisfied = 0;
  const std::size_t n = rule.pairs.size();
  for (std::size_t l = 0; l < n;) {
    const ConditionPair& pair = rule.pairs[l];
    if (pair.orflag == 1) {
      const bool symbolic =
          table.attributes[static_cast<std::size_t>(pair.attrino)].symbolic();
      if (test_condition(cases, c, pair, symbolic)) ++satisfied;
      ++l;
      continue;
    }
    // An OR group, whatever the type and direction: each member compares
    // the code at its own attribute with its parino.
    const std::size_t end = l + static_cast<std::size_t>(pair.orflag);
    for (std::size_t m = l; m < end; ++m) {
      const ConditionPair& member = rule.pairs[m];
      if (cases.code(c, static_cast<std::size_t>(member.attrino)) ==
          static_cast<std::uint32_t>(member.parino)) {
        ++satisfied;
        break;
      }
    }
    l = end;
  }
  return satisfied;
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

Classification Classifier::classify_case(const CaseBuffer& cases, std::size_t c,
                                         int majority_class) {
  std::fill(DS.begin(), DS.end(), 0.0f);
  std::fill(conceptmatchflag.begin(), conceptmatchflag.end(), 0);
  std::fill(conceptpmflag.begin(), conceptpmflag.end(), 0);
  std::fill(PDS.begin(), PDS.end(), 0.0f);
  bool full_match = false;
  bool partial_match = false;
  for (std::size_t i = 0; i < class_count_; ++i) {
    for (const Rule& rule : rules_.concepts[i]) {
      const int k = met_conditions(table_, cases, c, rule);
      if (k == rule.and_pair_num) {
        DS[i] += rule.rule_quality;
        conceptmatchflag[i] = 1;
        full_match = true;
      } else {
        // Computed in double, rounded once to single, then summed in single.
        const double product = static_cast<double>(k) / rule.and_pair_num *
                               static_cast<double>(rule.rule_quality);
        PDS[i] += static_cast<float>(product);
        conceptpmflag[i] = 1;
        partial_match = true;
      }
    }
  }
  Classification result;
  if (full_match) {
    result.class_code = choose_concept(DS, conceptmatchflag);
    result.decision = Decision::kFullMatch;
  } else if (partial_match) {
    result.class_code = choose_concept(PDS, conceptpmflag);
    result.decision = Decision::kPartialMatch;
  } else {
    result.class_code = majority_class;
    result.decision = Decision::kNoMatch;
  }
  return result;
}

}  // namespace ruleval
