// The codes of a symbolic attribute's values by their text, looked up once
// for every symbolic value of the test data: an open addressing table of
// twice as many slots as values, at least, probed linearly. Each slot holds
// its value's length and a fixed-width key, the text's first and last
// eight bytes (overlapping for shorter texts), so that a lookup reads the
// text a word at a time and compares words; only texts longer than the key
// are compared whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace ruleval {

class ValueIndex {
 public:
  // Adds a value; its text must outlive the index.
  void add(std::string_view text, std::uint32_t code) {
    entries_.push_back({text, code});
  }
  // Builds the table once every value is added; among equal texts the first
  // added wins. Needed before find(), also for an index of no values.
  void build();

  // The code of the value of this text; false when there is none.
  bool find(std::string_view text, std::uint32_t* code) const {
    if (text.size() >= kEmpty) return false;
    const Key key = key_of(text);
    for (std::size_t s = slot_of(key);; s = (s + 1) & mask_) {
      const Slot& slot = slots_[s];
      if (slot.length == kEmpty) return false;
      if (slot.key.first == key.first && slot.key.last == key.last &&
          slot.length == text.size() &&
          (text.size() <= kWholeKey || slot.text == text)) {
        *code = slot.code;
        return true;
      }
    }
  }

 private:
  struct Entry {
    std::string_view text;
    std::uint32_t code;
  };
  struct Key {
    std::uint64_t first;
    std::uint64_t last;
  };
  struct Slot {
    Key key;
    std::uint32_t length;  // kEmpty for an empty slot
    std::uint32_t code;
    std::string_view text;
  };
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
  // Texts up to this long are told apart by their key and length alone.
  static constexpr std::size_t kWholeKey = 16;

  template <class Word>
  static std::uint64_t load(const char* at) {
    Word word;
    std::memcpy(&word, at, sizeof word);
    return word;
  }

  // Every byte of a text of up to 16 bytes, read in at most two loads that
  // stay within it; of a longer one, the first and last eight.
  static Key key_of(std::string_view text) {
    const char* const at = text.data();
    const std::size_t size = text.size();
    if (size >= 8) {
      return {load<std::uint64_t>(at), load<std::uint64_t>(at + size - 8)};
    }
    if (size >= 4) {
      return {load<std::uint32_t>(at) | load<std::uint32_t>(at + size - 4)
                                            << 32,
              0};
    }
    if (size >= 2) {
      return {load<std::uint16_t>(at) | load<std::uint16_t>(at + size - 2)
                                            << 16,
              0};
    }
    return {size == 1 ? load<std::uint8_t>(at) : 0, 0};
  }

  std::size_t slot_of(const Key& key) const {
    const std::uint64_t hash =
        (key.first ^ (key.last * 0x9E3779B97F4A7C15ULL)) *
        0xFF51AFD7ED558CCDULL;
    return static_cast<std::size_t>(hash ^ (hash >> 29)) & mask_;
  }

  std::vector<Entry> entries_;
  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
};

}  // namespace ruleval
