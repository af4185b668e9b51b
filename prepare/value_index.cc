#include "prepare/value_index.h"

namespace ruleval {

void ValueIndex::build() {
  std::size_t size = 4;
  while (size < 2 * entries_.size()) size *= 2;
  slots_.assign(size, kEmpty);
  for (std::uint32_t e = 0; e < entries_.size(); ++e) {
    std::size_t s = slot_of(entries_[e].text);
    while (slots_[s] != kEmpty && entries_[slots_[s]].text != entries_[e].text)
      s = (s + 1) & (slots_.size() - 1);
    if (slots_[s] == kEmpty) slots_[s] = e;
  }
}

}  // namespace ruleval
