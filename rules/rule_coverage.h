// The test cases a rule covers: every case that the coverage scan finds
// meeting as many of its conditions as the rule asks, split by whether the
// case's class is the rule's concept.
#pragma once

#include "common/case_buffer.h"
#include "common/status.h"
#include "rules/rule_store.h"

namespace ruleval {

struct RuleCoverage {
  CaseList positive;  // covered cases whose class is the rule's concept
  CaseList negative;  // covered cases of every other class
};

// Runs rule, of concept `concept_index`, over every case of the buffer.
RuleCoverage compute_rule_coverage(const CaseBuffer& cases, int concept_index,
                                   const Rule& rule);

// Stores coverage in rule. Fails with "Not
// enough memory for covered_pos_cases" (or covered_neg_cases) when a list
// cannot be had.
Status store_rule_coverage(const RuleCoverage& coverage, Rule* rule);

}  // namespace ruleval
