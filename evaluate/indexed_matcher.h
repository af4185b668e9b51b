// Matching by the rule index: one pass over the cases finds every case's
// class and every rule's coverage together, the cases split into contiguous
// blocks, one per core. The results do not depend on the number of blocks.
#pragma once

#include <cstddef>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/status.h"
#include "evaluate/classifier.h"
#include "evaluate/lane_scores.h"
#include "rules/rule_store.h"

namespace ruleval {

// As match_rules, on `threads` blocks (0: one per core, as many as pay),
// the partial scores taken side by side by the kernel given (by default the
// fastest the processor runs).
Status match_indexed(const AttributeTable& table, const CaseBuffer& cases,
                     RuleStore* rules, Classifications* given,
                     std::size_t threads = 0, MatchDetails* details = nullptr,
                     LaneKernel kernel = best_lane_kernel());

}  // namespace ruleval
