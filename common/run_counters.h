// How the cases of a run were decided, for the reports.
#pragma once

namespace ruleval {

struct RunCounters {
  int partial_match_count = 0;    // cases decided by partial matching
  int no_match_count = 0;         // cases given the majority class
  int partial_match_correct = 0;  // of those, cases given their own class
  int no_match_correct = 0;
};

}  // namespace ruleval
