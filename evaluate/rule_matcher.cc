#include "evaluate/rule_matcher.h"

namespace ruleval {

Status cover_all_rules(const RuleMatcher& matcher, RuleStore* store) {
  for (std::size_t i = 0; i < store->concepts.size(); ++i) {
    std::vector<Rule>& rules = store->concepts[i];
    for (std::size_t j = 0; j < rules.size(); ++j) {
      const Status status =
          store_rule_coverage(matcher.cover_rule(i, j), &rules[j]);
      if (!status.ok()) return status;
    }
  }
  return Status::Ok();
}

}  // namespace ruleval
