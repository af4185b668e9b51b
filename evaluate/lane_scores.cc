#include "evaluate/lane_scores.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ruleval {
namespace {

// Lane k's count of rule r.
unsigned count_of(const LaneBatch& batch, std::size_t k, std::size_t r) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(batch.lanes[k]);
  return bytes[r - batch.first_word * kRulesPerWord];
}

// Lane k's partial score of rule r.
float term_of(const RuleIndex& index, const LaneBatch& batch, std::size_t k,
              std::size_t r) {
  if (index.matched_one_by_one(r))
    return batch.one_by_one_terms[index.one_by_one_slot(r) * kLanes + k];
  return index.terms()[index.term_at(r) + count_of(batch, k, r)];
}

// Walks the class rules in order, for lanes first_lane to first_lane +
// width - 1, from where progress stands: says where the next rule is that
// needs more than its lane row, an exception or the last rule of a concept,
// whose sums are then complete. The classes without rules get sums of 0 on
// the way.
class RuleWalk {
 public:
  RuleWalk(const RuleIndex& index, const LaneBatch& batch,
           const LaneProgress& progress, std::size_t first_lane,
           std::size_t width)
      : index_(index),
        batch_(batch),
        first_lane_(first_lane),
        width_(width),
        current_(progress.current),
        end_(progress.end),
        next_exception_(progress.next_exception) {
    if (!progress.started) skip_empty();
  }

  // No rule before this one needs more than its lane row.
  std::size_t next_event() const {
    const std::vector<std::size_t>& exceptions = index_.lane_exceptions();
    const std::size_t exception = next_exception_ < exceptions.size()
                                      ? exceptions[next_exception_]
                                      : index_.class_rule_count();
    return std::min(exception, end_ - 1);
  }
  bool exception(std::size_t r) const { return index_.lane_exception(r); }
  // After rule r: whether it ended the current concept.
  bool ends_concept(std::size_t r) {
    if (exception(r)) ++next_exception_;
    return r + 1 == end_;
  }
  // Where the sums of the current concept go.
  float* sums() const {
    return batch_.scores + current_ * kLanes + first_lane_;
  }
  void next() {
    ++current_;
    skip_empty();
  }
  // Leaves the walk's place in progress, for the next range of words.
  void save(LaneProgress* progress) const {
    progress->started = true;
    progress->current = current_;
    progress->end = end_;
    progress->next_exception = next_exception_;
  }

 private:
  void skip_empty() {
    const std::size_t classes = index_.class_count();
    while (current_ < classes && index_.concept_begin(current_ + 1) ==
                                     index_.concept_begin(current_)) {
      std::fill_n(sums(), width_, 0.0f);
      ++current_;
    }
    end_ = current_ < classes ? index_.concept_begin(current_ + 1)
                              : index_.class_rule_count() + 1;
  }

  const RuleIndex& index_;
  const LaneBatch& batch_;
  const std::size_t first_lane_;
  const std::size_t width_;
  std::size_t current_;
  std::size_t end_;
  std::size_t next_exception_;
};

// The class rules of words first_word to end_word - 1: [begin, end).
struct RuleRange {
  std::size_t begin;
  std::size_t end;
};
RuleRange rule_range(const RuleIndex& index, const LaneBatch& batch,
                     std::size_t end_word) {
  const std::size_t rules = index.class_rule_count();
  return {std::min(rules, batch.first_word * kRulesPerWord),
          std::min(rules, end_word * kRulesPerWord)};
}

// One lane after another, each as a case alone.
void score_plain(const RuleIndex& index, const LaneBatch& batch,
                 std::size_t end_word, LaneProgress* progress) {
  const RuleRange range = rule_range(index, batch, end_word);
  LaneProgress reached = *progress;
  for (std::size_t k = 0; k < kLanes; ++k) {
    float sum = progress->sums[k];
    RuleWalk walk(index, batch, *progress, k, 1);
    for (std::size_t r = range.begin; r < range.end; ++r) {
      sum += term_of(index, batch, k, r);
      if (walk.ends_concept(r)) {
        *walk.sums() = sum;
        sum = 0;
        walk.next();
      }
    }
    reached.sums[k] = sum;
    walk.save(&reached);
  }
  *progress = reached;
}

#if defined(__x86_64__)

#define RULEVAL_AVX512 target("avx512f,avx512bw,avx512vbmi")

// The terms of the rule with lane row `row` whose counts are byte j of
// each lane's word: picked by one permutation.
__attribute__((RULEVAL_AVX512, always_inline)) inline __m512 row_terms_avx512(
    __m512i first, __m512i second, __m512i mask, const float* row) {
  const __m512i counts = _mm512_and_si512(
      _mm512_permutex2var_epi8(first, mask, second), _mm512_set1_epi32(0xFF));
  // The zero-masked form: the plain one reads an undefined source.
  return _mm512_maskz_permutexvar_ps(0xFFFF, counts, _mm512_load_ps(row));
}

