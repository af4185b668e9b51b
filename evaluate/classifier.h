// Classification of one coded case by the rule store, by a fixed ladder:
// the class whose fully met rules have the largest summed quality; failing
// any full match, the class with the largest partial-match score; with no
// rule to score at all, the majority class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "rules/rule_store.h"

namespace ruleval {

enum class Decision : std::uint8_t { kFullMatch, kPartialMatch, kNoMatch };

struct Classification {
  int class_code = 0;
  Decision decision = Decision::kFullMatch;

  // The per-case flags the reports count.
  bool partial_match() const { return decision == Decision::kPartialMatch; }
  bool no_match() const { return decision == Decision::kNoMatch; }
};

// Among the concepts whose flag is set, the first whose score exceeds every
// earlier candidate's beyond the comparison's tolerance; when none beats the
// starting score, the first candidate. REQUIRES: some flag is set.
int choose_concept(const std::vector<float>& scores,
                   const std::vector<char>& candidates);

class Classifier {
 public:
  // Consults concepts 0 to number of classes - 1 of rules, the classes of
  // the table's decision attribute (its last). The rules must outlive the
  // classifier.
  Classifier(const AttributeTable& table, const RuleStore& rules);

  // Classifies case c.
  Classification classify_case(const CaseBuffer& cases, std::size_t c,
                               int majority_class);

 private:
  const RuleStore& rules_;
  std::size_t class_count_;
  // Per-class working arrays, cleared for every case: the summed quality of
  // the fully met rules and whether the class has one, the summed partial
  // scores and whether the class has a rule to score.
  std::vector<float> full_match_scores_;
  std::vector<char> fully_matched_;
  std::vector<float> partial_match_scores_;
  std::vector<char> partially_matched_;
};

}  // namespace ruleval
