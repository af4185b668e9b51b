#include "prepare/interval_coder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>

#include "common/approx_compare.h"

namespace ruleval {
namespace {

// Single-precision numbers in ascending order as integers: -inf is
// -kInfinityKey, both zeros are 0, +inf is kInfinityKey. NaN has no key.
constexpr std::int64_t kInfinityKey = 0x7F800000;

std::int64_t key_of(float value) {
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const auto magnitude = static_cast<std::int64_t>(bits & 0x7FFFFFFF);
  return (bits >> 31) != 0 ? -magnitude : magnitude;
}

double value_of(std::int64_t key) {
  const auto magnitude = static_cast<std::uint32_t>(key < 0 ? -key : key);
  return static_cast<double>(
      std::bit_cast<float>(key < 0 ? magnitude | 0x80000000 : magnitude));
}

bool exceeds(std::int64_t key, float point) {
  return approx_compare(value_of(key), point, kCompareEpsilon) == 1;
}

// The starts of the runs of values within which the comparison with any
// point above them uses one tolerance, in ascending order: each binade of
// each sign (those of subnormal numbers too, which double precision holds
// as normal), the zeros and the infinities.
constexpr std::size_t kBinadeRuns = 2 * (24 + 254) + 1;
constexpr std::array<std::int64_t, kBinadeRuns> kBinadeStarts = [] {
  std::array<std::int64_t, kBinadeRuns> starts{};
  std::size_t n = 0;
  std::array<std::int64_t, (kBinadeRuns - 1) / 2> ends{};  // positive runs'
  std::size_t e = 0;
  for (std::int64_t k = 1; k <= (std::int64_t{1} << 23); k *= 2) {
    ends[e++] = k - 1;
  }
  for (std::int64_t b = 2; b <= 255; ++b) ends[e++] = (b << 23) - 1;
  starts[n++] = -kInfinityKey;
  for (std::size_t k = e; k-- > 0;) starts[n++] = -ends[k];  // 0 last
  for (std::size_t k = 0; k < e; ++k) starts[n++] = ends[k] + 1;
  return starts;
}();

// The runs of values above point within which the comparison with it uses
// one tolerance: the binades, split where the magnitude of the value passes
// that of the point and the larger operand changes. Within such a run the
// difference grows with the value and the tolerance stays, so the values
// that exceed the point end the run. No value up to the point exceeds it:
// the difference is not positive, the tolerance is.
std::vector<std::int64_t> run_starts(float point) {
  const std::int64_t from = key_of(point) + 1;
  const std::int64_t past = key_of(std::fabs(point)) + 1;
  std::vector<std::int64_t> starts = {from};
  for (const std::int64_t start : kBinadeStarts) {
    if (past > starts.back() && past < start) starts.push_back(past);
    if (start > starts.back()) starts.push_back(start);
  }
  if (past > starts.back() && past <= kInfinityKey) starts.push_back(past);
  return starts;
}

// The least key from first to last whose value exceeds point, given that
// the last one's does and the values of the run exceed it from some key on.
std::int64_t least_exceeding(std::int64_t first, std::int64_t last,
                             float point) {
  if (exceeds(first, point)) return first;
  while (last - first > 1) {
    const std::int64_t middle = first + (last - first) / 2;
    (exceeds(middle, point) ? last : first) = middle;
  }
  return last;
}

}  // namespace

IntervalCoder::IntervalCoder(const std::vector<float>& points)
    : points_(points) {
  for (std::size_t k = 1; k < points_.size(); ++k) add_point(points_[k]);
  count_ = least_.size();
  for (std::size_t k = 0; k < count_; ++k) {
    if (std::isnan(least_[k]) || (k > 0 && least_[k] < least_[k - 1])) {
      ascending_ = false;
    }
  }
  if (count_ <= kCountedUpTo) {
    least_.resize((count_ + 3) / 4 * 4,
                  std::numeric_limits<float>::quiet_NaN());
  }
}

void IntervalCoder::add_point(float point) {
  constexpr float kNone = std::numeric_limits<float>::quiet_NaN();
  if (std::isnan(point) || point == std::numeric_limits<float>::infinity()) {
    least_.push_back(kNone);  // no value exceeds it
    return;
  }
  const std::vector<std::int64_t> starts = run_starts(point);
  const auto last_of = [&](std::size_t r) {
    return r + 1 < starts.size() ? starts[r + 1] - 1 : kInfinityKey;
  };
  // Up from the point, to the first run with a value that exceeds it.
  std::size_t r = 0;
  while (r < starts.size() && !exceeds(last_of(r), point)) ++r;
  if (r == starts.size()) {
    least_.push_back(kNone);
    return;
  }
  const std::int64_t least = least_exceeding(starts[r], last_of(r), point);
  least_.push_back(static_cast<float>(value_of(least)));
  // Down from +inf, to the first run whose least value does not exceed it:
  // from where the values exceed the point in that run, all above do too.
  std::size_t q = starts.size();
  while (q > r && exceeds(starts[q - 1], point)) --q;
  if (q == r) return;  // every value from the least on exceeds the point
  const std::int64_t all_above =
      exceeds(last_of(q - 1), point)
          ? least_exceeding(starts[q - 1], last_of(q - 1), point)
          : last_of(q - 1) + 1;
  if (least < all_above) {
    bands_.push_back({value_of(least), value_of(all_above - 1)});
  }
}

std::uint32_t IntervalCoder::searched(float value) const {
  if (std::isnan(value)) return 0;
  return static_cast<std::uint32_t>(
      std::upper_bound(least_.begin(), least_.end(), value) - least_.begin());
}

std::uint32_t IntervalCoder::code_by_comparison(double value) const {
  std::size_t k = 0;
  while (k + 1 < points_.size() &&
         approx_compare(value, points_[k + 1], kCompareEpsilon) == 1) {
    ++k;
  }
  return static_cast<std::uint32_t>(k);
}

}  // namespace ruleval
