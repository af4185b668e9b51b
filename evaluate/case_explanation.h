// How one test case was classified, recomputed from the compiled rules:
// every rule's conditions met, each class's score on the route that decided
// the case, the class given, the runner-up, and whether the tie rule
// decided. It gives what the run gave; its text is what --explain prints.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "evaluate/classifier.h"
#include "rules/rule_store.h"

namespace ruleval {

struct CaseExplanation {
  Classification given;
  // Per class: whether it was a candidate on the route and its score.
  std::vector<char> candidates;
  std::vector<float> scores;
  // Per class and rule: the conditions the case meets.
  std::vector<std::vector<int>> met;
  int runner_up = -1;
  // Whether the winner and the runner-up score alike within rounding, so
  // that the order of the classes decided.
  bool tie = false;
};

// Recomputes the classification of case c.
CaseExplanation explain_case(const AttributeTable& table,
                             const RuleStore& rules, const CaseBuffer& cases,
                             std::size_t c);

// The explanation of case c as text, line being its line of the test data.
std::string explanation_text(const AttributeTable& table,
                             const RuleStore& rules, const CaseBuffer& cases,
                             std::size_t c, std::string_view line,
                             const CaseExplanation& explanation);

}  // namespace ruleval
