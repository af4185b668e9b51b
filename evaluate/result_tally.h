// What the results count, in one pass over the cases: the confusion matrix
// of the scored cases, how each route did, and what each rule of the
// classes did. Every figure of the results comes from it, so that one
// function alone decides which cases count.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "common/case_buffer.h"
#include "evaluate/classifier.h"
#include "evaluate/evaluation_report.h"
#include "rules/rule_store.h"

namespace ruleval {

struct RouteCounts {
  long long cases = 0;
  long long correct = 0;
};

struct RuleCounts {
  long long fully_matched = 0;
  // Fully matched cases given the rule's class by full match, and those of
  // them whose class is another.
  long long helped_decide = 0;
  long long wrong = 0;
};

struct ResultTally {
  explicit ResultTally(int classes) : matrix(classes) {}

  ConfusionMatrix matrix;
  // By Decision: full match, partial match, majority class.
  std::array<RouteCounts, 3> routes;
  // The rules of the classes, numbered in concept order.
  std::vector<RuleCounts> rules;
  // Cases without a class value, and the scored cases that lack a
  // condition value.
  long long unscored = 0;
  RouteCounts with_missing_values;
};

// Counts the scored cases of the run: their classes given, the details the
// matcher kept of them, and the rules of the classes.
ResultTally tally_results(const CaseBuffer& cases, const Classifications& given,
                          const MatchDetails& details, const RuleStore& rules,
                          int classes);

}  // namespace ruleval
