// The results a run writes only when asked: the evaluation as JSON and as
// an HTML page, one CSV row per test case, and how chosen cases were
// classified.
#pragma once

#include <string>
#include <vector>

namespace ruleval {

struct ResultRequests {
  // Where the JSON document goes: empty for nowhere, "-" for standard
  // output.
  std::string json_path;
  // Where the predictions CSV goes, the same way.
  std::string predictions_path;
  // Where the HTML page goes, the same way.
  std::string html_path;
  // The test cases to explain, numbered from 1, in the order asked.
  std::vector<int> explain_cases;
};

}  // namespace ruleval
