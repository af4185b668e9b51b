#include "evaluate/indexed_matcher.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>

#include "common/messages.h"
#include "common/parallel.h"
#include "evaluate/rule_index.h"

namespace ruleval {
namespace {

// Fewer cases than this per block are not worth a thread.
constexpr std::size_t kLeastCasesPerBlock = 4096;

// The high bit of every byte of x that is zero, and no other bit.
std::uint64_t zero_bytes(std::uint64_t x) {
  constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7FULL;
  return ~(((x & kLows) + kLows) | x | kLows);
}

// A step of words as one vector, which the compiler maps onto whatever
// vector unit the code is built for.
using Step = std::uint64_t
    __attribute__((vector_size(kWordsPerStep * sizeof(std::uint64_t))));

// Adds `count` rows of `words` words into sums, a step of words at a time
// (wide vector units take a step in one or two instructions), and marks in
// equal the high bit of every byte of a sum that equals that of full.
#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones)
__attribute__((target_clones("avx512f", "avx2", "default")))
#endif
#endif
void add_rows(const std::uint64_t* const* rows, std::size_t count,
              std::size_t words, const std::uint64_t* full,
              std::uint64_t* sums, std::uint64_t* equal) {
  constexpr std::uint64_t kLows = 0x7F7F7F7F7F7F7F7FULL;
  for (std::size_t w = 0; w < words; w += kWordsPerStep) {
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
    std::memcpy(equal + w, &zero, sizeof zero);
  }
}

// The coverage lists one block found, per rule.
struct BlockCoverage {
  std::vector<CaseList> positive;
  std::vector<CaseList> negative;
};

// The details of one block's cases, when asked for: its parts of the
// per-case arrays, and its full matches case after case.
struct BlockDetails {
  CaseScore* scores = nullptr;
  std::uint32_t* full_match_counts = nullptr;
  std::vector<std::uint32_t> full_matches;
};

// Matches the cases of one block; owns what a case's matching needs.
class BlockMatcher {
 public:
  BlockMatcher(const RuleIndex& index, const CaseBuffer& cases,
               int majority_class)
      : index_(index),
        cases_(cases),
        majority_class_(majority_class),
        counts_(index.word_count()),
        equal_(index.word_count()),
        no_conditions_(index.word_count()),
        terms_(index.terms()),
        scores_(index.class_count()),
        flags_(index.class_count()) {}

  // Matches cases begin to end - 1; given and the arrays of details (when
  // given) start at case begin.
  void match(std::size_t begin, std::size_t end, BlockCoverage* coverage,
             Classification* given, BlockDetails* details);

 private:
  template <bool kDetailed>
  void match_cases(std::size_t begin, std::size_t end, BlockCoverage* coverage,
                   Classification* given, BlockDetails* details);
  void record_details(const Classification& given, std::size_t k,
                      BlockDetails* details) const;
  const unsigned char* count_bytes() const {
    return reinterpret_cast<const unsigned char*>(counts_.data());
  }
  void count_met_conditions(std::size_t c);
  void match_one_by_one(std::size_t c);
  void find_full_matches();
  void record_coverage(std::size_t c, BlockCoverage* coverage) const;
  Classification classify();
  Classification classify_by_full_matches();
  Classification classify_by_partial_scores();
  template <std::size_t N>
  void sum_partial_scores(std::size_t first);

