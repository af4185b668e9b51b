// The rule store: the learned rules of B.intr grouped by concept (class),
// with the test cases each rule covers. Concept i is class code i.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ruleval {

// One condition of a rule, or one member of an OR group.
struct ConditionPair {
  // Position of the attribute in the selected order: the row of the
  // rearranged attribute table and the position of its code in a case.
  int attrino = 0;
  // A value code (symbolic attribute) or a boundary point (numeric one).
  int parino = 0;
  // Symbolic: 0 "is value parino", otherwise "is not". Numeric: 0 "at or
  // below point parino" (interval code below parino), otherwise "above it"
  // (interval code parino or more).
  int direction = 0;
  // 1 for a plain condition; on the first pair of an OR group, the number
  // of consecutive pairs in the group.
  int orflag = 1;
};

// Case numbers (0-based positions in the case buffer), ascending.
using CaseList = std::vector<std::int32_t>;

struct Rule {
  std::vector<ConditionPair> pairs;
  float rule_accuracy = 0;  // read, never used
  float rule_quality = 0;   // the rule's weight in classification
  // Conditions a case must meet: each plain pair and each OR group is one.
  int and_pair_num = 0;
  // Read from the file, then replaced by the counts of covered cases.
  int posnum = 0;
  int negnum = 0;
  // Covered cases of the rule's own class, and of other classes.
  CaseList covered_pos_cases;
  CaseList covered_neg_cases;

  int num_of_pairs() const { return static_cast<int>(pairs.size()); }
};

struct RuleStore {
  // concepts[i] holds the rules of concept i, in file order.
  std::vector<std::vector<Rule>> concepts;
  // The class given when no consulted concept has a rule.
  int Majority_class = 0;

  int concept_num() const { return static_cast<int>(concepts.size()); }
  int concept_rulenum(std::size_t concept_index) const {
    return static_cast<int>(concepts[concept_index].size());
  }
};

}  // namespace ruleval
