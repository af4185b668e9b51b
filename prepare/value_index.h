// The codes of a symbolic attribute's values by their text, looked up once
// for every symbolic value of the test data: an open addressing table of
// twice as many slots as values, at least, probed linearly.
#pragma once

#include <cstddef>
#include <cstdint>
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
    for (std::size_t s = slot_of(text);; s = (s + 1) & (slots_.size() - 1)) {
      const std::uint32_t e = slots_[s];
      if (e == kEmpty) return false;
      if (entries_[e].text == text) {
        *code = entries_[e].code;
        return true;
      }
    }
  }

 private:
  struct Entry {
    std::string_view text;
    std::uint32_t code;
  };
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;

  std::size_t slot_of(std::string_view text) const {
    std::uint64_t hash = 0xcbf29ce484222325ULL;  // FNV-1a
    for (const char c : text) {
      hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
    return static_cast<std::size_t>(hash ^ (hash >> 32)) & (slots_.size() - 1);
  }

  std::vector<Entry> entries_;
  std::vector<std::uint32_t> slots_;  // entry numbers, or kEmpty
};

}  // namespace ruleval
