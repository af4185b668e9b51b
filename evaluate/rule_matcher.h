// The one way the later stages match rules against the coded cases: the
// rules are prepared once, then any case can be classified and any rule's
// coverage computed. How the matching is done stays behind this interface.
#pragma once

#include <cstddef>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/run_counters.h"
#include "common/status.h"
#include "evaluate/classifier.h"
#include "rules/rule_coverage.h"
#include "rules/rule_store.h"

namespace ruleval {

class RuleMatcher {
 public:
  // table, rules and cases must outlive the matcher; the rules must have
  // been checked against table by the rule reader.
  RuleMatcher(const AttributeTable& table, const RuleStore& rules,
              const CaseBuffer& cases)
      : table_(table),
        rules_(rules),
        cases_(cases),
        classifier_(table, rules) {}

  // The cases that rule `rule` of concept `concept_index` covers.
  RuleCoverage cover_rule(std::size_t concept_index, std::size_t rule) const {
    return compute_rule_coverage(table_, cases_,
                                 static_cast<int>(concept_index),
                                 rules_.concepts[concept_index][rule]);
  }

  // Classifies case c; counts partial-match and no-match decisions.
  Classification classify_case(std::size_t c, int majority_class,
                               RunCounters* counters) {
    return classifier_.classify_case(cases_, c, majority_class, counters);
  }

 private:
  const AttributeTable& table_;
  const RuleStore& rules_;
  const CaseBuffer& cases_;
  Classifier classifier_;
};

// Computes and stores the coverage of every rule of store, concept by
// concept in file order.
Status cover_all_rules(const RuleMatcher& matcher, RuleStore* store);

}  // namespace ruleval
