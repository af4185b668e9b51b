#include "rules/rule_coverage.h"

#include <cstddef>
#include <new>

#include "common/messages.h"

namespace ruleval {

RuleCoverage compute_rule_coverage(const CaseBuffer& cases, int concept_index,
                                   const Rule& rule) {
  RuleCoverage coverage;
  for (std::size_t c = 0; c < cases.num_cases(); ++c) {
    const std::uint32_t class_code = cases.class_code(c);
    // A case without a class is neither for nor against the rule.
    if (class_code == kMissingCode || !covers_case(rule, cases, c)) continue;
    CaseList& list = class_code == static_cast<std::uint32_t>(concept_index)
                         ? coverage.positive
                         : coverage.negative;
    list.push_back(static_cast<std::int32_t>(c));
  }
  return coverage;
}

namespace {

CoveredCases covered(const CaseList& list) {
  CoveredCases cases;
  for (const std::int32_t c : list) cases.append(static_cast<std::uint32_t>(c));
  return cases;
}

}  // namespace

Status store_rule_coverage(const RuleCoverage& coverage, Rule* rule) {
  try {
    rule->covered_positive = covered(coverage.positive);
  } catch (const std::bad_alloc&) {
    return Status::Fatal(render<Message::kNoMemoryForPositiveCoverage>());
  }
  try {
    rule->covered_negative = covered(coverage.negative);
  } catch (const std::bad_alloc&) {
    return Status::Fatal(render<Message::kNoMemoryForNegativeCoverage>());
  }
  return Status::Ok();
}

}  // namespace ruleval
