#include "evaluate/rule_matcher.h"

#include "evaluate/indexed_matcher.h"
#include "rules/rule_coverage.h"

namespace ruleval {
namespace {

Status match_straightforwardly(const AttributeTable& table,
                               const CaseBuffer& cases, RuleStore* store,
                               Classifications* given, MatchDetails* details) {
  for (std::size_t i = 0; i < store->concepts.size(); ++i) {
    for (Rule& rule : store->concepts[i]) {
      const Status status = store_rule_coverage(
          compute_rule_coverage(cases, static_cast<int>(i), rule), &rule);
      if (!status.ok()) return status;
    }
  }
  Classifier classifier(table, *store);
  given->assign(cases.num_cases(), number_of_classes(table.attributes.back()));
  if (details != nullptr) *details = MatchDetails();
  for (std::size_t c = 0; c < cases.num_cases(); ++c) {
    if (details == nullptr) {
      given->set(c, classifier.classify_case(cases, c, store->majority_class));
      continue;
    }
    const std::size_t before = details->full_matches.size();
    details->scores.emplace_back();
    given->set(c, classifier.classify_case(cases, c, store->majority_class,
                                           &details->scores.back(),
                                           &details->full_matches));
    details->full_match_counts.push_back(
        static_cast<std::uint32_t>(details->full_matches.size() - before));
  }
  return Status::Ok();
}

}  // namespace

Status match_rules(const AttributeTable& table, const CaseBuffer& cases,
                   MatchMethod method, RuleStore* rules, Classifications* given,
                   MatchDetails* details) {
  if (method == MatchMethod::kReference)
    return match_straightforwardly(table, cases, rules, given, details);
  return match_indexed(table, cases, rules, given, 0, details);
}

}  // namespace ruleval
