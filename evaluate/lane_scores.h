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

// A batch of kLanes cases, whatever number of them needs scoring, with
// the counts of a range of words: from word first_word on.
struct LaneBatch {
  // Lane k's count bytes at lanes[k], laid out as a case's counts are
  // from rule 8 * first_word on (byte r - 8 * first_word: rule r).
  const std::uint64_t* const* lanes = nullptr;
  std::size_t first_word = 0;
  // The partial score of the j-th rule matched one by one (0 for a full
  // match) of lane k: one_by_one_terms[j * kLanes + k].
  const float* one_by_one_terms = nullptr;
  // The sum of class i of lane k goes to scores[i * kLanes + k].
  float* scores = nullptr;
};

// How far the scoring of a batch has come, from one range of words to the
// next: the concept at hand and each lane's sum of it so far. Starts as
// made.
struct LaneProgress {
  bool started = false;
  std::size_t current = 0;         // the concept at hand
  std::size_t end = 0;             // the rule after its last
  std::size_t next_exception = 0;  // in lane_exceptions()
  alignas(64) float sums[kLanes] = {};
};

// The ways of scoring side by side, slowest first: plain code, and the
// vector units of some processors.
enum class LaneKernel : std::uint8_t { kPlain, kAvx2, kAvx512 };
// Whether this processor runs the kernel.
bool lane_kernel_runs(LaneKernel kernel);
// The fastest kernel this processor runs.
LaneKernel best_lane_kernel();

// Adds the class rules of words first_word to end_word - 1 of batch to
// the sums of progress, and sets the sums of every class whose last rule
// they hold. Taking the ranges in order from word 0 to the last word of
// the class rules sets the sums of every class for every lane.
void score_lanes(LaneKernel kernel, const RuleIndex& index,
                 const LaneBatch& batch, std::size_t end_word,
                 LaneProgress* progress);

}  // namespace ruleval
