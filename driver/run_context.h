// Everything one run of the evaluation shares between its stages. The
// driver owns it and hands each stage the parts it needs.
#pragma once

#include <string>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/run_counters.h"
#include "driver/file_names.h"
#include "rules/rule_store.h"

namespace ruleval {

struct RunContext {
  // Every file of the run, named from the base name on the command line.
  RunFiles files;
  // In description order until selection, in selected order after it.
  AttributeTable table;
  // Cases in the test data: the description's Casenum at first, then the
  // number of cases encoded.
  int num_cases = 0;
  // Codes per coded case after selection: the condition attributes and the
  // class.
  int record_length = 0;
  CaseBuffer cases;
  // The rules of B.intr with the cases each covers.
  RuleStore rules;
  RunCounters counters;
};

}  // namespace ruleval
