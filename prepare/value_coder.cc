#include "prepare/value_coder.h"

namespace ruleval {

AttributeCoder::AttributeCoder(const Attribute& attribute,
                               const AttributeTable& table)
    : symbolic_(attribute.symbolic()) {
  std::vector<float> points;
  for (int k = 0; k < attribute.value_count; ++k) {
    const ValueEntry& entry = table.value(attribute, k);
    if (symbolic_) {
      codes_.add(entry.text, static_cast<std::uint32_t>(k));
    } else {
      points.push_back(entry.point);
    }
  }
  codes_.build();
  intervals_ = IntervalCoder(points);
}

std::vector<AttributeCoder> coders_of(const AttributeTable& table) {
  std::vector<AttributeCoder> coders;
  coders.reserve(table.attributes.size());
  for (const Attribute& attribute : table.attributes) {
    coders.emplace_back(attribute, table);
  }
  return coders;
}

}  // namespace ruleval
