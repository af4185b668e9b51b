// The coding of one value of the test data for its attribute: a symbolic
// value by its position among the attribute's values (the first of equal
// values wins), a numeric one by the interval between boundary points that
// it falls in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "common/attribute_table.h"
#include "common/case_buffer.h"
#include "common/numbers.h"
#include "prepare/interval_coder.h"
#include "prepare/value_index.h"

namespace ruleval {

class AttributeCoder {
 public:
  // The coder of attribute, whose values or points table holds; table must
  // outlive it.
  AttributeCoder(const Attribute& attribute, const AttributeTable& table);

  // How one value was coded.
  enum class Coding { kCoded, kMissing, kUnknownValue, kNotANumber };

  // Codes one value, its text a token of a test data line: "?" is a
  // missing value, given kMissingCode, unless it is one of the attribute's
  // own values. Called for every value of the test data, from several
  // threads at once: inlined into the loop over the values.
  [[gnu::always_inline]] Coding encode(std::string_view token,
                                       std::uint32_t* code) const {
    if (symbolic_) {
      if (codes_.find(token, code)) return Coding::kCoded;
      return missing(token, code) ? Coding::kMissing : Coding::kUnknownValue;
    }
    double value = 0;
    if (!parse_leading_double(token, &value)) {
      return missing(token, code) ? Coding::kMissing : Coding::kNotANumber;
    }
    *code = intervals_.code(to_single(value));
    return Coding::kCoded;
  }

 private:
  static bool missing(std::string_view token, std::uint32_t* code) {
    if (token != "?") return false;
    *code = kMissingCode;
    return true;
  }

  bool symbolic_;
  ValueIndex codes_;
  IntervalCoder intervals_;
};

// One coder per attribute of table, in description order.
std::vector<AttributeCoder> coders_of(const AttributeTable& table);

}  // namespace ruleval
