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

// A step of words as one vector, which the compiler maps onto whatever
// vector unit the code is built for.
using Step = std::uint64_t
    __attribute__((vector_size(kWordsPerStep * sizeof(std::uint64_t))));

// Adds `count` rows into sums over words begin to end - 1, a step of words
// at a time (wide vector units take a step in one or two instructions), and
// marks in equal (whose word 0 stands for word begin) the high bit of every
// byte of a sum that equals that of full.
#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones)
__attribute__((target_clones("avx512f", "avx2", "default")))
#endif
#endif
void add_rows(const std::uint64_t* const* rows, std::size_t count,
              std::size_t begin, std::size_t end, const std::uint64_t* full,
              std::uint64_t* sums, std::uint64_t* equal) {
  constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7FULL;
  for (std::size_t w = begin; w < end; w += kWordsPerStep) {
    Step sum;
    std::memcpy(&sum, rows[0] + w, sizeof sum);
    for (std::size_t a = 1; a < count; ++a) {
      Step row;
      std::memcpy(&row, rows[a] + w, sizeof row);
      sum += row;
    }
    std::memcpy(sums + w, &sum, sizeof sum);
    Step x;
    std::memcpy(&x, full + w, sizeof x);
    x ^= sum;
    // zero_bytes on a vector, written out: a vector cannot be passed to a
    // function built for any vector unit.
    const Step zero = ~(((x & kLows) + kLows) | x | kLows);
    std::memcpy(equal + (w - begin), &zero, sizeof zero);
  }
}

// The cases are counted in batches of kBatch, this many words at a time, so
// that the parts of the rows the batch reads stay in the cache while every
// case of the batch adds them, and the full matches of a tile are found
// while its sums are still there.
constexpr std::size_t kBatch = 64;
constexpr std::size_t kTileWords = 1024;
static_assert(kTileWords % kWordsPerStep == 0);

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

// Matches the cases of one block, kLanes cases at a time; owns what their
// matching needs.
class BlockMatcher {
 public:
  BlockMatcher(const RuleIndex& index, const CaseBuffer& cases,
               int majority_class, LaneKernel kernel)
      : index_(index),
        cases_(cases),
        majority_class_(majority_class),
        kernel_(kernel),
        words_(index.word_count()),
        counts_(kBatch * words_),
        equal_(std::min(kTileWords, words_)),
        full_lists_(kBatch),
        no_conditions_(words_),
        class_words_((index.class_rule_count() + kRulesPerWord - 1) /
                     kRulesPerWord),
        pending_counts_(kLanes * words_),
        one_by_one_terms_(index.one_by_one().size()),
        pending_terms_(index.one_by_one().size() * kLanes),
        lane_scores_(index.class_count() * kLanes),
        scores_(index.class_count()),
        flags_(index.class_count()) {
    for (std::size_t k = 0; k < kLanes; ++k)
      pending_lanes_[k] = pending_counts_.data() + k * words_;
  }

  // Matches cases begin to end - 1; the arrays of details (when given)
  // start at case begin.
  void match(std::size_t begin, std::size_t end, BlockCoverage* coverage,
             Classifications* given, BlockDetails* details);

 private:
  template <bool kDetailed>
  void match_cases(std::size_t begin, std::size_t end, BlockCoverage* coverage,
                   Classifications* given, BlockDetails* details);
  void hold_pending(std::size_t lane, std::size_t c);
  void keep_pending_counts();
  template <bool kDetailed>
  void score_pending(std::size_t begin, Classifications* given,
                     BlockDetails* details);
  void record_full_matches(std::size_t k, BlockDetails* details) const;
  void record_score(const Classification& given, std::size_t k,
                    BlockDetails* details) const;
  std::uint64_t* counts(std::size_t lane) {
    return counts_.data() + lane * words_;
  }
  void count_met_conditions(std::size_t first, std::size_t n);
  void match_one_by_one(std::size_t c);
  void find_full_matches(std::size_t lane, std::size_t tile,
                         std::size_t tile_end);
  void record_coverage(std::size_t c, BlockCoverage* coverage) const;
  bool needs_partial_scores() const;
  Classification classify();
  Classification classify_by_full_matches();