  const RuleIndex& index_;
  const CaseBuffer& cases_;
  const int majority_class_;
  // Per rule byte: conditions met by the current case; and the high bit of
  // every byte of a rule it fully matches.
  CacheAlignedVector<std::uint64_t> counts_;
  CacheAlignedVector<std::uint64_t> equal_;
  // The current case's row of every tabulated attribute.
  std::vector<const std::uint64_t*> rows_;
  // The row of a case when no attribute is tabulated: no condition met.
  CacheAlignedVector<std::uint64_t> no_conditions_;
  std::vector<float> terms_;
  // The current case's full matches, ascending, and which rules matched one
  // by one cover it.
  std::vector<std::size_t> full_;
  std::vector<std::size_t> covered_one_by_one_;
  std::vector<float> scores_;
  std::vector<char> flags_;
};

void BlockMatcher::match(std::size_t begin, std::size_t end,
                         BlockCoverage* coverage, Classification* given,
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
                               BlockCoverage* coverage, Classification* given,
                               BlockDetails* details) {
  for (std::size_t c = begin; c < end; ++c) {
    count_met_conditions(c);
    match_one_by_one(c);
    find_full_matches();
    record_coverage(c, coverage);
    given[c - begin] = classify();
    if constexpr (kDetailed)
      record_details(given[c - begin], c - begin, details);
  }
}

// The scores classify() left and the full matches of the classes' rules.
void BlockMatcher::record_details(const Classification& given, std::size_t k,
                                  BlockDetails* details) const {
  std::uint32_t count = 0;
  for (const std::size_t r : full_) {
    if (r >= index_.class_rule_count()) break;
    details->full_matches.push_back(static_cast<std::uint32_t>(r));
    ++count;
  }
  details->full_match_counts[k] = count;
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

// Adds up one row per tabulated attribute, a few words at a time. No byte
// can carry into the next: a rule meets at most 255 conditions.
void BlockMatcher::count_met_conditions(std::size_t c) {
  const std::size_t words = counts_.size();
  const std::vector<TabulatedAttribute>& attributes = index_.attributes();
  rows_.clear();
  for (const TabulatedAttribute& attribute : attributes)
    rows_.push_back(attribute.row(cases_.code(c, attribute.position), words));
  if (rows_.empty()) rows_.push_back(no_conditions_.data());
  add_rows(rows_.data(), rows_.size(), words, index_.full_count().data(),
           counts_.data(), equal_.data());
}

void BlockMatcher::match_one_by_one(std::size_t c) {
  covered_one_by_one_.clear();
  auto* bytes = reinterpret_cast<unsigned char*>(counts_.data());
  for (const std::size_t r : index_.one_by_one()) {
    const Rule& rule = index_.rule(r);
    const int met = met_conditions(rule, cases_, c);
    const bool full = met == rule.conditions_to_meet;
    bytes[r] = full ? 1 : 0;
    const std::size_t w = r / kRulesPerWord;
    equal_[w] = zero_bytes(counts_[w] ^ index_.full_count()[w]);
    if (!full) terms_[index_.term_at(r)] = partial_score(met, rule);
    if (covers_case(rule, cases_, c)) covered_one_by_one_.push_back(r);
  }
}

void BlockMatcher::find_full_matches() {
  full_.clear();
  const CacheAlignedVector<std::uint64_t>& full_count = index_.full_count();
  const unsigned char* bytes = count_bytes();
  const auto* full_bytes =
      reinterpret_cast<const unsigned char*>(full_count.data());
  for (std::size_t w = 0; w < counts_.size(); ++w) {
    if (w % kWordsPerStep == 0) {
      // Most steps hold no full match at all.
      std::uint64_t any = 0;
      for (std::size_t k = 0; k < kWordsPerStep; ++k) any |= equal_[w + k];
      if (any == 0) {
        w += kWordsPerStep - 1;
        continue;
      }
    }
    std::uint64_t equal = equal_[w];
    if (equal == 0) continue;
    if constexpr (std::endian::native == std::endian::little) {
      // Byte k of the word is bits 8k to 8k + 7: rule 8w + k.
      for (; equal != 0; equal &= equal - 1) {
        full_.push_back(w * kRulesPerWord +
                        static_cast<std::size_t>(std::countr_zero(equal)) / 8);
      }
    } else {
      for (std::size_t r = w * kRulesPerWord; r < (w + 1) * kRulesPerWord;
           ++r) {
        if (bytes[r] == full_bytes[r]) full_.push_back(r);
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
    std::vector<CaseList>& lists = index_.concept_of(r) == class_code
                                       ? coverage->positive
                                       : coverage->negative;
    lists[r].push_back(static_cast<std::int32_t>(c));
  };
  for (const std::size_t r : full_) {
    if (!index_.matched_one_by_one(r)) add(r);
  }
  for (const std::size_t r : covered_one_by_one_) add(r);
}

Classification BlockMatcher::classify() {
  if (!full_.empty() && full_.front() < index_.class_rule_count())
    return classify_by_full_matches();
  if (index_.class_rule_count() > 0) return classify_by_partial_scores();
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

// No rule of a class is fully met: every one adds its partial score, in
// rule order, to its concept's.
Classification BlockMatcher::classify_by_partial_scores() {
  const std::size_t classes = index_.class_count();
  std::size_t i = 0;
  for (; i + 4 <= classes; i += 4) sum_partial_scores<4>(i);
  for (; i + 2 <= classes; i += 2) sum_partial_scores<2>(i);
  if (i < classes) sum_partial_scores<1>(i);
  return Classification{choose_concept(scores_, index_.class_has_rules()),
                        Decision::kPartialMatch};
}

// The partial scores of concepts first to first + N - 1, their sums taken
// side by side so that their additions overlap; each still adds its rules'
// scores one after another in rule order.
template <std::size_t N>
void BlockMatcher::sum_partial_scores(std::size_t first) {
  const unsigned char* bytes = count_bytes();
  const auto score = [&](std::size_t r) {
    return terms_[index_.term_at(r) + bytes[r]];
  };
  std::size_t begin[N];
  std::size_t length[N];
  std::size_t common = std::numeric_limits<std::size_t>::max();
  for (std::size_t k = 0; k < N; ++k) {
    begin[k] = index_.concept_begin(first + k);
    length[k] = index_.concept_begin(first + k + 1) - begin[k];
    common = std::min(common, length[k]);
  }
  float sums[N] = {};
  for (std::size_t t = 0; t < common; ++t) {
    for (std::size_t k = 0; k < N; ++k) sums[k] += score(begin[k] + t);
  }
  for (std::size_t k = 0; k < N; ++k) {
    for (std::size_t t = common; t < length[k]; ++t)
      sums[k] += score(begin[k] + t);
    scores_[first + k] = sums[k];
  }
}

std::size_t block_count(std::size_t cases, std::size_t threads) {
  if (threads > 0) return threads;
  return worker_count(cases / kLeastCasesPerBlock);
}

// Rule r's list of one kind, block after block; the blocks' own lists are
// freed as they are joined.
CaseList join_blocks(std::vector<BlockCoverage>& blocks,
                     std::vector<CaseList> BlockCoverage::*kind,
                     std::size_t r) {
  CaseList joined = std::move((blocks[0].*kind)[r]);
  for (std::size_t b = 1; b < blocks.size(); ++b) {
    CaseList& part = (blocks[b].*kind)[r];
    joined.insert(joined.end(), part.begin(), part.end());
    CaseList().swap(part);
  }
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
Status store_coverage(std::vector<BlockCoverage>& blocks, RuleStore* rules) {
  std::size_t r = 0;
  for (std::vector<Rule>& concept_rules : rules->concepts) {
    for (Rule& rule : concept_rules) {
      try {
        rule.covered_positive =
            join_blocks(blocks, &BlockCoverage::positive, r);
      } catch (const std::bad_alloc&) {
        return Status::Fatal(render<Message::kNoMemoryForPositiveCoverage>());
      }
      try {
        rule.covered_negative =
            join_blocks(blocks, &BlockCoverage::negative, r);
      } catch (const std::bad_alloc&) {
        return Status::Fatal(render<Message::kNoMemoryForNegativeCoverage>());
      }
      ++r;
    }
  }
  return Status::Ok();
}

}  // namespace

Status match_indexed(const AttributeTable& table, const CaseBuffer& cases,
                     RuleStore* rules, std::vector<Classification>* given,
                     std::size_t threads, MatchDetails* details) {
  const RuleIndex index(table, *rules);
  const std::size_t n = cases.num_cases();
  given->assign(n, Classification{});
  const std::size_t blocks = block_count(n, threads);
  std::vector<BlockCoverage> coverage(blocks);
  std::vector<BlockDetails> parts;
  if (details != nullptr) parts = start_details(details, n, blocks);
  run_in_parallel(blocks, [&](std::size_t b) {
    const std::size_t begin = n * b / blocks;
    const std::size_t end = n * (b + 1) / blocks;
    BlockMatcher matcher(index, cases, rules->majority_class);
    matcher.match(begin, end, &coverage[b], given->data() + begin,
                  parts.empty() ? nullptr : &parts[b]);
  });
  if (details != nullptr) join_details(parts, details);
  return store_coverage(coverage, rules);
}

}  // namespace ruleval
