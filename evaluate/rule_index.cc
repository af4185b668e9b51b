#include "evaluate/rule_index.h"

#include <algorithm>
#include <limits>

#include "common/parallel.h"

namespace ruleval {
namespace {

// Attributes with more codes than this, or beyond the table budget, are
// left to the rules matched one by one.
constexpr std::uint32_t kMostTabulatedCodes = 4096;
constexpr std::size_t kTableBudgetBytes = std::size_t{16} << 20;
// A rule byte counts met conditions: no more than this many per rule.
constexpr int kMostTabulatedConditions =
    std::numeric_limits<std::uint8_t>::max();

unsigned char* bytes_of(CacheAlignedVector<std::uint64_t>& words) {
  return reinterpret_cast<unsigned char*>(words.data());
}

// The steps of words that hold n rules at per_word rules a word.
std::size_t steps_of(std::size_t n, std::size_t per_word) {
  const std::size_t words = (n + per_word - 1) / per_word;
  return (words + kWordsPerStep - 1) / kWordsPerStep;
}

}  // namespace

RuleIndex::RuleIndex(const AttributeTable& table, const RuleStore& rules) {
  number_rules(rules, number_of_classes(table.attributes.back()));
  choose_tabulated(table);
  one_by_one_flag_.assign(rules_.size(), 0);
  one_by_one_slot_.assign(rules_.size(), 0);
  std::vector<std::size_t> tabulated;
  for (std::size_t r = 0; r < rules_.size(); ++r) {
    term_at_.push_back(terms_.size());
    if (tabulable(*rules_[r])) {
      tabulated.push_back(r);
      tabulated_bits_[r / kRulesPerBitWord] |= std::uint64_t{1}
                                               << (r % kRulesPerBitWord);
      const int n = rules_[r]->conditions_to_meet;
      for (int k = 0; k < n; ++k)
        terms_.push_back(partial_score(k, *rules_[r]));
      terms_.push_back(0);  // a full match: no partial score
    } else {
      one_by_one_slot_[r] = one_by_one_.size();
      one_by_one_.push_back(r);
      one_by_one_flag_[r] = 1;
      terms_.insert(terms_.end(), 2, 0.0f);
    }
  }
  // Every tabulated rule meets all its conditions on an attribute until a
  // condition says otherwise.
  for (TabulatedAttribute& attribute : attributes_) {
    for (std::uint32_t v = 0; v <= attribute.codes; ++v) {
      std::copy(tabulated_bits_.begin(), tabulated_bits_.end(),
                attribute.bit_rows.data() + v * bit_word_count());
    }
  }
  tabulate_all(tabulated);
  lay_out_lane_rows();
}

// Tabulates the rules given, ascending, in two parts side by side when
// there are many: the parts split at a multiple of kRulesSplitAt, so that
// they write to different cache lines of every row.
void RuleIndex::tabulate_all(const std::vector<std::size_t>& tabulated) {
  constexpr std::size_t kRulesSplitAt = 512;
  constexpr std::size_t kLeastRulesToSplit = 8192;
  const std::size_t parts =
      tabulated.size() < kLeastRulesToSplit ? 1 : worker_count(2);
  const std::size_t split =
      tabulated.empty()
          ? 0
          : tabulated[tabulated.size() / 2] / kRulesSplitAt * kRulesSplitAt;
  const auto middle =
      std::lower_bound(tabulated.begin(), tabulated.end(), split);
  run_in_parallel(parts, [&](std::size_t p) {
    const auto begin = parts == 1 || p == 0 ? tabulated.begin() : middle;
    const auto end = parts == 1 || p == 1 ? tabulated.end() : middle;
    for (auto it = begin; it != end; ++it) tabulate(*it);
  });
}

void RuleIndex::lay_out_lane_rows() {
  const std::size_t rules = class_rule_count();
  lane_rows_.assign(rules * kLaneRowWidth, 0.0f);
  lane_exception_.assign(rules, 0);
  for (std::size_t r = 0; r < rules; ++r) {
    const auto n = static_cast<std::size_t>(rules_[r]->conditions_to_meet);
    if (one_by_one_flag_[r] || n >= kLaneRowWidth) {
      lane_exceptions_.push_back(r);
      lane_exception_[r] = 1;
      continue;
    }
    std::copy_n(
        terms_.begin() + static_cast<std::ptrdiff_t>(term_at_[r]), n + 1,
        lane_rows_.begin() + static_cast<std::ptrdiff_t>(r * kLaneRowWidth));
  }
}

void RuleIndex::number_rules(const RuleStore& rules, int classes) {
  for (std::size_t i = 0; i < rules.concepts.size(); ++i) {
    concept_begin_.push_back(rules_.size());
    for (const Rule& rule : rules.concepts[i]) {
      rules_.push_back(&rule);
      concept_of_.push_back(static_cast<int>(i));
      quality_.push_back(rule.quality);
    }
  }
  concept_begin_.push_back(rules_.size());
  for (int i = 0; i < classes; ++i)
    class_has_rules_.push_back(
        rules.concepts[static_cast<std::size_t>(i)].empty() ? 0 : 1);
  word_count_ = steps_of(class_rule_count(), kRulesPerWord) * kWordsPerStep;
  tabulated_bits_.assign(
      steps_of(rules_.size(), kRulesPerBitWord) * kWordsPerStep, 0);
}

void RuleIndex::choose_tabulated(const AttributeTable& table) {
  const std::size_t conditions = table.attributes.size() - 1;
  std::vector<char> named(conditions, 0);
  for (const Rule* rule : rules_) {
    for (const Condition& condition : rule->classified_conditions)
      named[condition.attribute] = 1;
  }
  std::vector<std::size_t> order;
  for (std::size_t a = 0; a < conditions; ++a) {
    if (named[a] && code_count(table.attributes[a]) <= kMostTabulatedCodes)
      order.push_back(a);
  }
  // The attributes with fewest codes first, while the budget lasts.
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) {
                     return code_count(table.attributes[a]) <
                            code_count(table.attributes[b]);
                   });
  tabulated_at_.assign(conditions, -1);
  std::size_t spent = 0;
  for (const std::size_t a : order) {
    TabulatedAttribute tabulated;
    tabulated.position = a;
    tabulated.codes = code_count(table.attributes[a]);
    const std::size_t rows = tabulated.codes + std::size_t{1};
    const std::size_t bytes =
        rows * (word_count() + bit_word_count()) * sizeof(std::uint64_t);
    if (spent + bytes > kTableBudgetBytes) break;
    spent += bytes;
    tabulated.rows.assign(rows * word_count(), 0);
    tabulated.bit_rows.assign(rows * bit_word_count(), 0);
    tabulated_at_[a] = static_cast<int>(attributes_.size());
    attributes_.push_back(std::move(tabulated));
  }
}