  const RuleIndex& index_;
  const CaseBuffer& cases_;
  const int majority_class_;
  const LaneKernel kernel_;
  const std::size_t words_;
  // Per case of the batch, per rule byte: conditions met by the case; and,
  // for the tile at hand, the high bit of every byte of a rule it fully
  // matches.
  CacheAlignedVector<std::uint64_t> counts_;
  CacheAlignedVector<std::uint64_t> equal_;
  // Per case of the batch, its full matches of the rules the rows serve,
  // ascending.
  std::vector<std::vector<std::size_t>> full_lists_;
  // Per lane, the row of every tabulated attribute.
  std::vector<const std::uint64_t*> rows_;
  // The row of a case when no attribute is tabulated: no condition met.
  CacheAlignedVector<std::uint64_t> no_conditions_;
  // The words that hold the class rules' bytes.
  const std::size_t class_words_;
  // The counts of the cases that wait for their partial scores, one lane
  // each, and their numbers. A lane points into counts_ until the batch
  // ends, and then to its copy in pending_counts_; lanes beyond the
  // waiting cases point to earlier cases' counts, scored to no use.
  CacheAlignedVector<std::uint64_t> pending_counts_;
  const std::uint64_t* pending_lanes_[kLanes] = {};
  std::size_t pending_case_[kLanes] = {};
  std::size_t pending_ = 0;
  // The current case's partial score of each rule matched one by one, and
  // those of the waiting cases, as LaneBatch lays them out.
  std::vector<float> one_by_one_terms_;
  CacheAlignedVector<float> pending_terms_;
  CacheAlignedVector<float> lane_scores_;
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
// pays nothing for them. The cases that no class rule fully matches wait
// until kLanes of them are found, to be scored side by side.
template <bool kDetailed>
void BlockMatcher::match_cases(std::size_t begin, std::size_t end,
                               BlockCoverage* coverage, Classifications* given,
                               BlockDetails* details) {
  for (std::size_t first = begin; first < end; first += kBatch) {
    const std::size_t n = std::min(kBatch, end - first);
    count_met_conditions(first, n);
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t c = first + k;
      full_.swap(full_lists_[k]);
      full_lists_[k].clear();
      match_one_by_one(c);
      record_coverage(c, coverage);
      if constexpr (kDetailed) record_full_matches(c - begin, details);
      if (needs_partial_scores()) {
        hold_pending(k, c);
        if (pending_ == kLanes) score_pending<kDetailed>(begin, given, details);
        continue;
      }
      const Classification decided = classify();
      given->set(c, decided);
      if constexpr (kDetailed) record_score(decided, c - begin, details);
    }
    keep_pending_counts();
  }
  if (pending_ > 0) score_pending<kDetailed>(begin, given, details);
}

// Keeps what the partial scores of the case in the lane need: where its
// counts are, and its scores of the rules matched one by one. It is case c.
void BlockMatcher::hold_pending(std::size_t lane, std::size_t c) {
  pending_lanes_[pending_] = counts(lane);
  for (std::size_t j = 0; j < one_by_one_terms_.size(); ++j)
    pending_terms_[j * kLanes + pending_] = one_by_one_terms_[j];
  pending_case_[pending_++] = c;
}

// Copies the counts of the waiting cases out of the batch, whose counts are
// about to be overwritten.
void BlockMatcher::keep_pending_counts() {
  for (std::size_t k = 0; k < pending_; ++k) {
    std::uint64_t* kept = pending_counts_.data() + k * words_;
    if (pending_lanes_[k] != kept)
      std::copy_n(pending_lanes_[k], class_words_, kept);
    pending_lanes_[k] = kept;
  }
}

