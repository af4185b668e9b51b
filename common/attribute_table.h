// The attribute table and the value table: what the attribute description
// says about every attribute, shared by every stage of a run.
//
// Each attribute owns AttriPairNum consecutive entries of the value table,
// starting at AttriValueP: the value names of a symbolic attribute ('S') or
// the boundary points of a numeric one ('I', 'R'). A coded case holds, per
// attribute, the position of its value among those entries (symbolic) or
// the interval between boundary points it falls in (numeric).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ruleval {

struct Attribute {
  char AttriFlag = 0;  // 'C' condition, 'D' decision, 'X' excluded
  std::string AttriName;
  char AttriType = 0;  // 'S' symbolic, 'I' integer, 'R' real
  int AttriPairNum = 0;
  int AttriValueP = 0;  // first entry in the value table
  int AttriPriority = 0;

  bool symbolic() const { return AttriType == 'S'; }
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
    return values[static_cast<std::size_t>(attribute.AttriValueP + k)];
  }
};

// Number of distinct codes a case can carry for the attribute: one per value
// of a symbolic attribute, one per interval (at least one) of a numeric one.
inline std::uint32_t code_count(const Attribute& attribute) {
  if (attribute.symbolic() || attribute.AttriPairNum > 1) {
    return static_cast<std::uint32_t>(attribute.AttriPairNum);
  }
  return 1;
}

// Classes of a decision attribute: its values when symbolic, the intervals
// between its boundary points (one fewer than the points) when numeric.
inline int number_of_classes(const Attribute& decision) {
  return decision.symbolic() ? decision.AttriPairNum
                             : decision.AttriPairNum - 1;
}

}  // namespace ruleval
