// Reader of the rule file (B.intr), written by the learning stage:
//
// clang-format off
//   Concept_num=2  Total_rulenum=3  Majority_class=1  Rule_qualityno=2
//   Concept=0  rulenum=2
//   num_of_pairs=1  and_pair_num=1  rule_accuracy=1.0  rule_quality=2.0  posnum=4  negnum=0
//   attrino=0  parino=1  direction=0  orflag=1
//   ...
// clang-format on
//
// A header, then per concept a concept line followed by its rules, each rule
// line followed by num_of_pairs pair lines. White space between items is
// free; keys must stand exactly as written. Concept blocks are numbered by
// their position: the Concept numbers and Total_rulenum are not used.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/attribute_table.h"
#include "common/status.h"
#include "rules/rule_store.h"

namespace ruleval {

// Reads the rule file at path into store, checked against the selected
// attribute table (condition attributes first, the decision attribute
// last). Prints "qualityno=%d\n" on out as soon as the header is read.
// Fails with "Cannot open internal rule file" when the file cannot be read,
// or "Malformed rule file" naming the line at fault, also for rules that
// name attributes, values or classes the table does not have.
Status read_rule_file(const std::string& path, const AttributeTable& table,
                      std::FILE* out, RuleStore* store);

// A rule file of this many bytes or more is read by two workers side by
// side, its concepts split between them, when the machine has two cores.
inline constexpr std::size_t kRuleBytesToSplit = std::size_t{1} << 20;

// The same for a rule file already in memory; path names it in messages.
// From split_from bytes on, the concepts are read in two parts side by
// side; the outcome is the same.
Status parse_rule_file(std::string_view text, const std::string& path,
                       const AttributeTable& table, std::FILE* out,
                       RuleStore* store,
                       std::size_t split_from = kRuleBytesToSplit);

}  // namespace ruleval