// A rule the tables serve exactly: one that both readings read alike, every
// condition on one tabulated attribute, and as many conditions as it asks
// for, few enough to count in a byte. Such a rule covers a case exactly when
// the case fully matches it.
bool RuleIndex::tabulable(const Rule& rule) const {
  if (!rule.same_in_both_readings()) return false;
  const std::vector<Condition>& conditions = rule.classified_conditions;
  if (rule.conditions_to_meet > kMostTabulatedConditions ||
      static_cast<int>(conditions.size()) != rule.conditions_to_meet)
    return false;
  return std::all_of(conditions.begin(), conditions.end(),
                     [&](const Condition& condition) {
                       return tabulated_at_[condition.attribute] >= 0;
                     });
}

// Clears rule r's bit in the row of every code that fails one of its
// conditions, and adds one to the byte of a class rule in the row of every
// code that meets each of its conditions. The last row stands for a missing
// value, the only code beyond the attribute's own that a case carries; it
// is filled as the missing code.
void RuleIndex::tabulate(std::size_t r) {
  const std::size_t words = word_count();
  const std::size_t bit_words = bit_word_count();
  const bool counted = r < class_rule_count();
  const std::size_t bit_word = r / kRulesPerBitWord;
  const std::uint64_t bit = std::uint64_t{1} << (r % kRulesPerBitWord);
  for (const Condition& condition : rules_[r]->classified_conditions) {
    TabulatedAttribute& tabulated = attributes_[static_cast<std::size_t>(
        tabulated_at_[condition.attribute])];
    unsigned char* bytes = bytes_of(tabulated.rows);
    for (std::uint32_t v = 0; v <= tabulated.codes; ++v) {
      const std::uint32_t code = v < tabulated.codes ? v : kMissingCode;
      if (!condition.codes.contains(code)) {
        tabulated.bit_rows[v * bit_words + bit_word] &= ~bit;
      } else if (counted) {
        ++bytes[v * words * kRulesPerWord + r];
      }
    }
  }
}

}  // namespace ruleval
