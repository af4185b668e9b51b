// What a rule asks of a case, in the form every reader of the rules uses:
// conditions on attributes, each with the set of codes that meet it. The
// rule compiler builds it once from the condition pairs of B.intr; nothing
// else reads the pairs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/case_buffer.h"

namespace ruleval {

// The codes of one attribute that meet a condition. Rules are matched one
// by one against every case, so it is kept to 16 bytes.
class CodeSet {
 public:
  static CodeSet equal_to(std::uint32_t code) { return {Kind::kEqualTo, code}; }
  static CodeSet other_than(std::uint32_t code) {
    return {Kind::kOtherThan, code};
  }
  static CodeSet below(std::uint32_t code) { return {Kind::kBelow, code}; }
  static CodeSet at_least(std::uint32_t code) { return {Kind::kAtLeast, code}; }
  // Any of the codes, given in any order and possibly more than once.
  static CodeSet one_of(std::vector<std::uint32_t> codes);

  CodeSet(const CodeSet& other);
  CodeSet& operator=(const CodeSet& other);
  CodeSet(CodeSet&&) noexcept = default;
  CodeSet& operator=(CodeSet&&) noexcept = default;
  ~CodeSet() = default;

  // Whether a case whose code is `code` meets the condition: the one place
  // that decides it. A missing value meets no condition, not even a
  // negated one; no bound or member is ever the missing code.
  bool contains(std::uint32_t code) const {
    switch (kind_) {
      case Kind::kEqualTo:
        return code == bound_;
      case Kind::kOtherThan:
        return code != bound_ && code != kMissingCode;
      case Kind::kBelow:
        return code < bound_;
      case Kind::kAtLeast:
        return code >= bound_ && code != kMissingCode;
      case Kind::kOneOf:
        break;
    }
    for (std::uint32_t k = 0; k < bound_; ++k) {
      if (members_[k] == code) return true;
    }
    return false;
  }

  friend bool operator==(const CodeSet& a, const CodeSet& b);

 private:
  enum class Kind : std::uint8_t {
    kEqualTo,
    kOtherThan,
    kBelow,
    kAtLeast,
    kOneOf
  };
  CodeSet(Kind kind, std::uint32_t bound) : bound_(bound), kind_(kind) {}

  // kOneOf: the codes, ascending, each once.
  std::unique_ptr<std::uint32_t[]> members_;
  // The code compared with; for kOneOf, the number of members.
  std::uint32_t bound_ = 0;
  Kind kind_;
};

// One condition of a rule: met when the case's code at its attribute is
// among the codes that meet it. An OR group whose members stand on several
// attributes, as the classifier reads it, is a run of conditions, one per
// attribute, each but the last joined to the next: the run is met when one
// of them is, and counts once. Kept to 24 bytes, as CodeSet to 16.
struct Condition {
  CodeSet codes;
  std::uint32_t attribute = 0;  // position of the code in a case
  // In the coverage scan, whether a case that fails the condition is not
  // looked at further (plain conditions) or goes on to the next (OR groups).
  bool ends_scan_when_unmet = true;
  bool joined_to_next = false;

  bool met_by(const CaseBuffer& cases, std::size_t c) const {
    return codes.contains(cases.code(c, attribute));
  }

  friend bool operator==(const Condition&, const Condition&) = default;
};

// A value as the condition text of a rule shows it: value `code` of
// attribute `attribute`.
struct ShownValue {
  std::uint32_t attribute = 0;
  int code = 0;
};

// What the condition text of a rule shows about one condition attribute.
struct ShownCondition {
  std::uint32_t attribute = 0;
  // A numeric attribute: the boundary points of its last upper bound ("at
  // or below") and its last lower bound ("above"), -1 where none is set.
  int upper_point = -1;
  int lower_point = -1;
  // A symbolic attribute: the one value it must have, if any, then a list
  // of the values it may have (any_of) or must not have (none_of).
  ShownValue value;
  bool has_value = false;
  enum class List : std::uint8_t { kNone, kAnyOf, kNoneOf };
  List list = List::kNone;
  std::vector<ShownValue> values;
};

}  // namespace ruleval
