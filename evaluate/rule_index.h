// The rules laid out for matching many cases fast. For every attribute that
// the conditions name, two tables give, for each code a case can carry,
// whether that code meets every condition of a rule on the attribute, one
// bit per rule, and how many conditions of each class rule it meets, one
// byte per rule. The AND of one bit row per attribute gives every rule's
// full match at once, 64 rules to a machine word; adding up one byte row per
// attribute gives every class rule's count of met conditions, eight rules to
// a word, for the cases that need partial scores. Rules the tables cannot
// serve exactly (OR
// groups whose members stand on other attributes, counts that disagree with
// the conditions, attributes with too many codes to tabulate) are matched
// one by one, as the straightforward method matches them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/attribute_table.h"
#include "common/cache_aligned.h"
#include "rules/rule_store.h"

namespace ruleval {

// The matcher adds or ANDs rows this many words at a time; the word counts
// are multiples of it.
inline constexpr std::size_t kWordsPerStep = 8;
// A word holds the bytes of this many rules.
inline constexpr std::size_t kRulesPerWord = sizeof(std::uint64_t);
// A word holds the bits of this many rules.
inline constexpr std::size_t kRulesPerBitWord = 64;
// A class rule's partial scores for 0 to kLaneRowWidth - 1 met conditions,
// picked for many cases at once by their counts.
inline constexpr std::size_t kLaneRowWidth = 16;

// One tabulated attribute: rows 0 to codes - 1 for its codes, and a last row
// for a missing value (and any larger code).
struct TabulatedAttribute {
  std::size_t position = 0;  // of its code in a case record
  std::uint32_t codes = 0;
  // (codes + 1) rows of word_count words: counts of met conditions.
  CacheAlignedVector<std::uint64_t> rows;
  // (codes + 1) rows of bit_word_count words: all conditions met.
  CacheAlignedVector<std::uint64_t> bit_rows;

  std::size_t row_of(std::uint32_t code) const {
    return code < codes ? code : codes;
  }
  const std::uint64_t* row(std::uint32_t code, std::size_t word_count) const {
    return rows.data() + row_of(code) * word_count;
  }
  const std::uint64_t* bit_row(std::uint32_t code,
                               std::size_t bit_word_count) const {
    return bit_rows.data() + row_of(code) * bit_word_count;
  }
};

class RuleIndex {
 public:
  // Every rule of every concept, numbered in concept order and file order.
  // The table is the selected one, the rules checked against it.
  RuleIndex(const AttributeTable& table, const RuleStore& rules);

  std::size_t rule_count() const { return rules_.size(); }
  // Words of eight class rule bytes, a multiple of kWordsPerStep; bytes
  // past the last class rule are padding.
  std::size_t word_count() const { return word_count_; }
  // Words of 64 rule bits, a multiple of kWordsPerStep; bits past the last
  // rule are padding, never set.
  std::size_t bit_word_count() const { return tabulated_bits_.size(); }
  const Rule& rule(std::size_t r) const { return *rules_[r]; }
  int concept_of(std::size_t r) const { return concept_of_[r]; }
  // Rule r's quality, kept side by side with the others' for the cases'
  // full matches.
  float quality(std::size_t r) const { return quality_[r]; }
  // Rules of concept i: [concept_begin(i), concept_begin(i + 1)).
  std::size_t concept_begin(std::size_t i) const { return concept_begin_[i]; }
  // The classes: the concepts classification consults, whose rules come
  // first.
  std::size_t class_count() const { return class_has_rules_.size(); }
  std::size_t class_rule_count() const { return concept_begin_[class_count()]; }
  const std::vector<char>& class_has_rules() const { return class_has_rules_; }

  const std::vector<TabulatedAttribute>& attributes() const {
    return attributes_;
  }
  // Rules matched one by one, ascending; the tables hold 0 for them.
  const std::vector<std::size_t>& one_by_one() const { return one_by_one_; }
  bool matched_one_by_one(std::size_t r) const { return one_by_one_flag_[r]; }

  // Bit r: rule r is served by the tables. The bit rows hold 0 for the
  // other rules; a case fully matches the rules served whose bits are set
  // in every row of its codes (in this row when no attribute is
  // tabulated).
  const CacheAlignedVector<std::uint64_t>& tabulated_bits() const {
    return tabulated_bits_;
  }
  // The partial-match score of rule r with k conditions met is
  // terms()[term_at(r) + k]; a rule matched one by one has its score put in
  // its first entry for each case.
  std::size_t term_at(std::size_t r) const { return term_at_[r]; }
  const std::vector<float>& terms() const { return terms_; }
  // The lane rows of the class rules, kLaneRowWidth floats each, rule
  // after rule: a tabulated rule's terms padded with zeros, but zeros alone
  // for the lane exceptions.
  const float* lane_rows() const { return lane_rows_.data(); }
  // The class rules whose terms a lane row cannot give (rules matched one
  // by one, rules of kLaneRowWidth conditions or more), ascending.
  const std::vector<std::size_t>& lane_exceptions() const {
    return lane_exceptions_;
  }
  bool lane_exception(std::size_t r) const { return lane_exception_[r]; }
  // The place of rule r among the rules matched one by one.
  std::size_t one_by_one_slot(std::size_t r) const {
    return one_by_one_slot_[r];
  }

 private:
  void number_rules(const RuleStore& rules, int classes);
  void choose_tabulated(const AttributeTable& table);
  bool tabulable(const Rule& rule) const;
  void tabulate_all(const std::vector<std::size_t>& tabulated);
  void tabulate(std::size_t r);
  void lay_out_lane_rows();

  std::vector<const Rule*> rules_;
  std::vector<int> concept_of_;
  std::vector<float> quality_;
  std::vector<std::size_t> concept_begin_;
  std::vector<char> class_has_rules_;
  std::vector<TabulatedAttribute> attributes_;
  // Per attribute position: its entry in attributes_, or -1.
  std::vector<int> tabulated_at_;
  std::vector<std::size_t> one_by_one_;
  std::vector<char> one_by_one_flag_;
  std::size_t word_count_ = 0;
  CacheAlignedVector<std::uint64_t> tabulated_bits_;
  std::vector<std::size_t> term_at_;
  std::vector<float> terms_;
  CacheAlignedVector<float> lane_rows_;
  std::vector<std::size_t> lane_exceptions_;
  std::vector<char> lane_exception_;
  std::vector<std::size_t> one_by_one_slot_;
};

}  // namespace ruleval
