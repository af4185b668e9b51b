#include "prepare/interval_coder.h"

#include <algorithm>
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

// Where runs of values start within which the comparison with point uses
// one tolerance: the zeros, each binade of each sign (those of subnormal
// numbers too, which double precision holds as normal), the infinities, and
// the values either side of the point's magnitude, where the larger operand
// changes. Within such a run the difference grows with the value and the
// tolerance stays, so the values that exceed the point end the run.
std::vector<std::int64_t> run_starts(float point) {
  std::vector<std::int64_t> ends;  // of the positive runs
  for (std::int64_t k = 1; k <= (std::int64_t{1} << 23); k *= 2) {
    ends.push_back(k - 1);
  }
  for (std::int64_t e = 2; e <= 255; ++e) ends.push_back((e << 23) - 1);
  std::vector<std::int64_t> starts = {0, kInfinityKey, -kInfinityKey};
  for (const std::int64_t end : ends) {
    starts.push_back(end + 1);
    if (end > 0) starts.push_back(-end);
  }
  if (!std::isnan(point)) {
    const std::int64_t magnitude = key_of(std::fabs(point));
    if (magnitude < kInfinityKey) starts.push_back(magnitude + 1);
    starts.push_back(-magnitude);
  }
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  return starts;
}

// What the values of a run do: none exceeds the point, all do, or they do
// not follow the run's order (which the comparison should never give).
enum class RunState { kBelow, kAbove, kMixed };

struct Run {
  std::int64_t first;
  std::int64_t last;
  RunState state;
};

// The values from the least to the greatest as runs of one state.
std::vector<Run> runs_of(float point) {
  const std::vector<std::int64_t> starts = run_starts(point);
  std::vector<Run> runs;
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::int64_t first = starts[i];
    const std::int64_t last =
        i + 1 < starts.size() ? starts[i + 1] - 1 : kInfinityKey;
    const bool at_first = exceeds(first, point);
    const bool at_last = exceeds(last, point);
    if (at_first == at_last) {
      runs.push_back(
          {first, last, at_first ? RunState::kAbove : RunState::kBelow});
    } else if (at_first) {
      runs.push_back({first, last, RunState::kMixed});
    } else {
      // The least value of the run that exceeds the point.
      std::int64_t below = first;
      std::int64_t above = last;
      while (above - below > 1) {
        const std::int64_t middle = below + (above - below) / 2;
        (exceeds(middle, point) ? above : below) = middle;
      }
      runs.push_back({first, below, RunState::kBelow});
      runs.push_back({above, last, RunState::kAbove});
    }
  }
  return runs;
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
  const std::vector<Run> runs = runs_of(point);
  // The least value that does not lie below the point, and the first of the
  // values above it up to +inf.
  const auto first_not_below = std::find_if(
      runs.begin(), runs.end(),
      [](const Run& run) { return run.state != RunState::kBelow; });
  auto all_above = runs.end();
  while (all_above != runs.begin() &&
         std::prev(all_above)->state == RunState::kAbove) {
    --all_above;
  }
  if (first_not_below == runs.end()) {
    least_.push_back(std::numeric_limits<float>::quiet_NaN());
    return;
  }
  least_.push_back(static_cast<float>(value_of(first_not_below->first)));
  if (all_above == runs.end()) {
    bands_.push_back(
        {value_of(first_not_below->first), value_of(kInfinityKey)});
  } else if (first_not_below->first < all_above->first) {
    bands_.push_back(
        {value_of(first_not_below->first), value_of(all_above->first - 1)});
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
