#include "tests/rule_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "rules/rule_compiler.h"
#include "rules/rule_file.h"

namespace ruleval::testing {

const char* const kExampleRules =
    "Concept_num=2  Total_rulenum=3  Majority_class=1  Rule_qualityno=2\n"
    "Concept=0  rulenum=2\n"
    "num_of_pairs=1  and_pair_num=1  rule_accuracy=1.0  rule_quality=2.0  "
    "posnum=4  negnum=0\n"
    "attrino=0  parino=1  direction=0  orflag=1\n"
    "num_of_pairs=2  and_pair_num=2  rule_accuracy=0.8  rule_quality=1.0  "
    "posnum=3  negnum=1\n"
    "attrino=0  parino=2  direction=0  orflag=1\n"
    "attrino=1  parino=0  direction=1  orflag=1\n"
    "Concept=1  rulenum=1\n"
    "num_of_pairs=1  and_pair_num=1  rule_accuracy=0.9  rule_quality=3.0  "
    "posnum=5  negnum=0\n"
    "attrino=1  parino=0  direction=0  orflag=1\n";

AttributeTable selected_table(const std::vector<std::pair<char, int>>& types) {
  AttributeTable table;
  for (std::size_t k = 0; k < types.size(); ++k) {
    Attribute attribute;
    attribute.role = k + 1 == types.size() ? 'D' : 'C';
    attribute.name =
        k + 1 == types.size() ? "class" : std::string("a") += std::to_string(k);
    attribute.type = types[k].first;
    attribute.value_count = types[k].second;
    attribute.first_value = static_cast<int>(table.values.size());
    for (int j = 0; j < attribute.value_count; ++j) {
      ValueEntry entry;
      entry.text = std::string("v") += std::to_string(j);
      entry.point = static_cast<float>(10 * j);
      table.values.push_back(entry);
    }
    table.attributes.push_back(attribute);
  }
  return table;
}

AttributeTable three_class_table() {
  return selected_table({{'S', 4}, {'S', 3}, {'I', 3}, {'S', 3}});
}

CaseBuffer case_buffer(const std::vector<std::vector<std::uint32_t>>& records) {
  std::uint32_t limit = 1;
  bool missing = false;
  for (const auto& record : records) {
    for (std::uint32_t code : record) {
      if (code == kMissingCode) {
        missing = true;
      } else {
        limit = std::max(limit, code + 1);
      }
    }
  }
  CaseBuffer cases;
  cases.allocate(records.size(), records.empty() ? 1 : records[0].size(),
                 limit);
  if (missing) cases.note_missing_values();
  for (std::size_t c = 0; c < records.size(); ++c) {
    for (std::size_t a = 0; a < records[c].size(); ++a)
      cases.set_code(c, a, records[c][a]);
  }
  return cases;
}

RuleStore rules_from(const std::string& text, const AttributeTable& table) {
  RuleStore store;
  std::FILE* out = std::tmpfile();
  const Status status = parse_rule_file(text, "t.intr", table, out, &store);
  std::fclose(out);
  EXPECT_TRUE(status.ok()) << status.message();
  return store;
}

}  // namespace ruleval::testing

namespace ruleval::testing {

Rule make_rule(const AttributeTable& table, float quality,
               std::vector<ConditionPair> pairs, int and_pair_num) {
  Rule rule;
  rule.quality = quality;
  rule.conditions_to_meet =
      and_pair_num >= 0 ? and_pair_num : static_cast<int>(pairs.size());
  rule.pairs = std::move(pairs);
  EXPECT_FALSE(compile_rule(table, &rule)) << "an OR group runs past its rule";
  return rule;
}

}  // namespace ruleval::testing
