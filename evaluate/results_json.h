// The evaluation as one JSON document: the run, the case counts, per class
// its counts and figures, the confusion matrix, the averaged figures and
// the agreement measures, and per rule what it covered and decided. README
// ("Results for programs") lists every field.
#pragma once

#include "evaluate/json_text.h"
#include "evaluate/result_tally.h"
#include "evaluate/results.h"

namespace ruleval {

// Raised when a field is added, renamed or given another meaning.
inline constexpr int kResultsFormatVersion = 1;

Json results_document(const RunNames& names, const RunFindings& findings,
                      const ResultTally& tally);

}  // namespace ruleval
