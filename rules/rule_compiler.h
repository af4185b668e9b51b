// The rule compiler: turns the condition pairs of a rule, as B.intr writes
// them, into the conditions every reader of the rule uses. This is the one
// place that reads OR groups (orflag) and directions.
//
// A pair names an attribute, a code (a value of a symbolic attribute, a
// boundary point of a numeric one) and a direction: symbolic, 0 "is the
// value" and otherwise "is not"; numeric, 0 "at or below the point" (an
// interval code below it) and otherwise "above it". An orflag other than 1
// makes the pair the head of an OR group of that many pairs. The formats
// leave open how a group reads, and three readings are in use:
//   - classification: any pair with an orflag other than 1 heads a group;
//     the group is met when some member's attribute has the member's code;
//   - coverage: only a symbolic "is" pair heads a group, whose members'
//     codes are all compared with the code of the head's attribute; an
//     unmet group does not end the scan, an unmet plain condition does;
//   - the condition text: shown attribute by attribute (see ShownCondition).
#pragma once

#include <cstddef>
#include <optional>

#include "common/attribute_table.h"
#include "rules/rule_store.h"

namespace ruleval {

// Compiles the pairs of rule against table (selected order, decision
// attribute last): fills its classified conditions, its coverage conditions
// when the two readings differ (none when they agree), and what its text
// shows. Returns the position of the
// first pair whose OR group runs past the end of the rule, checked reading
// by reading in the order above; the rule is then left partly compiled.
// REQUIRES: every pair names a condition attribute of table.
std::optional<std::size_t> compile_rule(const AttributeTable& table,
                                        Rule* rule);

}  // namespace ruleval
