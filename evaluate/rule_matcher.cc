#include "evaluate/rule_matcher.h"

#include "evaluate/indexed_matcher.h"
#include "rules/rule_coverage.h"

namespace ruleval {
namespace {

Status match_straightforwardly(const AttributeTable& table,
                               const CaseBuffer& cases, RuleStore* store,
                               std::vector<Classification>* given) {
  for (std::size_t i = 0; i < store->concepts.size(); ++i) {
    for (Rule& rule : store->concepts[i]) {
      const Status status = store_rule_coverage(
          compute_rule_coverage(cases, static_cast<int>(i), rule), &rule);
      if (!status.ok()) return status;
    }
  }
  Classifier classifier(table, *store);
  given->clear();
  given->reserve(cases.num_cases());
  for (std::size_t c = 0; c < cases.num_cases(); ++c) {
    given->push_back(classifier.classify_case(cases, c, store->majority_class));
  }
  return Status::Ok();
}

}  // namespace

Status match_rules(const AttributeTable& table, const CaseBuffer& cases,
                   MatchMethod method, RuleStore* rules,
                   std::vector<Classification>* given) {
  if (method == MatchMethod::kReference)
    return match_straightforwardly(table, cases, rules, given);
  return match_indexed(table, cases, rules, given);
}

}  // namespace ruleval
