#include "evaluate/rule_index.h"

#include <algorithm>
#include <limits>

namespace ruleval {
namespace {

// Attributes with more codes than this, or beyond the table budget, are
// left to the rules matched one by one.
constexpr std::uint32_t kMostTabulatedCodes = 4096;
constexpr std::size_t kTableBudgetBytes = std::size_t{16} << 20;
// A rule byte counts met conditions: no more than this many per rule.
constexpr int kMostTabulatedConditions =
    std::numeric_limits<std::uint8_t>::max();

constexpr std::size_t kRulesPerWord = sizeof(std::uint64_t);

unsigned char* bytes_of(std::vector<std::uint64_t>& words) {
  return reinterpret_cast<unsigned char*>(words.data());
}

}  // namespace

float partial_score(int k, const Rule& rule) {
  const double product = static_cast<double>(k) / rule.and_pair_num *
                         static_cast<double>(rule.rule_quality);
  return static_cast<float>(product);
}

RuleIndex::RuleIndex(const AttributeTable& table, const RuleStore& rules) {
  number_rules(rules, number_of_classes(table.attributes.back()));
  choose_tabulated(table);
  one_by_one_flag_.assign(rules_.size(), 0);
  for (std::size_t r = 0; r < rules_.size(); ++r) {
    term_at_.push_back(terms_.size());
    if (tabulable(table, *rules_[r])) {
      tabulate(table, r);
      const int n = rules_[r]->and_pair_num;
      set_full_count(r, static_cast<unsigned>(n));
      for (int k = 0; k < n; ++k)
        terms_.push_back(partial_score(k, *rules_[r]));
      terms_.push_back(0);  // a full match: no partial score
    } else {
      one_by_one_.push_back(r);
      one_by_one_flag_[r] = 1;
      set_full_count(r, 1);
      terms_.insert(terms_.end(), 2, 0.0f);
    }
  }
}

void RuleIndex::number_rules(const RuleStore& rules, int classes) {
  for (std::size_t i = 0; i < rules.concepts.size(); ++i) {
    concept_begin_.push_back(rules_.size());
    for (const Rule& rule : rules.concepts[i]) {
      rules_.push_back(&rule);
      concept_of_.push_back(static_cast<int>(i));
    }
  }
  concept_begin_.push_back(rules_.size());
  for (int i = 0; i < classes; ++i)
    class_has_rules_.push_back(
        rules.concepts[static_cast<std::size_t>(i)].empty() ? 0 : 1);
  std::size_t words = (rules_.size() + kRulesPerWord - 1) / kRulesPerWord;
  words = (words + kWordsPerStep - 1) / kWordsPerStep * kWordsPerStep;
  full_count_.assign(words, 0);
  // Counts of padding stay 0: a full count of 1 never matches.
  unsigned char* bytes = bytes_of(full_count_);
  for (std::size_t r = rules_.size(); r < words * kRulesPerWord; ++r)
    bytes[r] = 1;
}

void RuleIndex::choose_tabulated(const AttributeTable& table) {
  const std::size_t conditions = table.attributes.size() - 1;
  std::vector<char> named(conditions, 0);
  for (const Rule* rule : rules_) {
    for (const ConditionPair& pair : rule->pairs)
      named[static_cast<std::size_t>(pair.attrino)] = 1;
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
    const std::size_t bytes = (tabulated.codes + std::size_t{1}) *
                              word_count() * sizeof(std::uint64_t);
    if (spent + bytes > kTableBudgetBytes) break;
    spent += bytes;
    tabulated.rows.assign(bytes / sizeof(std::uint64_t), 0);
    tabulated_at_[a] = static_cast<int>(attributes_.size());
    attributes_.push_back(std::move(tabulated));
  }
}

// A rule the tables serve exactly: every condition on a tabulated attribute,
// every OR group a symbolic group with direction 0 whose members all stand
// on its attribute (so coverage and classification read it alike), and as
// many conditions as its and_pair_num, few enough to count in a byte. Such a
// rule covers a case exactly when the case fully matches it.
bool RuleIndex::tabulable(const AttributeTable& table, const Rule& rule) const {
  if (rule.and_pair_num > kMostTabulatedConditions) return false;
  int conditions = 0;
  const std::size_t n = rule.pairs.size();
  for (std::size_t l = 0; l < n; ++conditions) {
    const ConditionPair& head = rule.pairs[l];
    const auto a = static_cast<std::size_t>(head.attrino);
    if (tabulated_at_[a] < 0) return false;
    if (head.orflag == 1) {
      ++l;
      continue;
    }
    if (!table.attributes[a].symbolic() || head.direction != 0) return false;
    const std::size_t end = l + static_cast<std::size_t>(head.orflag);
    for (; l < end; ++l) {
      if (rule.pairs[l].attrino != head.attrino) return false;
    }
  }
  return conditions == rule.and_pair_num;
}

void RuleIndex::tabulate(const AttributeTable& table, std::size_t r) {
  const Rule& rule = *rules_[r];
  const std::size_t words = word_count();
  const std::size_t n = rule.pairs.size();
  for (std::size_t l = 0; l < n;) {
    const ConditionPair& head = rule.pairs[l];
    const auto a = static_cast<std::size_t>(head.attrino);
    TabulatedAttribute& tabulated =
        attributes_[static_cast<std::size_t>(tabulated_at_[a])];
    unsigned char* bytes = bytes_of(tabulated.rows);
    const auto p = static_cast<std::uint32_t>(head.parino);
    // Codes 0 to codes - 1, then the row of larger codes.
    std::vector<char> meets(tabulated.codes + std::size_t{1}, 0);
    if (head.orflag != 1) {
      const std::size_t end = l + static_cast<std::size_t>(head.orflag);
      for (; l < end; ++l)
        meets[static_cast<std::size_t>(rule.pairs[l].parino)] = 1;
    } else {
      for (std::uint32_t v = 0; v <= tabulated.codes; ++v) {
        if (table.attributes[a].symbolic())
          meets[v] = head.direction == 0 ? v == p : v != p;
        else
          meets[v] = head.direction == 0 ? v < p : v >= p;
      }
      ++l;
    }
    for (std::size_t v = 0; v < meets.size(); ++v) {
      if (meets[v]) ++bytes[v * words * kRulesPerWord + r];
    }
  }
}

void RuleIndex::set_full_count(std::size_t r, unsigned count) {
  bytes_of(full_count_)[r] = static_cast<unsigned char>(count);
}

}  // namespace ruleval