// Sixteen lanes at once.
__attribute__((RULEVAL_AVX512)) void score_avx512(const RuleIndex& index,
                                                  const LaneBatch& batch,
                                                  std::size_t end_word,
                                                  LaneProgress* progress) {
  // Mask j moves byte j of lane k's word to the low byte of dword k: lanes
  // 0 to 7 from the first vector, 8 to 15 from the second.
  alignas(64) unsigned char mask_bytes[kRulesPerWord][64] = {};
  for (std::size_t j = 0; j < kRulesPerWord; ++j) {
    for (std::size_t k = 0; k < kLanes; ++k)
      mask_bytes[j][4 * k] = static_cast<unsigned char>(8 * k + j);
  }
  __m512i masks[kRulesPerWord];
  for (std::size_t j = 0; j < kRulesPerWord; ++j)
    masks[j] = _mm512_load_si512(mask_bytes[j]);
  __m512 sum = _mm512_load_ps(progress->sums);
  RuleWalk walk(index, batch, *progress, 0, kLanes);
  const RuleRange range = rule_range(index, batch, end_word);
  const float* rows = index.lane_rows();
  alignas(64) std::uint64_t words[kLanes];
  for (std::size_t base = range.begin; base < range.end;
       base += kRulesPerWord) {
    const std::size_t w = base / kRulesPerWord - batch.first_word;
    for (std::size_t k = 0; k < kLanes; ++k) words[k] = batch.lanes[k][w];
    const __m512i first = _mm512_load_si512(words);
    const __m512i second = _mm512_load_si512(words + 8);
    if (base + kRulesPerWord - 1 < walk.next_event()) {
      for (std::size_t j = 0; j < kRulesPerWord; ++j) {
        sum = _mm512_add_ps(
            sum, row_terms_avx512(first, second, masks[j],
                                  rows + (base + j) * kLaneRowWidth));
      }
      continue;
    }
    for (std::size_t j = 0; j < kRulesPerWord && base + j < range.end; ++j) {
      const std::size_t r = base + j;
      __m512 term;
      if (walk.exception(r)) {
        alignas(64) float terms[kLanes];
        for (std::size_t k = 0; k < kLanes; ++k)
          terms[k] = term_of(index, batch, k, r);
        term = _mm512_load_ps(terms);
      } else {
        term =
            row_terms_avx512(first, second, masks[j], rows + r * kLaneRowWidth);
      }
      sum = _mm512_add_ps(sum, term);
      if (walk.ends_concept(r)) {
        _mm512_storeu_ps(walk.sums(), sum);
        sum = _mm512_setzero_ps();
        walk.next();
      }
    }
  }
  _mm512_store_ps(progress->sums, sum);
  walk.save(progress);
}

// The eight rules of one word of eight lanes, each rule's counts of the
// lanes in eight bytes: rules 2m and 2m + 1 in out[m].
__attribute__((target("avx2"), always_inline)) inline void transpose_bytes(
    const std::uint64_t* words, __m128i out[4]) {
  __m128i w[8];
  for (std::size_t k = 0; k < 8; ++k)
    w[k] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(words + k));
  const __m128i a01 = _mm_unpacklo_epi8(w[0], w[1]);
  const __m128i a23 = _mm_unpacklo_epi8(w[2], w[3]);
  const __m128i a45 = _mm_unpacklo_epi8(w[4], w[5]);
  const __m128i a67 = _mm_unpacklo_epi8(w[6], w[7]);
  const __m128i b_low = _mm_unpacklo_epi16(a01, a23);   // rules 0-3, lanes 0-3
  const __m128i b_high = _mm_unpackhi_epi16(a01, a23);  // rules 4-7, lanes 0-3
  const __m128i c_low = _mm_unpacklo_epi16(a45, a67);   // rules 0-3, lanes 4-7
  const __m128i c_high = _mm_unpackhi_epi16(a45, a67);  // rules 4-7, lanes 4-7
  out[0] = _mm_unpacklo_epi32(b_low, c_low);
  out[1] = _mm_unpackhi_epi32(b_low, c_low);
  out[2] = _mm_unpacklo_epi32(b_high, c_high);
  out[3] = _mm_unpackhi_epi32(b_high, c_high);
}

// The terms of the rule with lane row `row` whose counts of the eight
// lanes are the low eight bytes of counts: two permutations and a blend.
__attribute__((target("avx2"), always_inline)) inline __m256 row_terms_avx2(
    __m128i counts, const float* row) {
  const __m256i at = _mm256_cvtepu8_epi32(counts);
  const __m256 low = _mm256_permutevar8x32_ps(_mm256_load_ps(row), at);
  const __m256 high = _mm256_permutevar8x32_ps(_mm256_load_ps(row + 8), at);
  return _mm256_blendv_ps(
      low, high,
      _mm256_castsi256_ps(_mm256_cmpgt_epi32(at, _mm256_set1_epi32(7))));
}

