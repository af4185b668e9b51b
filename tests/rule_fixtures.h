// Builders for the tests of the rule stages: a selected attribute table, a
// case buffer and a rule store from small literal data.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "rules/rule_store.h"

namespace ruleval::testing {

// A table in selected order, one attribute per (type, value count), the
// decision attribute last. Attribute k is named "a<k>", the last "class";
// symbolic values are "v0", "v1", ...; boundary points 0, 10, 20, ...
AttributeTable selected_table(const std::vector<std::pair<char, int>>& types);

// Symbolic a0 (4 values), a1 (3 values), integer a2 (3 points, codes 0 to
// 2), and a decision attribute of 3 classes.
AttributeTable three_class_table();

// One record per case, the class code last.
CaseBuffer case_buffer(const std::vector<std::vector<std::uint32_t>>& records);

// The rule file text parsed against table; a parse failure fails the test.
RuleStore rules_from(const std::string& text, const AttributeTable& table);

// The example rule file of two concepts and three rules, on two symbolic
// condition attributes.
extern const char* const kExampleRules;

}  // namespace ruleval::testing

namespace ruleval::testing {

// A rule of the given quality and and_pair_num, compiled against table; a
// missing and_pair_num counts every pair as one condition.
Rule make_rule(const AttributeTable& table, float quality,
               std::vector<ConditionPair> pairs, int and_pair_num = -1);

}  // namespace ruleval::testing
