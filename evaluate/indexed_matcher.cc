#include "evaluate/indexed_matcher.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "common/parallel.h"
#include "evaluate/lane_scores.h"
#include "evaluate/rule_index.h"

namespace ruleval {
namespace {

// Fewer cases than this per block are not worth a thread.
constexpr std::size_t kLeastCasesPerBlock = 4096;

// Words as one vector of a processor's vector unit: two words (any x86-64
// processor), four (AVX2) or eight (AVX-512). A step of words is one or more
// of them; a vector wider than the unit the code is built for would be
// split through memory.
using TwoWords = std::uint64_t __attribute__((vector_size(16)));
using FourWords = std::uint64_t __attribute__((vector_size(32)));
using EightWords = std::uint64_t __attribute__((vector_size(64)));

template <class Vector>
inline constexpr std::size_t kVectorWords = sizeof(Vector) /
                                            sizeof(std::uint64_t);

// Vector takes the words from words on (no vector passes by value: the
// callers are built for different vector units).
template <class Vector>
__attribute__((always_inline)) inline void load(Vector& vector,
                                                const std::uint64_t* words) {
  std::memcpy(&vector, words, sizeof vector);
}

// Adds `count` rows over words begin to end - 1 into sums (whose word 0
// stands for word begin), a vector at a time.
template <class Vector>
__attribute__((always_inline)) inline void add_rows_by(
    const std::uint64_t* const* rows, std::size_t count, std::size_t begin,
    std::size_t end, std::uint64_t* sums) {
  for (std::size_t w = begin; w < end; w += kVectorWords<Vector>) {
    Vector sum, row;
    load(sum, rows[0] + w);
    for (std::size_t a = 1; a < count; ++a) {
      load(row, rows[a] + w);
      sum += row;
    }
    std::memcpy(sums + (w - begin), &sum, sizeof sum);
  }
}

// Records in steps each step of words first to first + count - 1 of all
// that holds a set bit; returns how many there are now.
inline std::size_t keep_set_steps(const std::uint64_t* all, std::size_t first,
                                  std::size_t count, std::uint32_t* steps,
                                  std::size_t found) {
  for (std::size_t w = first; w < first + count; w += kWordsPerStep) {
    std::uint64_t set = 0;
    for (std::size_t k = 0; k < kWordsPerStep; ++k) set |= all[w + k];
    steps[found] = static_cast<std::uint32_t>(w / kWordsPerStep);
    found += set != 0 ? 1 : 0;
  }
  return found;
}

// ANDs `count` bit rows over words 0 to words - 1, four vectors at a time
// and the steps beyond the last whole group one by one. Returns how many
// steps hold a set bit, their numbers put in steps in ascending order and
// their words in all.
template <class Vector>
__attribute__((always_inline)) inline std::size_t and_rows_by(
    const std::uint64_t* const* rows, std::size_t count, std::size_t words,
    std::uint64_t* all, std::uint32_t* steps) {
  constexpr std::size_t kStride = kVectorWords<Vector>;
  constexpr std::size_t kGroupWords = 4 * kStride;
  static_assert(kGroupWords % kWordsPerStep == 0);
  std::size_t found = 0;
  std::size_t w = 0;
  for (; w + kGroupWords <= words; w += kGroupWords) {
    // Four named vectors: the compiler keeps them in registers, as it does
    // not an array of them.
    Vector s0, s1, s2, s3, r0, r1, r2, r3;
    load(s0, rows[0] + w);
    load(s1, rows[0] + w + kStride);
    load(s2, rows[0] + w + 2 * kStride);
    load(s3, rows[0] + w + 3 * kStride);
    for (std::size_t a = 1; a < count; ++a) {
      load(r0, rows[a] + w);
      load(r1, rows[a] + w + kStride);
      load(r2, rows[a] + w + 2 * kStride);
      load(r3, rows[a] + w + 3 * kStride);
      s0 &= r0;
      s1 &= r1;
      s2 &= r2;
      s3 &= r3;
    }
    const Vector any = s0 | s1 | s2 | s3;
    std::uint64_t set = 0;
    for (std::size_t k = 0; k < kStride; ++k) set |= any[k];
    // Most groups hold no set bit at all.
    if (set == 0) continue;
    std::memcpy(all + w, &s0, sizeof s0);
    std::memcpy(all + w + kStride, &s1, sizeof s1);
    std::memcpy(all + w + 2 * kStride, &s2, sizeof s2);
    std::memcpy(all + w + 3 * kStride, &s3, sizeof s3);
    found = keep_set_steps(all, w, kGroupWords, steps, found);
  }
  for (const std::size_t first = w; w < words; w += kStride) {
    Vector both, row;
    load(both, rows[0] + w);
    for (std::size_t a = 1; a < count; ++a) {
      load(row, rows[a] + w);
      both &= row;
    }
    std::memcpy(all + w, &both, sizeof both);
    if (w + kStride == words) {
      found = keep_set_steps(all, first, words - first, steps, found);
    }
  }
  return found;
}

// The two loops for each vector unit, built for it.
#if defined(__x86_64__)
__attribute__((target("avx512f"))) void add_rows_avx512(
    const std::uint64_t* const* rows, std::size_t count, std::size_t begin,
    std::size_t end, std::uint64_t* sums) {
  add_rows_by<EightWords>(rows, count, begin, end, sums);
}
__attribute__((target("avx2"))) void add_rows_avx2(
    const std::uint64_t* const* rows, std::size_t count, std::size_t begin,
    std::size_t end, std::uint64_t* sums) {
  add_rows_by<FourWords>(rows, count, begin, end, sums);
}
__attribute__((target("avx512f"))) std::size_t and_rows_avx512(
    const std::uint64_t* const* rows, std::size_t count, std::size_t words,
    std::uint64_t* all, std::uint32_t* steps) {
  return and_rows_by<EightWords>(rows, count, words, all, steps);
}
__attribute__((target("avx2"))) std::size_t and_rows_avx2(
    const std::uint64_t* const* rows, std::size_t count, std::size_t words,
    std::uint64_t* all, std::uint32_t* steps) {
  return and_rows_by<FourWords>(rows, count, words, all, steps);
}
#endif

// Adds rows as add_rows_by does, on the vector unit of kernel.
void add_rows(LaneKernel kernel, const std::uint64_t* const* rows,
              std::size_t count, std::size_t begin, std::size_t end,
              std::uint64_t* sums) {
  switch (kernel) {
#if defined(__x86_64__)
    case LaneKernel::kAvx512:
      return add_rows_avx512(rows, count, begin, end, sums);
    case LaneKernel::kAvx2:
      return add_rows_avx2(rows, count, begin, end, sums);
#endif
    default:
      return add_rows_by<TwoWords>(rows, count, begin, end, sums);
  }
}

// ANDs rows as and_rows_by does, on the vector unit of kernel.
std::size_t and_rows(LaneKernel kernel, const std::uint64_t* const* rows,
                     std::size_t count, std::size_t words, std::uint64_t* all,
                     std::uint32_t* steps) {
  switch (kernel) {
#if defined(__x86_64__)
    case LaneKernel::kAvx512:
      return and_rows_avx512(rows, count, words, all, steps);
    case LaneKernel::kAvx2:
      return and_rows_avx2(rows, count, words, all, steps);
#endif
    default:
      return and_rows_by<TwoWords>(rows, count, words, all, steps);
  }
}

// The cases that need partial scores wait in batches of kBatch, counted and
// scored this many words at a time, so that the parts of the rows the batch
// reads stay in the cache while every case of the batch adds them, and its
// counts while they are scored.
constexpr std::size_t kBatch = 64;
constexpr std::size_t kTileWords = 256;
static_assert(kTileWords % kWordsPerStep == 0);
static_assert(kBatch % kLanes == 0);
constexpr std::size_t kLaneBatches = kBatch / kLanes;

// The coverage lists one block found, per rule.
struct BlockCoverage {
  std::vector<CoveredCases> positive;
  std::vector<CoveredCases> negative;
};

// The details of one block's cases, when asked for: its parts of the
// per-case arrays, and its full matches case after case.
struct BlockDetails {
  CaseScore* scores = nullptr;
  std::uint32_t* full_match_counts = nullptr;
  std::vector<std::uint32_t> full_matches;
};

// Matches the cases of one block one after another; the cases that need
// partial scores wait until kBatch of them are found, to be counted
// together and scored kLanes at a time. Owns what their matching needs.
class BlockMatcher {
 public:
  BlockMatcher(const RuleIndex& index, const CaseBuffer& cases,
               int majority_class, LaneKernel kernel)
      : index_(index),
        cases_(cases),
        majority_class_(majority_class),
        kernel_(kernel),
        words_(index.word_count()),
        bit_words_(index.bit_word_count()),
        bit_rows_(std::max<std::size_t>(1, index.attributes().size()),
                  index.tabulated_bits().data()),
        all_(bit_words_),
        steps_(bit_words_ / kWordsPerStep),
        tile_words_(std::min(kTileWords, words_)),
        counts_(kBatch * tile_words_),
        no_conditions_(words_),
        one_by_one_terms_(index.one_by_one().size()),
        waiting_terms_(kBatch * one_by_one_terms_.size()),
        pending_terms_(kLaneBatches * one_by_one_terms_.size() * kLanes),
        lane_scores_(kLaneBatches * index.class_count() * kLanes),
        scores_(index.class_count()),
        flags_(index.class_count()) {}

