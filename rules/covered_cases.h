// The test cases a rule covers, kept compactly: ascending case numbers, each
// stored as its distance from the one before in as few bytes as that takes,
// seven bits a byte, the high bit set on every byte of a number but its
// last. A list is built in runs, one per block of cases matched apart, and
// read run after run, so blocks are never copied into one list.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ruleval {

// Case numbers (0-based positions in the case buffer), ascending.
using CaseList = std::vector<std::int32_t>;

// Ascending case numbers, appended one at a time. The bytes grow by chunks,
// each half as large as all before it, so a run holds at most half again
// the bytes its numbers take and is never moved as it grows.
class CaseRun {
 public:
  CaseRun() = default;
  CaseRun(const CaseRun& other);
  CaseRun(CaseRun&& other) noexcept;
  CaseRun& operator=(CaseRun other) noexcept;
  ~CaseRun() = default;

  // Throws std::bad_alloc when a chunk cannot be had. REQUIRES:
  // case_number is above every case appended before.
  void append(std::uint32_t case_number) {
    std::uint32_t gap = case_number - next_;
    next_ = case_number + 1;
    ++count_;
    for (; gap >= 0x80; gap >>= 7) put(static_cast<std::uint8_t>(gap | 0x80));
    put(static_cast<std::uint8_t>(gap));
  }

  std::size_t size() const { return count_; }

  // Calls visit(case_number) for every case, in order.
  template <class Visit>
  void for_each(Visit&& visit) const {
    std::uint32_t next = 0;
    std::uint32_t gap = 0;
    unsigned shift = 0;
    const std::size_t used = held() - room_;
    std::size_t start = 0;
    for (const std::unique_ptr<std::uint8_t[]>& chunk : chunks_) {
      const std::size_t size = chunk_bytes(start);
      const std::size_t end = std::min(size, used - start);
      for (std::size_t i = 0; i < end; ++i) {
        const std::uint8_t byte = chunk[i];
        gap |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
        if (byte & 0x80) {
          shift += 7;
          continue;
        }
        next += gap;
        visit(next);
        ++next;
        gap = 0;
        shift = 0;
      }
      start += size;
    }
  }

 private:
  // The size of the chunk that follows chunks of `held` bytes in all.
  static std::size_t chunk_bytes(std::size_t held) {
    constexpr std::size_t kLeastChunkBytes = 32;
    return std::max(kLeastChunkBytes, held / 2);
  }
  std::size_t held() const;
  void put(std::uint8_t byte) {
    if (room_ == 0) grow();
    *at_++ = byte;
    --room_;
  }
  void grow();

  std::vector<std::unique_ptr<std::uint8_t[]>> chunks_;
  // Where the next byte goes in the last chunk, and the bytes left there.
  std::uint8_t* at_ = nullptr;
  std::size_t room_ = 0;
  std::uint32_t count_ = 0;
  // One above the last case appended.
  std::uint32_t next_ = 0;
};

// The cases of one kind a rule covers, run after run.
class CoveredCases {
 public:
  // Throws std::bad_alloc when the memory cannot be had. REQUIRES:
  // case_number is above every case held.
  void append(std::uint32_t case_number) {
    if (runs_.empty()) runs_.emplace_back();
    runs_.back().append(case_number);
  }
  // Adds the cases of run after those held. REQUIRES: they are above them.
  void add_run(CaseRun&& run);

  std::size_t size() const;
  template <class Visit>
  void for_each(Visit&& visit) const {
    for (const CaseRun& run : runs_) run.for_each(visit);
  }
  CaseList list() const;

  friend bool operator==(const CoveredCases& a, const CoveredCases& b) {
    return a.list() == b.list();
  }

 private:
  std::vector<CaseRun> runs_;
};

}  // namespace ruleval
