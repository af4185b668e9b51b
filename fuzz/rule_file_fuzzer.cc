// Fuzz target: the reader of the rule file, then what the later stages do
// with the rules it accepts (coverage, classification, readable text) on a
// few cases. The input is a description, the separator line and the rule
// file, or a rule file alone, read with the fixed description.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "evaluate/rule_matcher.h"
#include "evaluate/rule_text.h"
#include "fuzz/fuzz_support.h"
#include "rules/rule_file.h"

namespace ruleval::fuzz {
namespace {

// Four cases: every code 0, every code its highest, codes that differ from
// one attribute to the next, and every other condition value missing.
CaseBuffer sample_cases(const AttributeTable& table) {
  const std::size_t n = table.attributes.size();
  std::uint64_t limit = 1;
  for (const Attribute& attribute : table.attributes) {
    limit = std::max<std::uint64_t>(limit, code_count(attribute));
  }
  CaseBuffer cases;
  cases.allocate(4, n, limit);
  cases.note_missing_values();
  for (std::size_t j = 0; j < n; ++j) {
    const Attribute& attribute = table.attributes[j];
    const std::uint32_t count =
        j + 1 == n ? static_cast<std::uint32_t>(number_of_classes(attribute))
                   : code_count(attribute);
    cases.set_code(1, j, count - 1);
    cases.set_code(2, j, static_cast<std::uint32_t>(j) % count);
    if (j % 2 == 0 && j + 1 < n) cases.set_code(3, j, kMissingCode);
  }
  return cases;
}

// Both matching methods on the sample cases: they must agree on every
// class and every coverage list.
void use_rules(const AttributeTable& table, RuleStore* store) {
  const CaseBuffer cases = sample_cases(table);
  RuleStore reference_store = *store;
  Classifications reference;
  Classifications given;
  if (!match_rules(table, cases, MatchMethod::kReference, &reference_store,
                   &reference)
           .ok() ||
      !match_rules(table, cases, MatchMethod::kIndexed, store, &given).ok()) {
    finding("matching failed");
  }
  const int classes = number_of_classes(table.attributes.back());
  for (std::size_t c = 0; c < cases.num_cases(); ++c) {
    if (given[c].class_code < 0 || given[c].class_code >= classes)
      finding("case given no class");
    if (given[c].class_code != reference[c].class_code ||
        given[c].decision != reference[c].decision) {
      finding("the matchers classify a case differently");
    }
  }
  for (std::size_t i = 0; i < store->concepts.size(); ++i) {
    for (std::size_t j = 0; j < store->concepts[i].size(); ++j) {
      const Rule& rule = store->concepts[i][j];
      const Rule& expected = reference_store.concepts[i][j];
      if (rule.covered_positive != expected.covered_positive ||
          rule.covered_negative != expected.covered_negative) {
        finding("the matchers cover different cases");
      }
      rule_conditions_text(table, rule);
    }
  }
}

void read_rules(std::string_view description, std::string_view text) {
  AttributeTable table;
  if (!selected_table(description, &table)) return;
  RuleStore store;
  const NullOutput out;
  const Status status =
      parse_rule_file(text, "f.intr", table, out.get(), &store);
  require_malformed_message(status, "rule", "f.intr", text);
  RuleStore in_two_parts;
  if (parse_rule_file(text, "f.intr", table, out.get(), &in_two_parts, 0)
          .message() != status.message()) {
    finding("reading in two parts ends otherwise");
  }
  if (status.ok()) use_rules(table, &store);
}

}  // namespace
}  // namespace ruleval::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace ruleval::fuzz;
  const auto parts = split_input(data, size, 2);
  read_rules(parts.size() == 2 ? parts[0] : kFixedDescription, parts.back());
  return 0;
}