// Sixteen lanes as two halves of eight, side by side: each lane still adds
// its rules in order, and the two halves' chains of additions overlap.
__attribute__((target("avx2"))) void score_avx2(const RuleIndex& index,
                                                const LaneBatch& batch,
                                                std::size_t end_word,
                                                LaneProgress* progress) {
  __m256 low = _mm256_loadu_ps(progress->sums);
  __m256 high = _mm256_loadu_ps(progress->sums + 8);
  RuleWalk walk(index, batch, *progress, 0, kLanes);
  const RuleRange range = rule_range(index, batch, end_word);
  const float* rows = index.lane_rows();
  std::uint64_t words[kLanes];
  __m128i low_pairs[4];
  __m128i high_pairs[4];
  for (std::size_t base = range.begin; base < range.end;
       base += kRulesPerWord) {
    const std::size_t w = base / kRulesPerWord - batch.first_word;
    for (std::size_t k = 0; k < kLanes; ++k) words[k] = batch.lanes[k][w];
    transpose_bytes(words, low_pairs);
    transpose_bytes(words + 8, high_pairs);
    if (base + kRulesPerWord - 1 < walk.next_event()) {
      for (std::size_t m = 0; m < 4; ++m) {
        const float* even = rows + (base + 2 * m) * kLaneRowWidth;
        const float* odd = even + kLaneRowWidth;
        low = _mm256_add_ps(low, row_terms_avx2(low_pairs[m], even));
        high = _mm256_add_ps(high, row_terms_avx2(high_pairs[m], even));
        low = _mm256_add_ps(
            low, row_terms_avx2(_mm_srli_si128(low_pairs[m], 8), odd));
        high = _mm256_add_ps(
            high, row_terms_avx2(_mm_srli_si128(high_pairs[m], 8), odd));
      }
      continue;
    }
    for (std::size_t j = 0; j < kRulesPerWord && base + j < range.end; ++j) {
      const std::size_t r = base + j;
      __m256 low_term;
      __m256 high_term;
      if (walk.exception(r)) {
        alignas(32) float terms[kLanes];
        for (std::size_t k = 0; k < kLanes; ++k)
          terms[k] = term_of(index, batch, k, r);
        low_term = _mm256_load_ps(terms);
        high_term = _mm256_load_ps(terms + 8);
      } else {
        const float* row = rows + r * kLaneRowWidth;
        const bool odd = j % 2 != 0;
        const __m128i low_pair = low_pairs[j / 2];
        const __m128i high_pair = high_pairs[j / 2];
        low_term =
            row_terms_avx2(odd ? _mm_srli_si128(low_pair, 8) : low_pair, row);
        high_term =
            row_terms_avx2(odd ? _mm_srli_si128(high_pair, 8) : high_pair, row);
      }
      low = _mm256_add_ps(low, low_term);
      high = _mm256_add_ps(high, high_term);
      if (walk.ends_concept(r)) {
        _mm256_storeu_ps(walk.sums(), low);
        _mm256_storeu_ps(walk.sums() + 8, high);
        low = _mm256_setzero_ps();
        high = _mm256_setzero_ps();
        walk.next();
      }
    }
  }
  _mm256_storeu_ps(progress->sums, low);
  _mm256_storeu_ps(progress->sums + 8, high);
  walk.save(progress);
}

#undef RULEVAL_AVX512

#endif

}  // namespace

bool lane_kernel_runs(LaneKernel kernel) {
  switch (kernel) {
#if defined(__x86_64__)
    case LaneKernel::kAvx512:
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx512vbmi") &&
             __builtin_cpu_supports("avx512bw");
    case LaneKernel::kAvx2:
      __builtin_cpu_init();
      return __builtin_cpu_supports("avx2");
#endif
    case LaneKernel::kPlain:
      return true;
    default:
      return false;
  }
}

LaneKernel best_lane_kernel() {
  for (const LaneKernel kernel : {LaneKernel::kAvx512, LaneKernel::kAvx2}) {
    if (lane_kernel_runs(kernel)) return kernel;
  }
  return LaneKernel::kPlain;
}

void score_lanes(LaneKernel kernel, const RuleIndex& index,
                 const LaneBatch& batch, std::size_t end_word,
                 LaneProgress* progress) {
  switch (kernel) {
#if defined(__x86_64__)
    case LaneKernel::kAvx512:
      score_avx512(index, batch, end_word, progress);
      return;
    case LaneKernel::kAvx2:
      score_avx2(index, batch, end_word, progress);
      return;
#endif
    default:
      score_plain(index, batch, end_word, progress);
      return;
  }
}

}  // namespace ruleval
