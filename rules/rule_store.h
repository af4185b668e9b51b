// The rule store: the learned rules of B.intr grouped by concept (class),
// with the test cases each rule covers. Concept i is class code i.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "rules/covered_cases.h"
#include "rules/rule_conditions.h"

namespace ruleval {

// One condition pair of B.intr as the file writes it: a condition of a
// rule, or one member of an OR group. Only the rule reader and the rule
// compiler read pairs; every other stage reads the compiled conditions.
struct ConditionPair {
  // Position of the attribute in the selected order: the row of the
  // rearranged attribute table and the position of its code in a case.
  int attrino = 0;
  // A value code (symbolic attribute) or a boundary point (numeric one).
  int parino = 0;
  // Symbolic: 0 "is value parino", otherwise "is not". Numeric: 0 "at or
  // below point parino" (interval code below parino), otherwise "above it"
  // (interval code parino or more).
  int direction = 0;
  // 1 for a plain condition; on the first pair of an OR group, the number
  // of consecutive pairs in the group.
  int orflag = 1;
};

struct Rule {
  // What matching reads for every case comes first, on as few cache lines
  // as may be.
  float quality = 0;  // the rule's weight in classification
  // Conditions a case must meet to match the rule fully, or to be covered.
  int conditions_to_meet = 0;
  // Compiled from the pairs by compile_rule. The classifier counts the
  // conditions of classified_conditions that a case meets; the coverage
  // scan goes through scanned_conditions() in order. The two read OR
  // groups differently; when they do not differ (same_in_both_readings()),
  // the classifier's conditions serve both and coverage_conditions is empty.
  std::vector<Condition> classified_conditions;
  std::vector<Condition> coverage_conditions;

  // As read from B.intr.
  std::vector<ConditionPair> pairs;
  float accuracy = 0;  // read, never used
  // The counts of covered cases the learning stage wrote; never used.
  int declared_positive = 0;
  int declared_negative = 0;
  // What the rule's condition text shows, by ascending attribute.
  std::vector<ShownCondition> shown;

  // Covered cases of the rule's own class, and of other classes.
  CoveredCases covered_positive;
  CoveredCases covered_negative;

  bool same_in_both_readings() const { return coverage_conditions.empty(); }
  const std::vector<Condition>& scanned_conditions() const {
    return same_in_both_readings() ? classified_conditions
                                   : coverage_conditions;
  }
};

struct RuleStore {
  // concepts[i] holds the rules of concept i, in file order.
  std::vector<std::vector<Rule>> concepts;
  // The class given when no consulted concept has a rule.
  int majority_class = 0;
  // The header's Rule_qualityno: the measure the qualities were computed
  // with.
  int quality_number = 0;

  int concept_count() const { return static_cast<int>(concepts.size()); }
  int rule_count(std::size_t concept_index) const {
    return static_cast<int>(concepts[concept_index].size());
  }
};

// These run for every rule and case when rules are matched one by one, so
// they are defined here, to be inlined.

// The conditions of rule that case c meets, as the classifier counts them:
// a run of joined conditions counts once.
inline int met_conditions(const Rule& rule, const CaseBuffer& cases,
                          std::size_t c) {
  int met = 0;
  const std::vector<Condition>& conditions = rule.classified_conditions;
  for (auto it = conditions.begin(); it != conditions.end(); ++it) {
    bool run_met = it->met_by(cases, c);
    for (; it->joined_to_next; ++it) {
      run_met = run_met || std::next(it)->met_by(cases, c);
    }
    if (run_met) ++met;
  }
  return met;
}

// Whether rule covers case c: the coverage scan meets as many conditions as
// the rule asks before the first plain condition that fails. The scan's
// conditions are never joined.
inline bool covers_case(const Rule& rule, const CaseBuffer& cases,
                        std::size_t c) {
  int met = 0;
  for (const Condition& condition : rule.scanned_conditions()) {
    if (condition.met_by(cases, c)) {
      ++met;
    } else if (condition.ends_scan_when_unmet) {
      break;
    }
  }
  return met == rule.conditions_to_meet;
}

// The partial-match score of a rule with `met` of its conditions met: the
// share met, times the quality, computed in double and rounded once to
// single. REQUIRES: rule.conditions_to_meet > 0.
inline float partial_score(int met, const Rule& rule) {
  const double product = static_cast<double>(met) / rule.conditions_to_meet *
                         static_cast<double>(rule.quality);
  return static_cast<float>(product);
}

}  // namespace ruleval
