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
  // The coded cases, in selected order; they count themselves.
  CaseBuffer cases;
  // The rules of B.intr with the cases each covers.
  RuleStore rules;
  RunCounters counters;
};

}  // namespace ruleval
