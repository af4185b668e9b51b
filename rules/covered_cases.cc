#include "rules/covered_cases.h"

#include <algorithm>
#include <new>
#include <utility>

namespace ruleval {
namespace {

// With its header, the least chunk fills the least block malloc hands out.
constexpr std::uint32_t kLeastChunkBytes = 8;
constexpr std::uint32_t kMostChunkBytes = std::uint32_t{1} << 20;

}  // namespace

CoveredCases::CoveredCases(const CoveredCases& other)
    : count_(other.count_), next_(other.next_) {
  try {
    for (const Chunk* chunk = other.head_; chunk != nullptr;
         chunk = chunk->next) {
      add_chunk(chunk->size);
      std::copy_n(chunk->bytes(), chunk->used, tail_->bytes());
      tail_->used = chunk->used;
    }
  } catch (...) {
    free_chunks();
    throw;
  }
}

CoveredCases::CoveredCases(CoveredCases&& other) noexcept
    : head_(std::exchange(other.head_, nullptr)),
      tail_(std::exchange(other.tail_, nullptr)),
      count_(std::exchange(other.count_, 0)),
      next_(std::exchange(other.next_, 0)) {}

CoveredCases& CoveredCases::operator=(CoveredCases other) noexcept {
  std::swap(head_, other.head_);
  std::swap(tail_, other.tail_);
  std::swap(count_, other.count_);
  std::swap(next_, other.next_);
  return *this;
}

CoveredCases::~CoveredCases() { free_chunks(); }

void CoveredCases::free_chunks() {
  while (head_ != nullptr) {
    Chunk* const next = head_->next;
    ::operator delete(head_);
    head_ = next;
  }
}

void CoveredCases::append(CoveredCases&& later) {
  if (later.head_ == nullptr) return;
  if (head_ == nullptr) {
    *this = std::move(later);
    return;
  }
  // The first case of later is stored as its distance from 0; it becomes
  // its distance from the last case held, in as many bytes as before (the
  // spare ones all high bit and no value), so nothing moves. A chunk holds
  // the bytes of its first number whole.
  std::uint8_t* const first = later.head_->bytes();
  std::uint32_t length = 1;
  std::uint32_t value = 0;
  for (unsigned shift = 0;; shift += 7, ++length) {
    value |= static_cast<std::uint32_t>(first[length - 1] & 0x7F) << shift;
    if ((first[length - 1] & 0x80) == 0) break;
  }
  std::uint32_t gap = value - next_;
  for (std::uint32_t i = 0; i + 1 < length; ++i, gap >>= 7)
    first[i] = static_cast<std::uint8_t>((gap & 0x7F) | 0x80);
  first[length - 1] = static_cast<std::uint8_t>(gap);
  tail_->next = std::exchange(later.head_, nullptr);
  tail_ = std::exchange(later.tail_, nullptr);
  count_ += std::exchange(later.count_, 0);
  next_ = std::exchange(later.next_, 0);
}

void CoveredCases::append_gap_to_new_chunk(std::uint32_t gap) {
  std::uint8_t bytes[kLongestGap];
  std::uint32_t length = 0;
  for (; gap >= 0x80; gap >>= 7)
    bytes[length++] = static_cast<std::uint8_t>(gap | 0x80);
  bytes[length++] = static_cast<std::uint8_t>(gap);
  // What fits in the last chunk goes there, the rest to a new one.
  std::uint32_t i = 0;
  if (tail_ != nullptr) {
    for (; i < length && tail_->used < tail_->size; ++i)
      tail_->bytes()[tail_->used++] = bytes[i];
  }
  if (i == length) return;
  add_chunk(tail_ == nullptr
                ? kLeastChunkBytes
                : std::min(kMostChunkBytes, tail_->size + tail_->size / 2));
  for (; i < length; ++i) tail_->bytes()[tail_->used++] = bytes[i];
}

void CoveredCases::add_chunk(std::uint32_t size) {
  Chunk* const chunk =
      static_cast<Chunk*>(::operator new(sizeof(Chunk) + size));
  chunk->next = nullptr;
  chunk->size = size;
  chunk->used = 0;
  (tail_ == nullptr ? head_ : tail_->next) = chunk;
  tail_ = chunk;
}

CaseList CoveredCases::list() const {
  CaseList list;
  list.reserve(size());
  for_each([&list](std::uint32_t c) {
    list.push_back(static_cast<std::int32_t>(c));
  });
  return list;
}

}  // namespace ruleval
