#include "rules/rule_coverage.h"

#include <cstddef>
#include <new>

namespace ruleval {
namespace {

// Conditions of rule that case meets, counted up to the first plain
// condition that fails.
int satisfied_before_failure(const AttributeTable& table,
                             const CaseBuffer& cases, std::size_t c,
                             const Rule& rule) {
  int satisfied = 0;
  const std::size_t n = rule.pairs.size();
  for (std::size_t l = 0; l < n;) {
    const ConditionPair& pair = rule.pairs[l];
    const std::uint32_t v =
        cases.code(c, static_cast<std::size_t>(pair.attrino));
    const auto p = static_cast<std::uint32_t>(pair.parino);
    bool holds = false;
    if (table.attributes[static_cast<std::size_t>(pair.attrino)].symbolic()) {
      if (pair.direction == 0 && pair.orflag != 1) {
        const std::size_t end = l + static_cast<std::size_t>(pair.orflag);
        for (; l < end; ++l) {
          if (v == static_cast<std::uint32_t>(rule.pairs[l].parino)) {
            ++satisfied;
            break;
          }
        }
        l = end;
        continue;
      }
      holds = pair.direction == 0 ? v == p : v != p;
    } else {
      holds = pair.direction == 0 ? v < p : v >= p;
    }
    if (!holds) break;
    ++satisfied;
    ++l;
  }
  return satisfied;
}

}  // namespace

bool covers_case(const AttributeTable& table, const CaseBuffer& cases,
                 std::size_t c, const Rule& rule) {
  return satisfied_before_failure(table, cases, c, rule) == rule.and_pair_num;
}

RuleCoverage compute_rule_coverage(const AttributeTable& table,
                                   const CaseBuffer& cases, int concept_index,
                                   const Rule& rule) {
  RuleCoverage coverage;
  for (std::size_t c = 0; c < cases.num_cases(); ++c) {
    if (!covers_case(table, cases, c, rule)) continue;
    CaseList& list =
        cases.class_code(c) == static_cast<std::uint32_t>(concept_index)
            ? coverage.positive
            : coverage.negative;
    list.push_back(static_cast<std::int32_t>(c));
  }
  return coverage;
}

Status store_rule_coverage(const RuleCoverage& coverage, Rule* rule) {
  // Copies of exact size: a rule keeps no room beyond its counts.
  try {
    rule->covered_pos_cases = coverage.positive;
  } catch (const std::bad_alloc&) {
    return Status::Fatal("\nNot enough memory for covered_pos_cases ... \n");
  }
  try {
    rule->covered_neg_cases = coverage.negative;
  } catch (const std::bad_alloc&) {
    return Status::Fatal("\nNot enough memory for covered_neg_cases ... \n");
  }
  rule->posnum = static_cast<int>(rule->covered_pos_cases.size());
  rule->negnum = static_cast<int>(rule->covered_neg_cases.size());
  return Status::Ok();
}

}  // namespace ruleval
