// The coded test cases in memory: one record per case, one code per selected
// attribute in selected order, the class code last. Every code is kept
// exactly; the buffer stores each in one, two or four bytes, the fewest that
// hold the largest code any selected attribute can have and, above it, the
// code of a missing value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace ruleval {

// The code of a value the test data leaves unknown. No condition holds for
// it, and a case whose class is unknown is classified but not scored.
inline constexpr std::uint32_t kMissingCode = 0xFFFFFFFF;

class CaseBuffer {
 public:
  // Makes room for num_cases records of record_length codes, each code below
  // code_limit or kMissingCode; every code starts as 0. Throws std::bad_alloc
  // when the memory cannot be had.
  void allocate(std::size_t num_cases, std::size_t record_length,
                std::uint64_t code_limit);

  // Starts an empty buffer for records of record_length codes below
  // code_limit, reserving address space for expected_cases records; memory
  // is taken up only as cases are added.
  void start(std::size_t record_length, std::uint64_t code_limit,
             std::size_t expected_cases);
  // Makes the buffer hold num_cases cases: cases beyond the old count start
  // with every code 0, cases beyond the new one are dropped. Throws
  // std::bad_alloc when the memory cannot be had.
  void resize(std::size_t num_cases);

  std::size_t num_cases() const { return num_cases_; }
  std::size_t record_length() const { return record_length_; }
  // Bytes per stored code: 1, 2 or 4.
  std::size_t code_bytes() const { return code_bytes_; }

  // Whether some case may have a missing value: set by whoever stores one,
  // so that runs without any need not look for them.
  bool may_hold_missing_values() const { return may_hold_missing_values_; }
  void note_missing_values() { may_hold_missing_values_ = true; }

  std::uint32_t code(std::size_t case_number, std::size_t position) const {
    const std::uint8_t* at = slot(case_number, position);
    // A missing value is stored as every bit of its slot set.
    switch (code_bytes_) {
      case 1:
        return *at == 0xFF ? kMissingCode : *at;
      case 2: {
        std::uint16_t value;
        std::memcpy(&value, at, sizeof value);
        return value == 0xFFFF ? kMissingCode : value;
      }
      default: {
        std::uint32_t value;
        std::memcpy(&value, at, sizeof value);
        return value;
      }
    }
  }
  std::uint32_t class_code(std::size_t case_number) const {
    return code(case_number, record_length_ - 1);
  }
  // REQUIRES: value is below the code_limit given to allocate(), or is
  // kMissingCode.
  void set_code(std::size_t case_number, std::size_t position,
                std::uint32_t value) {
    std::uint8_t* at =
        bytes_.data() + (case_number * record_length_ + position) * code_bytes_;
    switch (code_bytes_) {
      case 1:
        *at = static_cast<std::uint8_t>(value);
        break;
      case 2: {
        const auto narrow = static_cast<std::uint16_t>(value);
        std::memcpy(at, &narrow, sizeof narrow);
        break;
      }
      default:
        std::memcpy(at, &value, sizeof value);
        break;
    }
  }

 private:
  const std::uint8_t* slot(std::size_t case_number,
                           std::size_t position) const {
    return bytes_.data() +
           (case_number * record_length_ + position) * code_bytes_;
  }

  std::vector<std::uint8_t> bytes_;
  std::size_t num_cases_ = 0;
  std::size_t record_length_ = 0;
  std::size_t code_bytes_ = 1;
  bool may_hold_missing_values_ = false;
};

}  // namespace ruleval
