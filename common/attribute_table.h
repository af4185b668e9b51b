// The attribute table and the value table: what the attribute description
// says about every attribute, shared by every stage of a run.
//
// Each attribute owns value_count consecutive entries of the value table,
// starting at first_value: the value names of a symbolic attribute ('S') or
// the boundary points of a numeric one ('I', 'R'). A coded case holds, per
// attribute, the position of its value among those entries (symbolic) or
// the interval between boundary points it falls in (numeric).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ruleval {

// One attribute, as the description's keys give it: AttriFlag is its role,
// AttriName its name, AttriType its type, AttriPairNum its value count and
// AttriPriority its priority; AttriValueP is recomputed as first_value.
struct Attribute {
  char role = 0;  // 'C' condition, 'D' decision, 'X' excluded
  std::string name;
  char type = 0;        // 'S' symbolic, 'I' integer, 'R' real
  int value_count = 0;  // value names, or boundary points
  int first_value = 0;  // its first entry in the value table
  int priority = 0;     // condition attributes are taken in ascending order

  bool symbolic() const { return type == 'S'; }
};

// One value table entry: a value name ('S') or a boundary point ('I', 'R').
struct ValueEntry {
  std::string text;
  float point = 0;
};

struct AttributeTable {
  std::vector<Attribute> attributes;
  std::vector<ValueEntry> values;

  const ValueEntry& value(const Attribute& attribute, int k) const {
    return values[static_cast<std::size_t>(attribute.first_value + k)];
  }
};

// Number of distinct codes a case can carry for the attribute: one per value
// of a symbolic attribute, one per interval (at least one) of a numeric one.
inline std::uint32_t code_count(const Attribute& attribute) {
  if (attribute.symbolic() || attribute.value_count > 1) {
    return static_cast<std::uint32_t>(attribute.value_count);
  }
  return 1;
}

// Classes of a decision attribute: its values when symbolic, the intervals
// between its boundary points (one fewer than the points) when numeric.
inline int number_of_classes(const Attribute& decision) {
  return decision.symbolic() ? decision.value_count : decision.value_count - 1;
}

}  // namespace ruleval
