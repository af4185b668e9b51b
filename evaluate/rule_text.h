// A rule in readable form: its conditions attribute by attribute, in the
// order of the selected attributes, with nothing between them, as in
// "(outlook=sunny)(humidity<=75)".
#pragma once

#include <string>

#include "common/attribute_table.h"
#include "rules/rule_store.h"

namespace ruleval {

// The conditions of rule on every condition attribute of table (selected
// order, decision attribute last). A numeric attribute shows the last upper
// and the last lower bound the rule sets on it. A symbolic attribute shows
// its first single value; else its last OR group, less the values negated
// after it; else the values it must not have.
// REQUIRES: rule checked against table by the rule reader.
std::string rule_conditions_text(const AttributeTable& table, const Rule& rule);

}  // namespace ruleval
