// The predictions as CSV: a header row, then one row per test case with its
// number, its actual class and the class given, whether that is right, the
// route that decided it, the winner's score, the runner-up and its score,
// the margin between them, and the rules of the classes it fully matched
// ("label:N", N the rule's number in B.tcover). Fields are quoted only when
// they hold a comma, a quote or a line end; rows end with CR LF.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "evaluate/results.h"

namespace ruleval {

// text as one field.
std::string csv_field(std::string_view text);

// Hands the CSV text to sink a few megabytes at a time, its rows made by
// `workers` threads side by side.
void write_predictions(const RunFindings& findings, std::size_t workers,
                       const std::function<void(std::string_view)>& sink);

}  // namespace ruleval