  // Matches cases begin to end - 1; the arrays of details (when given)
  // start at case begin.
  void match(std::size_t begin, std::size_t end, BlockCoverage* coverage,
             Classifications* given, BlockDetails* details);

 private:
  template <bool kDetailed>
  void match_cases(std::size_t begin, std::size_t end, BlockCoverage* coverage,
                   Classifications* given, BlockDetails* details);
  void hold_waiting(std::size_t c);
  template <bool kDetailed>
  void score_waiting(std::size_t begin, Classifications* given,
                     BlockDetails* details);
  void record_full_matches(std::size_t k, BlockDetails* details) const;
  void record_score(const Classification& given, std::size_t k,
                    BlockDetails* details) const;
  std::uint64_t* counts(std::size_t k) {
    return counts_.data() + k * tile_words_;
  }
  void start_lane_batches();
  void count_met_conditions(std::size_t tile, std::size_t tile_end);
  void find_full_matches(std::size_t c);
  template <std::size_t kCodeBits>
  void gather_bit_rows(std::size_t c);
  void match_one_by_one(std::size_t c);
  void record_coverage(std::size_t c, BlockCoverage* coverage) const;
  bool needs_partial_scores() const;
  Classification classify();
  Classification classify_by_full_matches();

  const RuleIndex& index_;
  const CaseBuffer& cases_;
  const int majority_class_;
  const LaneKernel kernel_;
  // Words of the byte rows (class rules) and of the bit rows (all rules).
  const std::size_t words_;
  const std::size_t bit_words_;
  // The current case's bit row of every tabulated attribute, their AND and
  // the steps of it that hold a set bit.
  std::vector<const std::uint64_t*> bit_rows_;
  CacheAlignedVector<std::uint64_t> all_;
  std::vector<std::uint32_t> steps_;
  // Per waiting case, per class rule byte of the tile of words at hand:
  // conditions met by the case.
  const std::size_t tile_words_;
  CacheAlignedVector<std::uint64_t> counts_;
  // Per waiting case, the row of every tabulated attribute.
  std::vector<const std::uint64_t*> rows_;
  // The row of a case when no attribute is tabulated: no condition met.
  CacheAlignedVector<std::uint64_t> no_conditions_;
  // The cases that wait for their partial scores, and their scores of the
  // rules matched one by one, case after case.
  std::size_t waiting_case_[kBatch] = {};
  std::size_t waiting_ = 0;
  // The current case's partial score of each rule matched one by one, those
  // of the waiting cases, and those of the waiting cases as LaneBatch lays
  // them out, batch after batch; the batches' sums, lanes and progress.
  std::vector<float> one_by_one_terms_;
  std::vector<float> waiting_terms_;
  CacheAlignedVector<float> pending_terms_;
  CacheAlignedVector<float> lane_scores_;
  const std::uint64_t* lanes_[kLaneBatches][kLanes] = {};
  LaneBatch batches_[kLaneBatches];
  LaneProgress progress_[kLaneBatches];
  // The current case's full matches, ascending, and which rules matched one
  // by one cover it.
  std::vector<std::size_t> full_;
  std::vector<std::size_t> covered_one_by_one_;
  std::vector<float> scores_;
  std::vector<char> flags_;
};

void BlockMatcher::match(std::size_t begin, std::size_t end,
                         BlockCoverage* coverage, Classifications* given,
                         BlockDetails* details) {
  coverage->positive.resize(index_.rule_count());
  coverage->negative.resize(index_.rule_count());
  if (details != nullptr) {
    match_cases<true>(begin, end, coverage, given, details);
  } else {
    match_cases<false>(begin, end, coverage, given, details);
  }
}

// The loop over the cases, built twice so that a run that keeps no details
// pays nothing for them.
template <bool kDetailed>
void BlockMatcher::match_cases(std::size_t begin, std::size_t end,
                               BlockCoverage* coverage, Classifications* given,
                               BlockDetails* details) {
  for (std::size_t c = begin; c < end; ++c) {
    find_full_matches(c);
    match_one_by_one(c);
    record_coverage(c, coverage);
    if constexpr (kDetailed) record_full_matches(c - begin, details);
    if (needs_partial_scores()) {
      hold_waiting(c);
      if (waiting_ == kBatch) score_waiting<kDetailed>(begin, given, details);
      continue;
    }
    const Classification decided = classify();
    given->set(c, decided);
    if constexpr (kDetailed) record_score(decided, c - begin, details);
  }
  if (waiting_ > 0) score_waiting<kDetailed>(begin, given, details);
}

// Keeps case c, and its scores of the rules matched one by one, for
// scoring later.
void BlockMatcher::hold_waiting(std::size_t c) {
  std::copy(one_by_one_terms_.begin(), one_by_one_terms_.end(),
            waiting_terms_.begin() + static_cast<std::ptrdiff_t>(
                                         waiting_ * one_by_one_terms_.size()));
  waiting_case_[waiting_++] = c;
}

// Counts the waiting cases' met conditions and scores them side by side,
// kLanes at a time, tile by tile, and classifies them by their sums.
template <bool kDetailed>
void BlockMatcher::score_waiting(std::size_t begin, Classifications* given,
                                 BlockDetails* details) {
  start_lane_batches();
  const std::size_t batches = (waiting_ + kLanes - 1) / kLanes;
  for (std::size_t tile = 0; tile < words_; tile += kTileWords) {
    const std::size_t tile_end = std::min(words_, tile + kTileWords);
    count_met_conditions(tile, tile_end);
    for (std::size_t b = 0; b < batches; ++b) {
      batches_[b].first_word = tile;
      score_lanes(kernel_, index_, batches_[b], tile_end, &progress_[b]);
    }
  }
  const std::size_t classes = scores_.size();
  for (std::size_t w = 0; w < waiting_; ++w) {
    const float* sums = batches_[w / kLanes].scores + w % kLanes;
    for (std::size_t i = 0; i < classes; ++i) scores_[i] = sums[i * kLanes];
    const std::size_t c = waiting_case_[w];
    const Classification decided{
        choose_concept(scores_, index_.class_has_rules()),
        Decision::kPartialMatch};
    given->set(c, decided);
    if constexpr (kDetailed) record_score(decided, c - begin, details);
  }
  waiting_ = 0;
}

// Lays out the waiting cases as batches of kLanes for scoring from the
// first word on, and finds the rows they add. Lanes beyond the waiting
// cases repeat the first case of their batch, scored to no use.
void BlockMatcher::start_lane_batches() {
  const std::size_t ones = one_by_one_terms_.size();
  const std::size_t classes = scores_.size();
  for (std::size_t b = 0; b * kLanes < waiting_; ++b) {
    for (std::size_t k = 0; k < kLanes; ++k) {
      const std::size_t lane = b * kLanes + k;
      const std::size_t w = lane < waiting_ ? lane : b * kLanes;
      lanes_[b][k] = counts(w);
      for (std::size_t j = 0; j < ones; ++j)
        pending_terms_[(b * ones + j) * kLanes + k] =
            waiting_terms_[w * ones + j];
    }
    batches_[b].lanes = lanes_[b];
    batches_[b].one_by_one_terms = pending_terms_.data() + b * ones * kLanes;
    batches_[b].scores = lane_scores_.data() + b * classes * kLanes;
    progress_[b] = LaneProgress{};
  }
  const std::vector<TabulatedAttribute>& attributes = index_.attributes();
  rows_.clear();
  for (std::size_t k = 0; k < waiting_; ++k) {
    for (const TabulatedAttribute& attribute : attributes) {
      rows_.push_back(attribute.row(
          cases_.code(waiting_case_[k], attribute.position), words_));
    }
    if (attributes.empty()) rows_.push_back(no_conditions_.data());
  }
}

void BlockMatcher::record_full_matches(std::size_t k,
                                       BlockDetails* details) const {
  std::uint32_t count = 0;
  for (const std::size_t r : full_) {
    if (r >= index_.class_rule_count()) break;
    details->full_matches.push_back(static_cast<std::uint32_t>(r));
    ++count;
  }
  details->full_match_counts[k] = count;
}

// The scores that decided the k-th case, left in scores_ (and flags_).
void BlockMatcher::record_score(const Classification& given, std::size_t k,
                                BlockDetails* details) const {
  switch (given.decision) {
    case Decision::kFullMatch:
      details->scores[k] = score_choice(scores_, flags_, given.class_code);
      break;
    case Decision::kPartialMatch:
      details->scores[k] =
          score_choice(scores_, index_.class_has_rules(), given.class_code);
      break;
    case Decision::kNoMatch:
      details->scores[k] = CaseScore{};
      break;
  }
}

// Adds up one row per tabulated attribute for each waiting case over words
// tile to tile_end - 1. No byte can carry into the next: a rule meets at
// most 255 conditions.
void BlockMatcher::count_met_conditions(std::size_t tile,
                                        std::size_t tile_end) {
  const std::size_t per_case =
      std::max<std::size_t>(1, index_.attributes().size());
  for (std::size_t k = 0; k < waiting_; ++k)
    add_rows(kernel_, rows_.data() + k * per_case, per_case, tile, tile_end,
             counts(k));
}

// The full matches of case c among the rules the tables serve, ascending,
// into full_: the set bits of the AND of its bit rows.
void BlockMatcher::find_full_matches(std::size_t c) {
  full_.clear();
  // With no tabulated attribute, bit_rows_ holds the one row of the rules
  // the tables serve.
  switch (cases_.code_bits()) {
    case 4:
      gather_bit_rows<4>(c);
      break;
    case 8:
      gather_bit_rows<8>(c);
      break;
    case 16:
      gather_bit_rows<16>(c);
      break;
    default:
      gather_bit_rows<32>(c);
      break;
  }
  const std::size_t found =
      and_rows(kernel_, bit_rows_.data(), bit_rows_.size(), bit_words_,
               all_.data(), steps_.data());
  for (std::size_t i = 0; i < found; ++i) {
    const std::size_t first = steps_[i] * kWordsPerStep;
    for (std::size_t w = first; w < first + kWordsPerStep; ++w) {
      for (std::uint64_t bits = all_[w]; bits != 0; bits &= bits - 1) {
        full_.push_back(w * kRulesPerBitWord +
                        static_cast<std::size_t>(std::countr_zero(bits)));
      }
    }
  }
}

// The bit row of each tabulated attribute for case c's code, into
// bit_rows_; the width of the codes known in advance.
template <std::size_t kCodeBits>
void BlockMatcher::gather_bit_rows(std::size_t c) {
  const std::uint64_t** row = bit_rows_.data();
  for (const TabulatedAttribute& attribute : index_.attributes()) {
    *row++ = attribute.bit_row(
        cases_.code_of_width<kCodeBits>(c, attribute.position), bit_words_);
  }
}

// The rules matched one by one on case c: its full
// matches join the others in rule order.
void BlockMatcher::match_one_by_one(std::size_t c) {
  covered_one_by_one_.clear();
  const std::vector<std::size_t>& one_by_one = index_.one_by_one();
  for (std::size_t j = 0; j < one_by_one.size(); ++j) {
    const std::size_t r = one_by_one[j];
    const Rule& rule = index_.rule(r);
    const int met = met_conditions(rule, cases_, c);
    const bool full = met == rule.conditions_to_meet;
    if (full) full_.insert(std::lower_bound(full_.begin(), full_.end(), r), r);
    one_by_one_terms_[j] = full ? 0.0f : partial_score(met, rule);
    if (covers_case(rule, cases_, c)) covered_one_by_one_.push_back(r);
  }
}

void BlockMatcher::record_coverage(std::size_t c,
                                   BlockCoverage* coverage) const {
  const std::uint32_t code = cases_.class_code(c);
  // A case without a class is neither for nor against a rule.
  if (code == kMissingCode) return;
  const auto class_code = static_cast<int>(code);
  const auto add = [&](std::size_t r) {
    std::vector<CoveredCases>& lists = index_.concept_of(r) == class_code
                                           ? coverage->positive
                                           : coverage->negative;
    lists[r].append(static_cast<std::uint32_t>(c));
  };
  for (const std::size_t r : full_) {
    if (!index_.matched_one_by_one(r)) add(r);
  }
  for (const std::size_t r : covered_one_by_one_) add(r);
}

// No rule of a class is fully met, and some class has rules: every one
// adds its partial score, in rule order, to its concept's.
bool BlockMatcher::needs_partial_scores() const {
  const bool full_class_match =
      !full_.empty() && full_.front() < index_.class_rule_count();
  return !full_class_match && index_.class_rule_count() > 0;
}

// The current case, unless it needs partial scores.
Classification BlockMatcher::classify() {
  if (!full_.empty() && full_.front() < index_.class_rule_count())
    return classify_by_full_matches();
  return Classification{majority_class_, Decision::kNoMatch};
}

// The largest sum of the qualities of the fully met rules, summed in rule
// order.
Classification BlockMatcher::classify_by_full_matches() {
  std::fill(scores_.begin(), scores_.end(), 0.0f);
  std::fill(flags_.begin(), flags_.end(), 0);
  for (const std::size_t r : full_) {
    if (r >= index_.class_rule_count()) break;
    const auto i = static_cast<std::size_t>(index_.concept_of(r));
    scores_[i] += index_.quality(r);
    flags_[i] = 1;
  }
  return Classification{choose_concept(scores_, flags_), Decision::kFullMatch};
}

std::size_t block_count(std::size_t cases, std::size_t threads) {
  if (threads > 0) return threads;
  return worker_count(cases / kLeastCasesPerBlock);
}

// Rule r's list of one kind: the blocks' lists linked block after block,
// never copied.
CoveredCases join_blocks(std::vector<BlockCoverage>& blocks,
                         std::vector<CoveredCases> BlockCoverage::*kind,
                         std::size_t r) {
  CoveredCases joined;
  for (BlockCoverage& block : blocks)
    joined.append(std::move((block.*kind)[r]));
  return joined;
}

// Sizes the per-case arrays of details for n cases and gives every block
// its parts of them.
std::vector<BlockDetails> start_details(MatchDetails* details, std::size_t n,
                                        std::size_t blocks) {
  details->scores.assign(n, CaseScore{});
  details->full_match_counts.assign(n, 0);
  details->full_matches.clear();
  std::vector<BlockDetails> parts(blocks);
  for (std::size_t b = 0; b < blocks; ++b) {
    const std::size_t begin = n * b / blocks;
    parts[b].scores = details->scores.data() + begin;
    parts[b].full_match_counts = details->full_match_counts.data() + begin;
  }
  return parts;
}

// Joins the blocks' full matches, block after block.
void join_details(std::vector<BlockDetails>& parts, MatchDetails* details) {
  std::size_t total = 0;
  for (const BlockDetails& part : parts) total += part.full_matches.size();
  details->full_matches.reserve(total);
  for (BlockDetails& part : parts) {
    details->full_matches.insert(details->full_matches.end(),
                                 part.full_matches.begin(),
                                 part.full_matches.end());
    std::vector<std::uint32_t>().swap(part.full_matches);
  }
}

// Stores the blocks' lists in the rules, numbered in concept order.
void store_coverage(std::vector<BlockCoverage>& blocks, RuleStore* rules) {
  std::size_t r = 0;
  for (std::vector<Rule>& concept_rules : rules->concepts) {
    for (Rule& rule : concept_rules) {
      rule.covered_positive = join_blocks(blocks, &BlockCoverage::positive, r);
      rule.covered_negative = join_blocks(blocks, &BlockCoverage::negative, r);
      ++r;
    }
  }
}

}  // namespace

Status match_indexed(const AttributeTable& table, const CaseBuffer& cases,
                     RuleStore* rules, Classifications* given,
                     std::size_t threads, MatchDetails* details,
                     LaneKernel kernel) {
  const RuleIndex index(table, *rules);
  const std::size_t n = cases.num_cases();
  given->assign(n, number_of_classes(table.attributes.back()));
  const std::size_t blocks = block_count(n, threads);
  std::vector<BlockCoverage> coverage(blocks);
  std::vector<BlockDetails> parts;
  if (details != nullptr) parts = start_details(details, n, blocks);
  run_in_parallel(blocks, [&](std::size_t b) {
    const std::size_t begin = n * b / blocks;
    const std::size_t end = n * (b + 1) / blocks;
    BlockMatcher matcher(index, cases, rules->majority_class, kernel);
    matcher.match(begin, end, &coverage[b], given,
                  parts.empty() ? nullptr : &parts[b]);
  });
  if (details != nullptr) join_details(parts, details);
  store_coverage(coverage, rules);
  return Status::Ok();
}

}  // namespace ruleval
