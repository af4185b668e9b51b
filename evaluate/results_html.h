// The evaluation as one self-contained HTML page, for people: a header with
// the run and its main figures, the confusion matrix as a heat map, the
// figures of every class as a table with bars, how the cases were decided,
// and the rules of every class that decided the most cases. Its style and
// pictures are inline; it fetches nothing and runs no script. Every text
// from the input files is escaped (evaluate/html_text.h).
#pragma once

#include <string>

#include "evaluate/result_tally.h"
#include "evaluate/results.h"

namespace ruleval {

// The most rules of one class the page lists; B.tcover holds them all.
inline constexpr std::size_t kRulesShownPerClass = 50;

std::string results_page(const RunNames& names, const RunFindings& findings,
                         const ResultTally& tally);

}  // namespace ruleval
