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

// Whether the plain condition pair holds for case c. A symbolic pair tests
// the case's value code for equality (direction 0) or inequality with
// parino; a numeric pair tests the interval code for being below parino
// (direction 0) or parino or more.
bool test_condition(const CaseBuffer& cases, std::size_t c,
                    const ConditionPair& pair, bool symbolic);

// Conditions of rule that case c meets, each plain pair and each OR group
// counting one. Any pair whose orflag is not 1 heads a group of that many
// pairs, each comparing the code at its own attribute with its parino.
int met_conditions(const AttributeTable& table, const CaseBuffer& cases,
                   std::size_t c, const Rule& rule);

// Among the concepts whose flag is set, the first whose score exceeds every
// earlier candidate's beyond the comparison's tolerance; when none beats the
// starting score, the first candidate. REQUIRES: some flag is set.
int choose_concept(const std::vector<float>& scores,
                   const std::vector<char>& candidates);

class Classifier {
 public:
  // Consults concepts 0 to number of classes - 1 of rules; the table is the
  // selected one, with the decision attribute last. Both must outlive the
  // classifier. REQUIRES: rules checked against table by the rule reader.
  Classifier(const AttributeTable& table, const RuleStore& rules);

  // Classifies case c.
  Classification classify_case(const CaseBuffer& cases, std::size_t c,
                               int majority_class);

 private:
  const AttributeTable& table_;
  const RuleStore& rules_;
  std::size_t class_count_;
  // Per-class working arrays, cleared for every case.
  std::vector<float> DS;
  std::vector<char> conceptmatchflag;
  std::vector<char> conceptpmflag;
  std::vector<float> PDS;
};

}  // namespace ruleval
