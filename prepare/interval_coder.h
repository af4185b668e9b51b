// The coding of a numeric value by the interval between boundary points it
// falls in: the number of points after the first that the value exceeds,
// counted in order up to the first it does not exceed, "exceeds" being the
// tolerant comparison of common/approx_compare.h.
//
// The values coded are single-precision numbers (widened to double). For
// each point, the least such value that exceeds it is found once, with the
// comparison itself: a value then needs one search among those thresholds
// instead of a tolerant comparison per point. The tolerance scales with the
// exponent of the larger operand, so above a point just under a power of
// two the values that exceed it need not be a half-line; values in such a
// band are coded with the comparisons, point by point.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ruleval {

class IntervalCoder {
 public:
  IntervalCoder() = default;
  explicit IntervalCoder(const std::vector<float>& points);

  // The code of value, a single-precision number widened to double (which
  // it is compared as, exactly). Called for every numeric value of the test
  // data, from several threads at once.
  std::uint32_t code(double value) const {
    for (const Band& band : bands_) {
      if (value >= band.low && value <= band.high) [[unlikely]] {
        return code_by_comparison(value);
      }
    }
    const float* const least = least_.data();
    const auto single = static_cast<float>(value);  // exact, a float widened
    if (!ascending_) {
      std::size_t k = 0;
      while (k < count_ && single >= least[k]) ++k;
      return static_cast<std::uint32_t>(k);
    }
    if (count_ > kCountedUpTo) return searched(single);
    // Over whole groups of four, the padding NaN: no value is at least NaN.
    std::uint32_t k = 0;
    for (std::size_t j = 0; j < least_.size(); ++j) {
      k += single >= least[j] ? 1 : 0;
    }
    return k;
  }

  // The same code found by comparing the value with each point in turn.
  std::uint32_t code_by_comparison(double value) const;

 private:
  // A run of values where a point's threshold alone does not tell whether
  // they exceed it.
  struct Band {
    double low;
    double high;
  };
  // Thresholds counted all up to this many, searched beyond.
  static constexpr std::size_t kCountedUpTo = 16;

  std::uint32_t searched(float value) const;
  // Finds the threshold and the band of one point.
  void add_point(float point);

  std::vector<float> points_;
  // For each point after the first, the least value that exceeds it (NaN
  // when none does), then NaN up to a multiple of four; how many there are
  // without that padding, and whether they ascend, as they do for points
  // in ascending order.
  std::vector<float> least_;
  std::size_t count_ = 0;
  bool ascending_ = true;
  std::vector<Band> bands_;
};

}  // namespace ruleval
