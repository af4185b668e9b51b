// Classification of one coded case by the rule store, by a fixed ladder:
// the class whose fully met rules have the largest summed quality; failing
// any full match, the class with the largest partial-match score; with no
// rule to score at all, the majority class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "rules/rule_store.h"

namespace ruleval {

enum class Decision : std::uint8_t { kFullMatch, kPartialMatch, kNoMatch };

struct Classification {
  int class_code = 0;
  Decision decision = Decision::kFullMatch;

  // The per-case flags the reports count.
  bool partial_match() const { return decision == Decision::kPartialMatch; }
  bool no_match() const { return decision == Decision::kNoMatch; }
};

// Every case's classification, each kept in as few bytes as the classes
// need: the decision in the low two bits, the class code above them; one
// byte for up to 64 classes.
class Classifications {
 public:
  // n classifications, each {0, kFullMatch}, of classes 0 to classes - 1.
  // Throws std::bad_alloc when the memory cannot be had.
  void assign(std::size_t n, int classes);
  std::size_t size() const { return size_; }
  // Bytes per classification: 1, 2, 4 or 8.
  std::size_t width() const { return width_; }

  Classification operator[](std::size_t c) const {
    const std::uint64_t packed = load(c);
    return Classification{static_cast<int>(packed >> 2),
                          static_cast<Decision>(packed & 3)};
  }
  // REQUIRES: given.class_code is one of the classes. Distinct cases may
  // be set from distinct threads at once.
  void set(std::size_t c, Classification given) {
    store(c, static_cast<std::uint64_t>(given.class_code) << 2 |
                 static_cast<std::uint64_t>(given.decision));
  }

 private:
  std::uint64_t load(std::size_t c) const;
  void store(std::size_t c, std::uint64_t packed);

  std::vector<std::uint8_t> bytes_;
  std::size_t width_ = 1;
  std::size_t size_ = 0;
};

// What decided a case besides its class, kept only when the results ask for
// it.
struct CaseScore {
  // The summed score of the class given, on the route that gave it; 0 for
  // the majority class.
  float score = 0;
  // The class that comes next on the same route, by the same rule, and its
  // score; -1 when no other class was a candidate.
  int runner_up = -1;
  float runner_up_score = 0;
};

// The matchers' findings per case beyond its class, when asked for.
struct MatchDetails {
  std::vector<CaseScore> scores;  // per case
  // The rules of the classes each case fully matched, numbered in concept
  // order: full_match_counts[c] of them for case c, case after case.
  std::vector<std::uint32_t> full_match_counts;
  std::vector<std::uint32_t> full_matches;
};

// Among the concepts whose flag is set, the first whose score exceeds every
// earlier candidate's beyond the comparison's tolerance; when none beats the
// starting score, the first candidate. REQUIRES: some flag is set.
int choose_concept(const std::vector<float>& scores,
                   const std::vector<char>& candidates);

// The scores of the class chosen among candidates and of the runner-up: the
// concept choose_concept would choose with the chosen one left out.
CaseScore score_choice(const std::vector<float>& scores,
                       const std::vector<char>& candidates, int chosen);

class Classifier {
 public:
  // Consults concepts 0 to number of classes - 1 of rules, the classes of
  // the table's decision attribute (its last). The rules must outlive the
  // classifier.
  Classifier(const AttributeTable& table, const RuleStore& rules);

  // Classifies case c. When score is given, sets it, and appends to
  // full_matches the rules of the classes that the case fully matches,
  // numbered in concept order.
  Classification classify_case(
      const CaseBuffer& cases, std::size_t c, int majority_class,
      CaseScore* score = nullptr,
      std::vector<std::uint32_t>* full_matches = nullptr);

 private:
  const RuleStore& rules_;
  std::size_t class_count_;
  // Per-class working arrays, cleared for every case: the summed quality of
  // the fully met rules and whether the class has one, the summed partial
  // scores and whether the class has a rule to score.
  std::vector<float> full_match_scores_;
  std::vector<char> fully_matched_;
  std::vector<float> partial_match_scores_;
  std::vector<char> partially_matched_;
};

}  // namespace ruleval