// Scores the waiting cases side by side and classifies them by their sums.
// Lanes beyond them hold earlier cases' counts, scored to no use.
template <bool kDetailed>
void BlockMatcher::score_pending(std::size_t begin, Classifications* given,
                                 BlockDetails* details) {
  LaneBatch batch;
  batch.lanes = pending_lanes_;
  batch.one_by_one_terms = pending_terms_.data();
  batch.scores = lane_scores_.data();
  score_lanes(kernel_, index_, batch);
  for (std::size_t k = 0; k < pending_; ++k) {
    for (std::size_t i = 0; i < scores_.size(); ++i)
      scores_[i] = lane_scores_[i * kLanes + k];
    const std::size_t c = pending_case_[k];
    const Classification decided{
        choose_concept(scores_, index_.class_has_rules()),
        Decision::kPartialMatch};
    given->set(c, decided);
    if constexpr (kDetailed) record_score(decided, c - begin, details);
  }
  pending_ = 0;
}

// The full matches of the classes' rules of the current case, its k-th.
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

// Adds up one row per tabulated attribute for each of the n cases from
// first, tile by tile, and finds their full matches. No byte can carry into
// the next: a rule meets at most 255 conditions.
void BlockMatcher::count_met_conditions(std::size_t first, std::size_t n) {
  const std::vector<TabulatedAttribute>& attributes = index_.attributes();
  const std::size_t per_case = std::max<std::size_t>(1, attributes.size());
  rows_.clear();
  for (std::size_t k = 0; k < n; ++k) {
    for (const TabulatedAttribute& attribute : attributes) {
      rows_.push_back(
          attribute.row(cases_.code(first + k, attribute.position), words_));
    }
    if (attributes.empty()) rows_.push_back(no_conditions_.data());
  }
  const std::uint64_t* full = index_.full_count().data();
  for (std::size_t tile = 0; tile < words_; tile += kTileWords) {
    const std::size_t tile_end = std::min(words_, tile + kTileWords);
    for (std::size_t k = 0; k < n; ++k) {
      add_rows(rows_.data() + k * per_case, per_case, tile, tile_end, full,
               counts(k), equal_.data());
      find_full_matches(k, tile, tile_end);
    }
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

// The full matches of the k-th case of the batch in words tile to
// tile_end - 1, from the marks add_rows left.
void BlockMatcher::find_full_matches(std::size_t lane, std::size_t tile,
                                     std::size_t tile_end) {
  std::vector<std::size_t>& full = full_lists_[lane];
  const CacheAlignedVector<std::uint64_t>& full_count = index_.full_count();
  const std::uint64_t* marks = equal_.data();
  const auto* bytes = reinterpret_cast<const unsigned char*>(counts(lane));
  const auto* full_bytes =
      reinterpret_cast<const unsigned char*>(full_count.data());
  for (std::size_t w = tile; w < tile_end; ++w) {
    if ((w - tile) % kWordsPerStep == 0) {
      // Most steps hold no full match at all.
      std::uint64_t any = 0;
      for (std::size_t k = 0; k < kWordsPerStep; ++k)
        any |= marks[w - tile + k];
      if (any == 0) {
        w += kWordsPerStep - 1;
        continue;
      }
    }
    std::uint64_t equal = marks[w - tile];
    if (equal == 0) continue;
    if constexpr (std::endian::native == std::endian::little) {
      // Byte k of the word is bits 8k to 8k + 7: rule 8w + k.
      for (; equal != 0; equal &= equal - 1) {
        full.push_back(w * kRulesPerWord +
                       static_cast<std::size_t>(std::countr_zero(equal)) / 8);
      }
    } else {
      for (std::size_t r = w * kRulesPerWord; r < (w + 1) * kRulesPerWord;
           ++r) {
        if (bytes[r] == full_bytes[r]) full.push_back(r);
      }
    }
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
    scores_[i] += index_.rule(r).quality;
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
