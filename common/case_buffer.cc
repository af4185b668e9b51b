#include "common/case_buffer.h"

namespace ruleval {

namespace {

// The largest value of a slot is the missing code's.
std::size_t bits_per_code(std::uint64_t code_limit) {
  return code_limit <= 0xF      ? 4
         : code_limit <= 0xFF   ? 8
         : code_limit <= 0xFFFF ? 16
                                : 32;
}

}  // namespace

void CaseBuffer::allocate(std::size_t num_cases, std::size_t record_length,
                          std::uint64_t code_limit) {
  code_bits_ = bits_per_code(code_limit);
  line_blocks_.clear();
  num_cases_ = num_cases;
  record_length_ = record_length;
  slots_per_case_ =
      code_bits_ == 4 ? (record_length + 1) / 2 * 2 : record_length;
  may_hold_missing_values_ = false;
  bytes_.assign(num_cases * record_bytes(), 0);
}

void CaseBuffer::start(std::size_t record_length, std::uint64_t code_limit,
                       std::size_t expected_cases) {
  allocate(0, record_length, code_limit);
  bytes_.reserve(expected_cases * record_bytes());
}

void CaseBuffer::resize(std::size_t num_cases) {
  bytes_.resize(num_cases * record_bytes());
  num_cases_ = num_cases;
}

}  // namespace ruleval
