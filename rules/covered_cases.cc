#include "rules/covered_cases.h"

#include <algorithm>
#include <utility>

namespace ruleval {

CaseRun::CaseRun(const CaseRun& other)
    : room_(other.room_), count_(other.count_), next_(other.next_) {
  const std::size_t used = other.held() - other.room_;
  std::size_t start = 0;
  for (const std::unique_ptr<std::uint8_t[]>& chunk : other.chunks_) {
    const std::size_t size = chunk_bytes(start);
    chunks_.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(size));
    const std::size_t filled = std::min(size, used - start);
    std::copy_n(chunk.get(), filled, chunks_.back().get());
    at_ = chunks_.back().get() + filled;
    start += size;
  }
}

CaseRun::CaseRun(CaseRun&& other) noexcept
    : chunks_(std::move(other.chunks_)),
      at_(std::exchange(other.at_, nullptr)),
      room_(std::exchange(other.room_, 0)),
      count_(std::exchange(other.count_, 0)),
      next_(std::exchange(other.next_, 0)) {
  other.chunks_.clear();
}

CaseRun& CaseRun::operator=(CaseRun other) noexcept {
  std::swap(chunks_, other.chunks_);
  std::swap(at_, other.at_);
  std::swap(room_, other.room_);
  std::swap(count_, other.count_);
  std::swap(next_, other.next_);
  return *this;
}

std::size_t CaseRun::held() const {
  std::size_t held = 0;
  for (std::size_t k = 0; k < chunks_.size(); ++k) held += chunk_bytes(held);
  return held;
}

void CaseRun::grow() {
  const std::size_t size = chunk_bytes(held());
  chunks_.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(size));
  at_ = chunks_.back().get();
  room_ = size;
}

void CoveredCases::add_run(CaseRun&& run) {
  if (run.size() > 0) runs_.push_back(std::move(run));
}

std::size_t CoveredCases::size() const {
  std::size_t size = 0;
  for (const CaseRun& run : runs_) size += run.size();
  return size;
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
