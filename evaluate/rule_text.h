// A rule in readable form: its conditions attribute by attribute, in the
// order of the selected attributes, with nothing between them, as in
// "(outlook=sunny)(humidity<=75)".
#pragma once

#include <string>
#include <vector>

#include "common/attribute_table.h"
#include "rules/rule_store.h"

namespace ruleval {

// The conditions of rule on every condition attribute of table (selected
// order, decision attribute last) that it names, as its compiled form shows
// them: bounds of a numeric attribute, the value, the values it may have or
// those it must not have of a symbolic one.
// REQUIRES: rule read and compiled against table by the rule reader.
std::string rule_conditions_text(const AttributeTable& table, const Rule& rule);

// The same texts for many rules, the bounds of the numeric attributes
// worked out once.
class RuleTextWriter {
 public:
  explicit RuleTextWriter(const AttributeTable& table);
  // As rule_conditions_text(table, rule), of the table given.
  std::string conditions(const Rule& rule) const;

 private:
  const AttributeTable& table_;
  // Per entry of the value table: a boundary point's text, or nothing for
  // a value of a symbolic attribute.
  std::vector<std::string> bounds_;
};

}  // namespace ruleval
