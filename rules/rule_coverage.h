// The test cases a rule covers: every case that meets as many of its
// conditions as its and_pair_num, split by whether the case's class is the
// rule's concept.
#pragma once

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/status.h"
#include "rules/rule_store.h"

namespace ruleval {

struct RuleCoverage {
  CaseList positive;  // covered cases whose class is the rule's concept
  CaseList negative;  // covered cases of every other class
};

// Whether case c meets as many conditions of rule as its and_pair_num,
// counted as compute_rule_coverage counts them.
bool covers_case(const AttributeTable& table, const CaseBuffer& cases,
                 std::size_t c, const Rule& rule);

// Runs rule, of concept `concept_index`, over every case of the buffer. The
// scan of a case ends at its first plain condition that fails. A symbolic pair
// with direction 0 and an orflag f other than 1 heads an OR group of f
// pairs, each compared with the code at the head's attribute; an unmet group
// does not end the scan. Every other pair is a plain condition.
// REQUIRES: the rule has been checked against table by the rule reader.
RuleCoverage compute_rule_coverage(const AttributeTable& table,
                                   const CaseBuffer& cases, int concept_index,
                                   const Rule& rule);

// Stores coverage in rule: the lists, in arrays of their exact size, and
// their lengths in posnum and negnum in place of the counts read from the
// file. Fails with "Not enough memory for covered_pos_cases" (or
// covered_neg_cases) when an array cannot be had.
Status store_rule_coverage(const RuleCoverage& coverage, Rule* rule);

}  // namespace ruleval
