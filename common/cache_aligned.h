// Storage that starts on a cache line and fills whole lines: for what the
// cores read a vector step at a time (a step that straddles two lines costs
// two reads), and for what one thread writes while others write nearby (a
// shared line would pass between the cores on every write).
#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace ruleval {

inline constexpr std::size_t kCacheLineBytes = 64;

template <class T>
struct CacheAlignedAllocator {
  using value_type = T;

  CacheAlignedAllocator() = default;
  template <class U>
  CacheAlignedAllocator(const CacheAlignedAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    const std::size_t lines =
        (n * sizeof(T) + kCacheLineBytes - 1) / kCacheLineBytes;
    return static_cast<T*>(::operator new (lines* kCacheLineBytes,
                                           std::align_val_t{kCacheLineBytes}));
  }
  void deallocate(T* p, std::size_t) noexcept {
    ::operator delete (p, std::align_val_t{kCacheLineBytes});
  }

  friend bool operator==(const CacheAlignedAllocator&,
                         const CacheAlignedAllocator&) = default;
};

template <class T>
using CacheAlignedVector = std::vector<T, CacheAlignedAllocator<T>>;

}  // namespace ruleval
