#include "prepare/value_index.h"

namespace ruleval {

void ValueIndex::build() {
  std::size_t size = 4;
  while (size < 2 * entries_.size()) size *= 2;
  slots_.assign(size, Slot{{0, 0}, kEmpty, 0, {}});
  mask_ = size - 1;
  for (const Entry& entry : entries_) {
    if (entry.text.size() >= kEmpty) continue;  // no token is that long
    std::uint32_t ignored = 0;
    if (find(entry.text, &ignored)) continue;  // the first of equal texts
    std::size_t s = slot_of(key_of(entry.text));
    while (slots_[s].length != kEmpty) s = (s + 1) & mask_;
    slots_[s] = {key_of(entry.text),
                 static_cast<std::uint32_t>(entry.text.size()), entry.code,
                 entry.text};
  }
}

}  // namespace ruleval
