// The rule coverage report B.tcover (every rule in readable form with its
// quality and the test cases it covers, then the rule counts and totals)
// and the summary B.sum (the totals alone).
#pragma once

#include <string>

#include "common/attribute_table.h"
#include "common/run_counters.h"
#include "common/status.h"
#include "rules/rule_store.h"

namespace ruleval {

// Writes B.tcover at coverage_path and B.sum at summary_path for the rules with
// their coverage, the run's counters and its accuracy (a fraction).
Status write_coverage_report(const std::string& coverage_path,
                             const std::string& summary_path,
                             const AttributeTable& table,
                             const RuleStore& rules,
                             const RunCounters& counters, float accuracy);

}  // namespace ruleval
