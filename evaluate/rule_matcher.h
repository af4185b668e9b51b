// The one way the later stages match rules against the coded cases: every
// rule's coverage and every case's class, found together before any report
// is written. Two methods give byte-identical results: the indexed one that
// runs, and the straightforward one kept to measure and check it against.
#pragma once

#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/status.h"
#include "evaluate/classifier.h"
#include "rules/rule_store.h"

namespace ruleval {

enum class MatchMethod {
  // Conditions indexed by attribute and code, one pass over the cases on
  // every core.
  kIndexed,
  // Every condition of every rule tested on every case, once for coverage
  // and once to classify.
  kReference,
};

// Stores in rules the coverage of every rule of every concept, and sets
// given[c] to the classification of case c. The table is the selected one,
// the rules checked against it by the rule reader. When details is given,
// fills it too: the same findings by either method.
Status match_rules(const AttributeTable& table, const CaseBuffer& cases,
                   MatchMethod method, RuleStore* rules, Classifications* given,
                   MatchDetails* details = nullptr);

}  // namespace ruleval
