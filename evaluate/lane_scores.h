// Partial scores of several cases at once, one case per vector lane. Each
// lane adds the partial scores of every class rule, in rule order and in
// single precision, exactly as a case scored alone adds them; only the
// cases are side by side, so every sum is the same to the bit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "evaluate/rule_index.h"

namespace ruleval {

// Cases scored side by side.
inline constexpr std::size_t kLanes = 16;

// A batch of kLanes cases, whatever number of them needs scoring.
struct LaneBatch {
  // Lane k's count bytes at lanes[k], laid out as a case's counts are
  // (byte r: rule r).
  const std::uint64_t* const* lanes = nullptr;
  // The partial score of the j-th rule matched one by one (0 for a full
  // match) of lane k: one_by_one_terms[j * kLanes + k].
  const float* one_by_one_terms = nullptr;
  // The sum of class i of lane k goes to scores[i * kLanes + k].
  float* scores = nullptr;
};

// The ways of scoring side by side, slowest first: plain code, and the
// vector units of some processors.
enum class LaneKernel : std::uint8_t { kPlain, kAvx2, kAvx512 };
// Whether this processor runs the kernel.
bool lane_kernel_runs(LaneKernel kernel);
// The fastest kernel this processor runs.
LaneKernel best_lane_kernel();

// Sets the sums of every class for every lane of batch.
void score_lanes(LaneKernel kernel, const RuleIndex& index,
                 const LaneBatch& batch);

}  // namespace ruleval
