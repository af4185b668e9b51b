// The test cases a rule covers, kept compactly: ascending case numbers, each
// stored as its distance from the one before in as few bytes as that takes,
// seven bits a byte, the high bit set on every byte of a number but its
// last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ruleval {

// Case numbers (0-based positions in the case buffer), ascending.
using CaseList = std::vector<std::int32_t>;

// The bytes are held in a chain of chunks, each half again as large as the
// one before, so a list holds at most half again the bytes its numbers take
// and is never moved as it grows; lists built apart are joined by linking
// their chains.
class CoveredCases {
 public:
  CoveredCases() = default;
  CoveredCases(const CoveredCases& other);
  CoveredCases(CoveredCases&& other) noexcept;
  CoveredCases& operator=(CoveredCases other) noexcept;
  ~CoveredCases();

  // Throws std::bad_alloc when a chunk cannot be had. REQUIRES:
  // case_number is above every case held.
  void append(std::uint32_t case_number) {
    std::uint32_t gap = case_number - next_;
    next_ = case_number + 1;
    ++count_;
    if (tail_ == nullptr || tail_->size - tail_->used < kLongestGap) {
      append_gap_to_new_chunk(gap);
      return;
    }
    std::uint8_t* const start = tail_->bytes() + tail_->used;
    std::uint8_t* at = start;
    for (; gap >= 0x80; gap >>= 7)
      *at++ = static_cast<std::uint8_t>(gap | 0x80);
    *at++ = static_cast<std::uint8_t>(gap);
    tail_->used += static_cast<std::uint32_t>(at - start);
  }
  // Moves every case of later after those held, leaving later empty.
  // REQUIRES: they are above them.
  void append(CoveredCases&& later);

  std::size_t size() const { return count_; }

  // Calls visit(case_number) for every case, in order.
  template <class Visit>
  void for_each(Visit&& visit) const {
    std::uint32_t next = 0;
    std::uint32_t gap = 0;
    unsigned shift = 0;
    for (const Chunk* chunk = head_; chunk != nullptr; chunk = chunk->next) {
      const std::uint8_t* bytes = chunk->bytes();
      for (std::uint32_t i = 0; i < chunk->used; ++i) {
        gap |= static_cast<std::uint32_t>(bytes[i] & 0x7F) << shift;
        if (bytes[i] & 0x80) {
          shift += 7;
          continue;
        }
        next += gap;
        visit(next);
        ++next;
        gap = 0;
        shift = 0;
      }
    }
  }
  CaseList list() const;

  friend bool operator==(const CoveredCases& a, const CoveredCases& b) {
    return a.list() == b.list();
  }

 private:
  // The bytes of a distance take at most this many.
  static constexpr std::uint32_t kLongestGap = 5;

  // A chunk's bytes follow it.
  struct Chunk {
    Chunk* next;
    std::uint32_t size;
    std::uint32_t used;
    std::uint8_t* bytes() { return reinterpret_cast<std::uint8_t*>(this + 1); }
    const std::uint8_t* bytes() const {
      return reinterpret_cast<const std::uint8_t*>(this + 1);
    }
  };

  void append_gap_to_new_chunk(std::uint32_t gap);
  void add_chunk(std::uint32_t size);
  void free_chunks();

  Chunk* head_ = nullptr;
  Chunk* tail_ = nullptr;
  std::uint32_t count_ = 0;
  // One above the last case held.
  std::uint32_t next_ = 0;
};

}  // namespace ruleval
