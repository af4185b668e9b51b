#include "rules/rule_store.h"

namespace ruleval {

int met_conditions(const Rule& rule, const CaseBuffer& cases, std::size_t c) {
  int met = 0;
  for (const Condition& condition : rule.classified_conditions) {
    if (condition.met_by(cases, c)) ++met;
  }
  return met;
}

bool covers_case(const Rule& rule, const CaseBuffer& cases, std::size_t c) {
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

float partial_score(int met, const Rule& rule) {
  const double product = static_cast<double>(met) / rule.conditions_to_meet *
                         static_cast<double>(rule.quality);
  return static_cast<float>(product);
}

}  // namespace ruleval
